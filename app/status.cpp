#include "app/status.h"

namespace {

QByteArray When(const QDateTime& due) {
    return due.isValid() ? due.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toLatin1()
                         : QByteArrayLiteral("off");
}

}  // namespace

QByteArray StatusLines(const StatusFacts& facts) {
    QByteArray lines;
    lines += "next-drink: " + When(facts.nextDrink) + '\n';
    lines += "next-break: " + When(facts.nextBreak) + '\n';
    lines += QByteArray("filter: ") + (facts.filterOn ? "on" : "off") + '\n';
    lines += "filter-strength: " + QByteArray::number(facts.filterStrength) + '\n';
    lines +=
        "away: " + (facts.away.isEmpty() ? QByteArrayLiteral("no") : facts.away.toLatin1()) + '\n';
    lines += "busy: " +
             (facts.busy.isEmpty() ? QByteArrayLiteral("no") : facts.busy.join(',').toLatin1()) +
             '\n';
    return lines;
}
