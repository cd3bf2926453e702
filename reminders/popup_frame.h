#pragma once

#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

#include "ui/window_base.h"

// The small free-standing window that carries a feature's panel outside the main window: the
// drink reminder (sliding up into the corner of the work area) or the relax settings (centred).
// The feature that owns the panel makes it and says what the frame's menu does. Frames live on
// the heap and delete themselves when closed.
class CFramePopupDlg : public ui::WindowBase {
    Q_OBJECT
  public:
    struct Setup {
        QString title;
        // In the corner without taking the focus (a reminder), or centred and active.
        bool corner = false;
        // The panel, made when the frame is built; the frame owns it.
        std::function<std::unique_ptr<ui::WindowBase>(CFramePopupDlg& frame)> makeContent;
        // The menu's "no more reminders": whether it is in force, and switching it.
        std::function<bool()> remindersOn;
        std::function<void(bool on)> setRemindersOn;
        // The menu's "提醒设置"; nothing when empty (the frame is those settings already).
        std::function<void()> openSettings;
        // Pixels the panel needs beyond the frame's own height.
        int extraHeight = 0;
        // The menu's "意见反馈"; nothing when empty.
        std::function<void()> feedback;
    };

    // Opens a frame; nullptr when its layout cannot be built.
    static CFramePopupDlg* Open(Setup setup, QWidget* owner = nullptr);

    ui::WindowBase* Content() const { return content_.get(); }
    bool IsSliding() const { return slideTimer_.isActive(); }
    const QTimer& SlideTimer() const { return slideTimer_; }

    QString LayoutFile() const override { return QStringLiteral("FramePopup.xml"); }
    ui::Control* CreateControl(const QString& tag) override;
    void OnFinalMessage() override;
    // The actions of the frame's menu items.
    void OnMenuCommand(const QString& item);

  protected:
    void OnInit() override;

  private:
    explicit CFramePopupDlg(Setup setup);
    void OpenMenu();

    Setup setup_;
    std::unique_ptr<ui::WindowBase> content_;
    QTimer slideTimer_;
};
