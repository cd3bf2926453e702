#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

struct sqlite3;

// Rows of a query as UTF-8 texts, handed out in order by NextRow.
class ResultSet {
  public:
    using Row = std::vector<std::string>;  // a NULL column is held as empty text

    // The next row, or nullptr when all were handed out.
    const Row* NextRow();
    size_t RowCount() const { return rows_.size(); }
    void Clear();
    void Append(Row row) { rows_.push_back(std::move(row)); }

  private:
    std::vector<Row> rows_;
    size_t cursor_ = 0;
};

// A value bound to a `?` of a statement.
using SqlValue = std::variant<long long, std::string>;

// A thin session over one SQLite connection. A non-empty key enciphers every page of the file
// and of its rollback journal (see page_cipher.h).
class DatabaseSession {
  public:
    DatabaseSession() = default;
    ~DatabaseSession();
    DatabaseSession(const DatabaseSession&) = delete;
    DatabaseSession& operator=(const DatabaseSession&) = delete;

    // Opens (creating when missing) the file at `path` (UTF-8). Closes a session already open.
    // Returns the engine's result code, 0 on success. A wrong key is not detected here: the
    // first statement then fails with SQLITE_NOTADB and the file is never written to.
    int Open(const std::string& path, const std::string& key);
    void Close();
    bool IsOpen() const { return db_ != nullptr; }

    // How long a statement waits for another connection (another process) to let go of the file
    // before it fails with SQLITE_BUSY. Applies to the open connection and to later opens.
    static constexpr int kDefaultBusyTimeoutMs = 5000;
    void SetBusyTimeout(int milliseconds);

    // The result code and the engine's message of the last call that failed on this connection.
    int ErrorCode() const;
    std::string ErrorMessage() const;
    const std::string& Path() const { return path_; }

    // Prepares `sql`, binds `params` to its `?` in order, steps once and finalizes.
    // Returns the step result (SQLITE_DONE = 101 for a completed statement), or the error of
    // a failed prepare or bind.
    int ExecStatement(const std::string& sql, std::initializer_list<SqlValue> params = {});

    // Runs `sql` and appends every row to `rows` (emptied first, cursor at 0).
    // Returns 0 on success, else the engine's code; rows read before a failure stay.
    int QueryRows(const std::string& sql, ResultSet& rows,
                  std::initializer_list<SqlValue> params = {});

  private:
    sqlite3* db_ = nullptr;
    std::string path_;
    int busyTimeoutMs_ = kDefaultBusyTimeoutMs;
    int openError_ = 0;  // the result of a failed open, when there is no connection to ask
};
