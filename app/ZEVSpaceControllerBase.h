#pragma once
// What the application shell asks of the space controller: the root controller builds one for the
// root Space, and the application delegate reaches the desks, cursors and the Space window through
// it. The space controller derives from this class; every operation has a harmless default.

#include "engine/KELTypes.h"

#include <QString>
#include <QStringList>

class KELICurseur;
class QWidget;

namespace tallomer {

class ZEVFrontViewer;

class ZEVSpaceControllerBase {
public:
    virtual ~ZEVSpaceControllerBase() = default;

    // Non-owning answers.
    virtual ZEVFrontViewer* frontViewer() { return nullptr; }
    virtual QWidget* spaceWindow() { return nullptr; }
    virtual KELICurseur* nowCurseur() { return nullptr; }
    virtual KELICurseur* searchCurseur() { return nullptr; }
    virtual KELICurseur* actifCurseur() { return nullptr; }
    virtual KELId currentChannelInt() { return 0; }

    // A volume was mounted or unmounted.
    virtual void volumeMountDidChange() {}
    // Opens a saved desk view; siHistory: whether a history entry is added.
    virtual void openZevpURL(const QString& url, bool siHistory) {}
    // Files opened from the desktop become Objects on the Now desk (addFilenames of its viewer).
    virtual void addFilenames(const QStringList& paths) {}
    // Saves the timeline's window offsets (the ruler class's updateTimeline).
    virtual void updateTimeline() {}
    // Records which cursor is active.
    virtual void updateActifCurseur(KELICurseur* curseur) {}
    // Ends a pending move of the ruler cursor.
    virtual void relancerLesCurseurs() {}
    // Imports what was dropped into the user's drop folder (receiveFilesForURL of deskSaveAs).
    virtual void receiveFilesForURL(const QString& folder) {}
    // Every item view of the active cursor's desk whose Object lies on the current Channel
    // redraws its image.
    virtual void updateItemImagesOfCurrentChannel() {}
};

} // namespace tallomer
