// The date strip of a browser column: laid under the column titles, kept on the cursor's window
// by every reload, and setting the pace of the reloads by its scale.

#include "browser/KELVueDe.h"

#include "browser/GUIRulerCurseurView.h"

#include "engine/KELICurseur.h"

#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace tallomer {

double KELVueDe::intervallePourRatio(double ratio)
{
    if (std::isnan(ratio))
        return 2.0;
    return std::max(0.04, std::min(2.0, std::ceil(ratio * 25) / 25));
}

void KELVueDe::initLaRulerView()
{
    if (rulerViewLine_ || !guiView_)
        return;
    ruler_ = GUIRulerType::rulerWithSpaceName(QStringLiteral("date"), GUIRulerRessources::partagees().dossier);
    if (ruler_ && curseur_)
        ruler_->setInDate(curseur_->nowIn(), curseur_->nowOut());
    if (header_) {
        rulerViewLine_ = new GUIRulerViewLine(header_);
        rulerViewLine_->suivreLaLargeurDe(header_, int(header_->hauteurHeader()), hauteurRuler());
    } else {
        // Without titles the strip takes the first points of the table's place.
        rulerViewLine_ = new GUIRulerViewLine(guiView_);
        rulerViewLine_->setFixedHeight(hauteurRuler());
        if (auto* layout = qobject_cast<QVBoxLayout*>(guiView_->layout()))
            layout->insertWidget(std::max(0, layout->indexOf(table_)), rulerViewLine_);
    }
    rulerViewLine_->setRuler(ruler_);
    rulerViewLine_->setMarkAppearanceSet(QStringLiteral("line"));
    rulerViewLine_->assignForegroundColor(GUIRulerRessources::partagees().rulerTexteColor);
    rulerViewLine_->assignViewerDelegate(this);
    rulerViewLine_->show();
}

void KELVueDe::majLeRuler()
{
    if (!curseur_)
        return;
    const KELDate in = curseur_->nowIn();
    const KELDate out = curseur_->nowOut();
    const double duree = std::ceil((out - in) * 10) / 10;
    if (duree != majRuler_) {
        if (rulerViewLine_)
            rulerViewLine_->rulerDidChange();
        majRuler_ = duree;
    }
    if (ruler_)
        ruler_->setInDate(in, out);
    if (rulerViewLine_)
        rulerViewLine_->update();
}

double KELVueDe::rulerRatio()
{
    if (!rulerViewLine_ || rulerViewLine_->width() <= 0 || !curseur_)
        return 0.0;
    return (curseur_->nowOut() - curseur_->nowIn()) / rulerViewLine_->width();
}

void KELVueDe::majProchaineRecharge()
{
    Scheduler::shared().cancel(this, "_recharger");
    intervalleDeRecharge() = intervallePourRatio(rulerRatio());
    rechargerPeriodiquement();
}

void KELVueDe::libererLeRuler()
{
    // A column that goes ends the move it holds, which would otherwise keep the Space's ruler
    // refusing every other move.
    terminerLeMouvement(false);
    curseurView_.reset();
    // The strip may outlive the column by a turn of the event loop (its widgets go later).
    if (rulerViewLine_)
        rulerViewLine_->assignViewerDelegate(nullptr);
}

} // namespace tallomer
