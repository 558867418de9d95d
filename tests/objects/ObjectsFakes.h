#pragma once
// Stand-ins for the space controller, the desk viewer and the desk's models around one item
// viewer (plain tables the tests fill in), and the drawing inputs and pixel checks the drawing
// tests share.

#include "engine/KELLien.h"
#include "services/ZEVSpaceForObjectViews.h"
#include "services/ZEVItemViewForDesks.h"
#include "services/ZEVScenePaint.h"
#include "objects/drawing/ZEVItemDrawing.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "objects/viewer/ZEVItemViewerModels.h"
#include "space/desk/ZEVDeskGeometry.h"
#include "tests/support/NullServices.h"

#include <QColor>
#include <QGraphicsScene>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <tuple>
#include <vector>

// Readable failures for geometry compared with EXPECT_EQ (gtest finds these by the types' namespace).
inline void PrintTo(const QRectF& r, std::ostream* os) { *os << r.x() << ", " << r.y() << " " << r.width() << " x " << r.height(); }
inline void PrintTo(const QPointF& p, std::ostream* os) { *os << "(" << p.x() << ", " << p.y() << ")"; }

namespace objectstest {

using namespace tallomer;

inline bool contains(const std::vector<KELI*>& v, const KELI* o) { return std::find(v.begin(), v.end(), o) != v.end(); }

// Antialiasing and premultiplication move a channel by a step or two.
inline ::testing::AssertionResult near(const QColor& got, const QColor& want)
{
    const int d = std::max({std::abs(got.red() - want.red()), std::abs(got.green() - want.green()),
                            std::abs(got.blue() - want.blue()), std::abs(got.alpha() - want.alpha())});
    if (d <= 3)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << got.name(QColor::HexArgb).toStdString() << ", want "
                                         << want.name(QColor::HexArgb).toStdString();
}

// The pixel under a y-up point of a view painted into `img`.
inline QColor at(const QImage& img, double x, double yUp)
{
    return img.pixelColor(static_cast<int>(x), static_cast<int>(img.height() - yUp));
}

// The added, active and future counters of a view or a line, to compare in one go.
template <class T>
std::tuple<std::int64_t, std::int64_t, std::int64_t> counts(const T& v)
{
    return {v.siAjouteCount(), v.siActifCount(), v.siFuturCount()};
}

enum class Blink { Off, Lit, Dim };
enum Extra : unsigned {
    None = 0, TitleSel = 1 << 0, Flick = 1 << 1, HideTitles = 1 << 2, Connecting = 1 << 3, FilterSel = 1 << 4,
    AnyFilter = 1 << 5, Impacted = 1 << 6, NodeSel = 1 << 7, AnyNode = 1 << 8, Linked = 1 << 9, DragConnected = 1 << 10,
};

// Drawing inputs with the counters as the desk viewer leaves them for each state.
inline ZEVItemDrawInputs inputs(int mode, ZEVItemTimeState state, bool selected, Blink blink = Blink::Off,
                                bool cadre = false, unsigned extra = None)
{
    ZEVItemDrawInputs in;
    in.frontMode = mode;
    in.ajouteCount = state == ZEVItemTimeState::Outside ? 0 : 1;
    in.actifCount = state == ZEVItemTimeState::Present ? 1 : 0;
    in.futurCount = state == ZEVItemTimeState::Future ? 1 : 0;
    in.iconSelected = selected;
    in.restoreBlinking = blink != Blink::Off;
    in.blinkFlag = blink == Blink::Lit;
    in.showCadre = cadre;
    in.titleSelected = extra & TitleSel;
    in.flickOn = extra & Flick;
    in.hideItemTitle = extra & HideTitles;
    in.connecting = extra & Connecting;
    in.filterSelected = extra & FilterSel;
    in.anyFilterSelected = extra & (AnyFilter | FilterSel);
    in.impacted = extra & Impacted;
    in.nodeSelected = extra & NodeSel;
    in.anyNodeSelected = extra & (AnyNode | NodeSel);
    in.linkedToSelection = extra & Linked;
    in.dragging = extra & DragConnected;
    in.connectedWithDragged = extra & DragConnected;
    return in;
}

class FakeSpace final : public test::NullItemSpace {
public:
    KELId identityInt() override { return 1; }
    int frontMode() override { return mode; }
    bool isIconSelectedForItem(KELI* o) override { return contains(icons, o); }
    bool isTitleSelectedForItem(KELI* o) override { return contains(titles, o); }
    bool isFilterSelectedForItem(KELI* o) override { return contains(filters, o); }
    std::vector<KELI*> selectedIconItems() override { return icons; }
    std::vector<KELI*> selectedFilterItems() override { return filters; }
    bool isLinkSelectedForConnexion(const ZEVItemConnexion* c) override { return links.count(c) > 0; }
    void selectLinkForConnexion(ZEVItemConnexion* c) override { links = {c}; }
    void deselectLinkForConnexion(ZEVItemConnexion* c) override { links.erase(c); }
    bool siShowLinks() override { return showLinks; }
    KELI* draggingItem() override { return dragging; }
    bool siShowAnimation() override { return animation; }
    ZEVDeskGeometry* deskGeometry() override { return &geometry; }
    void selectIconForItem(KELI* o) override { icons = {o}; }
    void multiSelectIconForItem(KELI* o) override { icons.push_back(o); }
    void deselectIconForItem(KELI* o) override { std::erase(icons, o); }
    bool siRulerAccepteDeplacement() override { return rulerAccepts; }
    void addToHistory() override { ++history; }
    bool siApplicationActive() override { return active; }
    ZEVFrontViewerServices* frontViewer() override { return front; }
    ZEVPersonServices* personClass() override { return persons; }

    // 1920 x 1200 points: ten desk units a point.
    ZEVDeskGeometry geometry{1920, 1200};
    bool animation = false;
    bool rulerAccepts = true;
    int history = 0;
    int mode = 0;
    bool active = true;
    ZEVFrontViewerServices* front = nullptr;
    ZEVPersonServices* persons = nullptr;
    bool showLinks = true;
    KELI* dragging = nullptr;
    std::vector<KELI*> icons, titles, filters;
    std::set<const ZEVItemConnexion*> links;
};

// The desk's scene: as the real one, it tells the item viewer what a canvas paints next.
class FakeScene final : public QGraphicsScene, public ZEVScenePaint {
public:
    void willPaint(const QRegion& exposed, const QTransform& viewportTransform, qreal pixelRatio) override
    {
        if (viewer)
            viewer->willPaint(*this, exposed, viewportTransform, pixelRatio);
    }
    void didPaint() override
    {
        if (viewer)
            viewer->didPaint();
    }
    bool paintsWholeNext() const override { return false; }

    ZEVItemViewer* viewer = nullptr;
};

// The desk viewer (showing Channel 1): owns the views the item viewer makes, in one scene.
class FakeDesk final : public test::NullItemViewDesk {
public:
    ZEVItemViewForDesks* itemViewForItem(KELI* item) override { return views.count(item) ? views[item].get() : nullptr; }
    ZEVItemViewForDesks* ajouterItemViewAvecItem(KELI* item) override { return add(item, {100, 100, 64, 0}); }
    void deleteItemView(ZEVItemViewForDesks* v) override { std::erase_if(views, [v](auto& kv) { return kv.second.get() == v; }); }
    void majItemViews() override { ++majViews; }
    void majItemView(ZEVItemViewForDesks* v) override { refreshed.push_back(v); }
    void majConnexion() override { ++connexions; }
    double deskHeight() override { return 1000; }

    ZEVItemView* add(KELI* item, const ZEVIconPosition& p = {0, 0, 64, 0})
    {
        auto v = viewer->creerItemView(p, item, 1.0f);
        auto* raw = static_cast<ZEVItemView*>(v.get());
        scene.addItem(raw);
        raw->setHidden(false);
        views[item] = std::move(v);
        return raw;
    }

    ZEVItemViewer* viewer = nullptr;
    FakeScene scene;
    std::map<KELI*, std::unique_ptr<ZEVItemViewForDesks>> views;
    int majViews = 0;
    int connexions = 0;
    std::vector<ZEVItemViewForDesks*> refreshed;
};

// Objects and links that live outside any link base. Only the link viewer's queries are answered.
class Objects final : public ZEVItemViewerModels {
public:
    // The Channels the links remember for the run go with each set of Objects: an id of one test
    // keeps no Channel of another.
    Objects() { KELI::oublierLesChannels(); }
    ~Objects() override { KELI::oublierLesChannels(); }
    KELI* objet(KELId id, KELId channel = 1)
    {
        auto o = std::make_unique<KELI>();
        o->assignerIdInt(id);
        o->setChannelInt(channel);
        return objets[id] = keep(std::move(o));
    }
    KELI* lien(KELId id, KELI* parent, KELI* enfant, KELDate in = 0)
    {
        auto l = std::make_unique<KELI>();
        l->assignerIdInt(id);
        l->assignerParentInt(parent->idInt());
        l->assignerEnfantInt(enfant->idInt());
        l->assignerInDate(in);
        return keep(std::move(l));
    }

    KELI* objetForInt(KELId id) override { return objets.count(id) ? objets[id] : nullptr; }
    std::vector<KELI*> connectedItemsForItem(KELI*) override { return {}; }
    bool siConnected(KELI* a, KELI* b) override { return connected.count({a, b}) + connected.count({b, a}) > 0; }
    bool siIconExisteForItem(KELI* item) override { return icons.count(item) > 0; }
    bool siIncluLeLien(KELI* lien) override { return inclus.count(lien) > 0; }

    std::map<KELId, KELI*> objets;
    std::set<KELI*> icons;
    std::set<KELI*> inclus;
    std::set<std::pair<KELI*, KELI*>> connected;

private:
    KELI* keep(std::unique_ptr<KELI> o) { return store.emplace_back(std::move(o)).get(); }
    std::vector<std::unique_ptr<KELI>> store;
};

// One desk: the space, the desk viewer, the models and the item viewer between them.
struct Desk {
    Desk() : viewer(std::make_unique<ZEVItemViewer>(nullptr, &space, &desk))
    {
        viewer->referencerModels(&objects);
        desk.viewer = viewer.get();
        desk.scene.viewer = viewer.get();
    }
    ~Desk() { desk.views.clear(); } // the views go before their viewer, as on a real desk

    FakeSpace space;
    FakeDesk desk;
    Objects objects;
    std::unique_ptr<ZEVItemViewer> viewer;
};

} // namespace objectstest
