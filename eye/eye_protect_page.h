#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <array>

#include "ui/window_base.h"

class CCircleSliderUI;
namespace ui {
class Option;
}

// The eye-protection page of the main window: the blue-light switch, four modes and the gauge
// of the strength. Every action goes straight to the filter (SetBluePercent, SetEyeProtectOn),
// which stores it and loads the ramp; the page keeps no setting and shows what the store holds
// each time it becomes visible. Where no ramp reaches the screen the tip says so; the switch
// still keeps the setting.
//
// While the filter is on, the gauge can also be moved by hand (drag, wheel, keys) to any
// strength from 0 to 100: the screen follows a drag live, at most once a frame, and the strength
// is stored once, where the drag ends.
class CEyeProtectDlg : public ui::WindowBase {
    Q_OBJECT
  public:
    CEyeProtectDlg();
    ~CEyeProtectDlg() override;

    QString LayoutFile() const override { return QStringLiteral("eyeprotect.xml"); }
    ui::Control* CreateControl(const QString& tag) override;
    void OnSystemCommand(ui::SystemCommand command) override;
    void OnVisibilityChanged(bool visible) override;

    // The switch, options and gauge from the store.
    void Refresh();
    // The strength the screen has: the stored one while the filter is on, else 0.
    static int UsedPercent();
    // A strength on the label, gauge, options and tip.
    void ShowPercent(int percent);

    // The shortest time between two ramps loaded during a drag; a frame of the screen unless a
    // test sets another.
    int PreviewInterval() const;
    void SetPreviewInterval(int milliseconds) { previewInterval_ = milliseconds; }

  protected:
    void OnInit() override;

  private:
    void InitControls();
    void OnSwitch();
    void OnGaugeMoving(int percent);
    void OnGaugeSettled(int percent);
    void FlushPreview();

    struct Controls {
        ui::Option* checkBlueAvoid = nullptr;
        std::array<ui::Option*, 4> options{};  // opt_inter, opt_office, opt_game, opt_movie
        CCircleSliderUI* gauge = nullptr;
        ui::Control* labelPercent = nullptr;
        ui::Control* labelTips = nullptr;
    } c_;
    bool found_ = false;

    int previewInterval_ = -1;  // -1: a frame of the page's screen
    int pendingPreview_ = -1;   // a strength waiting for its frame; -1 for none
    QElapsedTimer lastPreview_;
    QTimer previewTimer_;  // runs only while a drag outpaces the frames
};
