#pragma once
// One SQLite connection: statements are text with "?" placeholders, arguments and column values
// are SqlValue, query rows are keyed by column name. Every failure is one log line and a
// false / empty / 0 answer; nothing is thrown.
//
// The connection runs in WAL mode with synchronous=NORMAL, so a crash of the process loses no
// committed statement, and keeps every statement it prepared, keyed by its text: start-up and
// every user act run many small statements of a few fixed texts. The automatic checkpoint runs
// on a second connection in a thread of its own (see walHook).

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

using SqlBlob = std::vector<std::uint8_t>;

// A statement argument or a column value: null, 64-bit integer, double, UTF-8 text or blob.
class SqlValue {
public:
    SqlValue() = default;
    SqlValue(std::nullptr_t) {}
    SqlValue(bool b) : v_(std::int64_t(b ? 1 : 0)) {}
    SqlValue(int i) : v_(std::int64_t(i)) {}
    SqlValue(long i) : v_(std::int64_t(i)) {}
    SqlValue(long long i) : v_(std::int64_t(i)) {}
    SqlValue(unsigned i) : v_(std::int64_t(i)) {}
    // Above the signed 64-bit range an unsigned value travels as its decimal text.
    SqlValue(unsigned long i) { setUnsigned(i); }
    SqlValue(unsigned long long i) { setUnsigned(i); }
    SqlValue(float d) : v_(double(d)) {}
    SqlValue(double d) : v_(d) {}
    SqlValue(const char* s) : v_(std::string(s)) {}
    SqlValue(std::string s) : v_(std::move(s)) {}
    SqlValue(std::string_view s) : v_(std::string(s)) {}
    SqlValue(SqlBlob b) : v_(std::move(b)) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(v_); }
    bool isInteger() const { return std::holds_alternative<std::int64_t>(v_); }
    bool isReal() const { return std::holds_alternative<double>(v_); }
    bool isNumber() const { return isInteger() || isReal(); }
    bool isText() const { return std::holds_alternative<std::string>(v_); }
    bool isBlob() const { return std::holds_alternative<SqlBlob>(v_); }

    // Conversions answer 0, 0.0, "" or an empty blob for a value of another kind, except that
    // integers and reals convert into each other.
    std::int64_t toInt64() const;
    double toDouble() const;
    const std::string& toText() const;
    const SqlBlob& toBlob() const;

    bool operator==(const SqlValue&) const = default;

private:
    void setUnsigned(unsigned long long i);
    std::variant<std::monostate, std::int64_t, double, std::string, SqlBlob> v_;
};

// One result row: the statement's column names (shared by every row of one query) and values.
class SqlRow {
public:
    SqlRow() = default;
    SqlRow(std::shared_ptr<const std::vector<std::string>> names, std::vector<SqlValue> values)
        : names_(std::move(names)), values_(std::move(values))
    {
    }

    bool has(std::string_view column) const { return indexOf(column) >= 0; }
    // The value of a column; null for a column the row does not have.
    const SqlValue& operator[](std::string_view column) const;
    std::int64_t int64(std::string_view column) const { return (*this)[column].toInt64(); }
    double real(std::string_view column) const { return (*this)[column].toDouble(); }
    const std::string& text(std::string_view column) const { return (*this)[column].toText(); }

    std::size_t size() const { return values_.size(); }
    const std::string& nameAt(std::size_t i) const { return (*names_)[i]; }
    const SqlValue& valueAt(std::size_t i) const { return values_[i]; }

private:
    int indexOf(std::string_view column) const;
    std::shared_ptr<const std::vector<std::string>> names_;
    std::vector<SqlValue> values_;
};

using SqlRows = std::vector<SqlRow>;
using SqlArgs = std::vector<SqlValue>;

// Column access to the current row of a running query (see Sqlite::forEach); valid only inside
// the callback. Reading by index avoids building a row per result, for whole-table scans.
class SqlCursor {
public:
    explicit SqlCursor(sqlite3_stmt* statement) : statement_(statement) {}
    int columnCount() const;
    bool isNull(int column) const;
    bool isInteger(int column) const;
    std::int64_t int64(int column) const;
    double real(int column) const;
    // UTF-8 text of the column (integers and reals as their text); empty for null.
    std::string_view text(int column) const;

private:
    sqlite3_stmt* statement_;
};

class Sqlite {
public:
    // Called with the library's message whenever a statement that writes fails. Not owned by any
    // connection: the application sets it once and turns it into one alert per run.
    using StoreErrorHook = std::function<void(const std::string&)>;
    static void setStoreErrorHook(StoreErrorHook hook);
    // Tells the hook of a failure to store found above the statements (a write that cannot even
    // be tried).
    static void reportStoreError(const std::string& message);

    Sqlite();
    explicit Sqlite(const std::string& path); // opens the file
    ~Sqlite();                                // closes
    Sqlite(const Sqlite&) = delete;
    Sqlite& operator=(const Sqlite&) = delete;

    // Closes any open connection first. A file that opens but is no database fails too; so does a
    // missing file unless create is true.
    bool open(const std::string& path, bool create = true);
    // A second connection that only reads a file the program already has open: no journal mode
    // is set, no merge is run (the writing connection does both), and it may live in another
    // thread than the writing one. False (nothing logged) when it cannot be opened.
    bool openForReading(const std::string& path);
    // Checkpoints the WAL into the file, finalises every kept statement and closes.
    void close();
    bool isOpen() const { return db_ != nullptr; }

    // Rows of a query; absent when the statement could not be prepared. A step that fails ends
    // the rows collected so far (logged).
    std::optional<SqlRows> executeQuery(const std::string& sql, const SqlArgs& arguments = {});
    // Runs a query and hands each row to fn; fn answers false to stop early. False when the
    // statement could not be prepared or a step failed.
    bool forEach(const std::string& sql, const SqlArgs& arguments,
                 const std::function<bool(const SqlCursor&)>& fn);
    bool executeNonQuery(const std::string& sql, const SqlArgs& arguments = {});
    // The row id of the inserted row, 0 when the statement failed.
    std::uint64_t executeInsertQuery(const std::string& sql, const SqlArgs& arguments = {});

    // A write that fails inside a transaction may undo all of it (a full disk does): the writes
    // after it then fail as well, unwritten, and commit() fails, until commit() or rollback().
    bool beginTransaction();         // exclusive
    bool beginDeferredTransaction();
    bool commit();
    bool rollback();
    // Whether a transaction is open (statements are not committed one by one), an undone one
    // included until it is ended.
    bool inTransaction() const;
    // How many writes have failed on this connection so far: a caller compares two readings to
    // learn whether any write between them failed.
    std::uint64_t writeFailureCount() const { return writeFailures_; }
    // Told once, with the library's words, when a statement meets damaged bytes in the file (a
    // page that does not read as one). From then on the connection runs no statement: what a
    // damaged page answers is not to be acted on, nor anything written beside it. Writes fail
    // without telling the store-error hook; a transaction under way can still be rolled back.
    using DamageHandler = std::function<void(const std::string& why)>;
    void setDamageHandler(DamageHandler handler) { onDamage_ = std::move(handler); }
    bool damaged() const { return damaged_; }
    // Copies the WAL into the database file and empties it, so that the file alone is complete.
    bool checkpoint();
    // Gives back the pages the connection keeps in memory (none is in use between statements).
    void releaseMemory();

    // Low-level steps, with the busy rule; each logs its own failure.
    bool prepareSql(const std::string& sql, sqlite3_stmt** statement);
    bool executeStatament(sqlite3_stmt* statement);
    bool hasData(sqlite3_stmt* statement);
    // Binds one argument to parameter `column` (from 1).
    void bindObject(const SqlValue& value, int column, sqlite3_stmt* statement);
    SqlValue columnData(sqlite3_stmt* statement, int columnIndex) const;
    std::string columnName(sqlite3_stmt* statement, int columnIndex) const;

    std::uint64_t lastInsertRow() const;
    int errorCode() const;
    std::string errorMessage() const;
    // Why the last open failed, in the system's words where it gave some; empty after a good one.
    const std::string& openError() const { return openError_; }
    std::int64_t busyRetryTimeout() const { return busyRetryTimeout_; }
    void setBusyRetryTimeout(std::int64_t retries) { busyRetryTimeout_ = retries; }
    // Empty while closed.
    const std::string& filePath() const { return filePath_; }

    static std::string createUuid();
    static std::string version();

    // Merges the log into the file on a thread of its own once it holds this many frames, so that
    // no statement waits for the merge's two syncs; the same merge, at the same point, as
    // SQLite's own automatic one.
    static constexpr int kFramesBeforeCheckpoint = 1000;
    // Retries of 20 microseconds each a statement gives a busy answer, by default. A connection's
    // own merging thread, and the program's other connections (the start-up readers), hold the
    // file's locks for moments, longer on a loaded machine: a write that gave up at the first
    // busy answer would be lost to them, so it waits, about a second at most.
    static constexpr std::int64_t kBusyRetries = 50000;

private:
    struct Cached {
        sqlite3_stmt* statement = nullptr;
        bool inUse = false;
    };
    // A prepared, bound statement for the text: the kept one when it is free, else a fresh one
    // (a nested query of the same text). release() resets the kept one or finalises the fresh one.
    sqlite3_stmt* acquire(const std::string& sql, const SqlArgs& arguments, bool& cached);
    void release(const std::string& sql, sqlite3_stmt* statement, bool cached);
    void finalizeAll();
    class Checkpointer;
    static int walHook(void* self, sqlite3* db, const char* name, int frames);
    bool runWrite(const std::string& sql, const SqlArgs& arguments);
    void reportWriteFailure();
    // Whether the library's answer says the file is damaged; the first such answer is told.
    bool noteDamage(int rc);
    bool busyWait(int& retries, const char* message);

    std::int64_t busyRetryTimeout_ = kBusyRetries;
    std::string filePath_;
    std::string openError_;
    sqlite3* db_ = nullptr;
    std::unordered_map<std::string, Cached> cache_;
    std::unique_ptr<Checkpointer> checkpointer_;
    bool readOnly_ = false;
    // A write failed inside a transaction and the library rolled all of it back; cleared by
    // commit() (which then fails) or rollback().
    bool transactionUndone_ = false;
    std::uint64_t writeFailures_ = 0;
    bool damaged_ = false;
    DamageHandler onDamage_;
};
