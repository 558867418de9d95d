#pragma once
// What opening Objects and the Object context menu ask of the program around the item viewer:
// its alerts and panels, the Space controller's saved places, the go-to suffix and the Now desk's
// viewer, the front layer's presence tests and commands, and the Open With submenu. The
// application answers (ZEVItemViewerAppHost); unit tests answer with a fake.

#include <QIcon>
#include <QString>
#include <QStringList>

#include <vector>

class KELI;
class KELICurseur;
class QMenu;

namespace tallomer {

class ZEVItemConnexion;
class ZEVItemView;
class ZEVItemViewer;

class ZEVItemViewerHost {
public:
    virtual ~ZEVItemViewerHost() = default;

    // ---- the user ----
    // A modal alert (an empty window title for the plain one); the index of the button chosen.
    virtual int alert(const QString& windowTitle, const QString& message, const QString& informative,
                      const QStringList& buttons) = 0;
    // An open panel for one file, no folders: the chosen path, empty for Cancel.
    virtual QString chooseFile(const QString& title, const QString& message, const QString& prompt) = 0;
    // The retrieve panel for a file Object whose file is missing, modal: 1 Select (with *newPath
    // the file chosen), 2 Cancel, 3 Delete.
    virtual int retrieveItem(KELI* item, QString* newPath) = 0;
    virtual void activateApplication() = 0;

    // ---- the Space ----
    // Opens the saved place (on the next turn of the event loop); one the Space cannot go to is
    // told in an alert naming the Object by its title.
    virtual void openZevpURL(const QString& url, const QString& title) = 0;
    // The place addresses of the Objects on the clipboard.
    virtual void copyZevpUrlForItems(const std::vector<KELI*>& items) = 0;
    // The go-to duration suffix of the time items (" (1 day)"), empty while the go-to panel is hidden.
    virtual QString durationString() = 0;
    virtual ZEVItemViewer* itemViewerForCurseur(KELICurseur* curseur) = 0;
    // The item viewers of the Now and the Search desk.
    virtual std::vector<ZEVItemViewer*> itemViewers() = 0;
    virtual bool isTitleEditing() = 0;
    // Every inspector table shows its rows again.
    virtual void updateAllTableViews() = 0;
    // Links shown for the selections (not for all Objects) while the menu links, and the front
    // layer's links display brought up to date for its mode 0.5 s later.
    virtual void showLinksForSelections() = 0;

    // ---- the front layer ----
    virtual bool isItemActifNow(KELI* item) = 0;
    // Whether the drawn link's Objects are linked at that cursor.
    virtual bool isLinkActif(ZEVItemConnexion* link, KELICurseur* curseur) = 0;
    virtual void userAddNewFolderWithItem(KELI* item) = 0;
    // The submenu of the applications that open these Objects, refilled.
    virtual void fillOpenWithForItems(QMenu* menu, const std::vector<KELI*>& items) = 0;
    // The Open item's icon for an Object: its icon word's file type icon.
    virtual QIcon iconForItem(KELI* item) = 0;

    // ---- the Channels inspector ----
    // Whether it is there to make new Channels and Spaces.
    virtual bool siChannelsAnswer() = 0;
    // A new Channel (or a new Space of the current Channel) with the image Object's file as its
    // background: its panel with the default names and colour, filled.
    virtual void newChannelOrSpaceWithItem(KELI* item, bool channel) = 0;

    // ---- the file jobs of the menu ----
    enum class FileJob { MoveTo, MoveToSpace, CopyTo, CopyToSpace, DuplicateTo, DuplicateToSpace };
    virtual bool siFileJob(FileJob job, KELI* item) = 0;
    virtual void runFileJob(FileJob job, KELI* item) = 0;
};

} // namespace tallomer
