#pragma once
// Where the files that ship with the program lie: the template link base, the wallpapers and the
// images. Installed, they sit in <prefix>/share/tallomer next to <prefix>/bin; in the build tree
// the same layout is built (build/bin and build/share/tallomer). They are found from the binary's
// own folder first, then in the data folder of the prefix the build was configured for
// (platform/files/ResourceFolder.h). TALLOMER_RESOURCE_DIR overrides both, for running from
// unusual places.

#include <QString>

namespace tallomer {

class KELResources {
public:
    // The folder of the program's own files (without a trailing slash).
    static QString directory();
    // Sets the folder explicitly (tests); an empty string returns to the search.
    static void setDirectory(const QString& dir);

    // The path of resource `name` of `type` ("zev", "sqlite" → <dir>/zev.sqlite); empty when the
    // file is missing. Wallpapers live in wallpapers/, images in images/.
    static QString pathForResource(const QString& name, const QString& type);
    static QString wallpaperPath(const QString& name); // name without ".pdf"
    static QString imagePath(const QString& fileName);
};

} // namespace tallomer
