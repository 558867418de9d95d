#pragma once
// While one lives, the running program's link base finds no room for a link of one relation, new
// or written again (its dates changed), as a disk that fills up in the middle of an act: the
// act's writes before that one are made, then undone with the rest of the act.

#include "engine/KELTypes.h"
#include "engine/store/KELChercheurDe.h"
#include "engine/store/Sqlite.h"

#include <gtest/gtest.h>
#include <string>

namespace e2e {

class FullLinkBase {
public:
    explicit FullLinkBase(KELId relation) : FullLinkBase("NEW.RELATION = " + std::to_string(relation)) {}
    // No room for the link rows that meet an SQL condition on NEW.
    explicit FullLinkBase(const std::string& condition)
    {
        EXPECT_TRUE(KELChercheurDe::ZevDataBase().executeNonQuery(
            "CREATE TEMP TRIGGER plein BEFORE INSERT ON ZEVLETS WHEN " + condition +
            " BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END;"));
    }
    ~FullLinkBase() { EXPECT_TRUE(KELChercheurDe::ZevDataBase().executeNonQuery("DROP TRIGGER temp.plein;")); }
    FullLinkBase(const FullLinkBase&) = delete;
    FullLinkBase& operator=(const FullLinkBase&) = delete;
};

} // namespace e2e
