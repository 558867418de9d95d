// Drops from other programs and the clipboard's Copy and Paste, as a user does them in the
// running program: drag events sent to the desk canvas, keys typed into the Space window; what
// lands is read back from the store.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "desk/pasteboard/ZEVItemPB.h"
#include "desk/pasteboard/ZEVPasteboard.h"
#include "desk/view/ZEVDeskView.h"
#include "engine/KELICurseur.h"
#include "platform/AppId.h"
#include "objects/view/ZEVItemView.h"
#include "objects/view/ZEVItemViewCopy.h"
#include "platform/files/RecordFile.h"
#include "platform/files/Webloc.h"
#include "platform/pasteboard/BoundedImage.h"
#include "platform/pasteboard/MozUrl.h"
#include "platform/sound/Sound.h"
#include "space/ZEVSelections.h"
#include "tests/support/LocalHttpServer.h"

#include <QClipboard>
#include <QCursor>
#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QApplication>
#include <QMimeData>
#include <QTest>

#include <sys/stat.h>

namespace e2e {
namespace {

class PasteDrop : public E2EWithSound<RecordingSound> {
protected:

    QString writeFile(const QString& name, const QByteArray& bytes = "content")
    {
        QFile f(home + "/" + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }

    // A drag from another program over the desk, then dropped, at a point of the canvas (Qt's
    // y-down); answers whether the drop was taken and with which action.
    std::pair<bool, Qt::DropAction> dragAndDrop(const QMimeData& data, QPoint at, Qt::DropActions offered)
    {
        QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas(), &enter);
        QDragMoveEvent move(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas(), &move);
        QDropEvent drop(QPointF(at), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas(), &drop);
        advance(1.0);
        return {drop.isAccepted(), drop.dropAction()};
    }

    // The desk point (y-up) of a canvas point.
    QPointF deskPoint(QPoint at) const { return QPointF(at.x(), canvas()->height() - at.y()); }

    ZEVItemViewForDesks* viewTitled(ZEVDeskViewer* desk, const QString& title)
    {
        for (ZEVItemViewForDesks* v : desk->itemViewSet())
            if (v->itemTitle() == title)
                return v;
        return nullptr;
    }

};

TEST_F(PasteDrop, AFileAndItsPictureFromAnotherProgramLandAsTheFileAloneTakenAsCopy)
{
    start();
    const QString photo = writeFile("holiday.jpg", "not really a jpeg");
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(photo)});
    data.setData("image/png", pngData(image));
    // The program offering Copy or Move must never see a Move: it would delete its file.
    const auto [taken, action] = dragAndDrop(data, QPoint(300, 200), Qt::CopyAction | Qt::MoveAction);
    EXPECT_TRUE(taken);
    EXPECT_EQ(action, Qt::CopyAction);
    EXPECT_TRUE(QFile::exists(photo));

    const Rows files = placedObjectsOfType("file");
    ASSERT_EQ(files.size(), 1u) << "no Object for the picture beside its file";
    EXPECT_EQ(files.at(0, 1), "holiday.jpg");
    ASSERT_EQ(iconLinks(files.at(0, 0)).size(), 1u);
    ZEVItemViewForDesks* v = viewTitled(nowDesk(), "holiday.jpg");
    ASSERT_NE(v, nullptr);
    EXPECT_NEAR(v->iconPosition().x, 300, 0.5);
    EXPECT_NEAR(v->iconPosition().y, deskPoint(QPoint(300, 200)).y(), 0.5);

    // A drag that offers only Link gets Link; one that offers nothing usable is refused.
    QMimeData again;
    again.setUrls({QUrl::fromLocalFile(writeFile("linked.txt"))});
    EXPECT_EQ(dragAndDrop(again, QPoint(500, 300), Qt::LinkAction), std::pair(true, Qt::LinkAction));
    QMimeData moveOnly;
    moveOnly.setUrls({QUrl::fromLocalFile(writeFile("moved.txt"))});
    EXPECT_FALSE(dragAndDrop(moveOnly, QPoint(500, 300), Qt::MoveAction).first);
    EXPECT_EQ(placedObjectsOfType("file").size(), 2u);
}

TEST_F(PasteDrop, ThreeNewFilesStepByTheDropShiftAndNothingUsableBeeps)
{
    start();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(writeFile("one.txt")), QUrl::fromLocalFile(writeFile("two.txt")),
                  QUrl::fromLocalFile(writeFile("three.txt"))});
    dragAndDrop(data, QPoint(400, 300), Qt::CopyAction);
    EXPECT_EQ(placedObjectsOfType("file").size(), 3u);
    const double shift = space()->deskGeometry().spaceRatioDropShift();
    ASSERT_GT(shift, 0);
    const QPointF at = deskPoint(QPoint(400, 300));
    int n = 0;
    for (const char* title : {"one.txt", "two.txt", "three.txt"}) {
        ZEVItemViewForDesks* v = viewTitled(nowDesk(), title);
        ASSERT_NE(v, nullptr) << title;
        EXPECT_NEAR(v->iconPosition().x, at.x() + n * shift, 0.5) << title;
        EXPECT_NEAR(v->iconPosition().y, at.y() - n * shift, 0.5) << title;
        ++n;
    }
    EXPECT_EQ(sound.beeps, 0);

    QMimeData nothing;
    nothing.setData("application/x-unknown", "?");
    EXPECT_FALSE(dragAndDrop(nothing, QPoint(100, 100), Qt::CopyAction).first);
    QMimeData unknownWithText;
    unknownWithText.setData("application/x-unknown", "?");
    unknownWithText.setData(kItemPasteboardType, "not an archive");
    ZEVPasteboard::AnalysePasteboard(&unknownWithText, ZEVDeskView::nextDragSequenceNumber());
    EXPECT_FALSE(nowDesk()->userPerformPaste());
    EXPECT_EQ(sound.beeps, 1) << "the refused drag beeps nothing; the empty paste beeps once";
}

TEST_F(PasteDrop, CopyWritesTheRecordAndPasteLandsAtThePointerOrRecallsTheObject)
{
    start();
    // A contact dropped from an address book: its card joins the book, its Object the desk.
    QMimeData card;
    card.setData("text/vcard", "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:friend-1\r\nN:Doe;Jane;;;\r\nEND:VCARD\r\n");
    dragAndDrop(card, QPoint(200, 200), Qt::CopyAction);
    const Rows people = placedObjectsOfType("ABPerson");
    ASSERT_EQ(people.size(), 1u);
    EXPECT_EQ(people.at(0, 1), "Jane Doe");
    EXPECT_TRUE(QFile::exists(home + "/.local/share/contacts/friend-1.vcf"));

    // Nothing is selected yet: Copy has nothing to write and says so.
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(sound.beeps, 1);

    // What Copy writes for the contact's view: its record and its title.
    ZEVItemViewForDesks* view = viewTitled(nowDesk(), "Jane Doe");
    ASSERT_NE(view, nullptr);
    std::unique_ptr<QMimeData> copied = ZEVDeskView::mimeDataForItemViews({view}, nowDesk()->deskClass());
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->text(), "Jane Doe");
    const std::vector<ZEVItemPB> records = ZEVItemPB::unarchive(copied->data(kItemPasteboardType));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].itemUid(), "friend-1");
    EXPECT_EQ(records[0].itemType(), "ABPerson");
    EXPECT_EQ(std::to_string(records[0].itemInt()), people.at(0, 0));
    QGuiApplication::clipboard()->setMimeData(copied.release());

    // Pasted back: the same Object, recalled; no second one.
    key(Qt::Key_V, Qt::ControlModifier);
    advance(1.0);
    EXPECT_EQ(placedObjectsOfType("ABPerson").size(), 1u);
    EXPECT_EQ(iconLinks(people.at(0, 0)).size(), 1u);

    // Text pasted lands where the pointer is.
    auto text = std::make_unique<QMimeData>();
    text->setText("a thought");
    QGuiApplication::clipboard()->setMimeData(text.release());
    QCursor::setPos(canvas()->mapToGlobal(QPoint(640, 250)));
    key(Qt::Key_V, Qt::ControlModifier);
    advance(1.0);
    ZEVItemViewForDesks* pasted = viewTitled(nowDesk(), "pasted text.rtf");
    ASSERT_NE(pasted, nullptr);
    EXPECT_NEAR(pasted->iconPosition().x, 640, 0.5);
    EXPECT_NEAR(pasted->iconPosition().y, deskPoint(QPoint(640, 250)).y(), 0.5);
    EXPECT_EQ(placedObjectsOfType("file").size(), 1u);
    EXPECT_EQ(sound.beeps, 1);
}

// A contact's record whose person the address book does not hold (the card gone since the copy,
// or a record from elsewhere) makes no Object titled "? ?" that opens nothing.
TEST_F(PasteDrop, AContactRecordWhosePersonTheAddressBookLacksMakesNothing)
{
    start();
    QMimeData card;
    card.setData("text/vcard", "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:friend-1\r\nN:Doe;Jane;;;\r\nEND:VCARD\r\n");
    dragAndDrop(card, QPoint(200, 200), Qt::CopyAction);
    ZEVItemViewForDesks* view = viewTitled(nowDesk(), "Jane Doe");
    ASSERT_NE(view, nullptr);
    const std::vector<ZEVItemPB> jane =
        ZEVItemPB::unarchive(ZEVDeskView::mimeDataForItemViews({view}, nowDesk()->deskClass())->data(kItemPasteboardType));
    ASSERT_EQ(jane.size(), 1u);
    ZEVItemPB ghost = jane[0];
    ghost.setItemUid("nobody-42");
    ghost.setItemTitle("Nobody");
    auto data = std::make_unique<QMimeData>();
    data->setData(kItemPasteboardType, ZEVItemPB::archive({ghost}));
    QGuiApplication::clipboard()->setMimeData(data.release());
    const int beeps = sound.beeps;
    key(Qt::Key_V, Qt::ControlModifier);
    advance(1.0);
    const Rows people = placedObjectsOfType("ABPerson");
    ASSERT_EQ(people.size(), 1u) << "nothing for nobody";
    EXPECT_EQ(people.at(0, 1), "Jane Doe");
    EXPECT_EQ(sound.beeps, beeps + 1) << "the paste that added nothing beeps";
}

// A named pipe dragged in with a file is no document: the file lands, the pipe stays where it is
// and the alert after the drop names it.
TEST_F(PasteDrop, APipeDroppedWithAFileIsNamedAndOnlyTheFileLands)
{
    start();
    alerts.clear();
    const QString notes = writeFile("notes.txt");
    const QString pipe = home + "/pipe";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(pipe), QUrl::fromLocalFile(notes)});
    EXPECT_TRUE(dragAndDrop(data, QPoint(300, 300), Qt::CopyAction).first);
    advance(0.5);
    const Rows files = placedObjectsOfType("file");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files.at(0, 1), "notes.txt");
    EXPECT_TRUE(liveObjectsTitled("pipe").empty());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Not everything was added."));
    EXPECT_EQ(alerts[0].informative, QStringLiteral("\u201cpipe\u201d is neither a file nor a folder (a pipe, a socket or "
                                                    "a device): it stays where it is."));
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(pipe).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(PasteDrop, PasteOnTheSearchDeskPlacesTheIconAtTheSearchCursor)
{
    start();
    KELICurseur* search = space()->searchCurseur();
    // An hour back, as the ruler would move it.
    search->initierDeplacementCurseur();
    search->decalerCurseur(-3600);
    search->terminerDeplacementCurseur();
    advance(0.5);
    space()->changeDeskForActifCurseur(search);
    pump();
    ASSERT_EQ(window()->spaceView()->deskCanvas()->scene(), static_cast<QGraphicsScene*>(desk(search)->deskView()));
    // The page comes from the test's own server: nothing leaves the machine.
    tallomer::test::LocalHttpServer server;
    server.route("/today", {"<html>today</html>", {{"Content-Type", "text/html"}}});
    auto link = std::make_unique<QMimeData>();
    link->setText(server.url("/today").toString());
    QGuiApplication::clipboard()->setMimeData(link.release());
    QCursor::setPos(canvas()->mapToGlobal(QPoint(300, 300)));
    key(Qt::Key_V, Qt::ControlModifier);
    advance(1.0);
    const Rows web = placedObjectsOfType("http");
    ASSERT_EQ(web.size(), 1u);
    EXPECT_EQ(web.at(0, 1), "today");
    const Rows icons = iconLinks(web.at(0, 0));
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_NEAR(std::stod(icons.at(0, 0)), search->now(), 1.0);
    EXPECT_LT(std::stod(icons.at(0, 0)), clock.now() - 3000);
    EXPECT_NE(viewTitled(desk(search), "today"), nullptr);
}

TEST_F(PasteDrop, AMailMessageAndABrowserBookmarkFromOtherProgramsLandOnceEach)
{
    start();
    const QByteArray mail = "From: chef@example.org\r\nSubject: =?UTF-8?B?RMOpamV1bmVy?= at noon\r\n"
                            "Message-ID: <lunch-1@example.org>\r\nDate: Tue, 1 Jul 2003 10:52:37 +0200\r\n\r\n"
                            "See you there.\r\n";
    QMimeData message;
    message.setData("message/rfc822", mail);
    // A mail program offers Copy or Move; the message is kept here, never taken from it.
    EXPECT_EQ(dragAndDrop(message, QPoint(200, 200), Qt::CopyAction | Qt::MoveAction),
              std::pair(true, Qt::CopyAction));
    const Rows messages = placedObjectsOfType("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.at(0, 1), "Déjeuner at noon");
    const RecordRead record =
        readRecordFile(storeFolder() + "/local/zevData/2000018/" + q(messages.at(0, 0)) + ".message");
    ASSERT_TRUE(record) << record.error.toStdString();
    EXPECT_EQ(recordString(*record.fields, "uid"), "message:%3Clunch-1%40example.org%3E");
    const QString eml = recordString(*record.fields, "zevFilename");
    EXPECT_EQ(QFileInfo(eml).fileName(), "Déjeuner at noon.eml");
    QFile kept(eml);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), mail);
    EXPECT_TRUE(record.fields->contains(QStringLiteral("createdDate")));

    // The same message dropped again is the same Object, with the icon it has.
    dragAndDrop(message, QPoint(400, 300), Qt::CopyAction);
    EXPECT_EQ(placedObjectsOfType("message").size(), 1u);
    EXPECT_EQ(iconLinks(messages.at(0, 0)).size(), 1u);

    // A browser's bookmark: its title names the web Object, whose page is fetched from the
    // test's own server.
    tallomer::test::LocalHttpServer server;
    server.route("/menu", {"<html>menu</html>", {{"Content-Type", "text/html"}}});
    QByteArray moz;
    for (const QChar c : server.url("/menu").toString() + "\nMenu of the day")
        moz += char(c.unicode() & 0xFF), moz += char(c.unicode() >> 8);
    QMimeData bookmark;
    bookmark.setData("text/x-moz-url", moz);
    EXPECT_EQ(dragAndDrop(bookmark, QPoint(600, 300), Qt::CopyAction | Qt::MoveAction),
              std::pair(true, Qt::CopyAction));
    const Rows web = placedObjectsOfType("http");
    ASSERT_EQ(web.size(), 1u);
    EXPECT_EQ(web.at(0, 1), "Menu of the day");
    EXPECT_EQ(iconLinks(web.at(0, 0)).size(), 1u);
    EXPECT_EQ(sound.beeps, 0);
}

// Get Info shows a file's information; for a mail message, which has none to show, the Object
// menu's Get Info beeps rather than doing nothing at all.
TEST_F(PasteDrop, GetInfoOnAMailMessageBeeps)
{
    start();
    QMimeData message;
    message.setData("message/rfc822", "From: a@example.org\r\nSubject: Lunch\r\n\r\nHi.\r\n");
    dragAndDrop(message, QPoint(200, 200), Qt::CopyAction);
    ZEVItemViewForDesks* mail = nullptr;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        if (v->itemType() == QLatin1String("message"))
            mail = v;
    ASSERT_NE(mail, nullptr);
    space()->mouseMovedInLocation(QPointF(-1000, -1000));
    space()->selections().selectIconForItemSet({mail->item()}, nullptr);
    pump();
    const int beeps = sound.beeps;
    chooseMenuItem(KELMainMenu::kMenuObject, 522);
    pump();
    EXPECT_EQ(sound.beeps, beeps + 1);
}

TEST_F(PasteDrop, CtrlASelectsEveryIconAndCtrlXPutsThemOnTheClipboard)
{
    start();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(writeFile("left.txt")), QUrl::fromLocalFile(writeFile("right.txt"))});
    dragAndDrop(data, QPoint(300, 300), Qt::CopyAction);
    ASSERT_EQ(placedObjectsOfType("file").size(), 2u);
    // A lasso over empty desk leaves nothing selected.
    QTest::mousePress(canvas(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(canvas(), QPoint(10, 10));
    QTest::mouseMove(canvas(), QPoint(15, 15));
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, QPoint(15, 15));
    pump();
    ASSERT_TRUE(space()->selections().selectedIconItems().empty());

    key(Qt::Key_A, Qt::ControlModifier);
    std::vector<std::string> selected;
    for (KELI* item : space()->selections().selectedIconItems())
        selected.push_back(std::to_string(item->idInt()));
    std::sort(selected.begin(), selected.end());
    const Rows files = placedObjectsOfType("file");
    EXPECT_EQ(selected, (std::vector<std::string>{files.at(0, 0), files.at(1, 0)}));

    key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(sound.beeps, 0);
    const QMimeData* cut = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(cut, nullptr);
    QStringList names;
    for (const QUrl& url : cut->urls())
        names << QFileInfo(url.toLocalFile()).fileName();
    names.sort();
    EXPECT_EQ(names, (QStringList{"left.txt", "right.txt"}));
    EXPECT_FALSE(cut->hasFormat(kItemPasteboardType)) << "files travel as files, not as records";
}

TEST_F(PasteDrop, AWebObjectCopiedAndPastedBackIsTheSameObject)
{
    start();
    tallomer::test::LocalHttpServer server;
    server.route("/news", {"<html>news</html>", {{"Content-Type", "text/html"}}});
    auto link = std::make_unique<QMimeData>();
    link->setText(server.url("/news").toString());
    QGuiApplication::clipboard()->setMimeData(link.release());
    QCursor::setPos(canvas()->mapToGlobal(QPoint(300, 300)));
    key(Qt::Key_V, Qt::ControlModifier);
    const Rows web = placedObjectsOfType("http");
    ASSERT_EQ(web.size(), 1u);
    const QString folder = storeFolder() + "/local/zevDrop/2000018/" + q(web.at(0, 0));
    advanceUntil([&] { return !QDir(folder).isEmpty(); }, 0.2, 10.0);
    ASSERT_FALSE(QDir(folder).isEmpty()) << "the page was never fetched";

    // Copy writes the web location file; pasting it back finds the web Object in it.
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_C, Qt::ControlModifier);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    ASSERT_EQ(copied->urls().size(), 1);
    EXPECT_TRUE(copied->urls().front().toLocalFile().endsWith(".webloc"));
    QCursor::setPos(canvas()->mapToGlobal(QPoint(600, 400)));
    key(Qt::Key_V, Qt::ControlModifier);
    advance(1.0);
    EXPECT_EQ(placedObjectsOfType("http").size(), 1u);
    EXPECT_TRUE(placedObjectsOfType("file").empty()) << "no file Object for the web location file";
    EXPECT_EQ(iconLinks(web.at(0, 0)).size(), 1u);
    EXPECT_EQ(sound.beeps, 0);
}

TEST_F(PasteDrop, AWebObjectCopiedIsItsAddressAndTitleToOtherProgramsAndItsLocationFileToFileManagers)
{
    start();
    tallomer::test::LocalHttpServer server;
    server.route("/news", {"<html>news</html>", {{"Content-Type", "text/html"}}});
    const QString address = server.url("/news").toString();
    auto link = std::make_unique<QMimeData>();
    link->setText(address);
    QGuiApplication::clipboard()->setMimeData(link.release());
    QCursor::setPos(canvas()->mapToGlobal(QPoint(300, 300)));
    key(Qt::Key_V, Qt::ControlModifier);
    const Rows web = placedObjectsOfType("http");
    ASSERT_EQ(web.size(), 1u);
    const QString title = q(web.at(0, 1));
    const QString folder = storeFolder() + "/local/zevDrop/2000018/" + q(web.at(0, 0));
    advanceUntil([&] { return !QDir(folder).isEmpty(); }, 0.2, 10.0);
    ASSERT_FALSE(QDir(folder).isEmpty()) << "the page was never fetched";

    // The three types another program reads, and the location file the first names.
    const auto expectTheLink = [&](const char* how) {
        const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
        ASSERT_NE(copied, nullptr) << how;
        ASSERT_EQ(copied->urls().size(), 1) << how;
        const QString webloc = copied->urls().front().toLocalFile();
        EXPECT_TRUE(webloc.endsWith(".webloc")) << how;
        EXPECT_EQ(tallomer::readWeblocFile(webloc), std::optional<QString>(address)) << how;
        EXPECT_EQ(copied->text(), address) << how << ": a text field gets the address, not a file";
        const QString expected = address + "\n" + title;
        const QByteArray moz = copied->data("text/x-moz-url");
        EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(moz.constData()), moz.size() / 2), expected)
            << how << ": address then title, in UTF-16";
    };
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_C, Qt::ControlModifier);
    expectTheLink("Ctrl+C");

    // The Object's own menu copies the same.
    QGuiApplication::clipboard()->clear();
    ZEVItemView* v = E2E::viewTitled(title);
    ASSERT_NE(v, nullptr);
    QTest::mouseClick(canvas(), Qt::RightButton, {}, onScreen(v->itemImageView()->sceneBoundingRect()));
    auto* popup = shownPopupMenu();
    ASSERT_NE(popup, nullptr) << "no menu popped";
    QAction* copy = nullptr;
    for (QAction* a : popup->actions())
        if (a->text() == "Copy" && a->isVisible())
            copy = a;
    ASSERT_NE(copy, nullptr);
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(copy).center());
    pump();
    expectTheLink("the Object menu's Copy");
    EXPECT_EQ(sound.beeps, 0);

    // Dragged out of the desk, the link is its address: no location file is made for a drag.
    ZEVItemViewCopy dragCopy(QRectF(0, 0, 164, 169), 1.0f, nullptr, v->item());
    dragCopy.setItemType("http");
    dragCopy.setTitleForPB(title);
    const std::unique_ptr<QMimeData> dragged = ZEVItemViewCopy::mimeDataForCopies({&dragCopy}, 2000018);
    EXPECT_EQ(dragged->urls(), QList<QUrl>{QUrl(address)});
    EXPECT_EQ(dragged->text(), address);
    EXPECT_EQ(tallomer::parseMozUrl(dragged->data("text/x-moz-url")),
              (QList<tallomer::PastedBookmark>{{address, title}}));
}

} // namespace
} // namespace e2e
