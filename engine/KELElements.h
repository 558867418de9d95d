#pragma once
// The stored description of cursors and contexts: elements that read their settings along
// relation paths, push them into their live cursor or context, and write changes back as dated
// links starting at the cursor's moment.

#include "engine/KELLien.h"
#include "runtime/Scheduler.h"

#include <array>

class KELICc;
class KELICurseur;
class KELIContexte;

// A setting an element reads along one of its links, as its hooks see it: the relation of that
// link, the reader (scheduled under its own name) and whether the setting has been read.
template <class Element>
struct KELReglage {
    KELId relation;
    const char* nom;
    void (Element::*lire)();
    bool lu;
};

class KELIElemCurseur : public KELI {
public:
    KELIElemCurseur();
    ~KELIElemCurseur() override;
    std::string kelClasse() const override { return "KELIElemCurseur"; }

    virtual KELICurseur* lienCurseur() const { return lienCurseur_; }
    KELI* elemContexte() const { return elemContexte_; }
    double offsetDouble() const { return offset_ ? *offset_ : 0.0; }
    bool siCharge() const { return siAccepteMaj_; }
    KELICc* curseurMaj() const;

    virtual void majLienCurseur();
    void majElemCurseurSup();
    void majElemContexte();
    void majOffset();
    void majType();
    void majEtLancerCurseur();

    void archiverOffset(double n);
    void archiverOffsetToZero();
    void setTypeFixe(KELICc* c);
    void setTypeRelatifCS(KELICc* c);
    void setTypeRelatifTR(KELICc* c);
    // `memoriser` stands for the Command key held at the time of the call.
    void rappelerOffset1(KELICc* c, bool memoriser);
    void rappelerOffset2(KELICc* c, bool memoriser);

    void majDActivationDuLienParent(KELI* lien, KELICc* curseur) override;
    void majDeDesactivationDuLienParent(KELI* lien, KELICc* curseur) override;
    void lachePrise() override;

protected:
    void changerType(KELICc* c, KELId typeObjet, bool relatifCS);
    void rappelerOffset(KELICc* c, bool memoriser, KELId& slot);
    // The type, the offset, the parent cursor's element and the context's element.
    std::array<KELReglage<KELIElemCurseur>, 4> reglages() const;

    KELICurseur* lienCurseurSup_ = nullptr; // links live for the run
    KELICc* curseurMaj_ = nullptr;           // not owned
    bool siAccepteMaj_ = false;
    KELICurseur* lienCurseur_ = nullptr;
    KELI* elemCurseurSup_ = nullptr;
    KELI* elemContexte_ = nullptr;
    std::optional<double> offset_;
    std::optional<std::string> type_;
    KELId precedentOffset1_ = 0;
    KELId precedentOffset2_ = 0;
    tallomer::ScheduledTarget guard_{this};
};

class KELIElemCurseurGlobal final : public KELIElemCurseur {
public:
    std::string kelClasse() const override { return "KELIElemCurseurGlobal"; }
    KELICurseur* lienCurseur() const override;
    void majLienCurseur() override;
};

class KELIElemContexte : public KELI {
public:
    KELIElemContexte();
    ~KELIElemContexte() override;
    std::string kelClasse() const override { return "KELIElemContexte"; }

    virtual KELIContexte* lienContexte() const { return lienContexte_; }
    bool siCharge() const { return siAccepteMaj_; }
    KELICc* curseurMaj() const;

    virtual void majLienContexte();
    virtual void majElemCurseur();
    void majTypeIn();
    void majOffsetIn();
    void majTypeOut();
    void majOffsetOut();
    void majEtLancerContexte();

    void archiverOffsetIn(double n);
    void archiverOffsetOut(double n);

    void majDActivationDuLienParent(KELI* lien, KELICc* curseur) override;
    void majDeDesactivationDuLienParent(KELI* lien, KELICc* curseur) override;
    void majDActivationDuLienEnfant(KELI* lien, KELICc* curseur) override;
    void majDeDesactivationDuLienEnfant(KELI* lien, KELICc* curseur) override;
    void lachePrise() override;

protected:
    std::optional<double> offsetDuDernierLien(KELId rel);
    // The type and the offset of each edge.
    std::array<KELReglage<KELIElemContexte>, 4> reglages() const;

    KELICurseur* lienCurseurSup_ = nullptr;
    KELICc* curseurMaj_ = nullptr; // not owned
    bool siAccepteMaj_ = false;
    bool siAccepteMajIn_ = false;
    bool siAccepteMajOut_ = false;
    KELIContexte* lienContexte_ = nullptr;
    KELI* elemCurseur_ = nullptr;
    std::optional<std::string> typeIn_;
    std::optional<double> offsetIn_;
    std::optional<std::string> typeOut_;
    std::optional<double> offsetOut_;
    tallomer::ScheduledTarget guard_{this};
};

class KELIElemContexteGlobal final : public KELIElemContexte {
public:
    std::string kelClasse() const override { return "KELIElemContexteGlobal"; }
    KELIContexte* lienContexte() const override;
    void majLienContexte() override;
    void majElemCurseur() override;
};
