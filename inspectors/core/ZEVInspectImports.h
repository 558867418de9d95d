#pragma once
// What a panel listing Objects by a presence relation (Files, Images) does the same way when
// things are dropped, pasted or chosen in its add panel: pasted pictures written into new
// Objects, a web page's picture with the page's Object, files found again or made, the close of
// every import, and the add panel itself. The panel says which relation lists its Objects, how
// a presence is made and a known Object recalled, its add panel's texts and which files it takes.

#include "desk/pasteboard/ZEVPasteboard.h"
#include "engine/KELTypes.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <vector>

class KELI;
class QFileDialog;

namespace tallomer {

class ZEVDeskViewer;
class ZEVInspectViewer;
class ZEVItemSet;

class ZEVInspectImports {
public:
    struct Kind {
        KELId relation = 0;
        // For the log: the panel's controller ("ZEVFileViewer") and its relation's name.
        const char* owner = "";
        const char* relationName = "";
        // The add panel's title and message.
        QString panelTitle;
        QString panelMessage;
        // The file extensions taken (any case) under the add panel's filter name; empty: every file.
        QStringList extensions;
        QString filterName;
        // Of the files it takes, those it can use (unset: every one), and how the user hears of
        // the ones left out for it, by name.
        std::function<bool(const QString& path)> readable;
        std::function<void(const QStringList& names)> tellUnreadable;
        // A presence in the panel from the date (nullptr when none could be made or stored), and
        // the recall of Objects it listed before.
        std::function<KELI*(KELI*, KELDate)> presence;
        std::function<void(const std::vector<KELI*>&)> recall;
    };

    // `viewer` (not owned) is the panel's controller, which holds this piece.
    ZEVInspectImports(ZEVInspectViewer& viewer, Kind kind);
    ~ZEVInspectImports();
    ZEVInspectImports(const ZEVInspectImports&) = delete;
    ZEVInspectImports& operator=(const ZEVInspectImports&) = delete;

    // The desk of the active cursor, where imported Objects are made; nullptr without one.
    ZEVDeskViewer* desk() const;
    // The active cursor's now; 0 without one.
    KELDate date() const;
    // Whether the kind takes the file.
    bool accepts(const QString& path) const;

    // One new Object per pasted picture, titled by its name or "pasted", its picture written into
    // its drop folder and listed from now. A picture that cannot be written takes its Object with
    // it and owes one beep (see takeBeep). How many came.
    int addPasted(const QList<ZEVPastedImage>& images, ZEVItemSet& set);
    int addPasted(const QList<ZEVPastedPdf>& pdfs, ZEVItemSet& set);
    // A web page's one picture: the page's Object found or made, the picture a new Object titled
    // by the address's name (else the picture's) that keeps the address. Whether it came.
    bool addPagePicture(const ZEVPastedImage& image, const QUrl& httpURL, ZEVItemSet& set);
    bool addPagePicture(const ZEVPastedPdf& pdf, const QUrl& httpURL, ZEVItemSet& set);

    // The Object of a file made or found: a new or unlisted one gets a presence from `date`, one
    // listed before goes into `known`; nullptr when none could be made or listed.
    KELI* importFile(ZEVDeskViewer& desk, const QString& path, ZEVItemOption newOptions, KELDate date,
                     std::vector<KELI*>& known);
    // The local files that exist and that the kind takes, imported at the active cursor; those
    // listed before are recalled together; those it cannot use are told once, after the import.
    // How many came.
    int addFileURLs(const QList<QUrl>& urls, ZEVItemSet& set);
    // The add panel's choice: what the kind does not take is left out with one beep, the rest
    // imported as dropped files. How many came, -1 when nothing could be taken.
    int addChosenFiles(const QList<QUrl>& urls, ZEVItemSet& set);

    // The close of every import: the Objects linked to the selected Filters, the cursor's move
    // ended and, when any came, the Objects selected in the front mode (else the selection stays).
    void finish(ZEVDeskViewer& desk, const ZEVItemSet& set);
    // Whether a picture could not be written since the last call; clears it.
    bool takeBeep();

    // The front layer's add panel at the folder with the kind's texts and files; `chosen` gets
    // the chosen files once confirmed. Beeps without a front layer.
    void openAddPanel(const QString& folder, std::function<void(const QList<QUrl>&)> chosen);

private:
    using Writer = std::function<QString(const QString& name, KELI* item)>;
    // One Object for a picture the writer puts on disk; nullptr (and a beep owed) when it cannot.
    KELI* addPastedFile(ZEVDeskViewer& desk, const QString& title, const QString& icon, const QUrl& httpURL,
                        const Writer& write);
    bool addPagePicture(const QUrl& httpURL, const QString& name, const QString& icon, const Writer& write,
                        ZEVItemSet& set);
    // One Object per name ("pasted" for none), the writer given the piece's index.
    using IndexedWriter = std::function<QString(qsizetype, const QString& name, KELI* item)>;
    int addPasted(const QStringList& names, const QString& icon, const IndexedWriter& write, ZEVItemSet& set);

    ZEVInspectViewer& viewer_; // not owned: the holder
    Kind kind_;
    bool beepOwed_ = false;
};

} // namespace tallomer
