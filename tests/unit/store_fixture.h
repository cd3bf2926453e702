#pragma once

// What the store's and the log's tests share: a clock they set, a fresh data folder per test and
// a look at the rows of the open database.

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "data/clock.h"
#include "data/database_session.h"
#include "data/settings_store.h"

namespace store_test {

constexpr int kDone = 101;  // a statement that ran to completion

struct FakeClock final : Clock {
    QDateTime now;
    QDateTime Now() const override { return now; }
};

// Every row of `sql`, each row's columns joined by '|'.
inline QStringList Rows(const std::string& sql, std::initializer_list<SqlValue> params = {}) {
    ResultSet rows;
    if (SettingsStore::Session().QueryRows(sql, rows, params) != 0) return {"<failed>"};
    QStringList out;
    while (const ResultSet::Row* row = rows.NextRow()) {
        QStringList columns;
        for (const std::string& column : *row) columns << QString::fromStdString(column);
        out << columns.join('|');
    }
    return out;
}

inline void InsertDrink(int size, const std::string& date) {
    QCOMPARE(SettingsStore::Session().ExecStatement(
                 "insert into DrinkWaterRecord values(?, ?, '12:00:00')",
                 {static_cast<long long>(size), date}),
             kDone);
}

// A data home of its own and the fake clock at the real now, for each test function.
class StoreFixture {
  protected:
    void SetUp() {
        temp_ = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", QFile::encodeName(temp_->path()));
        clock_.now = QDateTime::currentDateTime();
        Clock::Install(&clock_);
    }
    void TearDown() {
        SettingsStore::CloseSettings();
        Clock::Install(nullptr);
    }
    bool Reopen() {
        SettingsStore::CloseSettings();
        return SettingsStore::OpenSettings();
    }
    std::unique_ptr<QTemporaryDir> temp_;
    FakeClock clock_;
};

}  // namespace store_test
