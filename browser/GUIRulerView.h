#pragma once
// The view of a browser date ruler along its width, and its line form, the strip a browser column
// lays under its titles. The view moves nothing itself: what it needs of the column it asks its
// viewer delegate. Its drawing formulas are y-up, in the view's points with the bottom edge at 0;
// only the painting turns them into Qt's y-down.

#include "browser/GUIRulerType.h"
#include "runtime/Date.h"

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVariantMap>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QPainter;

namespace tallomer {

class KELSharedResources;

// What the browser's rulers take from the application: its ruler colours and the folder of its
// own files. Set by the running program once its shared resources exist; views read it when made.
struct GUIRulerRessources {
    QColor rulerTexteColor = Qt::black;
    QColor passeColor = QColor::fromRgbF(0.65f, 0.74f, 0.65f);
    QColor futurColor = QColor::fromRgbF(0.65f, 0.65f, 0.74f);
    QString dossier;

    static GUIRulerRessources& partagees();
    static void referencer(const KELSharedResources& resources, const QString& dossier);
};

// A cursor's view drawn over the ruler's background (the Recall and Search cursor views).
class GUIRulerCurseurView {
public:
    virtual ~GUIRulerCurseurView() = default;
    virtual void drawCurseurViewInCGContext(QPainter& painter) = 0;
};

// What a ruler view asks the controller it serves (the browser column).
class GUIRulerViewerDelegate {
public:
    virtual ~GUIRulerViewerDelegate() = default;
    // Seconds per point of the strip.
    virtual double rulerRatio() = 0;
    // The cursor views to draw over the background, none for a column that shows none.
    virtual std::vector<GUIRulerCurseurView*> curseurViews() = 0;
};

class GUIRulerView : public QWidget {
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

protected:
    virtual void chooseDisplayedUnits() {}
    // The rect (y-up) to redraw; answers it.
    virtual QRectF drawRuler(QPainter& painter, const QRectF& rect);
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A y-up rect of the bounds as Qt paints it.
    QRectF versQt(const QRectF& r) const { return QRectF(r.x(), height() - r.y() - r.height(), r.width(), r.height()); }

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
