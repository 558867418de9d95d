#pragma once
// A column of the members of one model at the window's cursor, with a table column per relation
// whose parent model is this model. It follows the link base live: registered as update delegate
// for its model and for each relation it shows, a relation coming into view or leaving it adds or
// removes its table column, and a new name or child model retitles it. The classes differ by
// width, cell, and the commands that add and remove members; cursors have their own buttons.

#include "browser/GUITextFieldCell.h"
#include "browser/KELVueDe.h"
#include "engine/KELICc.h"

class QLineEdit;
class KELIModel;

namespace tallomer {

class KELVueDeModel : public KELVueDe, public KELDelegueDeMaj {
    Q_OBJECT
public:
    static constexpr int kLargeurRelation = 70;
    static constexpr int kLargeurMC = 30;

    KELVueDeModel(KELVueController* vc, KELVueDe* precedente, KELId lienInt, KELICurseur* curseur);
    ~KELVueDeModel() override;

    int largeurDelaVue() const override { return 165; }
    QString texteDeLEntete() const override;
    std::vector<KELI*> elements() override;
    QVariant valeur(KELI* lien, const QString& identifiant) const override;
    KELIModel* modelDeLaVue() const;
    // The relation each table column shows, in table order.
    const std::vector<KELI*>& relationsDesColonnes() const { return relations_; }

    void majLaColumnPourLaRel(KELI* relation);
    void ajouterUneColumnPourLaRel(KELI* relation);
    void enleverLaColumnPourLaRel(KELId relationInt);
    void enleverLesDeleguesDeMaj();

    // KELDelegueDeMaj
    void activationDuLienParent(KELI* lien) override;
    void desactivationDuLienParent(KELI* lien) override;
    void activationDuLienEnfant(KELI* lien) override;
    void desactivationDuLienEnfant(KELI* lien) override;

    // Answers the new member (nullptr, with a beep, when none was made).
    KELI* ajouterUnElement();
    void enleverUnElement(std::uint32_t flags);
    void ouvrirModel() override;
    void transfererSelection(std::uint32_t flags) { transfererSelectionDepuisVue(this, flags); }
    void ajouterProchaineVue(bool suivante) override;

    void choisir(KELI* e, std::uint32_t k, const KELSelIdRef& s, bool siRejeter) override;
    void rejeter(KELI* e, std::uint32_t k, const KELSelIdRef& s) override;
    void simpleClick(int clickedRow, std::uint32_t flags) override;
    void libererSelf() override;

protected:
    // For the classes below, which build once their own width and cell are known.
    struct SansConstruire {};
    KELVueDeModel(KELVueController* vc, KELVueDe* precedente, KELId lienInt, KELICurseur* curseur, SansConstruire);
    void construire();

    virtual GUITextFieldCell::Sorte sorteDeCellule() const { return GUITextFieldCell::Sorte::Ordinaire; }
    virtual KELI* creerUnElement();
    // The models whose members the link base cannot remove beep instead.
    virtual bool siEnlevable() const { return true; }
    virtual bool enleverLElement(KELI* e);
    // "O": a window per chosen member (the model of models and of relations), else one on the model.
    virtual bool siOuvrirLesMembres() const { return true; }
    void initLesBoutons() override;
    void majEntete() override;
    std::vector<KELI*> choisis(const KELSelIdRef& s) const;
    KELId curseurInt() const;

private:
    void initLesColumns();
    void appliquerLesColonnes();
    int indexDeLaRel(KELId relationInt) const;
    static bool siMC(const KELI* relation);

    std::vector<KELI*> relations_;
    std::vector<KELId> enregistres_; // the ids this column is registered for
};

class KELVueDeModelRelation final : public KELVueDeModel {
    Q_OBJECT
public:
    KELVueDeModelRelation(KELVueController* vc, KELVueDe* precedente, KELId lienInt, KELICurseur* curseur);
    int largeurDelaVue() const override { return 260; }

protected:
    KELI* creerUnElement() override;
    bool enleverLElement(KELI* e) override;
};

class KELVueDeModelLien final : public KELVueDeModel {
    Q_OBJECT
public:
    KELVueDeModelLien(KELVueController* vc, KELVueDe* precedente, KELId lienInt, KELICurseur* curseur);

protected:
    KELI* creerUnElement() override;
    bool enleverLElement(KELI* e) override;
    bool siOuvrirLesMembres() const override { return false; }
};

class KELVueDeModelContexte final : public KELVueDeModel {
    Q_OBJECT
public:
    KELVueDeModelContexte(KELVueController* vc, KELVueDe* precedente, KELId lienInt, KELICurseur* curseur);
    int largeurDelaVue() const override { return 320; }

protected:
    GUITextFieldCell::Sorte sorteDeCellule() const override { return GUITextFieldCell::Sorte::Contexte; }
    KELI* creerUnElement() override;
    bool siEnlevable() const override { return false; }
    bool siOuvrirLesMembres() const override { return false; }
};

// Cursor elements: a play button that makes the one chosen cursor follow its parent cursor or
// real time, or stand still; two offset recalls; and a link id opened on each chosen cursor.
class KELVueDeModelCurseur final : public KELVueDeModel {
    Q_OBJECT
public:
    KELVueDeModelCurseur(KELVueController* vc, KELVueDe* precedente, KELId lienInt, KELICurseur* curseur);
    int largeurDelaVue() const override { return 320; }
    QLineEdit* champ() const { return champ_; }
    QPushButton* playStopBouton() const { return playStop_; }
    QPushButton* offsetBouton(int i) const { return i == 1 ? offset1_ : offset2_; }

    void acheverChoix(const KELSelIdRef& s) override;
    void playStopCurseur(bool on, std::uint32_t flags);
    void rappelerOffset(int i, std::uint32_t flags);
    void ouvrirEditionDe(std::uint32_t flags);
    void ouvrirModel() override { ouvrirEditionDe(flagsActuels()); }
    void libererSelf() override;

protected:
    GUITextFieldCell::Sorte sorteDeCellule() const override { return GUITextFieldCell::Sorte::Curseur; }
    KELI* creerUnElement() override;
    bool siEnlevable() const override { return false; }
    void initLesBoutons() override;

private:
    // The one cursor element chosen under the highlight id, or nullptr (none or several).
    KELI* seulChoisi() const;
    QLineEdit* champ_ = nullptr;
    QPushButton* playStop_ = nullptr;
    QPushButton* offset1_ = nullptr;
    QPushButton* offset2_ = nullptr;
};

} // namespace tallomer
