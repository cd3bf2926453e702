#include "platform/presence.h"

#include <algorithm>
#include <tuple>

namespace platform {

Presence::Presence(std::vector<MakePart> away, std::vector<MakePart> busy, QObject* parent)
    : QObject(parent) {
    away_.make = std::move(away);
    busy_.make = std::move(busy);
}

Presence::~Presence() {
    // The parts report into this object as they go: before its members do.
    away_.parts.clear();
    busy_.parts.clear();
}

Presence::AwayReason Presence::WhyAway() const {
    for (std::size_t i = 1; i < awaySince_.size(); ++i)
        if (awaySince_[i].isValid()) return static_cast<AwayReason>(i);
    return AwayReason::None;
}

QDateTime Presence::AwaySince() const {
    QDateTime earliest;
    for (const QDateTime& since : awaySince_)
        if (since.isValid() && (!earliest.isValid() || since < earliest)) earliest = since;
    return earliest;
}

void Presence::SetIdleLimit(int seconds) {
    seconds = std::max(seconds, 1);
    if (seconds == idleLimit_) return;
    idleLimit_ = seconds;
    for (const auto& part : away_.parts) part->IdleLimitChanged();
}

void Presence::WatchAway(bool on) {
    Switch(away_, on, [this] { awaySince_ = {}; });
}

void Presence::WatchBusy(bool on) {
    Switch(busy_, on, [this] { busyReasons_ = {}; });
}

template <typename Forget>
void Presence::Switch(Side& side, bool on, Forget forget) {
    if (on == side.watching) return;
    side.watching = on;
    side.parts.clear();
    Changing(forget);
    if (on)
        for (const MakePart& make : side.make)
            if (auto part = make(*this)) side.parts.push_back(std::move(part));
}

void Presence::ReportAway(AwayReason reason, const QDateTime& since) {
    if (reason == AwayReason::None) return;
    Changing([&] { awaySince_[static_cast<std::size_t>(reason)] = since; });
}

void Presence::ReportBusy(BusyReason reason, bool busy) {
    Changing([&] { busyReasons_.setFlag(reason, busy); });
}

template <typename Change>
void Presence::Changing(Change change) {
    const auto seen = [this] { return std::make_tuple(WhyAway(), AwaySince(), busyReasons_); };
    const auto before = seen();
    change();
    if (seen() != before) emit Changed();
}

}  // namespace platform
