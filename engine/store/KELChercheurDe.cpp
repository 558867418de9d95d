#include "engine/store/KELChercheurDe.h"

#include "engine/store/KELChercheurDeLiens.h"

#include "runtime/Log.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

using tallomer::logFormat;
using tallomer::logLine;

namespace {

std::unique_ptr<Sqlite> g_connection; // created once per store, never replaced while in use

// Why the file at path is shorter than its own header counts, empty when it is not. SQLite reads
// the pages past the end as zeros, and a start would then go on over a table or an index cut in
// half, writing beside what it reads wrong. Only told with no write-ahead log or journal beside
// it: pages a checkpoint had not yet written back, or a change to roll back, are still there.
std::string coupeCourt(const std::string& path)
{
    for (const char* beside : {"-wal", "-journal"}) {
        struct stat st {};
        if (::stat((path + beside).c_str(), &st) == 0 && st.st_size > 0)
            return {};
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    unsigned char h[100] = {};
    struct stat st {};
    const bool lu = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::pread(fd, h, sizeof h, 0) == ssize_t(sizeof h);
    ::close(fd);
    if (!lu || std::memcmp(h, "SQLite format 3", 16) != 0)
        return {};
    const auto mot = [&](int at) {
        return std::uint32_t(h[at]) << 24 | std::uint32_t(h[at + 1]) << 16 | std::uint32_t(h[at + 2]) << 8 | h[at + 3];
    };
    const std::uint32_t taillePage = h[16] == 0 && h[17] == 1 ? 65536u : std::uint32_t(h[16]) << 8 | h[17];
    // The count is the file's only while the change counter matches the one it was written with.
    if (mot(24) != mot(92) || taillePage < 512)
        return {};
    const std::int64_t attendu = std::int64_t(mot(28)) * taillePage;
    if (std::int64_t(st.st_size) >= attendu)
        return {};
    return "it was cut short: it holds " + std::to_string(st.st_size) + " bytes of the " + std::to_string(attendu) +
           " its header counts";
}
std::string g_path;
std::string g_downloadPage = "https://tallomer.org/download";
KELChercheurDe::AlertAndStop g_alertAndStop;
std::string g_lastError;
bool g_ensembleOuvert = false; // an Ensemble opened the transaction under way
KELChercheurDe::FinDEnsemble g_finDEnsemble = nullptr;

void alertAndStop(const std::string& message, const std::string& informative)
{
    if (g_alertAndStop) {
        g_alertAndStop(message, informative);
        return;
    }
    if (!message.empty())
        logFormat("%s %s", message.c_str(), informative.c_str());
    std::exit(EXIT_FAILURE);
}

// The stored version as a 32-bit integer; absent for anything that is not plainly one (null,
// blob, a fraction, text that is no number, a value beyond 32 bits).
std::optional<int> versionFrom(const SqlValue& value)
{
    long long v = 0;
    if (value.isInteger()) {
        v = value.toInt64();
    } else if (value.isReal()) {
        const double d = value.toDouble();
        if (!std::isfinite(d) || std::trunc(d) != d || std::fabs(d) > 2147483648.0)
            return std::nullopt;
        v = static_cast<long long>(d);
    } else if (value.isText()) {
        const std::string& t = value.toText();
        if (t.empty())
            return std::nullopt;
        errno = 0;
        char* end = nullptr;
        v = std::strtoll(t.c_str(), &end, 10);
        if (errno != 0 || end != t.c_str() + t.size() || t.find_first_of(" \t\n+") != std::string::npos)
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    if (v < INT_MIN || v > INT_MAX)
        return std::nullopt;
    return static_cast<int>(v);
}

struct Statement {
    const char* sql;
    SqlArgs arguments;
};

constexpr KELDate kAlways = KELDateToujours;
constexpr KELDate kOpen = KELDateOuverte;

std::vector<Statement> stepOneToTwo()
{
    return {
        {"CREATE INDEX RelationIndex ON ZEVLETS(RELATION ASC)", {}},
        {"CREATE INDEX DateInIndex ON ZEVLETS(DATE_IN ASC)", {}},
        {"CREATE INDEX WordIndex ON WORD(WORD)", {}},
        {"CREATE INDEX NumbIndex ON NUMBER(NUMBER)", {}},
        {"UPDATE SETTINGS SET VALUE=? WHERE NAME=?;", {2, "dbVersion"}},
    };
}

std::vector<Statement> stepTwoToThree()
{
    const char* insertLink = "INSERT INTO ZEVLETS (ZEVLET_ID, BASE, CLASS, DATE_IN, DATE_OUT, CHILD_ZEVLET, "
                             "PARENT_ZEVLET, RELATION) VALUES (?, 0, ?, ?, ?, ?, ?, ?);";
    return {
        {"UPDATE WORD SET WORD=? WHERE WORD_ID=1000010;", {"ZEVChannelViewer"}},
        {"INSERT INTO ZEVLETS (ZEVLET_ID, BASE, CLASS, DATE_IN, DATE_OUT, CHILD_ZEVLET, PARENT_ZEVLET, RELATION) "
         "VALUES (?, ?, ?, ?, ?, ?, ?, ?);",
         {2000193, 2000028, "KELIElemBase", kAlways, kOpen, 3, 2000193, 31}},
        {"INSERT INTO WORD (WORD_ID, ZEVLET_ID, WORD) VALUES (?, ?, ?)", {2000028, 2000193, "Channels"}},
        {insertLink, {2000194, "KELI", kAlways, kOpen, 1000017, 2000194, 1000018}},
        {insertLink, {2000195, "KELI", kAlways, kOpen, 2000194, 2000002, 1000072}},
        {insertLink, {2000196, "KELI", kAlways, kOpen, 1000067, 2000194, 1000082}},
        {insertLink, {2000197, "KELI", kAlways, kOpen, 2000193, 2000194, 1000087}},
        {"UPDATE SETTINGS SET VALUE=? WHERE NAME=?;", {3, "dbVersion"}},
    };
}

// One upgrade step runs whole or not at all: the version row is only ever written together with
// the changes it stands for.
bool runStep(Sqlite& db, int from, const std::vector<Statement>& statements)
{
    bool ok = db.beginTransaction();
    if (ok) {
        for (const auto& s : statements) {
            if (!db.executeNonQuery(s.sql, s.arguments)) {
                ok = false;
                break;
            }
        }
        if (ok)
            ok = db.commit();
    }
    if (!ok) {
        // Read before the rollback, which replaces the library's message.
        const std::string cause = db.errorMessage();
        db.rollback();
        logFormat("zevDatabase Update from version %d to version %d failed; the database stays at version %d.",
                  from, from + 1, from);
        g_lastError = "The link base could not be upgraded from version " + std::to_string(from) + " to version " +
                      std::to_string(from + 1) + " (" + cause + "); it was left at version " +
                      std::to_string(from) + ".";
    }
    return ok;
}

// Stores of earlier versions, and the template, only index RELATION alone: every lookup of one
// parent's links in a relation then visits all the relation's links (all icon places of the desk
// for one move), and reading a whole relation visits the table once for each of its rows. The
// indexes are added where missing to a store of the current version; older copies of the program
// read the file as before, an index being invisible to their queries.
// The parent first, so that lookups by relation alone keep RelationIndex; and two columns only:
// links of one key still come in the order of their ids, as they did through RelationIndex,
// which callers that take the first of several rely on.
void ensureIndexes(Sqlite& db)
{
    const auto rows = db.executeQuery("SELECT VALUE FROM SETTINGS WHERE NAME=?;", {"dbVersion"});
    if (!rows || rows->size() != 1 || versionFrom((*rows)[0]["VALUE"]) != KELChercheurDe::kCurrentVersion)
        return;
    const std::pair<const char*, std::string> indexes[] = {
        {KELChercheurDe::kParentIndex, " ON ZEVLETS(PARENT_ZEVLET, RELATION)"},
        {KELChercheurDe::kRowsIndex, std::string(" ON ZEVLETS(RELATION, ZEVLET_ID, BASE, CLASS, DATE_IN, DATE_OUT, "
                                                 "CHILD_ZEVLET, PARENT_ZEVLET) WHERE ") +
                                         KELChercheurDe::kRowsIndexCondition},
    };
    for (const auto& [name, definition] : indexes)
        if (!db.executeNonQuery(std::string("CREATE INDEX IF NOT EXISTS ") + name + definition))
            // A file that cannot be written still opens, only slower to search.
            logFormat("zevDatabase The index %s could not be made (%s).", name, db.errorMessage().c_str());
}

} // namespace

void KELChercheurDe::setAlertAndStop(AlertAndStop hook) { g_alertAndStop = std::move(hook); }

void KELChercheurDe::setDatabasePath(const std::string& path) { g_path = path; }

const std::string& KELChercheurDe::databasePath() { return g_path; }

void KELChercheurDe::setDownloadPage(const std::string& address) { g_downloadPage = address; }

const std::string& KELChercheurDe::lastError() { return g_lastError; }

void KELChercheurDe::initialize()
{
    if (g_connection)
        return;
    g_lastError.clear();
    g_connection = std::make_unique<Sqlite>();
    if (const std::string pourquoi = coupeCourt(g_path); !pourquoi.empty()) {
        g_lastError = "The link base file " + g_path + " is damaged: " + pourquoi + ".";
        alertAndStop("zevDatabase Error!", g_lastError);
        return;
    }
    // Read first, writing nothing: the open below switches the file to the write-ahead log, which
    // rewrites its header, and a file that is no link base, or one of a newer version, is to be
    // refused as it is. Whatever this reading cannot tell is left to the open, as before.
    {
        Sqlite lecture;
        if (lecture.openForReading(g_path)) {
            const auto tables = lecture.executeQuery("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?;",
                                                     {"SETTINGS"});
            const std::optional<int> version = tables && !tables->empty() ? storedVersion(lecture) : std::nullopt;
            if (tables && (!version || *version > kCurrentVersion)) {
                Alert alert;
                UpdateZevDataBase(lecture, &alert);
                lecture.close();
                alertAndStop(alert.message, alert.informative);
                return;
            }
        }
    }
    // The file must exist (start-up copies the template): creating an empty one here would stand
    // in the way of that copy on every later run.
    if (!g_connection->open(g_path, false)) {
        logLine("+ [KELChercheurDe initialize] SQLite Connection failed !!!");
        // Going on would silently lose every later write.
        g_lastError = "The link base file " + g_path + " cannot be opened (" + g_connection->openError() + ").";
        alertAndStop("zevDatabase Error!", g_lastError);
        return;
    }
    // Bytes damaged inside the file are met only when a statement reads their page, at start or
    // at any later time: the store is then refused as one cut short is at start.
    g_connection->setDamageHandler([](const std::string& why) {
        g_lastError = "The link base file " + g_path + " is damaged: " + why + ".";
        alertAndStop("zevDatabase Error!", g_lastError);
    });
    Alert alert;
    if (!UpdateZevDataBase(*g_connection, &alert)) {
        const bool told = g_connection->damaged();
        g_connection->close();
        if (!told)
            alertAndStop(alert.message, alert.informative);
        return;
    }
    ensureIndexes(*g_connection);
}

bool KELChercheurDe::UpdateZevDataBase() { return UpdateZevDataBase(ZevDataBase()); }

std::optional<int> KELChercheurDe::storedVersion(Sqlite& db)
{
    const auto rows = db.executeQuery("SELECT VALUE FROM SETTINGS WHERE NAME=?;", {"dbVersion"});
    if (!rows || rows->size() != 1)
        return std::nullopt;
    return versionFrom((*rows)[0]["VALUE"]);
}

bool KELChercheurDe::UpdateZevDataBase(Sqlite& db, Alert* alert)
{
    const std::optional<int> version = storedVersion(db);
    if (!version) {
        logLine("zevDatabase Impossible to read database version.");
        g_lastError = "The version of the link base cannot be read: the file is damaged or is no link base.";
        return false;
    }
    const int v = *version;
    if (v == kCurrentVersion)
        return true;
    if (v > kCurrentVersion) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "zevDatabase version (%d) newer than expected (%d). You should update the application.", v,
                      kCurrentVersion);
        if (alert) {
            alert->message = "zevDatabase Error!";
            alert->informative = std::string(text) + "\n" + g_downloadPage;
        }
        logLine(text);
        g_lastError = "The link base is newer than this version of Tallomer (version " + std::to_string(v) +
                      "; this version reads up to version " + std::to_string(kCurrentVersion) + ").";
        return false;
    }
    if (v <= 0)
        return true;
    if (v == 1) {
        logFormat("Update zevDatabase from version %d to version %d", 1, 2);
        if (!runStep(db, 1, stepOneToTwo()))
            return false;
    }
    logFormat("Update zevDatabase from version %d to version %d", 2, 3);
    return runStep(db, 2, stepTwoToThree());
}

Sqlite& KELChercheurDe::ZevDataBase()
{
    initialize();
    return *g_connection;
}

KELChercheurDe::Ensemble::Ensemble()
{
    if (g_connection && g_connection->isOpen() && !g_connection->inTransaction()) {
        echecs_ = g_connection->writeFailureCount();
        ouvert_ = g_connection->beginDeferredTransaction();
        g_ensembleOuvert = ouvert_;
    }
}

KELChercheurDe::Ensemble::~Ensemble()
{
    if (!ouvert_)
        return;
    g_ensembleOuvert = false;
    bool stocke = true;
    // The connection may have been closed meanwhile (quit): then there is nothing to commit.
    if (g_connection && g_connection->inTransaction()) {
        if (g_connection->writeFailureCount() != echecs_ || !g_connection->commit()) {
            g_connection->rollback();
            stocke = false;
        }
    }
    if (g_finDEnsemble)
        g_finDEnsemble(stocke);
}

bool KELChercheurDe::EnsembleOuvert() { return g_ensembleOuvert; }

void KELChercheurDe::setFinDEnsemble(FinDEnsemble hook) { g_finDEnsemble = hook; }

void KELChercheurDe::CloseDatabase()
{
    KELChercheurDeLiens::oublierLesRelationsLuesEnAvance();
    if (g_connection)
        g_connection->close();
}

void KELChercheurDe::resetConnection()
{
    KELChercheurDeLiens::oublierLesRelationsLuesEnAvance();
    g_connection.reset();
    g_lastError.clear();
}

namespace {
KELId idFromReal(double d)
{
    if (!(d > 0.0))
        return 0;
    if (d >= 18446744073709551615.0)
        return UINT64_MAX;
    return static_cast<KELId>(d);
}
} // namespace

KELId KELChercheurDe::idFrom(const SqlValue& value)
{
    if (value.isInteger())
        return value.toInt64() < 0 ? 0 : static_cast<KELId>(value.toInt64());
    if (value.isReal())
        return idFromReal(value.toDouble());
    return 0;
}

KELId KELChercheurDe::idAt(const SqlCursor& cursor, int column)
{
    if (cursor.isInteger(column)) {
        const auto v = cursor.int64(column);
        return v < 0 ? 0 : static_cast<KELId>(v);
    }
    if (cursor.isNull(column))
        return 0;
    return idFromReal(cursor.real(column));
}

void KELChercheurDe::forEachInBatches(const std::string& selectIn, const std::vector<KELId>& ids,
                                      const std::function<void(const SqlCursor&)>& row)
{
    constexpr std::size_t kParStatement = 250;
    std::string sql = selectIn;
    for (std::size_t i = 0; i < kParStatement; ++i)
        sql += i ? ",?" : "?";
    sql += ");";
    SqlArgs args;
    for (std::size_t start = 0; start < ids.size(); start += kParStatement) {
        const std::size_t end = std::min(ids.size(), start + kParStatement);
        args.assign(ids.begin() + static_cast<std::ptrdiff_t>(start), ids.begin() + static_cast<std::ptrdiff_t>(end));
        // Padded with an id of the batch: the text stays the same for every batch.
        while (args.size() < kParStatement)
            args.push_back(args.front());
        db().forEach(sql, args, [&](const SqlCursor& c) {
            row(c);
            return true;
        });
    }
}

KELId KELChercheurDe::allocateId(const char* finderName, const char* maxSql, const char* insertSql, KELId plancher)
{
    const KELId min = KELIdSpace::minId();
    const KELId max = KELIdSpace::maxId();
    KELId m = min;
    const auto rows = db().executeQuery(maxSql, {min, max});
    if (rows && !rows->empty() && (*rows)[0]["MAX_ID"].isNumber())
        m = idFrom((*rows)[0]["MAX_ID"]);
    if (plancher > m && plancher < max)
        m = plancher;
    const KELId n = m + 1;
    if (n + 1 > max) {
        logFormat("%s Max number of zevlet reached! Zevlet creation is no more possible! (newId = %lu)", finderName,
                  static_cast<unsigned long>(n));
        // Nothing new can be stored from now on: the user must learn of it, not only the log.
        Sqlite::reportStoreError("every id the store can give out is taken");
        return 0;
    }
    const KELId id = db().executeInsertQuery(insertSql, {n});
    if (id == 0)
        logFormat("%s maxIdInt: the new id %lu could not be reserved.", finderName, static_cast<unsigned long>(n));
    return id;
}
