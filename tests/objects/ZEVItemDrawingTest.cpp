#include "objects/drawing/ZEVItemDrawing.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

using namespace tallomer;
using R = ZEVColourRole;
using S = ZEVItemShape;
using K = ZEVDrawOp::Kind;
using St = ZEVItemTimeState;

namespace {

enum class Blink { Off, Lit, Dim };

enum Extra : unsigned {
    None = 0,
    TitleSel = 1 << 0,
    Flick = 1 << 1,
    HideTitles = 1 << 2,
    Connecting = 1 << 3,
    FilterSel = 1 << 4,
    AnyFilter = 1 << 5,
    Impacted = 1 << 6,
    NodeSel = 1 << 7,
    AnyNode = 1 << 8,
    Linked = 1 << 9,
    DragConnected = 1 << 10,
};

// Counters as the desk viewer leaves them for each state.
ZEVItemDrawInputs inputs(int mode, St state, bool selected, Blink blink, bool cadre, unsigned extra = None)
{
    ZEVItemDrawInputs in;
    in.frontMode = mode;
    in.ajouteCount = state == St::Outside ? 0 : 1;
    in.actifCount = state == St::Present ? 1 : 0;
    in.futurCount = state == St::Future ? 1 : 0;
    in.iconSelected = selected;
    in.restoreBlinking = blink != Blink::Off;
    in.blinkFlag = blink == Blink::Lit;
    in.showCadre = cadre;
    in.titleSelected = extra & TitleSel;
    in.flickOn = extra & Flick;
    in.hideItemTitle = extra & HideTitles;
    in.connecting = extra & Connecting;
    in.filterSelected = extra & FilterSel;
    in.anyFilterSelected = extra & (AnyFilter | FilterSel);
    in.impacted = extra & Impacted;
    in.nodeSelected = extra & NodeSel;
    in.anyNodeSelected = extra & (AnyNode | NodeSel);
    in.linkedToSelection = extra & Linked;
    in.dragging = extra & DragConnected;
    in.connectedWithDragged = extra & DragConnected;
    return in;
}

enum class Title { Unchanged, Shown, Hidden };

struct Row {
    const char* name;
    int mode;
    St state;
    bool selected;
    Blink blink;
    bool cadre;
    unsigned extra;
    // Expected:
    std::optional<R> plate;
    std::optional<R> line; // colour of the first stroke of the line
    ZEVTabSide tab;
    Title title;
    std::optional<double> alpha;
};

void PrintTo(const Row& row, std::ostream* os)
{
    *os << row.name;
}

constexpr auto N = std::nullopt;
constexpr auto NoTab = ZEVTabSide::None;
constexpr auto Left = ZEVTabSide::Left;
constexpr auto Right = ZEVTabSide::Right;
constexpr auto Off = Blink::Off;
constexpr auto Lit = Blink::Lit;
constexpr auto Dim = Blink::Dim;

const Row kRows[] = {
    // Icons mode.
    {"icons_present_selected", 0, St::Present, true, Off, false, None, R::ActifCurseur, R::Curseur, NoTab, Title::Shown, 1.0},
    {"icons_present_selected_dim", 0, St::Present, true, Dim, false, None, R::ActifCurseur, R::ActifCurseur, NoTab, Title::Shown, 1.0},
    {"icons_present_plain", 0, St::Present, false, Off, false, None, N, N, NoTab, Title::Shown, 1.0},
    {"icons_present_plain_lit", 0, St::Present, false, Lit, false, None, N, R::ActifCurseur, NoTab, Title::Shown, 1.0},
    {"icons_present_hidden_titles", 0, St::Present, false, Off, false, HideTitles, N, N, NoTab, Title::Hidden, 1.0},
    {"icons_present_hidden_titles_flick", 0, St::Present, false, Off, false, HideTitles | Flick, N, N, NoTab, Title::Shown, 1.0},
    {"icons_future_selected", 0, St::Future, true, Off, false, None, R::FuturActif, R::Futur, Right, Title::Shown, 1.0},
    {"icons_future_selected_lit", 0, St::Future, true, Lit, false, None, R::FuturActif, R::Curseur, NoTab, Title::Shown, 1.0},
    {"icons_future_plain", 0, St::Future, false, Off, false, None, N, R::FuturActif, NoTab, Title::Shown, 0.35},
    {"icons_future_plain_cadre", 0, St::Future, false, Off, true, None, N, R::FuturActif, Right, Title::Shown, 0.35},
    {"icons_past_selected", 0, St::Past, true, Off, false, None, R::PasseActif, R::Passe, Left, Title::Shown, 1.0},
    {"icons_past_selected_lit", 0, St::Past, true, Lit, false, None, R::PasseActif, R::Curseur, Left, Title::Shown, 1.0},
    {"icons_past_plain", 0, St::Past, false, Off, false, None, N, N, NoTab, Title::Shown, 0.3},
    {"icons_past_plain_cadre", 0, St::Past, false, Off, true, None, N, R::PasseActif, Left, Title::Shown, 0.3},
    {"icons_outside_selected", 0, St::Outside, true, Off, false, None, N, N, NoTab, Title::Unchanged, N},
    // Titles mode.
    {"titles_present_selected", 1, St::Present, true, Off, false, None, R::PresentAlpha, R::DarkGrey, NoTab, Title::Shown, 1.0},
    {"titles_future_title_selected", 1, St::Future, false, Off, false, TitleSel, N, R::FuturActif, NoTab, Title::Shown, 0.6},
    {"titles_future_plain", 1, St::Future, false, Off, false, None, N, R::FuturActif, NoTab, Title::Shown, 0.35},
    {"titles_past_title_selected", 1, St::Past, false, Off, false, TitleSel, N, N, NoTab, Title::Shown, 0.6},
    {"titles_past_title_selected_flick", 1, St::Past, false, Off, false, TitleSel | Flick, N, N, NoTab, Title::Hidden, 0.3},
    {"titles_past_selected_dim", 1, St::Past, true, Dim, false, None, R::PasseAlpha, R::Passe, Left, Title::Shown, 0.3},
    // Filters mode.
    {"filters_past_impacted", 2, St::Past, false, Off, false, AnyFilter | Impacted | HideTitles, N, N, NoTab, Title::Shown, 0.3},
    {"filters_past_not_impacted", 2, St::Past, false, Off, false, AnyFilter | HideTitles, N, N, NoTab, Title::Hidden, 0.3},
    {"filters_future_selected_filter", 2, St::Future, false, Off, false, FilterSel, N, R::FuturActif, NoTab, Title::Shown, 1.0},
    {"filters_outside_selected_filter", 2, St::Outside, false, Off, false, FilterSel | HideTitles, N, N, NoTab, Title::Shown, 1.0},
    {"filters_outside_plain", 2, St::Outside, false, Off, false, AnyFilter, N, N, NoTab, Title::Unchanged, N},
    {"filters_present_drag_connected", 2, St::Present, false, Off, false, DragConnected | HideTitles, N, N, NoTab, Title::Shown, 1.0},
    // Links mode.
    {"links_future_node", 3, St::Future, false, Off, false, NodeSel, N, R::FuturActif, NoTab, Title::Shown, 0.6},
    {"links_present_node", 3, St::Present, true, Off, false, NodeSel, R::PresentAlpha, R::DarkGrey, NoTab, Title::Shown, 1.0},
    {"links_past_linked", 3, St::Past, false, Off, false, AnyNode | Linked | HideTitles, N, N, NoTab, Title::Shown, 0.3},
    {"links_past_unlinked", 3, St::Past, false, Off, false, AnyNode | HideTitles, N, N, NoTab, Title::Hidden, 0.3},
    // Other modes: rings only.
    {"mode4_present_selected", 4, St::Present, true, Lit, true, None, N, N, NoTab, Title::Unchanged, N},
    {"mode7_future_filter", 7, St::Future, true, Off, false, FilterSel | NodeSel, N, N, NoTab, Title::Unchanged, N},
    // A link being drawn over the view outranks the mode.
    {"connecting_outside", 0, St::Outside, false, Off, false, Connecting, R::DarkGrey, R::PasseActif, Left, Title::Shown, 1.0},
    {"connecting_future_mode4", 4, St::Future, false, Off, false, Connecting, R::DarkGrey, R::FuturActif, Right, Title::Shown, 1.0},
    {"connecting_present_lit", 1, St::Present, true, Lit, true, Connecting | Flick, R::DarkGrey, R::Curseur, NoTab, Title::Hidden, 1.0},
    {"connecting_past_dim", 2, St::Past, false, Dim, false, Connecting, R::DarkGrey, R::DarkGrey, Left, Title::Shown, 1.0},
};

class ZEVItemDrawingTable : public testing::TestWithParam<Row> {};

} // namespace

TEST_P(ZEVItemDrawingTable, Decides)
{
    const Row& row = GetParam();
    const ZEVItemDrawPlan plan =
        ZEVItemDrawing::decide(inputs(row.mode, row.state, row.selected, row.blink, row.cadre, row.extra));

    EXPECT_EQ(plan.plateColour(), row.plate);
    const ZEVDrawOp* line = plan.first(K::Stroke, S::Line);
    EXPECT_EQ(line ? std::optional<R>(line->colour) : std::nullopt, row.line);
    EXPECT_EQ(plan.tabSide(), row.tab);
    switch (row.title) {
    case Title::Unchanged:
        EXPECT_FALSE(plan.titleHidden.has_value());
        break;
    case Title::Shown:
        EXPECT_EQ(plan.titleHidden, std::optional<bool>(false));
        break;
    case Title::Hidden:
        EXPECT_EQ(plan.titleHidden, std::optional<bool>(true));
        break;
    }
    ASSERT_EQ(plan.imageAlpha.has_value(), row.alpha.has_value());
    if (row.alpha) {
        EXPECT_DOUBLE_EQ(*plan.imageAlpha, *row.alpha);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ZEVItemDrawingTable, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

// Rules that hold across every combination of mode, state, selection, blinking and highlight.
TEST(ZEVItemDrawing, InvariantsOverAllCombinations)
{
    for (int mode = 0; mode <= 5; ++mode)
        for (St state : {St::Present, St::Future, St::Past, St::Outside})
            for (bool selected : {false, true})
                for (Blink blink : {Off, Lit, Dim})
                    for (bool cadre : {false, true})
                        for (unsigned extra : {unsigned(None), unsigned(Connecting), unsigned(TitleSel),
                                               unsigned(NodeSel | FilterSel)}) {
                            SCOPED_TRACE(testing::Message() << "mode " << mode << " state " << int(state)
                                                            << " sel " << selected << " blink " << int(blink)
                                                            << " cadre " << cadre << " extra " << extra);
                            const auto in = inputs(mode, state, selected, blink, cadre, extra);
                            const auto plan = ZEVItemDrawing::decide(in);
                            const bool connecting = extra & Connecting;

                            // Never both tabs; a tab always tells the true side.
                            const bool future = plan.has(K::Fill, S::FutureTab);
                            const bool past = plan.has(K::Fill, S::PastTab);
                            EXPECT_FALSE(future && past);
                            if (future) {
                                EXPECT_EQ(state, St::Future);
                            }
                            if (past) {
                                EXPECT_TRUE(state == St::Past || (connecting && state == St::Outside));
                            }

                            if (!connecting && mode > 3) {
                                EXPECT_TRUE(plan.ringsOnly());
                                EXPECT_FALSE(plan.titleHidden.has_value());
                                EXPECT_FALSE(plan.imageAlpha.has_value());
                            }
                            if (!connecting && state == St::Outside) {
                                EXPECT_TRUE(plan.ringsOnly());
                                if (!(extra & FilterSel) || mode != 2) {
                                    EXPECT_FALSE(plan.imageAlpha.has_value());
                                }
                            }
                            if (connecting) {
                                EXPECT_EQ(plan.plateColour(), std::optional<R>(R::DarkGrey));
                            }
                            if (plan.imageAlpha) {
                                const double a = *plan.imageAlpha;
                                EXPECT_TRUE(a == 1.0 || a == 0.6 || a == 0.35 || a == 0.3) << a;
                            }

                            int plates = 0;
                            for (const auto& op : plan.ops) {
                                plates += op.kind == K::Fill && op.shape == S::Plate;
                                if (op.dash != ZEVDash::None) {
                                    EXPECT_EQ(op.kind, K::Stroke);
                                    EXPECT_EQ(op.width, 1);
                                }
                                // The blink's wide halo only in the lit phase.
                                if (op.shape == S::Line && op.width == 6) {
                                    EXPECT_EQ(blink, Lit);
                                }
                            }
                            EXPECT_LE(plates, 1);
                            // The two-colour dashes give way to the highlight frame.
                            if (cadre) {
                                EXPECT_FALSE(plan.usesDash(ZEVDash::B));
                            }
                        }
}

TEST(ZEVItemDrawing, UnselectedFutureAlternatesTwoDashedColours)
{
    const auto plan = ZEVItemDrawing::decide(inputs(0, St::Future, false, Lit, false));
    ASSERT_GE(plan.ops.size(), 4u);
    EXPECT_EQ(plan.ops[0], (ZEVDrawOp{K::Stroke, S::Line, R::FuturActif, 1, ZEVDash::B, 0, false}));
    EXPECT_EQ(plan.ops[1], (ZEVDrawOp{K::Stroke, S::Line, R::Futur, 1, ZEVDash::B, 24, false}));
    // Then the blink, undashed: halo first, cursor line over it.
    EXPECT_EQ(plan.ops[2], (ZEVDrawOp{K::Stroke, S::Line, R::FuturActif, 6, ZEVDash::None, 0, false}));
    EXPECT_EQ(plan.ops[3], (ZEVDrawOp{K::Stroke, S::Line, R::Curseur, 1, ZEVDash::None, 0, false}));
}

TEST(ZEVItemDrawing, RingsFollowCountersAndMode)
{
    // A future node in the links mode: shadowed wide ring, then the thin one.
    auto in = inputs(3, St::Future, false, Off, false, NodeSel);
    auto plan = ZEVItemDrawing::decide(in);
    const auto* ring = plan.first(K::Stroke, S::NodeRing);
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(*ring, (ZEVDrawOp{K::Stroke, S::NodeRing, R::FuturActif, 10, ZEVDash::None, 0, true}));
    EXPECT_EQ(plan.ops.back(), (ZEVDrawOp{K::Stroke, S::NodeRing, R::Futur, 2.5, ZEVDash::None, 0, false}));

    // Elsewhere a translucent unshadowed ring.
    in.frontMode = 0;
    plan = ZEVItemDrawing::decide(in);
    EXPECT_EQ(*plan.first(K::Stroke, S::NodeRing), (ZEVDrawOp{K::Stroke, S::NodeRing, R::PresentAlpha, 10, ZEVDash::None, 0, false}));

    // A selected filter outside the window, in the filters mode: out colours, shadow on the first.
    plan = ZEVItemDrawing::decide(inputs(2, St::Outside, false, Off, false, FilterSel));
    ASSERT_EQ(plan.ops.size(), 3u);
    EXPECT_EQ(plan.ops[0], (ZEVDrawOp{K::Stroke, S::InnerFilterRing, R::Out, 16, ZEVDash::None, 0, true}));
    EXPECT_EQ(plan.ops[1], (ZEVDrawOp{K::Stroke, S::InnerFilterRing, R::OutActif, 14, ZEVDash::None, 0, false}));
    EXPECT_EQ(plan.ops[2], (ZEVDrawOp{K::Stroke, S::OuterFilterRing, R::Out, 1, ZEVDash::None, 0, false}));

    // A past filter in another mode: translucent middle, no shadow, outer ring width 2.
    plan = ZEVItemDrawing::decide(inputs(0, St::Past, false, Off, false, FilterSel));
    ASSERT_EQ(plan.ops.size(), 3u);
    EXPECT_FALSE(plan.ops[0].shadow);
    EXPECT_EQ(plan.ops[1].colour, R::PasseAlpha);
    EXPECT_EQ(plan.ops[2].width, 2);
}

TEST(ZEVItemDrawing, AlphaIsWrittenOnlyWhenItChanges)
{
    const auto plan = ZEVItemDrawing::decide(inputs(0, St::Future, false, Off, false));
    EXPECT_EQ(ZEVItemDrawing::alphaToWrite(1.0, plan), std::optional<double>(0.35));
    EXPECT_EQ(ZEVItemDrawing::alphaToWrite(0.35, plan), std::nullopt);
    const auto outside = ZEVItemDrawing::decide(inputs(0, St::Outside, false, Off, false));
    EXPECT_EQ(ZEVItemDrawing::alphaToWrite(0.42, outside), std::nullopt);
}
