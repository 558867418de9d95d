#include "engine/store/KELChercheurDeMots.h"

#include "runtime/Log.h"

using tallomer::logFormat;

std::optional<std::string> KELChercheurDeMots::motAvecBaseInt(KELId wordId)
{
    std::optional<std::string> word;
    db().forEach("SELECT WORD FROM WORD WHERE WORD_ID = ?;", {wordId}, [&](const SqlCursor& c) {
        if (!c.isNull(0))
            word = std::string(c.text(0));
        return false;
    });
    return word;
}

void KELChercheurDeMots::motsAvecBasesInt(const std::vector<KELId>& wordIds,
                                          const std::function<void(KELId, std::string)>& mot)
{
    forEachInBatches("SELECT WORD_ID, WORD FROM WORD WHERE WORD_ID IN (", wordIds, [&](const SqlCursor& c) {
        if (!c.isNull(1))
            mot(idAt(c, 0), std::string(c.text(1)));
    });
}

KELId KELChercheurDeMots::motIntAvecBaseTxt(const std::string& word)
{
    KELId id = 0;
    db().forEach("SELECT ZEVLET_ID FROM WORD WHERE ZEVLET_ID > ? AND ZEVLET_ID < ? AND WORD = ?;",
                 {KELIdSpace::minId(), KELIdSpace::maxId(), word}, [&](const SqlCursor& c) {
                     id = idAt(c, 0);
                     return false;
                 });
    return id;
}

KELId KELChercheurDeMots::maxIdInt()
{
    return allocateId("KELChercheurDeMots",
                      "SELECT MAX(WORD_ID) AS MAX_ID FROM WORD WHERE WORD_ID > ? AND WORD_ID < ?;",
                      "INSERT INTO WORD (WORD_ID, ZEVLET_ID, WORD) VALUES (?, 0, '');");
}

bool KELChercheurDeMots::creeMotAvecBaseTxt(const std::string& word, KELId lienInt, KELId prochainInt)
{
    if (prochainInt == 0) {
        logFormat("- [KELChercheurDeMots creeMotAvecBaseTxt: (%s)] id 0 refused", word.c_str());
        return false;
    }
    return db().executeNonQuery("REPLACE INTO WORD VALUES (?, ?, ?);", {prochainInt, lienInt, word});
}

bool KELChercheurDeMots::suppMotAvecBaseInt(KELId wordId)
{
    return db().executeNonQuery("DELETE FROM WORD WHERE WORD_ID = ?;", {wordId});
}
