// The cells and selection writes every list of Objects shares: a pair's marks need both ends, the
// title's colour order, and the mode's selection a row change writes.

#include "tests/inspectors/LinksFixture.h"

#include "inspectors/core/ZEVRowCells.h"
#include "look/KELSharedResources.h"
#include "services/ZEVFrontMode.h"
#include "space/ZEVSelections.h"
#include "platform/SystemColours.h"

#include <QPixmap>

#include <gtest/gtest.h>

namespace inspecttest {
namespace {

qint64 cle(const std::optional<QVariant>& v)
{
    return v && v->canConvert<QPixmap>() ? v->value<QPixmap>().cacheKey() : 0;
}

class RowCells : public LinksFixture {};

TEST_F(RowCells, AMarkShowsOnlyWhenEveryEndIsSelected)
{
    KELI* a = objet("Plan");
    KELI* b = objet("Devis");
    ZEVSelections& s = space->selections();
    const KELSharedResources& r = space->host().sharedResources();
    int regards = 0;
    auto montre = [&](KELI*) {
        ++regards;
        return true;
    };
    s.selectIconForItemSet(std::vector<KELI*>{a}, nullptr);
    EXPECT_EQ(cle(ZEVSelectionMark(QStringLiteral("imageIcon"), {a}, Qt::DecorationRole, s, r, montre)),
              r.iconImage().cacheKey());
    EXPECT_EQ(cle(ZEVSelectionMark(QStringLiteral("imageIcon"), {a, b}, Qt::DecorationRole, s, r, montre)), 0)
        << "a pair shows the mark only when both ends are selected";
    EXPECT_FALSE(ZEVSelectionMark(QStringLiteral("imageIcon"), {a}, Qt::DisplayRole, s, r, montre)->isValid());
    EXPECT_FALSE(ZEVSelectionMark(QStringLiteral("title"), {a}, Qt::DecorationRole, s, r, montre).has_value())
        << "the other columns are the list's own";

    // The filter column: the filter mark wins without a look at the desk, else the impact mark
    // while every view shows; nothing is looked up for a role that draws no picture.
    EXPECT_EQ(cle(ZEVSelectionMark(QStringLiteral("imageFilter"), {a, b}, Qt::DecorationRole, s, r, montre)),
              r.impactImage().cacheKey());
    EXPECT_EQ(regards, 2);
    EXPECT_EQ(cle(ZEVSelectionMark(QStringLiteral("imageFilter"), {a, b}, Qt::DecorationRole, s, r,
                                   [b](KELI* o) { return o != b; })),
              0);
    s.selectFilterForItemSet(std::vector<KELI*>{a, b}, nullptr);
    regards = 0;
    EXPECT_EQ(cle(ZEVSelectionMark(QStringLiteral("imageFilter"), {a, b}, Qt::DecorationRole, s, r, montre)),
              r.filterImage().cacheKey());
    EXPECT_FALSE(ZEVSelectionMark(QStringLiteral("imageFilter"), {a}, Qt::ToolTipRole, s, r, montre)->isValid());
    EXPECT_EQ(regards, 0);
}

TEST_F(RowCells, TheStateColourWinsThenTheSelectionThenTheChannel)
{
    const KELSharedResources& r = space->host().sharedResources();
    for (bool selected : {false, true})
        for (bool autre : {false, true}) {
            EXPECT_EQ(ZEVTitleColor(ZEVRowStatusColor::Error, selected, autre, r), r.errorColor());
            EXPECT_EQ(ZEVTitleColor(ZEVRowStatusColor::Moving, selected, autre, r), r.movingColor());
            EXPECT_EQ(ZEVTitleColor(ZEVRowStatusColor::NotFound, selected, autre, r), r.notFoundColor());
        }
    EXPECT_EQ(ZEVTitleColor(std::nullopt, true, false, r), QColor(Qt::white));
    EXPECT_EQ(ZEVTitleColor(std::nullopt, true, true, r), systemLightGrey());
    EXPECT_EQ(ZEVTitleColor(std::nullopt, false, false, r), QColor(Qt::black));
    EXPECT_EQ(ZEVTitleColor(std::nullopt, false, true, r), ZEVOtherChannelColor());
}

TEST_F(RowCells, RowsWriteTheSelectionOfTheirModeOnly)
{
    KELI* a = objet("Plan");
    KELI* b = objet("Devis");
    ZEVSelections& s = space->selections();
    const std::vector<KELI*> rien;
    ZEVSelectInFrontMode(s, ZEVFrontModeTitles, {a, b}, &rien);
    EXPECT_TRUE(s.isTitleSelectedForItem(a) && s.isTitleSelectedForItem(b));
    EXPECT_FALSE(s.isIconSelectedForItem(a));
    // Less what Ctrl took away.
    const std::vector<KELI*> moins{b};
    ZEVSelectInFrontMode(s, ZEVFrontModeTitles, {a}, &moins);
    EXPECT_FALSE(s.isTitleSelectedForItem(b));
    // A find's operation adds to the mode's selection; outside the modes nothing is written.
    ZEVSelectInFrontMode(s, ZEVFrontModeFilters, {a}, 0);
    ZEVSelectInFrontMode(s, ZEVFrontModeFilters, {b}, 2);
    EXPECT_TRUE(s.isFilterSelectedForItem(a) && s.isFilterSelectedForItem(b));
    ZEVSelectInFrontMode(s, ZEVFrontModeNone, {a, b}, 0);
    EXPECT_FALSE(s.isIconSelectedForItem(a) || s.isNodeSelectedForItem(a));

    EXPECT_EQ(ZEVDurationInRange({{500, 1100}, {1900, 2500}}, 1000, 2000), 200.0);
}

} // namespace
} // namespace inspecttest
