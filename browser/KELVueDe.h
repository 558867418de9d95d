#pragma once
// The base of every column of a browser window: a titled table of the elements of one link seen
// at one cursor, a band below the column titles for the date ruler strip, a button bar, and the
// link cells. Presses and drags over rows become choices of the selection engine under the
// window's highlight id (its border id with Alt); the table's own selection is never used. Each
// column reloads itself on the shared scheduler, every class-wide interval.

#include "browser/GUIRulerCurseurView.h"
#include "browser/GUIWidgets.h"
#include "engine/KELLien.h"
#include "engine/selection/KELSelection.h"
#include "runtime/Scheduler.h"

#include <QAbstractTableModel>
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QMouseEvent;
class QPushButton;
class QWheelEvent;
class KELICurseur;

namespace tallomer {

class GUITextFieldCell;
class KELVueController;
class ZEVRulerViewerServices;
class KELVueDe;

// Drag choosing over rows, apart from the widgets: the rows a drag passes go to the hooks.
struct KELGlisser {
    struct Crochets {
        std::function<void()> debuter;
        std::function<bool(int row)> siChoisi;
        std::function<void(int row, std::uint32_t flags, bool siRejeter)> choisir;
        std::function<void(int row, std::uint32_t flags)> rejeter;
        std::function<void()> recharger;
    };
    int draggedRow = -1;
    int firstDraggedRow = -1;
    // Row r under the mouse with modifier flags k; `mono`: single choice (Caps Lock).
    void ligne(int r, std::uint32_t k, bool mono, const Crochets& c);
    void reinitialiser() { draggedRow = firstDraggedRow = -1; }
};

class KELVueDeModele final : public QAbstractTableModel {
public:
    explicit KELVueDeModele(KELVueDe* vue) : vue_(vue) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    void reinitialiser()
    {
        beginResetModel();
        endResetModel();
    }

private:
    KELVueDe* vue_;
};

class KELVueDe : public QObject, public GUITableViewClient, public GUIRulerViewerDelegate {
    Q_OBJECT
public:
    struct Colonne {
        QString identifiant;
        QString titre;
        int largeur = 70;
        // Its rows show ids of links.
        bool ids = false;
    };
    // The widest id a column of ids is made for: the user's own ids run up to nine digits.
    static constexpr const char* kIdLePlusLarge = "000000000";

    // Single choice: Caps Lock, read when a drag begins; tests replace the reading.
    static std::function<bool()>& lectureCapsLock();
    // The class-wide reload interval (seconds).
    static double& intervalleDeRecharge();
    // The reload interval for a strip of `ratio` seconds per point: min(2.0, ceil(ratio x 25) / 25),
    // never below 0.04 s (no busy loop on an empty window or strip); 2.0 s when not a number.
    static double intervallePourRatio(double ratio);

    KELVueDe(KELVueController* vc, KELVueDe* precedente, KELId lienInt, KELICurseur* curseur);
    ~KELVueDe() override;

    virtual int largeurDelaVue() const { return 220; }
    int hauteurDesBoutons() const { return 23; }
    int hauteurRuler() const { return 30; }
    int hauteurRow() const { return 18; }
    virtual QString texteDeLEntete() const { return QStringLiteral("-"); }
    // A name or base value as shown: a number at its full precision, nothing for no value.
    static QString texteDe(const KELValue& v);

    KELVueController* vueController() const { return vueController_; }
    KELSelCtrl* selCtrl() const { return selCtrl_; }
    KELICurseur* curseur() const { return curseur_; }
    KELI* model() const { return model_; }
    KELId modelInt() const { return modelInt_; }
    GUIView* guiView() const { return guiView_; }
    GUITableView* tableView() const { return table_; }
    GUITableHeaderView* headerView() const { return header_; }
    QLabel* entete() const { return entete_; }
    QWidget* barreDeBoutons() const { return boutons_; }
    KELVueDe* prochaineVue() const { return prochaine_; }
    const std::vector<KELI*>& lignes() const { return lignes_; }
    const std::vector<Colonne>& colonnes() const { return colonnes_; }
    // The width a column is given: its own, or more where its title or its ids would be cut in the
    // fonts they are drawn with.
    int largeurLisible(const Colonne& c) const;
    GUITextFieldCell* cellule(int colonne) const;
    int lieMode() const { return lieMode_; }
    GUIRulerType* ruler() const { return ruler_.get(); }
    GUIRulerViewLine* rulerViewLine() const { return rulerViewLine_; }

    // GUIRulerViewerDelegate: the cursor's window over the strip's width.
    double rulerRatio() override;
    // ---- the strip's controller (KELVueDeRulerInput.cpp) ----
    // One view for the column's cursor: the Search view on the Space's Search cursor, else Recall.
    std::vector<GUIRulerCurseurView*> curseurViews() override;
    GUIRulerCurseurView* curseurView();
    // The global cursor shows real time to every reader: a column on it moves nothing.
    bool siSurLeCurseurGlobal() const;
    // A move the column began runs (and, on a cursor of the Space, is still the Space's move).
    bool siEnDeplacement() const;
    // Whether a move may begin now: none on the global cursor (with a beep) nor while one runs.
    bool siDeplacable();
    bool siAccepteDeplacement() override;
    KELICurseur* actifCurseur() override { return curseur_; }
    KELICurseur* nowCurseur() override { return nullptr; }
    KELICurseur* searchCurseur() override { return nullptr; }
    KELICurseur* tlCurseur() override;
    bool userInitieDeplacementCurseur() override;
    void userTermineDeplacementCurseur() override;
    bool userChangeActifCurseur(KELICurseur*) override { return false; }
    void userStartStopCurseur() override {}
    void userPlaceCurseurToDate(KELDate) override {}
    void userPlaceCurseur(double d) override;
    void userPlaceCurseurDansContexteFixe(double) override {}
    void placeCurseurEtRulerOffset(double d) override;
    void userPlaceContexteIn(double d) override;
    void userPlaceContexteOut(double d) override;
    void userPlaceContexte(double d) override;
    void userPlaceContexteEtRulerOffset(double) override {}
    bool userPlaceRulerOffsetIn(double in, double out) override;
    bool siRulerEstLaFenetre() override { return true; }
    void userBougeCurseur(float) override {}
    void userBougeCurseurEtRulerOffset(double) override {}
    void userBougeRulerOffsetIn(double in, double out) override;
    void userAgranditContexte() override;
    void userDiminueContexte() override;
    void userBougeCurseurAGauche() override;
    void userBougeCurseurADroite() override;
    void userDesactiveBouger() override;
    void userAnimeCurseurToDate(KELDate date) override;
    void userAnimeCurseurEtRulerToDate(KELDate date) override { userAnimeCurseurToDate(date); }
    void userZoom(ZEVZoomFamille famille, ZEVZoomUnite unite, KELICurseur* curseur) override;
    void draggWithEvent(QMouseEvent* event) override;
    void scrollWheelWithEvent(QWheelEvent*) override {}
    void displayRuler() override;
    // The continuous moves repeat at this pace.
    static constexpr double kPasContinu = 0.04;
    // The interval follows the strip's scale, and the column reloads at once.
    void majProchaineRecharge();

    virtual std::vector<KELI*> elements() { return {}; }
    virtual QVariant valeur(KELI*, const QString&) const { return {}; }

    void recharger();
    // Cancels its performs and unhooks its widgets; the window drops it next.
    virtual void libererSelf();
    void enleverProchaineVue();
    void activerLieMode(int mode);
    void transfererSelectionDepuisVue(KELVueDe* autre, std::uint32_t flags);
    // The modifier flags now, the Function key included.
    std::uint32_t flagsActuels() const;
    static constexpr std::uint32_t kFonctionFlag = 1u << 23;

    // GUITableViewClient
    bool tableShouldSelectRow(int row, Qt::KeyboardModifiers modifiers) override;
    void tableSimpleClick(int clickedRow, Qt::KeyboardModifiers modifiers) override;
    void tableDoubleClick(int clickedRow, Qt::KeyboardModifiers modifiers) override;

    // Hooks of the column classes. Those with a body are optional: a column kind without choices,
    // buttons or a next column keeps the default.
    // Keeps the choice before a press, which a click compares with the one after it.
    virtual void debuterChoix(const KELSelIdRef& s);
    virtual void acheverChoix(const KELSelIdRef&) { majLieBouton(); }
    virtual void choisir(KELI*, std::uint32_t, const KELSelIdRef&, bool) {}
    virtual bool siChoisir(KELI*, const KELSelIdRef&) { return true; }
    virtual void rejeter(KELI*, std::uint32_t, const KELSelIdRef&) {}
    virtual void simpleClick(int clickedRow, std::uint32_t flags);
    virtual void doubleClick(int clickedRow, std::uint32_t flags);
    virtual void ouvrirModel() {}
    virtual void majLieBouton();

    // Columns to the right (KELVueDeRelOuvrir.cpp). The child- or parent-relations button turned
    // on or off; the column opened after a second click on an unchanged choice.
    void montrerRelEnfants(bool on);
    void montrerRelParents(bool on);
    virtual void ajouterProchaineVue(bool) {}
    KELVueDe* precedente() const { return precedente_; }
    // The window is taking `v` away.
    void oublierProchaineVue(const KELVueDe* v)
    {
        if (prochaine_ == v)
            prochaine_ = nullptr;
    }

protected:
    // The building steps, in this order, from the column class's constructor.
    void initLaScrollView();
    void initLaTableView();
    void initLaHeaderView();
    // The date strip below the column titles (in place of the table's first points without a
    // header), on the cursor's window; initLaHeaderView lays it.
    void initLaRulerView();
    virtual void initLesBoutons() {}
    void initLesColonnes(std::vector<Colonne> colonnes);
    // The columns given their widths; a column not yet in its window widens to hold them.
    void appliquerLesLargeurs();
    void majGeometrieDesCellules();
    // Before the rows or the titles paint, the cells take the sections' widths: a stretched last
    // section changes width without telling, sometimes after the rows have painted.
    bool eventFilter(QObject* watched, QEvent* event) override;
    KELSelIdRef selIdPour(std::uint32_t flags) const;
    // The header's colour and font after a reload.
    virtual void majEntete() {}
    // The header in blue while the column has a highlight choice (black again unless in link
    // mode), in bold while it has a bold one.
    void majEnteteSelonLesChoix();
    // The next column goes now, or when the next one the window adds takes its place.
    void fermerProchaineVue(bool maintenant);
    // In link mode, a right-hand column's choose hooks are link commands on the relation-end
    // column to its left; answers whether they were (`parChoix`: the choose hook, else the
    // drag-back hook).
    bool lierSiLieMode(KELI* e, std::uint32_t k, const KELSelIdRef& s, bool parChoix);
    // The choose hook of the element columns: Command toggles the element, else it is chosen
    // (alone when `siRejeter`); link commands in link mode.
    void choisirSelonLesTouches(KELI* e, std::uint32_t k, const KELSelIdRef& s, bool siRejeter);
    // The drag-back hook's change: Command chooses the element again, else it is unchosen.
    void rejeterSelonLesTouches(KELI* e, std::uint32_t k, const KELSelIdRef& s);
    // "-": the elements chosen under s, each unchosen, then removed by `enlever` (which answers
    // whether it removed it), all in one act of the store. Answers whether anything was removed
    // and the store kept every removal; a store that keeps none leaves them all listed.
    bool enleverLesChoisis(const KELSelIdRef& s, const std::function<bool(KELI*)>& enlever);

    KELVueController* vueController_;
    KELSelCtrl* selCtrl_ = nullptr;
    KELICurseur* curseur_;
    KELI* model_ = nullptr;
    KELId modelInt_;
    KELGlisser glisser_;
    bool siMonoChoix_ = false;
    KELSelCtrl::Choix anciensChoix_;
    QPointer<GUIView> guiView_;
    QLabel* entete_ = nullptr;
    GUITableView* table_ = nullptr;
    GUITableHeaderView* header_ = nullptr;
    QWidget* boutons_ = nullptr;
    KELVueDeModele* modele_ = nullptr;
    std::vector<Colonne> colonnes_;
    std::vector<GUITextFieldCell*> cellules_;
    std::vector<KELI*> lignes_;
    KELVueDe* precedente_;
    KELVueDe* prochaine_ = nullptr;
    int lieMode_ = 0;
    QPushButton* ajouterBouton_ = nullptr;
    QPushButton* enleverBouton_ = nullptr;
    QPushButton* relEnfantsBouton_ = nullptr;
    QPushButton* relParentsBouton_ = nullptr;
    QPushButton* ouvrirModelBouton_ = nullptr;
    QPushButton* selectionBouton_ = nullptr;

    std::shared_ptr<GUIRulerType> ruler_;
    QPointer<GUIRulerViewLine> rulerViewLine_;
    double majRuler_ = -1;

private:
    void rechargerPeriodiquement();
    // The ruler on the cursor's window; a new scale is told to the strip.
    void majLeRuler();
    void libererLeRuler();
    bool libere_ = false;
    // ---- the strip's moves ----
    // The Space's ruler when the column's cursor is one the Space shows, else nullptr.
    ZEVRulerViewerServices* rulerDeLEspace() const;
    bool siPlacable(const char* operation) const;
    // One step of the column's cursor by `decaler`, when the column's move allows it.
    void placer(const char* operation, void (KELICurseur::*decaler)(double), double d);
    // Starts one of the continuous moves on the first call of a drag.
    void demarrer(const char* nom, void (KELVueDe::*pas)());
    void pasContinu(const char* nom, void (KELVueDe::*pas)());
    void bougerRuler();
    void agrandir();
    void diminuer();
    void bougerCurseurAGauche();
    void bougerCurseurADroite();
    void annulerLesMouvements();
    // Ends the column's move; `recharger`: the reload pace follows the scale again.
    void terminerLeMouvement(bool recharger);
    std::unique_ptr<GUIRulerCurseurView> curseurView_;
    bool siPremierDeplacement_ = true;
    double deplacementIn_ = 0, deplacementOut_ = 0, deplacementCurseur_ = 0;
    bool enDeplacement_ = false;
    // The Space's number of the move the column was granted; 0 for a move of its own.
    std::uint64_t mouvementEspace_ = 0;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
