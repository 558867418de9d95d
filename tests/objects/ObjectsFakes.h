#pragma once
// Stand-ins for the space controller, the desk viewer and the desk's models around one item
// viewer: plain tables the tests fill in.

#include "engine/KELLien.h"
#include "objects/ZEVItemSpaceServices.h"
#include "objects/ZEVItemViewServices.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "objects/viewer/ZEVItemViewerModels.h"

#include <QGraphicsScene>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace objectstest {

using namespace tallomer;

inline bool contains(const std::vector<KELI*>& v, const KELI* o) { return std::find(v.begin(), v.end(), o) != v.end(); }

class FakeSpace final : public ZEVItemSpaceServices {
public:
    KELId identityInt() override { return channel; }
    int frontMode() override { return mode; }
    bool isIconSelectedForItem(KELI* o) override { return contains(icons, o); }
    bool isTitleSelectedForItem(KELI* o) override { return contains(titles, o); }
    bool isFilterSelectedForItem(KELI* o) override { return contains(filters, o); }
    bool isNodeSelectedForItem(KELI* o) override { return contains(nodes, o); }
    std::vector<KELI*> selectedIconItems() override { return icons; }
    std::vector<KELI*> selectedTitleItems() override { return titles; }
    std::vector<KELI*> selectedFilterItems() override { return filters; }
    std::vector<KELI*> selectedNodeItems() override { return nodes; }
    bool isLinkSelectedForConnexion(const ZEVItemConnexion* c) override { return links.count(c) > 0; }
    void selectLinkForConnexion(ZEVItemConnexion* c) override { links = {c}; }
    void multiSelectLinkForConnexion(ZEVItemConnexion* c) override { links.insert(c); }
    void deselectLinkForConnexion(ZEVItemConnexion* c) override { links.erase(c); }
    bool siShowLinks() override { return showLinks; }
    KELI* draggingItem() override { return dragging; }

    KELId channel = 1;
    int mode = 0;
    bool showLinks = true;
    KELI* dragging = nullptr;
    std::vector<KELI*> icons, titles, filters, nodes;
    std::set<const ZEVItemConnexion*> links;
};

// The desk viewer: owns the views the item viewer makes, in one scene.
class FakeDesk final : public ZEVItemViewDeskServices {
public:
    ZEVItemViewServices* itemViewForItem(KELI* item) override
    {
        auto it = views.find(item);
        return it == views.end() ? nullptr : it->second.get();
    }
    ZEVItemViewServices* ajouterItemViewAvecItem(KELI* item) override { return add(item, {100, 100, 64, 0}); }
    void deleteItemView(ZEVItemViewServices* view) override
    {
        for (auto it = views.begin(); it != views.end(); ++it)
            if (it->second.get() == view) {
                views.erase(it);
                return;
            }
    }
    void majItemViews() override { ++majViews; }
    void majConnexion() override { ++majLines; }
    double deskHeight() override { return height; }

    ZEVItemView* add(KELI* item, const ZEVIconPosition& p)
    {
        auto v = viewer->creerItemView(p, item, 1.0f);
        auto* raw = static_cast<ZEVItemView*>(v.get());
        scene.addItem(raw);
        raw->setHidden(false);
        views[item] = std::move(v);
        return raw;
    }

    ZEVItemViewer* viewer = nullptr;
    QGraphicsScene scene;
    std::map<KELI*, std::unique_ptr<ZEVItemViewServices>> views;
    int majViews = 0;
    int majLines = 0;
    double height = 1000;
};

class FakeModels final : public ZEVItemViewerModels {
public:
    KELI* objetForInt(KELId id) override
    {
        auto it = objets.find(id);
        return it == objets.end() ? nullptr : it->second;
    }
    std::vector<KELI*> connectedItemsForItem(KELI* item) override
    {
        std::vector<KELI*> out;
        for (auto& [p, e] : pairs) {
            if (p == item && !contains(out, e))
                out.push_back(e);
            if (e == item && !contains(out, p))
                out.push_back(p);
        }
        return out;
    }
    bool siConnected(KELI* a, KELI* b) override
    {
        return std::any_of(pairs.begin(), pairs.end(), [&](auto& pr) {
            return (pr.first == a && pr.second == b) || (pr.first == b && pr.second == a);
        });
    }
    bool siIconExisteForItem(KELI* item) override { return icons.count(item) > 0; }
    bool siIncluLeLien(KELI* lien) override { return inclus.count(lien) > 0; }

    std::map<KELId, KELI*> objets;
    std::vector<std::pair<KELI*, KELI*>> pairs;
    std::set<KELI*> icons;
    std::set<KELI*> inclus;
};

// Objects and links that live outside any link base.
class Objects {
public:
    KELI* objet(KELId id, KELId channel = 1)
    {
        auto o = std::make_unique<KELI>();
        o->assignerIdInt(id);
        o->setChannelInt(channel);
        store.push_back(std::move(o));
        models.objets[id] = store.back().get();
        return store.back().get();
    }
    KELI* lien(KELId id, KELI* parent, KELI* enfant, KELDate in = 0)
    {
        auto l = std::make_unique<KELI>();
        l->assignerIdInt(id);
        l->assignerParentInt(parent->idInt());
        l->assignerEnfantInt(enfant->idInt());
        l->assignerInDate(in);
        store.push_back(std::move(l));
        models.pairs.emplace_back(parent, enfant);
        return store.back().get();
    }

    FakeModels models;
    std::vector<std::unique_ptr<KELI>> store;
};

// One desk: the space, the desk viewer, the models and the item viewer between them.
struct Desk {
    Desk()
    {
        viewer = std::make_unique<ZEVItemViewer>(nullptr, &space, &desk);
        viewer->referencerModels(&objects.models);
        desk.viewer = viewer.get();
    }
    ~Desk()
    {
        desk.views.clear(); // the views go before their viewer, as on a real desk
    }

    FakeSpace space;
    FakeDesk desk;
    Objects objects;
    std::unique_ptr<ZEVItemViewer> viewer;
};

} // namespace objectstest
