#include "tests/objects/ObjectsFakes.h"

#include <optional>

using namespace objectstest;
using R = ZEVColourRole;
using Shape = ZEVItemShape;
using K = ZEVDrawOp::Kind;
using St = ZEVItemTimeState;

namespace {

struct Row {
    const char* name;
    int mode;
    St state;
    bool selected;
    Blink blink;
    bool cadre;
    unsigned extra;
    // Expected: the plate's colour, the colour of the line's first stroke, the tab, whether the
    // title is hidden (absent: left as it is) and the image's alpha.
    std::optional<R> plate, line;
    ZEVTabSide tab;
    std::optional<bool> titleHidden;
    std::optional<double> alpha;
};

constexpr auto N = std::nullopt;
constexpr auto NoTab = ZEVTabSide::None, Left = ZEVTabSide::Left, Right = ZEVTabSide::Right;
constexpr auto Off = Blink::Off, Lit = Blink::Lit, Dim = Blink::Dim;
constexpr std::optional<bool> Shown = false, Hidden = true;

const Row kRows[] = {
    // Icons mode.
    {"icons_present_selected", 0, St::Present, true, Off, false, None, R::ActifCurseur, R::Curseur, NoTab, Shown, 1.0},
    {"icons_present_selected_dim", 0, St::Present, true, Dim, false, None, R::ActifCurseur, R::ActifCurseur, NoTab, Shown, 1.0},
    {"icons_present_plain", 0, St::Present, false, Off, false, None, N, N, NoTab, Shown, 1.0},
    {"icons_present_plain_lit", 0, St::Present, false, Lit, false, None, N, R::ActifCurseur, NoTab, Shown, 1.0},
    {"icons_present_hidden_titles", 0, St::Present, false, Off, false, HideTitles, N, N, NoTab, Hidden, 1.0},
    {"icons_present_hidden_titles_flick", 0, St::Present, false, Off, false, HideTitles | Flick, N, N, NoTab, Shown, 1.0},
    {"icons_future_selected", 0, St::Future, true, Off, false, None, R::FuturActif, R::Futur, Right, Shown, 1.0},
    {"icons_future_selected_lit", 0, St::Future, true, Lit, false, None, R::FuturActif, R::Curseur, NoTab, Shown, 1.0},
    {"icons_future_plain_cadre", 0, St::Future, false, Off, true, None, N, R::FuturActif, Right, Shown, 0.35},
    {"icons_past_selected", 0, St::Past, true, Off, false, None, R::PasseActif, R::Passe, Left, Shown, 1.0},
    {"icons_past_selected_lit", 0, St::Past, true, Lit, false, None, R::PasseActif, R::Curseur, Left, Shown, 1.0},
    {"icons_past_plain", 0, St::Past, false, Off, false, None, N, N, NoTab, Shown, 0.3},
    {"icons_past_plain_cadre", 0, St::Past, false, Off, true, None, N, R::PasseActif, Left, Shown, 0.3},
    {"icons_outside_selected", 0, St::Outside, true, Off, false, None, N, N, NoTab, N, N},
    // Titles mode.
    {"titles_present_selected", 1, St::Present, true, Off, false, None, R::PresentAlpha, R::DarkGrey, NoTab, Shown, 1.0},
    {"titles_future_title_selected", 1, St::Future, false, Off, false, TitleSel, N, R::FuturActif, NoTab, Shown, 0.6},
    {"titles_future_plain", 1, St::Future, false, Off, false, None, N, R::FuturActif, NoTab, Shown, 0.35},
    {"titles_past_title_selected", 1, St::Past, false, Off, false, TitleSel, N, N, NoTab, Shown, 0.6},
    {"titles_past_title_selected_flick", 1, St::Past, false, Off, false, TitleSel | Flick, N, N, NoTab, Hidden, 0.3},
    {"titles_past_selected_dim", 1, St::Past, true, Dim, false, None, R::PasseAlpha, R::Passe, Left, Shown, 0.3},
    // Filters mode.
    {"filters_past_impacted", 2, St::Past, false, Off, false, AnyFilter | Impacted | HideTitles, N, N, NoTab, Shown, 0.3},
    {"filters_past_not_impacted", 2, St::Past, false, Off, false, AnyFilter | HideTitles, N, N, NoTab, Hidden, 0.3},
    {"filters_future_selected_filter", 2, St::Future, false, Off, false, FilterSel, N, R::FuturActif, NoTab, Shown, 1.0},
    {"filters_outside_selected_filter", 2, St::Outside, false, Off, false, FilterSel | HideTitles, N, N, NoTab, Shown, 1.0},
    {"filters_outside_plain", 2, St::Outside, false, Off, false, AnyFilter, N, N, NoTab, N, N},
    {"filters_present_drag_connected", 2, St::Present, false, Off, false, DragConnected | HideTitles, N, N, NoTab, Shown, 1.0},
    // Links mode.
    {"links_future_node", 3, St::Future, false, Off, false, NodeSel, N, R::FuturActif, NoTab, Shown, 0.6},
    {"links_present_node", 3, St::Present, true, Off, false, NodeSel, R::PresentAlpha, R::DarkGrey, NoTab, Shown, 1.0},
    {"links_past_linked", 3, St::Past, false, Off, false, AnyNode | Linked | HideTitles, N, N, NoTab, Shown, 0.3},
    {"links_past_unlinked", 3, St::Past, false, Off, false, AnyNode | HideTitles, N, N, NoTab, Hidden, 0.3},
    // A link being drawn over the view outranks the mode.
    {"connecting_outside", 0, St::Outside, false, Off, false, Connecting, R::DarkGrey, R::PasseActif, Left, Shown, 1.0},
    {"connecting_future_mode4", 4, St::Future, false, Off, false, Connecting, R::DarkGrey, R::FuturActif, Right, Shown, 1.0},
    {"connecting_present_lit", 1, St::Present, true, Lit, true, Connecting | Flick, R::DarkGrey, R::Curseur, NoTab, Hidden, 1.0},
    {"connecting_past_dim", 2, St::Past, false, Dim, false, Connecting, R::DarkGrey, R::DarkGrey, Left, Shown, 1.0},
};

} // namespace

TEST(ZEVItemDrawing, DecidesEachRow)
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        const auto in = inputs(row.mode, row.state, row.selected, row.blink, row.cadre, row.extra);
        const auto plan = ZEVItemDrawing::decide(in);
        EXPECT_EQ(plan.plateColour(), row.plate);
        const ZEVDrawOp* line = plan.first(K::Stroke, Shape::Line);
        EXPECT_EQ(line ? std::optional<R>(line->colour) : std::nullopt, row.line);
        EXPECT_EQ(plan.tabSide(), row.tab);
        EXPECT_EQ(plan.titleHidden, row.titleHidden);
        EXPECT_EQ(plan.imageAlpha, row.alpha);
    }
}

// Rules that hold across every combination of mode, state, selection, blinking and highlight.
// Modes from 4 on draw rings only.
TEST(ZEVItemDrawing, InvariantsOverAllCombinations)
{
    for (int mode : {0, 1, 2, 3, 4, 5, 7})
    for (St state : {St::Present, St::Future, St::Past, St::Outside})
    for (bool selected : {false, true})
    for (Blink blink : {Off, Lit, Dim})
    for (bool cadre : {false, true})
    for (unsigned extra : {unsigned(None), unsigned(Connecting), unsigned(TitleSel), unsigned(NodeSel | FilterSel)}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode << " state " << int(state) << " sel " << selected
                                        << " blink " << int(blink) << " cadre " << cadre << " extra " << extra);
        const auto plan = ZEVItemDrawing::decide(inputs(mode, state, selected, blink, cadre, extra));
        const bool connecting = extra & Connecting;
        // Never both tabs; a tab always tells the true side.
        const bool future = plan.has(K::Fill, Shape::FutureTab);
        const bool past = plan.has(K::Fill, Shape::PastTab);
        EXPECT_FALSE(future && past);
        EXPECT_TRUE(!future || state == St::Future);
        EXPECT_TRUE(!past || state == St::Past || (connecting && state == St::Outside));

        if (!connecting && mode > 3) {
            EXPECT_TRUE(plan.ringsOnly());
            EXPECT_FALSE(plan.titleHidden.has_value());
            EXPECT_FALSE(plan.imageAlpha.has_value());
        }
        if (!connecting && state == St::Outside) {
            EXPECT_TRUE(plan.ringsOnly());
            EXPECT_TRUE(!plan.imageAlpha || ((extra & FilterSel) && mode == 2));
        }
        EXPECT_TRUE(!connecting || plan.plateColour() == R::DarkGrey);
        const double a = plan.imageAlpha.value_or(1.0);
        EXPECT_TRUE(a == 1.0 || a == 0.6 || a == 0.35 || a == 0.3) << a;

        int plates = 0;
        for (const auto& op : plan.ops) {
            plates += op.kind == K::Fill && op.shape == Shape::Plate;
            EXPECT_TRUE(op.dash == ZEVDash::None || (op.kind == K::Stroke && op.width == 1));
            // The blink's wide halo only in the lit phase.
            EXPECT_TRUE(op.shape != Shape::Line || op.width != 6 || blink == Lit);
        }
        EXPECT_LE(plates, 1);
        // The two-colour dashes give way to the highlight frame.
        EXPECT_FALSE(cadre && plan.usesDash(ZEVDash::B));
    }
}

TEST(ZEVItemDrawing, UnselectedFutureAlternatesTwoDashedColours)
{
    const auto plan = ZEVItemDrawing::decide(inputs(0, St::Future, false, Lit, false));
    ASSERT_GE(plan.ops.size(), 4u);
    EXPECT_EQ(plan.ops[0], (ZEVDrawOp{K::Stroke, Shape::Line, R::FuturActif, 1, ZEVDash::B, 0, false}));
    EXPECT_EQ(plan.ops[1], (ZEVDrawOp{K::Stroke, Shape::Line, R::Futur, 1, ZEVDash::B, 24, false}));
    // Then the blink, undashed: halo first, cursor line over it.
    EXPECT_EQ(plan.ops[2], (ZEVDrawOp{K::Stroke, Shape::Line, R::FuturActif, 6, ZEVDash::None, 0, false}));
    EXPECT_EQ(plan.ops[3], (ZEVDrawOp{K::Stroke, Shape::Line, R::Curseur, 1, ZEVDash::None, 0, false}));
}

TEST(ZEVItemDrawing, RingsFollowCountersAndMode)
{
    // A future node in the links mode: shadowed wide ring, then the thin one.
    auto in = inputs(3, St::Future, false, Off, false, NodeSel);
    auto plan = ZEVItemDrawing::decide(in);
    const auto* ring = plan.first(K::Stroke, Shape::NodeRing);
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(*ring, (ZEVDrawOp{K::Stroke, Shape::NodeRing, R::FuturActif, 10, ZEVDash::None, 0, true}));
    EXPECT_EQ(plan.ops.back(), (ZEVDrawOp{K::Stroke, Shape::NodeRing, R::Futur, 2.5, ZEVDash::None, 0, false}));
    // Elsewhere a translucent unshadowed ring.
    in.frontMode = 0;
    plan = ZEVItemDrawing::decide(in);
    EXPECT_EQ(*plan.first(K::Stroke, Shape::NodeRing),
              (ZEVDrawOp{K::Stroke, Shape::NodeRing, R::PresentAlpha, 10, ZEVDash::None, 0, false}));
    // A selected filter outside the window, in the filters mode: out colours, shadow on the first.
    plan = ZEVItemDrawing::decide(inputs(2, St::Outside, false, Off, false, FilterSel));
    ASSERT_EQ(plan.ops.size(), 3u);
    EXPECT_EQ(plan.ops[0], (ZEVDrawOp{K::Stroke, Shape::InnerFilterRing, R::Out, 16, ZEVDash::None, 0, true}));
    EXPECT_EQ(plan.ops[1], (ZEVDrawOp{K::Stroke, Shape::InnerFilterRing, R::OutActif, 14, ZEVDash::None, 0, false}));
    EXPECT_EQ(plan.ops[2], (ZEVDrawOp{K::Stroke, Shape::OuterFilterRing, R::Out, 1, ZEVDash::None, 0, false}));
    // A past filter in another mode: translucent middle, no shadow, outer ring width 2.
    plan = ZEVItemDrawing::decide(inputs(0, St::Past, false, Off, false, FilterSel));
    ASSERT_EQ(plan.ops.size(), 3u);
    EXPECT_FALSE(plan.ops[0].shadow);
    EXPECT_EQ(plan.ops[1].colour, R::PasseAlpha);
    EXPECT_EQ(plan.ops[2].width, 2);
}
