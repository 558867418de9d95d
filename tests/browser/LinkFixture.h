#pragma once
// Two models of the user's, P and C, with members, and relations from P to C of a chosen kind, on
// the template link base; browser windows opened on them with the relation chosen in a
// relation-end column, as a person leaves them before clicking in link mode.

#include "tests/browser/BrowserFixture.h"

#include "browser/KELVueDeModel.h"
#include "browser/KELVueDeRel.h"

namespace browsertest {

class Linked : public Browser {
public:
    // A link of a relation in the store: (parent, child, in, out).
    struct Stocke {
        KELId parent, enfant;
        double in, out;
        bool operator==(const Stocke&) const = default;
    };

protected:
    void SetUp() override
    {
        Browser::SetUp();
        P = model("Pe");
        C = model("Ce");
        p1 = membre(P);
        p2 = membre(P);
        c1 = membre(C);
        c2 = membre(C);
        c3 = membre(C);
        sched.advance(10);
    }

    KELI* mot(const std::string& texte) { return wake<KELIModelMot>(kel::kModelMot)->ajouterLeMot(texte, global()); }
    KELI* model(const std::string& nom)
    {
        KELI* m = wake<KELIModel>(kel::kModelDesModels)->ajouterUnModel(global());
        KELServeurDeLiens::CreerLienRelInt(24, m, mot(nom), now(), KELDateOuverte, global());
        return m;
    }
    static KELI* membre(KELI* m) { return static_cast<KELIModel*>(m)->ajouterUnElement(global()); }
    double now() const { return sched.now(); }

    // A relation from `parent` to `enfant` of this kind (0: none), named when a name is given.
    KELIElemRelation* relation(KELId sorte, KELI* parent = nullptr, KELI* enfant = nullptr, const std::string& nom = "")
    {
        parent = parent ? parent : P;
        enfant = enfant ? enfant : C;
        auto* r = dynamic_cast<KELIElemRelation*>(wake<KELIModel>(kel::kModelDesRelations)
                                                      ->ajouterUneRelationParentAuModel(static_cast<KELIModel*>(parent), global()));
        KELServeurDeLiens::CreerLienRelInt(kel::kRelModelEnfant, r, enfant, now(), KELDateOuverte, global());
        if (sorte)
            KELServeurDeLiens::CreerLienRelInt(kel::kRelCardinalite, r, wake(sorte), now(), KELDateOuverte, global());
        if (!nom.empty())
            KELServeurDeLiens::CreerLienRelInt(kel::kRelNom, r, mot(nom), now(), KELDateOuverte, global());
        return r;
    }
    KELI* lien(KELI* r, KELI* parent, KELI* enfant, double in, double out = KELDateOuverte)
    {
        return KELServeurDeLiens::CreerLienRelInt(r->idInt(), parent, enfant, in, out, global());
    }

    // A window on the left model with `gauche` chosen, its relation-end column on the side of
    // `mode` (1: parent, 2: child) with r chosen, and, with `lier`, link mode on.
    KELVueDeRel* ouvrirLie(int mode, KELI* r, std::vector<KELI*> gauche, bool lier = true)
    {
        KELVueController* w = ouvrir(mode == 1 ? P->idInt() : C->idInt());
        fenetre = w;
        KELVueDe* g = w->premiereVue();
        for (KELI* e : gauche)
            g->selCtrl()->choisir(e, w->selIdHl());
        if (mode == 1)
            g->montrerRelParents(true);
        else
            g->montrerRelEnfants(true);
        auto* ends = dynamic_cast<KELVueDeRel*>(g->prochaineVue());
        if (!ends)
            return nullptr;
        ends->choisir(r, 0, w->selIdHl(), true);
        if (lier)
            ends->changerLieMode();
        return ends;
    }

    // The links of r in the store, whatever their dates, in id order.
    static std::vector<Stocke> stockes(KELI* r)
    {
        std::vector<Stocke> v;
        const KELIds ids = KELServeurDeLiens::LiensNumDeLaRelInt(r->idInt());
        for (KELId id : ids.value_or(std::vector<KELId>{})) {
            auto l = KELServeurDeLiens::FetchLienInt(id);
            if (l)
                v.push_back({l->parentInt(), l->enfantInt(), l->inDate(), l->outDate()});
        }
        return v;
    }

    KELVueController* fenetre = nullptr;
    KELI *P = nullptr, *C = nullptr, *p1 = nullptr, *p2 = nullptr, *c1 = nullptr, *c2 = nullptr, *c3 = nullptr;
};

} // namespace browsertest
