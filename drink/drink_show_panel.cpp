#include "drink/drink_show_panel.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include "data/settings_store.h"
#include "drink/feature_host.h"
#include "drink/log.h"
#include "ui/controls.h"

namespace {

constexpr int kCountdownTimer = 256;
constexpr int kSecondMs = 1000;

}  // namespace

const std::array<const char*, 4> CDrinkWaterShowDlg::kDrinkTips = {
    "足量饮水能够使心脏更有效地泵血",
    "适量喝水能够防止肌肉抽筋，润滑身体关节",
    "充足的水分能滋润皮肤，延缓衰老",
    "水可以加快新陈代谢，促进毒素排出",
};

void CDrinkWaterShowDlg::Notify(const ui::Notification& msg) {
    if (msg.type == QLatin1String("windowinit")) {
        c_.targetTips = Find("label_target_tips");
        c_.drinkSize = Find("label_drink_size");
        c_.amount = Find<ui::Edit>("edit_target_once");
        c_.gif = Find<ui::GifAnim>("gif_drink");
        c_.buttons = Find("container_drink_button");
        c_.over = Find("container_drink_over");
        c_.second = Find("label_second");
        c_.message = Find("label_message");
        c_.drinkButton = Find("btn_drink_imm");
        if (!c_.amount || !c_.buttons || !c_.over || !c_.second)
            qCWarning(lcDrink) << LayoutFile() << "lacks controls the drink panel needs";
        initialized_ = true;
        ResetPanel();
        return;
    }
    const QString sender = msg.SenderName();
    if (msg.type == QLatin1String("click")) {
        if (sender == QLatin1String("btn_drink_imm")) {
            Drink();
        } else if (sender == QLatin1String("btn_drink_no")) {
            AskHostToDismiss(false);
        } else if (sender == QLatin1String("btn_drink_achieve")) {
            KillTimer(c_.second, kCountdownTimer);
            // The host lets go of the panel first, then the main window shows the figures.
            AskHostToDismiss(true);
            if (TheMainWindow) TheMainWindow->ShowPage(QStringLiteral("btn_achievement"));
        } else if (sender == QLatin1String("btn_modify") && c_.amount) {
            c_.amount->setEnabled(true);
            c_.amount->SetFocusToEdit();
            c_.amount->SetSelAll();
        }
    } else if (msg.type == QLatin1String("timer")) {
        if (msg.wParam == kCountdownTimer) CountdownStep();
    } else if (msg.type == QLatin1String("textchanged")) {
        if (c_.amount) SettingsStore::SetDrinkTargetOnce(ui::GetControlInt(c_.amount));
        UpdateDrinkButton();
    } else if (msg.type == QLatin1String("killfocus")) {
        if (sender == QLatin1String("edit_target_once") && c_.amount) c_.amount->setEnabled(false);
    }
}

void CDrinkWaterShowDlg::OnVisibilityChanged(bool visible) {
    // Fresh whenever it is seen: a reminder that opens, the page shown again.
    if (visible) ResetPanel();
}

void CDrinkWaterShowDlg::ResetPanel() {
    if (!initialized_) return;
    if (c_.gif) c_.gif->StopGif();
    if (c_.buttons) c_.buttons->setVisible(true);
    if (c_.over) c_.over->setVisible(false);
    if (c_.amount) ui::SetControlInt(c_.amount, SettingsStore::GetDrinkTargetOnce());
    if (c_.message) {
        const auto tip = QRandomGenerator::global()->bounded(static_cast<int>(kDrinkTips.size()));
        c_.message->SetText(QString::fromUtf8(kDrinkTips[static_cast<std::size_t>(tip)]));
    }
    UpdateTargetTips();
    UpdateDrinkButton();
}

void CDrinkWaterShowDlg::UpdateTargetTips() {
    if (!initialized_) return;
    const int target = SettingsStore::GetDrinkTargetDay();
    const int total = SettingsStore::GetTodayTotal();
    const bool reached = total >= target;
    if (c_.targetTips)
        c_.targetTips->SetText(reached ? QStringLiteral("今天目标达成！已喝水")
                                       : QStringLiteral("今天距离达成目标还有"));
    // What is left, or what was drunk once the target is reached: never a negative remainder.
    if (c_.drinkSize) ui::SetControlInt(c_.drinkSize, reached ? total : target - total);
}

void CDrinkWaterShowDlg::UpdateDrinkButton() {
    // A drink of nothing is not a drink: nothing to record while the amount is 0 or empty.
    if (c_.drinkButton && c_.amount) c_.drinkButton->setEnabled(ui::GetControlInt(c_.amount) > 0);
}

void CDrinkWaterShowDlg::Drink() {
    const int amount = c_.amount ? ui::GetControlInt(c_.amount) : 0;
    if (amount <= 0) return;
    if (c_.gif) c_.gif->PlayGif();
    if (c_.buttons) c_.buttons->setVisible(false);
    if (c_.over) c_.over->setVisible(true);
    SettingsStore::AddDrink(amount);
    UpdateTargetTips();
    countdown_ = kCountdownSeconds;
    ui::SetControlInt(c_.second, countdown_);
    SetTimer(c_.second, kCountdownTimer, kSecondMs);
}

void CDrinkWaterShowDlg::CountdownStep() {
    --countdown_;
    if (countdown_ >= 1) {
        ui::SetControlInt(c_.second, countdown_);
        return;
    }
    KillTimer(c_.second, kCountdownTimer);
    // A panel nobody sees (the page left during the countdown) asks for nothing.
    if (isVisible()) AskHostToDismiss(false);
}

void CDrinkWaterShowDlg::AskHostToDismiss(bool now) {
    QWidget* host = parentWidget();
    if (!host) return;
    if (now) {
        ui::WindowMessage message(ui::GoHomeMessage);
        QCoreApplication::sendEvent(host, &message);
    } else {
        QCoreApplication::postEvent(host, new ui::WindowMessage(ui::GoHomeMessage));
    }
}
