#pragma once
// A link base on a fresh copy of the template with a virtual clock, started up as the program
// does, and the neighbours of the desk models as small recording stand-ins.

#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVDeskIds.h"
#include "desk/model/ZEVDeskServices.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "engine/KELDemarrage.h"
#include "engine/runtime/SchedulerClock.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/runtime/Clock.h"
#include "engine/runtime/Log.h"
#include "engine/runtime/Scheduler.h"
#include "inspectors/services/ZEVInspectorServices.h"
#include "objects/services/ZEVItemViewerServices.h"
#include "space/desk/ZEVDeskGeometry.h"
#include "tests/engine/StoreFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace desktest {

using namespace tallomer;
using Span = std::pair<KELDate, KELDate>;

class FakeSpace final : public ZEVSpaceServices {
public:
    KELI* channelForIdentityInt(KELId id) override
    {
        return KELServeurDeLiens::LienForInt(id, KELServeurDeLiens::CurseurGlobal());
    }
    KELI* identity() override { return current; }
    ZEVDeskGeometry* deskGeometry() override { return &geometry; }
    bool siGoToMode() override { return goTo; }
    KELDate outTimeForGoToTime(KELDate) override { return goToEnd; }
    KELDate spaceOutTimeForGoToTime(KELDate t, KELICurseur*) override { return std::min(goToEnd, spaceEnd); }
    KELDate spaceOutTimeForCurseur(KELICurseur*) override { return spaceEnd; }
    ZEVLegoSource* frontSelectionTable() override { return nullptr; }
    void beep() override { ++beeps; }

    KELI* current = nullptr;
    ZEVDeskGeometry geometry{1920, 1200}; // ten desk units per point
    bool goTo = false;
    KELDate goToEnd = KELDateOuverte;
    KELDate spaceEnd = KELDateOuverte;
    int beeps = 0;
};

class RecordingItemViewer final : public ZEVItemViewerServices {
public:
    void moteurActiveFuturForConnexion(KELI* l) override { add("activeFutur", l); }
    void moteurActivePasseForConnexion(KELI* l) override { add("activePasse", l); }
    void moteurDesactiveFuturForConnexion(KELI* l) override { add("desactiveFutur", l); }
    void moteurDesactivePasseForConnexion(KELI* l) override { add("desactivePasse", l); }
    void moteurAjouteFuturForConnexion(KELI* l) override { add("ajouteFutur", l); }
    void moteurAjoutePasseForConnexion(KELI* l) override { add("ajoutePasse", l); }
    void moteurEnleveFuturForConnexion(KELI* l) override { add("enleveFutur", l); }
    void moteurEnlevePasseForConnexion(KELI* l) override { add("enlevePasse", l); }
    void add(const std::string& what, KELI* l) { events.push_back(what + " " + std::to_string(l->idInt())); }
    std::vector<std::string> events;
};

// Places Objects as the real desk viewer does: geometry, then the icon link.
class RecordingDeskViewer final : public ZEVDeskViewerServices {
public:
    void creerIconForItem(KELI* item, const ZEVIconPosition& p, KELDate in, KELDate out, float) override
    {
        placed.push_back(p);
        desk->creerIconAttributsForItem(item, p);
        desk->creerIconForItem(item, in, out);
    }
    void moteurActiveFuturItem(KELI* i) override { add("activeFutur", i); }
    void moteurActivePasseItem(KELI* i) override { add("activePasse", i); }
    void moteurDesactiveFuturItem(KELI* i) override { add("desactiveFutur", i); }
    void moteurDesactivePasseItem(KELI* i) override { add("desactivePasse", i); }
    void moteurAjouteFuturItem(KELI* i) override { add("ajouteFutur", i); }
    void moteurAjoutePasseItem(KELI* i) override { add("ajoutePasse", i); }
    void moteurEnleveFuturItem(KELI* i) override { add("enleveFutur", i); }
    void moteurEnlevePasseItem(KELI* i) override { add("enlevePasse", i); }
    void moteurChangeItemTitleForItem(KELI* i) override { add("title", i); }
    void moteurChangeItemViewForItem(KELI* i) override { add("view", i); }
    void add(const std::string& what, KELI* i) { events.push_back(what + " " + std::to_string(i->idInt())); }

    ZEVDeskClass* desk = nullptr;
    std::vector<ZEVIconPosition> placed;
    std::vector<std::string> events;
};

class DeskBase : public ::testing::Test {
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
        KELDemarrage::ReveillerLesModelsEtLancer(kel::kCurseurTimeline);
        KELICurseur* g = KELServeurDeLiens::CurseurGlobal();
        sched.runUntilIdle();
        sched.advance(0.5);
        curseur = dynamic_cast<KELICurseur*>(KELServeurDeLiens::LienForInt(2000090, g));
        ASSERT_NE(curseur, nullptr);
        items = std::make_unique<ZEVItemClass>(curseur, &space);
        desk = std::make_unique<ZEVDeskClass>(curseur, &space);
        ASSERT_TRUE(items->valide());
        ASSERT_TRUE(desk->valide());
        items->referencerItemViewer(&itemViewer);
        desk->referencerDeskViewer(&deskViewer);
        deskViewer.desk = desk.get();
        channel = newChannel();
        other = newChannel();
        space.current = channel;
    }

    void TearDown() override
    {
        ZEVItemOptionWrites::flushPending();
        desk.reset();
        items.reset();
        ASSERT_EQ(KELServeurDeLiens::GrandTableau().verifier(), "");
        ASSERT_EQ(KELGrandTableau::premiereErreur(), "");
        KELGrandTableau::activerVerification(false);
        KELServeurDeLiens::reset();
        Scheduler::setShared(nullptr);
        Clock::setShared(nullptr);
    }

    static KELI* newChannel()
    {
        KELICurseur* g = KELServeurDeLiens::CurseurGlobal();
        auto* m = dynamic_cast<KELIModel*>(KELServeurDeLiens::LienForInt(KELMODEL_IDENTITY, g));
        return m ? m->ajouterUnElement(g) : nullptr;
    }

    KELI* newItem(KELI* ch = nullptr, const std::string& title = "t")
    {
        return items->creerItemWithChannelInt((ch ? ch : channel)->idInt(), title, "file", "txt", 0);
    }

    // The live links of a relation from (or, for icons, to) an Object, as sorted spans.
    static std::vector<Span> spans(KELId rel, KELI* o, bool child = false)
    {
        std::vector<Span> out;
        KELIds ids = child ? KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(o->idInt(), rel)
                           : KELServeurDeLiens::LiensNumDuParentIntRelInt(o->idInt(), rel);
        if (ids)
            for (KELId id : *ids)
                if (KELI* l = KELServeurDeLiens::LienForInt(id, KELServeurDeLiens::CurseurGlobal()))
                    out.emplace_back(l->inDate(), l->outDate());
        std::sort(out.begin(), out.end());
        return out;
    }

    // At most one value at any moment: non-empty spans never overlap.
    static bool disjoint(std::vector<Span> s)
    {
        s.erase(std::remove_if(s.begin(), s.end(), [](const Span& x) { return !(x.first < x.second); }), s.end());
        std::sort(s.begin(), s.end());
        for (std::size_t i = 1; i < s.size(); ++i)
            if (s[i - 1].second > s[i].first)
                return false;
        return true;
    }

    ManualScheduler sched{kStart};
    SchedulerClock clock{sched};
    std::string path;
    KELICurseur* curseur = nullptr;
    FakeSpace space;
    RecordingItemViewer itemViewer;
    RecordingDeskViewer deskViewer;
    std::unique_ptr<ZEVItemClass> items;
    std::unique_ptr<ZEVDeskClass> desk;
    KELI* channel = nullptr;
    KELI* other = nullptr;
};

} // namespace desktest
