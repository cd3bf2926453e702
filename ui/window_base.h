#pragma once

#include <QFont>
#include <QHash>
#include <QMap>
#include <QPointer>
#include <QWidget>
#include <optional>

#include "ui/controls.h"
#include "ui/layout_model.h"

class QEventLoop;

// The base of every window: built from a layout of the skin package, it lets the window find its
// controls once the tree is in place (OnInit), drags by its caption band, keeps the layout's
// size limits, can run modally and closes with a result.
namespace ui {

enum class SystemCommand { Close, Minimize, Maximize, Restore };
enum class HitTest { Client, Caption };

class WindowBase : public QWidget {
    Q_OBJECT
  public:
    explicit WindowBase(QWidget* parent = nullptr);
    ~WindowBase() override;

    // The layout this window is built from (a file of the skin package).
    virtual QString LayoutFile() const = 0;
    // Makes a control for a tag the builder does not know; nullptr for none.
    virtual Control* CreateControl(const QString& tag);
    // Close, minimise, maximise and restore requests from the user or the window manager.
    // The base closes with result 0, minimises, and maximises within the work area when the
    // window may maximise.
    virtual void OnSystemCommand(SystemCommand command);
    // Only a layout with a maximise button (`btn_show_max`) makes a window that may maximise;
    // a caption double click or a maximise request leaves every other window as it is.
    virtual bool MayMaximize() const;
    // Runs when the window is finally gone (closed or destroyed, not merely hidden). Windows
    // created on the heap free themselves here and clear whatever tracks them.
    virtual void OnFinalMessage() {}
    // The window became visible or was hidden. For a page hosted in another window this follows
    // what the user can see: its host being shown or hidden, and the whole window with it. Pages
    // re-read their settings when shown and keep their refresh timers only while visible.
    // May come before OnInit.
    virtual void OnVisibilityChanged(bool /*visible*/) {}

    // Builds the layout into a frameless top-level window owned by `owner` (may be null), with
    // `extraFlags` (Qt::Tool, Qt::WindowStaysOnTopHint, ...). False, with ErrorText(), when the
    // layout is missing or malformed; the window then has no controls.
    bool Create(QWidget* owner, Qt::WindowFlags extraFlags = {});
    // Builds the layout into a child widget of `parent` (a page hosted in another window).
    bool CreateChild(QWidget* parent);
    bool IsCreated() const { return created_; }
    // Whether OnInit has run.
    bool IsInitialized() const { return initDelivered_; }
    bool IsClosed() const { return closed_; }
    QString ErrorText() const { return error_; }

    // Shows the window and runs a local event loop until Close; returns Close's result.
    // Other windows and their timers keep running meanwhile; the owner is blocked.
    int ShowModal();
    // Closes with a result, after the current event is done (posted). The window is hidden for
    // good and OnFinalMessage runs.
    void Close(int result = 0);
    // Centres over the owner when it is visible, else over the work area of the window's screen.
    void CenterWindow();
    void ShowWithFocus();
    // The top-level window's native id, made now if need be (to set hints before it is shown).
    // Unlike QWidget::winId(), it leaves the owner's other children alone: that call would make
    // every one of them a native window too.
    WId NativeId();

    Control* Root() const { return root_; }
    Control* FindControl(const QString& name) const;
    // A control of the layout by its name, as the type a window binds it as; nullptr when the
    // layout has no such control or it is of another kind.
    template <typename T = Control>
    T* Find(const char* name) const {
        return qobject_cast<T*>(FindControl(QString::fromLatin1(name)));
    }
    // Runs `slot` on each click of the layout's button `name`; false when the layout has no such
    // button.
    template <typename Slot>
    bool OnClick(const char* name, Slot&& slot) {
        auto* button = Find<Button>(name);
        if (button) connect(button, &Button::clicked, this, std::forward<Slot>(slot));
        return button != nullptr;
    }
    // The deepest visible control under a point of the client area; nullptr for none.
    Control* FindControlAt(const QPoint& clientPoint) const;
    // The client area: the window less its drop shadow margins.
    QRect ClientRect() const;
    const WindowSettings& Settings() const { return settings_; }
    bool HasShadow() const { return !shadowMargins_.isNull(); }
    QMargins ShadowMargins() const { return shadowMargins_; }

    // The caption band test: in the band and not on a Button, Option or Text → Caption.
    HitTest CaptionHitTest(const QPoint& clientPoint) const;

    // Fonts of the layout by id; the default font when the id is unknown.
    QFont FontById(int id) const;
    QFont DefaultFont() const { return defaultFont_; }

    // Maximises to the work area of the window's screen (bounded by the layout's maximum) or
    // restores, and swaps the visibility of `btn_show_max` / `btn_show_restore`.
    void MaxRestoreToggle();
    bool IsZoomed() const { return zoomed_; }

  signals:
    // The window closed for good (Close), with its result; OnFinalMessage follows.
    void Closed(int result);

  protected:
    // Called once from the event loop right after the layout is built: the window finds its
    // controls (Find<T>) and connects to their signals here.
    virtual void OnInit() {}

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    friend class LayoutBuilder;
    bool Build(QWidget* parent, Qt::WindowFlags flags, bool topLevel);
    void DeliverInit();
    void FinishClose(int result);
    void ApplyZoomButtons();
    void ReportVisibility(bool visible);

    Control* root_ = nullptr;
    WindowSettings settings_;
    QHash<int, QFont> fonts_;
    QFont defaultFont_;
    QMargins shadowMargins_;
    bool created_ = false;
    bool initDelivered_ = false;
    bool closed_ = false;
    bool zoomed_ = false;
    bool reportedVisible_ = false;
    QRect normalGeometry_;
    QString error_;
    QEventLoop* modalLoop_ = nullptr;
    int modalResult_ = 0;
};

// Gives the keyboard focus to the first control inside `area` that takes it from Tab (in the
// order Tab visits them). Nothing happens when there is none.
void FocusFirstIn(QWidget* area);

// Qt's names for "微软雅黑", the family every layout asks for: the installed CJK fonts.
void InstallFontSubstitutions();

}  // namespace ui
