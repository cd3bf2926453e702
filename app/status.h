#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

// What `vita-companion --status` prints of the running instance, for status bars and scripts:
// one `key: value` line each, keys and words that stay as they are.
struct StatusFacts {
    QDateTime nextDrink;  // invalid: the reminder is off
    QDateTime nextBreak;
    bool filterOn = false;
    int filterStrength = 0;  // percent
    QString away;            // why the user counts as away ("idle", "locked"...); empty: here
    QStringList busy;        // why reminders wait ("fullscreen", "dnd", "call"); empty: they don't
};

QByteArray StatusLines(const StatusFacts& facts);
