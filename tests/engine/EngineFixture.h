#pragma once
// A link base on a fresh copy of the template, with a virtual clock and scheduler; after every
// test the event table's invariants are checked.

#include "engine/KELDemarrage.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/SchedulerClock.h"
#include "tests/engine/StoreFixtures.h"

namespace enginetest {

// The scheduler's virtual time is the clock's time.
using tallomer::SchedulerClock;

// The template's relation from an Object to an Object.
constexpr KELId kRel = 1000182;

// A link or a window standing alone, outside any server.
template <class T = KELI>
std::unique_ptr<T> seul(KELDate in, KELDate out, KELId id = 0)
{
    auto l = std::make_unique<T>();
    l->assignerIdInt(id);
    l->assignerInDate(in);
    l->assignerOutDate(out);
    return l;
}

// Records what the engine tells a delegate, in order, and whether each link crossed the window's
// future edge; listens to a window for the given ids until it is destroyed.
class Recorder final : public KELDelegueDeMaj {
public:
    Recorder(KELICc* c, std::initializer_list<KELId> ids) : c_(c), ids_(ids)
    {
        for (KELId id : ids_)
            c_->ajouterLeDelegueDeMaj(this, id);
    }
    ~Recorder() override
    {
        for (KELId id : ids_)
            c_->enleverLeDelegueDeMaj(this, id);
    }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    void activationDuLien(KELI* l, KELICc* c) override { add("act", l, c); }
    void desactivationDuLien(KELI* l, KELICc* c) override { add("des", l, c); }
    void activationDuLienParent(KELI* l) override { add("actP", l, nullptr); }
    void activationDuLienEnfant(KELI* l) override { add("actE", l, nullptr); }
    void desactivationDuLienParent(KELI* l) override { add("desP", l, nullptr); }
    void desactivationDuLienEnfant(KELI* l) override { add("desE", l, nullptr); }

    std::vector<std::string> events;
    std::vector<bool> futur;
    std::vector<std::string> take() { futur.clear(); return std::exchange(events, {}); }

private:
    KELICc* c_;
    std::vector<KELId> ids_;

    void add(const char* what, KELI* l, KELICc* c)
    {
        std::string e = std::string(what) + " " + std::to_string(l->idInt());
        if (c)
            e += "@" + std::to_string(c->idInt());
        events.push_back(e);
        futur.push_back(l->siCroisementFutur());
    }
};

class LinkBase : public ::testing::Test {
protected:
    static constexpr double kStart = 800000000.0;

    void SetUp() override
    {
        path = storetest::copyTemplate();
        KELChercheurDe::setDatabasePath(path);
        tallomer::Clock::setShared(&clock);
        tallomer::Scheduler::setShared(&sched);
        KELGrandTableau::activerVerification(true);
        KELServeurDeLiens::initialize();
    }

    void TearDown() override
    {
        checkTable();
        KELGrandTableau::activerVerification(false);
        KELServeurDeLiens::reset();
        tallomer::Scheduler::setShared(nullptr);
        tallomer::Clock::setShared(nullptr);
    }

    // The table now, and after every move and placement since the test began.
    static void checkTable()
    {
        ASSERT_EQ(KELServeurDeLiens::GrandTableau().verifier(), "");
        ASSERT_EQ(KELGrandTableau::premiereErreur(), "");
    }

    static KELICurseur* global() { return KELServeurDeLiens::CurseurGlobal(); }
    // What a relation lists, with no list read as an empty one.
    static std::vector<KELI*> contenu(const std::vector<KELI*>* l) { return l ? *l : std::vector<KELI*>{}; }

    template <class T = KELI>
    static T* wake(KELId id, KELICc* c = nullptr)
    {
        return dynamic_cast<T*>(KELServeurDeLiens::LienForInt(id, c ? c : global()));
    }

    // The start-up of the link base: models, cursor and context elements at the global cursor, then
    // the timeline cursor; everything queued runs on the following turns.
    void startUp()
    {
        KELDemarrage::ReveillerLesModelsEtLancer(kel::kCurseurTimeline);
        sched.runUntilIdle();
        sched.advance(0.5);
    }

    // A fresh server on the same file, as in the next run of the program.
    void reopen()
    {
        KELServeurDeLiens::reset();
        KELChercheurDe::setDatabasePath(path);
        KELServeurDeLiens::initialize();
    }

    // A link of the Object -> Object relation, made at the global cursor.
    static KELI* relier(KELI* a, KELI* b, KELDate in, KELDate out = KELDateOuverte)
    {
        return KELServeurDeLiens::CreerLienRelInt(1000182, a, b, in, out, global());
    }

    // A new Object (element of the item model) at the cursor.
    static KELI* newObject(KELICc* c = nullptr)
    {
        auto* model = wake<KELIModel>(1000049, c);
        return model ? model->ajouterUnElement(c ? c : global()) : nullptr;
    }

    tallomer::ManualScheduler sched{kStart};
    SchedulerClock clock{sched};
    std::string path;
};

} // namespace enginetest
