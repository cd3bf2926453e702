#include "ui/window_base.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>

#include "platform/platform.h"
#include "ui/controls.h"
#include "ui/layout_builder.h"
#include "ui/log.h"
#include "ui/screen_area.h"
#include "ui/skin_package.h"
#include "ui/skin_paint.h"

namespace ui {

void FocusFirstIn(QWidget* area) {
    if (!area) return;
    for (QWidget* w = area->nextInFocusChain(); w && w != area; w = w->nextInFocusChain()) {
        if (area->isAncestorOf(w) && w->isVisible() && w->isEnabled() &&
            (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void InstallFontSubstitutions() {
    const QString layoutFamily = QStringLiteral("微软雅黑");
    QStringList installed;
    const QStringList families = QFontDatabase::families();
    for (const char* candidate : {"Noto Sans CJK SC", "Source Han Sans SC", "WenQuanYi Micro Hei",
                                  "WenQuanYi Zen Hei", "Droid Sans Fallback"}) {
        const QString name = QString::fromLatin1(candidate);
        if (families.contains(name)) installed << name;
    }
    if (!installed.isEmpty()) QFont::insertSubstitutions(layoutFamily, installed);
}

WindowBase::WindowBase(QWidget* parent) : QWidget(parent) {}

WindowBase::~WindowBase() {
    created_ = false;
    if (modalLoop_) modalLoop_->exit(modalResult_);
}

Control* WindowBase::CreateControl(const QString&) {
    return nullptr;
}

void WindowBase::OnSystemCommand(SystemCommand command) {
    switch (command) {
        case SystemCommand::Close:
            Close(0);
            break;
        case SystemCommand::Minimize:
            showMinimized();
            break;
        case SystemCommand::Maximize:
            if (!zoomed_ && MayMaximize()) MaxRestoreToggle();
            break;
        case SystemCommand::Restore:
            if (zoomed_) MaxRestoreToggle();
            break;
    }
}

bool WindowBase::MayMaximize() const {
    return FindControl(QStringLiteral("btn_show_max")) != nullptr;
}

bool WindowBase::Create(QWidget* owner, Qt::WindowFlags extraFlags) {
    return Build(owner, Qt::Window | Qt::FramelessWindowHint | extraFlags, true);
}

bool WindowBase::CreateChild(QWidget* parent) {
    if (!parent) return false;
    return Build(parent, Qt::Widget, false);
}

bool WindowBase::Build(QWidget* parent, Qt::WindowFlags flags, bool topLevel) {
    if (created_) return true;
    std::optional<LayoutDocument> doc = LayoutBuilder::Load(LayoutFile(), &error_);
    if (!doc) {
        qCWarning(lcUi).noquote() << "cannot build a window:" << error_;
        return false;
    }

    settings_ = ReadWindowSettings(doc->windowAttributes);
    fonts_.clear();
    defaultFont_ = QApplication::font();
    bool haveDefault = false;
    for (const FontEntry& entry : doc->fonts) {
        QFont font(entry.family.isEmpty() ? QApplication::font().family() : entry.family);
        font.setPixelSize(entry.pixelSize);
        font.setBold(entry.bold);
        font.setItalic(entry.italic);
        font.setUnderline(entry.underline);
        font.setHintingPreference(QFont::PreferFullHinting);
        fonts_.insert(entry.id, font);
        if (entry.isDefault || (!haveDefault && &entry == &doc->fonts.front())) {
            defaultFont_ = font;
            haveDefault = haveDefault || entry.isDefault;
        }
    }

    setParent(parent, flags);
    if (topLevel) {
        if (!settings_.shadowImage.isEmpty() && platform::Current().CompositorRunning()) {
            shadowMargins_ = settings_.shadowCorner.ToMargins();
            setAttribute(Qt::WA_TranslucentBackground);
        }
    }
    setFont(defaultFont_);

    root_ = LayoutBuilder::Build(*doc, this);
    if (!root_) {
        error_ = QStringLiteral("%1: no control for the root element <%2>")
                     .arg(LayoutFile(), doc->root.tag);
        qCWarning(lcUi).noquote() << "cannot build a window:" << error_;
        return false;
    }
    root_->setParent(this);
    root_->show();
    root_->lower();

    const QSize client = settings_.size.isValid() && !settings_.size.isEmpty()
                             ? settings_.size
                             : QSize(std::max(1, width()), std::max(1, height()));
    const QSize margins(shadowMargins_.left() + shadowMargins_.right(),
                        shadowMargins_.top() + shadowMargins_.bottom());
    if (topLevel) {
        if (settings_.minSize) setMinimumSize(*settings_.minSize + margins);
        if (settings_.maxSize && !settings_.maxSize->isEmpty())
            setMaximumSize(*settings_.maxSize + margins);
    }
    resize(client + margins);
    root_->SetPos(ClientRect());
    created_ = true;
    closed_ = false;
    // OnInit comes from the event loop, once the tree is in place.
    QMetaObject::invokeMethod(this, &WindowBase::DeliverInit, Qt::QueuedConnection);
    return true;
}

void WindowBase::DeliverInit() {
    if (initDelivered_ || !created_) return;
    initDelivered_ = true;
    OnInit();
}

QRect WindowBase::ClientRect() const {
    return rect().marginsRemoved(shadowMargins_);
}

Control* WindowBase::FindControl(const QString& name) const {
    if (name.isEmpty() || !root_) return nullptr;
    if (root_->objectName() == name) return root_;
    // Controls of hosted pages belong to their own windows.
    for (Control* c : root_->findChildren<Control*>(name))
        if (c->Window() == this) return c;
    return nullptr;
}

Control* WindowBase::FindControlAt(const QPoint& clientPoint) const {
    if (!root_) return nullptr;
    const QPoint p = clientPoint + ClientRect().topLeft();
    QWidget* w = childAt(p);
    for (; w && w != this; w = w->parentWidget()) {
        auto* c = qobject_cast<Control*>(w);
        if (c && c->Window() == this) return c;
        if (qobject_cast<WindowBase*>(w)) return nullptr;  // a hosted page's own area
    }
    return nullptr;
}

HitTest WindowBase::CaptionHitTest(const QPoint& clientPoint) const {
    const QRect client(QPoint(0, 0), ClientRect().size());
    const Edges& cap = settings_.caption;
    const int x = clientPoint.x(), y = clientPoint.y();
    const bool inBand = client.left() + cap.left <= x && x < client.right() + 1 - cap.right &&
                        cap.top <= y && y < cap.bottom;
    if (!inBand) return HitTest::Client;
    const Control* c = FindControlAt(clientPoint);
    if (!c) return HitTest::Client;
    // Buttons (options and check boxes among them) and wrapped text keep their clicks.
    if (qobject_cast<const Button*>(c) || qobject_cast<const Text*>(c)) return HitTest::Client;
    return HitTest::Caption;
}

bool WindowBase::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type t = event->type();
    if ((t == QEvent::MouseButtonPress || t == QEvent::MouseButtonDblClick) && isWindow()) {
        auto* me = static_cast<QMouseEvent*>(event);
        auto* control = qobject_cast<Control*>(watched);
        if (me->button() == Qt::LeftButton && control && control->Window() == this) {
            const QPoint clientPoint =
                mapFromGlobal(me->globalPosition().toPoint()) - ClientRect().topLeft();
            if (CaptionHitTest(clientPoint) == HitTest::Caption) {
                if (t == QEvent::MouseButtonDblClick) {
                    OnSystemCommand(zoomed_ ? SystemCommand::Restore : SystemCommand::Maximize);
                } else if (QWindow* handle = windowHandle()) {
                    handle->startSystemMove();
                }
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

QFont WindowBase::FontById(int id) const {
    return fonts_.value(id, defaultFont_);
}

int WindowBase::ShowModal() {
    if (!created_ || closed_ || modalLoop_) return -1;
    setWindowModality(parentWidget() ? Qt::WindowModal : Qt::NonModal);
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    modalLoop_ = &loop;
    modalResult_ = 0;
    QPointer<WindowBase> self(this);
    const int result = loop.exec(QEventLoop::DialogExec);
    if (self) self->modalLoop_ = nullptr;
    return result;
}

void WindowBase::Close(int result) {
    QMetaObject::invokeMethod(
        this, [this, result] { FinishClose(result); }, Qt::QueuedConnection);
}

void WindowBase::FinishClose(int result) {
    if (closed_) return;
    closed_ = true;
    // The window's own timers die with it, as the window is gone for good.
    for (QTimer* timer : findChildren<QTimer*>(Qt::FindDirectChildrenOnly)) timer->stop();
    hide();
    if (modalLoop_) {
        modalResult_ = result;
        modalLoop_->exit(result);
        modalLoop_ = nullptr;
    }
    emit Closed(result);
    OnFinalMessage();
}

void WindowBase::keyPressEvent(QKeyEvent* event) {
    // Escape answers a modal window with 0, as closing it any other way than its buttons does.
    if (event->key() == Qt::Key_Escape && modalLoop_) {
        Close(0);
        return;
    }
    QWidget::keyPressEvent(event);
}

void WindowBase::closeEvent(QCloseEvent* event) {
    // The window manager's close (and Alt+F4) is a request the window may turn down.
    event->ignore();
    OnSystemCommand(SystemCommand::Close);
}

void WindowBase::CenterWindow() {
    QRect area;
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (owner && owner->isVisible() && !owner->isMinimized()) {
        area = owner->frameGeometry();
    } else if (QScreen* screen =
                   this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        area = platform::Current().WorkArea(screen);
    }
    if (area.isEmpty()) return;
    QRect r(QPoint(0, 0), size());
    r.moveCenter(area.center());
    move(KeptWithin(r, WorkAreaAt(area.center())).topLeft());
}

void WindowBase::ShowWithFocus() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

WId WindowBase::NativeId() {
    create();
    return internalWinId();
}

void WindowBase::MaxRestoreToggle() {
    const bool wasZoomed = zoomed_;
    if (!zoomed_) {
        QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        if (!screen) return;
        normalGeometry_ = geometry();
        // Maximised covers the work area (not the panels), within the layout's maximum; Qt's own
        // view of it misses the panels once there is more than one monitor.
        QRect work = platform::Current().WorkArea(screen);
        work.setSize(work.size().boundedTo(maximumSize()).expandedTo(minimumSize()));
        setGeometry(work);
        zoomed_ = true;
    } else {
        setGeometry(normalGeometry_);
        zoomed_ = false;
    }
    if (wasZoomed != zoomed_) ApplyZoomButtons();
}

void WindowBase::ApplyZoomButtons() {
    if (Control* max = FindControl(QStringLiteral("btn_show_max"))) max->setVisible(!zoomed_);
    if (Control* restore = FindControl(QStringLiteral("btn_show_restore")))
        restore->setVisible(zoomed_);
}

void WindowBase::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ReportVisibility(true);
}

// Minimising counts: the window system's hide and show (spontaneous events) mean the user no
// longer or again sees the window, as much as a hide by the program does.
void WindowBase::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    ReportVisibility(false);
}

void WindowBase::ReportVisibility(bool visible) {
    if (visible == reportedVisible_) return;
    reportedVisible_ = visible;
    OnVisibilityChanged(visible);
}

void WindowBase::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // A window manager's maximise (its keys, its menu) obeys the same rule as the caption.
    if (event->type() == QEvent::WindowStateChange && isWindow() &&
        (windowState() & Qt::WindowMaximized) && !MayMaximize())
        setWindowState(windowState() & ~Qt::WindowMaximized);
}

void WindowBase::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (root_) root_->SetPos(ClientRect());
}

void WindowBase::paintEvent(QPaintEvent* event) {
    if (!HasShadow()) {
        QWidget::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    SkinImage shadow;
    shadow.file = settings_.shadowImage;
    shadow.corner = settings_.shadowCorner;
    DrawSkinImage(painter, rect(), shadow, SkinPackage::Current());
}

}  // namespace ui
