#pragma once
// Time cursors and contexts.
//
// A cursor is the moment at which the system looks at the link base: its two events stand at its
// moment `now`, and moving them through the event table makes links appear and disappear. A
// context is the window around a cursor; its events are the window's edges. Each follows real time
// (kRelatifTR, "relative_tr"), its parent cursor (kRelatifCS, "relative_cs") or stays where it is
// (kFixe, "fixe"), and a timer on the scheduler keeps a moving one in step with the clock without
// ever jumping over an event.

#include "engine/KELICc.h"

#include <cstddef>
#include <string>

class KELIElemCurseur;
class KELIElemContexte;

class KELICurseur : public KELICc {
public:
    // What a cursor's moment follows, its type, read from the name of its element's type object; a
    // context's edges take the same types.
    enum Type : unsigned {
        kPasLance = 0,  // the type at the last launch, before the first one
        kRelatifCS = 1, // "relative_cs": the parent cursor's moment, plus the offset
        kRelatifTR = 2, // "relative_tr": real time, plus the offset
        kFixe = 3,      // "fixe": where it stands
    };
    // Whether a type follows a moment other than its own, and so needs a timer.
    static bool siMobile(unsigned type) { return type == kRelatifCS || type == kRelatifTR; }

    KELICurseur();
    ~KELICurseur() override;
    std::string kelClasse() const override { return "KELICurseur"; }

    static unsigned NextOrder();
    static unsigned definirTypeTxt(const std::string* texte);

    unsigned typeInt() const { return typeInt_; }
    double offsetDouble() const { return offsetDouble_; }
    void setOffsetDouble(double o) { offsetDouble_ = o; }
    KELIElemCurseur* elemCurseur() const { return elemCurseur_; }
    void referencerElemCurseur(KELIElemCurseur* e) { elemCurseur_ = e; }
    KELI* elemCurseurSup() const { return elemCurseurSup_; }
    KELI* elemContexte() const { return elemContexte_; }
    bool siLance() const { return siCurseurDejaLance_; }

    virtual KELICurseur* curseurSup();
    KELIContexte* contexte() override;
    KELICurseur* curseur() override { return this; }
    // The window the cursor shows: its context if it has one, else itself.
    KELICc* fenetre();

    KELDate now() override;
    KELDate nowIn() override;
    KELDate nowOut() override;
    KELDate placeToi() override;

    virtual void assignerType(const std::string* texte);
    virtual void assignerOffsetNumber(const double* offset);
    virtual void assignerElemCurseurSup(KELI* element);
    virtual void assignerElemContexte(KELI* element);
    void setContexte(KELIContexte* contexte) { contexte_ = contexte; }

    virtual void lancer();
    void avance();
    void lancerLesSousCurseurs();
    void arreterLesSousCurseurs();

    virtual void initierDeplacementCurseur();
    void decalerCurseur(double d);
    void decalerCurseurContexteIn(double d, double dIn);
    virtual void terminerDeplacementCurseur();
    void placerCurseur(KELDate date);
    void decalerContexte(double d);
    void decalerContexteIn(double d);
    void decalerContexteOut(double d);
    void decalerContexteInContexteOut(double, double) {}
    void agrandirContexte(double d);
    void placerContexteInToZero();
    void placerContexteOutToZero();
    void updateDeplacementCurseurSearch();
    void updateDeplacementCurseurNow();

    double calculerOffsetSuivant() override;
    double calculerOffsetPrecedent() override;
    void addOffset(double s) override { offsetDouble_ += s; }
    void lachePrise() override;

    // Delay chosen by the last timer step (tests read it).
    double dernierDelai() const { return dernierDelai_; }

    // From how many events in the table a move asks memory for the links ahead of it. A small base
    // stays in the processor's cache and asking would only cost; but between two Search steps the
    // desk repaints and animates, and a base of some sixty thousand links is out of the cache again
    // by the next step, which waits for memory at every link it meets. Tests lower it to check that
    // asking changes nothing.
    static constexpr std::size_t kAnticipationParDefaut = std::size_t{1} << 17;
    static void anticiperDesLe(std::size_t evenements);

protected:
    // The moment the offset is added to: the parent cursor's (kRelatifCS) or real time (kRelatifTR).
    KELDate reference();
    // The event-by-event walks of a move, from the cursor's date to `cible`, later or earlier.
    void avancerJusquA(KELDate cible);
    void reculerJusquA(KELDate cible);
    virtual double delaiDAvance(KELDate t);
    void programmerAvance(double delai);
    void annulerAvance();

    KELIElemCurseur* elemCurseur_ = nullptr; // not owned
    bool siCurseurDejaLance_ = false;
    KELI* elemCurseurSup_ = nullptr; // links live for the run
    KELICurseur* curseurSup_ = nullptr;
    KELI* elemContexte_ = nullptr;
    KELIContexte* contexte_ = nullptr;
    unsigned typeInt_ = kRelatifTR;
    unsigned typeIntPrecedent_ = kPasLance;
    double offsetDouble_ = 0.0;
    bool siFaitDuSurPlace_ = false;
    double precedentNow_ = 0.0;
    double dernierDelai_ = 0.0;
};

class KELICurseurGlobal final : public KELICurseur {
public:
    KELICurseurGlobal();
    std::string kelClasse() const override { return "KELICurseurGlobal"; }
    KELDate now() override;
    KELIContexte* contexte() override { return contexte_; }
    KELICurseur* curseurSup() override { return nullptr; }
    void lancer() override;
    void initierDeplacementCurseur() override {}
    void terminerDeplacementCurseur() override {}
    void lachePrise() override {}
    void assignerType(const std::string*) override {}
    void assignerElemCurseurSup(KELI*) override { elemCurseurSup_ = nullptr; }
    void assignerElemContexte(KELI* element) override { elemContexte_ = element; }

protected:
    double delaiDAvance(KELDate t) override;
};

class KELIContexte : public KELICc {
public:
    // The window of a context whose element stores no offsets, and of a new context: two minutes
    // either side of its cursor.
    static constexpr double kOffsetInParDefaut = -120.0;
    static constexpr double kOffsetOutParDefaut = 120.0;

    KELIContexte();
    ~KELIContexte() override;
    std::string kelClasse() const override { return "KELIContexte"; }

    KELDate now() override;
    KELDate nowIn() override;
    KELDate nowOut() override;
    double offsetIn() const { return offsetInDouble_; }
    double offsetOut() const { return offsetOutDouble_; }
    unsigned typeInInt() const { return typeInInt_; }
    unsigned typeOutInt() const { return typeOutInt_; }
    KELIElemContexte* elemContexte() const { return elemContexte_; }
    void referencerElemContexte(KELIElemContexte* e) { elemContexte_ = e; }
    KELI* elemCurseur() const { return elemCurseurElem_; }
    KELICurseur* curseur() override;
    KELIContexte* contexte() override { return this; }
    void setCurseur(KELICurseur* c) { curseur_ = c; }

    void setOffsetIn(double o);
    void setOffsetOut(double o);
    void setOffsetInOffsetOut(double in, double out);
    void addOffset(double s) override
    {
        offsetInDouble_ += s;
        offsetOutDouble_ += s;
    }

    KELDate placeToi() override;
    void placeToiIn();
    void placeToiOut();

    double calculerOffsetSuivant() override;
    double calculerOffsetPrecedent() override;
    double calculerOffsetSuivantIn();
    double calculerOffsetSuivantOut();
    double calculerOffsetPrecedentIn();
    double calculerOffsetPrecedentOut();

    virtual void assignerTypeIn(const std::string* texte);
    virtual void assignerOffsetNumberIn(const double* offset);
    virtual void assignerTypeOut(const std::string* texte);
    virtual void assignerOffsetNumberOut(const double* offset);
    virtual void assignerElemCurseur(KELI* element);

    void lancerIn();
    void lancerOut();
    void avanceIn();
    void avanceOut();
    void annulerAvanceIn();
    void annulerAvanceOut();
    void lachePrise() override;

protected:
    void lancerBord(bool in);
    void avanceBord(bool in);
    double nowBord(bool in);

    KELIElemContexte* elemContexte_ = nullptr; // not owned
    KELI* elemCurseurElem_ = nullptr;
    KELICurseur* curseur_ = nullptr;
    bool siContexteInDejaLance_ = false;
    bool siContexteOutDejaLance_ = false;
    unsigned typeInInt_ = KELICurseur::kRelatifTR;
    unsigned typeInIntPrecedent_ = KELICurseur::kPasLance;
    double offsetInDouble_ = kOffsetInParDefaut;
    unsigned typeOutInt_ = KELICurseur::kRelatifTR;
    unsigned typeOutIntPrecedent_ = KELICurseur::kPasLance;
    double offsetOutDouble_ = kOffsetOutParDefaut;
    bool siInFaitDuSurPlace_ = false;
    bool siOutFaitDuSurPlace_ = false;
    double precedentNowIn_ = 0.0;
    double precedentNowOut_ = 0.0;
};

class KELIContexteGlobal final : public KELIContexte {
public:
    // The global context spans five minutes either side of real time.
    static constexpr double kDemiLargeur = 300.0;

    KELIContexteGlobal();
    std::string kelClasse() const override { return "KELIContexteGlobal"; }
    KELDate nowIn() override;
    KELDate nowOut() override;
    void assignerElemCurseur(KELI* element) override { elemCurseurElem_ = element; }
    void assignerTypeIn(const std::string*) override {}
    void assignerTypeOut(const std::string*) override {}
};
