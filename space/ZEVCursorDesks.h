#pragma once
// The Space's desks, one per time cursor (Search and Now): making them in their order at start,
// finding a cursor's desk and its parts, and what reaches every desk or the Now desk alone.

#include "engine/KELTypes.h"

#include <QStringList>

#include <map>
#include <memory>

class KELICurseur;

namespace tallomer {

class ZEVCursorDesk;
class ZEVDeskClass;
class ZEVDeskViewer;
class ZEVEntityViewer;
class ZEVItemClass;
class ZEVItemViewer;
class ZEVSpaceController;

class ZEVCursorDesks {
public:
    explicit ZEVCursorDesks(ZEVSpaceController& space);
    ~ZEVCursorDesks();
    ZEVCursorDesks(const ZEVCursorDesks&) = delete;
    ZEVCursorDesks& operator=(const ZEVCursorDesks&) = delete;

    // Makes the Search desk, then the Now desk, and reads their backgrounds from the Channels
    // inspector; answers whether the Now desk's were made for a first start.
    bool initDeskDicoWithChannelViewer(ZEVEntityViewer* channelViewer);
    ZEVCursorDesk* deskForCurseur(KELICurseur* curseur) const;
    ZEVItemClass* itemClassForCurseur(KELICurseur* curseur) const;
    ZEVItemViewer* itemViewerForCurseur(KELICurseur* curseur) const;
    ZEVDeskClass* deskClassForCurseur(KELICurseur* curseur) const;
    ZEVDeskViewer* deskViewerForCurseur(KELICurseur* curseur) const;
    void volumeMountDidChange();
    void updateItemImagesOfCurrentChannel();
    void addFilenames(const QStringList& paths);
    // Every desk goes; the Space's other parts may still ask for them meanwhile.
    void clear();

private:
    std::unique_ptr<ZEVCursorDesk> creerDesk(KELICurseur* curseur);

    ZEVSpaceController& space_;
    // Keyed by the cursor's id.
    std::map<KELId, std::unique_ptr<ZEVCursorDesk>> deskDico_;
};

} // namespace tallomer
