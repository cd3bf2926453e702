#pragma once

#include <QPointer>
#include <QTimer>
#include <memory>
#include <vector>

#include "ui/window_base.h"

class QScreen;

// The break on the whole screen: a veil over every monitor, and on the primary one the time
// left and either a motivational picture or six desk stretches to page through; at the end a
// completion view waits for the user to leave. It stays above every other window, full-screen
// programs included, and grabs neither keyboard nor pointer. One lock at most; it deletes itself
// when closed.
class CHaveRelaxLockDlg : public ui::WindowBase {
    Q_OBJECT
  public:
    enum class PictureMode { Motto, Carousel };
    // A random draw's mode: even numbers the motto, odd ones the stretches.
    static PictureMode ModeFor(quint32 draw) {
        return draw % 2 == 0 ? PictureMode::Motto : PictureMode::Carousel;
    }

    CHaveRelaxLockDlg();
    ~CHaveRelaxLockDlg() override;
    // The open lock, or nullptr.
    static CHaveRelaxLockDlg* Instance();

    QString LayoutFile() const override { return QStringLiteral("HaveRelaxLock.xml"); }
    void OnFinalMessage() override;

    void SetPictureMode(PictureMode mode);
    PictureMode Mode() const { return mode_; }
    int BreakSeconds() const { return breakSeconds_; }
    bool IsFinished() const;
    const QTimer& BreakTimer() const { return breakTimer_; }
    // The actions of the lock's menu items.
    void OnMenuCommand(const QString& item);
    // The windows that veil the other screens, one per screen but the primary.
    const std::vector<std::unique_ptr<QWidget>>& Veils() const { return veils_; }

  protected:
    void OnInit() override;

  private:
    void BreakTick();
    void Page(int step);
    void OpenMenu();

  private slots:
    // The lock on the primary screen, a veil on each other one; again when screens change.
    void CoverScreens();

  private:
    PictureMode mode_ = PictureMode::Motto;
    int breakSeconds_ = 0;  // whole seconds since the lock opened
    QTimer breakTimer_;
    struct {
        ui::Control* relax = nullptr;
        ui::Control* end = nullptr;
        ui::Control* motto = nullptr;
        ui::Control* group = nullptr;
        ui::Control* tabs = nullptr;
        ui::Control* time = nullptr;
    } c_;
    std::vector<std::unique_ptr<QWidget>> veils_;
};

// Opens the relax lock, unless one is open.
void ShowRelaxLock();
