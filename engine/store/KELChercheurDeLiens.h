#pragma once
// Every statement on table ZEVLETS. One instance, held by the link server; each call runs one
// statement (id allocation two) on the shared connection and keeps nothing afterwards.
//
// Lists of ids are absent when nothing matched; a single id is 0 (or absent, for the operations
// whose name ends in "Num") for none. Queries of links valid at a date use the half-open interval
// [DATE_IN, DATE_OUT) that memory uses, so a link closing at t and its successor opening at t are
// never both valid at t.

#include "engine/KELTypes.h"
#include "engine/store/KELChercheurDe.h"
#include "engine/store/KELRow.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

class KELChercheurDeLiens : public KELChercheurDe {
public:
    KELChercheurDeLiens() = default;

    // --- Loading rows

    // The row of a link; absent (and logged) when there is none. The link server turns it into
    // a link object of the row's class.
    std::optional<KELRow> loadRowInt(KELId id);
    // The rows of many links in few statements, in the order of the ids (absent where a row is
    // missing, logged as by loadRowInt).
    std::vector<std::optional<KELRow>> loadRowsInt(const std::vector<KELId>& ids);
    // Every row of the table in id order, placeholders and forgotten rows included. The row
    // handed to fn is reused between calls.
    void forEachRow(const std::function<void(const KELRow&)>& fn);
    // Every row of a relation in id order, in one statement (a relation's links are loaded
    // together), handed to `bloc` a block at a time on the calling thread. `prevu` is told first
    // about how many rows to expect (on the large side when not counted). While either runs, no
    // statement of the shared connection is open, so both may run statements of their own. A
    // large relation is read ahead on a connection and thread of its own while `bloc` handles
    // the rows already read.
    void forEachBlocDeLaRelInt(KELId rel, const std::function<void(std::size_t rangees)>& prevu,
                               const std::function<void(const KELRow* rangees, std::size_t n)>& bloc);
    // Every relation read ahead on a connection and thread of their own, for the start to wake
    // them from memory (see forEachBlocDeLaRelInt); nothing when the shared connection does not
    // write ahead, has a transaction open or lacks the rows index. A relation written meanwhile
    // is read from the file again. Forgotten at the next call, when forgotten below, and when the
    // shared connection closes.
    static void lireLesRelationsEnAvance();
    static void oublierLesRelationsLuesEnAvance();
    // Until the reading ahead is over (read whole or given up); at once when there is none.
    static void attendreLaLectureEnAvance();
    // From how many rows a relation is read ahead (tests lower it to run the reader on small bases).
    static void setSeuilDeLectureEnFond(std::size_t rangees) { seuilDeLectureEnFond_ = rangees; }
    static std::size_t seuilDeLectureEnFond() { return seuilDeLectureEnFond_; }

    // --- Reading links

    KELIds liensNumDeLaRelInt(KELId rel);
    KELIds liensNumDeLEnfantInt(KELId child);
    bool siLienForRelNum(KELId rel, KELId child);
    KELIds liensNumDeLEnfantIntRelInt(KELId child, KELId rel);
    KELIds liensNumDuParentIntRelInt(KELId parent, KELId rel);
    std::uint64_t nbDeParentsDistinctsPourLaRelationInt(KELId rel);
    std::uint64_t nbDEnfantsDistinctsPourLaRelationInt(KELId rel);
    std::uint64_t lienCount();

    // The first link valid at the date; 0 for none. Two or more log an integrity error.
    KELId lienIntForParentInt(KELId parent, KELId child, KELId rel, KELDate date);
    KELIds liensNumForEnfantInt(KELId child, KELId rel, KELDate date);
    KELIds enfantsNumForParentInt(KELId parent, KELId rel, KELDate date);
    KELIds liensNumForParentInt(KELId parent, KELId rel, KELDate date);

    // The earliest in-date after the date of a link of the same parent (child, both) and
    // relation, never above KELDateOuverte; KELDateOuverte when there is none.
    KELDate outDatePourParentRelationDate(KELId parent, KELId rel, KELDate date);
    KELDate outDatePourEnfant(KELId child, KELId rel, KELDate date);
    KELDate outDatePourParentEnfantRelationDate(KELId parent, KELId child, KELId rel, KELDate date);
    // 0.0 when the link has no row.
    KELDate inDatePourLienNum(KELId id);
    KELDate outDatePourLienNum(KELId id);

    KELIds liensNumDuParentIntApres(KELId parent, KELDate date);
    KELIds liensNumDeLEnfantIntApres(KELId child, KELDate date);
    // The id when exactly one row has the relation and base; 0 for none or several (logged).
    KELId lienIntDeRelInt(KELId rel, KELId base);

    std::optional<KELId> firstLienNumDeRelIntParentInt(KELId rel, KELId parent);
    std::optional<KELId> firstLienNumDeRelIntEnfantInt(KELId rel, KELId child);
    std::optional<KELId> firstLienNumDeRelIntEnfantIntApresDate(KELId rel, KELId child, KELDate date);
    // The same for every child at once: child -> its first link of the relation after the date.
    std::unordered_map<KELId, KELId> firstLiensNumDeRelIntApresDateParEnfant(KELId rel, KELDate date);
    std::optional<KELId> firstLienNumDeRelNumParentNumApresDate(KELId rel, KELId parent, KELDate date);
    std::optional<KELId> firstLienNumDeRelNumParentNumEnfantNumApresDate(KELId rel, KELId parent, KELId child,
                                                                         KELDate date);
    std::optional<KELId> lastLienNumDeRelIntParentInt(KELId rel, KELId parent);
    std::optional<KELId> lastLienNumDeRelIntParentIntForDate(KELId rel, KELId parent, KELDate date);
    std::optional<KELId> lastLienNumDeRelNum(KELId rel, KELId parent, KELId child, KELDate date);

    // --- Writing links (each answers whether the statement succeeded)

    // A new id strictly inside the user range, reserved by a placeholder row; 0 when the range is
    // exhausted or the placeholder could not be written (both logged).
    KELId maxIdInt(KELId plancher = 0);
    // Writes the whole row. A row with id 0 is refused.
    bool insertLeLien(const KELRow& row);
    // Rewrites the row (dates included); nothing for id 0.
    bool majLesDatesDuLien(const KELRow& row);
    // Rewrites the row with another child; nothing for id 0.
    bool majLien(const KELRow& row, KELId enfant);
    bool deleteLeLien(KELId id);

    // The row under a cursor of kColumns (any thread).
    static void readRow(const SqlCursor& cursor, KELRow& row);

private:
    KELIds ids(const char* sql, const SqlArgs& arguments);
    std::optional<KELId> firstId(const char* sql, const SqlArgs& arguments);
    std::optional<KELId> lastId(const char* sql, const SqlArgs& arguments);
    std::uint64_t rowCount(const char* sql, const SqlArgs& arguments);
    KELDate impliedOutDate(const char* sql, const SqlArgs& arguments);
    bool replaceRow(const KELRow& row);

    std::uint64_t tailleEstimee_ = 0; // rows in the table, estimated when first needed (a plan choice only)
    int lignesIndexees_ = -1;         // whether the store has the rows index (-1: not asked yet)
    int journalWal_ = -1;             // whether the connection writes ahead (-1: not asked yet)
    static inline std::size_t seuilDeLectureEnFond_ = 512;
};
