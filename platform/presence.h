#pragma once

#include <QDateTime>
#include <QFlags>
#include <QObject>
#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

// Whether the user is at the desk, and whether now is a bad moment to interrupt them, followed
// from the desktop's own events (X SYNC alarms, logind, the notification daemon, PipeWire):
// nothing polls. Each side follows nothing until it is switched on, and once switched off again
// it no longer wakes the program at all. Made by Services::WatchPresence(); the null services'
// one is never away nor busy.
class Presence : public QObject {
    Q_OBJECT
  public:
    // Where several hold, WhyAway() names the first of these.
    enum class AwayReason { None, Asleep, Locked, ScreenSaver, Idle };
    enum class BusyReason {
        FullScreen = 0x1,    // the active window is full screen (not one of this program's)
        DoNotDisturb = 0x2,  // the desktop's notifications are silenced
        Call = 0x4,          // a program records sound or video: a call, a screen share
    };
    Q_DECLARE_FLAGS(BusyReasons, BusyReason)

    // One way of following the desktop, alive while its side is watched; it tells its findings
    // through ReportAway / ReportBusy.
    class Part {
      public:
        virtual ~Part() = default;
        virtual void IdleLimitChanged() {}
    };
    using MakePart = std::function<std::unique_ptr<Part>(Presence&)>;

    static constexpr int kDefaultIdleLimit = 300;  // seconds

    // `away` and `busy` make the parts of each side when it is switched on. With none (the
    // default), only what is reported counts: a stand-in for tests of the callers.
    explicit Presence(std::vector<MakePart> away = {}, std::vector<MakePart> busy = {},
                      QObject* parent = nullptr);
    ~Presence() override;

    bool Away() const { return WhyAway() != AwayReason::None; }
    AwayReason WhyAway() const;
    // On the wall clock, when the absence began: for idleness, the last input; where several
    // reasons hold, the earliest. Invalid while the user is present.
    QDateTime AwaySince() const;
    BusyReasons Busy() const { return busyReasons_; }

    // The stretch without input after which the user counts as away (at least 1 s).
    int IdleLimit() const { return idleLimit_; }
    void SetIdleLimit(int seconds);

    // The user's switches: off, a side says present / not busy and follows nothing.
    void WatchAway(bool on);
    void WatchBusy(bool on);
    bool WatchingAway() const { return away_.watching; }
    bool WatchingBusy() const { return busy_.watching; }

    // What the parts find: `since` is when the reason began, invalid once it no longer holds.
    void ReportAway(AwayReason reason, const QDateTime& since);
    void ReportBusy(BusyReason reason, bool busy);

  signals:
    // Away(), WhyAway(), AwaySince() or Busy() changed.
    void Changed();

  private:
    struct Side {
        std::vector<MakePart> make;
        std::vector<std::unique_ptr<Part>> parts;
        bool watching = false;
    };
    template <typename Forget>
    void Switch(Side& side, bool on, Forget forget);
    template <typename Change>
    void Changing(Change change);

    Side away_, busy_;
    std::array<QDateTime, 5> awaySince_;  // by AwayReason; None's stays invalid
    BusyReasons busyReasons_;
    int idleLimit_ = kDefaultIdleLimit;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(Presence::BusyReasons)

}  // namespace platform
