#pragma once
// A link base on a fresh copy of the template with a virtual clock, started up as the program
// does, and the neighbours of the desk models and desk viewers as small recording stand-ins;
// Object views are plain rectangles in the desk's scene.

#include "space/ZEVBackObject.h"
#include "tests/support/NullServices.h"
#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVDeskIds.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/model/ZEVModelSupport.h"
#include "services/ZEVSpaceForDeskViewers.h"
#include "desk/viewer/ZEVDeskBackground.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "services/ZEVFrontViewerServices.h"
#include "engine/KELDemarrage.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/SchedulerClock.h"
#include "services/ZEVInspectorServices.h"
#include "services/ZEVItemViewerForDesks.h"
#include "space/desk/ZEVDeskGeometry.h"
#include "tests/engine/StoreFixtures.h"
#include "widgets/ZEVBlitBatch.h"

#include <QCoreApplication>
#include <QGraphicsRectItem>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace desktest {

using namespace tallomer;
using Span = std::pair<KELDate, KELDate>;
inline const std::vector<Span> kAllTime{{KELDateToujours, KELDateOuverte}};

inline KELI* linkFor(KELId id) { return KELServeurDeLiens::LienForInt(id, KELServeurDeLiens::CurseurGlobal()); }

// The live links of a relation from (or, for icons, to) an Object, as sorted spans.
inline std::vector<Span> spans(KELId rel, KELI* o, bool child = false)
{
    std::vector<Span> out;
    if (KELIds ids = child ? KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(o->idInt(), rel)
                           : KELServeurDeLiens::LiensNumDuParentIntRelInt(o->idInt(), rel))
        for (KELId id : *ids)
            if (KELI* l = linkFor(id))
                out.emplace_back(l->inDate(), l->outDate());
    std::sort(out.begin(), out.end());
    return out;
}

// A position's parts as one value, to compare and print them at once.
inline auto parts(const ZEVIconPosition& p) { return std::tuple(p.x, p.y, p.size, p.angle); }

// How far a position lies from a point, in points (the desk keeps tenths of a point).
inline double offBy(const ZEVIconPosition& p, double x, double y) { return std::hypot(p.x - x, p.y - y); }

// Stand-ins for the sentinels in tables of dates relative to now.
inline constexpr double kAlways = -1e300;
inline constexpr double kOpen = 1e300;

inline KELDate dateAt(KELDate now, double d)
{
    return d == kAlways ? KELDateToujours : d == kOpen ? KELDateOuverte : now + d;
}

inline std::vector<Span> datesAt(KELDate now, const std::vector<Span>& offsets)
{
    std::vector<Span> out;
    for (const Span& s : offsets)
        out.emplace_back(dateAt(now, s.first), dateAt(now, s.second));
    return out;
}

// At most one value at any moment: no span ends before it starts and non-empty ones never overlap.
inline bool disjoint(std::vector<Span> s)
{
    if (std::ranges::any_of(s, [](const Span& x) { return x.second < x.first; }))
        return false;
    std::erase_if(s, [](const Span& x) { return x.first == x.second; });
    std::sort(s.begin(), s.end());
    return std::ranges::adjacent_find(s, [](const Span& a, const Span& b) { return a.second > b.first; }) == s.end();
}

// A crossing notice as its named entry point says it: "activeFutur", "enlevePasse"...
inline std::string noticeName(ZEVCroisement x)
{
    static const char* const kinds[] = {"active", "desactive", "ajoute", "enleve"};
    return std::string(kinds[x.kind]) + (x.edge == ZEVCroisement::Futur ? "Futur" : "Passe");
}

// Whether a recorded notice about that link or Object came, at either edge for the edged ones.
inline bool heard(const std::vector<std::string>& events, const std::string& what, KELI* l)
{
    const std::string id = " " + std::to_string(l->idInt());
    for (const char* edge : {"", "Futur", "Passe"})
        if (std::find(events.begin(), events.end(), what + edge + id) != events.end())
            return true;
    return false;
}

// A one-page PDF of that size in points, filled with one colour.
inline QString writePdf(const QString& path, double w, double h, QColor color)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QSizeF(w, h), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p(&writer);
    p.fillRect(QRect(QPoint(0, 0), QSize(writer.width(), writer.height())), color);
    return path;
}

// Lets the workers finish and their results come back to this thread; no sleeping.
inline void drainWorkers()
{
    for (int i = 0; i < 20; ++i) {
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
    }
}

// A view drawn as a filled square of the icon's size, centred on the icon position.
class FakeView final : public QGraphicsRectItem, public test::NullItemView {
public:
    FakeView(KELI* item, const ZEVIconPosition& p, ZEVDeskViewerForObjectViews* desk) : item_(item), desk_(desk)
    {
        setBrush(QColor(0, 0, 255));
        setPen(Qt::NoPen);
        setZValue(1);
        setIconPosition(p, 0);
    }
    QGraphicsItem* graphicsItem() override { return this; }
    // Drawn straight, once the blits held back for the items below have landed.
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override
    {
        ZEVBlitBatch::flush(*painter);
        QGraphicsRectItem::paint(painter, option, widget);
    }
    KELI* item() const override { return item_; }
    QRectF imageFrame() const override { return {p_.x - p_.size / 2, p_.y - p_.size / 2, p_.size, p_.size}; }
    ZEVIconPosition iconPosition() const override { return p_; }
    void setIconPosition(const ZEVIconPosition& p, double duration) override
    {
        p_ = p;
        lastDuration = duration;
        replacerDansLaScene();
        if (onPlace)
            onPlace();
    }
    void replacerDansLaScene() override { setRect(qtRect(desk_ ? desk_->deskHeight() : 0, imageFrame())); }
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
    bool siItemViewAccepteMaj() const override { return accepte; }
    void itemViewAccepteMaj() override { accepte = true; }
    void itemViewRefuseMaj() override { accepte = false; }
    QString itemTitle() const override { return title; }
    void setItemTitle(const QString& t) override { title = t; }
    void setChannelInt(KELId c) override { channel = c; }
    void majChannelInt(KELId, bool actifChannel) override { channelActif = actifChannel; }
    void setHidden(bool h) override { setVisible(!h); }
    bool isHidden() const override { return !isVisible(); }
    void orderToFront() override { ++fronts; }
    void flick() override { ++flicks; }
    void addSticker(int code) override { stickers.push_back(code); }
    void downloadBegin() override { downloads.push_back("begin"); }
    void downloadStart(bool determinate) override { downloads.push_back(determinate ? "bar" : "busy"); }
    void downloadSetStatus(float f) override { downloads.push_back(QString::number(f, 'f', 2).toStdString()); }
    void downloadFinish() override { downloads.push_back("finish"); }
    void downloadError() override { downloads.push_back("error"); }

    std::int64_t ajoute = 0, actif = 0, futur = 0;
    QString title;
    bool accepte = true;
    bool channelActif = true;
    KELId channel = 0;
    int fronts = 0, flicks = 0;
    std::vector<int> stickers;
    std::vector<std::string> downloads; // the download's steps as the view heard them
    double lastDuration = -1;
    std::function<void()> onPlace; // runs each time the view is placed

private:
    KELI* item_;
    ZEVDeskViewerForObjectViews* desk_;
    ZEVIconPosition p_;
};

// The space controller as the desk models and viewers see it: Channels, go-to mode, selections
// per front mode, and the background caches over files named in `paths`.
// The background render caches as the space model keeps them: one per image and scale word.
struct BackTable {
    std::function<QString(KELI*)> pathFor;
    std::map<std::pair<KELId, KELId>, std::shared_ptr<ZEVBackObject>> objects;

    ZEVBackObject* backObjectForItemInt(KELId image, KELId scale) const
    {
        auto it = objects.find({image, scale});
        return it == objects.end() ? nullptr : it->second.get();
    }
    ZEVBackObject* backObjectForImage(KELI* image, KELId channel, const QRectF& rect, KELI* scale)
    {
        if (!image || !scale || (scale->idInt() != kZEVScaleIn && scale->idInt() != kZEVScaleOut))
            return nullptr;
        auto& slot = objects[{image->idInt(), scale->idInt()}];
        if (!slot) {
            slot = std::make_shared<ZEVBackObject>(image, channel, rect);
            slot->setScaleMot(scale);
            slot->setFileURL(pathFor ? pathFor(image) : QString());
        }
        return slot.get();
    }
};

class TestSpace final : public test::NullDeskSpace {
public:
    KELI* channelForIdentityInt(KELId id) override { return linkFor(id); }
    KELI* identity() override { return current; }
    ZEVDeskGeometry* deskGeometry() override { return &geometry; }
    bool siGoToMode() override { return goTo; }
    KELDate outTimeForGoToTime(KELDate) override { return goToEnd; }
    KELDate spaceOutTimeForGoToTime(KELDate, KELICurseur*) override { return std::min(goToEnd, spaceEnd); }
    KELDate spaceOutTimeForCurseur(KELICurseur*) override { return spaceEnd; }
    int frontMode() override { return mode; }
    void beep() override { ++beeps; }
    KELICurseur* nowCurseur() override { return now; }
    KELICurseur* searchCurseur() override { return search; }
    ZEVBackObjectServices* backObjectForItemInt(KELId i, KELId s) override { return table.backObjectForItemInt(i, s); }
    ZEVBackObjectServices* backObjectForImage(KELI* i, KELId ch, const QRectF& r, KELI* s) override
    {
        return table.backObjectForImage(i, ch, r, s);
    }
    std::string wallpaperResourcePath(const std::string& n) override { return wallpapers[n]; }
    std::string wallpaperStorePath(const std::string& n) override { return wallpapers[n]; }
    // The store's copy is the file itself here: the files of the next new background Objects.
    void copyToSpaceForItems(const std::vector<KELI*>& items) override
    {
        for (std::size_t k = 0; k < items.size() && k < pendingPaths.size(); ++k)
            paths[items[k]->idInt()] = pendingPaths[k];
        pendingPaths.erase(pendingPaths.begin(), pendingPaths.begin() + std::min(items.size(), pendingPaths.size()));
    }

    std::vector<KELI*>& sel(int m) { return selections[m]; }
    std::vector<KELI*> selectedIconItems() override { return selections[0]; }
    std::vector<KELI*> selectedFilterItems() override { return selections[2]; }
    bool isIconSelectedForItem(KELI* i) override { return has(0, i); }
    void selectIconForItem(KELI* i) override { selections[0] = {i}; }
    void selectTitleForItem(KELI* i) override { selections[1] = {i}; }
    void multiSelectIconForItem(KELI* i) override { add(0, i); }
    void multiSelectTitleForItem(KELI* i) override { add(1, i); }
    void multiSelectNodeForItem(KELI* i) override { add(3, i); }
    void deselectIconForItem(KELI* i) override { std::erase(selections[0], i); }
    void deselectAllIcons() override { selections[0].clear(); }
    void selectIconForItemSet(const std::vector<KELI*>& s, const std::vector<KELI*>*) override { selections[0] = s; }
    void addToHistory() override { ++history; }
    void playSystemSound(const std::string& name) override { sounds.push_back(name); }
    void rulerScrollWheel(QGraphicsSceneWheelEvent*) override { ++wheels; }
    void draggingSessionStartedWithInteger(long n) override
    {
        sessions.push_back(n);
        session = n;
    }
    long draggingSessionInteger() override { return session; }
    ZEVFrontViewerServices* frontViewer() override { return front; }
    QPointF mouseLocationOutsideOfEventStream() override { return pointer; }
    QString titleForUid(const QString& uid) override { return people.value(uid, QStringLiteral("? ?")); }
    void addPersonCard(const QByteArray& card) override { cards.push_back(card); }
    void displayAllInspectView() override { ++inspectorRedisplays; }
    void updateAllTableViews() override { ++tableRefreshes; }
    ZEVDeskViewer* deskViewerForCurseur(KELICurseur* c) override { return deskViewers.contains(c) ? deskViewers[c] : nullptr; }

    bool has(int m, KELI* i) { return std::find(selections[m].begin(), selections[m].end(), i) != selections[m].end(); }
    void add(int m, KELI* i)
    {
        if (!has(m, i))
            selections[m].push_back(i);
    }

    KELI* current = nullptr;
    KELICurseur* now = nullptr;
    KELICurseur* search = nullptr;
    ZEVDeskGeometry geometry{1920, 1200}; // ten desk units per point
    bool goTo = false;
    KELDate goToEnd = KELDateOuverte;
    KELDate spaceEnd = KELDateOuverte;
    int mode = 0;
    int beeps = 0, history = 0, wheels = 0, inspectorRedisplays = 0, tableRefreshes = 0;
    std::map<KELICurseur*, ZEVDeskViewer*> deskViewers; // none by default
    std::vector<std::string> sounds;
    std::vector<long> sessions;
    long session = 0;
    ZEVFrontViewerServices* front = nullptr; // not owned
    QPointF pointer;
    QMap<QString, QString> people;
    std::vector<QByteArray> cards;
    std::map<int, std::vector<KELI*>> selections;
    std::map<std::string, std::string> wallpapers;
    std::map<KELId, QString> paths;
    std::vector<QString> pendingPaths;
    BackTable table{
        [this](KELI* i) { return i && paths.contains(i->idInt()) ? paths.at(i->idInt()) : QString(); }, {}};
};

// Makes FakeViews for its desk and answers the visible views of a front mode from the selection.
class FakeItemViewer final : public test::NullItemViewer {
public:
    explicit FakeItemViewer(ZEVDeskViewer* d, TestSpace* s = nullptr) : desk(d), space(s) {}
    std::unique_ptr<ZEVItemViewForDesks> creerItemView(const ZEVIconPosition& p, KELI* item, float) override
    {
        return std::make_unique<FakeView>(item, p, desk);
    }
    std::vector<ZEVItemViewForDesks*> visibleItemViewsForMode(int mode) override
    {
        std::vector<ZEVItemViewForDesks*> out;
        if (desk && space && mode >= 0 && mode <= 3)
            for (KELI* i : space->sel(mode))
                if (ZEVItemViewForDesks* v = desk->itemViewForItem(i); v && !v->isHidden())
                    out.push_back(v);
        return out;
    }
    void userRecallIconForItemView(ZEVItemViewForDesks* v) override { recalledViews.push_back(v); }
    void userRecallIconForItem(KELI* i) override { recalledItems.push_back(i); }
    void setSiChannelActif(bool a) override { channelActif = a; }
    void userRecallLinkWithItem(KELI* a, KELI* b) override { links.emplace_back(a, b); }

    ZEVDeskViewer* desk;
    std::vector<std::pair<KELI*, KELI*>> links;
    TestSpace* space;
    std::vector<ZEVItemViewForDesks*> recalledViews;
    std::vector<KELI*> recalledItems;
    bool channelActif = false;
};

// Records the cursor and context notices of links, as "<notice> <link id>".
class RecordingItemViewer final : public test::NullItemViewer {
public:
    void moteurCroisementForConnexion(KELI* l, ZEVCroisement x) override { add(noticeName(x), l); }
    void add(const std::string& what, KELI* l) { events.push_back(what + " " + std::to_string(l->idInt())); }
    std::vector<std::string> events;
};

// Places Objects as the real desk viewer does (geometry, then the icon link) and records the
// cursor notices of icons and the changes of their place.
class RecordingDeskViewer final : public test::NullDeskViewer {
public:
    void creerIconForItem(KELI* item, const ZEVIconPosition& p, KELDate in, KELDate out, float) override
    {
        placed.push_back(p);
        desk->creerIconAttributsForItem(item, p);
        desk->creerIconForItem(item, in, out);
    }
    void moteurCroisementItem(KELI* i, ZEVCroisement x) override { add(noticeName(x), i); }
    void moteurChangeItemViewForItem(KELI* i) override { add("view", i); }
    void add(const std::string& what, KELI* i) { events.push_back(what + " " + std::to_string(i->idInt())); }

    ZEVDeskClass* desk = nullptr;
    std::vector<ZEVIconPosition> placed;
    std::vector<std::string> events;
};

// The link base started as the program starts it, with the Now cursor running; the link table is
// checked for consistency after each test.
class LinkBase : public ::testing::Test {
protected:
    static constexpr double kStart = 800000000.0;

    void SetUp() override
    {
        path = storetest::copyTemplate();
        KELChercheurDe::setDatabasePath(path);
        Clock::setShared(&clock);
        Scheduler::setShared(&sched);
        KELGrandTableau::activerVerification(true);
        KELServeurDeLiens::initialize();
        timeline = KELDemarrage::ReveillerLesModelsEtLancer(kel::kCurseurTimeline);
        sched.runUntilIdle();
        sched.advance(0.5);
        now = cursor(KELOBJECT_NOW_CURSEUR);
        ASSERT_NE(now, nullptr);
    }

    void TearDown() override
    {
        ZEVItemOptionWrites::flushPending();
        EXPECT_EQ(KELServeurDeLiens::GrandTableau().verifier(), "");
        EXPECT_EQ(KELGrandTableau::premiereErreur(), "");
        KELGrandTableau::activerVerification(false);
        KELServeurDeLiens::reset();
        Scheduler::setShared(nullptr);
        Clock::setShared(nullptr);
    }

    static KELICurseur* cursor(KELId id) { return dynamic_cast<KELICurseur*>(linkFor(id)); }

    // A new Channel, listed nowhere.
    static KELI* newChannel()
    {
        auto* m = dynamic_cast<KELIModel*>(linkFor(KELMODEL_IDENTITY));
        return m ? m->ajouterUnElement(KELServeurDeLiens::CurseurGlobal()) : nullptr;
    }

    ManualScheduler sched{kStart};
    SchedulerClock clock{sched};
    std::string path;
    KELICurseur* timeline = nullptr;
    KELICurseur* now = nullptr;
    TestSpace space;
};

// The two desk models of the Now cursor, wired to recording viewers.
class DeskBase : public LinkBase {
protected:
    void SetUp() override
    {
        LinkBase::SetUp();
        curseur = now;
        items = std::make_unique<ZEVItemClass>(curseur, &space);
        desk = std::make_unique<ZEVDeskClass>(curseur, &space);
        ASSERT_TRUE(items->valide() && desk->valide());
        items->referencerItemViewer(&itemViewer);
        desk->referencerDeskViewer(&deskViewer);
        deskViewer.desk = desk.get();
        space.current = channel = newChannel();
        other = newChannel();
    }

    void TearDown() override
    {
        desk.reset();
        items.reset();
        LinkBase::TearDown();
    }

    KELI* newItem(KELI* ch = nullptr, const std::string& title = "t")
    {
        return items->creerItemWithChannelInt((ch ? ch : channel)->idInt(), title, "file", "txt", 0);
    }

    KELICurseur* curseur = nullptr; // the Now cursor; `now` is taken by dates in these tests
    RecordingItemViewer itemViewer;
    RecordingDeskViewer deskViewer;
    std::unique_ptr<ZEVItemClass> items;
    std::unique_ptr<ZEVDeskClass> desk;
    KELI* channel = nullptr;
    KELI* other = nullptr;
};

// Desk viewers of the Now and Search cursors on the home Channel, as the space controller sets
// them up.
class DeskViewerBase : public LinkBase {
protected:
    void SetUp() override
    {
        LinkBase::SetUp();
        space.now = now;
        space.search = search = cursor(KELOBJECT_SEARCH_CURSEUR);
        space.current = linkFor(KELOBJECT_HOME_CHANNEL);
        ASSERT_TRUE(search && space.current);
    }

    void TearDown() override
    {
        viewers.clear();
        desks.clear();
        itemClasses.clear();
        LinkBase::TearDown();
    }

    // The desk of a cursor; w x h points.
    ZEVDeskViewer* makeDesk(KELICurseur* c, double w = 800, double h = 600)
    {
        auto items = std::make_unique<ZEVItemClass>(c, &space);
        auto desk = std::make_unique<ZEVDeskClass>(c, &space);
        auto viewer = std::make_unique<ZEVDeskViewer>(c, desk.get(), &space, QRectF(0, 0, w, h));
        auto iv = std::make_unique<FakeItemViewer>(viewer.get(), &space);
        desk->referencerDeskViewer(viewer.get());
        desk->referencerItemClass(items.get());
        viewer->referencerItemViewer(iv.get());
        viewer->referencerItemClass(items.get());
        desk->enclencherMaj();
        viewer->enclencherMaj();
        itemClasses.push_back(std::move(items));
        desks.push_back(std::move(desk));
        itemViewers.push_back(std::move(iv));
        viewers.push_back(std::move(viewer));
        return viewers.back().get();
    }

    KELI* newItem(const std::string& title = "t")
    {
        return itemClasses.front()->creerItemWithChannelInt(KELOBJECT_HOME_CHANNEL, title, "file", "txt", 0);
    }

    // Moves the Search cursor to t as a drag on the ruler does, and lets its desk follow.
    void moveSearchTo(KELDate t)
    {
        search->initierDeplacementCurseur();
        search->decalerCurseur(t - search->now());
        search->terminerDeplacementCurseur();
        sched.advance(0.1);
        drainWorkers();
    }

    static FakeView* fake(ZEVItemViewForDesks* v) { return dynamic_cast<FakeView*>(v); }
    // Whether a view is active, hidden, and among the views the desk shows.
    static std::tuple<bool, bool, bool> presence(ZEVDeskViewer* d, ZEVItemViewForDesks* v)
    {
        return {v->siActif(), v->isHidden(), d->siInItemViewSet(v)};
    }

    KELICurseur* search = nullptr;
    std::vector<std::unique_ptr<ZEVItemClass>> itemClasses;
    std::vector<std::unique_ptr<ZEVDeskClass>> desks;
    std::vector<std::unique_ptr<FakeItemViewer>> itemViewers;
    std::vector<std::unique_ptr<ZEVDeskViewer>> viewers;
};

} // namespace desktest
