#pragma once
// One window of the link base browser: a chain of columns, left to right, that starts with the
// column of one link and grows to the right. The window sizes itself to its columns (their
// width plus 20) and never lets resizing make the right-most column narrower than 155 points.
// Windows opened on the same root may share one selection, so that a choice shows in all.
//
// The browser's Function key is the Menu key held: the window follows its press and release
// before its widgets see them, and drops the keyboard context menus X11 makes of it.

#include "browser/KELIElemSelection.h"
#include "engine/KELLien.h"

#include <QWidget>

#include <memory>
#include <vector>

class KELICurseur;

namespace tallomer {

class GUIView;
class KELVueDe;

// The column class a link gets, by the link's class.
enum class KELSorteDeVue {
    Model,         // the model of models
    ModelRelation, // the model of relations
    ModelLien,     // any other model
    BaseMot,
    BaseNombre,
    ModelCurseur,
    ModelContexte,
    Relation,
    Aucune,
};
KELSorteDeVue sorteDeVuePour(KELI* lien);

class KELVueController : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLargeurInitiale = 405;
    static constexpr int kHauteurInitiale = 275;
    static constexpr int kLargeurMinimaleDerniere = 155;

    // Opens a window on the link at the cursor (0: the global cursor); shares `selection` when
    // given. Answers the window shown, or nullptr (logged, and beeped when the link has no
    // column): no hidden window stays behind.
    static KELVueController* ouvrir(KELId lienInt, KELId curseurInt,
                                    std::shared_ptr<KELIElemSelection> selection = nullptr);
    // The windows open now, oldest first.
    static const std::vector<KELVueController*>& ouvertes();
    // Closes and frees them all (the link base they show is about to go).
    static void fermerToutes();

    ~KELVueController() override;

    KELVueDe* ajouterVueAvecLienInt(KELId lienInt, KELVueDe* precedente, KELICurseur* curseur);
    // The relation-end columns of a model: the relations whose parent (child) model it is.
    KELVueDe* ajouterVueDeRelParents(KELId modelInt, KELVueDe* precedente, KELICurseur* curseur);
    KELVueDe* ajouterVueDeRelEnfants(KELId modelInt, KELVueDe* precedente, KELICurseur* curseur);
    // true: the right-most column goes now; false: the next column added takes its place.
    void enleverDerniereVueAvecAnimation(bool maintenant);
    bool siPremiereVue(const KELVueDe* vue) const;
    KELVueDe* premiereVue() const;
    const std::vector<std::unique_ptr<KELVueDe>>& vues() const { return vues_; }

    const std::shared_ptr<KELIElemSelection>& selection() const { return selection_; }
    const KELSelIdRef& selIdHl() const { return selection_->selIdHl(); }
    const KELSelIdRef& selIdBd() const { return selection_->selIdBd(); }
    KELICurseur* curseur() const { return curseur_; }
    GUIView* contenu() const { return contenu_; }
    int largeurContenu() const { return largeurContenu_; }

    // Every window sharing the selection reloads; `recharger` reloads this one's columns.
    void rechargerVueController();
    void recharger();
    // Whether the Function key (the Menu key) is held.
    bool siFonction() const { return fonction_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KELVueController(std::shared_ptr<KELIElemSelection> selection, KELICurseur* curseur, KELId lienInt);
    void ajouterLaVue(std::unique_ptr<KELVueDe> vue);
    void enleverDerniereVue();
    // Frees the right-most column's hooks; no column keeps it as its next.
    void oublierLaDerniereVue();
    int prochainePositionX() const;
    void majLargeurWindow();
    void majLargeurMinimale();
    void fermerLesVues();

    GUIView* contenu_;
    std::vector<std::unique_ptr<KELVueDe>> vues_;
    bool siEnleverVueEnDiffere_ = false;
    std::shared_ptr<KELIElemSelection> selection_;
    KELICurseur* curseur_; // the link base's, for the run
    int largeurContenu_ = 0;
    bool enMaj_ = false;
    bool fonction_ = false;
};

} // namespace tallomer
