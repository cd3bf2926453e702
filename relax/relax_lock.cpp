#include "relax/relax_lock.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QScreen>
#include <QWindow>

#include "data/settings_store.h"
#include "platform/platform.h"
#include "relax/log.h"
#include "relax/relax_reminder.h"
#include "reminders/reminder_scheduler.h"
#include "reminders/reminder_window.h"
#include "ui/controls.h"
#include "ui/menu.h"
#include "ui/skin_package.h"
#include "ui/skin_paint.h"

namespace {

constexpr int kCarouselPages = 6;
// The lock's menu opens left of its button, right below it.
constexpr QPoint kMenuOffset(-96, 0);
const char* const kVeil = "bk_fullscreen.png";
// What window lists and screen readers call the lock and its veils.
const char* const kTitle = "休息中 · 悦息伙伴";
// Out of the window manager's hands: it can neither iconify these windows nor take their place
// above the others away, as some do from a full-screen window right after it maps. The platform
// keeps them above every managed window; others' menus, notifications and the screen locker,
// unmanaged too, stay above them.
constexpr Qt::WindowFlags kUnmanaged =
    Qt::Tool | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint;

// The whole of `screen`, above everything.
void CoverScreen(QWidget& window, QScreen* screen) {
    if (QWindow* handle = window.windowHandle()) handle->setScreen(screen);
    window.setGeometry(screen->geometry());
    window.show();
    window.raise();
}

// The dark veil that covers a screen the break content is not on.
class Veil : public QWidget {
  public:
    Veil() : QWidget(nullptr, Qt::Window | kUnmanaged) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setWindowTitle(QString::fromUtf8(kTitle));
        if (platform::Current().CompositorRunning()) setAttribute(Qt::WA_TranslucentBackground);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        // Without a compositor nothing shows through: the veil darkens black instead.
        if (!testAttribute(Qt::WA_TranslucentBackground)) painter.fillRect(rect(), Qt::black);
        ui::SkinImage veil;
        veil.file = QString::fromLatin1(kVeil);
        ui::DrawSkinImage(painter, rect(), veil, ui::SkinPackage::Current());
    }
};

}  // namespace

CHaveRelaxLockDlg::CHaveRelaxLockDlg(RelaxReminder& reminder) : reminder_(reminder) {}

CHaveRelaxLockDlg::~CHaveRelaxLockDlg() = default;

bool CHaveRelaxLockDlg::Open() {
    if (platform::Current().CompositorRunning()) {
        setAttribute(Qt::WA_TranslucentBackground);
    } else {
        // Nothing shows through without a compositor: the veil darkens black instead.
        QPalette dark = palette();
        dark.setColor(QPalette::Window, Qt::black);
        setPalette(dark);
        setAutoFillBackground(true);
    }
    if (!Create(nullptr, kUnmanaged)) {
        OnFinalMessage();
        return false;
    }
    setWindowTitle(QString::fromUtf8(kTitle));
    return true;
}

bool CHaveRelaxLockDlg::IsFinished() const {
    return c_.end && c_.end->IsVisibleFlag();
}

void CHaveRelaxLockDlg::OnInit() {
    c_.relax = Find("hori_relax");
    c_.end = Find("hori_end");
    c_.motto = Find("label_group");
    c_.group = Find("hori_group");
    c_.tabs = Find("tab_group");
    c_.time = Find("label_relax_time");
    if (!c_.relax || !c_.end || !c_.tabs || !c_.time)
        qCWarning(lcRelax) << LayoutFile() << "lacks controls the relax lock needs";
    OnClick("btn_relax_over", [this] { Close(1); });
    OnClick("btn_relax_prev", [this] { Page(-1); });
    OnClick("btn_relax_next", [this] { Page(1); });
    OnClick("btn_relax_set", [this] { OpenMenu(); });
    connect(&break_, &Countdown::Tick, this, &CHaveRelaxLockDlg::BreakTick);
    connect(&break_, &Countdown::Finished, this, [this] {
        // Over: the completion view waits for the user.
        if (c_.relax) c_.relax->setVisible(false);
        if (c_.end) c_.end->setVisible(true);
        // The button now ends nothing: it says what it does.
        if (auto* over = Find<ui::Button>("btn_relax_over")) {
            over->SetAttribute(QStringLiteral("normalimage"),
                               QStringLiteral("file='btn_relax_done.png' source='0,0,100,40'"));
            over->SetAttribute(QStringLiteral("pushedimage"),
                               QStringLiteral("file='btn_relax_done.png' source='100,0,200,40'"));
        }
        reminder_.Sound(Reminders::SoundMoment::Ends);
    });
    break_.Start(SettingsStore::GetRelaxMinute() * 60LL);
    // A new draw at every break: either picture mode may come, whatever came before.
    SetPictureMode(ModeFor(QRandomGenerator::global()->bounded(32768u)));
    if (c_.time)
        c_.time->SetText(QString::asprintf("%02d:%02d:00", SettingsStore::GetRelaxMinute() / 60,
                                           SettingsStore::GetRelaxMinute() % 60));
    CoverScreens();
    // A screen plugged in, removed or changed during the break is followed.
    connect(qGuiApp, &QGuiApplication::screenAdded, this, &CHaveRelaxLockDlg::CoverScreens);
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &CHaveRelaxLockDlg::CoverScreens);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this,
            &CHaveRelaxLockDlg::CoverScreens);
    // Keys typed into another program as the lock appears must not act on it.
    ui::FocusMarks::Instance().SetShown(false);
    qApp->installEventFilter(this);
    ShowWithFocus();
}

bool CHaveRelaxLockDlg::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return false;
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride: {
            // Only once the user has moved the focus on purpose, and can see it, do keys act:
            // typing goes nowhere, a Tab shows the focus.
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Tab || key == Qt::Key_Backtab) return false;
            return !ui::FocusMarks::Instance().Shown() || key == Qt::Key_Escape;
        }
        case QEvent::MouseButtonPress:
            // The window manager hands unmanaged windows no keyboard: a click takes it.
            if (!isActiveWindow()) activateWindow();
            return false;
        default:
            return false;
    }
}

void CHaveRelaxLockDlg::Raise() {
    for (const auto& veil : veils_) veil->raise();
    raise();
}

std::vector<WId> CHaveRelaxLockDlg::AllowedAbove() const {
    // What the lock opened (its menu, its settings frame) and questions that wait for an answer.
    std::vector<WId> ids;
    const QWindow* lock = windowHandle();
    for (QWindow* w : QGuiApplication::topLevelWindows()) {
        if (!w->isVisible() || w == lock) continue;
        bool ours = w->modality() != Qt::NonModal;
        for (const QWindow* p = w->transientParent(); p && !ours; p = p->transientParent())
            ours = p == lock;
        if (ours) ids.push_back(w->winId());
    }
    return ids;
}

void CHaveRelaxLockDlg::SetPictureMode(PictureMode mode) {
    mode_ = mode;
    if (c_.motto) c_.motto->setVisible(mode == PictureMode::Motto);
    if (c_.group) c_.group->setVisible(mode == PictureMode::Carousel);
    if (auto* tabs = qobject_cast<ui::TabLayout*>(c_.tabs)) tabs->SelectItem(0);
}

void CHaveRelaxLockDlg::BreakTick(long long seconds) {
    if (c_.time)
        c_.time->SetText(QString::asprintf("%02lld:%02lld:%02lld", seconds / 3600,
                                           seconds / 60 % 60, seconds % 60));
}

void CHaveRelaxLockDlg::Page(int step) {
    auto* tabs = qobject_cast<ui::TabLayout*>(c_.tabs);
    if (!tabs) return;
    const int page = tabs->CurrentIndex() + step;
    // No wrapping round: the first and last pictures are ends.
    if (page >= 0 && page < std::min(kCarouselPages, tabs->ChildCount())) tabs->SelectItem(page);
}

void CHaveRelaxLockDlg::OpenMenu() {
    ui::MenuWnd* menu = Reminders::OpenMenuBelow(
        *this, "btn_relax_set", QStringLiteral("menu_relax_full.xml"), kMenuOffset);
    if (!menu) return;
    connect(menu, &ui::MenuWnd::itemChosen, this, &CHaveRelaxLockDlg::OnMenuCommand);
    // The white tick says "no more full-screen breaks" is in force.
    menu->SetItemIcon(QStringLiteral("menu_relax_nopop"),
                      SettingsStore::GetRemindFullScreen()
                          ? QString()
                          : QStringLiteral("menuitem_tick_white.png"));
}

void CHaveRelaxLockDlg::OnMenuCommand(const QString& item) {
    if (item == QLatin1String("menu_relax_nopop")) {
        // For the next break; this one goes on here.
        SettingsStore::SetRemindFullScreen(!SettingsStore::GetRemindFullScreen());
    } else if (item == QLatin1String("menu_relax_tipset")) {
        reminder_.OpenSettingsFrame(this);
    } else if (item == QLatin1String("menu_relax_feedback")) {
        reminder_.Scheduler().RequestFeedback();
    }
}

void CHaveRelaxLockDlg::CoverScreens() {
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary || IsClosed()) return;
    CoverScreen(*this, primary);
    veils_.clear();
    for (QScreen* screen : QGuiApplication::screens()) {
        connect(screen, &QScreen::geometryChanged, this, &CHaveRelaxLockDlg::CoverScreens,
                Qt::UniqueConnection);
        // A mirror of the primary screen shows the break already.
        if (screen == primary || primary->geometry().contains(screen->geometry())) continue;
        auto veil = std::make_unique<Veil>();
        CoverScreen(*veil, screen);
        veils_.push_back(std::move(veil));
    }
    // Screens may overlap (the desktop's fallback monitor over all of them): the break stays
    // above the veils, where its buttons can be reached.
    raise();
    std::vector<WId> kept;
    for (const auto& veil : veils_) kept.push_back(veil->winId());
    kept.push_back(winId());
    keptAbove_.reset();
    keptAbove_ = platform::Current().KeepAbove(std::move(kept), [this] { return AllowedAbove(); });
}

void CHaveRelaxLockDlg::OnFinalMessage() {
    qApp->removeEventFilter(this);
    keptAbove_.reset();
    veils_.clear();
    deleteLater();
}
