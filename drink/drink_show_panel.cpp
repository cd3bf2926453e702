#include "drink/drink_show_panel.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include "data/drink_log.h"
#include "data/settings_notifier.h"
#include "data/settings_store.h"
#include "drink/log.h"
#include "reminders/reminder_sounds.h"
#include "ui/controls.h"

const std::array<const char*, 4> CDrinkWaterShowDlg::kDrinkTips = {
    "足量饮水能够使心脏更有效地泵血",
    "适量喝水能够防止肌肉抽筋，润滑身体关节",
    "充足的水分能滋润皮肤，延缓衰老",
    "水可以加快新陈代谢，促进毒素排出",
};

void CDrinkWaterShowDlg::OnInit() {
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
    connect(&countdown_, &Countdown::Tick, this, &CDrinkWaterShowDlg::CountdownStep);
    connect(&countdown_, &Countdown::Finished, this, [this] {
        // A panel nobody sees (the page left during the countdown) asks for nothing.
        if (isVisible()) AskHostToDismissLater();
    });
    OnClick("btn_drink_imm", [this] { Drink(); });
    OnClick("btn_drink_no", [this] { AskHostToDismissLater(); });
    OnClick("btn_drink_achieve", [this] {
        countdown_.Stop();
        emit AchievementsRequested();
    });
    OnClick("btn_modify", [this] {
        if (!c_.amount) return;
        c_.amount->setEnabled(true);
        c_.amount->SetFocusToEdit();
        c_.amount->SetSelAll();
    });
    if (c_.amount) {
        connect(c_.amount, &ui::Edit::textEdited, this, &CDrinkWaterShowDlg::UpdateDrinkButton);
        // Stored once the typing has settled, not at every key.
        connect(c_.amount, &ui::Edit::settled, this,
                [this] { SettingsStore::SetDrinkTargetOnce(ui::GetControlInt(c_.amount)); });
        connect(c_.amount, &ui::Edit::focusLost, this, [this] { c_.amount->setEnabled(false); });
    }
    // Today's figures follow every drink, also one another instance wrote, and the target.
    connect(&SettingsNotifier::Instance(), &SettingsNotifier::changed, this,
            [this](SettingsKey key) {
                if (key == SettingsKey::TodayTotal || key == SettingsKey::DrinkTargetDay)
                    UpdateTargetTips();
            });
    initialized_ = true;
    ResetPanel();
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
    const int total = DrinkLog::GetTodayTotal();
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
    DrinkLog::AddDrink(amount);
    sounds_.Play(Reminders::SoundMoment::Done, platform::Cue::Water,
                 SettingsStore::GetDrinkSound());
    UpdateTargetTips();
    ui::SetControlInt(c_.second, kCountdownSeconds);
    countdown_.Start(kCountdownSeconds);
}

void CDrinkWaterShowDlg::CountdownStep(long long remaining) {
    ui::SetControlInt(c_.second, static_cast<int>(remaining));
}

void CDrinkWaterShowDlg::AskHostToDismissLater() {
    QMetaObject::invokeMethod(this, &CDrinkWaterShowDlg::DismissRequested, Qt::QueuedConnection);
}
