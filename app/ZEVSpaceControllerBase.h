#pragma once
// What the application shell asks of the space controller: the root controller builds one for the
// root Space, and the application delegate reaches the desks, cursors and the Space window through
// it. The Space's adapter answers every operation.

#include "engine/KELTypes.h"
#include "space/ZEVZevpURL.h"

#include <QString>
#include <QStringList>

class KELICurseur;
class QWidget;

namespace tallomer {

class ZEVFrontViewerServices;

class ZEVSpaceControllerBase {
public:
    virtual ~ZEVSpaceControllerBase() = default;

    // Non-owning answers.
    virtual ZEVFrontViewerServices* frontViewer() = 0;
    virtual QWidget* spaceWindow() = 0;
    virtual KELICurseur* nowCurseur() = 0;
    virtual KELICurseur* searchCurseur() = 0;
    virtual KELICurseur* actifCurseur() = 0;
    virtual KELId currentChannelInt() = 0;

    // A volume was mounted or unmounted.
    virtual void volumeMountDidChange() = 0;
    // Opens a saved desk view. siHistory YES: the place comes from the history, and no history mark
    // is recorded; NO: the place reached is recorded. Answers whether the URL was refused, or
    // reached without its cursor part, and why.
    virtual ZEVZevpOpening openZevpURL(const QString& url, bool siHistory) = 0;
    // Files opened from the desktop become Objects on the Now desk (addFilenames of its viewer).
    virtual void addFilenames(const QStringList& paths) = 0;
    // What is typed in the Space window and not yet entered (a preset's new name) is entered: the
    // quit is about to close the store.
    virtual void commitTyping() = 0;
    // Saves the timeline's window offsets (the ruler class's updateTimeline).
    virtual void updateTimeline() = 0;
    // Records which cursor is active.
    virtual void updateActifCurseur(KELICurseur* curseur) = 0;
    // Ends a pending move of the ruler cursor.
    virtual void relancerLesCurseurs() = 0;
    // Imports what was dropped into the user's drop folder (receiveFilesForURL of deskSaveAs).
    virtual void receiveFilesForURL(const QString& folder) = 0;
    // The quit: every web download stops, its temporary file goes and its Object is no longer
    // marked downloading, before the store closes.
    virtual void abortDownloads() = 0;
    // Every item view of the active cursor's desk whose Object lies on the current Channel
    // redraws its image.
    virtual void updateItemImagesOfCurrentChannel() = 0;
};

} // namespace tallomer
