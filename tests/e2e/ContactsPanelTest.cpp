// The Contacts panel in the running program, on a store made by an earlier run: three contacts,
// two present since last week with icons on the desk, one whose presence ended yesterday. The
// Contacts button lists the two; Search a day and a half back lists the third; a clicked row's
// Release ends its presence at Now and its row menu's Recall starts a new one; the archive entry
// writes the card, and says so when it cannot; the Object menu counts the selection; Delete and Return release and recall the
// focused row's contact, Ctrl+C copies its record; the Object menu's Remove on a contact on the
// desk forgets only its contact presences; Previous goes just before the last contact change.

#include "tests/e2e/E2EFixture.h"
#include "tests/support/RefusedFolder.h"

#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/contacts/ZEVPersonTextCell.h"
#include "inspectors/contacts/ZEVPersonViewer.h"
#include "inspectors/context/ZEVContextViewer.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "platform/AppId.h"
#include "platform/desktop/ContactOpener.h"
#include "platform/files/GeneratedFiles.h"
#include "ruler/ZEVRulerViewer.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpacePreview.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTest>

#include <algorithm>

namespace e2e {
namespace {

QByteArray cardOf(const QByteArray& uid, const QByteArray& family, const QByteArray& given,
                  const QByteArray& extra = QByteArray())
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nN:" + family + ";" + given + ";;;\r\n" + extra +
           "END:VCARD\r\n";
}

class ContactsPanel : public E2E {
protected:
    void SetUp() override
    {
        E2E::SetUp();
        contacts = home + "/Address book";
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

    // The earlier run: three cards dropped from another program, their presences set, then quit.
    void seedAndRestart()
    {
        startWithTheBar();
        const QPoint places[] = {{200, 300}, {400, 300}, {600, 300}};
        const QByteArray cards[] = {cardOf("ann-e2e", "Ames", "Ann", annExtra), cardOf("bob-e2e", "Bell", "Bob"),
                                    cardOf("cid-e2e", "Cole", "Cid")};
        for (int i = 0; i < 3; ++i) {
            QMimeData data;
            data.setData("text/vcard", cards[i]);
            const QPoint at = places[i];
            dropOnCanvas(data, at);
            advance(1.0);
        }
        const Rows people = placedObjectsOfType("ABPerson");
        ASSERT_EQ(people.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i)
            ids.push_back(people.at(i, 0));
        KELICurseur* now = space()->nowCurseur();
        const KELDate t = now->now();
        KELI* canal = space()->channelForIdentityInt(kHome);
        for (std::size_t i = 0; i < 3; ++i) {
            KELI* o = KELServeurDeLiens::LienForInt(KELId(std::stoull(ids[i])), now);
            ASSERT_NE(o, nullptr);
            ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_PERSON_VIEWER, canal, o, t - 7 * kJour,
                                                         i == 2 ? t - kJour : KELDateOuverte, now),
                      nullptr);
        }
        // The third is on no desk.
        const KELIds icones = KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(KELId(std::stoull(ids[2])),
                                                                            KELRELATION_ICON_VIEWER);
        ASSERT_TRUE(icones.has_value());
        for (KELId l : *icones)
            KELServeurDeLiens::DegagerLien(KELServeurDeLiens::LienForInt(l, now), now);
        space()->selections().deselectAllIcons();
        advance(1.0);
        quit();
        advance(5.0);
        startWithTheBar();
    }

    ZEVContextViewer* context() const { return dynamic_cast<ZEVContextViewer*>(space()->contextViewer()); }
    ZEVPersonViewer* contactsViewer() const
    {
        return dynamic_cast<ZEVPersonViewer*>(space()->viewerForEntityClassName("ZEVPersonViewer"));
    }
    ZEVTableView* table() const
    {
        ZEVInspectView* p = contactsViewer() ? contactsViewer()->inspectViewIfBuilt() : nullptr;
        return p ? p->inspectTableView() : nullptr;
    }
    QString field() const { return contactsViewer()->inspectViewIfBuilt()->inspectField()->text(); }
    std::vector<std::string> titles() const
    {
        std::vector<std::string> out;
        for (int r = 0; r < table()->numberOfRows(); ++r)
            out.push_back(table()->tableModel()->index(r, 5).data().toString().toStdString());
        std::sort(out.begin(), out.end());
        return out;
    }
    int rowTitled(const std::string& title) const
    {
        for (int r = 0; r < table()->numberOfRows(); ++r)
            if (table()->tableModel()->index(r, 5).data().toString().toStdString() == title)
                return r;
        return -1;
    }
    QPoint titlePoint(int row) const { return table()->visualRect(table()->tableModel()->index(row, 5)).center(); }
    void moveSearchTo(KELDate date)
    {
        ZEVRulerViewerServices* r = space()->rulerViewer();
        ASSERT_TRUE(r->userChangeActifCurseur(space()->searchCurseur()));
        ASSERT_TRUE(r->userInitieDeplacementCurseur());
        r->userPlaceCurseurEtRulerOffset(date - space()->searchCurseur()->now());
        r->userTermineDeplacementCurseur();
        advance(1.0);
    }
    QMenu* rightClick(int row) { return rightClickIn(table(), titlePoint(row)); }
    // A contact Object's presences on the Channel: (in, out), forgotten ones left out.
    std::vector<std::pair<double, double>> presences(const std::string& id) const
    {
        const Rows r = sql(database(), "SELECT DATE_IN, DATE_OUT FROM ZEVLETS WHERE RELATION = 1000162 AND "
                                       "PARENT_ZEVLET = " + std::to_string(kHome) + " AND CHILD_ZEVLET = " + id +
                                           " ORDER BY DATE_IN");
        std::vector<std::pair<double, double>> out;
        for (std::size_t i = 0; i < r.size(); ++i)
            if (std::stod(r.at(i, 0)) < kOubliee)
                out.emplace_back(std::stod(r.at(i, 0)), std::stod(r.at(i, 1)));
        return out;
    }
    QString archiveOf(const std::string& id) const
    {
        return storeFolder() + "/local/zevDrop/" + QString::number(kHome) + "/" + q(id) + "/archive.vcf";
    }
    static QByteArray bytesOf(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void archiveRow(int row)
    {
        QMenu* m = rightClick(row);
        ASSERT_NE(m, nullptr);
        QAction* handle = ZEVMenuItemWithTag(m, ZEVRowTagHandle);
        ASSERT_TRUE(handle && handle->menu());
        QAction* archive = ZEVMenuItemWithTag(handle->menu(), ZEVRowTagDuplicateToSpace);
        ASSERT_NE(archive, nullptr);
        EXPECT_EQ(archive->text(), "Archive in Tallomer");
        QTest::mouseMove(m, m->actionGeometry(handle).center());
        QTest::mouseClick(m, Qt::LeftButton, {}, m->actionGeometry(handle).center());
        pump();
        ASSERT_TRUE(handle->menu()->isVisible());
        chooseInMenu(handle->menu(), archive);
        advance(0.5);
    }

    QString contacts;
    QByteArray annExtra; // more lines of Ann's card
    std::vector<std::string> ids; // Ann, Bob, Cid
    std::vector<QUrl> opened;
    ContactOpenHandler previousOpener;
};

TEST_F(ContactsPanel, ListsThePresentContactsSearchFindsTheEndedOneAndARowIsReleasedRecalledAndArchived)
{
    seedAndRestart();
    ASSERT_EQ(ids.size(), 3u);
    ZEVButton* bouton = context()->buttonForEntityInt(kContacts);
    ASSERT_NE(bouton, nullptr);
    click(bouton);
    advance(1.0);
    ASSERT_NE(table(), nullptr);
    ASSERT_TRUE(table()->isVisible());
    EXPECT_EQ(titles(), (std::vector<std::string>{"Ann Ames", "Bob Bell"}));
    EXPECT_EQ(field(), "2 Contacts");

    // A day and a half back, the third was still there.
    const KELDate now = space()->nowCurseur()->now();
    moveSearchTo(now - 1.5 * kJour);
    ASSERT_EQ(space()->actifCurseur(), space()->searchCurseur());
    EXPECT_EQ(titles(), (std::vector<std::string>{"Ann Ames", "Bob Bell", "Cid Cole"}));
    EXPECT_EQ(field(), "3 Contacts");
    ASSERT_TRUE(space()->rulerViewer()->userChangeActifCurseur(space()->nowCurseur()));
    advance(1.0);
    ASSERT_EQ(titles(), (std::vector<std::string>{"Ann Ames", "Bob Bell"}));

    // A click on Ann's row selects her icon; the Object menu counts her; Release ends her presence.
    const int ann = rowTitled("Ann Ames");
    ASSERT_GE(ann, 0);
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, titlePoint(ann));
    pump();
    ASSERT_EQ(space()->selections().selectedIconItems().size(), 1u);
    EXPECT_EQ(std::to_string(space()->selections().selectedIconItems()[0]->idInt()), ids[0]);
    EXPECT_EQ(field(), "1/2 Contacts");
    ASSERT_TRUE(contactsViewer()->siFirstResponder());
    QMenu* object = openMenu(4);
    ASSERT_NE(object, nullptr);
    QAction* open = nullptr;
    for (QAction* a : object->actions())
        if (a->property("tag").toLongLong() == 1)
            open = a;
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->text(), "Open 1 Contact");
    object->close();
    pump();

    const KELDate released = space()->nowCurseur()->now();
    ZEVButton* release = contactsViewer()->inspectViewIfBuilt()->btnRelease();
    ASSERT_TRUE(release->isEnabled());
    click(release);
    advance(1.0);
    auto p = presences(ids[0]);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_NEAR(p[0].second, released, 1.0) << "ended at Now";

    // Still listed while selected; its row menu's "Recall Contact" starts a new presence.
    const int again = rowTitled("Ann Ames");
    ASSERT_GE(again, 0);
    QMenu* m = rightClick(again);
    ASSERT_NE(m, nullptr);
    QAction* recall = ZEVMenuItemWithTag(m, ZEVRowTagRecall);
    ASSERT_NE(recall, nullptr);
    EXPECT_TRUE(recall->text().startsWith("Recall Contact"));
    const KELDate recalled = space()->nowCurseur()->now();
    chooseInMenu(m, recall);
    advance(1.0);
    p = presences(ids[0]);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_NEAR(p[1].first, recalled, 1.0);
    EXPECT_GE(p[1].second, kOubliee - 1) << "open";

    // The archive entry writes her card; after the card changed, it follows.
    archiveRow(rowTitled("Ann Ames"));
    const QString card = contacts + "/ann-e2e.vcf";
    ASSERT_TRUE(QFile::exists(archiveOf(ids[0])));
    EXPECT_EQ(bytesOf(archiveOf(ids[0])), bytesOf(card));
    // Another program rewrites the card as address books do: a new file renamed over it.
    ASSERT_TRUE(writeFileAtomically(card, cardOf("ann-e2e", "Ames", "Annie")));
    pump();
    advance(1.5);
    archiveRow(rowTitled("Ann Ames"));
    EXPECT_EQ(bytesOf(archiveOf(ids[0])), cardOf("ann-e2e", "Ames", "Annie"));
}

TEST_F(ContactsPanel, AnArchiveInTallomerThatCannotBeWrittenIsToldAndTheNextOneIsWritten)
{
    seedAndRestart();
    ASSERT_EQ(ids.size(), 3u);
    click(context()->buttonForEntityInt(kContacts));
    advance(1.0);
    ASSERT_NE(table(), nullptr);
    alerts.clear();
    {
        tallomer::test::RefusedFolder refused(storeFolder() + "/local/zevDrop/" + QString::number(kHome));
        ASSERT_TRUE(refused.ok());
        archiveRow(rowTitled("Ann Ames"));
        ASSERT_EQ(alerts.size(), 1u) << "the archive was not written, without a word";
        EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    }
    EXPECT_FALSE(QFile::exists(archiveOf(ids[0])));
    archiveRow(rowTitled("Ann Ames"));
    EXPECT_EQ(bytesOf(archiveOf(ids[0])), bytesOf(contacts + "/ann-e2e.vcf"));
    EXPECT_EQ(alerts.size(), 1u);
}

TEST_F(ContactsPanel, RemoveOnAContactOnTheDeskForgetsItsPresencesOnlyAndPreviousGoesBeforeTheLastChange)
{
    seedAndRestart();
    ASSERT_EQ(ids.size(), 3u);
    click(context()->buttonForEntityInt(kContacts));
    advance(1.0);
    ASSERT_NE(table(), nullptr);

    // Previous from Now: Search just before the last contact change (Cid's end, yesterday).
    const KELDate fin = presences(ids[2]).at(0).second;
    ZEVButton* previous = contactsViewer()->inspectViewIfBuilt()->btnGotoPrevious();
    click(previous);
    advance(1.05);
    ASSERT_EQ(space()->actifCurseur(), space()->searchCurseur());
    EXPECT_NEAR(space()->searchCurseur()->now(), fin - 0.7, 0.1);
    ASSERT_TRUE(space()->rulerViewer()->userChangeActifCurseur(space()->nowCurseur()));
    advance(1.0);

    // Bob, on the desk: the Object menu's Remove forgets his contact presences and keeps him.
    const int bob = rowTitled("Bob Bell");
    ASSERT_GE(bob, 0);
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, titlePoint(bob));
    pump();
    ASSERT_TRUE(contactsViewer()->siFirstResponder());
    // The strip's keys while the table has them: Delete releases the row's contact, Return
    // recalls it; Ctrl+C copies its record.
    key(Qt::Key_Delete);
    advance(1.0);
    ASSERT_EQ(presences(ids[1]).size(), 1u);
    EXPECT_LT(presences(ids[1])[0].second, kOubliee - 1) << "ended";
    key(Qt::Key_Return);
    advance(1.0);
    ASSERT_EQ(presences(ids[1]).size(), 2u) << "recalled";
    QGuiApplication::clipboard()->clear();
    key(Qt::Key_C, Qt::ControlModifier);
    pump();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->text(), "Bob Bell");
    EXPECT_TRUE(copied->hasFormat(QString::fromLatin1(kItemPasteboardType)));
    QMenu* object = openMenu(4);
    ASSERT_NE(object, nullptr);
    QAction* remove = nullptr;
    for (QAction* a : object->actions())
        if (a->property("tag").toLongLong() == 13)
            remove = a;
    ASSERT_NE(remove, nullptr);
    EXPECT_EQ(remove->text(), "Remove 1 Contact Object");
    chooseInMenu(object, remove);
    advance(1.0);
    EXPECT_TRUE(presences(ids[1]).empty());
    const Rows icons = iconLinks(ids[1]);
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_LT(std::stod(icons.at(0, 0)), kOubliee) << "its icon stays";
    const Rows self = sql(database(), "SELECT DATE_IN FROM ZEVLETS WHERE ZEVLET_ID = " + ids[1]);
    ASSERT_EQ(self.size(), 1u);
    EXPECT_LT(std::stod(self.at(0, 0)), kOubliee) << "the Object stays";
    const Rows title = sql(database(), "SELECT DATE_IN FROM ZEVLETS WHERE RELATION = 1000217 AND PARENT_ZEVLET = " +
                                           ids[1]);
    ASSERT_FALSE(title.empty());
    EXPECT_LT(std::stod(title.at(0, 0)), kOubliee) << "and its title";
    EXPECT_EQ(presences(ids[0]).size(), 1u) << "Ann untouched";
}

TEST_F(ContactsPanel, TheSpaceBarPreviewsTheRowsPictureAndThePointerLeavingTheRowsUnlightsTheModeColumn)
{
    // Ann's card carries a picture twice as wide as high.
    QImage wide(40, 20, QImage::Format_RGB32);
    wide.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(wide.save(&buffer, "PNG"));
    annExtra = "PHOTO;ENCODING=b;TYPE=PNG:" + png.toBase64() + "\r\n";
    seedAndRestart();
    ASSERT_EQ(ids.size(), 3u);
    click(context()->buttonForEntityInt(kContacts));
    advance(1.0);
    ASSERT_NE(table(), nullptr);
    EXPECT_NE(dynamic_cast<ZEVPersonTextCell*>(table()->itemDelegateForColumn(5)), nullptr)
        << "titles keep off the rows' edges";

    const int ann = rowTitled("Ann Ames");
    ASSERT_GE(ann, 0);
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, titlePoint(ann));
    pump();
    ASSERT_TRUE(contactsViewer()->siFirstResponder());
    key(Qt::Key_Space);
    advance(0.5);
    ASSERT_TRUE(window()->siPreviewPanelVisible());
    const auto& shown = window()->preview().previewItems();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(std::to_string(shown[0].itemInt), ids[0]);
    EXPECT_EQ(shown[0].entry.title, "Ann Ames");
    const QImage picture = shown[0].entry.image;
    ASSERT_FALSE(picture.isNull());
    EXPECT_NEAR(double(picture.width()) / picture.height(), 2.0, 0.1) << "her own picture, not the square card icon";
    EXPECT_EQ(picture.pixelColor(picture.width() / 2, picture.height() / 2), QColor(Qt::red));
    key(Qt::Key_Escape);
    advance(0.5);

    // Over a mode column the column lights; leaving the rows for the desk puts it out.
    const QPoint mode = table()->visualRect(table()->tableModel()->index(ann, 1)).center();
    QTest::mouseMove(table()->viewport(), mode);
    pump();
    ASSERT_EQ(table()->previousColumn(), 1);
    QTest::mouseMove(canvas(), QPoint(5, 5));
    pump();
    EXPECT_EQ(table()->previousColumn(), -1);
}

TEST_F(ContactsPanel, AnAddressBookThatCannotBeOpenedFromThePanelsMenuIsTold)
{
    startWithTheBar();
    setContactOpenHandler([](const QUrl&, QString* error) {
        *error = QStringLiteral("no program opens text/vcard");
        return false;
    });
    click(context()->buttonForEntityInt(kContacts));
    advance(1.0);
    ZEVPersonViewer* v = contactsViewer();
    ASSERT_TRUE(v && v->inspectViewIfBuilt());
    alerts.clear();
    click(v->inspectViewIfBuilt()->btnEntity());
    QMenu* m = v->entityMenu();
    ASSERT_TRUE(m && m->isVisible());
    QAction* book = nullptr;
    for (QAction* a : m->actions())
        if (a->text() == QStringLiteral("Open the Address Book"))
            book = a;
    chooseInMenu(m, book);
    advance(0.5);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("The address book could not be opened."));
    EXPECT_TRUE(alerts[0].informative.contains(QStringLiteral("no program opens text/vcard")));
    EXPECT_TRUE(alerts[0].informative.contains(contacts));
}

TEST_F(ContactsPanel, ItsFindMenuOffersOnlyWhatFindsContacts)
{
    startWithTheBar();
    click(context()->buttonForEntityInt(kContacts));
    advance(1.0);
    ZEVPersonViewer* v = contactsViewer();
    ASSERT_TRUE(v && v->inspectViewIfBuilt());
    // A contact's card lies in the address book, not with a holder of files: the finds by
    // holder, which find nothing here, are not offered; typing to select is.
    click(v->inspectViewIfBuilt()->btnFind());
    QMenu* m = shownPopupMenu();
    ASSERT_NE(m, nullptr);
    QStringList offered;
    for (QAction* a : m->actions())
        if (a->isVisible() && !a->isSeparator())
            offered << a->text();
    m->close();
    pump();
    EXPECT_EQ(offered.join(" | ").toStdString(), "Type to Select");
}

} // namespace
} // namespace e2e
