#include "relax/relax_prompt.h"

#include "data/clock.h"
#include "data/settings_store.h"
#include "drink/feature_host.h"
#include "drink/frame_popup.h"
#include "platform/platform.h"
#include "relax/log.h"
#include "relax/relax_lock.h"
#include "ui/controls.h"
#include "ui/corner_slide.h"
#include "ui/menu.h"

namespace {

constexpr int kSecondMs = 1000;
// The menu opens left of the menu button and a little below it.
constexpr QPoint kMenuOffset(-96, 10);

const char* const kPictures[] = {"label_morning", "label_noon", "label_afternoon", "label_evening"};

CHaveRelaxPopDlg* instance = nullptr;

}  // namespace

CHaveRelaxPopDlg::TimeOfDay CHaveRelaxPopDlg::TimeOfDayFor(int hour) {
    if (hour >= 6 && hour <= 11) return {"label_morning", "来一杯咖啡，又是新的一天"};
    if (hour == 12) return {"label_noon", "午餐时间到，再忙也要好好吃饭"};
    if (hour >= 13 && hour <= 17) return {"label_afternoon", "下午容易犯困，不如和朋友散散步吧"};
    return {"label_evening", "努力了一天，早点回家休息吧"};
}

void RelaxPromptOpen() {
    if (CHaveRelaxPopDlg::Instance() || CHaveRelaxLockDlg::Instance()) return;
    auto* prompt = new CHaveRelaxPopDlg;
    // It does not take the keys from what the user is typing into (a click makes it active).
    // Set before the native window exists: Qt hands it to the window manager only then.
    prompt->setAttribute(Qt::WA_ShowWithoutActivating);
    // A tool window on top of the others: out of the task bar, and a reminder must be seen.
    if (!prompt->Create(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint)) {
        prompt->OnFinalMessage();
        return;
    }
    platform::Current().KeepOutOfTaskbar(prompt->winId());
}

CHaveRelaxPopDlg::CHaveRelaxPopDlg() {
    instance = this;
}

CHaveRelaxPopDlg::~CHaveRelaxPopDlg() {
    if (instance == this) instance = nullptr;
}

CHaveRelaxPopDlg* CHaveRelaxPopDlg::Instance() {
    return instance;
}

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
    for (QTimer* timer : {&promptTimer_, &breakTimer_}) timer->setInterval(kSecondMs);
    connect(&slideTimer_, &QTimer::timeout, this, &CHaveRelaxPopDlg::SlideStep);
    connect(&promptTimer_, &QTimer::timeout, this, &CHaveRelaxPopDlg::PromptTick);
    connect(&breakTimer_, &QTimer::timeout, this, &CHaveRelaxPopDlg::BreakTick);
    // The picture and sentence of the hour it opens in; it keeps them however long it stays.
    const TimeOfDay now = TimeOfDayFor(Clock::Current().Now().time().hour());
    for (const char* picture : kPictures)
        if (ui::Control* label = Find(picture))
            label->setVisible(QLatin1String(picture) == QLatin1String(now.picture));
    if (c_.tips) c_.tips->SetText(QString::fromUtf8(now.sentence));
    ui::SetControlInt(c_.countdown, SettingsStore::GetCountDownSecond());
    ui::CornerSlide::PlaceBelow(*this);
    show();
    raise();
    slideTimer_.start(ui::CornerSlide::kStepMs);
}

void CHaveRelaxPopDlg::SlideStep() {
    if (ui::CornerSlide::Step(*this)) return;
    slideTimer_.stop();
    // A break already begun (the user did not wait for the slide) has no prompt to count down.
    if (breaking_) return;
    promptSeconds_ = 0;
    promptTimer_.start();
}

void CHaveRelaxPopDlg::PromptTick() {
    ++promptSeconds_;
    const int remaining = SettingsStore::GetCountDownSecond() - promptSeconds_;
    if (remaining <= 0)
        StartBreak();
    else
        ui::SetControlInt(c_.countdown, remaining);
}

void CHaveRelaxPopDlg::StartBreak() {
    if (breaking_) return;
    breaking_ = true;
    promptTimer_.stop();
    if (SettingsStore::GetRemindFullScreen()) {
        Close(1);
        ShowRelaxLock();
        return;
    }
    // The break runs here: the picture stays, the prompt's words and buttons give way.
    for (ui::Control* gone : {c_.tips, c_.countdown, c_.relaxStart, c_.yes, c_.no})
        if (gone) gone->setVisible(false);
    for (ui::Control* shown : {c_.relaxTime, c_.relaxStop, c_.stop})
        if (shown) shown->setVisible(true);
    if (c_.relaxTime)
        c_.relaxTime->SetText(QString::asprintf("%02d:%02d", SettingsStore::GetRelaxMinute(), 0));
    breakSeconds_ = 0;
    breakTimer_.start();
}

void CHaveRelaxPopDlg::BreakTick() {
    ++breakSeconds_;
    const long long seconds = SettingsStore::GetRelaxMinute() * 60LL - breakSeconds_;
    if (seconds <= 0) {
        Close(1);
        return;
    }
    if (c_.relaxTime)
        c_.relaxTime->SetText(QString::asprintf("%02lld:%02lld", seconds / 60, seconds % 60));
}

void CHaveRelaxPopDlg::OpenMenu() {
    ui::Control* button = FindControl(QStringLiteral("btn_main_menu"));
    if (!button) return;
    const QPoint anchor = button->mapToGlobal(QPoint(0, button->height()) + kMenuOffset);
    ui::MenuWnd* menu = ui::MenuWnd::CreateMenu(this, QStringLiteral("menu_relax.xml"), anchor);
    if (!menu) return;
    connect(menu, &ui::MenuWnd::itemChosen, this, &CHaveRelaxPopDlg::OnMenuCommand);
    // The tick says "no more reminders" is in force.
    menu->SetItemIcon(QStringLiteral("menu_relax_nopop"), SettingsStore::GetRemindOnTime()
                                                              ? QString()
                                                              : QStringLiteral("menu_tick.png"));
}

void CHaveRelaxPopDlg::OnMenuCommand(const QString& item) {
    if (item == QLatin1String("menu_relax_nopop")) {
        // Takes effect at once: the relax timer stops (or starts again) with the switch.
        SettingsStore::SetRemindOnTime(!SettingsStore::GetRemindOnTime());
        if (TheMainWindow) TheMainWindow->RearmRelaxTimer();
    } else if (item == QLatin1String("menu_relax_tipset")) {
        RelaxSettingsPopupOpen(nullptr);
    }
    // "反馈建议" does nothing.
}

void CHaveRelaxPopDlg::OnFinalMessage() {
    if (instance == this) instance = nullptr;
    deleteLater();
}
