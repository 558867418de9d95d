// The front class's title texts by state and Channel, and the durations it sums over the visible
// range.

#include "tests/inspectors/InspectorFixture.h"

#include "desk/model/ZEVItemOptions.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/table/ZEVTableView.h"
#include "platform/AppId.h"
#include "platform/sound/Sound.h"
#include "engine/KELTypes.h"
#include "inspectors/ZEVFrontClass.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

namespace {

using tallomer::ZEVFrontClass;
using namespace tallomer;

QString texte(std::uint64_t options, const QString* other, int* couleur = nullptr)
{
    int c = -1;
    const QString t = ZEVFrontClass::titleTextForOptions(options, QStringLiteral("Plan"), other, &c);
    if (couleur)
        *couleur = c;
    return t;
}

TEST(FrontClassTitles, TheFirstStateWinsThenAnotherChannelThenTheTitle)
{
    const QString atelier = QStringLiteral("Atelier");
    int couleur = -1;
    EXPECT_EQ(texte(ZEVOPTION_DOWNLOADING | ZEVOPTION_ERROR, nullptr, &couleur), QString::fromUtf8("Downloading\u2026 \u2013 Plan"));
    EXPECT_EQ(couleur, 1) << "the moving colour";
    EXPECT_EQ(texte(ZEVOPTION_MOVING | ZEVOPTION_ERROR | ZEVOPTION_NOT_FOUND, nullptr), QString::fromUtf8("Moving\u2026 \u2013 Plan"));
    EXPECT_EQ(texte(ZEVOPTION_ERROR | ZEVOPTION_NOT_FOUND, nullptr, &couleur), QStringLiteral("Error ! \u2013 Plan"));
    EXPECT_EQ(couleur, 2);
    EXPECT_EQ(texte(ZEVOPTION_NOT_FOUND, nullptr, &couleur), QStringLiteral("Not found ! \u2013 Plan"));
    EXPECT_EQ(couleur, 3);
    // A state wins over another Channel's form.
    EXPECT_EQ(texte(ZEVOPTION_COPYING, &atelier), QString::fromUtf8("Copying\u2026 \u2013 Plan"));
    EXPECT_EQ(texte(0, &atelier, &couleur), QStringLiteral("Plan in \"Atelier\""));
    EXPECT_EQ(couleur, 0);
    // Bits that are no state leave the title alone.
    EXPECT_EQ(texte(ZEVOPTION_HOLD_BY_ZEV | ZEVOPTION_HOLD_BY_EXTERN, nullptr), QStringLiteral("Plan"));
}

TEST(FrontClassDurations, OnlyThePartInsideTheRangeCounts)
{
    const double in = 1000, out = 2000;
    EXPECT_EQ(ZEVFrontClass::durationInRange({}, in, out), 0.0);
    EXPECT_EQ(ZEVFrontClass::durationInRange({{1200, 1300}}, in, out), 100.0);
    EXPECT_EQ(ZEVFrontClass::durationInRange({{500, 1100}, {1900, 2500}}, in, out), 200.0) << "partly outside";
    EXPECT_EQ(ZEVFrontClass::durationInRange({{100, 900}, {2100, 3000}}, in, out), 0.0) << "wholly outside";
    EXPECT_EQ(ZEVFrontClass::durationInRange({{-KELDateOuverte, KELDateOuverte}}, in, out), 1000.0) << "open ends";
    EXPECT_EQ(ZEVFrontClass::durationInRange({{1500, KELDateOuverte}, {1000, 1000}}, in, out), 500.0);
}

} // namespace

namespace inspecttest {
namespace {

TEST_F(Inspectors, CutReleasesAtTheActiveCursorOnlyAfterACopyThatWrote)
{
    RecordingSound sound;
    Sound::setShared(&sound);
    FakeFront& front = *host.front;
    ZEVFrontClass fc(*space, front);
    ZEVTableView table(space->spaceWindow()->spaceView());
    table.referencerSpaceController(*space, &front);
    table.setZevClass(&fc);
    table.setColumnIdentifiers(ZEVFrontClass::itemColumns());
    fc.referencerSelectionItemTableView(&table);

    // Nothing to copy: one beep, nothing released.
    fc.cut(table);
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_EQ(front.releasesNow + front.releasesSearch, 0);

    // A row of no file or web type goes as its title and its record; then the release follows.
    KELI* objet = KELServeurDeLiens::LienForInt(KELOBJECT_CHANNEL_VIEWER_ROOT, space->tlCurseur());
    ASSERT_NE(objet, nullptr);
    fc.referencerSelectedItems({objet});
    table.selectRow(0);
    QGuiApplication::clipboard()->clear();
    fc.cut(table);
    EXPECT_EQ(sound.beeps, 1);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_TRUE(copied->hasFormat(QString::fromLatin1(kItemPasteboardType)));
    EXPECT_EQ(front.releasesNow + front.releasesSearch, 1);
    EXPECT_EQ(space->actifCurseur() == space->nowCurseur() ? front.releasesNow : front.releasesSearch, 1);

    // Paste into the list does nothing; Copy of the links list only beeps.
    ZEVTableView links(space->spaceWindow()->spaceView());
    links.referencerSpaceController(*space, &front);
    links.setZevClass(&fc);
    fc.referencerSelectionLinkTableView(&links);
    fc.copy(links);
    EXPECT_EQ(sound.beeps, 2);
    fc.cut(links);
    EXPECT_EQ(sound.beeps, 3);
    EXPECT_EQ(front.releasesNow + front.releasesSearch, 1);
    Sound::setShared(nullptr);
}

} // namespace
} // namespace inspecttest
