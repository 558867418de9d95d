// The Recall and Search views of a browser date strip: the press, release and secondary press
// they share; their drawing, their parts under the mouse, their drags by modifier, their wheel and
// steps, and their menus.

#include "browser/GUIRulerCurseurView.h"

#include "engine/KELICurseur.h"
#include "platform/Events.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "platform/SystemColours.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <optional>

namespace tallomer {

namespace {

const GUIRulerRessources& couleurs() { return GUIRulerRessources::partagees(); }

bool avec(Qt::KeyboardModifiers m, std::uint32_t flag) { return events::hasFlag(events::modifierFlags(m), flag); }

// Fills and strokes in the strip's y-up rects.
struct Pinceau {
    QPainter& p;
    const GUIRulerView& vue;
    void remplir(const QRectF& r, const QColor& c) const
    {
        if (!r.isNull())
            p.fillRect(vue.versQt(r), c);
    }
    void tracer(const QRectF& r, const QColor& c, double largeur = 1) const
    {
        if (r.isNull())
            return;
        p.save();
        p.setPen(QPen(c, largeur));
        p.setBrush(Qt::NoBrush);
        p.drawRect(vue.versQt(r));
        p.restore();
    }
};

// An edge's handle, and the line of an edge or of the cursor, which stops short of the top.
QRectF poignee(double x, double h) { return QRectF(x - 3, 0, 6, h); }
QRectF ligneEn(double x, double h) { return QRectF(x - 0.5, 0, 1, h - 3); }

// The brush of a view's drawing, its geometry made fresh; none without a strip to draw on.
std::optional<Pinceau> pinceauDe(GUIRulerCurseurView& vue, QPainter& painter)
{
    vue.calculerGeometrie();
    if (!vue.rulerView())
        return std::nullopt;
    return Pinceau{painter, *vue.rulerView()};
}

// A grabbed edge: its band and grip white around the edge's black line.
void peindreBordSaisi(const Pinceau& c, const QRectF& bande, const QRectF& bord, const QRectF& poigneeDuBord,
                      const QRectF& ligneDuBord)
{
    c.remplir(bande, Qt::white);
    c.tracer(bord, Qt::white, 2);
    c.remplir(poigneeDuBord, Qt::white);
    c.remplir(ligneDuBord, Qt::black);
}

} // namespace

// =============================================================================================
// Both

void GUIRulerCurseurView::mouseDown(QMouseEvent* event)
{
    clickPosition_ = clickPositionForEvent(event);
    siBouger_ = false;
    if (siInitieSrollWheel_) {
        clickPosition_ = kRien;
        return;
    }
    if (clickPosition_ == kRien) {
        rulerView_->mouseDown(event);
        return;
    }
    if (!delegate_ || !delegate_->siAccepteDeplacement())
        return;
    delegate_->userChangeActifCurseur(curseur_);
    rulerView_->setFocus(Qt::MouseFocusReason);
    // Only a granted move is this view's to end.
    siInitieDeplacement_ = delegate_->userInitieDeplacementCurseur();
    if (!siInitieDeplacement_)
        return;
    siMouseDragged_ = false;
    marquerLaSaisie();
    delegate_->displayRuler();
    redessiner();
    devenirProprietaire();
}

void GUIRulerCurseurView::mouseUp(QMouseEvent* event)
{
    if (!siProprietaire() && passerAuProprietaire(event, true))
        return;
    if (!siInitieDeplacement_)
        return;
    siInitieDeplacement_ = false;
    relacherLaSaisie();
    if (delegate_)
        delegate_->userTermineDeplacementCurseur();
    redessiner();
}

QMenu* GUIRulerCurseurView::menuForEvent(QMouseEvent* event)
{
    if (!siActif())
        return nullptr;
    QMenu* menu = menuPourPartie(clickPositionForEvent(event));
    redessiner();
    return menu;
}

bool GUIRulerCurseurView::siRoueAilleurs(QWheelEvent* event)
{
    if (!siActif() || rulerView_->siSrollWheelStart()) {
        rulerView_->scrollWheel(event);
        return true;
    }
    return siInitieDeplacement_;
}

// =============================================================================================
// Recall

GUIRulerCurseurRecall::GUIRulerCurseurRecall(KELICurseur* curseur, GUIRulerView* rulerView,
                                             GUIRulerViewerDelegate* delegate)
    : GUIRulerCurseurView(curseur, rulerView, delegate)
{
}

int GUIRulerCurseurRecall::clickPositionForPoint(QPointF p) const
{
    if (curseurRect_.contains(p))
        return p.y() <= kBande ? kCurseur : kCurseurHaut;
    if (beginRect_.contains(p))
        return kDebut;
    if (endRect_.contains(p))
        return kFin;
    if (passeRect_.contains(p))
        return kPasse;
    if (futurRect_.contains(p))
        return kFutur;
    return kRien;
}

void GUIRulerCurseurRecall::drawCurseurViewInCGContext(QPainter& painter)
{
    const std::optional<Pinceau> pinceau = pinceauDe(*this, painter);
    if (!pinceau)
        return;
    const Pinceau& c = *pinceau;
    const GUIRulerRessources& k = couleurs();
    const double H = h_;
    const QRectF poigneeDebut = poignee(xIn_, H), ligneDebut = ligneEn(xIn_, H);
    const QRectF poigneeFin = poignee(xOut_, H), ligneFin = ligneEn(xOut_, H);
    if (!siActif()) {
        c.remplir(passeRect_, unselectedPasseColor_);
        c.remplir(futurRect_, unselectedFuturColor_);
        c.remplir(QRectF(xNow_, 0, 0.5, H), systemDarkGrey());
        return;
    }
    switch (clickPositionForDisplay_) {
    case kDebut:
        peindreBordSaisi(c, passeRect_, beginRect_, poigneeDebut, ligneDebut);
        c.remplir(futurRect_, k.futurActifColor);
        break;
    case kFin:
        c.remplir(passeRect_, k.passeActifColor);
        peindreBordSaisi(c, futurRect_, endRect_, poigneeFin, ligneFin);
        break;
    case kPasse:
    case kFutur:
    case kFenetre:
        c.remplir(passeRect_, Qt::white);
        c.remplir(poigneeDebut, Qt::white);
        c.remplir(futurRect_, Qt::white);
        c.remplir(poigneeFin, Qt::white);
        c.remplir(ligneDebut, Qt::black);
        c.remplir(ligneFin, Qt::black);
        break;
    case kCurseur:
        c.remplir(passeRect_, k.passeActifColor);
        c.remplir(poigneeDebut, k.passeActifColor);
        c.remplir(futurRect_, k.futurActifColor);
        c.remplir(poigneeFin, k.futurActifColor);
        c.remplir(ligneDebut, Qt::black);
        c.remplir(ligneFin, Qt::black);
        c.remplir(curseurRect_, k.presentActifColor);
        break;
    case kCurseurHaut:
        c.remplir(passeRect_, k.passeActifColor);
        c.remplir(futurRect_, k.futurActifColor);
        c.remplir(curseurRect_, k.presentActifColor);
        break;
    default:
        c.remplir(passeRect_, k.passeActifColor);
        c.tracer(passeRect_, k.passeActifColor);
        c.tracer(beginRect_, k.passeActifColor, 2);
        c.remplir(futurRect_, k.futurActifColor);
        c.tracer(endRect_, k.futurActifColor, 2);
        break;
    }
    c.remplir(ligneEn(xNow_, H), k.curseurColor);
}

void GUIRulerCurseurRecall::marquerLaSaisie()
{
    clickPositionForDisplay_ = clickPosition_ == kCurseur ? kRien : clickPosition_;
    if (clickPosition_ == kCurseur)
        rulerView_->assignForegroundColor(couleurs().rulerTexteActifColor);
}

void GUIRulerCurseurRecall::relacherLaSaisie()
{
    if (clickPosition_ == kCurseur)
        rulerView_->assignForegroundColor(couleurs().rulerTexteColor);
}

void GUIRulerCurseurRecall::mouseDragged(QMouseEvent* event)
{
    if (!siProprietaire() && passerAuProprietaire(event, false))
        return;
    if (!siInitieDeplacement_ || !delegate_)
        return;
    const double d = deltaT(event);
    switch (clickPosition_) {
    case kDebut:
        delegate_->userPlaceContexteIn(d);
        break;
    case kFin:
        delegate_->userPlaceContexteOut(d);
        break;
    case kPasse:
    case kFutur:
        draggCurseurWithEvent(event);
        break;
    case kCurseur:
        delegate_->userPlaceRulerOffsetIn(-d, -d);
        break;
    case kCurseurHaut: {
        const double e = limiteParLeParent(d);
        arreterBouger();
        delegate_->userPlaceCurseurDansContexteFixe(e);
        break;
    }
    default:
        break;
    }
    delegate_->displayRuler();
    stockerLocation(event);
    redessiner();
}

void GUIRulerCurseurRecall::draggCurseurWithEvent(QMouseEvent* event)
{
    if (!delegate_)
        return;
    commencerLeGlisser(event, kFenetre);
    const double dx = premiereLocation_.x() - event->globalPosition().x();
    const double d = deltaT(event);
    const Qt::KeyboardModifiers m = event->modifiers();
    if (avec(m, keys::kCommandFlag)) {
        siBouger_ = true;
        clickPositionForDisplay_ = kCurseur;
        delegate_->userBougeCurseurEtRulerOffset(dx);
        return;
    }
    arreterBouger();
    if (avec(m, keys::kShiftFlag)) {
        clickPositionForDisplay_ = kCurseur;
        delegate_->userPlaceCurseur(limiteParLeParent(d));
    } else if (avec(m, keys::kOptionFlag)) {
        delegate_->userPlaceContexte(d);
    } else {
        delegate_->userPlaceContexteEtRulerOffset(d);
    }
    delegate_->displayRuler();
    stockerLocation(event);
}

QMenu* GUIRulerCurseurRecall::menuPourPartie(int code)
{
    logFormat("GUIRulerCurseurRecall menuForEvent:");
    switch (code) {
    case kFenetre:
    case kCurseur:
    case kCurseurHaut:
        clickPositionForDisplay_ = kFenetre;
        return menuContexte_.get();
    case kFin:
    case kFutur:
        clickPositionForDisplay_ = kFin;
        return menuContexteOut_.get();
    case kDebut:
    case kPasse:
        clickPositionForDisplay_ = kDebut;
        return menuContexteIn_.get();
    default:
        return nullptr;
    }
}

void GUIRulerCurseurRecall::scrollWheel(QWheelEvent* event)
{
    if (siRoueAilleurs(event))
        return;
    const Roue r = roue(event);
    if (siInitieSrollWheel_) {
        if (clickPositionForDisplay_ == kFenetre)
            scrollWheelContexteWithEvent(event);
        else if (clickPositionForDisplay_ == kFin)
            scrollWheelContexteOutWithEvent(event);
        else if (clickPositionForDisplay_ == kDebut)
            scrollWheelContexteInWithEvent(event);
        return;
    }
    calculerGeometrie();
    const bool commande = events::hasFlag(r.flags, keys::kCommandFlag);
    if (beginRect_.contains(r.point))
        scrollWheelContexteInWithEvent(event);
    else if (endRect_.contains(r.point))
        scrollWheelContexteOutWithEvent(event);
    else if (curseurRect_.contains(r.point))
        scrollWheelContexteWithEvent(event);
    else if (futurRect_.contains(r.point))
        commande ? scrollWheelContexteWithEvent(event) : scrollWheelContexteOutWithEvent(event);
    else if (passeRect_.contains(r.point))
        commande ? scrollWheelContexteWithEvent(event) : scrollWheelContexteInWithEvent(event);
    else
        rulerView_->scrollWheel(event);
}

void GUIRulerCurseurRecall::scrollWheelWithEvent(QWheelEvent* event)
{
    const std::uint32_t f = events::modifierFlags(event->modifiers());
    if (events::hasFlag(f, keys::kCommandFlag))
        scrollWheelContexteWithEvent(event);
    else if (events::hasFlag(f, keys::kShiftFlag))
        scrollWheelContexteOutWithEvent(event);
    else
        scrollWheelContexteInWithEvent(event);
}

void GUIRulerCurseurRecall::menuZoomNow()
{
    clickPositionForDisplay_ = kCurseur;
    KELICurseur* tl = delegate_ ? delegate_->tlCurseur() : nullptr;
    if (tl)
        delegate_->userAnimeCurseurEtRulerToDate(tl->now());
}

void GUIRulerCurseurRecall::bougerCurseurAGauche()
{
    clickPositionForDisplay_ = kCurseur;
    if (delegate_)
        delegate_->placeCurseurEtRulerOffset(limiteParLeParent(-kPas * ratio()));
}

void GUIRulerCurseurRecall::bougerCurseurADroite()
{
    clickPositionForDisplay_ = kCurseur;
    if (delegate_)
        delegate_->placeCurseurEtRulerOffset(kPas * ratio());
}

void GUIRulerCurseurRecall::agrandirContexte()
{
    if (avec(lectureModificateurs()(), keys::kShiftFlag)) {
        clickPositionForDisplay_ = kFin;
        agrandirContexteOut();
    } else {
        clickPositionForDisplay_ = kDebut;
        agrandirContexteIn();
    }
}

void GUIRulerCurseurRecall::diminuerContexte()
{
    if (avec(lectureModificateurs()(), keys::kShiftFlag)) {
        clickPositionForDisplay_ = kFin;
        diminuerContexteOut();
    } else {
        clickPositionForDisplay_ = kDebut;
        diminuerContexteIn();
    }
}

void GUIRulerCurseurRecall::diminuerContexteIn()
{
    double pas = kPas * ratio();
    const double offsetIn = contexte_ ? contexte_->offsetIn() : 0.0;
    // The start edge never passes the cursor: it stops a tenth of a second before it.
    if (offsetIn + pas > 0)
        pas = -0.1 - offsetIn;
    updateContexteIn(pas);
}

void GUIRulerCurseurRecall::updateContexte(ZEVBord bord, double s)
{
    if (s == 0 || !delegate_ || !curseur_)
        return;
    const double W = curseur_->nowOut() - curseur_->nowIn();
    const double S = spanDuRuler();
    const double k = W > 0 ? S / W : 0.0;
    // The ruler's change keeps the window's place: against the move for the start edge.
    const double r = bord == ZEVBord::In ? -k * s : k * s;
    const ZEVDecalage g = avec(lectureModificateurs()(), keys::kOptionFlag)
                              ? glisser(s)
                              : reechelonner(bord, s, r, curseur_->nowIn() - debutDuRuler(), S);
    suivreRuler(g.in, g.out);
    if (bord == ZEVBord::In)
        delegate_->userPlaceContexteIn(s);
    else
        delegate_->userPlaceContexteOut(s);
}

// =============================================================================================
// Search

GUIRulerCurseurSearch::GUIRulerCurseurSearch(KELICurseur* curseur, GUIRulerView* rulerView,
                                             GUIRulerViewerDelegate* delegate)
    : GUIRulerCurseurView(curseur, rulerView, delegate)
{
}

int GUIRulerCurseurSearch::clickPositionForPoint(QPointF p) const
{
    if (curseurRect_.contains(p))
        return kCurseur;
    if (beginRect_.contains(p))
        return kDebut;
    if (passeRect_.contains(p))
        return kFenetre;
    return kRien;
}

void GUIRulerCurseurSearch::drawCurseurViewInCGContext(QPainter& painter)
{
    const std::optional<Pinceau> pinceau = pinceauDe(*this, painter);
    if (!pinceau)
        return;
    const Pinceau& c = *pinceau;
    const GUIRulerRessources& k = couleurs();
    const double H = h_;
    const QRectF poigneeDebut = poignee(xIn_, H), ligneDebut = ligneEn(xIn_, H);
    if (!siActif()) {
        c.remplir(passeRect_, systemGrey());
        c.remplir(curseurRect_, systemGrey());
        return;
    }
    switch (clickPositionForDisplay_) {
    case kRien:
        c.remplir(passeRect_, k.passeActifColor);
        c.tracer(beginRect_, k.passeActifColor, 2);
        break;
    case kDebut:
        peindreBordSaisi(c, passeRect_, beginRect_, poigneeDebut, ligneDebut);
        break;
    case kFenetre:
    case kCurseur:
        c.remplir(passeRect_, k.passeActifColor);
        c.remplir(poigneeDebut, k.presentActifColor);
        c.remplir(curseurRect_, k.presentActifColor);
        c.remplir(ligneDebut, Qt::black);
        break;
    default:
        return;
    }
    c.remplir(ligneEn(xNow_, H), k.curseurColor);
}

void GUIRulerCurseurSearch::mouseDragged(QMouseEvent* event)
{
    if (!siProprietaire() && passerAuProprietaire(event, false))
        return;
    if (!siInitieDeplacement_ || !delegate_)
        return;
    if (clickPosition_ == kFenetre || clickPosition_ == kCurseur) {
        draggCurseurWithEvent(event);
    } else if (clickPosition_ == kDebut) {
        delegate_->userPlaceContexteIn(deltaT(event));
        delegate_->displayRuler();
        stockerLocation(event);
    }
    redessiner();
}

void GUIRulerCurseurSearch::draggCurseurWithEvent(QMouseEvent* event)
{
    if (!delegate_)
        return;
    commencerLeGlisser(event, kCurseur);
    const double dx = premiereLocation_.x() - event->globalPosition().x();
    const double d = deltaT(event);
    const Qt::KeyboardModifiers m = event->modifiers();
    if (avec(m, keys::kCommandFlag)) {
        siBouger_ = true;
        if (avec(m, keys::kOptionFlag))
            delegate_->userBougeCurseurEtRulerOffset(dx);
        else
            delegate_->userBougeCurseur(float(dx));
        return;
    }
    arreterBouger();
    // Alt is read before Shift here.
    if (avec(m, keys::kOptionFlag))
        delegate_->placeCurseurEtRulerOffset(d);
    else if (avec(m, keys::kShiftFlag))
        delegate_->userPlaceCurseur(d / 100);
    else
        delegate_->userPlaceCurseur(d);
    delegate_->displayRuler();
    stockerLocation(event);
}

QMenu* GUIRulerCurseurSearch::menuPourPartie(int code)
{
    logFormat("GUIRulerCurseurSearch menuForEvent:");
    if (code == kFenetre)
        clickPositionForDisplay_ = kDebut;
    return code == kDebut || code == kFenetre ? menuContexteIn_.get() : nullptr;
}

void GUIRulerCurseurSearch::scrollWheel(QWheelEvent* event)
{
    if (siRoueAilleurs(event))
        return;
    calculerGeometrie();
    if (passeRect_.contains(roue(event).point))
        scrollWheelContexteInWithEvent(event);
    else
        rulerView_->scrollWheel(event);
}

void GUIRulerCurseurSearch::scrollWheelContexteInWithEvent(QWheelEvent* event)
{
    if (!curseur_ || !delegate_)
        return;
    const Roue r = roue(event);
    const double d = ratio() * r.dy * 10;
    const double R = spanDuRuler();
    const double W = curseur_->nowOut() - curseur_->nowIn();
    const ZEVPasDeBord p = pasDeBord(ZEVBord::In, d, R, W, curseur_->now() - curseur_->nowIn());
    switch (p.issue) {
    case ZEVPasDeBord::Issue::Zero:
        return;
    case ZEVPasDeBord::Issue::ContexteCourt:
    case ZEVPasDeBord::Issue::Limite:
        scrollWheelStop();
        return;
    case ZEVPasDeBord::Issue::Pas:
        break;
    }
    if (p.coupe)
        Sound::shared().play(QStringLiteral("Tink"));
    if (!commencerRoue())
        return;
    clickPositionForDisplay_ = kDebut;
    if (events::hasFlag(r.flags, keys::kOptionFlag)) {
        const ZEVDecalage g = reechelonner(ZEVBord::In, p.e, p.r, curseur_->nowIn() - debutDuRuler(), R);
        suivreRuler(g.in, g.out);
    }
    delegate_->userPlaceContexteIn(p.e);
    delegate_->displayRuler();
    redessiner();
    rearmer();
}

void GUIRulerCurseurSearch::menuZoomNow()
{
    clickPositionForDisplay_ = kCurseur;
    KELICurseur* tl = delegate_ ? delegate_->tlCurseur() : nullptr;
    if (tl)
        delegate_->userAnimeCurseurToDate(tl->now());
}

void GUIRulerCurseurSearch::menuZoom(ZEVZoomFamille famille, ZEVZoomUnite unite)
{
    if (famille == ZEVZoomFamille::This)
        return;
    GUIRulerCurseurView::menuZoom(famille, unite);
}

void GUIRulerCurseurSearch::bougerCurseurAGauche()
{
    clickPositionForDisplay_ = kCurseur;
    GUIRulerCurseurView::bougerCurseurAGauche();
}

void GUIRulerCurseurSearch::bougerCurseurADroite()
{
    clickPositionForDisplay_ = kCurseur;
    GUIRulerCurseurView::bougerCurseurADroite();
}

void GUIRulerCurseurSearch::agrandirContexte()
{
    clickPositionForDisplay_ = kDebut;
    if (curseur_)
        curseur_->decalerContexteIn(-kPas * ratio());
}

void GUIRulerCurseurSearch::diminuerContexte()
{
    clickPositionForDisplay_ = kDebut;
    if (curseur_)
        curseur_->decalerContexteIn(kPas * ratio());
}

} // namespace tallomer
