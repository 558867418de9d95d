#include "app/space/ZEVKeyTimeSpaceAnswer.h"

#include "ruler/ZEVRulerViewer.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

namespace tallomer {

ZEVRulerViewer* ZEVKeyTimeSpaceAnswer::ruler() const { return dynamic_cast<ZEVRulerViewer*>(space_.rulerViewer()); }

QWidget* ZEVKeyTimeSpaceAnswer::spaceWindow() { return space_.spaceWindow(); }
KELICurseur* ZEVKeyTimeSpaceAnswer::nowCurseur() { return space_.nowCurseur(); }
KELICurseur* ZEVKeyTimeSpaceAnswer::searchCurseur() { return space_.searchCurseur(); }
KELICurseur* ZEVKeyTimeSpaceAnswer::actifCurseur() { return space_.actifCurseur(); }
KELICurseur* ZEVKeyTimeSpaceAnswer::tlCurseur() { return space_.tlCurseur(); }
KELIContexte* ZEVKeyTimeSpaceAnswer::tlContexte() { return space_.tlContexte(); }

bool ZEVKeyTimeSpaceAnswer::userChangeActifCurseur(KELICurseur* curseur)
{
    ZEVRulerViewer* r = ruler();
    return r && r->userChangeActifCurseur(curseur);
}

bool ZEVKeyTimeSpaceAnswer::userInitieDeplacementCurseur()
{
    ZEVRulerViewer* r = ruler();
    return r && r->userInitieDeplacementCurseur();
}

void ZEVKeyTimeSpaceAnswer::userTermineDeplacementCurseur()
{
    if (ZEVRulerViewer* r = ruler())
        r->userTermineDeplacementCurseur();
}

void ZEVKeyTimeSpaceAnswer::userDesactiveAnimer()
{
    if (ZEVRulerViewer* r = ruler())
        r->userDesactiveAnimer();
}

bool ZEVKeyTimeSpaceAnswer::userPlaceRulerOffsetIn(double dIn, double dOut)
{
    ZEVRulerViewer* r = ruler();
    return r && r->userPlaceRulerOffsetIn(dIn, dOut);
}

// The animations move the ruler's moving cursor: it is set to the cursor the step is about.
void ZEVKeyTimeSpaceAnswer::userAnimeNow(float duration, double cOffsetIn, double cOffsetOut, double rOffsetIn,
                                         double rOffsetOut)
{
    if (ZEVRulerViewer* r = ruler(); r && r->siAccepteDeplacement()) {
        r->setCurseurEnDeplacement(space_.nowCurseur());
        r->userAnimeNow(duration, cOffsetIn, cOffsetOut, rOffsetIn, rOffsetOut);
    }
}

void ZEVKeyTimeSpaceAnswer::userAnimeSearch(float duration, KELDate date, double cOffsetIn, double rOffsetIn,
                                            double rOffsetOut)
{
    if (ZEVRulerViewer* r = ruler(); r && r->siAccepteDeplacement()) {
        r->setCurseurEnDeplacement(space_.searchCurseur());
        r->userAnimeSearch(duration, date, cOffsetIn, rOffsetIn, rOffsetOut);
    }
}

void ZEVKeyTimeSpaceAnswer::userAnimeRuler(float duration, double rOffsetIn, double rOffsetOut)
{
    if (ZEVRulerViewer* r = ruler())
        r->userAnimeRuler(duration, rOffsetIn, rOffsetOut);
}

bool ZEVKeyTimeSpaceAnswer::stateOfNowButton()
{
    ZEVRulerViewer* r = ruler();
    return r && r->rulerViewbar() && r->rulerViewbar()->stateOfNowButton();
}

bool ZEVKeyTimeSpaceAnswer::stateOfSearchButton()
{
    ZEVRulerViewer* r = ruler();
    return r && r->rulerViewbar() && r->rulerViewbar()->stateOfSearchButton();
}

bool ZEVKeyTimeSpaceAnswer::stateOfRulerButton()
{
    ZEVRulerViewer* r = ruler();
    return r && r->rulerViewbar() && r->rulerViewbar()->stateOfRulerButton();
}

void ZEVKeyTimeSpaceAnswer::menuNowCurseur()
{
    if (ZEVRulerViewer* r = ruler(); r && r->rulerViewbar())
        r->rulerViewbar()->menuNowCurseur(nullptr);
}

void ZEVKeyTimeSpaceAnswer::menuRuler()
{
    if (ZEVRulerViewer* r = ruler(); r && r->rulerViewbar())
        r->rulerViewbar()->menuRuler(nullptr);
}

} // namespace tallomer
