#pragma once
// The relation-end columns: the relations whose child model (KELVueDeRelEnfant) or parent model
// (KELVueDeRelParent) is the model of the column on the left. Choosing one relation opens the
// column of the model at its other end; "L" shows its links in a pane under the list; "Lier"
// puts the column in link mode, where clicks in the right-hand column create and close links of
// the chosen relation at the cursor's moment.

#include "browser/KELVueDe.h"

class QPushButton;
class KELIModel;
class KELIElemRelation;

namespace tallomer {

class KELVueDeLiens;

class KELVueDeRel : public KELVueDe {
    Q_OBJECT
public:
    ~KELVueDeRel() override;
    int largeurDelaVue() const override { return 160; }
    QString texteDeLEntete() const override;
    std::vector<KELI*> elements() override;
    QVariant valeur(KELI* relation, const QString& identifiant) const override;

    KELIModel* modelPrecedent() const { return modelPrecedent_; }
    QPushButton* lieBouton() const { return lieBouton_; }
    QPushButton* liensBouton() const { return liensBouton_; }
    KELVueDeLiens* liensViewer() const { return liensViewer_.get(); }
    virtual bool siParent() const = 0;

    void ajouterUnElement();
    void enleverUnElement(std::uint32_t flags);
    void ouvrirModel() override;
    void montrerLesLiens(bool on, std::uint32_t flags);
    // Opens the column of the model at r's other end, when none is open; with `suivante`, that
    // column opens its own next one when it has a chosen relation.
    void ajouterProchaineVue(KELI* r, bool suivante);
    // For any chosen relation.
    void ajouterProchaineVue(bool suivante) override;

    void choisir(KELI* r, std::uint32_t k, const KELSelIdRef& s, bool siRejeter) override;
    bool siChoisir(KELI* r, const KELSelIdRef& s) override;
    void rejeter(KELI* r, std::uint32_t k, const KELSelIdRef& s) override;
    void libererSelf() override;

    // Link mode.
    void changerLieMode();
    void majLieBouton() override;
    bool siPermetChoixVide() const { return siPermetChoixVide_; }
    // Both write every link they make or close before they answer; a refusal is a beep with no change.
    void lierElement(KELI* e, KELDate t);
    void delierElement(KELI* e, KELDate t);
    // The id of r's first child under the kind relation, 0 when none.
    KELId sorteDeRelation(KELI* r) const;

protected:
    KELVueDeRel(KELVueController* vc, KELVueDe* precedente, KELId modelInt, KELICurseur* curseur);
    void construire();
    void initLesBoutons() override;
    // The model at r's end on this column's side, and at its other end.
    KELI* modelDeCeCote(KELI* r) const;
    KELI* modelDeLAutreCote(KELI* r) const;

private:
    KELIElemRelation* relationChoisie() const;
    std::vector<KELI*> choixAGauche() const;
    void creerLeLien(KELI* parent, KELI* enfant, KELIElemRelation* r, KELDate t);
    // Gives every listed link the out-date t, over a copy; a link that stays is logged.
    void fermerLesLiens(const std::vector<KELI*>* liens, KELDate t, const char* cote);

    KELIModel* modelPrecedent_ = nullptr;
    QPushButton* lieBouton_ = nullptr;
    QPushButton* liensBouton_ = nullptr;
    std::unique_ptr<KELVueDeLiens> liensViewer_;
    bool siPermetChoixVide_ = true;
};

class KELVueDeRelParent final : public KELVueDeRel {
    Q_OBJECT
public:
    KELVueDeRelParent(KELVueController* vc, KELVueDe* precedente, KELId modelInt, KELICurseur* curseur);
    bool siParent() const override { return true; }
};

class KELVueDeRelEnfant final : public KELVueDeRel {
    Q_OBJECT
public:
    KELVueDeRelEnfant(KELVueController* vc, KELVueDe* precedente, KELId modelInt, KELICurseur* curseur);
    bool siParent() const override { return false; }
};

// The links of one relation at the cursor, in a pane under a relation-end column.
class KELVueDeLiens final : public KELVueDe {
    Q_OBJECT
public:
    KELVueDeLiens(KELVueController* vc, QWidget* parent, const QRect& frame, KELICurseur* curseur);
    int largeurDelaVue() const override { return 220; }
    std::vector<KELI*> elements() override;
    QVariant valeur(KELI* lien, const QString& identifiant) const override;
    void setRelation(KELI* relation) { model_ = relation; }
};

} // namespace tallomer
