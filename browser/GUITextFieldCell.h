#pragma once
// The cells of a browser column: behind each row's text, on one time axis that spans the whole
// row across the table's columns, the stretch of time the row's link exists, the selection
// engine's marks (chosen or attached under the window's highlight and border ids) and markers
// for the global cursor's time, the current time and the column cursor's time. Rows of context
// and cursor elements add a raised bar for the context's window.
//
// Dates are mapped in double precision and every stretch is clipped to the column's slice of
// the axis before it is painted, so open ends (plus or minus 2^52 s) and far dates stay finite;
// a cursor window of no length maps nothing.

#include "engine/KELLien.h"
#include "engine/selection/KELSelection.h"

#include <QFont>
#include <QStyledItemDelegate>

#include <optional>

class KELICc;

namespace tallomer {

// One row's interval on the axis, with where its ends fall against the column's slice
// [debut, fin).
struct GUIIntervalle {
    double posIn = 0, posOut = 0;
    double debut = 0, fin = 0;
    bool inDedans() const { return posIn >= debut && posIn < fin; }
    bool outDedans() const { return posOut >= debut && posOut <= fin; }
    bool couvre() const { return posIn < debut && posOut > fin; }
    // The part inside the slice, in axis coordinates; nullopt when none.
    std::optional<std::pair<double, double>> partDansLaTranche() const;
};

// Maps [in, out) of a link onto the axis of a row `largeurTotale` wide that shows the window
// [contexteIn, contexteIn + duree]; the slice starts at `decalage` and is `largeur` wide.
// `minimum`: a stretch shorter than half a point is drawn half a point wide. Nullopt for a window
// of no length (or a date that is no number).
std::optional<GUIIntervalle> guiMapper(KELDate in, KELDate out, KELDate contexteIn, double duree,
                                       double largeurTotale, double decalage, double largeur, bool minimum);

// What a row shows of the selection engine and how its text is set.
struct GUIMarques {
    bool hlFocus = false, hl = false, bdFocus = false, bd = false;
    bool italique = false, gras = false;
    QColor texte;
    QColor presence;
};
// `ctrl` is the column's controller: a model controller or a relation-end controller.
GUIMarques guiMarquesPour(KELSelCtrl* ctrl, KELI* lien, const KELSelIdRef& hl, const KELSelIdRef& bd);

class GUITextFieldCell : public QStyledItemDelegate {
public:
    enum class Sorte { Ordinaire, Contexte, Curseur };
    // The row's link is read from the model's Qt::UserRole (a KELI* as quintptr).
    static constexpr int kRoleLien = Qt::UserRole;

    explicit GUITextFieldCell(Sorte sorte = Sorte::Ordinaire, QObject* parent = nullptr);

    void referencerCurseur(KELICc* c) { curseur_ = c; }
    void referencerSelCtrl(KELSelCtrl* c) { selCtrl_ = c; }
    void referencerSelIds(KELSelIdRef hl, KELSelIdRef bd)
    {
        selIdHl_ = std::move(hl);
        selIdBd_ = std::move(bd);
    }
    void setLargeurTotale(double l) { largeurTotale_ = l; }
    void setLargeur(double l) { largeur_ = l; }
    void setDecalage(double d) { decalage_ = d; }
    void setCellHauteur(double h);
    double decalage() const { return decalage_; }
    double largeur() const { return largeur_; }
    double largeurTotale() const { return largeurTotale_; }
    const QFont& font(bool gras, bool italique) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The font family for "Helvetica": the system's sans where it is missing.
    static QString familleHelvetica();

private:
    void dessinerMarques(QPainter* p, const QRectF& r, const GUIIntervalle& iv, const GUIMarques& m, double dx) const;
    void dessinerLego(QPainter* p, const QRectF& r, const GUIIntervalle& iv, double dx) const;
    void dessinerMarqueur(QPainter* p, const QRectF& r, KELDate t, double y0, double y1, const QColor& c,
                          KELDate contexteIn, double duree, double dx) const;

    Sorte sorte_;
    KELICc* curseur_ = nullptr;   // not owned
    KELSelCtrl* selCtrl_ = nullptr; // not owned
    KELSelIdRef selIdHl_, selIdBd_;
    double largeurTotale_ = 0, largeur_ = 0, decalage_ = 0;
    double cellHauteur_ = 0;
    double yCorrection_ = 1;
    QFont fonts_[4];
};

} // namespace tallomer
