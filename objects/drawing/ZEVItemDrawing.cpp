#include "objects/drawing/ZEVItemDrawing.h"

#include <cmath>

namespace tallomer {

namespace {

using Kind = ZEVDrawOp::Kind;
using R = ZEVColourRole;
using S = ZEVItemShape;
using State = ZEVItemTimeState;

class Builder {
public:
    explicit Builder(const ZEVItemDrawInputs& in) : in_(in) {}

    void fill(S shape, R colour, bool shadow = false)
    {
        plan.ops.push_back(ZEVDrawOp{Kind::Fill, shape, colour, 0, ZEVDash::None, 0, shadow});
    }
    void stroke(S shape, R colour, double width, bool shadow = false, ZEVDash dash = ZEVDash::None,
                double phase = 0)
    {
        plan.ops.push_back(ZEVDrawOp{Kind::Stroke, shape, colour, width, dash, phase, shadow});
    }

    // The line's colour: `normal` at rest; during the restore blinking the cursor colour in the
    // lit phase and `dim` in the other.
    R lineColour(R normal, R dim) const
    {
        if (!in_.restoreBlinking)
            return normal;
        return in_.blinkFlag ? R::Curseur : dim;
    }

    // The lit phase of the restore blinking: a wide halo, then the cursor-coloured line.
    void blinkStroke(R halo)
    {
        if (!in_.blinkFlag)
            return;
        stroke(S::Line, halo, 6);
        stroke(S::Line, R::Curseur, 1);
    }

    // A future Object not selected: a line dashed in two alternating colours.
    void unselectedFuture()
    {
        if (in_.showCadre)
            return;
        stroke(S::Line, R::FuturActif, 1, false, ZEVDash::B, 0);
        stroke(S::Line, R::Futur, 1, false, ZEVDash::B, 24);
        blinkStroke(R::FuturActif);
    }

    // A selected future Object's line and tab; no tab while the restore blinking runs.
    void selectedFutureLine(R dim)
    {
        if (!in_.restoreBlinking) {
            stroke(S::Line, R::Futur, 1);
            fill(S::FutureTab, R::Futur);
        } else if (in_.blinkFlag) {
            stroke(S::Line, R::Curseur, 1, false, ZEVDash::A, 0);
        } else {
            stroke(S::Line, dim, 1);
        }
    }

    ZEVItemDrawPlan plan;

private:
    const ZEVItemDrawInputs& in_;
};

double stateAlpha(State s)
{
    switch (s) {
    case State::Present:
        return 1.0;
    case State::Future:
        return 0.35;
    case State::Past:
        return 0.3;
    case State::Outside:
        break;
    }
    return 1.0;
}

void connectingMarks(Builder& b, const ZEVItemDrawInputs& in)
{
    // Whatever is not present or future is drawn as past, outside included: the user must see
    // where the link would land.
    const State s = in.timeState();
    b.fill(S::Plate, R::DarkGrey);
    if (s == State::Present) {
        b.stroke(S::Line, b.lineColour(R::PresentActif, R::DarkGrey), 1);
    } else if (s == State::Future) {
        b.stroke(S::Line, b.lineColour(R::FuturActif, R::DarkGrey), 1);
        b.fill(S::FutureTab, R::FuturActif);
    } else {
        b.stroke(S::Line, b.lineColour(R::PasseActif, R::DarkGrey), 1);
        b.fill(S::PastTab, R::PasseActif);
    }
}

void iconsModeMarks(Builder& b, const ZEVItemDrawInputs& in, State s)
{
    const bool sel = in.iconSelected;
    switch (s) {
    case State::Present:
        if (sel) {
            b.fill(S::Plate, R::ActifCurseur, true);
            b.stroke(S::Line, b.lineColour(R::Curseur, R::ActifCurseur), 1);
        } else {
            b.blinkStroke(R::ActifCurseur);
        }
        break;
    case State::Future:
        if (sel) {
            b.fill(S::Plate, R::FuturActif, true);
            b.selectedFutureLine(R::FuturActif);
        } else {
            b.unselectedFuture();
        }
        break;
    case State::Past:
        if (sel) {
            b.fill(S::Plate, R::PasseActif, true);
            b.stroke(S::Line, b.lineColour(R::Passe, R::PasseActif), 1);
            b.fill(S::PastTab, R::Passe);
        } else {
            b.blinkStroke(R::PasseActif);
        }
        break;
    case State::Outside:
        break;
    }
}

// Titles, filters and links share the icon marks, in the translucent colours.
void otherModesMarks(Builder& b, const ZEVItemDrawInputs& in, State s)
{
    const bool sel = in.iconSelected;
    switch (s) {
    case State::Present:
        if (sel) {
            b.fill(S::Plate, R::PresentAlpha);
            b.stroke(S::Line, b.lineColour(R::DarkGrey, R::DarkGrey), 1);
        } else {
            b.blinkStroke(R::DarkGrey);
        }
        break;
    case State::Future:
        if (sel) {
            b.fill(S::Plate, R::FuturAlpha);
            b.selectedFutureLine(R::Futur);
        } else {
            b.unselectedFuture();
        }
        break;
    case State::Past:
        if (sel) {
            b.fill(S::Plate, R::PasseAlpha);
            b.stroke(S::Line, b.lineColour(R::Passe, R::Passe), 1);
            b.fill(S::PastTab, R::Passe);
        } else {
            b.blinkStroke(R::PasseActif);
        }
        break;
    case State::Outside:
        break;
    }
}

void cadre(Builder& b, State s)
{
    switch (s) {
    case State::Present:
        b.fill(S::Line, R::IconCadreFond);
        b.stroke(S::Line, R::IconCadreLine, 1);
        break;
    case State::Future:
        b.fill(S::Line, R::IconCadreFond);
        b.stroke(S::Line, R::FuturActif, 1);
        b.fill(S::FutureTab, R::FuturActif);
        break;
    case State::Past:
        b.fill(S::Line, R::IconCadreFond);
        b.stroke(S::Line, R::PasseActif, 1);
        b.fill(S::PastTab, R::PasseActif);
        break;
    case State::Outside:
        break;
    }
}

void rings(Builder& b, const ZEVItemDrawInputs& in)
{
    const bool active = in.actifCount > 0;
    const bool future = in.futurCount > 0;
    if (in.nodeSelected) {
        if (in.frontMode == ZEVFrontModeLinks) {
            b.stroke(S::NodeRing, active ? R::White : future ? R::FuturActif : R::PasseActif, 10, true);
            b.stroke(S::NodeRing, active ? R::Curseur : future ? R::Futur : R::Passe, 2.5);
        } else {
            b.stroke(S::NodeRing, R::PresentAlpha, 10);
            b.stroke(S::NodeRing, active ? R::DarkGrey : future ? R::Futur : R::Passe, 2.5);
        }
    }
    if (in.filterSelected) {
        const bool filters = in.frontMode == ZEVFrontModeFilters;
        R a = R::Out, inner = R::OutActif, outer = R::Out;
        double w = 1;
        if (active) {
            a = R::Curseur;
            inner = filters ? R::PresentActif : R::PresentAlpha;
            outer = R::Curseur;
        } else if (future) {
            a = R::Futur;
            inner = filters ? R::FuturActif : R::FuturAlpha;
            outer = R::Futur;
            w = 2;
        } else if (in.ajouteCount > 0) {
            a = R::Passe;
            inner = filters ? R::PasseActif : R::PasseAlpha;
            outer = R::Passe;
            w = 2;
        }
        b.stroke(S::InnerFilterRing, a, 16, filters);
        b.stroke(S::InnerFilterRing, inner, 14);
        b.stroke(S::OuterFilterRing, outer, w);
    }
}

} // namespace

ZEVItemDrawPlan ZEVItemDrawing::decide(const ZEVItemDrawInputs& in)
{
    Builder b(in);
    auto& plan = b.plan;
    const bool f = in.flickOn; // the title's state when it is to be shown
    bool d = f;                 // the title's state by default
    if (!(in.showTitle || in.titleSelected || in.optionShowTitle) && in.hideItemTitle)
        d = !f;
    const State s = in.timeState();
    const int mode = in.frontMode;

    if (in.connecting) {
        connectingMarks(b, in);
        plan.titleHidden = f;
        plan.imageAlpha = 1.0;
        rings(b, in);
        return plan;
    }
    if (mode < ZEVFrontModeIcons || mode > ZEVFrontModeLinks) {
        rings(b, in);
        return plan;
    }
    if (s == State::Outside) {
        if (mode == ZEVFrontModeFilters && in.filterSelected) {
            plan.titleHidden = f;
            plan.imageAlpha = 1.0;
        }
        rings(b, in);
        return plan;
    }

    const double alpha = stateAlpha(s);
    if (mode == ZEVFrontModeIcons) {
        iconsModeMarks(b, in, s);
        plan.titleHidden = in.iconSelected ? f : d;
        plan.imageAlpha = in.iconSelected ? 1.0 : alpha;
    } else {
        otherModesMarks(b, in, s);
        if (mode == ZEVFrontModeTitles) {
            const bool p = in.titleSelected && !f;
            if (p) {
                const R plate = s == State::Present  ? R::ActifCurseur
                                : s == State::Future ? R::FuturActif
                                                     : R::PasseActif;
                b.fill(S::TitlePlate, plate, true);
            }
            plan.titleHidden = d;
            plan.imageAlpha = (p && s != State::Present) ? 0.6 : alpha;
        } else if (mode == ZEVFrontModeFilters) {
            plan.imageAlpha = alpha;
            if (in.anyFilterSelected || in.filterSelected) {
                if (in.filterSelected) {
                    plan.titleHidden = f;
                    plan.imageAlpha = 1.0;
                } else {
                    plan.titleHidden = in.impacted ? f : d;
                }
            } else {
                const bool dragRelated = in.dragging && (in.isDraggedItem || in.connectedWithDragged);
                plan.titleHidden = dragRelated ? f : d;
            }
        } else { // links
            plan.imageAlpha = alpha;
            plan.titleHidden = d;
            if (in.anyNodeSelected || in.nodeSelected) {
                if (in.nodeSelected) {
                    plan.titleHidden = f;
                    plan.imageAlpha = s == State::Present ? 1.0 : 0.6;
                } else if (in.linkedToSelection) {
                    plan.titleHidden = f;
                }
            }
        }
    }
    if (in.showCadre)
        cadre(b, s);
    rings(b, in);
    return plan;
}

std::optional<double> ZEVItemDrawing::alphaToWrite(double currentAlpha, const ZEVItemDrawPlan& plan)
{
    if (!plan.imageAlpha || std::abs(*plan.imageAlpha - currentAlpha) < 1e-6)
        return std::nullopt;
    return plan.imageAlpha;
}

const ZEVDrawOp* ZEVItemDrawPlan::first(ZEVDrawOp::Kind kind, ZEVItemShape shape) const
{
    for (const auto& op : ops)
        if (op.kind == kind && op.shape == shape)
            return &op;
    return nullptr;
}

std::optional<ZEVColourRole> ZEVItemDrawPlan::plateColour() const
{
    if (const auto* op = first(Kind::Fill, S::Plate))
        return op->colour;
    return std::nullopt;
}

ZEVTabSide ZEVItemDrawPlan::tabSide() const
{
    if (has(Kind::Fill, S::FutureTab))
        return ZEVTabSide::Right;
    if (has(Kind::Fill, S::PastTab))
        return ZEVTabSide::Left;
    return ZEVTabSide::None;
}

bool ZEVItemDrawPlan::usesDash(ZEVDash dash) const
{
    for (const auto& op : ops)
        if (op.dash == dash && op.kind == Kind::Stroke)
            return true;
    return false;
}

bool ZEVItemDrawPlan::usesShadow() const
{
    for (const auto& op : ops)
        if (op.shadow)
            return true;
    return false;
}

bool ZEVItemDrawPlan::ringsOnly() const
{
    for (const auto& op : ops)
        if (op.shape != S::NodeRing && op.shape != S::InnerFilterRing && op.shape != S::OuterFilterRing)
            return false;
    return true;
}

} // namespace tallomer
