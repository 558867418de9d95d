// The per-Channel Object data store on a fresh store layout in a temporary folder. Objects are
// bare links with fixed ids; a space controller stand-in answers types, titles and wakes from
// tables and records downloads.

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVDeskIds.h"
#include "desk/viewer/ZEVDeskImport.h"
#include "desk/viewer/ZEVRetrieveItemPanel.h"
#include "tests/support/NullServices.h"
#include "tests/support/RefusedFolder.h"
#include "engine/KELLien.h"
#include "runtime/Log.h"
#include "platform/files/FileIdentity.h"
#include "platform/files/RecordFile.h"
#include "platform/files/Webloc.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QStandardPaths>
#include <QtEndian>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace tallomer;
using namespace tallomer::test;

namespace {

QByteArray httpRecord(const QString& uid) { return encodeRecord(QCborMap{{"uid", uid}}); }

// Every file (or every file and folder) below folder, as absolute paths.
QStringList filesBelow(const QString& folder, QDir::Filters kinds = QDir::Files)
{
    QStringList out;
    QDirIterator it(folder, kinds | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next();
    out.sort();
    return out;
}

class FakeSpace : public test::NullSpaceForItemData {
public:
    std::map<KELId, std::string> types;
    std::map<KELId, std::string> titles;
    std::map<KELId, std::unique_ptr<KELI>> objects;
    std::vector<std::pair<QUrl, KELId>> downloads;
    std::map<QString, ZEVPersonDates> people;
    int tag = 0;
    KELId nextId = 500000000;
    int takenBack = 0; // Objects made and taken back because their record was not written

    KELI* make(KELId id, KELId channel, const std::string& type, const std::string& title = {})
    {
        auto& item = objects[id] = std::make_unique<KELI>();
        item->assignerIdInt(id);
        item->setChannelInt(channel);
        types[id] = type;
        titles[id] = title.empty() ? "title " + std::to_string(id) : title;
        return item.get();
    }

    int goToTag() override { return tag; }
    std::string itemTypeForItem(KELI* item) override { return types[item->idInt()]; }
    std::string itemTitleForItem(KELI* item) override { return titles[item->idInt()]; }
    KELI* itemForId(KELId id) override { return objects.contains(id) ? objects[id].get() : nullptr; }
    KELI* creerItem(KELId channel, const std::string& title, const std::string& type, const std::string&,
                    ZEVItemOption options, const std::function<bool(KELI*)>& writeOutside) override
    {
        const KELId id = nextId++;
        KELI* item = make(id, channel, type, title);
        item->assignerBaseInt(options);
        if (writeOutside(item))
            return item;
        objects.erase(id);
        ++takenBack;
        return nullptr;
    }
    bool startDownload(const QUrl& u, KELI* item, const QString&) override
    {
        downloads.emplace_back(u, item->idInt());
        return true;
    }
    std::optional<ZEVPersonDates> personWithUid(const QString& uid) override
    {
        return people.contains(uid) ? std::optional(people[uid]) : std::nullopt;
    }
};

class ItemDataTest : public ::testing::Test {
protected:
    static constexpr KELId kHome = KELOBJECT_HOME_CHANNEL;
    static constexpr KELId kOther = 2000100;

    void SetUp() override
    {
        root = QString::fromStdString(makeTempDir("itemdata"));
        folders.zevDir = root + "/store";
        folders.zevData = folders.zevDir + "/local/zevData";
        folders.zevDrop = folders.zevDir + "/local/zevDrop";
        folders.zevFolder = root + "/Tallomer";
        folders.trash = root + "/Trash";
        for (const QString& folder : {folders.zevData, folders.zevDrop, folders.zevFolder})
            QDir().mkpath(folder);
        configure();
        ZEVItemDataChannels::setStoreErrorHook([this](const QString& m) { storeErrors << m; });
    }

    void TearDown() override
    {
        ZEVItemDataChannels::setStoreErrorHook({});
        ZEVItemDataChannels::Reset();
        // Later tests' searches for lost files walk the test home: leave nothing behind.
        QDir(root).removeRecursively();
    }

    ZEVItemData& store(KELId channel = kHome)
    {
        EXPECT_TRUE(ZEVItemDataChannels::CreateItemDataForChannelInt(channel)); // or finds the one made
        return *ZEVItemDataChannels::ItemDataForChannelInt(channel);
    }

    void configure()
    {
        ZEVItemDataChannels::Reset();
        ZEVItemDataChannels::SetFolders(folders);
        ZEVItemDataChannels::SetVolumeMap(VolumeMap({QStringLiteral("/")}, QDir::homePath()));
        ZEVItemDataChannels::ReferencerSpaceController(&space);
    }

    // Forgets the stores and loads them again from disk, as at the next start.
    int restart()
    {
        configure();
        const double expected = ZEVItemDataChannels::PrepareDicosForURL(folders.zevData);
        int increments = 0;
        ZEVItemDataChannels::InitializeDicos([&] { ++increments; });
        EXPECT_EQ(double(increments), expected);
        return increments;
    }

    QString writeFile(const QString& path, const QByteArray& bytes = "content")
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return QFileInfo(path).absoluteFilePath();
    }

    // Moves or renames a file behind the store's back, making the folder it goes to.
    QString moveFile(const QString& from, const QString& to)
    {
        QDir().mkpath(QFileInfo(to).absolutePath());
        EXPECT_TRUE(QFile::rename(from, to)) << to.toStdString();
        return to;
    }

    QCborMap record(KELId item, const QString& kind, KELId channel = kHome)
    {
        const RecordRead read = readRecordFile(store(channel).recordPath(item, kind));
        EXPECT_TRUE(read) << read.error.toStdString();
        return read ? *read.fields : QCborMap();
    }

    QString root;
    ZEVItemDataFolders folders;
    FakeSpace space;
    QStringList storeErrors;
};

} // namespace

// ---- Loading the indexes at start: files that moved, records that cannot be resolved or read.

TEST_F(ItemDataTest, MovedAndRenamedFilesAreFoundAtStartAndTheirRecordsRewritten)
{
    KELI* a = space.make(100000001, kHome, "file");
    KELI* b = space.make(100000002, kHome, "file");
    const QString pathA = writeFile(folders.zevFolder + "/report.txt");
    const QString pathB = writeFile(root + "/elsewhere/photo.png");
    ASSERT_TRUE(store().createFileURL(pathA, {}, a));
    ASSERT_TRUE(store().createFileURL(pathB, QUrl("https://example.org/photo.png"), b));
    const QString uidA = fileUid(pathA);

    // A moves into a sub-folder of the home; B is renamed in place.
    const QString movedA = moveFile(pathA, root + "/deep/er/report.txt");
    const QString renamedB = moveFile(pathB, root + "/elsewhere/holiday.png");

    EXPECT_EQ(restart(), 2);
    ZEVItemData& s = store();
    EXPECT_EQ(s.itemNumberWithPath(movedA), a->idInt());
    EXPECT_EQ(s.itemNumberWithPath(renamedB), b->idInt());
    EXPECT_EQ(s.itemNumberWithPath(pathA), 0u);
    EXPECT_EQ(s.itemNumberWithPath(pathB), 0u);
    EXPECT_EQ(s.itemNumberWithUid(uidA), a->idInt()); // identity kept across the move

    const QCborMap recA = record(a->idInt(), "file");
    EXPECT_EQ(recordString(recA, "path"), movedA);
    EXPECT_EQ(recordString(recA, "uid"), uidA);
    // The origin of B survives the rewrite.
    EXPECT_EQ(recordString(record(b->idInt(), "file"), "httpPath"), "https://example.org/photo.png");

    // The rewritten record resolves by its path next time, without any search.
    EXPECT_EQ(restart(), 2);
    EXPECT_EQ(store().itemNumberWithPath(movedA), a->idInt());
}

// At start the record of a file that moved is rewritten; when the disk takes no more (here a
// child whose files may not grow, as on a full disk), the old record stays whole, the failure is
// reported, and the Object still finds its file, in this run and the next.
TEST_F(ItemDataTest, ARewriteAtStartThatCannotBeWrittenKeepsTheOldRecord)
{
    KELI* a = space.make(100000003, kHome, "file");
    const QString path = writeFile(folders.zevFolder + "/report.txt");
    ASSERT_TRUE(store().createFileURL(path, {}, a));
    const QString recordFile = store().recordPath(a->idInt(), "file");
    QFile in(recordFile);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray old = in.readAll();
    in.close();
    const QString moved = moveFile(path, root + "/deep/report.txt");

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit none{0, 0};
        ::setrlimit(RLIMIT_FSIZE, &none);
        configure();
        ZEVItemDataChannels::PrepareDicosForURL(folders.zevData);
        ZEVItemDataChannels::InitializeDicos();
        const ZEVItemData* loaded = ZEVItemDataChannels::ItemDataForChannelInt(kHome);
        const bool found = loaded && loaded->itemNumberWithPath(moved) == a->idInt();
        ::_exit(storeErrors.size() == 1 ? (found ? 0 : 1) : 2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the file was not found in that run; 2: the failure was not reported";
    QFile after(recordFile);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), old);
    EXPECT_EQ(filesBelow(folders.zevData), QStringList{recordFile}) << "no temporary left";

    // With room again the next start finds the file through the old record and rewrites it.
    restart();
    EXPECT_EQ(store().itemNumberWithPath(moved), a->idInt());
    EXPECT_EQ(recordString(record(a->idInt(), "file"), "path"), moved);
}

TEST_F(ItemDataTest, BadRecordsAreLoggedAndSkippedWithoutLosingTheOthers)
{
    KELI* gone = space.make(100000010, kHome, "file");
    KELI* kept = space.make(100000011, kHome, "file");
    const QString gonePath = writeFile(root + "/gone.txt");
    const QString keptPath = writeFile(root + "/kept.txt");
    ASSERT_TRUE(store().createFileURL(gonePath, {}, gone));
    ASSERT_TRUE(store().createFileURL(keptPath, {}, kept));
    ASSERT_TRUE(QFile::remove(gonePath));

    const QString data = store().zevDataURL();
    // A truncated record, one of an unknown kind, one whose name is no Object id, a good one.
    const QByteArray good = httpRecord("https://example.org/");
    writeFile(data + "/100000012.http", good.left(good.size() - 3));
    writeFile(data + "/100000013.other", good);
    writeFile(data + "/notanid.http", good);
    writeFile(data + "/100000014.http", good);
    // A stray file beside the Channel folders is no Channel.
    writeFile(folders.zevData + "/stray.txt");

    ScopedLogCapture log;
    EXPECT_EQ(restart(), 6);
    ZEVItemData& s = store();
    EXPECT_TRUE(log.sink.contains("InitializeDicosFromURL ERROR 2:"));
    EXPECT_TRUE(log.sink.contains(("                 previous path: " + gonePath).toStdString()));
    EXPECT_TRUE(log.sink.contains("InitializeDicosFromURL ERROR 1:"));
    EXPECT_EQ(s.itemNumberWithPath(gonePath), 0u);
    EXPECT_EQ(s.itemNumberWithPath(keptPath), kept->idInt());
    EXPECT_EQ(s.itemNumberWithUid("https://example.org/"), 100000014u);
    EXPECT_EQ(ZEVItemDataChannels::ItemDatas().size(), 1u);
    // The unresolvable record is left as it was, for a later run when the volume is back.
    EXPECT_EQ(recordString(record(gone->idInt(), "file"), "path"), gonePath);
}

TEST_F(ItemDataTest, ThousandsOfMutatedRecordsNeverCrashTheLoad)
{
    const QString data = store().zevDataURL();
    const QByteArray pristine = encodeRecord(
        QCborMap{{"uid", "https://example.org/page"}, {"path", "/nowhere/x"}, {"bookmark", QByteArray(40, 'b')}});
    const char* kinds[] = {"file", "http", "zevp", "message", "ABPerson"};

    std::mt19937 rng(8);
    const int kCount = 3000;
    for (int i = 0; i < kCount; ++i) {
        QByteArray bytes = pristine;
        switch (rng() % 4) {
        case 0: // truncated anywhere, header included
            bytes.truncate(qsizetype(rng() % bytes.size()));
            break;
        case 1: // a few flipped bits
            for (int k = 0; k < 1 + int(rng() % 4); ++k)
                bytes[qsizetype(rng() % bytes.size())] ^= char(1u << (rng() % 8));
            break;
        case 2: // a declared length far beyond the file
            qToBigEndian<quint32>(quint32(0x7FFFFFFF - rng() % 1000), bytes.data() + 8);
            break;
        default: // random payload bytes after an honest header
            for (qsizetype k = 16; k < bytes.size(); ++k)
                bytes[k] = char(rng());
        }
        writeFile(data + QStringLiteral("/%1.%2").arg(200000000 + i).arg(kinds[i % 5]), bytes);
    }
    // A sparse file far over any record's size is refused without being read.
    ASSERT_TRUE(QFile::resize(writeFile(data + "/300000000.http", {}), qint64(4) * 1024 * 1024 * 1024));
    writeFile(data + "/300000001.http", httpRecord("https://intact.example/"));

    ScopedLogCapture log;
    EXPECT_EQ(restart(), kCount + 2);
    EXPECT_EQ(store().itemNumberWithUid("https://intact.example/"), 300000001u);
    EXPECT_GT(log.sink.count("InitializeDicosFromURL ERROR"), std::size_t(kCount / 2));
}

TEST_F(ItemDataTest, ChannelFoldersAreMadeWhenMissingAndEveryChannelIsLoaded)
{
    ASSERT_TRUE(ZEVItemDataChannels::CreateItemDataForChannelInt(kOther));
    EXPECT_TRUE(QFileInfo(folders.zevDrop + "/2000100").isDir());
    EXPECT_TRUE(QFileInfo(folders.zevData + "/2000100").isDir());
    KELI* web = space.make(100000020, kOther, "http");
    ASSERT_TRUE(store(kOther).createFileHttpWithUid("https://example.org/a", web));
    EXPECT_TRUE(web->baseInt() & ZEVOPTION_QL_ICON);

    restart();
    ASSERT_NE(ZEVItemDataChannels::ItemDataForChannelInt(kOther), nullptr);
    EXPECT_EQ(ZEVItemDataChannels::ItemDataForChannelInt(kOther)->itemNumberWithUid("https://example.org/a"),
              web->idInt());
    // The class lookups go to the current Channel only.
    EXPECT_EQ(ZEVItemData::Current().itemNumberWithUid("https://example.org/a"), 0u);
    ZEVItemDataChannels::SetCurrentChannelInt(kOther);
    EXPECT_EQ(ZEVItemData::Current().itemNumberWithUid("https://example.org/a"), web->idInt());

    // No store is made for a folder it cannot use.
    ZEVItemDataFolders broken = folders;
    broken.zevDrop = writeFile(root + "/a-file-not-a-folder");
    ZEVItemDataChannels::SetFolders(broken);
    ScopedLogCapture log;
    EXPECT_FALSE(ZEVItemDataChannels::CreateItemDataForChannelInt(2000200));
    EXPECT_TRUE(log.sink.contains("Creating Application Support/Tallomer/local/zevDrop/2000200 folder ERROR"));
}

// A Channel without a store (one whose folders could not be made) is current: every operation
// reached through the current store answers nothing, and nothing is written, moved or trashed,
// though another Channel's store holds records and files for the same Objects.
TEST_F(ItemDataTest, WithoutAStoreForTheCurrentChannelEveryOperationAnswersNothingAndWritesNothing)
{
    KELI* file = space.make(100000030, kHome, "file");
    KELI* web = space.make(100000031, kHome, "http");
    KELI* mail = space.make(100000032, kHome, "message");
    const QString path = writeFile(folders.zevFolder + "/kept.txt");
    ASSERT_TRUE(store().createFileURL(path, {}, file));
    ASSERT_TRUE(store().createFileHttpWithUid("https://example.org/", web));
    ASSERT_TRUE(store().createFileMessageWithDico(QCborMap{{"uid", "<m@example.org>"}}, mail));
    writeFile(store().itemDropFolder(web->idInt()) + "/index.html");
    space.tag = 3;

    ZEVItemDataChannels::SetCurrentChannelInt(kOther);
    ZEVItemData& none = ZEVItemData::Current();
    ASSERT_TRUE(none.isNone());
    EXPECT_EQ(ZEVItemDataChannels::ItemDatas().size(), 1u); // the stand-in is no registered store

    // A store without folders would find its records in the working folder: give it some there.
    const QString working = root + "/working";
    writeFile(working + "/100000030.file", encodeRecord(record(file->idInt(), "file")));
    writeFile(working + "/100000031.http", httpRecord("https://example.org/"));
    struct RestoreWorking {
        QString path;
        ~RestoreWorking() { QDir::setCurrent(path); }
    } restoreWorking{QDir::currentPath()};
    ASSERT_TRUE(QDir::setCurrent(working));

    const auto everythingBelowHome = [] {
        return filesBelow(QDir::homePath(), QDir::AllEntries).join('\n').toStdString();
    };
    const std::string homeBefore = everythingBelowHome();
    const std::size_t objectsBefore = space.objects.size();
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::blue);
    const ZEVRichText text{{{"pasted", false, false}}, {{"a.png", "bytes"}}};

    ZEVItemDataFiles& files = none.files();
    ScopedLogCapture log;
    const std::pair<const char*, std::function<bool()>> answersNothing[] = {
        {"createFileURL", [&] { return !none.createFileURL(path, {}, file); }},
        {"createZevpURL", [&] { return !none.createZevpURL(path, "zevp://1", file); }},
        {"createFileHttpWithUid", [&] { return !none.createFileHttpWithUid("https://example.org/", web); }},
        {"createFilePersonWithUid", [&] { return !none.createFilePersonWithUid("P-1", file); }},
        {"createFileMessageWithDico", [&] { return !none.createFileMessageWithDico({}, mail); }},
        {"updatePersonUidWithIem", [&] { return !none.updatePersonUidWithIem(file, "P-2"); }},
        {"itemNumberWithUid", [&] { return none.itemNumberWithUid(fileUid(path)) == 0; }},
        {"itemNumberWithPath", [&] { return none.itemNumberWithPath(path) == 0; }},
        {"uidForItem", [&] { return none.uidForItem(web, "http").isNull(); }},
        {"fileUrlForItem", [&] { return none.fileUrlForItem(file).isEmpty() && none.fileUrlForItem(web).isEmpty(); }},
        {"originalHttpUrlForItem", [&] { return none.originalHttpUrlForItem(web).isEmpty(); }},
        {"httpUrlForItem", [&] { return none.httpUrlForItem(web).isEmpty(); }},
        {"zevpImageUrlForItem", [&] { return none.zevpImageUrlForItem(file).isEmpty(); }},
        {"goToDateForItem", [&] { return !none.goToDateForItem(file) && !none.goToDateForItem(mail); }},
        {"createdDateForItem", [&] { return !none.createdDateForItem(file); }},
        {"modifiedDateForItem", [&] { return !none.modifiedDateForItem(file); }},
        {"matchingItem", [&] { return none.matchingItem(web) == nullptr; }},
        {"createSameItem", [&] { return none.createSameItem(web) == nullptr; }},
        {"updateFilePathWithItem", [&] { return none.updateFilePathWithItem(file, path), true; }},
        {"updateFileUidWithItem", [&] { return none.updateFileUidWithItem(file, path), true; }},
        {"deleteItem", [&] { return none.deleteItem(file), none.deleteItem(web), true; }},
        {"ensureItemDropFolder", [&] { return files.ensureItemDropFolder(file->idInt()).isEmpty(); }},
        {"createBitmapImage", [&] { return files.createBitmapImage(image, "i", file).isEmpty(); }},
        {"createPdfImage", [&] { return files.createPdfImage("%PDF-1.4", "p", file).isEmpty(); }},
        {"createZevpImage", [&] { return files.createZevpImage(image, file).isEmpty(); }},
        {"createRTFWithAttributedString", [&] { return files.createRTFWithAttributedString(text, file).isEmpty(); }},
        {"createRTFDWithAttributedString", [&] { return files.createRTFDWithAttributedString(text, file).isEmpty(); }},
        {"weblocUrlForItem", [&] { return files.weblocUrlForItem(web, "https://example.org/").isEmpty(); }},
    };
    for (const auto& [name, check] : answersNothing)
        EXPECT_TRUE(check()) << name;

    EXPECT_EQ(everythingBelowHome(), homeBefore);
    EXPECT_EQ(space.objects.size(), objectsBefore);
    EXPECT_TRUE(space.downloads.empty());
    EXPECT_TRUE(storeErrors.isEmpty());
    EXPECT_TRUE(log.sink.lines.empty());
    // The Channel's own store still has everything.
    EXPECT_EQ(store().itemNumberWithPath(path), file->idInt());
    EXPECT_EQ(store().uidForItem(web, "http"), "https://example.org/");

    // Once the Channel has its store, that store is the current one; after a reset there is none.
    ASSERT_TRUE(ZEVItemDataChannels::CreateItemDataForChannelInt(kOther));
    EXPECT_EQ(&ZEVItemData::Current(), ZEVItemDataChannels::ItemDataForChannelInt(kOther));
    ZEVItemDataChannels::Reset();
    EXPECT_EQ(ZEVItemDataChannels::CurrentChannelInt(), kHome);
    EXPECT_TRUE(ZEVItemData::Current().isNone());
}

// ---- Writing records and generated files, repairs on lookup, deletion and equivalents across
// Channels.

TEST_F(ItemDataTest, OutsideNamesNeverLeaveTheObjectsFolderNorReplaceAFile)
{
    KELI* item = space.make(100000100, kHome, "file");
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString folder = store().itemDropFolder(item->idInt());
    const QString hostile[] = {"../x", "/etc/passwd", ".", "..", "", QString(300, QChar(0x00E9)),
                               QStringLiteral("a") + QChar(0) + QStringLiteral("b"), ".hidden", "../x"};
    QStringList written;
    for (const QString& name : hostile) {
        const QString path = store().files().createBitmapImage(image, name, item);
        ASSERT_FALSE(path.isEmpty()) << name.toStdString();
        EXPECT_EQ(QFileInfo(path).absolutePath(), folder) << path.toStdString();
        EXPECT_LE(QFileInfo(path).fileName().toUtf8().size(), 255);
        EXPECT_FALSE(QFileInfo(path).fileName().startsWith('.'));
        written << path;
    }
    written.removeDuplicates();
    EXPECT_EQ(written.size(), qsizetype(std::size(hostile))); // the second "../x" did not replace the first
    EXPECT_EQ(filesBelow(folder).size(), written.size());
    EXPECT_FALSE(QFileInfo::exists(root + "/x.tiff"));

    const QString pdf = store().files().createPdfImage("%PDF-1.4 test", "../../escape", item);
    EXPECT_EQ(QFileInfo(pdf).absolutePath(), folder);
    EXPECT_TRUE(store().files().createPdfImage({}, "empty", item).isEmpty());

    // The desk image is the Object's own: a newer one replaces it.
    const QString jpeg = store().files().createZevpImage(image, item);
    EXPECT_EQ(jpeg, folder + "/zevp.jpeg");
    EXPECT_EQ(store().files().createZevpImage(image, item), jpeg);
    EXPECT_EQ(QImage(jpeg).size(), QSize(8, 8));
}

TEST_F(ItemDataTest, PastedTextIntoAnExistingFolderKeepsBothAndTheBundleResolves)
{
    KELI* item = space.make(100000110, kHome, "file");
    ZEVItemData& s = store();
    ZEVRichText text;
    text.runs = {{"Hello ", false, false}, {"world", true, false}};
    const QString rtf1 = s.files().createRTFWithAttributedString(text, item);
    const QString rtf2 = s.files().createRTFWithAttributedString(text, item);
    ASSERT_FALSE(rtf1.isEmpty());
    ASSERT_FALSE(rtf2.isEmpty());
    EXPECT_NE(rtf1, rtf2);
    EXPECT_TRUE(QFile(rtf1).open(QIODevice::ReadOnly));

    text.attachments = {{"../pic.png", "png bytes"}, {"TXT.rtf", "clash"}};
    const QString rtfd1 = s.files().createRTFDWithAttributedString(text, item);
    const QString rtfd2 = s.files().createRTFDWithAttributedString(text, item);
    ASSERT_FALSE(rtfd1.isEmpty());
    ASSERT_FALSE(rtfd2.isEmpty());
    EXPECT_NE(rtfd1, rtfd2);
    EXPECT_TRUE(QFileInfo::exists(rtfd1 + "/TXT.rtf"));
    EXPECT_TRUE(QFileInfo::exists(rtfd1 + "/pic.png"));
    EXPECT_EQ(filesBelow(rtfd1).size(), 3);

    // Recorded under ".rtf" but kept as the bundle beside it.
    KELI* pasted = space.make(100000111, kHome, "file");
    const QString bundle = s.files().createRTFDWithAttributedString(text, pasted);
    const QString plain = s.files().createRTFWithAttributedString(text, pasted);
    ASSERT_TRUE(s.createFileURL(plain, {}, pasted));
    ASSERT_TRUE(QFile::remove(plain));
    ASSERT_EQ(bundle, plain + "d");
    EXPECT_EQ(s.fileUrlForItem(pasted), bundle);
    EXPECT_EQ(s.itemNumberWithPath(bundle), pasted->idInt());
}

TEST_F(ItemDataTest, LookupRepairsARenamedFileAndKeepsHolderBitsInStep)
{
    KELI* item = space.make(100000120, kHome, "file");
    ZEVItemData& s = store();
    const QString path = writeFile(root + "/docs/a.txt");
    ASSERT_TRUE(s.createFileURL(path, {}, item));
    const QString uid = fileUid(path);
    item->assignerBaseInt(ZEVOPTION_MASK_BUSY | ZEVOPTION_SHOW_TITLE);

    const QString renamed = moveFile(path, root + "/docs/b.txt");
    EXPECT_EQ(s.fileUrlForItem(item), renamed);
    EXPECT_EQ(s.itemNumberWithPath(renamed), item->idInt());
    EXPECT_EQ(s.itemNumberWithPath(path), 0u);
    EXPECT_EQ(s.itemNumberWithUid(uid), item->idInt());
    EXPECT_EQ(recordString(record(item->idInt(), "file"), "path"), renamed);
    EXPECT_EQ(item->baseInt(), ZEVOPTION_MASK_BUSY | ZEVOPTION_SHOW_TITLE);

    // Into the Trash: the Trash bit, and no longer busy.
    const QString trashed = moveFile(renamed, folders.trash + "/files/b.txt");
    EXPECT_EQ(s.fileUrlForItem(item), trashed);
    EXPECT_EQ(item->baseInt(), ZEVOPTION_HOLD_BY_TRASH | ZEVOPTION_SHOW_TITLE);

    // Into the store: held by the application; the Trash bit goes.
    const QString kept = moveFile(trashed, folders.zevDir + "/b.txt");
    EXPECT_EQ(s.fileUrlForItem(item), kept);
    EXPECT_EQ(item->baseInt(), ZEVOPTION_HOLD_BY_ZEV | ZEVOPTION_SHOW_TITLE);

    // A new file put in its place by a program that saves by replacing: same path, new uid.
    ASSERT_TRUE(QFile::remove(kept));
    writeFile(root + "/placeholder"); // holds the old inode number away from the new file
    writeFile(kept, "new content");
    const QString newUid = fileUid(kept);
    ASSERT_NE(newUid, uid);
    EXPECT_EQ(s.fileUrlForItem(item), kept);
    EXPECT_EQ(s.itemNumberWithUid(newUid), item->idInt());
    EXPECT_EQ(s.itemNumberWithUid(uid), 0u);

    // The file moved by the program itself.
    const QString moved = moveFile(kept, folders.zevFolder + "/b.txt");
    item->assignerBaseInt(ZEVOPTION_HOLD_BY_ZEV | ZEVOPTION_GIF | ZEVOPTION_ANIMATE);
    s.updateFilePathWithItem(item, moved);
    EXPECT_EQ(item->baseInt(), ZEVOPTION_HOLD_BY_ZEV_FOLDER);
    EXPECT_EQ(s.itemNumberWithPath(moved), item->idInt());
    EXPECT_EQ(s.itemNumberWithPath(kept), 0u);
}

TEST_F(ItemDataTest, WebPagesOpenOnClickOnlyWithoutAnOriginAndWebObjectsDownloadOnce)
{
    ZEVItemData& s = store();
    KELI* page = space.make(100000130, kHome, "file");
    KELI* fetched = space.make(100000131, kHome, "file");
    ASSERT_TRUE(s.createFileURL(writeFile(root + "/saved.html"), {}, page));
    ASSERT_TRUE(s.createFileURL(writeFile(root + "/got.htm"), QUrl("https://example.org/got.htm"), fetched));
    EXPECT_TRUE(page->baseInt() & ZEVOPTION_OPEN_ON_CLICK);
    EXPECT_FALSE(fetched->baseInt() & ZEVOPTION_OPEN_ON_CLICK);
    EXPECT_EQ(s.originalHttpUrlForItem(fetched), QUrl("https://example.org/got.htm"));
    EXPECT_TRUE(s.originalHttpUrlForItem(page).isEmpty());

    KELI* web = space.make(100000132, kHome, "http");
    ASSERT_TRUE(s.createFileHttpWithUid("https://example.org/", web));
    EXPECT_TRUE(s.fileUrlForItem(web).isEmpty());
    EXPECT_TRUE(s.fileUrlForItem(web).isEmpty());
    EXPECT_EQ(space.downloads, (std::vector<std::pair<QUrl, KELId>>{{QUrl("https://example.org/"), web->idInt()}}));
    EXPECT_EQ(s.httpUrlForItem(web), QUrl("https://example.org/"));

    // The downloaded page gets a web location named after the host of the title.
    writeFile(s.itemDropFolder(web->idInt()) + "/index.html");
    const QString webloc = s.files().weblocUrlForItem(web, "https://www.example.org/some/page");
    EXPECT_EQ(webloc, s.itemDropFolder(web->idInt()) + "/www.example.org.webloc");
    EXPECT_EQ(readWeblocFile(webloc), std::optional<QString>("https://example.org/"));
    EXPECT_EQ(s.files().weblocUrlForItem(web, "other"), webloc); // found, not made again
    KELI* hostile = space.make(100000133, kHome, "http");
    ASSERT_TRUE(s.createFileHttpWithUid("https://example.org/h", hostile));
    writeFile(s.itemDropFolder(hostile->idInt()) + "/index.html");
    const QString safe = s.files().weblocUrlForItem(hostile, "../../../evil");
    EXPECT_EQ(QFileInfo(safe).absolutePath(), s.itemDropFolder(hostile->idInt()));
}

TEST_F(ItemDataTest, DeleteTrashesDropFilesOnlyWhenNoOtherChannelHoldsTheSameUid)
{
    KELI* shared = space.make(100000140, kHome, "http");
    KELI* twin = space.make(100000141, kOther, "http");
    KELI* alone = space.make(100000142, kHome, "http");
    ZEVItemData& home = store();
    ASSERT_TRUE(home.createFileHttpWithUid("https://shared.example/", shared));
    ASSERT_TRUE(store(kOther).createFileHttpWithUid("https://shared.example/", twin));
    ASSERT_TRUE(home.createFileHttpWithUid("https://alone.example/", alone));
    const QString sharedDrop = writeFile(home.itemDropFolder(shared->idInt()) + "/page.html");
    const QString aloneDrop = writeFile(home.itemDropFolder(alone->idInt()) + "/page.html");

    home.deleteItem(shared);
    EXPECT_FALSE(QFileInfo::exists(home.recordPath(shared->idInt(), "http")));
    EXPECT_TRUE(QFileInfo::exists(sharedDrop)); // the other Channel still shows it
    EXPECT_EQ(home.itemNumberWithUid("https://shared.example/"), 0u);
    EXPECT_EQ(store(kOther).itemNumberWithUid("https://shared.example/"), twin->idInt());

    home.deleteItem(alone);
    EXPECT_FALSE(QFileInfo::exists(aloneDrop));
    EXPECT_FALSE(QFileInfo::exists(home.itemDropFolder(alone->idInt())));
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/files";
    EXPECT_FALSE(QDir(trash).entryList({QStringLiteral("100000142*")}, QDir::AllEntries).isEmpty());
    EXPECT_TRUE(space.downloads.empty()); // deleting never fetches

    // A file in ~/Tallomer goes to the Trash with its Object.
    KELI* dropped = space.make(100000143, kHome, "file");
    const QString file = writeFile(folders.zevFolder + "/dropped.txt");
    ASSERT_TRUE(home.createFileURL(file, {}, dropped));
    home.deleteItem(dropped);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(home.itemNumberWithPath(file), 0u);
}

// Whether another Channel still shows an Object cannot be told without the Space, nor for an
// Object whose type is unknown: its files stay, and the log says why.
TEST_F(ItemDataTest, DeleteKeepsTheFilesWhenItCannotTellWhetherAnotherChannelHoldsThem)
{
    ZEVItemData& home = store();
    store(kOther);
    KELI* untyped = space.make(100000144, kHome, "");
    const QString file = writeFile(folders.zevFolder + "/kept.txt");
    ASSERT_TRUE(home.createFileURL(file, {}, untyped));
    KELI* web = space.make(100000145, kHome, "http");
    ASSERT_TRUE(home.createFileHttpWithUid("https://kept.example/", web));
    const QString page = writeFile(home.itemDropFolder(web->idInt()) + "/page.html");

    ScopedLogCapture log;
    home.deleteItem(untyped);
    EXPECT_TRUE(QFileInfo::exists(file));
    ZEVItemDataChannels::ReferencerSpaceController(nullptr); // as before the Space exists
    home.deleteItem(web);
    EXPECT_TRUE(QFileInfo::exists(page));
    EXPECT_EQ(log.sink.count("are kept: whether another Channel holds them cannot be told"), 2u);
    // The records go all the same: the Objects are deleted, only their files are spared.
    EXPECT_EQ(home.itemNumberWithUid("https://kept.example/"), 0u);
    EXPECT_EQ(home.itemNumberWithPath(file), 0u);
}

TEST_F(ItemDataTest, FailedRecordWritesAreReportedAndIndexNothing)
{
    KELI* item = space.make(100000150, kHome, "http");
    ZEVItemData& s = store();
    // A folder where the record should go: the atomic replace cannot succeed.
    QDir().mkpath(s.recordPath(item->idInt(), "http"));
    ScopedLogCapture log;
    EXPECT_FALSE(s.createFileHttpWithUid("https://example.org/", item));
    EXPECT_EQ(storeErrors.size(), 1);
    EXPECT_TRUE(log.sink.contains("ZEVItemData ERROR"));
    EXPECT_EQ(s.itemNumberWithUid("https://example.org/"), 0u);
    EXPECT_FALSE(item->baseInt() & ZEVOPTION_QL_ICON);

    // A file that is not there writes no record at all.
    KELI* missing = space.make(100000151, kHome, "file");
    EXPECT_FALSE(s.createFileURL(root + "/absent", {}, missing));
    EXPECT_TRUE(log.sink.contains("createFileURL   Error when creating URL bookmark data:"));
    EXPECT_FALSE(QFileInfo::exists(s.recordPath(missing->idInt(), "file")));

    // Only the five record kinds are ever read.
    EXPECT_TRUE(s.uidForItem(item, "../../etc/passwd").isNull());
}

TEST_F(ItemDataTest, EquivalentsAcrossChannelsAreFoundOrMade)
{
    KELI* person = space.make(100000160, kHome, "ABPerson");
    KELI* web = space.make(100000161, kHome, "http");
    KELI* mail = space.make(100000162, kHome, "message");
    ASSERT_TRUE(store().createFilePersonWithUid("P-1", person));
    ASSERT_TRUE(store().createFileHttpWithUid("https://example.org/", web));
    const QCborMap dico{{"uid", "<m@example.org>"}, {"createdDate", recordDate(700000000.0)}};
    ASSERT_TRUE(store().createFileMessageWithDico(dico, mail));
    store(kOther);
    ZEVItemDataChannels::SetCurrentChannelInt(kOther);

    EXPECT_EQ(ZEVItemData::Current().matchingItem(web), nullptr);
    KELI* made = ZEVItemData::Current().createSameItem(web);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->channelInt(), kOther);
    EXPECT_EQ(store(kOther).uidForItem(made, "http"), "https://example.org/");
    EXPECT_EQ(ZEVItemData::Current().matchingItem(web), made);
    EXPECT_EQ(ZEVItemData::Current().createSameItem(web), made);

    // A contact gone from the address book has no equivalent to make.
    EXPECT_EQ(ZEVItemData::Current().createSameItem(person), nullptr);
    space.people["P-1"] = {650000000.0, 660000000.0};
    KELI* contact = ZEVItemData::Current().createSameItem(person);
    ASSERT_NE(contact, nullptr);
    EXPECT_EQ(contact->baseInt(), ZEVOPTION_HOLD_BY_APP);
    ASSERT_TRUE(store(kOther).updatePersonUidWithIem(contact, "P-2"));
    EXPECT_EQ(store(kOther).itemNumberWithUid("P-2"), contact->idInt());
    EXPECT_EQ(store(kOther).itemNumberWithUid("P-1"), 0u);

    // Dates by type and go-to tag.
    ZEVItemDataChannels::SetCurrentChannelInt(kHome);
    space.tag = 3;
    EXPECT_EQ(ZEVItemData::Current().goToDateForItem(mail), std::optional<KELDate>(700000000.0));
    EXPECT_EQ(ZEVItemData::Current().goToDateForItem(person), std::optional<KELDate>(650000000.0));
    space.tag = 4;
    EXPECT_EQ(ZEVItemData::Current().goToDateForItem(person), std::optional<KELDate>(660000000.0));
    EXPECT_EQ(ZEVItemData::Current().goToDateForItem(web), std::nullopt);
}

TEST_F(ItemDataTest, AnEquivalentWhoseRecordCannotBeWrittenIsNotKeptAndIsMadeAtTheNextAsk)
{
    const QString file = writeFile(root + "/note.txt");
    KELI* note = space.make(100000165, kHome, "file", "note.txt");
    KELI* web = space.make(100000166, kHome, "http");
    ASSERT_TRUE(store().createFileURL(file, {}, note));
    ASSERT_TRUE(store().createFileHttpWithUid("https://example.org/", web));
    store(kOther);
    ZEVItemDataChannels::SetCurrentChannelInt(kOther);
    const QString otherRecords = folders.zevData + "/" + QString::number(kOther);
    {
        tallomer::test::RefusedFolder refused(otherRecords);
        ASSERT_TRUE(refused.ok());
        EXPECT_EQ(ZEVItemData::Current().createSameItem(note), nullptr);
        EXPECT_EQ(ZEVItemData::Current().createSameItem(web), nullptr);
        EXPECT_EQ(space.takenBack, 2) << "an equivalent was kept without its record";
        EXPECT_EQ(ZEVItemData::Current().matchingItem(web), nullptr);
    }
    KELI* same = ZEVItemData::Current().createSameItem(note);
    ASSERT_NE(same, nullptr);
    EXPECT_EQ(store(kOther).filePathForItem(same), file);
    EXPECT_EQ(space.takenBack, 2);
}

TEST_F(ItemDataTest, RecordsOfTheSingleChannelLayoutFollowTheirFiles)
{
    const QString moved = writeFile(folders.zevDrop + "/2000018/100000170/img.tiff");
    const QString oldPath = folders.zevDir + "/zevDrop/100000170/img.tiff";
    const QCborMap old{{"path", oldPath}, {"httpPath", "https://example.org/img"}};
    const QString rec = writeFile(folders.zevData + "/2000018/100000170.file", encodeRecord(old));
    ZEVItemData::TransitionForDataURL(rec);
    const QCborMap fields = *readRecordFile(rec).fields;
    EXPECT_EQ(recordString(fields, "path"), moved);
    EXPECT_EQ(recordString(fields, "uid"), fileUid(moved));
    EXPECT_EQ(recordString(fields, "httpPath"), "https://example.org/img");
    restart();
    EXPECT_EQ(store().itemNumberWithPath(moved), 100000170u);
}

// ---------------------------------------------------------------------------------------------
// The retrieve dialog: the record of the Object's own Channel is read and rewritten.
namespace {

// Clicks a button of the dialog once its modal run has started; answers the run's code.
int runClicking(ZEVRetrieveItemPanel& panel, const std::function<void()>& act)
{
    QTimer::singleShot(0, &panel, act);
    return panel.runModal();
}

} // namespace

TEST_F(ItemDataTest, RetrievePanelRewritesTheRecordOfTheObjectsOwnChannelOnlyForItsOwnOrAFreePath)
{
    // The Object lies in another Channel than the current one, whose store knows the same path.
    ZEVItemDataChannels::SetCurrentChannelInt(kHome);
    const QString lost = writeFile(root + "/files/lost.txt");
    const QString found = writeFile(root + "/moved/found.txt");
    const QString taken = writeFile(root + "/moved/taken.txt");
    KELI* item = space.make(600, kOther, "file", "lost.txt");
    ASSERT_TRUE(store(kOther).createFileURL(lost, QUrl(), item));
    KELI* other = space.make(601, kOther, "file", "taken.txt");
    ASSERT_TRUE(store(kOther).createFileURL(taken, QUrl(), other));
    KELI* homeTwin = space.make(602, kHome, "file", "found.txt");
    ASSERT_TRUE(store(kHome).createFileURL(found, QUrl(), homeTwin));

    {
        ZEVRetrieveItemPanel panel(item);
        EXPECT_EQ(panel.oldPathTextField()->text(), lost);
        EXPECT_EQ(panel.newPathTextField()->text(), lost);
        EXPECT_TRUE(panel.messageTextField()->isHidden());

        // Browse starts in the old path's folder, titled after its file.
        QString startedIn, title, prompt;
        auto previous = ZEVRetrieveItemPanel::setBrowser([&](const QString& d, const QString& t, const QString& p) {
            startedIn = d, title = t, prompt = p;
            return taken;
        });
        panel.buttonBrowse();
        ZEVRetrieveItemPanel::setBrowser(previous);
        EXPECT_EQ(startedIn, root + "/files");
        EXPECT_EQ(title, "Select the file \"lost.txt\"");
        EXPECT_EQ(prompt, "select");
        EXPECT_EQ(panel.newPathTextField()->text(), taken);

        // Another Object's file is refused; a relative path and nothing are incorrect.
        const int code = runClicking(panel, [&] {
            panel.selectButton()->click();
            EXPECT_EQ(panel.messageTextField()->text(), "The path specified already exists for a different Object");
            EXPECT_TRUE(panel.newFileURL().isEmpty());
            panel.newPathTextField()->setText("moved/found.txt");
            panel.selectButton()->click();
            EXPECT_EQ(panel.messageTextField()->text(), "The path specified is incorrect");
            panel.newPathTextField()->setText("");
            panel.selectButton()->click();
            EXPECT_EQ(panel.messageTextField()->text(), "The path specified is incorrect");
            // A path another Channel's Object holds is free in the Object's own Channel.
            panel.newPathTextField()->setText(found);
            panel.selectButton()->click();
        });
        EXPECT_EQ(code, ZEVRetrieveItemPanel::kSelect);
        EXPECT_EQ(panel.newFileURL(), found);
    }
    EXPECT_EQ(store(kOther).recordedFilePathForItem(item), found);
    EXPECT_EQ(store(kOther).itemNumberWithPath(found), 600);
    EXPECT_EQ(store(kHome).itemNumberWithPath(found), 602);
    EXPECT_EQ(store(kOther).itemNumberWithPath(lost), 0);

    // Its own path again is accepted; "~" is the home folder; Delete and Cancel answer 3 and 2.
    {
        ZEVRetrieveItemPanel panel(item);
        EXPECT_EQ(runClicking(panel, [&] { panel.selectButton()->click(); }), ZEVRetrieveItemPanel::kSelect);
    }
    {
        const QString inHome = writeFile(QDir::homePath() + "/retrieved.txt");
        ZEVRetrieveItemPanel panel(item);
        panel.newPathTextField()->setText("~/retrieved.txt");
        EXPECT_EQ(runClicking(panel, [&] { panel.selectButton()->click(); }), ZEVRetrieveItemPanel::kSelect);
        EXPECT_EQ(panel.newFileURL(), inHome);
        QFile::remove(inHome);
    }
    {
        ZEVRetrieveItemPanel panel(item);
        EXPECT_EQ(runClicking(panel, [&] { panel.deleteButton()->click(); }), ZEVRetrieveItemPanel::kDelete);
    }
    {
        ZEVRetrieveItemPanel panel(item);
        EXPECT_EQ(runClicking(panel, [&] { panel.cancelButton()->click(); }), ZEVRetrieveItemPanel::kCancel);
    }
}

TEST_F(ItemDataTest, RetrievePanelWithAnUnreadableRecordProposesNothingAndWritesTheRecordOnSelect)
{
    KELI* item = space.make(610, kHome, "file", "gone.txt");
    ASSERT_TRUE(QDir().mkpath(store().zevDataURL()));
    {
        QFile bad(store().recordPath(610, "file"));
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write("not a record");
    }
    const QString there = writeFile(root + "/there.txt");
    ZEVRetrieveItemPanel panel(item);
    EXPECT_EQ(panel.oldPathTextField()->text(), "Unable to find the original path");
    EXPECT_TRUE(panel.newPathTextField()->text().isEmpty());
    const int code = runClicking(panel, [&] {
        panel.selectButton()->click();
        EXPECT_EQ(panel.messageTextField()->text(), "The path specified is incorrect");
        EXPECT_FALSE(panel.messageTextField()->isHidden());
        panel.newPathTextField()->setText(there);
        panel.selectButton()->click();
    });
    EXPECT_EQ(code, ZEVRetrieveItemPanel::kSelect);
    EXPECT_EQ(store().recordedFilePathForItem(item), there);
    EXPECT_EQ(store().itemNumberWithPath(there), 610);
}

TEST(DeskImport, RandomPlacesStayOnTheDeskEvenWhenItIsSmall)
{
    unsigned n = 0;
    const auto counting = [&n] { return n += 977; };
    for (int i = 0; i < 200; ++i) {
        const QRectF r = deskimport::randomRect(QSizeF(640, 480), counting);
        EXPECT_GE(r.x(), 0);
        EXPECT_LT(r.x(), 540);
        EXPECT_LT(r.y(), 380);
        EXPECT_EQ(r.width(), 100.0);
    }
    // 100 points or less: no modulus of zero; the place is the desk's corner in that direction.
    EXPECT_EQ(deskimport::randomRect(QSizeF(100, 60), counting), QRectF(0, 0, 100, 0));
    EXPECT_EQ(deskimport::randomRect(QSizeF(101, 0), counting), QRectF(0, 0, 100, 0));
}
