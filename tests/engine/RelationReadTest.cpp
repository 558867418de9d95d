// A large relation is read ahead on a connection and thread of its own, in halves by id, while
// its links are woken: what memory ends with, and what the windows are told in what order, must
// be what reading it on the shared connection gives.

#include "engine/store/KELChercheurDeLiens.h"
#include "tests/engine/EngineFixture.h"

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
