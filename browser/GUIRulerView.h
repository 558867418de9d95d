#pragma once
// The view of a browser date ruler along its width, and its line form, the strip a browser column
// lays under its titles. The view moves nothing itself: what it needs of the column it asks its
// viewer delegate. Its drawing formulas are y-up, in the view's points with the bottom edge at 0;
// only the painting turns them into Qt's y-down.

#include "browser/GUIRulerType.h"
#include "ruler/ZEVZoomPeriods.h"
#include "runtime/Date.h"
#include "runtime/Scheduler.h"

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVariantMap>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class KELICurseur;
class QMenu;
class QPainter;

namespace tallomer {

class GUIRulerCurseurView;
class KELSharedResources;

// What the browser's rulers take from the application: its ruler colours and the folder of its
// own files. Set by the running program once its shared resources exist; views read it when made.
struct GUIRulerRessources {
    QColor rulerTexteColor = Qt::black;
    QColor passeColor = QColor::fromRgbF(0.65f, 0.74f, 0.65f);
    QColor futurColor = QColor::fromRgbF(0.65f, 0.65f, 0.74f);
    // While the user moves something, and the parts of an active cursor's window.
    QColor rulerTexteActifColor = Qt::darkRed;
    QColor passeActifColor = QColor::fromRgbF(0.55f, 0.75f, 0.55f);
    QColor futurActifColor = QColor::fromRgbF(0.55f, 0.55f, 0.8f);
    QColor presentActifColor = QColor::fromRgbF(0.9f, 0.6f, 0.2f);
    QColor curseurColor = Qt::red;
    QString dossier;

    static GUIRulerRessources& partagees();
    static void referencer(const KELSharedResources& resources, const QString& dossier);
};

// What a ruler view and its cursor views ask the controller they serve (the browser column). Every
// move is bracketed by one granted userInitieDeplacementCurseur and one
// userTermineDeplacementCurseur; the place operations between them act on the controller's cursor.
class GUIRulerViewerDelegate {
public:
    virtual ~GUIRulerViewerDelegate() = default;
    // Seconds per point of the strip.
    virtual double rulerRatio() = 0;
    // The cursor views to draw over the background and to hit-test, the active one last.
    virtual std::vector<GUIRulerCurseurView*> curseurViews() = 0;
    // Whether a move may begin now.
    virtual bool siAccepteDeplacement() = 0;
    virtual KELICurseur* actifCurseur() = 0;
    // nullptr when the controller has none.
    virtual KELICurseur* nowCurseur() = 0;
    virtual KELICurseur* searchCurseur() = 0;
    virtual KELICurseur* tlCurseur() = 0;
    // Begins a move; false, and nothing begun, when refused.
    virtual bool userInitieDeplacementCurseur() = 0;
    // Ends the move under way; nothing when none runs.
    virtual void userTermineDeplacementCurseur() = 0;
    virtual bool userChangeActifCurseur(KELICurseur* curseur) = 0;
    virtual void userStartStopCurseur() = 0;
    // ---- place operations, in seconds ----
    virtual void userPlaceCurseurToDate(KELDate date) = 0;
    virtual void userPlaceCurseur(double d) = 0;
    virtual void userPlaceCurseurDansContexteFixe(double d) = 0;
    virtual void placeCurseurEtRulerOffset(double d) = 0;
    virtual void userPlaceContexteIn(double d) = 0;
    virtual void userPlaceContexteOut(double d) = 0;
    virtual void userPlaceContexte(double d) = 0;
    virtual void userPlaceContexteEtRulerOffset(double d) = 0;
    // The ruler's ends move by these amounts; false, and nothing moved, when refused.
    virtual bool userPlaceRulerOffsetIn(double in, double out) = 0;
    // Whether the ruler is the cursor's own window (a column's strip): a ruler move then moves the
    // window, so a view that moves the window leaves the ruler to follow by itself.
    virtual bool siRulerEstLaFenetre() = 0;
    // ---- continuous moves, until the move ends or userDesactiveBouger ----
    virtual void userBougeCurseur(float v) = 0;
    virtual void userBougeCurseurEtRulerOffset(double v) = 0;
    virtual void userBougeRulerOffsetIn(double in, double out) = 0;
    virtual void userAgranditContexte() = 0;
    virtual void userDiminueContexte() = 0;
    virtual void userBougeCurseurAGauche() = 0;
    virtual void userBougeCurseurADroite() = 0;
    virtual void userDesactiveBouger() = 0;
    // ---- whole operations ----
    virtual void userAnimeCurseurToDate(KELDate date) = 0;
    virtual void userAnimeCurseurEtRulerToDate(KELDate date) = 0;
    virtual void userZoom(ZEVZoomFamille famille, ZEVZoomUnite unite, KELICurseur* curseur) = 0;
    // ---- events the views do not take themselves ----
    virtual void draggWithEvent(QMouseEvent* event) = 0;
    virtual void scrollWheelWithEvent(QWheelEvent* event) = 0;
    virtual void displayRuler() = 0;
};

// The ruler view and its cursor views: whoever accepted the last press gets its drags and its
// release, passed on by the view that happens to receive them. One process-wide owner, which
// forgets a view that goes.
class GUIRulerMouseTarget {
public:
    virtual ~GUIRulerMouseTarget();
    virtual void mouseDragged(QMouseEvent* event) = 0;
    virtual void mouseUp(QMouseEvent* event) = 0;
    // Not owned; nullptr when no press is held or its view went.
    static GUIRulerMouseTarget* mouseDownOwner() { return owner_; }

protected:
    void devenirProprietaire() { owner_ = this; }
    bool siProprietaire() const { return owner_ == this; }
    // Passes the event to the owner when it is another view; answers whether it did.
    bool passerAuProprietaire(QMouseEvent* event, bool release);

private:
    static inline GUIRulerMouseTarget* owner_ = nullptr;
};

class GUIRulerView : public QWidget, public GUIRulerMouseTarget {
public:
    explicit GUIRulerView(QWidget* parent = nullptr);

    // Positions 0 and 1 are horizontal rulers, 2 and 3 vertical ones.
    void setRuler(std::shared_ptr<GUIRulerType> ruler);
    GUIRulerType* rulerType() const { return ruler_.get(); }
    // The span changed its scale: the units are chosen again at the next drawing.
    void rulerDidChange();
    void setPosition(int position);
    int position() const { return position_; }
    void setOrientation(bool vertical) { setPosition(vertical ? 2 : 0); }
    bool orientation() const { return position_ > 1; }
    void assignForegroundColor(const QColor& c);
    const QColor& foregroundColor() const { return foregroundColor_; }
    const QColor& couleurPasse() const { return couleurPasse_; }
    const QColor& couleurFutur() const { return couleurFutur_; }
    void setMarkAppearanceSet(const QString& name);
    const QString& markAppearanceSet() const { return markAppearanceSet_; }
    void assignViewerDelegate(GUIRulerViewerDelegate* d) { viewerDelegate_ = d; }
    GUIRulerViewerDelegate* viewerDelegate() const { return viewerDelegate_; }

    // The table "<set>MarksAppearance.table" of the program's files, read once per set name for
    // the whole run; nullptr for a set without a readable table (also remembered).
    static const QVariantMap* marksAppearance(const QString& set);
    static void oublierLesApparences();

    // Whether units are chosen; nothing until the next drawing after a change.
    const std::optional<std::vector<GUIRulerUnit*>>& displayedUnits() const { return displayedUnits_; }

    // Conversions between dates and y-up points of the bounds; pointForDate lies on the centre line.
    KELDate dateForPoint(QPointF p) const;
    QPointF pointForDate(KELDate date) const;

    // Lays the view along the bottom of `hote`, `hauteur` points high with its top `y` points below
    // the host's top, and keeps it there as the host's width changes.
    void suivreLaLargeurDe(QWidget* hote, int y, int hauteur);

    // A y-up rect of the bounds as Qt paints it, and a Qt point of the view as a y-up one.
    QRectF versQt(const QRectF& r) const { return QRectF(r.x(), height() - r.y() - r.height(), r.width(), r.height()); }
    QPointF versHaut(const QPointF& p) const { return {p.x(), height() - p.y()}; }
    // The date at x points of the bounds: the ruler's date for x / (W - 1).
    KELDate dateAtX(double x) const;

    // ---- input; what Qt delivers goes first to the cursor view under the pointer ----
    void mouseDown(QMouseEvent* event);
    void mouseDragged(QMouseEvent* event) override;
    void mouseUp(QMouseEvent* event) override;
    void rightMouseDown(QMouseEvent* event);
    void rightMouseDragged(QMouseEvent* event);
    void rightMouseUp(QMouseEvent* event);
    void scrollWheel(QWheelEvent* event);
    void keyDown(QKeyEvent* event);
    void keyUp(QKeyEvent* event);
    // The wheel move's end, 0.3 s after its last event.
    void scrollWheelStop();
    static constexpr double kArretRoue = 0.3;
    bool siInitieDeplacement() const { return siInitieDeplacement_; }
    bool siSrollWheelStart() const { return siInitieSrollWheel_; }
    // The menu the last secondary press showed, nullptr when none.
    QMenu* dernierMenu() const { return dernierMenu_; }

protected:
    virtual void chooseDisplayedUnits() {}
    // The rect (y-up) to redraw; answers it.
    virtual QRectF drawRuler(QPainter& painter, const QRectF& rect);
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // The cursor view whose part lies under a y-up point, the active one first; nullptr.
    GUIRulerCurseurView* curseurViewAt(QPointF point) const;

    std::shared_ptr<GUIRulerType> ruler_;
    int position_ = 0;
    QColor foregroundColor_;
    QColor couleurFutur_;
    QColor couleurPasse_;
    std::optional<std::vector<GUIRulerUnit*>> displayedUnits_;
    double enlargeFactor_ = 0;
    QString markAppearanceSet_;
    GUIRulerViewerDelegate* viewerDelegate_ = nullptr; // not owned: the column owns the view's host

private:
    QWidget* hote_ = nullptr;
    int yHote_ = 0;
    // Qt window coordinates of the last press or drag.
    QPointF locationInWindow_;
    double ratioIn_ = 0;
    double ratioOut_ = 1;
    bool siMouseDragged_ = false;
    bool siInitieDeplacement_ = false;
    bool siInitieSrollWheel_ = false;
    bool siDroit_ = false;
    QMenu* dernierMenu_ = nullptr;
    ScheduledTarget guard_{this};
};

// The horizontal strip of the browser column: which units to show at the span's scale, then the
// past and future, the cursor views, the ticks and the titles.
class GUIRulerViewLine final : public GUIRulerView {
public:
    // A unit shows when its largest relevant cycle spans at least this many points.
    static constexpr double kEcartMin = 2.0;
    // The band at the top of the strip where titles stand.
    static constexpr double kBandeDesTitres = 15.0;

    explicit GUIRulerViewLine(QWidget* parent = nullptr);

    GUIRulerUnit* firstDislpayedTitlesUnit() const { return firstDislpayedTitlesUnit_; }
    int cyclePrinted() const { return cyclePrinted_; }
    int cycleDisplayed() const { return cycleDisplayed_; }
    double enlargeFactor() const { return enlargeFactor_; }

    // What the last drawing drew, y-up (for the tests and the curious).
    struct Trait {
        double x = 0;
        double longueur = 0;
    };
    struct Titre {
        QRectF rect;
        QString texte;
    };
    const std::vector<Trait>& traits() const { return traits_; }
    const std::vector<Titre>& titres() const { return titres_; }
    // How many times units were chosen since the view was made.
    int choix() const { return choix_; }
    // The relative range the last drawing asked marks for.
    std::pair<double, double> derniereEtendue() const { return etendue_; }

    void chooseDisplayedUnits() override;

protected:
    QRectF drawRuler(QPainter& painter, const QRectF& rect) override;

private:
    GUIRulerUnit* firstDislpayedTitlesUnit_ = nullptr;
    int cyclePrinted_ = 1;
    int cycleDisplayed_ = 1;
    std::vector<Trait> traits_;
    std::vector<Titre> titres_;
    int choix_ = 0;
    std::pair<double, double> etendue_{0, 0};
};

} // namespace tallomer
