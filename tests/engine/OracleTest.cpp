// Random acts on links, cursors and windows, each followed by a comparison of what the engine
// says against what a brute-force reading of the links' dates says. A failure names the seed, the
// step and the last acts, so that it can be replayed with TALLOMER_ORACLE_SEED.

#include "tests/engine/EngineFixture.h"

#include "engine/KELElements.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>

using namespace enginetest;

namespace {

constexpr KELId kCurseurNow = 2000090;
constexpr KELId kCurseurSearch = 2000094;
constexpr KELId kElemSearch = 2000093;
constexpr double kPas = 0.011; // how far past an event a user move stops
constexpr int kSteps = 3000;

std::string idDe(const KELI* l) { return std::to_string(l->idInt()); }

bool dansLaFenetre(const KELI* l, const KELICc* w)
{
    return l->inDate() <= w->outDate() && l->outDate() > w->inDate();
}

// Its arguments as text, dates with every digit.
template <class... A>
std::string texte(const A&... a)
{
    std::ostringstream o;
    o.precision(17);
    (o << ... << a);
    return o.str();
}

// One window's delegate: keeps the set of links it was told are active and every message that
// breaks the alternation act, des, act, ... of a link. During a user move it also keeps the
// messages with the dates of the crossed events.
class Balance final : public KELDelegueDeMaj {
public:
    explicit Balance(KELICc* fenetre) : fenetre_(fenetre) {}

    void activationDuLien(KELI* l, KELICc* c) override { noter(true, l, c); }
    void desactivationDuLien(KELI* l, KELICc* c) override { noter(false, l, c); }

    struct Message {
        bool act;
        KELId id;
        KELDate in, out;
        std::size_t numero; // its place among the messages of every window
    };
    std::set<KELI*> actifs;
    std::vector<std::string> fautes;
    std::vector<Message> trace;
    bool enDeplacement = false;
    // What every window heard, in one order across them all, with the window's place.
    struct Avis {
        std::size_t fenetre;
        bool act;
        KELI* lien;
    };
    std::vector<Avis>* journal = nullptr; // not owned
    std::size_t no = 0;

private:
    void noter(bool act, KELI* l, KELICc* c)
    {
        auto quoi = [&] { return (act ? "act of " : "des of ") + idDe(l); };
        if (c != fenetre_)
            fautes.push_back(quoi() + " for window " + std::to_string(c->idInt()));
        if (act ? !actifs.insert(l).second : actifs.erase(l) == 0)
            fautes.push_back(quoi() + (act ? " while active" : " while inactive"));
        if (enDeplacement)
            trace.push_back({act, l->idInt(), l->inDate(), l->outDate(), numeros_++});
        if (journal)
            journal->push_back({no, act, l});
    }

    KELICc* fenetre_; // not owned
    static inline std::size_t numeros_ = 0;
};

// The crossings of one move of a window, mapped to the cursor moment at which each should
// happen, must come in that order (forward: increasing; backward: decreasing), up to the
// fraction of a step by which a move overshoots each event. Each kind alone must be in exact
// date order.
std::string ordreDesCroisements(const std::vector<Balance::Message>& trace, bool avant, double decIn,
                                double decOut)
{
    const double sens = avant ? 1.0 : -1.0;
    double maxCle = -INFINITY, maxAct = -INFINITY, maxDes = -INFINITY;
    for (const auto& m : trace) {
        // Forward, a link enters at its in-date (leading edge) and leaves at its out-date
        // (trailing edge); backward the other way round.
        const KELDate date = (m.act == avant) ? m.in : m.out;
        const double dec = m.act == avant ? decOut : decIn;
        const double cle = sens * (date - dec);
        double& maxKind = m.act ? maxAct : maxDes;
        auto quoi = [&] { return texte(m.act ? "act" : "des", " of ", m.id, " at ", date); };
        if (sens * date < maxKind)
            return quoi() + " after a later one";
        if (cle < maxCle - kPas - 1e-6)
            return quoi() + texte(" comes ", maxCle - cle, " s out of order");
        maxKind = std::max(maxKind, sens * date);
        maxCle = std::max(maxCle, cle);
    }
    return {};
}

// The crossings of the cursor and of its window together, in the order they were told: each mapped to
// the cursor moment at which it should happen, the two windows' messages interleave in that order,
// up to the overshoot of one step. A move that told one window's crossings before the other's, or
// one edge's before another's, breaks it.
std::string ordreFusionne(const std::vector<Balance::Message>& curseur, const std::vector<Balance::Message>& fenetre,
                          bool avant, double decIn, double decOut)
{
    struct Cle {
        std::size_t numero;
        double cle;
        const Balance::Message* m;
    };
    const double sens = avant ? 1.0 : -1.0;
    std::vector<Cle> cles;
    for (const auto* trace : {&curseur, &fenetre})
        for (const auto& m : *trace) {
            const KELDate date = (m.act == avant) ? m.in : m.out;
            const double dec = trace == &curseur ? 0.0 : m.act == avant ? decOut : decIn;
            cles.push_back({m.numero, sens * (date - dec), &m});
        }
    std::sort(cles.begin(), cles.end(), [](const Cle& a, const Cle& b) { return a.numero < b.numero; });
    double maxCle = -INFINITY;
    for (const Cle& c : cles) {
        if (c.cle < maxCle - kPas - 1e-6)
            return texte(c.m->act ? "act" : "des", " of ", c.m->id, " comes ", maxCle - c.cle,
                         " s out of order among both windows' messages");
        maxCle = std::max(maxCle, c.cle);
    }
    return {};
}

struct Attendu {
    KELId parent, enfant;
    KELDate in, out;
    bool efface;
};

class Oracle : public LinkBase {
protected:
    void SetUp() override
    {
        LinkBase::SetUp();
        startUp();
        search = wake<KELICurseur>(kCurseurSearch);
        now = wake<KELICurseur>(kCurseurNow);
        elem = wake<KELIElemCurseur>(kElemSearch);
        rel = wake<KELIElemRelation>(kRel);
        ASSERT_TRUE(search && now && elem && rel && search->contexte() && now->contexte());
        ASSERT_FALSE(KELServeurDeLiens::LiensNumDeLaRelInt(kRel)) << "the template has links of the relation";
        KELServeurDeLiens::LienForInt(kRel, search);
        KELServeurDeLiens::LienForInt(kRel, now);
        fenetres = rel->curseurs();
        // The global cursor and context, the Search cursor and window, the Now cursor and window,
        // and whatever else woke the relation on the way.
        std::string ids;
        for (KELICc* w : fenetres)
            ids += " " + std::to_string(w->idInt()) + ":" + w->kelClasse();
        ASSERT_GE(fenetres.size(), 6u) << ids;
        for (KELICc* w : fenetres) {
            rel->liens(w);
            balances.push_back(std::make_unique<Balance>(w));
            w->ajouterLeDelegueDeMaj(balances.back().get(), kRel);
        }
        for (int i = 0; i < 6; ++i)
            objets.push_back(newObject());
        ASSERT_EQ(std::count(objets.begin(), objets.end(), nullptr), 0);
        base = sched.now();
    }

    void TearDown() override
    {
        taire();
        LinkBase::TearDown();
    }

    void taire()
    {
        if (KELServeurDeLiens::estInitialise())
            for (std::size_t i = 0; i < fenetres.size() && i < balances.size(); ++i)
                fenetres[i]->enleverLeDelegueDeMaj(balances[i].get(), kRel);
    }

    // ---- Random choices

    template <class T>
    T uniforme(T a, T b)
    {
        if constexpr (std::is_integral_v<T>)
            return std::uniform_int_distribution<T>(a, b)(rng);
        else
            return std::uniform_real_distribution<T>(a, b)(rng);
    }
    bool pile(double p) { return std::bernoulli_distribution(p)(rng); }

    KELICc* unCurseur()
    {
        KELICc* const curseurs[] = {global(), search, now};
        return curseurs[uniforme(0, 2)];
    }

    // Dates the windows stand at, the links' own dates, or nearby dates on a half-second grid
    // (so that equal dates are common).
    KELDate uneDate()
    {
        const double p = uniforme(0.0, 1.0);
        if (p < 0.25) {
            std::vector<KELDate> reperes{global()->inDate(), search->inDate(), now->inDate()};
            for (KELICc* w : fenetres) {
                reperes.push_back(w->inDate());
                reperes.push_back(w->outDate());
            }
            return reperes[uniforme<std::size_t>(0, reperes.size() - 1)];
        }
        if (p < 0.45 && !vivants.empty()) {
            KELI* l = vivants[uniforme<std::size_t>(0, vivants.size() - 1)];
            const KELDate d = pile(0.5) || l->outDate() == KELDateOuverte ? l->inDate() : l->outDate();
            // The edges of time are for links only: a window taken there leaves the relation.
            if (d != KELDateToujours)
                return d;
        }
        const KELDate centre = pile(0.5) ? sched.now() : search->inDate();
        return std::round((centre - base) * 2.0) / 2.0 + base + 0.5 * uniforme(-1200, 1200);
    }

    KELI* unVivant() { return vivants.empty() ? nullptr : vivants[uniforme<std::size_t>(0, vivants.size() - 1)]; }

    // ---- Acts; each answers what it did, for the failure message

    std::string creer()
    {
        KELI* a = objets[uniforme<std::size_t>(0, objets.size() - 1)];
        KELI* b = objets[uniforme<std::size_t>(0, objets.size() - 1)];
        const KELDate in = pile(partDeToujours) ? KELDateToujours : uneDate();
        const double p = uniforme(0.0, 1.0); // zero length, open, or closed
        const KELDate out = p < 0.15 ? in : p < 0.15 + partDOuvertes ? KELDateOuverte : std::max(in, uneDate());
        KELICc* c = unCurseur();
        KELI* l = KELServeurDeLiens::CreerLienRelInt(kRel, a, b, in, out, c);
        if (!l) {
            fauteDeCreation = "creating a link failed";
            if (journal && !journal->lines.empty())
                fauteDeCreation += " (" + journal->lines.back() + ")";
            return "create failed";
        }
        tous.push_back(l);
        vivants.push_back(l);
        touche = l;
        return texte("create ", l->idInt(), " [", in, ", ", out, ") at ", c->idInt());
    }

    std::string deplacerIn()
    {
        KELI* l = unVivant();
        if (!l)
            return "-";
        const KELDate d = std::min(pile(partDeToujours) ? KELDateToujours : uneDate(), l->outDate());
        KELICc* c = unCurseur();
        const std::string fait = texte("in of ", l->idInt(), " ", l->inDate(), " -> ", d, " at ", c->idInt());
        l->placeInDate(d, c);
        touche = l;
        return fait;
    }

    std::string deplacerOut()
    {
        KELI* l = unVivant();
        if (!l)
            return "-";
        const KELDate d = std::max(pile(0.15) ? KELDateOuverte : uneDate(), l->inDate());
        KELICc* c = unCurseur();
        const std::string fait = texte("out of ", l->idInt(), " ", l->outDate(), " -> ", d, " at ", c->idInt());
        l->placeOutDate(d, c);
        touche = l;
        return fait;
    }

    std::string degager(bool efface)
    {
        KELI* l = unVivant();
        if (!l)
            return "-";
        KELICc* c = unCurseur();
        (efface ? KELServeurDeLiens::EraseLien : KELServeurDeLiens::DegagerLien)(l, c);
        vivants.erase(std::find(vivants.begin(), vivants.end(), l));
        (efface ? effaces : oublies).insert(l);
        touche = l;
        return std::string(efface ? "erase " : "forget ") + idDe(l) + " at " + std::to_string(c->idInt());
    }

    // A user move of the Search cursor, its crossings checked for order.
    std::string bougerSearch(bool placer)
    {
        KELIContexte* ctx = search->contexte();
        search->placeToi();
        ctx->placeToi();
        const double decIn = ctx->inDate() - search->inDate();
        const double decOut = ctx->outDate() - search->inDate();
        double d;
        std::string fait;
        for (auto& b : balances) {
            b->trace.clear();
            b->enDeplacement = true;
        }
        if (placer) {
            const KELDate cible = uneDate();
            d = cible - search->now();
            fait = texte("placerCurseur ", cible);
            search->placerCurseur(cible);
        } else {
            const double m = std::pow(10.0, uniforme(-2.0, 3.5));
            d = pile(0.5) ? m : -m;
            if (pile(0.3))
                d = std::round(d * 2.0) / 2.0;
            fait = texte("decalerCurseur ", d);
            search->initierDeplacementCurseur();
            search->decalerCurseur(d);
            search->terminerDeplacementCurseur();
        }
        std::string faute;
        const Balance* traceCurseur = nullptr;
        const Balance* traceFenetre = nullptr;
        for (std::size_t i = 0; i < fenetres.size(); ++i) {
            Balance& b = *balances[i];
            b.enDeplacement = false;
            if (fenetres[i] == search)
                traceCurseur = &b;
            else if (fenetres[i] == ctx)
                traceFenetre = &b;
            if (faute.empty() && (fenetres[i] == search || fenetres[i] == ctx)) {
                const bool cur = fenetres[i] == search;
                faute = ordreDesCroisements(b.trace, d > 0, cur ? 0.0 : decIn, cur ? 0.0 : decOut);
                if (!faute.empty())
                    faute = "window " + std::to_string(fenetres[i]->idInt()) + ": " + faute;
            } else if (faute.empty() && !b.trace.empty()) {
                faute = "window " + std::to_string(fenetres[i]->idInt()) + " heard of a move of another";
            }
        }
        if (faute.empty() && traceCurseur && traceFenetre)
            faute = ordreFusionne(traceCurseur->trace, traceFenetre->trace, d > 0, decIn, decOut);
        if (!faute.empty())
            fauteDeDeplacement = fait + ": " + faute;
        return fait;
    }

    std::string bougerFenetre()
    {
        const double m = std::pow(10.0, uniforme(-2.0, 3.0));
        const double d = pile(0.5) ? m : -m;
        using Geste = std::pair<const char*, void (KELICurseur::*)(double)>;
        static const Geste kGestes[] = {{"decalerContexte ", &KELICurseur::decalerContexte},
                                        {"decalerContexteIn ", &KELICurseur::decalerContexteIn},
                                        {"decalerContexteOut ", &KELICurseur::decalerContexteOut}};
        const auto& [nom, geste] = kGestes[uniforme(0, 2)];
        (search->*geste)(d);
        return texte(nom, d);
    }

    std::string changerDeType()
    {
        const bool fixe = pile(0.5);
        fixe ? elem->setTypeFixe(elem->curseurMaj()) : elem->setTypeRelatifCS(elem->curseurMaj());
        sched.runUntilIdle();
        return fixe ? "setTypeFixe" : "setTypeRelatifCS";
    }

    std::string avancer()
    {
        static constexpr double kPasDuTemps[] = {0.005, 0.05, 0.5, 1.0, 7.5, 20.0, 61.0, 300.0};
        const double s = kPasDuTemps[uniforme<std::size_t>(0, std::size(kPasDuTemps) - 1)];
        sched.advance(s);
        return "advance " + std::to_string(s);
    }

    std::string unActe()
    {
        touche = nullptr;
        const int p = uniforme(0, 99);
        if (p < (vivants.size() < vivantsVises ? 22 : 8))
            return creer();
        if (p < 34)
            return deplacerIn();
        if (p < 46)
            return deplacerOut();
        if (p < 49)
            return degager(false);
        if (p < 51)
            return degager(true);
        if (p < 70)
            return bougerSearch(false);
        if (p < 75)
            return bougerSearch(true);
        if (p < 83)
            return bougerFenetre();
        if (p < 86)
            return changerDeType();
        if (!autres.empty() && p >= 93)
            return bougerUnAutre();
        return avancer();
    }

    // More windows: cursors of their own (no context), placed around the present and listening
    // like the others. Most links near the present are then shown in more than two windows.
    void ajouterDesCurseurs(int combien)
    {
        auto* modele = wake<KELIModelCurseur>(kel::kModelCurseur);
        ASSERT_NE(modele, nullptr);
        for (int i = 0; i < combien; ++i) {
            auto* element = dynamic_cast<KELIElemCurseur*>(modele->ajouterUnCurseurAvecLeCurseurSup(nullptr, global()));
            sched.runUntilIdle();
            KELICurseur* c = element ? element->lienCurseur() : nullptr;
            ASSERT_NE(c, nullptr);
            c->placerCurseur(sched.now() + 30.0 * (i - combien / 2));
            KELServeurDeLiens::LienForInt(kRel, c);
            rel->liens(c);
            balances.push_back(std::make_unique<Balance>(c));
            c->ajouterLeDelegueDeMaj(balances.back().get(), kRel);
            fenetres.push_back(c);
            autres.push_back(c);
        }
        ASSERT_EQ(rel->curseurs(), fenetres);
    }

    std::string bougerUnAutre()
    {
        KELICurseur* c = autres[uniforme<std::size_t>(0, autres.size() - 1)];
        if (pile(0.3)) {
            const KELDate cible = uneDate();
            c->placerCurseur(cible);
            return texte("placerCurseur ", cible, " of ", c->idInt());
        }
        const double m = std::pow(10.0, uniforme(-2.0, 3.0));
        const double d = pile(0.5) ? m : -m;
        c->initierDeplacementCurseur();
        c->decalerCurseur(d);
        c->terminerDeplacementCurseur();
        return texte("decalerCurseur ", d, " of ", c->idInt());
    }

    // ---- Checks

    // The parent and child indexes of window i are first read at step 250 * (i + 1), so that
    // they are made from a full active list in the middle of the run and kept up from then on;
    // they must say what the active list says.
    std::string verifierLesIndex(std::size_t i)
    {
        KELICc* w = fenetres[i];
        std::map<KELI*, std::set<KELI*>> enfants, parents, liensP, liensE;
        for (KELI* l : rel->liens(w)) {
            KELI* p = KELServeurDeLiens::DonneMaintenantLeLienId(l->parentInt());
            KELI* e = KELServeurDeLiens::DonneMaintenantLeLienId(l->enfantInt());
            enfants[p].insert(e);
            parents[e].insert(p);
            liensP[p].insert(l);
            liensE[e].insert(l);
        }
        auto comparer = [&](const std::vector<KELI*>* liste, const std::map<KELI*, std::set<KELI*>>& attendu,
                            KELI* cle, const char* quoi) -> std::string {
            auto it = attendu.find(cle);
            if (!liste)
                return it == attendu.end() ? std::string() : std::string(quoi) + " missing for " + idDe(cle);
            const std::set<KELI*> vus(liste->begin(), liste->end());
            if (vus.size() != liste->size())
                return std::string(quoi) + " lists a member twice for " + idDe(cle);
            if (it == attendu.end() || vus != it->second)
                return std::string(quoi) + " differs for " + idDe(cle);
            return {};
        };
        for (KELI* o : objets) {
            for (std::string f : {comparer(rel->enfantsDuParent(o, w), enfants, o, "children"),
                                  comparer(rel->parentsDeLEnfant(o, w), parents, o, "parents"),
                                  comparer(rel->liensDuParent(o, w), liensP, o, "parent's links"),
                                  comparer(rel->liensDeLEnfant(o, w), liensE, o, "child's links")})
                if (!f.empty())
                    return "window " + std::to_string(w->idInt()) + ": " + f;
        }
        return {};
    }

    std::string derouler(std::size_t& deplacements, std::size_t& croisements);

    std::string verifierTout(int step = kSteps)
    {
        std::string t = KELServeurDeLiens::GrandTableau().verifier();
        if (!t.empty())
            return "table: " + t;
        if (!fauteDeDeplacement.empty())
            return fauteDeDeplacement;
        if (!fauteDeCreation.empty())
            return fauteDeCreation;
        if (rel->curseurs() != fenetres)
            return "the relation's windows changed";
        for (std::size_t i = 0; i < fenetres.size(); ++i) {
            KELICc* w = fenetres[i];
            const std::vector<KELI*> liste = rel->liens(w);
            const std::set<KELI*> actifs(liste.begin(), liste.end());
            std::set<KELI*> attendus;
            for (KELI* l : vivants)
                if (dansLaFenetre(l, w))
                    attendus.insert(l);
            std::ostringstream why;
            why.precision(17);
            why << "window " << w->idInt() << " [" << w->inDate() << ", " << w->outDate() << "]: ";
            if (actifs.size() != liste.size())
                return why.str() + "a link is listed twice";
            if (!balances[i]->fautes.empty())
                return why.str() + balances[i]->fautes.front();
            auto difference = [&](const std::set<KELI*>& a, const std::set<KELI*>& b, const char* quoi) {
                for (KELI* l : a)
                    if (!b.count(l)) {
                        why << quoi << " " << l->idInt() << " [" << l->inDate() << ", " << l->outDate() << ")";
                        return true;
                    }
                return false;
            };
            if (difference(actifs, attendus, "active but outside:") ||
                difference(attendus, actifs, "inside but not active:") ||
                difference(balances[i]->actifs, actifs, "told active but not listed:") ||
                difference(actifs, balances[i]->actifs, "listed but never told:"))
                return why.str();
            if (step >= 250 * static_cast<int>(i + 1))
                if (std::string f = verifierLesIndex(i); !f.empty())
                    return f;
        }
        if (touche) {
            const KELDate in = KELServeurDeLiens::InDateForLienNum(touche->idInt());
            const KELDate out = KELServeurDeLiens::OutDateForLienNum(touche->idInt());
            const bool efface = effaces.count(touche) != 0;
            if (efface ? (in != 0.0 || out != 0.0) : (in != touche->inDate() || out != touche->outDate()))
                return texte("store has [", in, ", ", out, ") for ", touche->idInt(), ", memory [", touche->inDate(),
                             ", ", touche->outDate(), ")", efface ? " (erased)" : "");
        }
        return {};
    }

    // Of the live links: how many start "always", how many never end, how many are shown in three
    // windows or more.
    struct Vivants {
        std::size_t toujours = 0, ouvertes = 0, partages = 0;
    };
    Vivants compterLesVivants() const
    {
        Vivants v;
        for (KELI* l : vivants) {
            v.toujours += l->inDate() == KELDateToujours;
            v.ouvertes += l->outDate() == KELDateOuverte;
            v.partages += l->nbDeCurseurs() >= 3;
        }
        return v;
    }

    // The mix of links made: how many live at once, how many start "always", how many never end.
    std::size_t vivantsVises = 60;
    double partDeToujours = 0.0;
    double partDOuvertes = 0.2;

    std::mt19937_64 rng;
    KELICurseur* search = nullptr;
    KELICurseur* now = nullptr;
    KELIElemCurseur* elem = nullptr;
    KELIElemRelation* rel = nullptr;
    std::vector<KELICc*> fenetres;
    std::vector<KELICurseur*> autres; // cursors added by a test
    std::vector<std::unique_ptr<Balance>> balances;
    std::vector<KELI*> objets;
    std::vector<KELI*> tous, vivants;
    std::set<KELI*> oublies, effaces;
    KELI* touche = nullptr;
    std::string fauteDeDeplacement;
    std::string fauteDeCreation;
    const tallomer::MemoryLogSink* journal = nullptr; // not owned
    KELDate base = 0.0;
};

std::uint64_t graine()
{
    if (const char* s = std::getenv("TALLOMER_ORACLE_SEED"))
        return std::strtoull(s, nullptr, 10);
    return 20011001;
}

} // namespace

// Runs the random acts, checking everything after each; answers the first fault with the acts
// that led to it, or nothing.
std::string Oracle::derouler(std::size_t& deplacements, std::size_t& croisements)
{
    std::deque<std::string> derniers;
    for (int step = 0; step < kSteps; ++step) {
        const std::string acte = unActe();
        derniers.push_back(acte);
        if (derniers.size() > 12)
            derniers.pop_front();
        if (acte.rfind("decalerCurseur", 0) == 0 || acte.rfind("placerCurseur", 0) == 0) {
            ++deplacements;
            for (auto& b : balances)
                croisements += b->trace.size();
        }
        if (const std::string faute = verifierTout(step); !faute.empty()) {
            std::string histoire;
            for (const auto& a : derniers)
                histoire += "\n  " + a;
            return "step " + std::to_string(step) + ": " + faute + "\nlast acts:" + histoire;
        }
    }
    return {};
}

TEST_F(Oracle, RandomActsAgreeWithBruteForceAndWithTheStore)
{
    const std::uint64_t seed = graine();
    SCOPED_TRACE("seed " + std::to_string(seed) + " (TALLOMER_ORACLE_SEED replays it)");
    rng.seed(seed);
    tallomer::ScopedLogCapture log;
    journal = &log.sink;
    std::size_t deplacements = 0, croisements = 0;
    if (const std::string faute = derouler(deplacements, croisements); !faute.empty())
        FAIL() << faute;
    // The run did what it is for: many links, many moves that crossed events, some of each end.
    EXPECT_GT(tous.size(), 150u);
    EXPECT_GT(deplacements, 400u);
    EXPECT_GT(croisements, 500u);
    EXPECT_GT(oublies.size(), 10u);
    EXPECT_GT(effaces.size(), 5u);
    EXPECT_EQ(log.sink.count("ERREUR"), 0u) << (log.sink.lines.empty() ? "" : log.sink.lines.front());

    // What memory says is what the store says: a fresh load of the same file gives back every
    // link created, with its dates, and the erased ones are gone.
    std::map<KELId, Attendu> attendus;
    for (KELI* l : tous)
        attendus[l->idInt()] = {l->parentInt(), l->enfantInt(), l->inDate(), l->outDate(), effaces.count(l) != 0};
    taire();
    balances.clear();
    KELServeurDeLiens::reset();
    KELServeurDeLiens::initialize();
    sched.advance(0.5);
    startUp();
    auto* rel2 = wake<KELIElemRelation>(kRel);
    ASSERT_NE(rel2, nullptr);
    const std::vector<KELI*> actifs = rel2->liens(global());
    std::set<KELId> actifsIds, attendusIds;
    for (KELI* l : actifs)
        actifsIds.insert(l->idInt());
    std::set<KELId> stockes;
    if (KELIds ids = KELServeurDeLiens::LiensNumDeLaRelInt(kRel))
        stockes.insert(ids->begin(), ids->end());
    for (const auto& [id, a] : attendus) {
        SCOPED_TRACE("link " + std::to_string(id));
        EXPECT_EQ(stockes.count(id), a.efface ? 0u : 1u);
        if (a.efface)
            continue;
        KELI* l = KELServeurDeLiens::DonneMaintenantLeLienId(id);
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->parentInt(), a.parent);
        EXPECT_EQ(l->enfantInt(), a.enfant);
        EXPECT_EQ(l->inDate(), a.in);
        EXPECT_EQ(l->outDate(), a.out);
        if (a.in <= global()->outDate() && a.out > global()->inDate())
            attendusIds.insert(id);
    }
    EXPECT_EQ(stockes.size(), attendus.size() - effaces.size());
    EXPECT_EQ(actifsIds, attendusIds);
    // No id reservation was left behind.
    EXPECT_EQ(storetest::scalar(path, "SELECT COUNT(*) FROM ZEVLETS WHERE ZEVLET_ID > 100000000 AND RELATION = 0;")
                  .toInt64(),
              0);
    checkTable();
}

// Large bases make moves ask memory for the links ahead of them; what they read must never change
// what the windows show.
TEST_F(Oracle, MovesThatAskAheadAgreeWithBruteForce)
{
    const std::uint64_t seed = graine() + 1;
    SCOPED_TRACE("seed " + std::to_string(seed) + " (TALLOMER_ORACLE_SEED replays it, minus one)");
    rng.seed(seed);
    KELICurseur::anticiperDesLe(0);
    std::size_t deplacements = 0, croisements = 0;
    const std::string faute = derouler(deplacements, croisements);
    KELICurseur::anticiperDesLe(KELICurseur::kAnticipationParDefaut);
    EXPECT_EQ(faute, "");
    EXPECT_GT(croisements, 500u);
}

// Links that start "always" and links that never end pile up at both ends of the table, in long
// runs of equal dates that every new or closed link has to find its place in. With six windows
// alive and a few hundred such links, every window must still hear exactly its own links, in order.
TEST_F(Oracle, ManyAlwaysAndOpenLinksAgreeWithBruteForce)
{
    const std::uint64_t seed = graine() + 3;
    SCOPED_TRACE("seed " + std::to_string(seed) + " (TALLOMER_ORACLE_SEED replays it, minus three)");
    rng.seed(seed);
    vivantsVises = 300;
    partDeToujours = 0.3;
    partDOuvertes = 0.5;
    std::size_t deplacements = 0, croisements = 0;
    EXPECT_EQ(derouler(deplacements, croisements), "");
    const Vivants v = compterLesVivants();
    EXPECT_GT(v.toujours, 40u);
    EXPECT_GT(v.ouvertes, 80u);
    EXPECT_GT(croisements, 2000u);
}

// Ten windows and many links open or starting "always": most links near the present are shown in
// three windows or more, and every window must hear exactly its own links while all of them move.
// The run goes on with moves that ask memory for the links ahead of them, as on a large base: what
// they read ahead must change nothing.
TEST_F(Oracle, TenWindowsAndManyOpenLinksAgreeWithBruteForce)
{
    const std::uint64_t seed = graine() + 5;
    SCOPED_TRACE("seed " + std::to_string(seed) + " (TALLOMER_ORACLE_SEED replays it, minus five)");
    rng.seed(seed);
    ajouterDesCurseurs(4);
    ASSERT_GE(fenetres.size(), 10u);
    vivantsVises = 200;
    partDeToujours = 0.15;
    partDOuvertes = 0.45;
    for (const bool anticiper : {false, true}) {
        SCOPED_TRACE(anticiper ? "asking ahead" : "not asking ahead");
        KELICurseur::anticiperDesLe(anticiper ? 0 : KELICurseur::kAnticipationParDefaut);
        std::size_t deplacements = 0, croisements = 0;
        const std::string faute = derouler(deplacements, croisements);
        KELICurseur::anticiperDesLe(KELICurseur::kAnticipationParDefaut);
        EXPECT_EQ(faute, "");
        const Vivants v = compterLesVivants();
        EXPECT_GT(v.partages, 30u) << "links shown in three windows or more";
        EXPECT_GT(v.ouvertes, 60u);
        EXPECT_GT(v.toujours, 20u);
        EXPECT_GT(croisements, 2000u);
    }
}

// Long runs of events of one date: a window edge passes each run in one pass, its links entering
// or leaving one after another, and the other windows' edges and the run's other kind of events
// in between without a word.
TEST_F(Oracle, EdgesPassingLongRunsOfEqualDatesAgreeWithBruteForce)
{
    rng.seed(graine() + 4);
    search->placeToi();
    const KELDate t = std::round(search->inDate()) + 40.0;
    for (int i = 0; i < 60; ++i) {
        const KELDate in = i % 3 == 0 ? t : t - 10.0 * (i % 4 + 1);
        const KELDate out = i % 2 ? KELDateOuverte : i % 3 == 1 ? t : t + 5.0 * (i % 5 + 1);
        KELI* l = KELServeurDeLiens::CreerLienRelInt(kRel, objets[i % 6], objets[(i + 1) % 6], in, out, global());
        ASSERT_NE(l, nullptr);
        tous.push_back(l);
        vivants.push_back(l);
    }
    ASSERT_EQ(verifierTout(), "");
    for (double d : {50.0, -50.0, 120.0, -200.0, 0.5, 130.0, -0.25, -400.0}) {
        for (auto& b : balances)
            b->trace.clear();
        search->initierDeplacementCurseur();
        search->decalerCurseur(d);
        search->terminerDeplacementCurseur();
        ASSERT_EQ(verifierTout(), "") << "move " << d;
        search->decalerContexte(d / 3);
        ASSERT_EQ(verifierTout(), "") << "context " << d / 3;
    }
}

// A backward move must tell of a link that starts exactly at the window's end (it is inside the
// window there) leaving before it tells of links entering at earlier dates.
TEST_F(Oracle, BackwardMoveTellsTheLinkAtTheWindowsEndFirst)
{
    sched.advance(100.0); // away from the Objects' own events
    KELIContexte* ctx = search->contexte();
    search->placeToi();
    ctx->placeToi();
    const KELDate fin = ctx->outDate();
    const KELDate debut = ctx->inDate();
    KELI* aLaFin = KELServeurDeLiens::CreerLienRelInt(kRel, objets[0], objets[1], fin, KELDateOuverte, global());
    KELI* avant = KELServeurDeLiens::CreerLienRelInt(kRel, objets[1], objets[2], debut - 50, debut - 5, global());
    ASSERT_TRUE(aLaFin && avant);
    tous = vivants = {aLaFin, avant};
    Balance& b = *balances[std::find(fenetres.begin(), fenetres.end(), ctx) - fenetres.begin()];
    ASSERT_EQ(b.actifs, std::set<KELI*>{aLaFin});
    b.enDeplacement = true;
    search->initierDeplacementCurseur();
    search->decalerCurseur(-10.0);
    search->terminerDeplacementCurseur();
    b.enDeplacement = false;
    std::vector<std::string> vu;
    for (const auto& m : b.trace)
        vu.push_back((m.act ? "act " : "des ") + std::to_string(m.id));
    EXPECT_EQ(vu, (std::vector<std::string>{"des " + idDe(aLaFin), "act " + idDe(avant)}));
    EXPECT_EQ(verifierTout(), "");
}

// A link a delegate makes while the window steps back, ending just ahead of the cursor, stops the
// cursor's next step there: the cursor tells of it before the window's leading edge tells of a link
// it meets a moment later, as if the link had stood there from the start of the move. A move that
// kept the events it had found ahead of each edge would step past both and tell them the other way
// round.
TEST_F(Oracle, ALinkMadeDuringAMoveJustAheadOfTheCursorIsMetFirst)
{
    sched.advance(100.0); // away from the Objects' own events
    KELIContexte* ctx = search->contexte();
    search->placeToi();
    ctx->setOffsetInOffsetOut(-120.0, 120.0);
    const KELDate t = search->inDate();
    const KELDate a = ctx->inDate();
    ASSERT_EQ(a, t - 120.0);
    auto lien = [&](int i, KELDate in, KELDate out) {
        KELI* l = KELServeurDeLiens::CreerLienRelInt(kRel, objets[i], objets[i + 1], in, out, global());
        EXPECT_NE(l, nullptr);
        return l;
    };
    // Met first by the window's leading edge; met 1.5 s after the first step by that edge; met 2 s
    // after it by the cursor.
    KELI* premier = lien(0, a - 100.0, a - 10.0);
    KELI* fenetre = lien(1, a - 200.0, a - 10.0 - kPas - 1.5);
    KELI* curseur = lien(2, t - 300.0, t - 10.0 - kPas - 2.0);
    ASSERT_TRUE(premier && fenetre && curseur);
    tous = vivants = {premier, fenetre, curseur};
    ASSERT_EQ(verifierTout(), "");

    // When the first is heard of, a link ending 1 s after that step ahead of the cursor.
    struct Createur final : KELDelegueDeMaj {
        void activationDuLien(KELI* l, KELICc*) override
        {
            if (l == declencheur && !cree)
                cree = KELServeurDeLiens::CreerLienRelInt(kRel, a, b, in, out, global);
        }
        KELI* declencheur;
        KELI *a, *b;
        KELDate in, out;
        KELICc* global;
        KELI* cree = nullptr;
    } createur;
    createur.declencheur = premier;
    createur.a = objets[3];
    createur.b = objets[4];
    createur.in = t - 400.0;
    createur.out = t - 10.0 - kPas - 1.0;
    createur.global = global();
    ctx->ajouterLeDelegueDeMaj(&createur, kRel);
    std::vector<Balance::Avis> entendu;
    const std::size_t iCurseur = std::find(fenetres.begin(), fenetres.end(), search) - fenetres.begin();
    const std::size_t iFenetre = std::find(fenetres.begin(), fenetres.end(), ctx) - fenetres.begin();
    for (std::size_t i : {iCurseur, iFenetre}) {
        balances[i]->journal = &entendu;
        balances[i]->no = i;
    }
    search->initierDeplacementCurseur();
    search->decalerCurseur(-30.0);
    search->terminerDeplacementCurseur();
    ctx->enleverLeDelegueDeMaj(&createur, kRel);
    for (std::size_t i : {iCurseur, iFenetre})
        balances[i]->journal = nullptr;
    ASSERT_NE(createur.cree, nullptr);
    tous.push_back(createur.cree);
    vivants.push_back(createur.cree);
    std::vector<std::string> vu;
    for (const auto& m : entendu)
        vu.push_back(std::string(m.fenetre == iCurseur ? "cursor " : "window ") + (m.act ? "act " : "des ") +
                     idDe(m.lien));
    // Made inside a pass, the link is carried in from the end of the table past the cursor (it
    // enters and leaves it on the way); the step after tells of it again, and only then of the others.
    auto dernier = [&](const std::string& avis) {
        const auto it = std::find(vu.rbegin(), vu.rend(), avis);
        return it == vu.rend() ? -1 : static_cast<int>(vu.rend() - it) - 1;
    };
    std::string tout;
    for (const auto& v : vu)
        tout += "\n  " + v;
    SCOPED_TRACE("heard:" + tout);
    EXPECT_EQ(vu.front(), "window act " + idDe(premier));
    EXPECT_GE(dernier("cursor act " + idDe(createur.cree)), 1);
    EXPECT_LT(dernier("cursor act " + idDe(createur.cree)), dernier("window act " + idDe(fenetre)));
    EXPECT_LT(dernier("window act " + idDe(fenetre)), dernier("cursor act " + idDe(curseur)));
    EXPECT_EQ(vu.back(), "cursor act " + idDe(curseur));
    EXPECT_EQ(verifierTout(), "");
}

// A window jumping across a long run passes it in one search, and its delegates make links inside
// the part of the run still ahead and move others across it while it goes: the edge must still stop
// exactly where the links' dates say, whichever way it jumps and however the run changed under it.
TEST_F(Oracle, AWindowJumpingAcrossLinksMadeAndMovedAheadOfItAgreesWithBruteForce)
{
    sched.advance(100.0); // away from the Objects' own events
    KELIContexte* ctx = search->contexte();
    search->placeToi();
    ctx->placeToi();
    const KELDate bord = ctx->outDate();
    for (int i = 0; i < 80; ++i) {
        KELI* l = KELServeurDeLiens::CreerLienRelInt(kRel, objets[i % 6], objets[(i + 1) % 6], bord + 1.0 + i,
                                                      KELDateOuverte, global());
        ASSERT_NE(l, nullptr);
        tous.push_back(l);
        vivants.push_back(l);
    }
    ASSERT_EQ(verifierTout(), "");

    // Every few links heard of, one more made just ahead of the edge, and one of those still ahead
    // moved to the far end of the run or back behind the edge.
    struct Perturbateur final : KELDelegueDeMaj {
        void activationDuLien(KELI* l, KELICc* c) override { agir(l, c); }
        void desactivationDuLien(KELI* l, KELICc* c) override { agir(l, c); }
        void agir(KELI*, KELICc* c)
        {
            if (++entendus % 3 != 0 || faits.size() > 40)
                return;
            const KELDate ici = avant ? c->outDate() : c->inDate();
            const KELDate pres = avant ? ici + 0.5 : ici - 0.5;
            if (KELI* n = KELServeurDeLiens::CreerLienRelInt(kRel, a, b, std::min(pres, ici), std::max(pres, ici) + 300.0,
                                                            global))
                faits.push_back(n);
            if (KELI* m = deplacable[entendus % deplacable.size()]; m->inDate() != KELDateToujours) {
                const KELDate vers = entendus % 2 ? (avant ? ici + 70.0 : ici - 70.0) : (avant ? ici - 3.0 : ici + 3.0);
                m->placeInDate(vers, global);
            }
        }
        bool avant = true;
        int entendus = 0;
        KELI *a = nullptr, *b = nullptr;
        KELICc* global = nullptr;
        std::vector<KELI*> deplacable;
        std::vector<KELI*> faits;
    } perturbateur;
    perturbateur.a = objets[2];
    perturbateur.b = objets[3];
    perturbateur.global = global();
    perturbateur.deplacable.assign(tous.end() - 30, tous.end());
    ctx->ajouterLeDelegueDeMaj(&perturbateur, kRel);
    std::size_t connus = 0;
    for (double d : {95.0, -130.0, 60.0, -45.0}) {
        perturbateur.avant = d > 0;
        search->decalerContexte(d);
        for (; connus < perturbateur.faits.size(); ++connus) {
            tous.push_back(perturbateur.faits[connus]);
            vivants.push_back(perturbateur.faits[connus]);
        }
        ASSERT_EQ(verifierTout(), "") << "jump " << d;
    }
    ctx->enleverLeDelegueDeMaj(&perturbateur, kRel);
    EXPECT_GT(perturbateur.faits.size(), 10u);
}

// ---- The edges of time

// ---- The edges of time

namespace {

constexpr KELDate kFin = KELDateOuverte;     // the open end
constexpr KELDate kDebut = KELDateToujours;  // the beginning of time

// Listeners on the Search cursor's two windows for the template's relations of models and of
// relations and for the test relation; after every act each must hold exactly what a fresh reading
// of the dates says, and so must the engine's lists and the relation's windows.
class BordsDuTemps : public Oracle {
protected:
    struct Ecoute {
        KELIElemRelation* relation;
        KELICc* fenetre;
        std::unique_ptr<Balance> balance;
    };

    void SetUp() override
    {
        Oracle::SetUp();
        if (HasFatalFailure())
            return;
        ctx = search->contexte();
        for (KELId r : {kel::kRelModels, kel::kRelRelationsMC, kRel}) {
            auto* relation = wake<KELIElemRelation>(r, search);
            ASSERT_NE(relation, nullptr);
            for (KELICc* w : {static_cast<KELICc*>(search), static_cast<KELICc*>(ctx)}) {
                ASSERT_TRUE(relation->siContientLeCurseur(w)) << r;
                // A delegate that comes late reads what is active, then follows the news.
                ecoutes.push_back({relation, w, std::make_unique<Balance>(w)});
                for (KELI* l : relation->liens(w))
                    ecoutes.back().balance->actifs.insert(l);
                w->ajouterLeDelegueDeMaj(ecoutes.back().balance.get(), r);
            }
        }
        for (const Ecoute& e : ecoutes) {
            if (e.relation == rel)
                continue;
            ASSERT_FALSE(e.balance->actifs.empty()) << e.relation->idInt();
        }
    }

    void TearDown() override
    {
        if (KELServeurDeLiens::estInitialise())
            for (const Ecoute& e : ecoutes)
                e.fenetre->enleverLeDelegueDeMaj(e.balance.get(), e.relation->idInt());
        Oracle::TearDown();
    }

    // The run of events of one date and kind (start or end) in the table: [first, last].
    static std::pair<std::size_t, std::size_t> suite(KELDate date, bool out)
    {
        const KELGrandTableau& gt = KELServeurDeLiens::GrandTableau();
        std::size_t premier = gt.count(), dernier = 0;
        for (std::size_t i = 0; i < gt.count(); ++i) {
            const KELLien* e = gt.at(i);
            if (e->date() == date && e->siOut() == out && !e->siCurseur()) {
                premier = std::min(premier, i);
                dernier = i;
            }
        }
        return {premier, dernier};
    }

    // Puts the relations' own events first (or last) among the events of their date and kind at
    // both edges: that order means nothing, so nothing may depend on it.
    void forcerLOrdre(bool relationsDAbord)
    {
        KELGrandTableau& gt = KELServeurDeLiens::GrandTableau();
        for (const Ecoute& e : ecoutes) {
            for (KELLien* ev : {static_cast<KELLien*>(e.relation), static_cast<KELLien*>(e.relation->lienOut())}) {
                const auto [premier, dernier] = suite(ev->date(), ev->siOut());
                ASSERT_LE(premier, ev->gtIndexInt());
                ASSERT_GE(dernier, ev->gtIndexInt());
                ASSERT_LT(premier, dernier) << "the relation's event stands alone at its date";
                gt.echanger(ev->gtIndexInt(), relationsDAbord ? premier : dernier);
            }
        }
        ASSERT_EQ(gt.verifier(), "");
    }

    // The links of a relation that a window includes, from their dates alone; none when the window
    // does not include the relation itself.
    static std::set<KELId> attendus(KELIElemRelation* relation, KELICc* w)
    {
        std::set<KELId> out;
        if (!dansLaFenetre(relation, w))
            return out;
        if (KELIds ids = KELServeurDeLiens::LiensNumDeLaRelInt(relation->idInt()))
            for (KELId id : *ids) {
                KELI* l = KELServeurDeLiens::DonneMaintenantLeLienId(id);
                const KELDate in = l ? l->inDate() : KELServeurDeLiens::InDateForLienNum(id);
                const KELDate out_ = l ? l->outDate() : KELServeurDeLiens::OutDateForLienNum(id);
                if (in <= w->outDate() && out_ > w->inDate())
                    out.insert(id);
            }
        return out;
    }

    static std::set<KELId> ids(const std::set<KELI*>& liens)
    {
        std::set<KELId> out;
        for (KELI* l : liens)
            out.insert(l->idInt());
        return out;
    }

    static std::string difference(const std::set<KELId>& a, const std::set<KELId>& b)
    {
        std::vector<KELId> d;
        std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(d));
        std::string out = std::to_string(d.size()) + " (";
        for (std::size_t i = 0; i < d.size() && i < 5; ++i)
            out += (i ? " " : "") + std::to_string(d[i]);
        return out + ")";
    }

    // What the delegates heard first, before any question to the engine could make it catch up;
    // then the engine's lists and the relation's windows.
    std::string verifierLesBords()
    {
        if (std::string t = KELServeurDeLiens::GrandTableau().verifier(); !t.empty())
            return "table: " + t;
        std::vector<std::set<KELId>> voulus;
        for (const Ecoute& e : ecoutes)
            voulus.push_back(attendus(e.relation, e.fenetre));
        for (int tour = 0; tour < 2; ++tour) {
            for (std::size_t i = 0; i < ecoutes.size(); ++i) {
                const Ecoute& e = ecoutes[i];
                const std::string ou = texte("relation ", e.relation->idInt(), ", window ", e.fenetre->idInt(), " [",
                                             e.fenetre->inDate(), ", ", e.fenetre->outDate(), "]: ");
                if (!e.balance->fautes.empty())
                    return ou + e.balance->fautes.front();
                const std::set<KELId> entendus = ids(e.balance->actifs);
                if (entendus != voulus[i])
                    return ou + "told active but not inside: " + difference(entendus, voulus[i]) +
                           ", inside but not told: " + difference(voulus[i], entendus) + (tour ? " (after a read)" : "");
                if (tour == 0)
                    continue;
                if (e.relation->siContientLeCurseur(e.fenetre) != dansLaFenetre(e.relation, e.fenetre))
                    return ou + (dansLaFenetre(e.relation, e.fenetre) ? "the relation is not woken for the window"
                                                                      : "the relation stays woken outside the window");
                const std::vector<KELI*> liste = e.relation->liens(e.fenetre);
                std::set<KELId> listes;
                for (KELI* l : liste)
                    listes.insert(l->idInt());
                if (listes.size() != liste.size())
                    return ou + "a link is listed twice";
                if (listes != voulus[i])
                    return ou + "listed but not inside: " + difference(listes, voulus[i]) +
                           ", inside but not listed: " + difference(voulus[i], listes);
            }
        }
        return {};
    }

    // Where the Search cursor goes: at, before, beyond and across both edges, and back.
    KELDate uneDateAuBord()
    {
        const double bord = pile(0.5) ? kFin : kDebut;
        const double sens = bord > 0 ? 1.0 : -1.0;
        switch (uniforme(0, 5)) {
        case 0:
            return bord; // at
        case 1:
            return bord + sens * std::pow(10.0, uniforme(0, 7)); // past it
        case 2:
            return bord - sens * std::pow(10.0, uniforme(0, 4)); // just short of it
        case 3:
            return bord - ctx->offsetIn(); // the window's start at the edge
        case 4:
            return bord - ctx->offsetOut(); // the window's end at the edge
        default:
            return sched.now() + uniforme(-3600.0, 3600.0); // back
        }
    }

    std::string unActeAuBord()
    {
        touche = nullptr;
        const int p = uniforme(0, 99);
        if (p < 12) {
            // A link of the test relation, sometimes from before the beginning of time: its start
            // event is then carried past the relation's own and reorders the edge's events.
            KELI* a = objets[uniforme<std::size_t>(0, objets.size() - 1)];
            KELI* b = objets[uniforme<std::size_t>(0, objets.size() - 1)];
            const double q = uniforme(0.0, 1.0);
            const KELDate in = q < 0.3 ? kDebut - std::pow(10.0, uniforme(0, 6))
                             : q < 0.45 ? kDebut
                             : q < 0.6 ? kFin - std::pow(10.0, uniforme(0, 6))
                                       : uneDate();
            const KELDate out = pile(0.5) ? kFin : std::min(kFin, std::max(in, pile(0.5) ? uneDate() : kDebut + 10));
            KELI* l = KELServeurDeLiens::CreerLienRelInt(kRel, a, b, in, out, global());
            if (!l)
                return "create failed";
            tous.push_back(l);
            vivants.push_back(l);
            return texte("create ", l->idInt(), " [", in, ", ", out, ")");
        }
        if (p < 20)
            return deplacerIn();
        if (p < 28)
            return deplacerOut();
        if (p < 50) {
            const KELDate cible = uneDateAuBord();
            if (pile(0.5)) {
                search->placerCurseur(cible);
                return texte("placerCurseur ", cible);
            }
            const double d = cible - search->now();
            search->initierDeplacementCurseur();
            search->decalerCurseur(d);
            search->terminerDeplacementCurseur();
            return texte("decalerCurseur ", d);
        }
        if (p < 58)
            return bougerFenetre();
        if (p < 64) {
            // The window's edges pushed past an edge of time while the cursor stays.
            const double d = pile(0.5) ? kFin - ctx->outDate() + uniforme(-5.0, 100.0)
                                       : kDebut - ctx->inDate() - uniforme(-5.0, 100.0);
            d > 0 ? search->decalerContexteOut(d) : search->decalerContexteIn(d);
            return texte(d > 0 ? "decalerContexteOut " : "decalerContexteIn ", d);
        }
        if (p < 70) {
            const bool dAbord = pile(0.5);
            forcerLOrdre(dAbord);
            return dAbord ? "relations first" : "relations last";
        }
        if (p < 90)
            return bougerSearch(uniforme(0, 2) == 0);
        return avancer();
    }

    KELIContexte* ctx = nullptr;
    std::vector<Ecoute> ecoutes;
};

} // namespace

// Each edge, crossed by each of the window's edges with the relations' own events first and then
// last among the events of their date: every delegate hears each link leave once and come back
// once, and ends where a fresh placement would have it.
TEST_F(BordsDuTemps, TheRelationsOwnEventFirstOrLastAtEitherEdgeLeavesAndComesBackTrue)
{
    const KELDate ici = sched.now();
    KELI* avantLeDebut = KELServeurDeLiens::CreerLienRelInt(kRel, objets[0], objets[1], kDebut - 500, kDebut + 10, global());
    KELI* ouvert = KELServeurDeLiens::CreerLienRelInt(kRel, objets[1], objets[2], ici - 30, kFin, global());
    // Inside every window that does not reach the end: it never crosses a window's edge on the way.
    KELI* toujours = KELServeurDeLiens::CreerLienRelInt(kRel, objets[2], objets[3], kDebut - 5000, kFin, global());
    ASSERT_TRUE(avantLeDebut && ouvert && toujours);
    tous = vivants = {avantLeDebut, ouvert, toujours};
    ASSERT_EQ(verifierLesBords(), "");
    struct Cas {
        const char* nom;
        KELDate aller;
    };
    const Cas cas[] = {{"past the end", kFin + 1000}, {"at the end", kFin}, {"before the beginning", kDebut - 1000},
                       {"the window across the beginning", kDebut - 10}};
    for (const Cas& c : cas) {
        for (int ordres = 0; ordres < 4; ++ordres) {
            const bool aller = ordres & 1, retour = ordres & 2;
            SCOPED_TRACE(texte(c.nom, aller ? ", relations first" : ", relations last", " going, ",
                               retour ? "first" : "last", " coming back"));
            forcerLOrdre(aller);
            search->placerCurseur(c.aller);
            EXPECT_EQ(verifierLesBords(), "");
            forcerLOrdre(retour);
            // Back to before `ouvert` starts: no link of the test relation crosses the cursor
            // on the way, so only the relation's own return can tell of `toujours`.
            search->placerCurseur(ici - 100);
            EXPECT_EQ(verifierLesBords(), "");
        }
    }
    // Back where it started, every listener holds what it held.
    for (const Ecoute& e : ecoutes)
        EXPECT_EQ(e.balance->actifs.size(), attendus(e.relation, e.fenetre).size());
    checkTable();
}

// A link taken along by its relation leaves through the edge the relation left by, and comes back
// through the edge it came back by: past the end and back, both are the cursor's past edge.
TEST_F(BordsDuTemps, LinksLeaveAndComeBackThroughTheEdgeTheirRelationCrossed)
{
    const KELDate ici = sched.now();
    KELI* ouvert = KELServeurDeLiens::CreerLienRelInt(kRel, objets[1], objets[2], ici - 30, kFin, global());
    ASSERT_NE(ouvert, nullptr);
    tous = vivants = {ouvert};
    for (bool dAbord : {true, false}) {
        SCOPED_TRACE(dAbord ? "relations first" : "relations last");
        forcerLOrdre(dAbord);
        Recorder r(search, {kRel});
        search->placerCurseur(kFin + 1000);
        forcerLOrdre(!dAbord);
        search->placerCurseur(ici);
        // (The recorder also hears of the links whose parent is the relation itself.)
        std::vector<std::string> vus;
        std::vector<bool> futurs;
        for (std::size_t i = 0; i < r.events.size(); ++i)
            if (r.events[i].find(idDe(ouvert)) != std::string::npos) {
                vus.push_back(r.events[i]);
                futurs.push_back(r.futur[i]);
            }
        EXPECT_EQ(vus, (std::vector<std::string>{"des " + idDe(ouvert) + "@2000094", "act " + idDe(ouvert) + "@2000094"}));
        EXPECT_EQ(futurs, (std::vector<bool>{false, false}));
        EXPECT_EQ(verifierLesBords(), "");
    }
}

// Random acts near and at both edges, the equal-date order forced both ways along the way.
TEST_F(BordsDuTemps, RandomActsAtTheEdgesAgreeWithTheDates)
{
    const std::uint64_t seed = graine() + 2;
    SCOPED_TRACE("seed " + std::to_string(seed) + " (TALLOMER_ORACLE_SEED replays it, minus two)");
    rng.seed(seed);
    std::deque<std::string> derniers;
    int bords = 0;
    for (int step = 0; step < 400; ++step) {
        const std::string acte = unActeAuBord();
        derniers.push_back(acte);
        if (derniers.size() > 12)
            derniers.pop_front();
        if (search->outDate() >= kFin || search->inDate() <= kDebut || ctx->inDate() >= kFin || ctx->outDate() <= kDebut)
            ++bords;
        if (std::string faute = verifierLesBords(); !faute.empty()) {
            for (const auto& a : derniers)
                faute += "\n  " + a;
            FAIL() << "step " << step << ": " << faute;
        }
    }
    EXPECT_GT(bords, 40) << "the run stood at the edges";
    // And the Search cursor comes back to now as if it had never left.
    search->placerCurseur(sched.now());
    EXPECT_EQ(verifierLesBords(), "");
}

// Erasing the newest link frees its row but not its id, which stays in memory: the next id must
// not be that one, and no reservation row may stay behind.
TEST_F(Oracle, CreatingAfterErasingTheNewestLinkGetsAFreshId)
{
    const KELDate t = sched.now();
    KELI* a = KELServeurDeLiens::CreerLienRelInt(kRel, objets[0], objets[1], t - 10, KELDateOuverte, global());
    ASSERT_NE(a, nullptr);
    KELServeurDeLiens::EraseLien(a, global());
    tallomer::ScopedLogCapture log;
    KELI* b = KELServeurDeLiens::CreerLienRelInt(kRel, objets[1], objets[0], t - 5, KELDateOuverte, global());
    ASSERT_NE(b, nullptr) << (log.sink.lines.empty() ? "" : log.sink.lines.front());
    EXPECT_NE(b->idInt(), a->idInt());
    EXPECT_DOUBLE_EQ(KELServeurDeLiens::InDateForLienNum(b->idInt()), t - 5);
    EXPECT_EQ(storetest::scalar(path, "SELECT COUNT(*) FROM ZEVLETS WHERE RELATION = 0;").toInt64(), 0);
}

// ---- Crowds of links that start "always" or never end

namespace {

// Where the table puts an event among others: its date, then its rank.
std::pair<KELDate, int> cle(const KELLien* e) { return {e->date(), e->rang()}; }

class Foule : public Oracle {
protected:
    void SetUp() override
    {
        Oracle::SetUp();
        if (HasFatalFailure())
            return;
        for (std::size_t i = 0; i < balances.size(); ++i) {
            balances[i]->journal = &journal;
            balances[i]->no = i;
        }
    }

    std::vector<bool> dedans(const KELI* l) const
    {
        std::vector<bool> out;
        for (KELICc* w : fenetres)
            out.push_back(l && dansLaFenetre(l, w));
        return out;
    }

    // What the windows heard while one end of `l` went from `avant` to where it is now: exactly the
    // windows whose inclusion changed, each once; and, when the end passed an event strictly, the
    // link's crossing side is that of the last one it passed. (Across windows the order is not the
    // edges': a link enters a window only once its Objects show there.)
    std::string verifierUnBout(KELI* l, bool out, KELDate avant, const std::vector<bool>& etaient)
    {
        const KELDate apres = out ? l->outDate() : l->inDate();
        const bool gauche = apres < avant;
        const std::vector<bool> sont = dedans(l);
        std::vector<int> fois(fenetres.size(), 0);
        for (const Balance::Avis& a : journal) {
            KELICc* w = fenetres[a.fenetre];
            const std::string ou = texte("window ", w->idInt(), ": ");
            if (a.lien != l)
                return ou + texte("heard of ", a.lien->idInt(), " when ", l->idInt(), " moved");
            if (++fois[a.fenetre] > 1)
                return ou + "heard twice";
            if (a.act == etaient[a.fenetre] || sont[a.fenetre] == etaient[a.fenetre])
                return ou + (a.act ? "act" : "des") + " that changes nothing";
        }
        for (std::size_t i = 0; i < fenetres.size(); ++i)
            if (sont[i] != etaient[i] && fois[i] == 0)
                return texte("window ", fenetres[i]->idInt(), " never heard that ", l->idInt(),
                             sont[i] ? " entered" : " left");
        const KELLien* e = out ? static_cast<KELLien*>(l->lienOut()) : l;
        const KELGrandTableau& gt = KELServeurDeLiens::GrandTableau();
        const std::size_t i = e->gtIndexInt();
        const std::pair<KELDate, int> depart{avant, e->rang()};
        if (gauche && i + 1 < gt.count() && cle(gt.at(i + 1)) < depart &&
            l->siCroisementFutur() != gt.at(i + 1)->siOut())
            return "after a move back, the link's crossing side is not that of the last event passed";
        if (!gauche && i > 0 && cle(gt.at(i - 1)) > depart && l->siCroisementFutur() != gt.at(i - 1)->siOut())
            return "after a move on, the link's crossing side is not that of the last event passed";
        return {};
    }

    KELDate uneDateOuUnBord()
    {
        switch (uniforme(0, 3)) {
        case 0:
            return sched.now();
        case 1: {
            KELICc* w = fenetres[uniforme<std::size_t>(0, fenetres.size() - 1)];
            return pile(0.5) ? w->inDate() : w->outDate();
        }
        default:
            return uneDate();
        }
    }

    // A link made: first every window that includes it from its start on hears it enter, then
    // closing it tells those it leaves.
    std::string creerEtVerifier(KELDate in, KELDate out)
    {
        KELI* a = objets[uniforme<std::size_t>(0, objets.size() - 1)];
        KELI* b = objets[uniforme<std::size_t>(0, objets.size() - 1)];
        // The act brings its cursor to its moment first: what that move tells is not the link's.
        KELICc* c = unCurseur();
        c->placeToi();
        journal.clear();
        KELI* l = KELServeurDeLiens::CreerLienRelInt(kRel, a, b, in, out, c);
        if (!l)
            return "create failed";
        tous.push_back(l);
        vivants.push_back(l);
        touche = l;
        std::vector<bool> ouvert;
        for (KELICc* w : fenetres)
            ouvert.push_back(in <= w->outDate());
        const std::vector<bool> sont = dedans(l);
        std::size_t k = 0;
        std::vector<bool> entres(fenetres.size(), false);
        for (; k < journal.size() && journal[k].act; ++k) {
            if (journal[k].lien != l || entres[journal[k].fenetre] || !ouvert[journal[k].fenetre])
                return texte("wrong entry of a new link into window ", fenetres[journal[k].fenetre]->idInt());
            entres[journal[k].fenetre] = true;
        }
        if (entres != ouvert)
            return "a window that includes the new link while open never heard it enter";
        journal.erase(journal.begin(), journal.begin() + static_cast<std::ptrdiff_t>(k));
        return verifierUnBout(l, true, KELDateOuverte, ouvert);
    }

    std::string unActeDeFoule()
    {
        touche = nullptr;
        const int p = uniforme(0, 99);
        if (p < 30) {
            const KELDate in = pile(0.35) ? KELDateToujours : uneDateOuUnBord();
            const KELDate out = pile(0.6) ? KELDateOuverte : std::max(in, uneDateOuUnBord());
            return texte("create [", in, ", ", out, "): ", creerEtVerifier(in, out));
        }
        if (p < 62 && !vivants.empty()) {
            // Closing an open link, reopening a closed one, or moving either end.
            const bool fermer = p < 45, rouvrir = p >= 45 && p < 50, bougerIn = p >= 56;
            std::size_t j = uniforme<std::size_t>(0, vivants.size() - 1);
            for (std::size_t n = 0; n < vivants.size(); ++n, j = (j + 1) % vivants.size())
                if (!(fermer || rouvrir) || (vivants[j]->outDate() == KELDateOuverte) == fermer)
                    break;
            KELI* l = vivants[j];
            const bool out = !bougerIn;
            const KELDate avant = out ? l->outDate() : l->inDate();
            KELDate d = rouvrir ? KELDateOuverte : uneDateOuUnBord();
            if (bougerIn && pile(0.3))
                d = KELDateToujours;
            d = out ? std::max(d, l->inDate()) : std::min(d, l->outDate());
            const std::vector<bool> etaient = dedans(l);
            journal.clear();
            out ? l->placeOutDate(d, unCurseur()) : l->placeInDate(d, unCurseur());
            touche = l;
            return texte(out ? "out of " : "in of ", l->idInt(), " ", avant, " -> ", d, ": ",
                         verifierUnBout(l, out, avant, etaient));
        }
        if (p < 90)
            return bougerSearch(pile(0.3)) + ": ";
        if (p < 95)
            return bougerFenetre() + ": ";
        return avancer() + ": ";
    }

    std::vector<Balance::Avis> journal;
};

} // namespace

// Two thousand links that start "always" or never end, windows spread over the past and the future,
// and links made, closed, reopened and moved among them between moves of the Search cursor: each
// act tells exactly the windows whose edges the moving end passed, and every window holds exactly
// its links after each.
TEST_F(Foule, LinksMadeAndClosedAmongThousandsOfOpenOnesTellOnlyTheWindowsTheyCross)
{
    const std::uint64_t seed = graine() + 5;
    SCOPED_TRACE("seed " + std::to_string(seed) + " (TALLOMER_ORACLE_SEED replays it, minus five)");
    rng.seed(seed);
    // The Search window well back in the past and wide; the Now window where it is.
    search->placerCurseur(sched.now() - 400.0);
    search->decalerContexteIn(-300.0);
    search->decalerContexteOut(150.0);
    for (int i = 0; i < 2000; ++i) {
        const double q = uniforme(0.0, 1.0);
        const KELDate in = q < 0.45 ? KELDateToujours : uneDate();
        const KELDate out = q < 0.85 ? KELDateOuverte : std::max(in, uneDate());
        KELI* l = KELServeurDeLiens::CreerLienRelInt(kRel, objets[i % 6], objets[(i * 7 + 1) % 6], in, out, global());
        ASSERT_NE(l, nullptr);
        tous.push_back(l);
        vivants.push_back(l);
    }
    ASSERT_EQ(verifierTout(), "");
    vivantsVises = vivants.size();
    std::deque<std::string> derniers;
    for (int step = 0; step < 600; ++step) {
        const std::string acte = unActeDeFoule();
        derniers.push_back(acte);
        if (derniers.size() > 12)
            derniers.pop_front();
        std::string faute = acte.substr(acte.find(": ") + 2);
        if (faute.empty())
            faute = verifierTout();
        if (!faute.empty()) {
            for (const auto& a : derniers)
                faute += "\n  " + a;
            FAIL() << "step " << step << ": " << faute;
        }
    }
    std::size_t toujours = 0, ouvertes = 0;
    for (KELI* l : vivants) {
        toujours += l->inDate() == KELDateToujours;
        ouvertes += l->outDate() == KELDateOuverte;
    }
    EXPECT_GT(toujours, 800u);
    EXPECT_GT(ouvertes, 1500u);
    EXPECT_GE(fenetres.size(), 6u);
}
