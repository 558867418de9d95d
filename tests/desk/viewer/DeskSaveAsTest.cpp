// The drop folder: what the user puts into it becomes file Objects on the Now desk of the
// drop-folder Channel, a second after the change, through a watch the test fires itself.

#include "tests/desk/DropFixture.h"

#include "desk/model/ZEVItemOptions.h"
#include "desk/viewer/ZEVDeskSaveAs.h"
#include "platform/files/FileIdentity.h"
#include "runtime/Log.h"

namespace desktest {

namespace {

class FakeWatch final : public DirectoryWatch {
public:
    using DirectoryWatch::DirectoryWatch;
    bool renew() override { return ++renews, true; }
    int renews = 0;
};

class SaveAsSpace final : public ZEVDeskSaveAs::Space {
public:
    KELId zevFolderChannelInt() override { return channel; }
    ZEVDeskViewer* nowDeskViewer() override { return desk; }
    KELId channel = KELOBJECT_HOME_CHANNEL;
    ZEVDeskViewer* desk = nullptr;
};

class DropFolder : public DropBase {
protected:
    void SetUp() override
    {
        DropBase::SetUp();
        saveAsSpace.desk = d;
        auto w = std::make_unique<FakeWatch>(folders.zevFolder);
        watch = w.get();
        saveAs = std::make_unique<ZEVDeskSaveAs>(saveAsSpace, std::move(w));
    }
    void TearDown() override
    {
        saveAs.reset();
        DropBase::TearDown();
    }

    QString put(const QString& name, const QByteArray& bytes = "dropped")
    {
        const QString path = folders.zevFolder + "/" + name;
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        return path;
    }
    // The watch heard a change; its scan runs a second later.
    void changed()
    {
        watch->noteChange();
        sched.advance(1.0);
    }

    KELI* objectAt(const QString& path)
    {
        const KELId id = store().itemNumberWithPath(path);
        return id ? KELServeurDeLiens::LienForInt(id, now) : nullptr;
    }

    SaveAsSpace saveAsSpace;
    FakeWatch* watch = nullptr;
    std::unique_ptr<ZEVDeskSaveAs> saveAs;
    ScopedLogCapture log;
};

TEST_F(DropFolder, HiddenPartialAndKnownEntriesWaitOrAreSkipped)
{
    for (const char* name : {".secret", "film.part", "film2.crdownload", "film3.download", "film4.PARTIAL"})
        put(QString::fromLatin1(name));
    // Known in another Channel: dropped there, then moved into the folder.
    const KELId otherChannel = 2000999;
    ASSERT_TRUE(ZEVItemDataChannels::CreateItemDataForChannelInt(otherChannel));
    const QString known = put("known.txt");
    KELI* elsewhere = itemClasses.front()->creerItemWithChannelInt(otherChannel, "known.txt", "file", "txt", 0);
    ASSERT_TRUE(ZEVItemDataChannels::ItemDataForChannelInt(otherChannel)->createFileURL(known, QUrl(), elsewhere));
    changed();
    EXPECT_TRUE(shown().empty()) << testing::PrintToString(shown());

    // Renamed once the browser is done: taken.
    ASSERT_TRUE(QFile::rename(folders.zevFolder + "/film.part", folders.zevFolder + "/film.mkv"));
    changed();
    EXPECT_EQ(shown(), std::vector<std::string>{"file:film.mkv"});
    KELI* film = objectAt(folders.zevFolder + "/film.mkv");
    ASSERT_NE(film, nullptr);
    EXPECT_TRUE(siItemOption(film, ZEVOPTION_HOLD_BY_ZEV_FOLDER));
    EXPECT_EQ(watch->renews, 2) << "the watch is renewed at each scan";
}

TEST_F(DropFolder, AFileReplacedUnderItsNameKeepsItsObjectAndIcon)
{
    const QString file = put("report.txt", "first");
    changed();
    KELI* item = objectAt(file);
    ASSERT_NE(item, nullptr);
    const QString firstUid = fileUid(file);

    // Saved again by a program that writes a new file and removes the old one.
    const QString next = folders.zevFolder + "/.report.tmp";
    QFile f(next);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("second") == 6);
    f.close();
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QFile::rename(next, file));
    ASSERT_NE(fileUid(file), firstUid);
    changed();
    EXPECT_EQ(shown(), std::vector<std::string>{"file:report.txt"});
    EXPECT_EQ(objectAt(file), item);
    EXPECT_EQ(store().uidForItem(item, "file"), fileUid(file));
    EXPECT_EQ(store().itemNumberWithUid(fileUid(file)), item->idInt());
    EXPECT_EQ(spans(KELRELATION_ICON_VIEWER, item, true).size(), 1u) << "a second icon";
    EXPECT_EQ(d->nbDeItemViews(), 1u);
}

TEST_F(DropFolder, ManyFilesStepThroughTheDefaultPlacesAndAMissingFolderIsLogged)
{
    for (int i = 0; i < 4; ++i)
        put(QStringLiteral("f%1.txt").arg(i));
    QDir().mkpath(folders.zevFolder + "/a folder");
    changed();
    ASSERT_EQ(shown().size(), 5u) << "a folder is a file Object like the others";
    std::set<std::pair<double, double>> places;
    for (ZEVItemViewForDesks* v : d->itemViewSet())
        places.insert({v->iconPosition().x, v->iconPosition().y});
    EXPECT_EQ(places.size(), 5u) << "icons on top of each other";

    ASSERT_TRUE(QDir(folders.zevFolder).removeRecursively());
    changed();
    EXPECT_TRUE(log.sink.contains("ZEVDeskSaveAs Error when get content of folder: " + folders.zevFolder.toStdString()));
    EXPECT_EQ(shown().size(), 5u);
}

} // namespace

} // namespace desktest
