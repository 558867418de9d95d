// A large relation is read ahead on a connection and thread of its own, in halves by id, while
// its links are woken: what memory ends with, and what the windows are told in what order, must
// be what reading it on the shared connection gives.

#include "engine/store/KELChercheurDeLiens.h"
#include "tests/engine/EngineFixture.h"

#include <algorithm>
#include <map>
#include <random>

using namespace enginetest;

namespace {

constexpr KELId kRelIcone = 1000152;
constexpr KELId kRelObjets = 1000050;
constexpr KELId kModelObjet = 1000049;
constexpr KELId kChannel = 2000018;

// From how many rows a relation is read ahead, for the lifetime of the object.
struct SeuilDeLecture {
    explicit SeuilDeLecture(std::size_t rangees) : ancien(KELChercheurDeLiens::seuilDeLectureEnFond())
    {
        KELChercheurDeLiens::setSeuilDeLectureEnFond(rangees);
    }
    ~SeuilDeLecture() { KELChercheurDeLiens::setSeuilDeLectureEnFond(ancien); }
    std::size_t ancien;
};

// Objects on the Channel, each with icon links opened and closed around the present, some of
// them still open, a few sharing dates.
std::vector<std::string> desk(KELId premier, int objets, double maintenant)
{
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> u(-5000.0, 5000.0);
    std::vector<std::string> sql;
    KELId id = premier;
    for (int o = 0; o < objets; ++o) {
        const KELId objet = id++;
        sql.push_back(storetest::insertRow({objet, 0, "KELI", maintenant - 10000.0, KELDateOuverte, kModelObjet, objet,
                                            kRelObjets}));
        for (int i = 0; i < 6; ++i) {
            const double in = i == 0 ? maintenant - 100.0 : std::floor(maintenant + u(rng));
            const double out = i == 5 ? KELDateOuverte : in + std::floor(std::abs(u(rng)));
            sql.push_back(storetest::insertRow({id++, 0, "KELI", in, out, objet, kChannel, kRelIcone}));
        }
    }
    return sql;
}

} // namespace

class RelationRead : public LinkBase {
protected:
    // Wakes the icon relation for the global cursor, and answers what the cursor's delegate heard
    // and the relation's links at the cursor, in order.
    std::vector<std::string> charger()
    {
        Recorder rec(global(), {kRelIcone});
        auto* rel = wake<KELIElemRelation>(kRelIcone);
        EXPECT_NE(rel, nullptr);
        std::vector<std::string> vu = rec.take();
        if (rel)
            for (KELI* l : rel->liens(global()))
                vu.push_back("lien " + std::to_string(l->idInt()));
        checkTable();
        return vu;
    }
};

TEST_F(RelationRead, ReadAheadWakesWhatTheSharedConnectionWakesInTheSameOrder)
{
    storetest::run(path, desk(KELIdSpace::minId() + 1, 150, kStart));
    const auto surPlace = [&] { const SeuilDeLecture seuil(SIZE_MAX); return charger(); }();
    ASSERT_GT(surPlace.size(), 300u);

    // Read ahead whole, then in two halves at once (the Objects' relation woken from inside too).
    for (std::size_t s : {600u, 1u}) {
        reopen();
        const SeuilDeLecture seuil(s);
        EXPECT_EQ(charger(), surPlace) << "read ahead from " << s << " rows";
    }
}

// Rows written by a compound act not yet committed are seen only by the shared connection: a
// relation is then read there, whatever its size.
TEST_F(RelationRead, UncommittedRowsAreReadOnTheSharedConnection)
{
    const SeuilDeLecture seuil(1);
    const KELId premier = KELIdSpace::minId() + 1;
    {
        const KELChercheurDe::Ensemble ensemble;
        ASSERT_TRUE(KELChercheurDe::ZevDataBase().inTransaction());
        for (const std::string& sql : desk(premier, 20, kStart))
            ASSERT_TRUE(KELChercheurDe::ZevDataBase().executeNonQuery(sql));
        auto* rel = wake<KELIElemRelation>(kRelIcone);
        ASSERT_NE(rel, nullptr);
        rel->liens(global());
        for (KELId id = premier; id < premier + 20 * 7; ++id)
            EXPECT_NE(KELServeurDeLiens::DonneMaintenantLeLienId(id), nullptr) << id;
    }
}

// The values of the elements a relation wakes are read together with the relation: each element
// holds the value stored under its base, across more ids than one statement takes, including
// a number stored as an integer, a missing row and a null value, which wake without one.
TEST_F(RelationRead, ElementsWokenWithTheirRelationHoldTheirStoredValues)
{
    constexpr KELId kRelNombres = 32, kRelMots = 31;
    const KELId premier = KELIdSpace::minId() + 1;
    std::vector<std::string> sql;
    std::map<KELId, KELValue> attendu;
    KELId id = premier;
    auto element = [&](KELId modele, KELId rel, KELId base) {
        sql.push_back(storetest::insertRow({id, base, "KELIElemBase", -KELDateOuverte, KELDateOuverte, modele, id, rel}));
        return id++;
    };
    for (int i = 0; i < 600; ++i) {
        const KELId e = element(kel::kModelNombre, kRelNombres, premier + 5000 + i);
        // Numbers are shared among equal values: every third element has its neighbour's base.
        if (i % 3 == 2) {
            sql.back() = storetest::insertRow(
                {e, premier + 5000 + i - 1, "KELIElemBase", -KELDateOuverte, KELDateOuverte, kel::kModelNombre, e, kRelNombres});
            attendu[e] = attendu[e - 1];
            continue;
        }
        const double n = i % 3 == 0 ? i * 0.25 - 7 : double(i); // the second kind is stored as an integer
        sql.push_back("INSERT INTO NUMBER VALUES (" + std::to_string(premier + 5000 + i) + ", " + std::to_string(e) +
                      ", " + (i % 3 == 0 ? std::to_string(n) : std::to_string(i)) + ");");
        attendu[e] = n;
    }
    attendu[element(kel::kModelNombre, kRelNombres, premier + 9000)] = KELValue{}; // no row
    attendu[element(kel::kModelNombre, kRelNombres, premier + 9001)] = KELValue{}; // a null number
    sql.push_back("INSERT INTO NUMBER VALUES (" + std::to_string(premier + 9001) + ", 0, NULL);");
    for (int i = 0; i < 300; ++i) {
        const KELId e = element(kel::kModelMot, kRelMots, premier + 7000 + i);
        sql.push_back("INSERT INTO WORD VALUES (" + std::to_string(premier + 7000 + i) + ", " + std::to_string(e) +
                      ", 'mot " + std::to_string(i) + "');");
        attendu[e] = "mot " + std::to_string(i);
    }
    storetest::run(path, sql);

    for (std::size_t seuil : {SIZE_MAX, std::size_t(1)}) { // on the shared connection, then read ahead
        reopen();
        const SeuilDeLecture lecture(seuil);
        ASSERT_TRUE(KELServeurDeLiens::ReveillerLaRelInt(kRelNombres, global()));
        ASSERT_TRUE(KELServeurDeLiens::ReveillerLaRelInt(kRelMots, global()));
        for (const auto& [e, valeur] : attendu) {
            auto* lien = dynamic_cast<KELIElemBase*>(KELServeurDeLiens::DonneMaintenantLeLienId(e));
            ASSERT_NE(lien, nullptr) << e;
            EXPECT_EQ(lien->base(), valeur) << "element " << e << " read ahead from " << seuil;
        }
    }
}

// The start reads every relation ahead: a relation is then handed over from memory exactly as the
// file gives it, and one written since (a row added or taken away) as the file gives it now.
TEST_F(RelationRead, RelationsReadAheadAreHandedOverAsTheFileGivesThemUnlessWrittenSince)
{
    constexpr KELId kRelVide = 1000999;
    const KELId premier = KELIdSpace::minId() + 1;
    storetest::run(path, desk(premier, 150, kStart));
    KELChercheurDeLiens chercheur;
    // Every row of a relation, in the order handed over, and the count announced first.
    auto lire = [&](KELId rel) {
        std::vector<std::string> rangees;
        chercheur.forEachBlocDeLaRelInt(
            rel, [&](std::size_t n) { rangees.push_back("prevu " + std::to_string(n)); },
            [&](const KELRow* r, std::size_t n) {
                for (std::size_t i = 0; i < n; ++i)
                    rangees.push_back(std::to_string(r[i].id) + " " + r[i].className + " " +
                                      std::to_string(r[i].parent) + " " + std::to_string(r[i].child) + " " +
                                      std::to_string(r[i].inDate) + " " + std::to_string(r[i].outDate));
            });
        return rangees;
    };
    std::map<KELId, std::vector<std::string>> duFichier;
    for (KELId rel : {kRelIcone, kRelObjets, KELId(kel::kRelNombres), KELId(kel::kRelMots), kRelVide})
        duFichier[rel] = lire(rel);
    ASSERT_EQ(duFichier[kRelIcone].size(), 150u * 6 + 1);
    ASSERT_TRUE(duFichier[kRelVide].empty());

    KELDemarrage::LireLesRelationsEnAvance(60);
    KELChercheurDeLiens::attendreLaLectureEnAvance();
    // Twice: a relation is handed over as often as windows ask for it.
    for (int fois = 0; fois < 2; ++fois)
        for (const auto& [rel, rangees] : duFichier)
            EXPECT_EQ(lire(rel), rangees) << "relation " << rel;

    // A link added to the icon relation: that relation alone is read from the file again.
    KELRow nouveau{premier + 5000, 0, "KELI", kStart, KELDateOuverte, premier, kChannel, kRelIcone};
    ASSERT_TRUE(chercheur.insertLeLien(nouveau));
    const std::vector<std::string> icones = lire(kRelIcone);
    ASSERT_EQ(icones.size(), duFichier[kRelIcone].size() + 1);
    EXPECT_EQ(icones.front(), "prevu " + std::to_string(150 * 6 + 1));
    EXPECT_EQ(icones.back().substr(0, icones.back().find(' ')), std::to_string(premier + 5000));
    EXPECT_EQ(lire(kRelObjets), duFichier[kRelObjets]);
    // A link taken away, of a relation the finder is not told: every relation is read again.
    ASSERT_TRUE(chercheur.deleteLeLien(premier));
    const std::vector<std::string> objets = lire(kRelObjets);
    ASSERT_EQ(objets.size(), duFichier[kRelObjets].size() - 1);
    EXPECT_EQ(std::count_if(objets.begin(), objets.end(),
                            [&](const std::string& r) { return r.rfind(std::to_string(premier) + " ", 0) == 0; }),
              0);

    // Once forgotten, or on a closed connection, nothing is held any more.
    KELChercheurDeLiens::oublierLesRelationsLuesEnAvance();
    KELChercheurDeLiens::attendreLaLectureEnAvance();
    EXPECT_EQ(lire(kRelIcone), icones);
}

// Waking at the start what was read ahead wakes what reading each relation from the file wakes,
// with the same notices in the same order.
TEST_F(RelationRead, RelationsReadAheadWakeWhatTheFileWakesInTheSameOrder)
{
    storetest::run(path, desk(KELIdSpace::minId() + 1, 150, kStart));
    const std::vector<std::string> duFichier = charger();
    reopen();
    KELDemarrage::LireLesRelationsEnAvance(60);
    KELChercheurDeLiens::attendreLaLectureEnAvance();
    EXPECT_EQ(charger(), duFichier);
}
