#pragma once
// The inspectors' controllers of the Space, one per class name, made on first use: finding and
// making them, opening those that list an Object, and reaching their models.

#include "engine/KELTypes.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class KELI;
class KELICurseur;

namespace tallomer {

class ZEVChannelClassServices;
class ZEVChannelViewerServices;
class ZEVEntityViewer;
class ZEVIconClassServices;
class ZEVLinkClassServices;
class ZEVSpaceController;

class ZEVInspectorViewers {
public:
    explicit ZEVInspectorViewers(ZEVSpaceController& space);
    ~ZEVInspectorViewers();
    ZEVInspectorViewers(const ZEVInspectorViewers&) = delete;
    ZEVInspectorViewers& operator=(const ZEVInspectorViewers&) = delete;

    ZEVEntityViewer* viewerForEntityClassName(const std::string& className) const;
    std::vector<ZEVEntityViewer*> entityViewerSet() const;
    ZEVEntityViewer* creerViewerForEntityClassName(const std::string& className, KELId entityInt);
    ZEVEntityViewer* creerViewerForEntityInt(KELId entityInt);
    std::vector<KELId> openViewersForCurseur(KELICurseur* curseur, KELI* item);
    std::vector<ZEVEntityViewer*> allEntityViewers() const;
    void updateAllTableViews();
    // The Channels inspector's controller, once made.
    ZEVEntityViewer* channelViewer() const { return channelViewer_; }
    void setChannelViewer(ZEVEntityViewer* viewer) { channelViewer_ = viewer; }
    ZEVChannelViewerServices* channelViewerServices() const;
    ZEVIconClassServices* iconClass() const;
    ZEVLinkClassServices* linkClass() const;
    ZEVChannelClassServices* channelClass() const;
    // Every controller goes; the Space's other parts may still ask for them meanwhile.
    void clear();

private:
    ZEVSpaceController& space_;
    // Keyed by the viewer's class name.
    std::map<std::string, std::unique_ptr<ZEVEntityViewer>> entityViewerDico_;
    ZEVEntityViewer* channelViewer_ = nullptr; // held by entityViewerDico_
};

} // namespace tallomer
