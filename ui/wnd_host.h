#pragma once

#include <QPointer>
#include <functional>

#include "ui/control.h"

// CWndUI: a layout control that stands in for a complete page window. The page follows the
// control's place and visibility: it shows only while the control and all its ancestors are
// visible, and is moved only when its place really changes.
class CWndUI : public ui::Control {
    Q_OBJECT
  public:
    explicit CWndUI(QWidget* parent = nullptr);
    ~CWndUI() override;  // the page is left alone: it belongs to its page object

    // A new host carrying `page` (the page must already be a child of the host's window).
    static CWndUI* CreateHost(QWidget* page);

    // Takes `page` as the hosted window. False (nothing stored) for no page.
    bool Attach(QWidget* page);
    // A page made only when the host is first shown: windows whose pages are many and seldom
    // all seen open without building them. `make` returns the page (a child of the host's
    // window), or nullptr.
    void SetPageMaker(std::function<QWidget*()> make);
    QWidget* HostedWindow() const { return page_; }

    void SetAttribute(const QString& name, const QString& value) override;
    void SetPos(const QRect& rc) override;
    void setVisible(bool visible) override;

    // Shows or hides the page to match the host's visibility in its window. Called when the
    // host or one of its ancestors changes visibility.
    void SyncVisibility();

  protected:
    bool event(QEvent* event) override;

  private:
    QRect TargetRect(const QRect& rc) const;
    QPointer<QWidget> page_;
    std::function<QWidget*()> maker_;
    QMargins offsets_;
};
