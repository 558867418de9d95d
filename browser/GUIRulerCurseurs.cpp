// The Recall and Search views of a browser date strip: their drawing, their parts under the
// mouse, their drags by modifier, their wheel and steps, and their menus.

#include "browser/GUIRulerCurseurView.h"

#include "engine/KELICurseur.h"
#include "platform/Events.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

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

} // namespace

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
    calculerGeometrie();
    if (!rulerView_)
        return;
    const Pinceau c{painter, *rulerView_};
    const GUIRulerRessources& k = couleurs();
    const double H = h_;
    const QRectF ligne(xNow_ - 0.5, 0, 1, H - 3);
    const QRectF poigneeDebut(xIn_ - 3, 0, 6, H), ligneDebut(xIn_ - 0.5, 0, 1, H - 3);
    const QRectF poigneeFin(xOut_ - 3, 0, 6, H), ligneFin(xOut_ - 0.5, 0, 1, H - 3);
    if (!siActif()) {
        c.remplir(passeRect_, unselectedPasseColor_);
        c.remplir(futurRect_, unselectedFuturColor_);
        c.remplir(QRectF(xNow_, 0, 0.5, H), Qt::darkGray);
        return;
    }
    switch (clickPositionForDisplay_) {
    case kDebut:
        c.remplir(passeRect_, Qt::white);
        c.tracer(beginRect_, Qt::white, 2);
        c.remplir(poigneeDebut, Qt::white);
        c.remplir(ligneDebut, Qt::black);
        c.remplir(futurRect_, k.futurActifColor);
        break;
    case kFin:
        c.remplir(passeRect_, k.passeActifColor);
        c.remplir(futurRect_, Qt::white);
        c.tracer(endRect_, Qt::white, 2);
        c.remplir(poigneeFin, Qt::white);
        c.remplir(ligneFin, Qt::black);
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
    c.remplir(ligne, k.curseurColor);
}

void GUIRulerCurseurRecall::mouseDown(QMouseEvent* event)
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
    siInitieDeplacement_ = delegate_->userInitieDeplacementCurseur();
    if (!siInitieDeplacement_)
        return;
    siMouseDragged_ = false;
    clickPositionForDisplay_ = clickPosition_ == kCurseur ? kRien : clickPosition_;
    if (clickPosition_ == kCurseur)
        rulerView_->assignForegroundColor(couleurs().rulerTexteActifColor);
    delegate_->displayRuler();
    redessiner();
    devenirProprietaire();
}

void GUIRulerCurseurRecall::mouseUp(QMouseEvent* event)
{
    if (!siProprietaire() && passerAuProprietaire(event, true))
        return;
    if (!siInitieDeplacement_)
        return;
    siInitieDeplacement_ = false;
    if (clickPosition_ == kCurseur)
        rulerView_->assignForegroundColor(couleurs().rulerTexteColor);
    if (delegate_)
        delegate_->userTermineDeplacementCurseur();
    redessiner();
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
    if (!siMouseDragged_) {
        siMouseDragged_ = true;
        commencerLeGlisser(event);
        clickPositionForDisplay_ = kFenetre;
    }
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

QMenu* GUIRulerCurseurRecall::menuForEvent(QMouseEvent* event)
{
    if (!siActif())
        return nullptr;
    logFormat("GUIRulerCurseurRecall menuForEvent:");
    QMenu* menu = nullptr;
    switch (clickPositionForEvent(event)) {
    case kFenetre:
    case kCurseur:
    case kCurseurHaut:
        clickPositionForDisplay_ = kFenetre;
        menu = menuContexte_.get();
        break;
    case kFin:
    case kFutur:
        clickPositionForDisplay_ = kFin;
        menu = menuContexteOut_.get();
        break;
    case kDebut:
    case kPasse:
        clickPositionForDisplay_ = kDebut;
        menu = menuContexteIn_.get();
        break;
    default:
        break;
    }
    redessiner();
    return menu;
}

void GUIRulerCurseurRecall::scrollWheel(QWheelEvent* event)
{
    if (!siActif() || rulerView_->siSrollWheelStart()) {
        rulerView_->scrollWheel(event);
        return;
    }
    if (siInitieDeplacement_)
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

void GUIRulerCurseurRecall::updateContexteIn(double s)
{
    if (s == 0 || !delegate_ || !curseur_)
        return;
    const double W = curseur_->nowOut() - curseur_->nowIn();
    const double S = spanDuRuler();
    const double k = W > 0 ? S / W : 0.0;
    const ZEVDecalage g = avec(lectureModificateurs()(), keys::kOptionFlag)
                              ? glisser(s)
                              : reechelonner(ZEVBord::In, s, -k * s, curseur_->nowIn() - debutDuRuler(), S);
    suivreRuler(g.in, g.out);
    delegate_->userPlaceContexteIn(s);
}

void GUIRulerCurseurRecall::updateContexteOut(double s)
{
    if (s == 0 || !delegate_ || !curseur_)
        return;
    const double W = curseur_->nowOut() - curseur_->nowIn();
    const double S = spanDuRuler();
    const double k = W > 0 ? S / W : 0.0;
    const ZEVDecalage g = avec(lectureModificateurs()(), keys::kOptionFlag)
                              ? glisser(s)
                              : reechelonner(ZEVBord::Out, s, k * s, curseur_->nowIn() - debutDuRuler(), S);
    suivreRuler(g.in, g.out);
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
    calculerGeometrie();
    if (!rulerView_)
        return;
    const Pinceau c{painter, *rulerView_};
    const GUIRulerRessources& k = couleurs();
    const double H = h_;
    const QRectF ligne(xNow_ - 0.5, 0, 1, H - 3);
    const QRectF poigneeDebut(xIn_ - 3, 0, 6, H), ligneDebut(xIn_ - 0.5, 0, 1, H - 3);
    if (!siActif()) {
        c.remplir(passeRect_, Qt::gray);
        c.remplir(curseurRect_, Qt::gray);
        return;
    }
    switch (clickPositionForDisplay_) {
    case kRien:
        c.remplir(passeRect_, k.passeActifColor);
        c.tracer(beginRect_, k.passeActifColor, 2);
        break;
    case kDebut:
        c.remplir(passeRect_, Qt::white);
        c.tracer(beginRect_, Qt::white, 2);
        c.remplir(poigneeDebut, Qt::white);
        c.remplir(ligneDebut, Qt::black);
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
    c.remplir(ligne, k.curseurColor);
}

void GUIRulerCurseurSearch::mouseDown(QMouseEvent* event)
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
    clickPositionForDisplay_ = clickPosition_;
    delegate_->displayRuler();
    redessiner();
    devenirProprietaire();
}

void GUIRulerCurseurSearch::mouseUp(QMouseEvent* event)
{
    if (!siProprietaire() && passerAuProprietaire(event, true))
        return;
    if (!siInitieDeplacement_)
        return;
    siInitieDeplacement_ = false;
    if (delegate_)
        delegate_->userTermineDeplacementCurseur();
    redessiner();
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
    if (!siMouseDragged_) {
        siMouseDragged_ = true;
        commencerLeGlisser(event);
        clickPositionForDisplay_ = kCurseur;
    }
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

QMenu* GUIRulerCurseurSearch::menuForEvent(QMouseEvent* event)
{
    if (!siActif())
        return nullptr;
    logFormat("GUIRulerCurseurSearch menuForEvent:");
    QMenu* menu = nullptr;
    switch (clickPositionForEvent(event)) {
    case kDebut:
        menu = menuContexteIn_.get();
        break;
    case kFenetre:
        clickPositionForDisplay_ = kDebut;
        menu = menuContexteIn_.get();
        break;
    default:
        break;
    }
    redessiner();
    return menu;
}

void GUIRulerCurseurSearch::scrollWheel(QWheelEvent* event)
{
    if (!siActif() || rulerView_->siSrollWheelStart()) {
        rulerView_->scrollWheel(event);
        return;
    }
    if (siInitieDeplacement_)
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
