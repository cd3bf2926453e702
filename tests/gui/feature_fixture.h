#pragma once

// What the tests of the feature windows share: a main window on the embedded skin and a real
// store in a throw-away data folder, a clock the test sets, and small ways to reach controls.

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "app/main_window.h"
#include "data/clock.h"
#include "data/settings_store.h"
#include "drink/drink_reminder.h"
#include "platform/sound_player.h"
#include "relax/relax_reminder.h"
#include "reminders/countdown.h"
#include "reminders/reminder_scheduler.h"
#include "ui/menu.h"

namespace feature_test {

struct FakeClock final : Clock {
    QDateTime now;
    QDateTime Now() const override { return now; }
};

// Records the sounds asked for (numbers of platform::Cue); each is over at once.
struct SoundRecorder final : platform::SoundPlayer {
    QList<int> played;
    std::unique_ptr<platform::SoundPlayer> silent = platform::MakeSilentPlayer();
    void Play(platform::Cue cue, std::function<void()> ended) override {
        played << int(cue);
        silent->Play(cue, std::move(ended));
    }
};

template <typename T = ui::Control>
T* Find(const ui::WindowBase* w, const char* name) {
    return w ? qobject_cast<T*>(w->FindControl(QString::fromLatin1(name))) : nullptr;
}

inline QString TextOf(const ui::WindowBase* w, const char* name) {
    const ui::Control* c = Find(w, name);
    return c ? c->Text() : QStringLiteral("<missing>");
}

inline bool Shown(const ui::WindowBase* w, const char* name) {
    const ui::Control* c = Find(w, name);
    return c && c->IsVisibleFlag();
}

// A window's timer ticking `times` times, without waiting for it.
inline void Fire(const QTimer& timer, int times = 1) {
    for (int i = 0; i < times; ++i)
        QMetaObject::invokeMethod(const_cast<QTimer*>(&timer), "timeout", Qt::DirectConnection);
}

// A countdown's next `seconds` seconds, the clock moved on with each tick.
inline void Advance(FakeClock& clock, const Countdown& countdown, int seconds = 1) {
    for (int i = 0; i < seconds; ++i) {
        clock.now = clock.now.addSecs(1);
        Fire(countdown.Ticker());
    }
}

inline ui::MenuWnd* OpenMenu(const QString& layout) {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<ui::MenuWnd*>(top);
            m && m->isVisible() && !m->IsClosed() && m->LayoutFile() == layout)
            return m;
    return nullptr;
}

// The world of one case: the store opened on a fresh folder at 8 December 2026, 10:00 by the
// clock, both reminders on their scheduler, and the main window built (its OnInit done, a tray
// taken as there).
class Desk {
  public:
    bool Open() {
        home_ = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", QFile::encodeName(home_->path()));
        clock.now = QDateTime(QDate(2026, 12, 8), QTime(10, 0));
        Clock::Install(&clock);
        if (!SettingsStore::OpenSettings()) return false;
        scheduler = std::make_unique<ReminderScheduler>();
        sounds.played.clear();
        scheduler->Sounds().Use(&sounds);
        drink = std::make_unique<DrinkReminder>(*scheduler);
        relax = std::make_unique<RelaxReminder>(*scheduler);
        scheduler->Start();
        main = std::make_unique<CMainDlg>(*scheduler);
        if (!main->Create(nullptr) || !QTest::qWaitFor([this] { return main->Tray(); }))
            return false;
        main->SetTrayAvailable(true);
        return true;
    }
    void Close() {
        main.reset();
        relax.reset();
        drink.reset();
        scheduler.reset();
        SettingsStore::CloseSettings();
        Clock::Install(nullptr);
        home_.reset();
    }

    // The frames that are open: the drink reminder's and the relax settings'.
    int OpenFrames() const { return (drink->Frame() ? 1 : 0) + (relax->SettingsFrame() ? 1 : 0); }

    FakeClock clock;
    SoundRecorder sounds;
    std::unique_ptr<ReminderScheduler> scheduler;
    std::unique_ptr<DrinkReminder> drink;
    std::unique_ptr<RelaxReminder> relax;
    std::unique_ptr<CMainDlg> main;

  private:
    std::unique_ptr<QTemporaryDir> home_;
};

}  // namespace feature_test
