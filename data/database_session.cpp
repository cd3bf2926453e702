#include "data/database_session.h"

#include <sqlite3.h>

#include <QByteArray>
#include <QString>

#include "data/page_cipher.h"

const ResultSet::Row* ResultSet::NextRow() {
    if (cursor_ >= rows_.size()) return nullptr;
    return &rows_[cursor_++];
}

void ResultSet::Clear() {
    rows_.clear();
    cursor_ = 0;
}

DatabaseSession::~DatabaseSession() {
    Close();
}

void DatabaseSession::Close() {
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

void DatabaseSession::SetBusyTimeout(int milliseconds) {
    busyTimeoutMs_ = milliseconds;
    if (db_) sqlite3_busy_timeout(db_, busyTimeoutMs_);
}

int DatabaseSession::ErrorCode() const {
    return db_ ? sqlite3_errcode(db_) : openError_;
}

std::string DatabaseSession::ErrorMessage() const {
    return db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(openError_);
}

int DatabaseSession::Open(const std::string& path, const std::string& key) {
    Close();
    path_ = path;
    openError_ = 0;
    const char* vfs = nullptr;
    if (!key.empty()) {
        // The key reaches the cipher as the UTF-16LE bytes of its text, as stored files expect.
        const QString text = QString::fromStdString(key);
        const QByteArray bytes(reinterpret_cast<const char*>(text.utf16()),
                               text.size() * qsizetype(sizeof(char16_t)));
        vfs = PageCipher::VfsForKey(PageCipher::DeriveKey(bytes));
        if (!vfs) return openError_ = SQLITE_ERROR;
    }
    const int rc =
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, vfs);
    if (rc != SQLITE_OK) {
        Close();
        return openError_ = rc;
    }
    // Another program (a second instance on another display, a backup, a database browser) may
    // hold the file for a moment: wait for it rather than fail at once.
    sqlite3_busy_timeout(db_, busyTimeoutMs_);
    // Temporary tables, sort files and statement journals stay in memory so that no plain page
    // ever reaches the disk; new files get the page size the format has always used. Neither
    // statement reads the file, so a wrong key still shows only at the first real statement.
    sqlite3_exec(db_, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
    const std::string pageSize = "PRAGMA page_size=" + std::to_string(PageCipher::kNewFilePageSize);
    sqlite3_exec(db_, pageSize.c_str(), nullptr, nullptr, nullptr);
    return SQLITE_OK;
}

namespace {

int BindAll(sqlite3_stmt* stmt, std::initializer_list<SqlValue> params) {
    int index = 1;
    for (const SqlValue& value : params) {
        int rc;
        if (const auto* number = std::get_if<long long>(&value)) {
            rc = sqlite3_bind_int64(stmt, index, *number);
        } else {
            const std::string& text = std::get<std::string>(value);
            rc = sqlite3_bind_text(stmt, index, text.data(), int(text.size()), SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK) return rc;
        ++index;
    }
    return SQLITE_OK;
}

// Prepares `sql` with `params` bound. On failure *stmt is null and the error is returned; a
// text without a statement (only blanks or comments) counts as misuse.
int Prepare(sqlite3* db, const std::string& sql, std::initializer_list<SqlValue> params,
            sqlite3_stmt** stmt) {
    *stmt = nullptr;
    if (!db) return SQLITE_MISUSE;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, stmt, nullptr);
    if (rc == SQLITE_OK && !*stmt) rc = SQLITE_MISUSE;
    if (rc == SQLITE_OK) rc = BindAll(*stmt, params);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(*stmt);
        *stmt = nullptr;
    }
    return rc;
}

}  // namespace

int DatabaseSession::ExecStatement(const std::string& sql, std::initializer_list<SqlValue> params) {
    sqlite3_stmt* stmt;
    int rc = Prepare(db_, sql, params, &stmt);
    if (rc != SQLITE_OK) return rc;
    rc = sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    return rc;
}

int DatabaseSession::QueryRows(const std::string& sql, ResultSet& rows,
                               std::initializer_list<SqlValue> params) {
    rows.Clear();
    sqlite3_stmt* stmt;
    int rc = Prepare(db_, sql, params, &stmt);
    if (rc != SQLITE_OK) return rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const int columns = sqlite3_column_count(stmt);
        ResultSet::Row row;
        row.reserve(size_t(columns));
        for (int c = 0; c < columns; ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            row.emplace_back(text ? std::string(text, size_t(sqlite3_column_bytes(stmt, c)))
                                  : std::string());
        }
        rows.Append(std::move(row));
    }
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}
