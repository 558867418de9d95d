#pragma once
// The link base's part of the program's start: the models of models, cursors and contexts are
// woken with all their elements at the global cursor (the cursor and context elements then load
// their settings on the following turns), and the timeline cursor is launched.

#include "engine/KELTypes.h"

class KELICurseur;

class KELDemarrage {
public:
    // Answers the timeline cursor, nullptr when the base has none.
    static KELICurseur* ReveillerLesModelsEtLancer(KELId curseurTimelineInt);
};
