#include "relax/relax_prompt.h"

#include "data/clock.h"
#include "data/settings_store.h"
#include "relax/log.h"
#include "relax/relax_reminder.h"
#include "reminders/corner_slide.h"
#include "reminders/reminder_scheduler.h"
#include "reminders/reminder_window.h"
#include "ui/controls.h"
#include "ui/menu.h"

namespace {

// The menu opens left of the menu button and a little below it.
constexpr QPoint kMenuOffset(-96, 10);

const char* const kPictures[] = {"label_morning", "label_noon", "label_afternoon", "label_evening"};

}  // namespace

CHaveRelaxPopDlg::TimeOfDay CHaveRelaxPopDlg::TimeOfDayFor(int hour) {
    if (hour >= 6 && hour <= 11) return {"label_morning", "来一杯咖啡，又是新的一天"};
    if (hour == 12) return {"label_noon", "午餐时间到，再忙也要好好吃饭"};
    if (hour >= 13 && hour <= 17) return {"label_afternoon", "下午容易犯困，不如和朋友散散步吧"};
    return {"label_evening", "努力了一天，早点回家休息吧"};
}

CHaveRelaxPopDlg::CHaveRelaxPopDlg(RelaxReminder& reminder) : reminder_(reminder) {}

CHaveRelaxPopDlg::~CHaveRelaxPopDlg() = default;

void CHaveRelaxPopDlg::OnInit() {
    c_.tips = Find("label_tips");
    c_.countdown = Find("label_countdown");
    c_.relaxStart = Find("label_relax_start");
    c_.relaxTime = Find("label_relax_time");
    c_.relaxStop = Find("label_relax_stop");
    c_.yes = Find("btn_relax_yes");
    c_.no = Find("btn_relax_no");
    c_.stop = Find("btn_relax_stop");
    if (!c_.tips || !c_.countdown || !c_.relaxTime || !c_.stop)
        qCWarning(lcRelax) << LayoutFile() << "lacks controls the relax prompt needs";
    OnClick("btn_main_menu", [this] { OpenMenu(); });
    OnClick("btn_relax_yes", [this] { StartBreak(); });
    for (const char* leave : {"btn_wnd_close", "btn_relax_no", "btn_relax_stop"})
        OnClick(leave, [this] { Close(1); });
    connect(&slideTimer_, &QTimer::timeout, this, &CHaveRelaxPopDlg::SlideStep);
    connect(&prompt_, &Countdown::Tick, this,
            [this](long long left) { ui::SetControlInt(c_.countdown, static_cast<int>(left)); });
    connect(&prompt_, &Countdown::Finished, this, &CHaveRelaxPopDlg::StartBreak);
    connect(&break_, &Countdown::Tick, this, &CHaveRelaxPopDlg::BreakTick);
    connect(&break_, &Countdown::Finished, this, [this] {
        reminder_.Sound(Reminders::SoundMoment::Ends);
        Close(1);
    });
    // The picture and sentence of the hour it opens in; it keeps them however long it stays.
    const TimeOfDay now = TimeOfDayFor(Clock::Current().Now().time().hour());
    for (const char* picture : kPictures)
        if (ui::Control* label = Find(picture))
            label->setVisible(QLatin1String(picture) == QLatin1String(now.picture));
    if (c_.tips) c_.tips->SetText(QString::fromUtf8(now.sentence));
    ui::SetControlInt(c_.countdown, SettingsStore::GetCountDownSecond());
    Reminders::CornerSlide::PlaceBelow(*this);
    show();
    raise();
    slideTimer_.start(Reminders::CornerSlide::kStepMs);
}

void CHaveRelaxPopDlg::SlideStep() {
    if (Reminders::CornerSlide::Step(*this)) return;
    slideTimer_.stop();
    // A break already begun (the user did not wait for the slide) has no prompt to count down.
    if (breaking_) return;
    prompt_.Start(SettingsStore::GetCountDownSecond());
}

void CHaveRelaxPopDlg::StartBreak() {
    if (breaking_) return;
    breaking_ = true;
    prompt_.Stop();
    if (SettingsStore::GetRemindFullScreen()) {
        // The lock first: the break goes on showing while the prompt closes.
        reminder_.OpenLock();
        Close(1);
        return;
    }
    // The break runs here: the picture stays, the prompt's words and buttons give way.
    for (ui::Control* gone : {c_.tips, c_.countdown, c_.relaxStart, c_.yes, c_.no})
        if (gone) gone->setVisible(false);
    for (ui::Control* shown : {c_.relaxTime, c_.relaxStop, c_.stop})
        if (shown) shown->setVisible(true);
    if (c_.relaxTime)
        c_.relaxTime->SetText(QString::asprintf("%02d:%02d", SettingsStore::GetRelaxMinute(), 0));
    break_.Start(SettingsStore::GetRelaxMinute() * 60LL);
}

void CHaveRelaxPopDlg::BreakTick(long long seconds) {
    if (c_.relaxTime)
        c_.relaxTime->SetText(QString::asprintf("%02lld:%02lld", seconds / 60, seconds % 60));
}

void CHaveRelaxPopDlg::OpenMenu() {
    ui::MenuWnd* menu = Reminders::OpenMenuBelow(*this, "btn_main_menu",
                                                 QStringLiteral("menu_relax.xml"), kMenuOffset);
    if (!menu) return;
    connect(menu, &ui::MenuWnd::itemChosen, this, &CHaveRelaxPopDlg::OnMenuCommand);
    // The tick says "no more reminders" is in force.
    menu->SetItemIcon(QStringLiteral("menu_relax_nopop"), SettingsStore::GetRemindOnTime()
                                                              ? QString()
                                                              : QStringLiteral("menu_tick.png"));
}

void CHaveRelaxPopDlg::OnMenuCommand(const QString& item) {
    if (item == QLatin1String("menu_relax_nopop")) {
        // Takes effect at once: the relax clock follows the switch.
        SettingsStore::SetRemindOnTime(!SettingsStore::GetRemindOnTime());
    } else if (item == QLatin1String("menu_relax_tipset")) {
        reminder_.OpenSettingsFrame(nullptr);
    } else if (item == QLatin1String("menu_relax_feedback")) {
        reminder_.Scheduler().RequestFeedback();
    }
}

void CHaveRelaxPopDlg::OnFinalMessage() {
    deleteLater();
}
