// Contact Objects on a real link base and Object store: their pictures and not-found mark, their
// presence links, opening them (found, gone with and without an archive, Cancel, Yes, a failed
// write), their archive, and an Object of another Channel than the current one.

#include "tests/inspectors/InspectorFixture.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "inspectors/contacts/ZEVPersonClass.h"
#include "inspectors/contacts/ZEVPersonViewer.h"
#include "objects/view/ZEVItemStickers.h"
#include "platform/contacts/VCardFolder.h"
#include "platform/desktop/ContactOpener.h"
#include "platform/files/GeneratedFiles.h"
#include "platform/pasteboard/BoundedImage.h"
#include "widgets/ZEVAlert.h"

#include <QDir>
#include <QFile>

namespace inspecttest {
namespace {

QByteArray card(const QByteArray& lines) { return "BEGIN:VCARD\r\nVERSION:4.0\r\n" + lines + "END:VCARD\r\n"; }

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

class PersonClass : public Inspectors {
protected:
    void SetUp() override
    {
        Inspectors::SetUp();
        ZEVPersonClass::ResetOnceLogs();
        ZEVItemDataFolders folders;
        folders.zevDir = store + "/Tallomer";
        folders.zevData = store + "/Tallomer/local/zevData";
        folders.zevDrop = store + "/Tallomer/local/zevDrop";
        folders.zevFolder = store + "/Drop";
        ZEVItemDataChannels::SetFolders(folders);
        canalA = space->currentChannelInt();
        KELI* b = space->newIdentityNamed("Second");
        ASSERT_NE(b, nullptr);
        canalB = b->idInt();
        ASSERT_TRUE(ZEVItemDataChannels::CreateItemDataForChannelInt(canalA));
        ASSERT_TRUE(ZEVItemDataChannels::CreateItemDataForChannelInt(canalB));
        ZEVItemDataChannels::SetCurrentChannelInt(canalA);
        settle();
        viewer = dynamic_cast<ZEVPersonViewer*>(creer("ZEVPersonViewer", KELENTITY_PERSON_VIEWER));
        ASSERT_NE(viewer, nullptr);
        model().referencerAddressBook(&book);
        previousOpener = setContactOpenHandler([this](const QUrl& url, QString* error) {
            opened.push_back(url);
            if (!openerWorks && error)
                *error = "refused";
            return openerWorks;
        });
    }
    void TearDown() override
    {
        setContactOpenHandler(std::move(previousOpener));
        ZEVItemDataChannels::Reset();
        Inspectors::TearDown();
    }
    ZEVPersonClass& model() { return viewer->model(); }
    // A contact Object of that Channel whose record names `uid` (no record when uid is null).
    KELI* contact(const std::string& title, KELId canal, const QString& uid)
    {
        if (!items)
            items = std::make_unique<ZEVItemClass>(space->nowCurseur(), nullptr);
        KELI* o = items->creerItemWithChannelInt(canal, title, "ABPerson", "vcf", ZEVOPTION_HOLD_BY_APP);
        EXPECT_NE(o, nullptr);
        if (!uid.isNull()) {
            EXPECT_TRUE(ZEVItemDataChannels::ItemDataForChannelInt(canal)->createFilePersonWithUid(uid, o));
        }
        return o;
    }
    QString archivePath(KELI* o, KELId canal)
    {
        return ZEVItemDataChannels::ItemDataForChannelInt(canal)->itemDropFolder(o->idInt()) + "/archive.vcf";
    }
    QString uidOf(KELI* o, KELId canal)
    {
        return ZEVItemDataChannels::ItemDataForChannelInt(canal)->uidForItem(o, "ABPerson");
    }
    int alertsAnswering(bool yes, const std::function<void()>& act)
    {
        int asked = 0;
        ScopedAlertAnswerer answer([&](const ZEVAlertRequest& r) {
            ++asked;
            lastAlert = r;
            return yes ? 0 : 1;
        });
        act();
        return asked;
    }

    QString contacts = store + "/contacts";
    VCardFolder book{contacts};
    ZEVPersonViewer* viewer = nullptr;
    std::unique_ptr<ZEVItemClass> items;
    KELId canalA = 0;
    KELId canalB = 0;
    std::vector<QUrl> opened;
    bool openerWorks = true;
    ZEVAlertRequest lastAlert;
    ContactOpenHandler previousOpener;
};

TEST_F(PersonClass, PicturesMarksAndTheirOnceOnlyLogs)
{
    QImage red(40, 20, QImage::Format_RGB32);
    red.fill(QColor(210, 20, 20));
    writeAll(contacts + "/jane.vcf",
             card("UID:jane\r\nN:Doe;Jane\r\nPHOTO:data:image/png;base64," + pngData(red).toBase64() + "\r\n"));
    writeAll(contacts + "/acme.vcf", card("UID:acme\r\nKIND:org\r\nORG:Acme\r\n"));
    KELI* jane = contact("Jane", canalA, "jane");
    KELI* acme = contact("Acme", canalA, "acme");
    KELI* gone = contact("Gone", canalA, "gone");
    KELI* norecord1 = contact("No record", canalA, QString());
    KELI* norecord2 = contact("No record either", canalA, QString());

    EXPECT_EQ(model().titleForUid("jane"), "Jane Doe");
    EXPECT_EQ(model().titleForUid("acme"), "Acme");
    EXPECT_EQ(model().titleForUid("nobody"), "? ?");

    const QImage photo = model().imageForItem(jane, 0, QSize(20, 20));
    EXPECT_EQ(photo.size(), QSize(20, 10)) << "the photo, decoded at the size asked";
    EXPECT_EQ(photo.pixelColor(10, 5), QColor(210, 20, 20));
    const QImage icon = model().imageForItem(acme, 0, QSize(48, 48));
    EXPECT_FALSE(icon.isNull()) << "no photo: the card type's icon";
    EXPECT_FALSE(siItemOption(acme, ZEVOPTION_NOT_FOUND));
    const QImage menu = model().menuImageForItem(jane);
    EXPECT_EQ(menu.size(), QSize(64, 64));

    // A card gone: marked not found, with a picture all the same.
    EXPECT_FALSE(model().imageForItem(gone).isNull());
    EXPECT_TRUE(siItemOption(gone, ZEVOPTION_NOT_FOUND));

    // Record files missing: the error sticker's image, one log line per operation for the run,
    // and no mark.
    const QImage error = ZEVItemStickers::imageNamed("ZEVItemStickerError");
    EXPECT_EQ(model().imageForItem(norecord1), error);
    EXPECT_EQ(model().imageForItem(norecord2), error);
    EXPECT_EQ(model().imageForItem(norecord1, 0, QSize(32, 32)), error);
    EXPECT_EQ(model().imageForItem(norecord2, 0, QSize(32, 32)), error);
    EXPECT_EQ(log.count("ZEVPersonClass imageForItem: ERROR item="), 2u);
    EXPECT_FALSE(siItemOption(norecord1, ZEVOPTION_NOT_FOUND));

    // The card comes back through another program: the next lookup clears the mark.
    writeAll(contacts + "/gone.vcf", card("UID:gone\r\nN:Back;Again\r\n"));
    book.rescan();
    model().imageForItem(gone, 0, QSize(32, 32));
    EXPECT_FALSE(siItemOption(gone, ZEVOPTION_NOT_FOUND));
}

TEST_F(PersonClass, AnotherChannelsObjectIsReadByItsOwnRecordAndArchive)
{
    writeAll(contacts + "/bob.vcf", card("UID:bob\r\nN:Roe;Bob\r\n"));
    KELI* bob = contact("Bob", canalB, "bob");
    ASSERT_EQ(bob->channelInt(), canalB);
    ASSERT_EQ(model().currentChannelInt(), canalA);
    EXPECT_FALSE(model().imageForItem(bob).isNull());
    model().openPersonForItem(bob);
    EXPECT_FALSE(siItemOption(bob, ZEVOPTION_NOT_FOUND)) << "found through its own Channel's record";
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(contacts + "/bob.vcf"));
    model().archivePersonForItem(bob);
    EXPECT_TRUE(QFileInfo::exists(archivePath(bob, canalB)));
    EXPECT_TRUE(model().siArchivedToSpaceForItem(bob));
}

TEST_F(PersonClass, OpeningAFoundCardAndOneGoneWithoutArchive)
{
    writeAll(contacts + "/jane.vcf", card("UID:jane\r\nN:Doe;Jane\r\n"));
    KELI* jane = contact("Jane", canalA, "jane");
    model().openPersonForItem(jane);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(contacts + "/jane.vcf"));
    openerWorks = false;
    model().openPersonForItem(jane);
    EXPECT_EQ(log.count("Error when opening Contact: addressbook://jane"), 1u);

    KELI* gone = contact("Gone", canalA, "gone");
    EXPECT_EQ(alertsAnswering(true, [&] { model().openPersonForItem(gone); }), 0) << "no archive, no question";
    EXPECT_TRUE(siItemOption(gone, ZEVOPTION_NOT_FOUND));
    EXPECT_EQ(log.count("Error when opening Contact: addressbook://gone"), 1u);
    ASSERT_NE(viewer->retrievePanel(), nullptr) << "handed to the viewer's retrieve";
    EXPECT_TRUE(viewer->retrievePanel()->isVisible());
    viewer->buttonRetrieveCancel();
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(PersonClass, AGoneCardComesBackFromItsArchiveOnlyWhenWrittenAndAskedFor)
{
    const QByteArray archived = card("UID:jane\r\nN:Doe;Jane\r\nNOTE:from the archive\r\n");
    writeAll(contacts + "/jane.vcf", archived);
    KELI* jane = contact("Jane", canalA, "jane");
    model().archivePersonForItem(jane);
    ASSERT_EQ(readAll(archivePath(jane, canalA)), archived);
    QFile::remove(contacts + "/jane.vcf");
    book.rescan();

    // Cancel: marked, nothing added.
    EXPECT_EQ(alertsAnswering(false, [&] { model().openPersonForItem(jane); }), 1);
    EXPECT_EQ(lastAlert.windowTitle, "Contact \"Jane\" not found");
    EXPECT_EQ(lastAlert.message, "Import from the Tallomer archive?");
    EXPECT_EQ(lastAlert.informative, "It will create a new entry in the Contacts application");
    EXPECT_TRUE(siItemOption(jane, ZEVOPTION_NOT_FOUND));
    EXPECT_TRUE(QDir(contacts).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(opened.empty());

    // Yes with a book that cannot be written: logged, record and mark as they were.
    const QString blocked = store + "/blocked";
    writeAll(blocked, "a file where the folder should be");
    book.setFolder(blocked);
    alertsAnswering(true, [&] { model().openPersonForItem(jane); });
    EXPECT_EQ(log.count("Error when creating Contact with file: " + archivePath(jane, canalA).toStdString()), 1u);
    EXPECT_EQ(uidOf(jane, canalA), "jane");
    EXPECT_TRUE(siItemOption(jane, ZEVOPTION_NOT_FOUND));
    EXPECT_TRUE(opened.empty());

    // Yes: a new entry under the archive's UID, the record naming it, the mark gone, the card opened.
    book.setFolder(contacts);
    alertsAnswering(true, [&] { model().openPersonForItem(jane); });
    EXPECT_EQ(uidOf(jane, canalA), "jane");
    EXPECT_FALSE(siItemOption(jane, ZEVOPTION_NOT_FOUND));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(contacts + "/jane.vcf"));
    EXPECT_TRUE(readAll(contacts + "/jane.vcf").contains("NOTE:from the archive"));

    // Its UID taken meanwhile by another card: the import gets a fresh one, and the record too.
    writeAll(contacts + "/jane.vcf", card("UID:jane\r\nN:Other;Person\r\n"));
    KELI* twin = contact("Twin", canalA, "twin");
    writeAll(archivePath(twin, canalA), archived);
    book.rescan();
    alertsAnswering(true, [&] { model().openPersonForItem(twin); });
    const QString fresh = uidOf(twin, canalA);
    EXPECT_NE(fresh, "jane");
    EXPECT_EQ(book.titleForUid(fresh), "Jane Doe");
    EXPECT_EQ(book.titleForUid("jane"), "Person Other");
}

TEST_F(PersonClass, ArchivingAgainFollowsTheCardAndReplacesTheArchiveWhole)
{
    writeAll(contacts + "/jane.vcf", card("UID:jane\r\nN:Doe;Jane\r\n"));
    KELI* jane = contact("Jane", canalA, "jane");
    EXPECT_FALSE(model().siArchivedToSpaceForItem(jane));
    model().archivePersonForItem(jane);
    EXPECT_TRUE(model().siArchivedToSpaceForItem(jane));
    writeAll(contacts + "/jane.vcf", card("UID:jane\r\nN:Doe;Janet\r\n"));
    book.rescan();
    model().archivePersonForItem(jane);
    EXPECT_TRUE(readAll(archivePath(jane, canalA)).contains("N:Doe;Janet")) << "the archive follows the card";
    EXPECT_EQ(QDir(QFileInfo(archivePath(jane, canalA)).absolutePath()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"archive.vcf"})
        << "no leftovers of the atomic write";
    EXPECT_FALSE(log.contains("Error when creating directory"));

    KELI* norecord = contact("No record", canalA, QString());
    model().archivePersonForItem(norecord);
    EXPECT_EQ(log.count("ZEVPersonClass archivePersonForItem: ERROR item=" + std::to_string(norecord->idInt())), 1u);
}

TEST_F(PersonClass, ThePresenceLinkRunsFromTheDateOnTheCurrentChannel)
{
    writeAll(contacts + "/jane.vcf", card("UID:jane\r\nN:Doe;Jane\r\n"));
    KELI* jane = contact("Jane", canalA, "jane");
    const KELDate d = space->nowCurseur()->now() - 3600.0;
    KELI* lien = model().creerLienPersonItemForItem(jane, d);
    ASSERT_NE(lien, nullptr);
    EXPECT_EQ(lien->relationInt(), KELRELATION_PERSON_VIEWER);
    EXPECT_EQ(lien->parentInt(), canalA);
    EXPECT_EQ(lien->enfantInt(), jane->idInt());
    EXPECT_DOUBLE_EQ(lien->inDate(), d);
    EXPECT_DOUBLE_EQ(lien->outDate(), KELDateOuverte);
    EXPECT_EQ(model().creerLienPersonItemForItem(nullptr, d), nullptr);
}

} // namespace
} // namespace inspecttest
