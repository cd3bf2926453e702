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
#include "ui/menu.h"

namespace feature_test {

struct FakeClock final : Clock {
    QDateTime now;
    QDateTime Now() const override { return now; }
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

inline ui::MenuWnd* OpenMenu(const QString& layout) {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<ui::MenuWnd*>(top);
            m && m->isVisible() && !m->IsClosed() && m->LayoutFile() == layout)
            return m;
    return nullptr;
}

// The world of one case: the store opened on a fresh folder at 8 December 2026, 10:00 by the
// clock, and the main window built (its OnInit done, a tray taken as there).
class Desk {
  public:
    bool Open() {
        home_ = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", QFile::encodeName(home_->path()));
        clock.now = QDateTime(QDate(2026, 12, 8), QTime(10, 0));
        Clock::Install(&clock);
        if (!SettingsStore::OpenSettings()) return false;
        main = std::make_unique<CMainDlg>();
        if (!main->Create(nullptr) || !QTest::qWaitFor([this] { return main->Tray(); }))
            return false;
        main->SetTrayAvailable(true);
        return true;
    }
    void Close() {
        main.reset();
        SettingsStore::CloseSettings();
        Clock::Install(nullptr);
        home_.reset();
    }

    FakeClock clock;
    std::unique_ptr<CMainDlg> main;

  private:
    std::unique_ptr<QTemporaryDir> home_;
};

}  // namespace feature_test
