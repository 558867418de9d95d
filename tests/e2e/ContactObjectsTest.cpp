// Contact Objects in the running program: cards dropped from another program become Objects
// titled by the card, pictured by its photo, and a card gone from the address book comes back
// from the Object's archive when the user says Yes (an address book that refuses it is told), or
// goes to the retrieve step without one.

#include "tests/e2e/E2EFixture.h"
#include "tests/support/RefusedFolder.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVItemOptions.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/contacts/ZEVPersonAddPanel.h"
#include "platform/desktop/ContactOpener.h"
#include "platform/files/GeneratedFiles.h"
#include "objects/view/ZEVItemView.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

namespace e2e {
namespace {

class ContactObjects : public E2E {
protected:
    void SetUp() override
    {
        E2E::SetUp();
        contacts = home + "/Contacts of the test";
        useContactsFolder(contacts);
        previousOpener = setContactOpenHandler([this](const QUrl& url, QString*) {
            opened.push_back(url);
            return true;
        });
    }
    void TearDown() override
    {
        setContactOpenHandler(std::move(previousOpener));
        E2E::TearDown();
    }

    // Two cards dragged from another program and dropped on the Now desk.
    void dropCards(const QByteArray& cards, QPoint at = {300, 300})
    {
        QMimeData data;
        data.setData("text/vcard", cards);
        dropOnCanvas(data, at);
        advance(1.0);
    }
    KELI* object(const std::string& id) { return KELServeurDeLiens::LienForInt(KELId(std::stoull(id)), space()->nowCurseur()); }
    long long options(const std::string& id)
    {
        pump();
        const Rows r = sql(database(), "SELECT BASE FROM ZEVLETS WHERE ZEVLET_ID = " + id);
        return r.empty() ? -1 : std::stoll(r.at(0, 0));
    }
    QString archiveOf(const std::string& id) const
    {
        return storeFolder() + "/local/zevDrop/" + QString::number(kHome) + "/" + q(id) + "/archive.vcf";
    }
    QString contacts;
    std::vector<QUrl> opened;
    ContactOpenHandler previousOpener;
};

QByteArray personCard()
{
    QImage photo(60, 80, QImage::Format_RGB32);
    photo.fill(QColor(230, 30, 40));
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:jane-e2e\r\nN:Doe;Jane;;;\r\n"
           "PHOTO;ENCODING=b;TYPE=JPEG:" + jpegData(photo, 95).toBase64() + "\r\nEND:VCARD\r\n";
}

const QByteArray kCompanyCard = "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:acme-e2e\r\nKIND:org\r\nORG:Acme Tools;Sales\r\n"
                                "END:VCARD\r\n";

TEST_F(ContactObjects, DroppedCardsAreTitledAndPicturedAndAGoneCardComesBackFromItsArchive)
{
    start();
    dropCards(personCard(), {200, 300});
    dropCards(kCompanyCard, {500, 300});
    const Rows people = placedObjectsOfType("ABPerson");
    ASSERT_EQ(people.size(), 2u);
    EXPECT_EQ(people.at(0, 1), "Jane Doe");
    EXPECT_EQ(people.at(1, 1), "Acme Tools");
    EXPECT_TRUE(QFile::exists(contacts + "/jane-e2e.vcf")) << "the card joined the address book's folder";
    const std::string jane = people.at(0, 0);

    // The person's icon on the desk shows the card's photo.
    advance(1.0);
    pump();
    ZEVItemView* janeView = viewTitled("Jane Doe");
    ASSERT_NE(janeView, nullptr);
    const QImage shot = canvas()->grab().toImage();
    const QColor centre = shot.pixelColor(onScreen(janeView->itemImageView()->sceneBoundingRect()));
    EXPECT_NEAR(centre.red(), 230, 25);
    EXPECT_NEAR(centre.green(), 30, 25);
    EXPECT_EQ(options(jane) & ZEVOPTION_NOT_FOUND, 0);

    // Its card removed from the book by another program; the Object's archive holds it.
    ASSERT_TRUE(ensureFolder(QFileInfo(archiveOf(jane)).absolutePath()));
    ASSERT_TRUE(QFile::copy(contacts + "/jane-e2e.vcf", archiveOf(jane)));
    ASSERT_TRUE(QFile::remove(contacts + "/jane-e2e.vcf"));
    pump();
    advance(1.0);

    alerts.clear(); // the first run's own questions
    alertAnswer = 0; // Yes
    doubleClickPicture(janeView);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].windowTitle, "Contact \"Jane Doe\" not found");
    EXPECT_EQ(alerts[0].message, "Import from the Tallomer archive?");
    // A new card with the archive's UID, the record naming it, the mark gone, the card opened.
    EXPECT_TRUE(QFile::exists(contacts + "/jane-e2e.vcf"));
    EXPECT_EQ(ZEVItemDataChannels::ItemDataForChannelInt(kHome)->uidForItem(object(jane), "ABPerson"), "jane-e2e");
    EXPECT_EQ(options(jane) & ZEVOPTION_NOT_FOUND, 0);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(contacts + "/jane-e2e.vcf"));
}

TEST_F(ContactObjects, AnImportFromTheArchiveThatTheAddressBookRefusesIsToldAndLeavesTheObjectAsItWas)
{
    start();
    dropCards(personCard());
    const Rows people = placedObjectsOfType("ABPerson");
    ASSERT_EQ(people.size(), 1u);
    const std::string jane = people.at(0, 0);
    ASSERT_TRUE(ensureFolder(QFileInfo(archiveOf(jane)).absolutePath()));
    ASSERT_TRUE(QFile::copy(contacts + "/jane-e2e.vcf", archiveOf(jane)));
    ASSERT_TRUE(QFile::remove(contacts + "/jane-e2e.vcf"));
    pump();
    advance(1.0);
    ZEVItemView* janeView = viewTitled("Jane Doe");
    ASSERT_NE(janeView, nullptr);

    alerts.clear();
    alertAnswer = 0; // Yes
    {
        tallomer::test::RefusedFolder refused(contacts);
        ASSERT_TRUE(refused.ok());
        doubleClickPicture(janeView);
        ASSERT_EQ(alerts.size(), 2u) << "the import did nothing without a word";
        EXPECT_EQ(alerts[0].message, "Import from the Tallomer archive?");
        EXPECT_EQ(alerts[1].message, "The contact could not be imported.");
    }
    EXPECT_FALSE(QFile::exists(contacts + "/jane-e2e.vcf"));
    EXPECT_NE(options(jane) & ZEVOPTION_NOT_FOUND, 0) << "still not found";
    EXPECT_TRUE(QFile::exists(archiveOf(jane)));
    EXPECT_TRUE(opened.empty());

    // The book takes cards again: the same import goes through.
    alerts.clear();
    doubleClickPicture(janeView);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(QFile::exists(contacts + "/jane-e2e.vcf"));
    EXPECT_EQ(options(jane) & ZEVOPTION_NOT_FOUND, 0);
}

// An archive cut short (a damaged disk, a copy that stopped) holds no whole card: after the user's
// Yes the import says so, and the book, the record and the archive stay as they were.
TEST_F(ContactObjects, AnImportFromADamagedArchiveIsToldAndChangesNothing)
{
    start();
    dropCards(personCard());
    const Rows people = placedObjectsOfType("ABPerson");
    ASSERT_EQ(people.size(), 1u);
    const std::string jane = people.at(0, 0);
    QFile card(contacts + "/jane-e2e.vcf");
    ASSERT_TRUE(card.open(QIODevice::ReadOnly));
    const QByteArray cut = card.readAll().left(60);
    card.close();
    ASSERT_TRUE(ensureFolder(QFileInfo(archiveOf(jane)).absolutePath()));
    QFile archive(archiveOf(jane));
    ASSERT_TRUE(archive.open(QIODevice::WriteOnly));
    ASSERT_EQ(archive.write(cut), cut.size());
    archive.close();
    ASSERT_TRUE(QFile::remove(contacts + "/jane-e2e.vcf"));
    pump();
    advance(1.0);
    ZEVItemView* janeView = viewTitled("Jane Doe");
    ASSERT_NE(janeView, nullptr);

    alerts.clear();
    alertAnswer = 0; // Yes
    doubleClickPicture(janeView);
    ASSERT_EQ(alerts.size(), 2u) << "the import did nothing without a word";
    EXPECT_EQ(alerts[0].message, "Import from the Tallomer archive?");
    EXPECT_EQ(alerts[1].message, "The contact could not be imported.");
    EXPECT_TRUE(alerts[1].informative.contains("archive.vcf")) << alerts[1].informative.toStdString();
    EXPECT_EQ(QDir(contacts).entryList(QDir::Files), QStringList());
    EXPECT_EQ(ZEVItemDataChannels::ItemDataForChannelInt(kHome)->uidForItem(object(jane), "ABPerson"), "jane-e2e");
    EXPECT_NE(options(jane) & ZEVOPTION_NOT_FOUND, 0) << "still not found";
    QFile kept(archiveOf(jane));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), cut);
    EXPECT_TRUE(opened.empty());
}

TEST_F(ContactObjects, AGoneCardWithoutArchiveIsMarkedAndHandedToTheRetrieveStep)
{
    start();
    dropCards(kCompanyCard);
    const Rows people = placedObjectsOfType("ABPerson");
    ASSERT_EQ(people.size(), 1u);
    const std::string acme = people.at(0, 0);
    ASSERT_TRUE(QFile::remove(contacts + "/acme-e2e.vcf"));
    pump();
    advance(1.0);

    alerts.clear();
    alertAnswer = 0;
    ZEVItemView* acmeView = viewTitled("Acme Tools");
    ASSERT_NE(acmeView, nullptr);
    doubleClickPicture(acmeView);
    EXPECT_TRUE(alerts.empty()) << "nothing to import: no question";
    EXPECT_NE(options(acme) & ZEVOPTION_NOT_FOUND, 0);
    EXPECT_TRUE(log.contains("Error when opening Contact: addressbook://acme-e2e"));
    auto* retrieve = qobject_cast<ZEVPersonRetrievePanel*>(QApplication::activeModalWidget());
    ASSERT_NE(retrieve, nullptr) << "handed to the retrieve panel";
    EXPECT_EQ(retrieve->picker()->searchText(), "Acme Tools");
    QTest::mouseClick(retrieve->cancelButton(), Qt::LeftButton);
    pump();
    EXPECT_NE(options(acme) & ZEVOPTION_NOT_FOUND, 0) << "cancelled: still not found";
    EXPECT_TRUE(opened.empty()) << (opened.empty() ? std::string() : opened[0].toString().toStdString());
}

} // namespace
} // namespace e2e
