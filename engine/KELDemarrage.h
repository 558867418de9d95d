#pragma once
// The link base's part of the program's start: the models of models, cursors and contexts are
// woken with all their elements at the global cursor (the cursor and context elements then load
// their settings on the following turns), and the timeline cursor is launched.

#include "engine/KELTypes.h"

#include <string>
#include <vector>

class KELICurseur;
class Sqlite;

class KELDemarrage {
public:
    // Every relation of the base read ahead, on a thread of its own, while the program builds its
    // windows; what was read is forgotten `pendant` seconds later (on the shared scheduler, when
    // there is one), and a relation woken afterwards is read from the file as before.
    static void LireLesRelationsEnAvance(double pendant);

    // Answers the timeline cursor, nullptr when the base has none.
    static KELICurseur* ReveillerLesModelsEtLancer(KELId curseurTimelineInt);

    // Why a start could not go on with the link base file at `path`, in words for the user; empty
    // when it could. The file is opened read only and never changed: it must pass SQLite's full
    // integrity check, hold a version this program reads, the tables and columns the finders
    // read, the models the start wakes, the timeline cursor as a cursor, and every link of
    // `requis` (the roots the program's own start reads). Safe on any thread that does not use
    // the shared connection.
    static std::string VerifierLeFichier(const std::string& path, KELId curseurTimelineInt,
                                         const std::vector<KELId>& requis = {});
    // The same checks but SQLite's integrity check, on an open connection, reading only: what a
    // start reads at once, whose absence would leave it without its windows.
    static std::string VerifierLaStructure(Sqlite& db, KELId curseurTimelineInt, const std::vector<KELId>& requis = {});
};
