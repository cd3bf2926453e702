#pragma once

#include <QPointer>
#include <memory>
#include <vector>

#include "reminders/countdown.h"
#include "ui/window_base.h"

class QScreen;
namespace platform {
class Watch;
}
class RelaxReminder;

// The break on the whole screen: a veil over every monitor, and on the primary one the time
// left and either a motivational picture or six desk stretches to page through; at the end a
// completion view waits for the user to leave. It stays above every other window, full-screen
// programs included, and grabs neither keyboard nor pointer. It deletes itself when closed.
class CHaveRelaxLockDlg : public ui::WindowBase {
    Q_OBJECT
  public:
    enum class PictureMode { Motto, Carousel };
    // A random draw's mode: even numbers the motto, odd ones the stretches.
    static PictureMode ModeFor(quint32 draw) {
        return draw % 2 == 0 ? PictureMode::Motto : PictureMode::Carousel;
    }

    explicit CHaveRelaxLockDlg(RelaxReminder& reminder);
    ~CHaveRelaxLockDlg() override;
    // Builds and shows the lock; false (the lock gone) when its layout cannot be built.
    bool Open();

    QString LayoutFile() const override { return QStringLiteral("HaveRelaxLock.xml"); }
    void OnFinalMessage() override;

    void SetPictureMode(PictureMode mode);
    PictureMode Mode() const { return mode_; }
    bool IsFinished() const;
    const Countdown& BreakCountdown() const { return break_; }
    // The actions of the lock's menu items.
    void OnMenuCommand(const QString& item);
    // Brings the lock and its veils to the front.
    void Raise();
    // The windows that veil the other screens, one per screen but the primary.
    const std::vector<std::unique_ptr<QWidget>>& Veils() const { return veils_; }

  protected:
    void OnInit() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BreakTick(long long remaining);
    void Page(int step);
    void OpenMenu();
    std::vector<WId> AllowedAbove() const;

  private slots:
    // The lock on the primary screen, a veil on each other one; again when screens change.
    void CoverScreens();

  private:
    RelaxReminder& reminder_;
    PictureMode mode_ = PictureMode::Motto;
    Countdown break_;
    struct {
        ui::Control* relax = nullptr;
        ui::Control* end = nullptr;
        ui::Control* motto = nullptr;
        ui::Control* group = nullptr;
        ui::Control* tabs = nullptr;
        ui::Control* time = nullptr;
    } c_;
    std::vector<std::unique_ptr<QWidget>> veils_;
    std::unique_ptr<platform::Watch> keptAbove_;
};
