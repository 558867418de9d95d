#pragma once
// A desk viewer on a real link base (fresh template copy, virtual clock), with a recording space
// controller, a small item viewer and plain rectangle Object views in its scene.

#include "desk/background/ZEVBackRenderCache.h"
#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/model/ZEVModelSupport.h"
#include "desk/view/ZEVDeskView.h"
#include "desk/viewer/ZEVDeskSpaceServices.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELDemarrage.h"
#include "engine/runtime/SchedulerClock.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/runtime/Clock.h"
#include "engine/runtime/Scheduler.h"
#include "objects/services/ZEVItemViewerServices.h"
#include "space/desk/ZEVDeskGeometry.h"
#include "tests/engine/StoreFixtures.h"

#include <QGraphicsRectItem>
#include <QGraphicsScene>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace deskviewertest {

using namespace tallomer;

// A view drawn as a filled square of the icon's size, centred on the icon position.
class FakeView final : public QGraphicsRectItem, public ZEVItemViewServices {
public:
    FakeView(KELI* item, const ZEVIconPosition& p, ZEVItemViewDeskServices* desk) : item_(item), desk_(desk)
    {
        setBrush(QColor(0, 0, 255));
        setPen(Qt::NoPen);
        setZValue(1);
        setIconPosition(p, 0);
    }
    QGraphicsItem* graphicsItem() override { return this; }
    KELI* item() const override { return item_; }
    QString itemTitle() const override { return title_; }
    void setItemTitle(const QString& t) override { title_ = t; }
    QString itemType() const override { return type_; }
    void setItemType(const QString& t) override { type_ = t; }
    QRectF imageFrame() const override
    {
        return QRectF(pos_.x - pos_.size / 2, pos_.y - pos_.size / 2, pos_.size, pos_.size);
    }
    ZEVIconPosition iconPosition() const override { return pos_; }
    void setIconPosition(const ZEVIconPosition& p, double duration) override
    {
        pos_ = p;
        lastDuration = duration;
        ++moves;
        replacerDansLaScene();
    }
    void replacerDansLaScene() override
    {
        setRect(qtRect(desk_ ? desk_->deskHeight() : 0, imageFrame()));
    }
    void setSiAjoute(bool f) override
    {
        ajoute += f ? 1 : -1;
        if (ajoute <= 0)
            futur = 0;
    }
    void setSiActif(bool f) override { actif += f ? 1 : -1; }
    void setSiFutur(bool f) override { futur = ajoute <= 0 ? 0 : std::max<std::int64_t>(0, futur + (f ? 1 : -1)); }
    bool siAjoute() const override { return ajoute > 0; }
    bool siActif() const override { return actif > 0; }
    bool siFutur() const override { return futur > 0; }
    std::int64_t siAjouteCount() const override { return ajoute; }
    std::int64_t siActifCount() const override { return actif; }
    std::int64_t siFuturCount() const override { return futur; }
    bool siItemViewAccepteMaj() const override { return accepte; }
    void itemViewAccepteMaj() override { accepte = true; }
    void itemViewRefuseMaj() override { accepte = false; }
    void setChannelInt(KELId c) override { channel = c; }
    void majChannelInt(KELId c, bool actifChannel) override { channelActif = actifChannel; }
    void setHidden(bool h) override { setVisible(!h); }
    bool isHidden() const override { return !isVisible(); }
    void orderToFront() override { ++fronts; }
    void orderToBack() override { ++backs; }
    void flick() override { ++flicks; }

    std::int64_t ajoute = 0, actif = 0, futur = 0;
    bool accepte = true;
    bool channelActif = true;
    KELId channel = 0;
    int moves = 0, fronts = 0, backs = 0, flicks = 0;
    double lastDuration = -1;

private:
    KELI* item_;
    ZEVItemViewDeskServices* desk_;
    ZEVIconPosition pos_;
    QString title_, type_;
};

class TestSpace;

class FakeItemViewer final : public ZEVItemViewerServices {
public:
    std::unique_ptr<ZEVItemViewServices> creerItemView(const ZEVIconPosition& p, KELI* item, float) override
    {
        return std::make_unique<FakeView>(item, p, desk);
    }
    std::vector<ZEVItemViewServices*> visibleItemViewsForMode(int mode) override;
    void userRecallIconForItemView(ZEVItemViewServices* v) override { recalledViews.push_back(v); }
    void userRecallIconForItem(KELI* i) override { recalledItems.push_back(i); }
    void setSiChannelActif(bool a) override { channelActif = a; }

    ZEVDeskViewer* desk = nullptr;
    TestSpace* space = nullptr;
    std::vector<ZEVItemViewServices*> recalledViews;
    std::vector<KELI*> recalledItems;
    bool channelActif = false;
};

class TestSpace final : public ZEVDeskSpaceServices {
public:
    TestSpace()
        : table([this](KELI* i) {
              auto it = paths.find(i ? i->idInt() : 0);
              return it == paths.end() ? QString() : it->second;
          })
    {
    }
    KELI* channelForIdentityInt(KELId id) override
    {
        return KELServeurDeLiens::LienForInt(id, KELServeurDeLiens::CurseurGlobal());
    }
    KELI* identity() override { return current; }
    ZEVDeskGeometry* deskGeometry() override { return &geometry; }
    int frontMode() override { return mode; }
    void beep() override { ++beeps; }
    KELICurseur* nowCurseur() override { return now; }
    KELICurseur* searchCurseur() override { return search; }
    KELICurseur* actifCurseur() override { return now; }
    ZEVDeskViewer* deskViewerForCurseur(KELICurseur* c) override
    {
        auto it = viewers.find(c);
        return it == viewers.end() ? nullptr : it->second;
    }
    ZEVBackObjectServices* backObjectForItemInt(KELId image, KELId scale) override
    {
        return table.backObjectForItemInt(image, scale);
    }
    ZEVBackObjectServices* backObjectForImage(KELI* image, KELId ch, const QRectF& r, KELI* scale) override
    {
        return table.backObjectForImage(image, ch, r, scale);
    }
    std::string wallpaperResourcePath(const std::string& n) override { return wallpapers[n]; }
    std::string wallpaperStorePath(const std::string& n) override { return wallpapers[n]; }
    // The store's copy is the file itself here: the files of the next new background Objects.
    void copyToSpaceForItems(const std::vector<KELI*>& items) override
    {
        for (KELI* i : items)
            if (!pendingPaths.empty()) {
                paths[i->idInt()] = pendingPaths.front();
                pendingPaths.erase(pendingPaths.begin());
            }
    }

    std::vector<KELI*>& sel(int m) { return selections[m]; }
    std::vector<KELI*> selectedIconItems() override { return selections[0]; }
    std::vector<KELI*> selectedTitleItems() override { return selections[1]; }
    std::vector<KELI*> selectedFilterItems() override { return selections[2]; }
    std::vector<KELI*> selectedNodeItems() override { return selections[3]; }
    bool isIconSelectedForItem(KELI* i) override { return has(0, i); }
    bool isTitleSelectedForItem(KELI* i) override { return has(1, i); }
    bool isNodeSelectedForItem(KELI* i) override { return has(3, i); }
    void selectIconForItem(KELI* i) override { selections[0] = {i}; }
    void selectTitleForItem(KELI* i) override { selections[1] = {i}; }
    void selectFilterForItem(KELI* i) override { selections[2] = {i}; }
    void selectNodeForItem(KELI* i) override { selections[3] = {i}; }
    void multiSelectIconForItem(KELI* i) override { add(0, i); }
    void multiSelectTitleForItem(KELI* i) override { add(1, i); }
    void multiSelectNodeForItem(KELI* i) override { add(3, i); }
    void deselectIconForItem(KELI* i) override { std::erase(selections[0], i); }
    void deselectTitleForItem(KELI* i) override { std::erase(selections[1], i); }
    void deselectNodeForItem(KELI* i) override { std::erase(selections[3], i); }
    void deselectAllIcons() override { selections[0].clear(); }
    void deselectAllTitles() override { selections[1].clear(); }
    void deselectAllFilters() override { selections[2].clear(); }
    void deselectAllNodes() override { selections[3].clear(); }
    void selectIconForItemSet(const std::vector<KELI*>& s, const std::vector<KELI*>&) override { selections[0] = s; }
    void selectTitleForItemSet(const std::vector<KELI*>& s, const std::vector<KELI*>&) override { selections[1] = s; }
    void addToHistory() override { ++history; }
    void playSystemSound(const std::string& name) override { sounds.push_back(name); }
    void rulerScrollWheel(QGraphicsSceneWheelEvent*) override { ++wheels; }

    bool has(int m, KELI* i) { return std::find(selections[m].begin(), selections[m].end(), i) != selections[m].end(); }
    void add(int m, KELI* i)
    {
        if (!has(m, i))
            selections[m].push_back(i);
    }

    KELI* current = nullptr;
    KELICurseur* now = nullptr;
    KELICurseur* search = nullptr;
    std::map<KELICurseur*, ZEVDeskViewer*> viewers;
    ZEVDeskGeometry geometry{1920, 1200};
    int mode = 0;
    int beeps = 0, history = 0, wheels = 0;
    std::vector<std::string> sounds;
    std::map<int, std::vector<KELI*>> selections;
    std::map<std::string, std::string> wallpapers;
    std::map<KELId, QString> paths;
    std::vector<QString> pendingPaths;
    ZEVBackRenderCacheTable table;
};

inline std::vector<ZEVItemViewServices*> FakeItemViewer::visibleItemViewsForMode(int mode)
{
    std::vector<ZEVItemViewServices*> out;
    if (!desk || !space || mode < 0 || mode > 3)
        return out;
    for (KELI* i : space->sel(mode))
        if (ZEVItemViewServices* v = desk->itemViewForItem(i); v && !v->isHidden())
            out.push_back(v);
    return out;
}

// The link base started as the program starts it, the Now and Search cursors running.
class DeskViewerBase : public ::testing::Test {
protected:
    static constexpr double kStart = 800000000.0;

    void SetUp() override
    {
        path = storetest::copyTemplate();
        KELChercheurDe::setDatabasePath(path);
        Clock::setShared(&clock);
        Scheduler::setShared(&sched);
        KELServeurDeLiens::initialize();
        KELDemarrage::ReveillerLesModelsEtLancer(kel::kCurseurTimeline);
        KELICurseur* g = KELServeurDeLiens::CurseurGlobal();
        sched.runUntilIdle();
        sched.advance(0.5);
        now = dynamic_cast<KELICurseur*>(KELServeurDeLiens::LienForInt(2000090, g));
        search = dynamic_cast<KELICurseur*>(KELServeurDeLiens::LienForInt(2000094, g));
        ASSERT_TRUE(now && search);
        space.now = now;
        space.search = search;
        space.current = KELServeurDeLiens::LienForInt(2000018, g);
        ASSERT_NE(space.current, nullptr);
    }

    void TearDown() override
    {
        viewers.clear();
        desks.clear();
        itemClasses.clear();
        ZEVItemOptionWrites::flushPending();
        KELServeurDeLiens::reset();
        Scheduler::setShared(nullptr);
        Clock::setShared(nullptr);
    }

    // The desk of a cursor, as the space controller sets it up; 800 x 600 points.
    ZEVDeskViewer* makeDesk(KELICurseur* c, double w = 800, double h = 600)
    {
        auto items = std::make_unique<ZEVItemClass>(c, &space);
        auto desk = std::make_unique<ZEVDeskClass>(c, &space);
        auto viewer = std::make_unique<ZEVDeskViewer>(c, desk.get(), &space, QRectF(0, 0, w, h));
        auto iv = std::make_unique<FakeItemViewer>();
        iv->desk = viewer.get();
        iv->space = &space;
        desk->referencerDeskViewer(viewer.get());
        desk->referencerItemClass(items.get());
        viewer->referencerItemViewer(iv.get());
        viewer->referencerItemClass(items.get());
        space.viewers[c] = viewer.get();
        desk->enclencherMaj();
        viewer->enclencherMaj();
        ZEVDeskViewer* raw = viewer.get();
        itemClasses.push_back(std::move(items));
        desks.push_back(std::move(desk));
        itemViewers.push_back(std::move(iv));
        viewers.push_back(std::move(viewer));
        return raw;
    }

    KELI* newItem(const std::string& title = "t")
    {
        return itemClasses.front()->creerItemWithChannelInt(2000018, title, "file", "txt", 0);
    }

    static FakeView* fake(ZEVItemViewServices* v) { return dynamic_cast<FakeView*>(v); }

    ManualScheduler sched{kStart};
    SchedulerClock clock{sched};
    std::string path;
    KELICurseur* now = nullptr;
    KELICurseur* search = nullptr;
    TestSpace space;
    std::vector<std::unique_ptr<ZEVItemClass>> itemClasses;
    std::vector<std::unique_ptr<ZEVDeskClass>> desks;
    std::vector<std::unique_ptr<FakeItemViewer>> itemViewers;
    std::vector<std::unique_ptr<ZEVDeskViewer>> viewers;
};

} // namespace deskviewertest
