// What the Files panel makes of the things brought in, by kind, in the running program: tracks are files the
// system holds, listed once; a file the desk knows but the panel never listed gets its first
// presence, one the panel listed before is recalled; pasted pictures and PDFs become file Objects
// of their own, named as they came or "pasted"; one that cannot be written leaves nothing.

#include "tests/e2e/E2EFixture.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/model/ZEVModelSupport.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/context/ZEVContextViewer.h"
#include "inspectors/files/ZEVFileViewer.h"
#include "space/ZEVConstants.h"
#include "widgets/ZEVButton.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <algorithm>

namespace e2e {
namespace {

class FileImports : public E2E {
protected:
    void SetUp() override
    {
        E2E::SetUp();
        startWithTheBar();
        auto* bar = dynamic_cast<ZEVContextViewer*>(space()->contextViewer());
        ASSERT_NE(bar, nullptr);
        click(bar->buttonForEntityInt(2000005));
        advance(1.0);
        viewer = dynamic_cast<ZEVFileViewer*>(space()->viewerForEntityClassName("ZEVFileViewer"));
        ASSERT_NE(viewer, nullptr);
    }
    QString writeFile(const QString& name)
    {
        QFile f(home + "/" + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(name.toUtf8());
        return QFileInfo(f.fileName()).absoluteFilePath();
    }
    // The Object's Files presences that are not forgotten: (in, out).
    std::vector<std::pair<KELDate, KELDate>> presences(KELI* item)
    {
        std::vector<std::pair<KELDate, KELDate>> out;
        const KELIds ids = KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(item->idInt(), KELRELATION_FILE_VIEWER);
        for (KELId id : ids.value_or(std::vector<KELId>())) {
            KELI* l = KELServeurDeLiens::LienForInt(id, space()->nowCurseur());
            if (l && !deskmodel::siOublie(l))
                out.emplace_back(l->inDate(), l->outDate());
        }
        std::sort(out.begin(), out.end());
        return out;
    }
    KELDate now() const { return space()->nowCurseur()->now(); }

    ZEVFileViewer* viewer = nullptr;
};

TEST_F(FileImports, TracksAreFilesTheSystemHoldsAndTheSameTrackAgainIsRecalledNotMadeTwice)
{
    const QString song = writeFile("song.mp3");
    ZEVItemSet set;
    const QList<ZEVTrack> tracks = {{QUrl::fromLocalFile(song)},
                                    {QUrl::fromLocalFile(home + "/missing.mp3")},
                                    {QUrl(QStringLiteral("http://127.0.0.1:9/stream.mp3"))}};
    EXPECT_TRUE(viewer->_addITunesTracks(tracks, set));
    ASSERT_EQ(set.size(), 1u) << "neither the missing file nor the stream";
    KELI* track = set.items().front();
    EXPECT_TRUE(siItemOption(track, ZEVOPTION_HOLD_BY_SYSTEM));
    EXPECT_EQ(ZEVItemData::Current().filePathForItem(track), song);
    ASSERT_EQ(presences(track).size(), 1u);
    EXPECT_NEAR(presences(track)[0].first, now(), 1.0);

    // Released later, then brought in again: the same Object, a second presence from then.
    advance(60);
    viewer->fileClass().releaseFilesForItems({track});
    advance(1.0);
    ASSERT_FALSE(viewer->fileClass().isItemActif(track));
    ZEVItemSet again;
    EXPECT_TRUE(viewer->_addITunesTracks({tracks[0]}, again));
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again.items().front(), track);
    EXPECT_EQ(presences(track).size(), 2u);
    EXPECT_TRUE(viewer->fileClass().isItemActif(track));
}

TEST_F(FileImports, AFileOnlyTheDeskKnewGetsItsFirstPresenceWhileOneThePanelListedIsRecalled)
{
    const QString path = writeFile("plan.odt");
    ZEVItemClass items(space()->nowCurseur(), nullptr);
    KELI* onDesk = items.creerItemWithChannelInt(space()->currentChannelInt(), "plan.odt", "file", "odt", 0);
    ASSERT_NE(onDesk, nullptr);
    ZEVItemData::Current().createFileURL(path, QUrl(), onDesk);
    ASSERT_TRUE(presences(onDesk).empty());

    ZEVItemSet set;
    EXPECT_TRUE(viewer->_addFileURLs({QUrl::fromLocalFile(path)}, set));
    ASSERT_EQ(set.items(), std::vector<KELI*>{onDesk}) << "found by its path, not made again";
    ASSERT_EQ(presences(onDesk).size(), 1u);
    EXPECT_NEAR(presences(onDesk)[0].first, now(), 1.0);

    // Now known to the panel: released, then brought again, it is recalled from that moment.
    advance(60);
    viewer->fileClass().releaseFilesForItems({onDesk});
    advance(1.0);
    advance(60);
    const KELDate recalledAt = now();
    ZEVItemSet again;
    viewer->_addFileURLs({QUrl::fromLocalFile(path)}, again);
    ASSERT_EQ(again.items(), std::vector<KELI*>{onDesk});
    const auto p = presences(onDesk);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_LT(p[0].second, recalledAt) << "the first stays ended";
    EXPECT_NEAR(p[1].first, recalledAt, 1.0);
}

TEST_F(FileImports, PastedPicturesAndPdfsBecomeFilesNamedAsTheyCameOrPasted)
{
    QImage red(8, 8, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ZEVItemSet set;
    EXPECT_TRUE(viewer->_addBitmapImages({{red, QStringLiteral("sketch")}, {red, QString()}}, set));
    EXPECT_TRUE(viewer->_addPDFImages({{QByteArray("%PDF-1.4\n%%EOF\n"), QString()}}, set));
    ASSERT_EQ(set.size(), 3u);
    const std::vector<std::string> titles = {"sketch", "pasted", "pasted"};
    const std::vector<QString> suffixes = {"tiff", "tiff", "pdf"};
    for (std::size_t i = 0; i < 3; ++i) {
        KELI* o = set.items()[i];
        EXPECT_EQ(viewer->fileClass().itemTitleForItem(o).value_or(""), titles[i]) << i;
        const QString file = ZEVItemData::Current().filePathForItem(o);
        EXPECT_TRUE(QFileInfo::exists(file)) << i << " " << file.toStdString();
        EXPECT_EQ(QFileInfo(file).suffix(), suffixes[i]) << i;
        ASSERT_EQ(presences(o).size(), 1u) << i;
        EXPECT_NEAR(presences(o)[0].first, now(), 1.0) << i;
    }
    // One that cannot be written leaves no Object behind and does not count.
    ZEVItemSet broken;
    EXPECT_FALSE(viewer->_addPDFImages({{QByteArray(), QStringLiteral("unwritable")}}, broken));
    EXPECT_TRUE(broken.empty());
    EXPECT_TRUE(liveObjectsTitled("unwritable").empty());
}

} // namespace
} // namespace e2e
