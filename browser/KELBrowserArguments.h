#pragma once
// The program's options that open link base browser windows:
// --link-browser <link id> [--cursor <cursor id>], any number of times.

#include "engine/KELLien.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace tallomer {

struct KELBrowserArguments {
    struct Requete {
        KELId lienInt = 0;
        KELId curseurInt = 0; // 0: the global cursor
        QString erreur;       // why the request is void; empty when it is sound
    };
    // One request per --link-browser; ids are plain decimal numbers above 0.
    static std::vector<Requete> lire(const QStringList& options);
};

} // namespace tallomer
