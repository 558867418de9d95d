#pragma once
// The root of the three finders: owns the one connection to the link base file that the whole
// program uses, opens it on the first use of any finder, brings its schema up to version 3 and
// closes it at quit.

#include "engine/KELTypes.h"
#include "engine/store/Sqlite.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class KELChercheurDe {
public:
    static constexpr int kCurrentVersion = 3;
    // Retries of 20 microseconds each the link base's connection gives a busy answer.
    static constexpr std::int64_t kBusyRetries = Sqlite::kBusyRetries;
    // The index of links by relation and parent, made at open where the store lacks it.
    static constexpr const char* kParentIndex = "RelationParentIndex";
    // The rows of a relation in the order of their ids, every column in the index itself: a
    // relation is read without visiting the table once per row. Partial on a condition every row
    // meets and only the reading of a whole relation states (kRowsIndexCondition), so that no other
    // lookup is planned through it instead of the index it uses now.
    static constexpr const char* kRowsIndex = "RelationRowsIndex";
    static constexpr const char* kRowsIndexCondition = "ZEVLET_ID >= 0";

    // Shows an alert (when message is not empty) and then stops the program. The default logs
    // the texts and exits; the application shows a modal alert, tests record the call. When the
    // hook returns, the refused store has been closed and every later statement fails.
    using AlertAndStop = std::function<void(const std::string& message, const std::string& informative)>;
    static void setAlertAndStop(AlertAndStop hook); // an empty hook restores the default

    // Where the link base file lies; set by the application before the first finder is made.
    static void setDatabasePath(const std::string& path);
    static const std::string& databasePath();
    // The address named in the "too new" alert.
    static void setDownloadPage(const std::string& address);
    // Why the store was refused, in words for the user: the file cannot be opened, its version
    // cannot be read or is too new, or an upgrade step failed. Empty until a refusal, and again
    // when the connection is opened anew.
    static const std::string& lastError();

    // Opens and upgrades the shared connection once; later calls do nothing.
    static void initialize();
    // Checks and upgrades the schema of the shared connection; false: the store is unusable.
    static bool UpdateZevDataBase();
    // The same on any open connection. On a refusal that the user must be told of, *alert gets
    // the message and informative text.
    struct Alert {
        std::string message;
        std::string informative;
    };
    static bool UpdateZevDataBase(Sqlite& db, Alert* alert = nullptr);
    // The version the file's settings row gives; absent when there is no such row or its value
    // is not plainly a 32-bit integer. Reads only.
    static std::optional<int> storedVersion(Sqlite& db);
    // The shared connection (initialized first when needed).
    static Sqlite& ZevDataBase();
    // Checkpoints and closes the shared connection; the object stays, later statements fail.
    static void CloseDatabase();
    // Closes and drops the shared connection, so that the next initialize opens the file again.
    // For tests, which run many stores in one process.
    static void resetConnection();

    // The statements run while one lives are committed together: a link's id reservation and its
    // row are one commit instead of two (each commit writes the touched pages to the log again).
    // Inside an open transaction, or on a closed store, it does nothing. When any write among
    // them failed (a full disk undoes a statement or the whole transaction, at SQLite's choice),
    // none of them is kept: the set is rolled back rather than committed in part.
    class Ensemble {
    public:
        Ensemble();
        ~Ensemble();
        Ensemble(const Ensemble&) = delete;
        Ensemble& operator=(const Ensemble&) = delete;

    private:
        bool ouvert_ = false;
        std::uint64_t echecs_ = 0; // the connection's failed writes when the set began
    };
    // Whether the statements run now belong to a set that is still to be committed.
    static bool EnsembleOuvert();
    // Told, once the set that opened a transaction has ended, whether its statements were stored.
    // The link server sets it to take back from memory what the store did not keep.
    using FinDEnsemble = void (*)(bool stocke);
    static void setFinDEnsemble(FinDEnsemble hook);

protected:
    // Every finder makes sure the connection exists.
    KELChercheurDe() { initialize(); }
    static Sqlite& db() { return ZevDataBase(); }

    // The id allocation shared by the three finders: the next id above the highest one inside the
    // user range, reserved by the placeholder row of insertSql; 0 when the range is exhausted or
    // the placeholder could not be written (logged under finderName).
    // `plancher`: an id known to be taken although the table may not show it (an erased link
    // keeps its id in memory for the run); the new id is above it too.
    static KELId allocateId(const char* finderName, const char* maxSql, const char* insertSql, KELId plancher = 0);
    // An id read from a column: integers exactly, reals converted, anything else (and negative
    // values) 0.
    static KELId idFrom(const SqlValue& value);
    static KELId idAt(const SqlCursor& cursor, int column);
    // Runs `selectIn` (a statement ending in "IN (") for `ids`, a fixed number of ids a statement
    // (so that one prepared text serves every batch), and hands each row read to `row`.
    static void forEachInBatches(const std::string& selectIn, const std::vector<KELId>& ids,
                                 const std::function<void(const SqlCursor&)>& row);
};
