#pragma once
// What every import of things into a Channel shares, whether they land on a desk or in the Files
// panel: finding the Object the store already holds for a file or an address, making a new one
// with the desk's Object factory, starting its download, linking what came to the selected
// Filters and selecting it in the front mode. Only where the result is placed differs, which the
// callers do themselves. The desk given is the one of the cursor the import works at.

#include "desk/model/ZEVItemOptions.h"
#include "desk/pasteboard/ZEVPasteboard.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <vector>

class KELI;

namespace tallomer {

class ZEVDeskViewer;

class ZEVImportLookups {
public:
    enum class Found { None, ByUid, ByPath };
    // Starts the download of an address into a folder for the Object; false when refused.
    using DownloadStarter = std::function<bool(const QUrl& url, KELI* item, const QString& folder)>;

    // The Object the store holds for the uid, woken at the desk's cursor and given the current
    // Channel; nullptr when none.
    static KELI* objectWithUid(ZEVDeskViewer& desk, const QString& uid);
    // The Object of a file, found by its uid (its stored path rewritten) or by its path (its
    // stored uid rewritten); the web location file of a web Object stands for that Object.
    static KELI* fileObject(ZEVDeskViewer& desk, const QString& path, Found* how);
    // A new Object of the current Channel together with what it stands for outside the link base (its record, and the
    // file made for it): writeOutside is handed the new Object and answers whether all of it was
    // written. When not (the failure was reported to the user), the Object is erased again and
    // nullptr answered: no Object without its record, which no later paste could find again.
    static KELI* creerWithRecord(ZEVDeskViewer& desk, const QString& title, const char* type, const QString& icon,
                                 ZEVItemOption options, const std::function<bool(KELI* item)>& writeOutside);
    // A new Object that could not be given its place (its icon or its presence was not stored):
    // its records and the files made for it go, then its links, as if it had never been made.
    static void takeBack(ZEVDeskViewer& desk, KELI* item);
    // The file record of a file made for a new Object (a pasted picture, text or document), for
    // creerWithRecord: false, and the file gone with the Object's emptied folder, when either the
    // file (empty path) or its record is missing.
    static bool madeFileRecord(const QString& file, const QUrl& httpURL, KELI* item);
    // Takes a file made for a new Object away again, with the Object's folder once empty.
    static void removeMadeFile(const QString& file, KELI* item);
    // Marks the Object loading and hands the download to the starter; unmarked when refused.
    static void startDownload(KELI* item, const QUrl& url, const DownloadStarter& starter);
    // The web Object of an address dragged with its picture: the one the store holds for the
    // address (given the current Channel), else one made for it, never shown.
    static void webObjectForPage(ZEVDeskViewer& desk, const QUrl& httpURL, const QString& title);
    static void linkToSelectedFilters(ZEVDeskViewer& desk, const ZEVItemSet& set);
    static void selectInFrontMode(ZEVDeskViewer& desk, const std::vector<KELI*>& items);
};

} // namespace tallomer
