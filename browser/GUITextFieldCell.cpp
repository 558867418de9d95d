#include "browser/GUITextFieldCell.h"

#include "browser/GUIWidgets.h"
#include "engine/KELElements.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Clock.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPainter>

#include <cmath>

namespace tallomer {

std::optional<std::pair<double, double>> GUIIntervalle::partDansLaTranche() const
{
    const bool a = inDedans(), b = outDedans();
    if (a && b)
        return std::pair{posIn, posOut};
    if (a)
        return std::pair{posIn, fin};
    if (b)
        return std::pair{debut, posOut};
    if (posIn < debut && posOut >= fin)
        return std::pair{debut, fin};
    return std::nullopt;
}

std::optional<GUIIntervalle> guiMapper(KELDate in, KELDate out, KELDate contexteIn, double duree,
                                       double largeurTotale, double decalage, double largeur, bool minimum)
{
    if (!(duree > 0) || !std::isfinite(duree) || !std::isfinite(contexteIn) || std::isnan(in) || std::isnan(out))
        return std::nullopt;
    const double k = largeurTotale / duree;
    GUIIntervalle iv;
    iv.posIn = (in - contexteIn) * k;
    iv.posOut = (out - contexteIn) * k;
    if (minimum && iv.posOut - iv.posIn < 0.5)
        iv.posOut = iv.posIn + 0.5;
    iv.debut = decalage;
    iv.fin = decalage + largeur;
    return iv;
}

GUIMarques guiMarquesPour(KELSelCtrl* ctrl, KELI* lien, const KELSelIdRef& hl, const KELSelIdRef& bd)
{
    const GUICouleurs& c = GUICouleurs::table();
    GUIMarques m;
    m.texte = c.TexteCouleurBlack;
    if (!lien)
        return m;
    if (dynamic_cast<KELSelCtrlModel*>(ctrl)) {
        m.presence = c.CouleurLienM;
        m.hlFocus = hl && ctrl->siChoisit(lien, hl);
        m.hl = hl && ctrl->siAttache(lien, hl);
        m.bdFocus = bd && ctrl->siChoisit(lien, bd);
        m.bd = bd && ctrl->siAttache(lien, bd);
        if (lien->enfantInt() == kel::kModelMot || lien->enfantInt() == kel::kModelNombre ||
            dynamic_cast<KELIModelBase*>(lien))
            m.texte = c.TexteCouleurRedDark;
        if (lien->idInt() == kel::kModelDesRelations || lien->relationInt() == kel::kRelRelationsMC)
            m.italique = true;
        if (lien->idInt() == kel::kModelDesModels)
            m.texte = c.TexteCouleurModel;
    } else {
        m.presence = c.CouleurLienR;
        m.italique = true;
        if (ctrl) {
            m.hl = hl && ctrl->siChoisit(lien, hl);
            m.gras = hl && ctrl->siAttache(lien, hl);
            m.bd = bd && ctrl->siChoisit(lien, bd);
        }
    }
    if (lien->kelClasse() == "KELIElemRelationMC")
        m.texte = c.TexteCouleurDarkGray;
    return m;
}

GUITextFieldCell::GUITextFieldCell(Sorte sorte, QObject* parent) : QStyledItemDelegate(parent), sorte_(sorte)
{
    setCellHauteur(18);
}

QString GUITextFieldCell::familleHelvetica()
{
    static const QString famille = [] {
        const QFont f(QStringLiteral("Helvetica"));
        if (QFontInfo(f).family().compare(QLatin1String("Helvetica"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("Helvetica");
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    return famille;
}

void GUITextFieldCell::setCellHauteur(double h)
{
    if (h == cellHauteur_)
        return;
    cellHauteur_ = h;
    const double taille = std::max(1.0, h - 6);
    for (int i = 0; i < 4; ++i) {
        QFont f(familleHelvetica());
        f.setPointSizeF(taille);
        f.setBold(i & 1);
        f.setItalic(i & 2);
        fonts_[i] = f;
    }
    yCorrection_ = (h - (h - 6)) / 2 - 2;
}

const QFont& GUITextFieldCell::font(bool gras, bool italique) const { return fonts_[(gras ? 1 : 0) | (italique ? 2 : 0)]; }

void GUITextFieldCell::dessinerMarques(QPainter* p, const QRectF& r, const GUIIntervalle& iv, const GUIMarques& m,
                                       double dx) const
{
    const GUICouleurs& c = GUICouleurs::table();
    auto highlight = [&](const QColor& col) {
        p->fillRect(QRectF(r.left(), r.top() + 2, r.width(), 2), col);
        p->fillRect(QRectF(r.left(), r.bottom() - 4, r.width(), 2), col);
        if (auto part = iv.partDansLaTranche())
            p->fillRect(QRectF(part->first + dx, r.top() + 1, part->second - part->first, r.height() - 2), col);
    };
    auto outline = [&](const QColor& col) {
        const auto part = iv.partDansLaTranche();
        if (!part)
            return;
        const double y0 = r.top() + 2, y1 = r.bottom() - 2;
        double gauche = part->first + dx, droite = part->second + dx;
        if (iv.outDedans() && iv.posOut >= iv.fin)
            droite -= 1;
        if (iv.inDedans())
            p->fillRect(QRectF(gauche, y0, 1, y1 - y0), col);
        if (iv.outDedans())
            p->fillRect(QRectF(std::max(gauche, droite - 1), y0, 1, y1 - y0), col);
        p->fillRect(QRectF(gauche, y0, droite - gauche, 1), col);
        p->fillRect(QRectF(gauche, y1 - 1, droite - gauche, 1), col);
    };
    if (m.hl)
        highlight(c.SelectionCouleurHl);
    if (m.hlFocus)
        highlight(c.SelectionCouleurHlFocus);
    if (m.bd)
        outline(c.SelectionCouleurBd);
    if (m.bdFocus)
        outline(c.SelectionCouleurBdFocus);
}

void GUITextFieldCell::dessinerLego(QPainter* p, const QRectF& r, const GUIIntervalle& iv, double dx) const
{
    const GUICouleurs& c = GUICouleurs::table();
    const auto part = iv.partDansLaTranche();
    if (!part)
        return;
    const double gauche = part->first + dx, droite = part->second + dx;
    p->fillRect(QRectF(gauche + 1, r.top() + 5, std::max(0.0, droite - gauche - 1), r.height() - 10), c.LegoCouleur);
    p->fillRect(QRectF(gauche, r.top() + 4, droite - gauche, 1), c.LegoCouleurBordClair);
    p->fillRect(QRectF(gauche + 1, r.bottom() - 4, std::max(0.0, droite - gauche - 1), 1), c.LegoCouleurBordFonce);
    if (iv.inDedans())
        p->fillRect(QRectF(gauche, r.top() + 4, 1, r.height() - 8), c.LegoCouleurBordClair);
    if (iv.outDedans())
        p->fillRect(QRectF(droite - 1, r.top() + 5, 1, r.height() - 9), c.LegoCouleurBordFonce);
}

void GUITextFieldCell::dessinerMarqueur(QPainter* p, const QRectF& r, KELDate t, double y0, double y1,
                                        const QColor& c, KELDate contexteIn, double duree, double dx) const
{
    const double x = (t - contexteIn) * largeurTotale_ / duree;
    if (x >= decalage_ && x < decalage_ + largeur_)
        p->fillRect(QRectF(x + dx, y0, 1, y1 - y0), c);
    (void)r;
}

void GUITextFieldCell::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const GUICouleurs& c = GUICouleurs::table();
    auto* lien = reinterpret_cast<KELI*>(index.data(kRoleLien).value<quintptr>());
    const GUIMarques m = guiMarquesPour(selCtrl_, lien, selIdHl_, selIdBd_);
    const QRectF r = QRectF(option.rect).adjusted(-1, -1, 1, 0);
    // Axis coordinates to the view's: the cell's left edge stands at the slice's start.
    const double dx = option.rect.left() - decalage_;

    painter->save();
    painter->fillRect(r, c.CouleurFond);
    if (lien && curseur_) {
        const KELDate cin = curseur_->nowIn();
        const double duree = curseur_->nowOut() - cin;
        const bool minimum = sorte_ == Sorte::Ordinaire;
        if (auto iv = guiMapper(lien->inDate(), lien->outDate(), cin, duree, largeurTotale_, decalage_, largeur_,
                                minimum)) {
            if (auto part = iv->partDansLaTranche())
                painter->fillRect(QRectF(part->first + dx, r.top(), part->second - part->first, r.height()),
                                  m.presence);
            dessinerMarques(painter, r, *iv, m, dx);
            KELICc* contexte = nullptr;
            KELDate marqueIn = curseur_->now();
            KELDate marqueUp = KELServeurDeLiens::CurseurGlobal() ? KELServeurDeLiens::CurseurGlobal()->now() : 0;
            bool marqueurs = true;
            if (sorte_ == Sorte::Contexte) {
                if (auto* e = dynamic_cast<KELIElemContexte*>(lien))
                    contexte = e->lienContexte();
                marqueUp = curseur_->now();
                marqueurs = contexte && contexte->curseur();
                if (contexte)
                    marqueIn = contexte->now();
            } else if (sorte_ == Sorte::Curseur) {
                if (auto* e = dynamic_cast<KELIElemCurseur*>(lien)) {
                    if (auto* ec = dynamic_cast<KELIElemContexte*>(e->elemContexte()))
                        contexte = ec->lienContexte();
                    if (e->lienCurseur())
                        marqueIn = e->lienCurseur()->now();
                }
            }
            if (contexte)
                if (auto lego = guiMapper(contexte->nowIn(), contexte->nowOut(), cin, duree, largeurTotale_, decalage_,
                                          largeur_, false))
                    dessinerLego(painter, r, *lego, dx);
            if (marqueurs) {
                dessinerMarqueur(painter, r, marqueUp, r.top() + 2, r.top() + r.height() / 2 - 1, c.MarkerCouleurUp,
                                 cin, duree, dx);
                dessinerMarqueur(painter, r, Clock::shared().now(), r.top() + r.height() / 2 + 2, r.bottom() - 2,
                                 c.MarkerCouleurDown, cin, duree, dx);
                dessinerMarqueur(painter, r, marqueIn, r.top() - 1, r.bottom() + 1, c.MarkerCouleurIn, cin, duree, dx);
            }
        }
    }
    painter->setPen(m.texte);
    painter->setFont(font(m.gras, m.italique));
    const QRectF texte = QRectF(option.rect).adjusted(3, yCorrection_, -2, yCorrection_);
    const QString t = index.data(Qt::DisplayRole).toString();
    painter->drawText(texte, Qt::AlignLeft | Qt::AlignVCenter,
                      painter->fontMetrics().elidedText(t, Qt::ElideRight, int(texte.width())));
    painter->restore();
}

} // namespace tallomer
