#pragma once
// The Space as KeyTime sees it: the space controller's cursors and timeline context, and its
// ruler viewer and bar, which alone move them.

#include "services/ZEVKeyTimeSpace.h"

namespace tallomer {

class ZEVRulerViewer;
class ZEVSpaceController;

class ZEVKeyTimeSpaceAnswer final : public ZEVKeyTimeSpace {
public:
    // `space` is not owned and outlives the answer.
    explicit ZEVKeyTimeSpaceAnswer(ZEVSpaceController& space) : space_(space) {}

    QWidget* spaceWindow() override;
    KELICurseur* nowCurseur() override;
    KELICurseur* searchCurseur() override;
    KELICurseur* actifCurseur() override;
    KELICurseur* tlCurseur() override;
    KELIContexte* tlContexte() override;
    bool userChangeActifCurseur(KELICurseur* curseur) override;
    bool userInitieDeplacementCurseur() override;
    void userTermineDeplacementCurseur() override;
    void userDesactiveAnimer() override;
    bool userPlaceRulerOffsetIn(double dIn, double dOut) override;
    void userAnimeNow(float duration, double cOffsetIn, double cOffsetOut, double rOffsetIn,
                      double rOffsetOut) override;
    void userAnimeSearch(float duration, KELDate date, double cOffsetIn, double rOffsetIn, double rOffsetOut) override;
    void userAnimeRuler(float duration, double rOffsetIn, double rOffsetOut) override;
    bool stateOfNowButton() override;
    bool stateOfSearchButton() override;
    bool stateOfRulerButton() override;
    void menuNowCurseur() override;
    void menuRuler() override;

private:
    ZEVRulerViewer* ruler() const;

    ZEVSpaceController& space_;
};

} // namespace tallomer
