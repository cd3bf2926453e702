#pragma once

#include <QString>
#include <array>

#include "reminders/countdown.h"
#include "ui/window_base.h"

namespace Reminders {
class ReminderSounds;
}
namespace ui {
class Control;
class Edit;
class GifAnim;
}  // namespace ui

// The panel on which the user confirms a drink: what is left of today's target, the amount of
// one drink (editable), an animated glass, "立即喝水" and a decline. After a drink it shows a
// health tip, counts six seconds and asks its host (the reminder frame, or the main window's page)
// to dismiss it.
class CDrinkWaterShowDlg : public ui::WindowBase {
    Q_OBJECT
  public:
    // The tips, one of them shown after each drink.
    static const std::array<const char*, 4> kDrinkTips;
    static constexpr int kCountdownSeconds = 6;

    // A drink recorded is heard through `sounds`, under the drink-sound switch.
    explicit CDrinkWaterShowDlg(Reminders::ReminderSounds& sounds) : sounds_(sounds) {}

    QString LayoutFile() const override { return layoutFile_; }
    // Before the window is made: the main window uses the large layout.
    void SetLayoutFile(const QString& file) { layoutFile_ = file; }

    void OnVisibilityChanged(bool visible) override;

    // Back to asking: buttons shown, the amount as stored, a new tip, today's figures.
    void ResetPanel();
    void UpdateTargetTips();
    const ::Countdown& CloseCountdown() const { return countdown_; }

  signals:
    // The host is to let go of the panel: a drink done and counted down, or declined.
    void DismissRequested();
    // "我的成绩": the host lets go of the panel and the drink achievements are to show.
    void AchievementsRequested();

  protected:
    void OnInit() override;

  private:
    void Drink();
    void CountdownStep(long long remaining);
    // The drink button only while the amount would record something.
    void UpdateDrinkButton();
    // Once the current event is done: the host may delete the frame the panel sits in.
    void AskHostToDismissLater();

    Reminders::ReminderSounds& sounds_;
    QString layoutFile_ = QStringLiteral("DrinkWaterShow.xml");
    bool initialized_ = false;
    ::Countdown countdown_;
    struct {
        ui::Control* targetTips = nullptr;
        ui::Control* drinkSize = nullptr;
        ui::Edit* amount = nullptr;
        ui::GifAnim* gif = nullptr;
        ui::Control* buttons = nullptr;
        ui::Control* over = nullptr;
        ui::Control* second = nullptr;
        ui::Control* message = nullptr;
        ui::Control* drinkButton = nullptr;
    } c_;
};
