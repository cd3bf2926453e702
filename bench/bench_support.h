#pragma once

// What the benchmarks share: failing loudly, a long drink history written fast, and what a process
// has used: CPU time, wake-ups and memory.

#include <unistd.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QList>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "data/database_session.h"
#include "data/drink_log.h"
#include "data/settings_store.h"

namespace bench {

// A benchmark whose setup fails has nothing to measure: it says what and stops.
inline void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "bench: %s failed\n", what);
    std::exit(1);
}

// `drinksPerDay` drinks on every day from `first` up to and not including `end`, through the
// open store's session, in one transaction so that years take seconds. Sizes vary between
// `smallest` and `smallest` + 249 ml. Returns the rows written.
inline int WriteDrinkHistory(const QDate& first, const QDate& end, int drinksPerDay, int smallest) {
    using SettingsStore::Session;
    Check(Session().ExecStatement("BEGIN") == 101, "BEGIN");
    int rows = 0;
    for (QDate day = first; day < end; day = day.addDays(1)) {
        const std::string date = DrinkLog::FormatDrinkDate(day);
        for (int i = 0; i < drinksPerDay; ++i) {
            char time[16];
            std::snprintf(time, sizeof time, "%02d:%02d:00", 8 + i * 2, (i * 17) % 60);
            const long long size = smallest + (day.dayOfYear() * 7 + i * 53) % 250;
            Check(Session().ExecStatement("insert into DrinkWaterRecord values(?, ?, ?)",
                                          {size, date, std::string(time)}) == 101,
                  "insert");
            ++rows;
        }
    }
    Check(Session().ExecStatement("COMMIT") == 101, "COMMIT");
    return rows;
}

// User and system CPU time of a process so far, in milliseconds; -1 when it cannot be read.
inline double ProcessCpuMs(long long pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // utime and stime are fields 14 and 15 of the line, 12 and 13 after the name.
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// The number after `key` in a /proc status-like text (kB for memory); -1 when it is missing.
inline long FieldKb(const QByteArray& text, const char* key) {
    const qsizetype at = text.indexOf(key);
    if (at < 0) return -1;
    return text.mid(at + qsizetype(qstrlen(key))).trimmed().split(' ').first().toLong();
}

// Context switches of each thread of a process so far, by thread id: each one is a wake-up.
using Switches = std::map<QString, long>;
inline Switches ThreadSwitches(long long pid) {
    Switches switches;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(task + QStringLiteral("/status")));
        if (!status.open(QIODevice::ReadOnly)) continue;
        const QByteArray text = status.readAll();
        switches[task] = FieldKb(text, "voluntary_ctxt_switches:") +
                         FieldKb(text, "nonvoluntary_ctxt_switches:");
    }
    return switches;
}

// The wake-ups from `before` to `after`, thread by thread. A thread that ended meanwhile (a pool
// thread whose idle time ran out) is left out: its count can no longer be read, and taking its
// earlier count off the total would hide the others' wake-ups.
inline long WakeupsBetween(const Switches& before, const Switches& after) {
    long total = 0;
    for (const auto& [task, count] : after) {
        const auto earlier = before.find(task);
        total += count - (earlier == before.end() ? 0 : earlier->second);
    }
    return total;
}

struct Memory {
    long rssKb = -1, pssKb = -1;
};

// Resident and proportional set size of a process now.
inline Memory ProcessMemory(long long pid) {
    Memory memory;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly)) memory.rssKb = FieldKb(status.readAll(), "VmRSS:");
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (rollup.open(QIODevice::ReadOnly)) memory.pssKb = FieldKb(rollup.readAll(), "Pss:");
    return memory;
}

}  // namespace bench
