#include "space/ZEVInspectorViewers.h"

#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "services/ZEVInspectorServices.h"
#include "runtime/Log.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"

namespace tallomer {

ZEVInspectorViewers::ZEVInspectorViewers(ZEVSpaceController& space) : space_(space) {}

ZEVInspectorViewers::~ZEVInspectorViewers() { clear(); }

void ZEVInspectorViewers::clear()
{
    channelViewer_ = nullptr;
    entityViewerDico_.clear();
}

ZEVChannelViewerServices* ZEVInspectorViewers::channelViewerServices() const
{
    return dynamic_cast<ZEVChannelViewerServices*>(channelViewer_);
}

ZEVEntityViewer* ZEVInspectorViewers::viewerForEntityClassName(const std::string& className) const
{
    auto it = entityViewerDico_.find(className);
    return it == entityViewerDico_.end() ? nullptr : it->second.get();
}

std::vector<ZEVEntityViewer*> ZEVInspectorViewers::entityViewerSet() const
{
    std::vector<ZEVEntityViewer*> out;
    for (const auto& [name, viewer] : entityViewerDico_)
        if (viewer)
            out.push_back(viewer.get());
    return out;
}

ZEVEntityViewer* ZEVInspectorViewers::creerViewerForEntityClassName(const std::string& className, KELId entityInt)
{
    if (ZEVEntityViewer* existing = viewerForEntityClassName(className))
        return existing;
    std::unique_ptr<ZEVEntityViewer> viewer = ZEVEntityViewerClasses::creer(className, space_, entityInt);
    if (!viewer)
        return nullptr;
    ZEVEntityViewer* raw = viewer.get();
    entityViewerDico_[className] = std::move(viewer);
    return raw;
}

ZEVEntityViewer* ZEVInspectorViewers::creerViewerForEntityInt(KELId entityInt)
{
    const std::string className =
        space_.entityClass()
            ? space_.entityClass()->classNameForEntity(KELServeurDeLiens::LienForInt(entityInt, space_.tlCurseur()))
            : std::string();
    if (className.empty()) {
        logFormat("ZEVSpaceController creerViewerForEntityInt: no viewer class for entity %llu",
                  (unsigned long long)entityInt);
        return nullptr;
    }
    return creerViewerForEntityClassName(className, entityInt);
}

std::vector<KELId> ZEVInspectorViewers::openViewersForCurseur(KELICurseur* curseur, KELI* item)
{
    std::vector<KELId> opened;
    if (!curseur || !item)
        return opened;
    const std::pair<KELId, KELId> steps[] = {
        {KELRELATION_FILE_VIEWER, KELENTITY_FILE_VIEWER},
        {KELRELATION_PERSON_VIEWER, KELENTITY_PERSON_VIEWER},
        {KELRELATION_BACK_VIEWER, KELENTITY_BACK_VIEWER},
    };
    for (const auto& [rel, entity] : steps) {
        const KELIds ids = KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(item->idInt(), rel);
        if (!ids)
            continue;
        for (KELId id : *ids) {
            KELI* lien = KELServeurDeLiens::LienForInt(id, curseur);
            // A link that can be woken is not yet one the cursor shows: a past-only listing
            // must not open the inspector.
            if (!lien || !curseur->siIncluLeLien(lien))
                continue;
            creerViewerForEntityInt(entity);
            space_.host().ouvrirEntityWithInt(entity);
            opened.push_back(entity);
            break;
        }
    }
    return opened;
}

std::vector<ZEVEntityViewer*> ZEVInspectorViewers::allEntityViewers() const
{
    std::vector<ZEVEntityViewer*> all;
    for (const auto& [name, viewer] : entityViewerDico_)
        all.push_back(viewer.get());
    return all;
}

void ZEVInspectorViewers::updateAllTableViews()
{
    for (const auto& [name, viewer] : entityViewerDico_)
        viewer->updateInspectView();
}

ZEVIconClassServices* ZEVInspectorViewers::iconClass() const
{
    auto* v = dynamic_cast<ZEVIconViewerServices*>(viewerForEntityClassName("ZEVIconViewer"));
    return v ? v->iconClass() : nullptr;
}

ZEVLinkClassServices* ZEVInspectorViewers::linkClass() const
{
    auto* v = dynamic_cast<ZEVLinkViewerServices*>(viewerForEntityClassName("ZEVLinkViewer"));
    return v ? v->linkClass() : nullptr;
}

ZEVChannelClassServices* ZEVInspectorViewers::channelClass() const
{
    auto* v = dynamic_cast<ZEVChannelViewerServices*>(channelViewer_);
    return v ? v->channelClass() : nullptr;
}

} // namespace tallomer
