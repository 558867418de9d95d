#pragma once
// The model of the time ruler of one Space window. The ruler keeps nothing of its own: its cursors,
// the choice of the active cursor and the visible range of the strip are links of the link base
// under the space's ruler element, read at the timeline cursor (relations 1000092 active cursor,
// 1000097 Now cursor, 1000102 the ruler's cursors, 1000107 the timeline context). The visible
// range is written back at quit, so that the next start shows the same range.

#include "space/ZEVSpaceParts.h"

#include <vector>

class KELI;
class KELICurseur;
class KELIContexte;
class KELIElemRelation;
class KELIModel;

namespace tallomer {

class ZEVRulerClass final : public ZEVRulerClassServices {
public:
    // `ruler` is the space's ruler element, `tlCurseur` the timeline cursor; neither is owned
    // (links live for the run). A relation without a link under the ruler answers nullptr.
    ZEVRulerClass(KELI* ruler, KELICurseur* tlCurseur);
    ZEVRulerClass(const ZEVRulerClass&) = delete;
    ZEVRulerClass& operator=(const ZEVRulerClass&) = delete;

    void referencerRulerViewer(ZEVRulerViewerServices* rulerViewer) override { rulerViewer_ = rulerViewer; }
    ZEVRulerViewerServices* rulerViewer() const { return rulerViewer_; }
    KELI* ruler() override { return rulerElem_; }
    const std::vector<KELICurseur*>& curseurs() const override { return curseurs_; }
    KELICurseur* actifCurseurInitial() override;
    KELI* lienActifInitial() override;
    KELICurseur* nowCurseurInitial() override;
    KELICurseur* searchCurseurInitial() override;
    KELIContexte* tlContexte() override;

    // Stores the timeline context's offsets, each rounded to a tenth of a second, in its element;
    // the element writes only a value that differs from the one stored. An offset that is not a
    // finite number is not stored (and is logged).
    void updateTimeline() override;

    // v rounded to the nearest tenth, halves away from zero (-0.25 gives -0.3).
    static double arrondiAuDixieme(double v);

private:
    KELI* premierLien(KELIElemRelation* relation) const;
    KELI* premierEnfant(KELIElemRelation* relation) const;
    KELICurseur* curseurDuPremierEnfant(KELIElemRelation* relation) const;

    KELICurseur* tlCurseur_;                       // not owned
    ZEVRulerViewerServices* rulerViewer_ = nullptr; // not owned
    KELIModel* rulerModel_ = nullptr;              // links live for the run
    KELIElemRelation* rulerActifCurseurRelation_ = nullptr;
    KELIElemRelation* rulerNowCurseurRelation_ = nullptr;
    KELIElemRelation* rulerCurseursRelation_ = nullptr;
    KELIElemRelation* rulerTimelineRelation_ = nullptr;
    KELI* rulerElem_;
    std::vector<KELICurseur*> curseurs_; // not owned
};

} // namespace tallomer
