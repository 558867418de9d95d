#include "engine/store/Sqlite.h"

#include "runtime/Log.h"
#include "engine/store/SqliteVfs.h"

#include <sqlite3.h>

#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>
#include <pthread.h>
#include <random>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

using tallomer::logFormat;

namespace {

Sqlite::StoreErrorHook& storeErrorHook()
{
    static Sqlite::StoreErrorHook hook;
    return hook;
}

const std::string& emptyText()
{
    static const std::string empty;
    return empty;
}

const SqlBlob& emptyBlob()
{
    static const SqlBlob empty;
    return empty;
}

const SqlValue& nullValue()
{
    static const SqlValue null;
    return null;
}

// Statements kept per connection; texts beyond this are prepared for each use. The program's own
// statements are a few dozen fixed texts.
constexpr std::size_t kMaxCachedStatements = 256;

} // namespace

// ---- SqlValue

void SqlValue::setUnsigned(unsigned long long i)
{
    if (i > static_cast<unsigned long long>(std::numeric_limits<std::int64_t>::max()))
        v_ = std::to_string(i);
    else
        v_ = static_cast<std::int64_t>(i);
}

std::int64_t SqlValue::toInt64() const
{
    if (const auto* i = std::get_if<std::int64_t>(&v_))
        return *i;
    if (const auto* d = std::get_if<double>(&v_)) {
        // Saturate: a plain cast of an out-of-range double is undefined.
        if (!(*d == *d))
            return 0;
        if (*d >= 9223372036854775807.0)
            return std::numeric_limits<std::int64_t>::max();
        if (*d <= -9223372036854775808.0)
            return std::numeric_limits<std::int64_t>::min();
        return static_cast<std::int64_t>(*d);
    }
    return 0;
}

double SqlValue::toDouble() const
{
    if (const auto* d = std::get_if<double>(&v_))
        return *d;
    if (const auto* i = std::get_if<std::int64_t>(&v_))
        return static_cast<double>(*i);
    return 0.0;
}

const std::string& SqlValue::toText() const
{
    if (const auto* s = std::get_if<std::string>(&v_))
        return *s;
    return emptyText();
}

const SqlBlob& SqlValue::toBlob() const
{
    if (const auto* b = std::get_if<SqlBlob>(&v_))
        return *b;
    return emptyBlob();
}

// ---- SqlRow

int SqlRow::indexOf(std::string_view column) const
{
    if (!names_)
        return -1;
    for (std::size_t i = 0; i < names_->size() && i < values_.size(); ++i)
        if ((*names_)[i] == column)
            return static_cast<int>(i);
    return -1;
}

const SqlValue& SqlRow::operator[](std::string_view column) const
{
    const int i = indexOf(column);
    return i < 0 ? nullValue() : values_[static_cast<std::size_t>(i)];
}

// ---- SqlCursor

int SqlCursor::columnCount() const { return sqlite3_column_count(statement_); }
bool SqlCursor::isNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }
bool SqlCursor::isInteger(int column) const
{
    return sqlite3_column_type(statement_, column) == SQLITE_INTEGER;
}
std::int64_t SqlCursor::int64(int column) const { return sqlite3_column_int64(statement_, column); }
double SqlCursor::real(int column) const { return sqlite3_column_double(statement_, column); }

std::string_view SqlCursor::text(int column) const
{
    const auto* t = sqlite3_column_text(statement_, column);
    if (!t)
        return {};
    return {reinterpret_cast<const char*>(t), static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))};
}

// ---- Checkpoints

namespace {
// A fork copies only the forking thread: had the merging thread been inside SQLite at that moment,
// the child would inherit its locks held for ever. Every SQLite call of that thread holds this
// guard, and a fork waits for it.
std::mutex& forkGuard()
{
    static std::mutex guard;
    return guard;
}

void installForkGuard()
{
    static std::once_flag once;
    std::call_once(once, [] {
        ::pthread_atfork([] { forkGuard().lock(); }, [] { forkGuard().unlock(); }, [] { forkGuard().unlock(); });
    });
}
} // namespace

// One thread and one connection per connection that asks; both made on the first request. A
// request made while a merge runs is remembered, never queued twice.
class Sqlite::Checkpointer {
public:
    explicit Checkpointer(std::string path) : path_(std::move(path)), pid_(::getpid()) { installForkGuard(); }
    ~Checkpointer() { stop(); }
    Checkpointer(const Checkpointer&) = delete;
    Checkpointer& operator=(const Checkpointer&) = delete;

    // A forked child holds a copy of the parent's object but not its thread: a copy whose thread
    // waits in its condition can be neither stopped nor destroyed there, only forgotten.
    bool ownedHere() const { return ::getpid() == pid_; }

    // False when no thread can do it: the caller merges itself.
    bool request()
    {
        if (!ownedHere())
            return false;
        std::lock_guard<std::mutex> lock(mutex_);
        if (!thread_.joinable()) {
            try {
                thread_ = std::thread([this] { run(); });
            } catch (const std::system_error&) {
                return false;
            }
        }
        requested_ = true;
        wake_.notify_one();
        return true;
    }

    // Waits for a merge under way; a pending request is dropped (the closing merge covers it).
    void stop()
    {
        if (!thread_.joinable() || !ownedHere())
            return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }

private:
    void run()
    {
        sqlite3* db = nullptr;
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return requested_ || stopping_; });
            if (stopping_)
                break;
            requested_ = false;
            lock.unlock();
            std::unique_lock<std::mutex> guard(forkGuard());
            if (!db) {
                if (sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                                    tallomer::store::vfsGroupeurDeJournal()) == SQLITE_OK) {
                    // Same syncs as the writing connection; reading the schema opens the log.
                    sqlite3_exec(db, "PRAGMA synchronous=NORMAL; SELECT 1 FROM sqlite_master LIMIT 1;", nullptr,
                                 nullptr, nullptr);
                } else {
                    sqlite3_close(db);
                    db = nullptr;
                }
            }
            // Busy (another merge, or a reader holding the oldest frames) simply waits for the
            // next request, as the automatic merge does.
            if (db)
                sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
            guard.unlock();
            lock.lock();
        }
        lock.unlock();
        const std::lock_guard<std::mutex> guard(forkGuard());
        sqlite3_close(db);
    }

    const std::string path_;
    const pid_t pid_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool requested_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

int Sqlite::walHook(void* self, sqlite3* db, const char*, int frames)
{
    if (frames < kFramesBeforeCheckpoint)
        return SQLITE_OK;
    auto* connection = static_cast<Sqlite*>(self);
    if (!connection->checkpointer_ || !connection->checkpointer_->request())
        sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    return SQLITE_OK;
}

// ---- Sqlite

void Sqlite::setStoreErrorHook(StoreErrorHook hook) { storeErrorHook() = std::move(hook); }

void Sqlite::reportStoreError(const std::string& message)
{
    if (const auto& hook = storeErrorHook())
        hook(message);
}

Sqlite::Sqlite() = default;

Sqlite::Sqlite(const std::string& path) { open(path); }

Sqlite::~Sqlite() { close(); }

bool Sqlite::open(const std::string& path, bool create)
{
    close();
    // A damaged file stays refused after its connection closed, until a file is opened anew.
    damaged_ = false;
    if (path.empty()) {
        // The library would open a private temporary database instead.
        logFormat("SQLite Opening Error: %s at path %s", "no file path", path.c_str());
        return false;
    }
    sqlite3* db = nullptr;
    // A connection is used from one thread only (the link base lives on the main thread): no
    // locking around every call.
    int rc = sqlite3_open_v2(path.c_str(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0),
                             tallomer::store::vfsGroupeurDeJournal());
    if (rc == SQLITE_OK) {
        // The first statement reads the header: a file that is no database fails here.
        rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL;", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db, "PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        logFormat("SQLite Opening Error: %s at path %s", db ? sqlite3_errmsg(db) : sqlite3_errstr(rc),
                  path.c_str());
        // The library's own words ("unable to open database file") do not say what is wrong.
        const int system = db ? sqlite3_system_errno(db) : 0;
        openError_ = system ? std::strerror(system) : (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close(db);
        return false;
    }
    openError_.clear();
    db_ = db;
    filePath_ = path;
    checkpointer_ = std::make_unique<Checkpointer>(path);
    sqlite3_wal_hook(db_, &Sqlite::walHook, this); // instead of the automatic checkpoint
    return true;
}

bool Sqlite::openForReading(const std::string& path)
{
    close();
    damaged_ = false;
    sqlite3* db = nullptr;
    if (path.empty() || sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                                        tallomer::store::vfsGroupeurDeJournal()) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    db_ = db;
    filePath_ = path;
    readOnly_ = true;
    return true;
}

void Sqlite::close()
{
    if (!db_)
        return;
    if (checkpointer_ && !checkpointer_->ownedHere())
        (void)checkpointer_.release(); // see Checkpointer::ownedHere
    checkpointer_.reset();
    finalizeAll();
    if (!readOnly_)
        checkpoint();
    readOnly_ = false;
    transactionUndone_ = false;
    int retries = 0;
    for (;;) {
        const int rc = sqlite3_close(db_);
        if (rc == SQLITE_OK)
            break;
        if (rc == SQLITE_BUSY) {
            if (busyWait(retries, "SQLite Busy, unable to close: %s"))
                continue;
            // Statements still open elsewhere: let the library close once they are finalised.
            sqlite3_close_v2(db_);
            break;
        }
        logFormat("SQLite %s Closing Error: %s", filePath_.c_str(), sqlite3_errmsg(db_));
        sqlite3_close_v2(db_);
        break;
    }
    db_ = nullptr;
    filePath_.clear();
}

bool Sqlite::busyWait(int& retries, const char* message)
{
    if (retries < busyRetryTimeout_) {
        ++retries;
        ::usleep(20);
        return true;
    }
    logFormat(message, filePath_.c_str());
    return false;
}

bool Sqlite::prepareSql(const std::string& sql, sqlite3_stmt** statement)
{
    *statement = nullptr;
    if (!db_) {
        logFormat("SQLite Prepare Failed: %s", errorMessage().c_str());
        logFormat(" - Query: %s", sql.c_str());
        return false;
    }
    int retries = 0;
    for (;;) {
        const int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()) + 1, statement, nullptr);
        if (rc == SQLITE_OK && *statement)
            return true;
        if (rc == SQLITE_OK) {
            // Only white space or a comment: nothing to run.
            logFormat("SQLite Prepare Failed: %s", "empty statement");
            logFormat(" - Query: %s", sql.c_str());
            return false;
        }
        if (rc == SQLITE_BUSY) {
            if (busyWait(retries, "SQLite Busy: %s"))
                continue;
            return false;
        }
        logFormat("SQLite Prepare Failed: %s", sqlite3_errmsg(db_));
        logFormat(" - Query: %s", sql.c_str());
        noteDamage(rc);
        return false;
    }
}

bool Sqlite::executeStatament(sqlite3_stmt* statement)
{
    int retries = 0;
    for (;;) {
        const int rc = sqlite3_step(statement);
        if (rc == SQLITE_DONE || rc == SQLITE_OK || rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_BUSY) {
            sqlite3_reset(statement);
            if (busyWait(retries, "SQLite Busy: %s"))
                continue;
            return false;
        }
        logFormat("SQLite Step Failed: %s", sqlite3_errmsg(db_));
        noteDamage(rc);
        return false;
    }
}

bool Sqlite::hasData(sqlite3_stmt* statement)
{
    int retries = 0;
    for (;;) {
        const int rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        if (rc == SQLITE_BUSY) {
            if (busyWait(retries, "SQLite Busy: %s"))
                continue;
            return false;
        }
        logFormat("SQLite Prepare Failed: %s", sqlite3_errmsg(db_));
        noteDamage(rc);
        return false;
    }
}

void Sqlite::bindObject(const SqlValue& value, int column, sqlite3_stmt* statement)
{
    if (value.isInteger())
        sqlite3_bind_int64(statement, column, value.toInt64());
    else if (value.isReal())
        sqlite3_bind_double(statement, column, value.toDouble());
    else if (value.isText())
        sqlite3_bind_text(statement, column, value.toText().data(), static_cast<int>(value.toText().size()),
                          SQLITE_TRANSIENT);
    else if (value.isBlob())
        sqlite3_bind_blob(statement, column, value.toBlob().data(), static_cast<int>(value.toBlob().size()),
                          SQLITE_TRANSIENT);
    else
        sqlite3_bind_null(statement, column);
}

SqlValue Sqlite::columnData(sqlite3_stmt* statement, int columnIndex) const
{
    switch (sqlite3_column_type(statement, columnIndex)) {
    case SQLITE_INTEGER:
        return SqlValue(static_cast<long long>(sqlite3_column_int64(statement, columnIndex)));
    case SQLITE_FLOAT:
        return SqlValue(sqlite3_column_double(statement, columnIndex));
    case SQLITE_TEXT: {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(statement, columnIndex));
        return SqlValue(std::string(t, static_cast<std::size_t>(sqlite3_column_bytes(statement, columnIndex))));
    }
    case SQLITE_BLOB: {
        const auto* b = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement, columnIndex));
        const auto n = static_cast<std::size_t>(sqlite3_column_bytes(statement, columnIndex));
        return SqlValue(b ? SqlBlob(b, b + n) : SqlBlob());
    }
    default:
        return SqlValue();
    }
}

std::string Sqlite::columnName(sqlite3_stmt* statement, int columnIndex) const
{
    const char* n = sqlite3_column_name(statement, columnIndex);
    return n ? n : "";
}

sqlite3_stmt* Sqlite::acquire(const std::string& sql, const SqlArgs& arguments, bool& cached)
{
    sqlite3_stmt* statement = nullptr;
    cached = false;
    if (damaged_)
        return nullptr;
    auto it = cache_.find(sql);
    if (it != cache_.end() && !it->second.inUse) {
        statement = it->second.statement;
        it->second.inUse = true;
        cached = true;
    } else {
        if (!prepareSql(sql, &statement))
            return nullptr;
        if (it == cache_.end() && cache_.size() < kMaxCachedStatements) {
            cache_.emplace(sql, Cached{statement, true});
            cached = true;
        }
    }
    // The statement's own parameter count decides, wherever "?" stands in the text.
    const int n = sqlite3_bind_parameter_count(statement);
    for (int i = 1; i <= n; ++i) {
        const auto k = static_cast<std::size_t>(i - 1);
        bindObject(k < arguments.size() ? arguments[k] : SqlValue(), i, statement);
    }
    return statement;
}

void Sqlite::release(const std::string& sql, sqlite3_stmt* statement, bool cached)
{
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (cached) {
        auto it = cache_.find(sql);
        if (it != cache_.end() && it->second.statement == statement) {
            it->second.inUse = false;
            return;
        }
    }
    sqlite3_finalize(statement);
}

void Sqlite::finalizeAll()
{
    for (auto& [sql, c] : cache_)
        sqlite3_finalize(c.statement);
    cache_.clear();
}

std::optional<SqlRows> Sqlite::executeQuery(const std::string& sql, const SqlArgs& arguments)
{
    bool cached = false;
    sqlite3_stmt* statement = acquire(sql, arguments, cached);
    if (!statement)
        return std::nullopt;
    const int columns = sqlite3_column_count(statement);
    auto names = std::make_shared<std::vector<std::string>>();
    names->reserve(static_cast<std::size_t>(columns));
    for (int i = 0; i < columns; ++i)
        names->push_back(columnName(statement, i));
    SqlRows rows;
    while (hasData(statement)) {
        std::vector<SqlValue> values;
        values.reserve(static_cast<std::size_t>(columns));
        for (int i = 0; i < columns; ++i)
            values.push_back(columnData(statement, i));
        rows.emplace_back(names, std::move(values));
    }
    release(sql, statement, cached);
    return rows;
}

bool Sqlite::forEach(const std::string& sql, const SqlArgs& arguments,
                     const std::function<bool(const SqlCursor&)>& fn)
{
    bool cached = false;
    sqlite3_stmt* statement = acquire(sql, arguments, cached);
    if (!statement)
        return false;
    const SqlCursor cursor(statement);
    bool ok = true;
    int retries = 0;
    for (;;) {
        const int rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW) {
            if (!fn(cursor))
                break;
            continue;
        }
        if (rc == SQLITE_DONE)
            break;
        if (rc == SQLITE_BUSY && busyWait(retries, "SQLite Busy: %s"))
            continue;
        if (rc != SQLITE_BUSY) {
            logFormat("SQLite Prepare Failed: %s", sqlite3_errmsg(db_));
            noteDamage(rc);
        }
        ok = false;
        break;
    }
    release(sql, statement, cached);
    return ok;
}

void Sqlite::reportWriteFailure()
{
    ++writeFailures_;
    // A damaged file has its own alert, which stops the program.
    if (!damaged_)
        reportStoreError(errorMessage());
}

bool Sqlite::noteDamage(int rc)
{
    const int primary = rc & 0xff;
    if (primary != SQLITE_CORRUPT && primary != SQLITE_NOTADB)
        return false;
    if (damaged_)
        return true;
    damaged_ = true;
    const std::string why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    logFormat("SQLite %s is damaged (%s): no statement is run on it any more", filePath_.c_str(), why.c_str());
    if (onDamage_)
        onDamage_(why);
    return true;
}

bool Sqlite::runWrite(const std::string& sql, const SqlArgs& arguments)
{
    // The rest of a transaction the library undid: written on its own it would be stored without
    // the statements before it. Nothing is written until the caller ends the transaction.
    if (transactionUndone_)
        return false;
    const bool inTransactionBefore = inTransaction();
    bool cached = false;
    sqlite3_stmt* statement = acquire(sql, arguments, cached);
    if (!statement) {
        reportWriteFailure();
        return false;
    }
    const bool ok = executeStatament(statement);
    if (!ok) {
        reportWriteFailure();
        // A full disk (or another I/O error) may roll the whole transaction back, not only the
        // failing statement: the connection is then back to committing each statement alone.
        if (inTransactionBefore && sqlite3_get_autocommit(db_)) {
            transactionUndone_ = true;
            logFormat("SQLite: the transaction was undone by the failure; the rest of it is not written");
        }
    }
    release(sql, statement, cached);
    return ok;
}

bool Sqlite::executeNonQuery(const std::string& sql, const SqlArgs& arguments) { return runWrite(sql, arguments); }

std::uint64_t Sqlite::executeInsertQuery(const std::string& sql, const SqlArgs& arguments)
{
    if (!runWrite(sql, arguments))
        return 0;
    return lastInsertRow();
}

bool Sqlite::beginTransaction() { return executeNonQuery("BEGIN EXCLUSIVE TRANSACTION;"); }
bool Sqlite::beginDeferredTransaction() { return executeNonQuery("BEGIN DEFERRED TRANSACTION;"); }
bool Sqlite::commit()
{
    // Nothing of an undone transaction is left to commit.
    if (std::exchange(transactionUndone_, false))
        return false;
    return executeNonQuery("COMMIT TRANSACTION;");
}

bool Sqlite::rollback()
{
    // Undone already, by the library or by a failed commit: nothing is left to roll back.
    if (std::exchange(transactionUndone_, false) || (db_ && sqlite3_get_autocommit(db_)))
        return true;
    // The one statement a damaged file still runs: it writes nothing.
    if (damaged_)
        return db_ && sqlite3_exec(db_, "ROLLBACK TRANSACTION;", nullptr, nullptr, nullptr) == SQLITE_OK;
    return executeNonQuery("ROLLBACK TRANSACTION;");
}

bool Sqlite::checkpoint()
{
    if (!db_)
        return false;
    return sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr) == SQLITE_OK;
}

void Sqlite::releaseMemory()
{
    if (db_)
        sqlite3_db_release_memory(db_);
}

std::uint64_t Sqlite::lastInsertRow() const
{
    return db_ ? static_cast<std::uint64_t>(sqlite3_last_insert_rowid(db_)) : 0;
}

bool Sqlite::inTransaction() const { return db_ && (transactionUndone_ || !sqlite3_get_autocommit(db_)); }

int Sqlite::errorCode() const { return db_ ? sqlite3_errcode(db_) : SQLITE_MISUSE; }

std::string Sqlite::errorMessage() const
{
    return db_ ? sqlite3_errmsg(db_) : "no open database";
}

std::string Sqlite::createUuid()
{
    std::random_device rd;
    std::uint8_t b[16];
    for (auto& x : b)
        x = static_cast<std::uint8_t>(rd());
    b[6] = static_cast<std::uint8_t>((b[6] & 0x0F) | 0x40); // version 4
    b[8] = static_cast<std::uint8_t>((b[8] & 0x3F) | 0x80); // RFC 4122 variant
    char text[37];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", b[0],
                  b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return text;
}

std::string Sqlite::version() { return sqlite3_libversion(); }
