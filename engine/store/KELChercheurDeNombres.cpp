#include "engine/store/KELChercheurDeNombres.h"

#include "runtime/Log.h"

using tallomer::logFormat;

std::optional<double> KELChercheurDeNombres::nombreAvecBaseInt(KELId numberId)
{
    std::optional<double> number;
    db().forEach("SELECT NUMBER FROM NUMBER WHERE NUMBER_ID = ?;", {numberId}, [&](const SqlCursor& c) {
        if (!c.isNull(0))
            number = c.real(0);
        return false;
    });
    return number;
}

void KELChercheurDeNombres::nombresAvecBasesInt(const std::vector<KELId>& numberIds,
                                                const std::function<void(KELId, double)>& nombre)
{
    forEachInBatches("SELECT NUMBER_ID, NUMBER FROM NUMBER WHERE NUMBER_ID IN (", numberIds, [&](const SqlCursor& c) {
        if (!c.isNull(1))
            nombre(idAt(c, 0), c.real(1));
    });
}

KELId KELChercheurDeNombres::nombreIntAvecBaseNum(double number)
{
    KELId id = 0;
    db().forEach("SELECT ZEVLET_ID FROM NUMBER WHERE ZEVLET_ID > ? AND ZEVLET_ID < ? AND NUMBER = ?;",
                 {KELIdSpace::minId(), KELIdSpace::maxId(), number}, [&](const SqlCursor& c) {
                     id = idAt(c, 0);
                     return false;
                 });
    return id;
}

KELId KELChercheurDeNombres::maxIdInt()
{
    return allocateId("KELChercheurDeNombres",
                      "SELECT MAX(NUMBER_ID) AS MAX_ID FROM NUMBER WHERE NUMBER_ID > ? AND NUMBER_ID < ?;",
                      "INSERT INTO NUMBER (NUMBER_ID, ZEVLET_ID, NUMBER) VALUES (?, 0, 0);");
}

bool KELChercheurDeNombres::creeNombreAvecBaseNum(double number, KELId lienInt, KELId prochainInt)
{
    if (prochainInt == 0) {
        logFormat("- [KELChercheurDeNombres creeNombreAvecBaseNum: (%g)] id 0 refused", number);
        return false;
    }
    return db().executeNonQuery("REPLACE INTO NUMBER VALUES (?, ?, ?);", {prochainInt, lienInt, number});
}

bool KELChercheurDeNombres::suppNombreAvecBaseInt(KELId numberId)
{
    return db().executeNonQuery("DELETE FROM NUMBER WHERE NUMBER_ID = ?;", {numberId});
}
