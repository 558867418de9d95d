#pragma once
// The link base describes itself with links: relations, models and value elements.

#include "engine/KELIRep.h"
#include "engine/KELLien.h"

#include <string>
#include <vector>

// Fixed ids of the template database that the engine itself relies on.
namespace kel {
inline constexpr KELId kModelDesModels = 1;
inline constexpr KELId kModelDesRelations = 2;
inline constexpr KELId kModelMot = 3;
inline constexpr KELId kModelNombre = 4;
inline constexpr KELId kModelCurseur = 5;
inline constexpr KELId kModelContexte = 6;
inline constexpr KELId kRelModels = 23;
inline constexpr KELId kRelRelationsMC = 25;
inline constexpr KELId kRelModelParent = 26;
inline constexpr KELId kRelModelEnfant = 27;
inline constexpr KELId kRelNom = 28;
inline constexpr KELId kRelCardinalite = 29;
inline constexpr KELId kRelMots = 31;
inline constexpr KELId kRelNombres = 32;
inline constexpr KELId kRelElemCurseurs = 33;
inline constexpr KELId kRelMobilite = 34;
inline constexpr KELId kRelOffset = 35;
inline constexpr KELId kRelCurseurSup = 36;
inline constexpr KELId kRelContexte = 37;
inline constexpr KELId kRelLienCurseur = 39;
inline constexpr KELId kRelElemContextes = 40;
inline constexpr KELId kRelMobiliteIn = 41;
inline constexpr KELId kRelMobiliteOut = 42;
inline constexpr KELId kRelOffsetIn = 45;
inline constexpr KELId kRelOffsetOut = 46;
inline constexpr KELId kRelLienContexte = 47;
inline constexpr KELId kNomElement = 199;
inline constexpr KELId kNombreZero = 222; // the number 0, an offset memory's value until one is kept
inline constexpr KELId kElemCurseurGlobal = 224;
inline constexpr KELId kCurseurGlobal = 229;
inline constexpr KELId kElemContexteGlobal = 230;
inline constexpr KELId kContexteGlobal = 237;
inline constexpr KELId kCardinalite = 240;
inline constexpr KELId kTypeFixe = 246;
inline constexpr KELId kTypeRelatifTR = 247;
inline constexpr KELId kRelNommage = 259;
inline constexpr KELId kTypeRelatifCS = 268;
inline constexpr KELId kCurseurTimeline = 270;
} // namespace kel

class KELIElemRelation : public KELI {
public:
    std::string kelClasse() const override { return "KELIElemRelation"; }
    KELIRepRelation* rep(const KELICc* curseur) const;

    std::vector<KELI*> liens(KELICc* curseur);
    std::size_t nbDeLiens(KELICc* curseur);
    KELI* modelParent(KELICc* curseur);
    KELI* modelEnfant(KELICc* curseur);
    // nullptr when none.
    const std::vector<KELI*>* enfantsDuParent(KELI* parent, KELICc* curseur);
    const std::vector<KELI*>* parentsDeLEnfant(KELI* enfant, KELICc* curseur);
    const std::vector<KELI*>* liensDuParent(KELI* parent, KELICc* curseur);
    const std::vector<KELI*>* liensDeLEnfant(KELI* enfant, KELICc* curseur);
    KELI* lienDuParent(KELI* parent, KELI* enfant, KELICc* curseur);
    std::vector<KELI*> liensIdentiquesAuLien(KELI* lien, KELICc* contexte);

    void ajouterAuxCurseursLeLien(KELI* lien) override;
    void enleverLeLien(KELI* lien, KELICc* curseur) override;
    void majDActivationDuLienParent(KELI* lien, KELICc* curseur) override;

    // A window the relation left with its list loaded: its delegates heard every link leave, so
    // when the relation comes back into that window they hear every link come back, at once,
    // as with a list read afresh.
    void retenirLaFenetre(KELICc* fenetre);
    void revenueDansLaFenetre(KELICc* fenetre);
    // The edge of the window crossing under way, when a window's edge is bringing links in: a
    // relation woken on the way comes back through it. Outside such a crossing, a relation woken
    // again tells its links as a scan does, through the future edge.
    struct BordEnCours {
        explicit BordEnCours(bool futur) : avant_(bord_) { bord_ = futur ? 1 : 0; }
        ~BordEnCours() { bord_ = avant_; }
        BordEnCours(const BordEnCours&) = delete;
        BordEnCours& operator=(const BordEnCours&) = delete;
        std::int8_t avant_;
    };

protected:
    std::unique_ptr<KELIRep> nouveauRep(KELICc* curseur) override;

private:
    std::vector<KELICc*> aRecharger_; // not owned: windows live for the run
    static inline std::int8_t bord_ = -1;
};

class KELIElemRelationMC : public KELIElemRelation {
public:
    std::string kelClasse() const override { return "KELIElemRelationMC"; }
    void reveilleToi(KELICc* curseur) override;
    void inEstPlaceDansOut(KELLien* e, KELICc* curseur) override;
    void outEstPlaceDansIn(KELLien* e, KELICc* curseur) override;
};

class KELIModel : public KELI {
public:
    std::string kelClasse() const override { return "KELIModel"; }
    KELIRepModel* rep(const KELICc* curseur) const;

    std::vector<KELI*> relationsParents(KELICc* curseur);
    std::vector<KELI*> relationsEnfants(KELICc* curseur);
    KELI* relationParentNommee(const std::string& nom, KELICc* curseur);
    KELIElemRelation* relationMC(KELICc* curseur);
    std::vector<KELI*> elements(KELICc* curseur);
    std::size_t nbDElements(KELICc* curseur);
    KELI* enfantDeRelIntParentInt(KELId rel, KELId parentInt, KELICc* curseur);
    void desactiverLeLien(KELI* lien, KELDate date, KELICc* curseur);

    // Creation; each answers the new object (owned by the link server), nullptr when it could not
    // be stored.
    KELI* ajouterUnElement(KELICc* curseur);
    KELI* ajouterUneRelation(KELICc* curseur);
    KELI* ajouterUneRelationParentAuModel(KELIModel* model, KELICc* curseur);
    KELI* ajouterUneRelationEnfantAuModel(KELIModel* model, KELICc* curseur);
    KELI* ajouterUnModel(KELICc* curseur);

    // Removal.
    virtual KELI* enleverLElement(KELI* element, KELICc* curseur);
    KELI* enleverLeModel(KELIModel* model, KELICc* curseur);
    KELI* enleverLaRelation(KELIElemRelation* relation, KELICc* curseur);

    void afficheLeContenu(KELICc* curseur);

protected:
    std::unique_ptr<KELIRep> nouveauRep(KELICc* curseur) override;
    KELI* ajouterLaRelation(KELIModel* model, KELId relLien, KELICc* curseur);
};

class KELIModelBase : public KELIModel {
public:
    std::string kelClasse() const override { return "KELIModelBase"; }
    virtual const char* nomDuServeurDe() const { return nullptr; }
    KELI* enleverLElement(KELI* element, KELICc* curseur) override;
};

class KELIModelMot : public KELIModelBase {
public:
    std::string kelClasse() const override { return "KELIModelMot"; }
    const char* nomDuServeurDe() const override { return "KELServeurDeMots"; }
    KELI* ajouterLeMot(const std::string& mot, KELICc* curseur);
};

class KELIModelNombre : public KELIModelBase {
public:
    std::string kelClasse() const override { return "KELIModelNombre"; }
    const char* nomDuServeurDe() const override { return "KELServeurDeNombres"; }
    KELI* ajouterLeNombre(double nombre, KELICc* curseur);
};

class KELIModelCurseur : public KELIModel {
public:
    std::string kelClasse() const override { return "KELIModelCurseur"; }
    KELI* ajouterUnCurseurAvecLeCurseurSup(KELI* curseurSup, KELICc* curseur);
    KELI* enleverLElement(KELI*, KELICc*) override { return nullptr; }
};

class KELIModelContexte : public KELIModel {
public:
    std::string kelClasse() const override { return "KELIModelContexte"; }
    KELI* ajouterUnContexte(KELICc* curseur);
    KELI* enleverLElement(KELI*, KELICc*) override { return nullptr; }
};

// A word or number: an object node of model 3 or 4 whose value lives in WORD or NUMBER.
class KELIElemBase : public KELI {
public:
    std::string kelClasse() const override { return "KELIElemBase"; }
    void assignerBase(const KELValue& v)
    {
        if (std::holds_alternative<std::monostate>(base_))
            base_ = v;
    }
    KELValue base() const override { return base_; }
    void reveilleToi(KELICc* curseur) override;
    KELValue nom(KELICc*) override { return base_; }
    KELValue baseSelonLesRelations(std::vector<std::string>&, KELICc*) override { return base_; }
    void logLienIn(KELICc* curseur) override;
    void lachePrise() override;

    // A new, unstored value element of a value model.
    static std::unique_ptr<KELIElemBase> nouveau(KELId model, KELId relationMC, const KELValue& v);

private:
    KELValue base_;
};

// Texts of values for logs and names.
std::string kelValueTxt(const KELValue& v);
