#pragma once
// A column of the links of one relation at the cursor. Its links are chosen in a selection
// controller of its own (a click chooses, Command toggles); "P" and "E" open the membership
// relation of the chosen link's parent or child in the next column.

#include "browser/KELVueDe.h"

namespace tallomer {

class KELVueDeRelation final : public KELVueDe {
    Q_OBJECT
public:
    KELVueDeRelation(KELVueController* vc, KELVueDe* precedente, KELId relationInt, KELICurseur* curseur);
    ~KELVueDeRelation() override;
    int largeurDelaVue() const override { return 165; }
    QString texteDeLEntete() const override;
    std::vector<KELI*> elements() override;
    QVariant valeur(KELI* lien, const QString& identifiant) const override;

    void montrerParent(bool on);
    void montrerEnfant(bool on);

    void choisir(KELI* l, std::uint32_t k, const KELSelIdRef& s, bool siRejeter) override;
    void rejeter(KELI* l, std::uint32_t k, const KELSelIdRef& s) override;
    void debuterChoix(const KELSelIdRef& s) override;
    void simpleClick(int clickedRow, std::uint32_t flags) override;

protected:
    void initLesBoutons() override;

private:
    // What a change of the chosen links does to the next column.
    void choixChange();
    // The one link chosen under the highlight id, or nullptr.
    KELI* seulChoisi() const;
    void ouvrirPour(KELI* objet);

    std::unique_ptr<KELSelCtrl> propre_;
};

} // namespace tallomer
