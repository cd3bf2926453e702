#include "ui/wnd_host.h"

#include <QEvent>
#include <utility>

#include "ui/window_base.h"

CWndUI::CWndUI(QWidget* parent) : ui::Control(parent) {}
CWndUI::~CWndUI() = default;

CWndUI* CWndUI::CreateHost(QWidget* page) {
    auto* host = new CWndUI;
    host->Attach(page);
    return host;
}

bool CWndUI::Attach(QWidget* page) {
    if (!page) return false;
    page_ = page;
    if (parentWidget()) {
        page->setGeometry(TargetRect(geometry()));
        page->raise();
    }
    SyncVisibility();
    return true;
}

void CWndUI::SetPageMaker(std::function<QWidget*()> make) {
    maker_ = std::move(make);
    SyncVisibility();
}

void CWndUI::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("inset")) {
        if (auto e = ui::ParseEdges(value)) offsets_ = e->ToMargins();
    }
    ui::Control::SetAttribute(name, value);
}

QRect CWndUI::TargetRect(const QRect& rc) const {
    QRect target = rc.marginsRemoved(offsets_);
    // The page is a child of the window, the host may sit deep in its control tree.
    QWidget* pageParent = page_ ? page_->parentWidget() : nullptr;
    QWidget* hostParent = parentWidget();
    if (pageParent && hostParent && pageParent != hostParent)
        target.moveTopLeft(hostParent->mapTo(pageParent, target.topLeft()));
    return target;
}

void CWndUI::SetPos(const QRect& rc) {
    if (page_) {
        const QRect target = TargetRect(rc);
        if (page_->geometry() == target) {
            // Same place: no move, but the page is redrawn at once.
            page_->repaint();
        } else {
            page_->setGeometry(target);
            page_->raise();
        }
    }
    ui::Control::SetPos(rc);
}

void CWndUI::setVisible(bool visible) {
    ui::Control::setVisible(visible);
    SyncVisibility();
}

void CWndUI::SyncVisibility() {
    const bool shown = parentWidget() && IsVisibleInWindow();
    // Not while the window is still being built: the layout's own visibility of the host comes
    // after the host is placed in it.
    if (!page_ && shown && maker_ && Window() && Window()->IsCreated()) {
        // Once: the maker goes before it runs, so nothing it does can call it again.
        const auto make = std::exchange(maker_, nullptr);
        if (QWidget* page = make()) {
            page_ = page;
            page->setGeometry(TargetRect(geometry()));
        }
    }
    if (!page_) return;
    if (shown) {
        page_->raise();
        page_->showNormal();
    } else {
        page_->hide();
    }
}

bool CWndUI::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange) SyncVisibility();
    return ui::Control::event(event);
}
