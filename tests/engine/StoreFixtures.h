#pragma once
// Stores for the store tests: copies of the built template link base in temporary folders, what a
// file holds, and a session that points the shared connection at one copy and records the "alert
// and stop" calls.

#include "runtime/Log.h"
#include "engine/store/KELChercheurDe.h"
#include "engine/store/KELRow.h"
#include "engine/store/Sqlite.h"
#include "tests/support/StoreWait.h"
#include "tests/support/TestHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace storetest {

inline std::string templatePath()
{
    const std::string build = tallomer::test::buildDir();
    if (!build.empty())
        return build + "/share/tallomer/zev.sqlite";
#ifdef TALLOMER_TEMPLATE_DB
    return TALLOMER_TEMPLATE_DB;
#else
    return "share/tallomer/zev.sqlite";
#endif
}

// A fresh copy of the template in its own folder.
inline std::string copyTemplate()
{
    const std::string path = tallomer::test::makeTempDir("store") + "/zev.sqlite";
    std::filesystem::copy_file(templatePath(), path);
    return path;
}

// The program's own connection may be merging its log or reading as the test writes beside it: the
// test's connection waits as long as the program's does, not one retry.
inline void patient(Sqlite& db)
{
    tallomer::test::waitAsTheProgramDoes(db);
}

inline void run(const std::string& path, const std::vector<std::string>& statements)
{
    Sqlite db;
    ASSERT_TRUE(db.open(path, false));
    patient(db);
    for (const auto& s : statements)
        ASSERT_TRUE(db.executeNonQuery(s)) << s;
}

// The statement that writes a row as another program would, dates exact.
inline std::string insertRow(const KELRow& r)
{
    using U = unsigned long long;
    char sql[320];
    std::snprintf(sql, sizeof sql, "INSERT INTO ZEVLETS VALUES (%llu, %llu, '%s', %.17g, %.17g, %llu, %llu, %llu);",
                  U(r.id), U(r.base), r.className.c_str(), r.inDate, r.outDate, U(r.child), U(r.parent), U(r.relation));
    return sql;
}

// Everything a file holds, as text: schema entries and every row of every table.
// The schema and every row; `withoutIndexes` leaves those indexes out of the schema.
inline std::string dump(const std::string& path, const std::vector<std::string>& withoutIndexes = {})
{
    const tallomer::ScopedLogCapture quiet; // a missing table is part of what some tests compare
    Sqlite db;
    db.open(path, false);
    patient(db);
    std::string out;
    for (const char* sql : {"SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY name;",
                            "SELECT * FROM ZEVLETS ORDER BY ZEVLET_ID;", "SELECT * FROM WORD ORDER BY WORD_ID;",
                            "SELECT * FROM NUMBER ORDER BY NUMBER_ID;",
                            "SELECT * FROM SETTINGS ORDER BY NAME, VALUE;"}) {
        const auto rows = db.executeQuery(sql);
        for (const auto& row : rows ? *rows : std::vector<SqlRow>{}) {
            if (row.size() > 1 && row.valueAt(1).isText() &&
                std::find(withoutIndexes.begin(), withoutIndexes.end(), row.valueAt(1).toText()) !=
                    withoutIndexes.end())
                continue;
            for (std::size_t i = 0; i < row.size(); ++i) {
                const SqlValue& v = row.valueAt(i);
                out += row.nameAt(i) + "=" +
                       (v.isText()      ? "'" + v.toText() + "'"
                        : v.isInteger() ? std::to_string(v.toInt64())
                        : v.isReal()    ? std::to_string(v.toDouble()) + "r"
                                        : std::string("null")) +
                       " ";
            }
            out += "\n";
        }
    }
    return out;
}

inline SqlValue scalar(const std::string& path, const std::string& sql)
{
    Sqlite db;
    const bool opened = db.open(path, false);
    patient(db);
    const auto rows = opened ? db.executeQuery(sql) : std::nullopt;
    return rows && !rows->empty() && rows->front().size() > 0 ? rows->front().valueAt(0) : SqlValue();
}

// Points the shared connection at a file for the lifetime of the object.
class StoreSession {
public:
    struct Stop {
        std::string message, informative;
    };

    explicit StoreSession(const std::string& path)
    {
        KELChercheurDe::resetConnection();
        KELChercheurDe::setDatabasePath(path);
        KELChercheurDe::setAlertAndStop([this](const std::string& m, const std::string& i) {
            stops.push_back({m, i});
        });
        Sqlite::setStoreErrorHook([this](const std::string& e) { storeErrors.push_back(e); });
    }
    ~StoreSession()
    {
        KELChercheurDe::resetConnection();
        KELChercheurDe::setAlertAndStop({});
        Sqlite::setStoreErrorHook({});
    }
    StoreSession(const StoreSession&) = delete;
    StoreSession& operator=(const StoreSession&) = delete;

    std::vector<Stop> stops;
    std::vector<std::string> storeErrors;
};

} // namespace storetest
