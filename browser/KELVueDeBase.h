#pragma once
// A column of the values of a word model or a number model: one row per value element at the
// window's cursor, and an entry field under the list that adds a value ("+" or Return).

#include "browser/KELVueDe.h"

class QLineEdit;
class KELIModelBase;

namespace tallomer {

class KELVueDeBase : public KELVueDe {
    Q_OBJECT
public:
    KELVueDeBase(KELVueController* vc, KELVueDe* precedente, KELId lienInt, KELICurseur* curseur);
    int largeurDelaVue() const override { return 220; }
    QString texteDeLEntete() const override;
    std::vector<KELI*> elements() override;
    QVariant valeur(KELI* lien, const QString& identifiant) const override;
    QLineEdit* champ() const { return champ_; }

    // Adds the field's value; answers the new element, nullptr (with a beep) for a value that
    // does not read.
    KELI* ajouterUnElement();
    // Removes the values chosen under the highlight id (the border id with Alt), each rejected
    // first; beeps when none is chosen or none could be removed.
    void enleverUnElement(std::uint32_t flags);
    void ouvrirModel() override;
    void transfererSelection(std::uint32_t flags) { transfererSelectionDepuisVue(this, flags); }

    void choisir(KELI* e, std::uint32_t k, const KELSelIdRef& s, bool siRejeter) override;
    void rejeter(KELI* e, std::uint32_t k, const KELSelIdRef& s) override;
    void simpleClick(int clickedRow, std::uint32_t flags) override;
    void ajouterProchaineVue(bool suivante) override;
    void libererSelf() override;

protected:
    void initLesBoutons() override;
    // The value the field's text stands for; nullopt when it is none.
    virtual KELI* ajouterLaValeur(const QString& texte) = 0;
    KELIModelBase* modelBase() const;

    void majEntete() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* champ_ = nullptr;
};

class KELVueDeBaseMot final : public KELVueDeBase {
public:
    KELVueDeBaseMot(KELVueController* vc, KELVueDe* precedente, KELId lienInt, KELICurseur* curseur);

protected:
    KELI* ajouterLaValeur(const QString& texte) override;
};

class KELVueDeBaseNombre final : public KELVueDeBase {
public:
    KELVueDeBaseNombre(KELVueController* vc, KELVueDe* precedente, KELId lienInt, KELICurseur* curseur);
    // Strict, in the C locale: the whole text is one finite number.
    static std::optional<double> lireNombre(const QString& texte);

protected:
    KELI* ajouterLaValeur(const QString& texte) override;
};

} // namespace tallomer
