#include <QObject>
#include <cstdint>

#include "data/clock.h"
#include "platform/log.h"
#include "platform/presence_parts.h"
#include "platform/x11/presence_x11.h"

// Last: Xlib defines macros (Bool, Status, None...) that clash with Qt's own names.
#include <X11/Xlib.h>
#include <X11/extensions/sync.h>

namespace x11 {

namespace {

using platform::Presence;

std::int64_t Milliseconds(const XSyncValue& value) {
    return (std::int64_t{XSyncValueHigh32(value)} << 32) | XSyncValueLow32(value);
}

class IdleWatch final : public Presence::Part {
  public:
    IdleWatch(Connection& connection, Presence& presence)
        : connection_(connection), presence_(presence), display_(connection.Get()) {
        if (display_ == nullptr) return;  // the X11 services have said so
        int errorBase = 0, major = 0, minor = 0;
        if (!XSyncQueryExtension(display_, &eventBase_, &errorBase) ||
            !XSyncInitialize(display_, &major, &minor) || !FindCounter()) {
            qCWarning(lcPlatform) << "the X server has no SYNC idle counter: idleness goes unseen";
            return;
        }
        listening_ = connection_.Listen([this](XEvent& event) {
            if (event.type != eventBase_ + XSyncAlarmNotify) return;
            const auto& alarm = reinterpret_cast<const XSyncAlarmNotifyEvent&>(event);
            if (alarm.alarm == idleAlarm_) Idle(Milliseconds(alarm.counter_value));
            if (alarm.alarm == backAlarm_) Back();
        });
        ErrorTrap trap;
        idleAlarm_ = Alarm(None, XSyncPositiveTransition, LimitMs());
        // Fires on the first input after a stretch of the limit: the counter falls back below it.
        backAlarm_ = Alarm(None, XSyncNegativeTransition, LimitMs());
        XSync(display_, False);
        if (trap.Count() > 0) {
            qCWarning(lcPlatform) << "X SYNC alarms refused (error" << trap.Code()
                                  << "): idleness goes unseen";
            listening_.reset();
            return;
        }
        Check();
    }
    ~IdleWatch() override {
        if (listening_ == nullptr) return;
        XSyncDestroyAlarm(display_, idleAlarm_);
        XSyncDestroyAlarm(display_, backAlarm_);
        XFlush(display_);
    }

    void IdleLimitChanged() override {
        if (listening_ == nullptr) return;
        Alarm(idleAlarm_, XSyncPositiveTransition, LimitMs());
        Alarm(backAlarm_, XSyncNegativeTransition, LimitMs());
        Check();
    }

  private:
    std::int64_t LimitMs() const { return std::int64_t{presence_.IdleLimit()} * 1000; }

    bool FindCounter() {
        int count = 0;
        XSyncSystemCounter* counters = XSyncListSystemCounters(display_, &count);
        for (int i = 0; i < count; ++i)
            if (qstrcmp(counters[i].name, "IDLETIME") == 0) counter_ = counters[i].counter;
        if (counters) XSyncFreeSystemCounterList(counters);
        return counter_ != None;
    }

    // Makes (`alarm` None) or moves an alarm on the idle counter at `ms`.
    XSyncAlarm Alarm(XSyncAlarm alarm, XSyncTestType test, std::int64_t ms) {
        XSyncAlarmAttributes a{};
        a.trigger.counter = counter_;
        a.trigger.value_type = XSyncAbsolute;
        a.trigger.test_type = test;
        XSyncIntsToValue(&a.trigger.wait_value, static_cast<unsigned>(ms & 0xffffffff),
                         static_cast<int>(ms >> 32));
        XSyncIntToValue(&a.delta, 0);
        a.events = True;
        const unsigned long mask = XSyncCACounter | XSyncCAValueType | XSyncCATestType |
                                   XSyncCAValue | XSyncCADelta | XSyncCAEvents;
        if (alarm == None) return XSyncCreateAlarm(display_, mask, &a);
        XSyncChangeAlarm(display_, alarm, mask, &a);
        return alarm;
    }

    // Where the counter stands now, against a limit just set: alarms see only crossings.
    void Check() {
        XSyncValue value;
        if (!XSyncQueryCounter(display_, counter_, &value)) return;
        connection_.DrainSoon();
        const std::int64_t idleMs = Milliseconds(value);
        if (idleMs >= LimitMs() && !away_)
            Idle(idleMs);
        else if (idleMs < LimitMs())
            Back();
    }

    void Idle(std::int64_t idleMs) {
        const QDateTime lastInput = Clock::Current().Now().addMSecs(-idleMs);
        const int asked = ++question_;
        platform::AskIdleInhibited(&context_, [this, asked, idleMs, lastInput](bool inhibited) {
            if (asked != question_) return;  // input came meanwhile
            if (inhibited)                   // present for another stretch
                Alarm(idleAlarm_, XSyncPositiveTransition, idleMs + LimitMs());
            else
                presence_.ReportAway(Presence::AwayReason::Idle, lastInput);
            away_ = !inhibited;
            XFlush(display_);
        });
    }

    void Back() {
        ++question_;
        away_ = false;
        Alarm(idleAlarm_, XSyncPositiveTransition, LimitMs());
        XFlush(display_);
        presence_.ReportAway(Presence::AwayReason::Idle, QDateTime());
    }

    Connection& connection_;
    Presence& presence_;
    Display* display_;
    int eventBase_ = 0;
    XSyncCounter counter_ = None;
    XSyncAlarm idleAlarm_ = None, backAlarm_ = None;
    int question_ = 0;
    bool away_ = false;
    QObject context_;  // ends the answers still to come with the watch
    std::unique_ptr<platform::Watch> listening_;
};

}  // namespace

std::unique_ptr<Presence::Part> WatchIdle(Connection& connection, Presence& presence) {
    return std::make_unique<IdleWatch>(connection, presence);
}

}  // namespace x11
