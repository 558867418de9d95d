#pragma once
// Which presence changes a kind's go-to steps stop at, under the kind's three user defaults (its
// presences starting, ending, its Objects' titles changing), read once with the missing ones
// written and then observed; and the steps themselves, from the active cursor over the one change
// walker, limited to the given Objects when there are any.

#include "engine/KELTypes.h"
#include "inspectors/services/ZEVChangeWalker.h"
#include "platform/UserDefaults.h"

#include <QString>

#include <unordered_set>
#include <vector>

namespace tallomer {

class ZEVRowsClass;

class ZEVGotoChanges {
public:
    struct Keys {
        const char* recall;
        const char* release;
        const char* title;
    };
    // `defaults` is not owned and outlives this. Recall and release changes count by default,
    // title changes do not.
    ZEVGotoChanges(UserDefaultsController& defaults, KELId relation, const Keys& keys);
    ~ZEVGotoChanges();
    ZEVGotoChanges(const ZEVGotoChanges&) = delete;
    ZEVGotoChanges& operator=(const ZEVGotoChanges&) = delete;

    bool siRecallChanges() const { return recall_; }
    bool siReleaseChanges() const { return release_; }
    bool siTitleChanges() const { return title_; }

    // The walk over the Channel's presences of the relation, kept to `targets` (not owned, it
    // must outlive the walk) when it is not empty.
    ZEVChangeWalk walk(KELId channelInt, const std::unordered_set<KELId>& targets) const;
    // The date of the previous or next change of the rows' Channel from their active cursor,
    // kept to their found and selected Objects when there are any; 0 for none or no kind asked.
    KELDate previousDate(const ZEVRowsClass& rows) const { return date(rows, true); }
    KELDate nextDate(const ZEVRowsClass& rows) const { return date(rows, false); }

private:
    void lire(const char* key, bool fallback, bool* field);
    KELDate date(const ZEVRowsClass& rows, bool previous) const;

    UserDefaultsController& defaults_;
    KELId relation_;
    bool recall_ = true;
    bool release_ = true;
    bool title_ = false;
    std::vector<DefaultsToken> tokens_;
};

} // namespace tallomer
