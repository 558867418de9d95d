// The preview window in the running program: the space bar on a selected file Object shows its
// picture or its text, the space bar again or Escape closes it, and holding the space bar shows
// it only while held. A damaged picture shows its facts.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/table/ZEVTableView.h"
#include "space/ZEVSelections.h"
#include "objects/view/ZEVItemView.h"
#include "space/ZEVSpacePreview.h"
#include "platform/files/Webloc.h"
#include "platform/pasteboard/MailHeaders.h"
#include "tests/support/LocalHttpServer.h"
#include "widgets/ZEVPreviewWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QElapsedTimer>
#include <QGraphicsView>
#include <QImage>
#include <QMouseEvent>
#include <QTest>

namespace e2e {
namespace {

class QuickLook : public E2E {
protected:
    ZEVItemView* place(const QString& path)
    {
        addFiles({path}, 1.5);
        pump();
        return viewTitled(QFileInfo(path).fileName());
    }
    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile f(home + "/" + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        return f.fileName();
    }
    // A click on the Object's icon: it is selected and takes the keys.
    void select(ZEVItemView* v)
    {
        auto* view = qobject_cast<QGraphicsView*>(canvas()->parentWidget());
        QTest::mouseClick(canvas(), Qt::LeftButton, {}, view->mapFromScene(v->itemImageView()->sceneBoundingRect().center()));
        advance(1);
        pump();
    }
    ZEVPreviewWindow* previewWindow() { return window()->preview().window(); }
    bool shows() { return window()->siPreviewPanelVisible(); }
    // Pasted over the desk as another program copies it.
    void paste(std::unique_ptr<QMimeData> data, QPoint at)
    {
        QGuiApplication::clipboard()->setMimeData(data.release());
        QCursor::setPos(canvas()->mapToGlobal(at));
        key(Qt::Key_V, Qt::ControlModifier);
        advance(1.0);
    }
    ZEVItemView* viewOfType(const QString& type) const
    {
        for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
            if (v->itemType() == type)
                return dynamic_cast<ZEVItemView*>(v);
        return nullptr;
    }
    // The Object alone selected, previewed from the Object menu.
    void previewFromTheMenu(ZEVItemView* v)
    {
        space()->selections().selectIconForItemSet({v->item()}, nullptr);
        pump();
        chooseObjectMenuItem(523, "Quick Look");
        pump();
    }
};

TEST_F(QuickLook, TheSpaceBarShowsAPictureAndTheSpaceBarOrEscapeClosesIt)
{
    start();
    QImage sea(400, 200, QImage::Format_RGB32);
    sea.fill(QColor(0, 0, 255));
    const QString path = home + "/sea.png";
    ASSERT_TRUE(sea.save(path, "PNG"));
    ZEVItemView* v = place(path);
    ASSERT_NE(v, nullptr);
    select(v);

    key(Qt::Key_Space);
    pump();
    ASSERT_TRUE(shows()) << "the space bar opens the preview";
    ZEVPreviewWindow* w = previewWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "sea.png");
    ASSERT_EQ(w->shown(), ZEVPreviewWindow::Shown::Image);
    const QImage shot = w->grab().toImage();
    EXPECT_EQ(shot.pixelColor(shot.width() / 2, shot.height() / 2), QColor(0, 0, 255)) << "the picture, on screen";
    EXPECT_EQ(QApplication::activeWindow(), window()) << "the keys stay with the Space window";
    QAction* menuItem = adapter()->mainMenu()->item(4, 523);
    ASSERT_NE(menuItem, nullptr);
    EXPECT_TRUE(menuItem->isChecked()) << "the Object menu's Quick Look item follows the preview";

    key(Qt::Key_Space);
    pump();
    EXPECT_FALSE(shows()) << "the space bar again closes it";
    EXPECT_FALSE(menuItem->isChecked());

    key(Qt::Key_Space);
    pump();
    ASSERT_TRUE(shows());
    key(Qt::Key_Escape);
    pump();
    EXPECT_FALSE(shows()) << "Escape closes it";
    EXPECT_NE(viewTitled("sea.png"), nullptr);

    // Held: the preview lasts as long as the space bar is down.
    QWidget* target = window()->focusWidget() ? window()->focusWidget() : window();
    QTest::keyPress(target, Qt::Key_Space);
    pump();
    ASSERT_TRUE(shows());
    advance(0.3);
    QTest::keyRelease(target, Qt::Key_Space);
    advance(0.1);
    EXPECT_FALSE(shows()) << "let go after a while, the space bar closes it";
}

// With several Objects previewed, the arrows step through them and move nothing on the desk; with
// one, they move the Object as ever.
TEST_F(QuickLook, WithSeveralObjectsTheArrowsStepThroughThePreviewAndMoveNothing)
{
    start();
    std::vector<ZEVItemView*> views;
    for (const char* name : {"one.txt", "two.txt", "three.txt"})
        views.push_back(place(write(name, name)));
    for (ZEVItemView* v : views)
        ASSERT_NE(v, nullptr);
    select(views[0]);
    space()->selections().selectIconForItemSet({views[0]->item(), views[1]->item(), views[2]->item()}, nullptr);
    pump();
    auto places = [&] {
        return sql(database(), "SELECT COUNT(*) FROM ZEVLETS WHERE DATE_IN < 4503599627370497.0").at(0, 0);
    };
    const std::string before = places();
    std::vector<QPointF> where;
    for (ZEVItemView* v : views)
        where.push_back(v->pos());

    key(Qt::Key_Space);
    pump();
    ASSERT_TRUE(shows());
    ZEVPreviewWindow* w = previewWindow();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->entries().size(), 3u);
    EXPECT_EQ(w->currentIndex(), 0);
    key(Qt::Key_Right);
    pump();
    EXPECT_EQ(w->currentIndex(), 1);
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    pump();
    EXPECT_EQ(w->currentIndex(), 2) << "the last stays";
    key(Qt::Key_Left);
    pump();
    EXPECT_EQ(w->currentIndex(), 1);
    advance(1.0);
    EXPECT_EQ(places(), before) << "no Object moved in the store";
    for (std::size_t i = 0; i < views.size(); ++i)
        EXPECT_EQ(views[i]->pos(), where[i]) << "nor on the desk";
    key(Qt::Key_Escape);
    pump();
    EXPECT_FALSE(shows());
}

TEST_F(QuickLook, ATextFileShowsItsTextAndThePreviewFollowsTheSelectionToADamagedPicture)
{
    start();
    // The first bytes of a picture, the rest lost.
    QImage red(64, 64, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QString whole = home + "/whole.png";
    ASSERT_TRUE(red.save(whole, "PNG"));
    QFile f(whole);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    ZEVItemView* broken = place(write("broken.png", f.read(60)));
    ZEVItemView* notes = place(write("notes.txt", "Groceries\nmilk, bread\n"));
    ASSERT_NE(broken, nullptr);
    ASSERT_NE(notes, nullptr);

    select(notes);
    key(Qt::Key_Space);
    pump();
    ASSERT_TRUE(shows());
    ZEVPreviewWindow* w = previewWindow();
    ASSERT_EQ(w->shown(), ZEVPreviewWindow::Shown::Text);
    EXPECT_EQ(w->shownText(), "Groceries\nmilk, bread\n");

    // Another Object selected while the preview shows: the preview shows it instead.
    select(broken);
    ASSERT_TRUE(shows());
    EXPECT_EQ(w->windowTitle(), "broken.png");
    EXPECT_EQ(w->shown(), ZEVPreviewWindow::Shown::Facts);
    EXPECT_TRUE(w->factsText().contains("broken.png"));
    EXPECT_TRUE(w->factsText().contains("cannot be shown"));
    EXPECT_TRUE(w->factsText().contains("60 bytes"));
    key(Qt::Key_Space);
    pump();
    EXPECT_FALSE(shows());
}

TEST_F(QuickLook, OverTheSelectionListTheSpaceBarShowsTheRowUnderThePointerAlone)
{
    start();
    ZEVItemView* one = place(write("one.txt", "first"));
    ZEVItemView* two = place(write("two.txt", "second"));
    ASSERT_TRUE(one && two);
    space()->selections().selectIconForItemSet({one->item(), two->item()}, nullptr);
    auto* front = dynamic_cast<ZEVFrontViewer*>(space()->frontViewer());
    ASSERT_NE(front, nullptr);
    front->userShowTracks();
    advance(1.0);
    pump();
    ZEVTableView* list = front->selectionItemTableView();
    ASSERT_TRUE(list && list->isVisible()) << "the tracks show the Objects list";
    ASSERT_EQ(list->numberOfRows(), 2);
    quint64 moves = 1000;
    auto overRow = [&](int r) {
        // A move as the system delivers it, through the application to the list.
        const QPoint p = list->visualRect(list->model()->index(r, 1)).center();
        QMouseEvent move(QEvent::MouseMove, p, list->viewport()->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        move.setTimestamp(++moves);
        QApplication::sendEvent(list->viewport(), &move);
        pump();
    };
    // The desk takes the keys with a click, the two selected again, then the pointer goes over the
    // list's first row.
    select(one);
    space()->selections().selectIconForItemSet({one->item(), two->item()}, nullptr);
    pump();
    ASSERT_EQ(list->numberOfRows(), 2);
    ASSERT_NE(list->element(0), nullptr);
    KELI* first = list->element(0)->item;
    const QString title = first == one->item() ? "one.txt" : "two.txt";
    overRow(0);
    ASSERT_EQ(front->rowItemUnderPointer(), first);
    key(Qt::Key_Space);
    pump();
    ASSERT_TRUE(shows());
    ZEVPreviewWindow* w = previewWindow();
    EXPECT_EQ(w->windowTitle(), title) << "the row's Object, not the two selected";
    EXPECT_EQ(w->shownText(), first == one->item() ? "first" : "second");

    // Away from the list, with the two selected views on the desk, the command closes it.
    QMouseEvent away(QEvent::MouseMove, QPointF(3, 3), canvas()->mapToGlobal(QPointF(3, 3)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    away.setTimestamp(++moves);
    QApplication::sendEvent(canvas(), &away);
    pump();
    EXPECT_FALSE(front->siPointerOverSelectionList());
    front->userToggleQL();
    pump();
    EXPECT_FALSE(shows());
}

TEST_F(QuickLook, AWebLinkShowsItsTitleAndAddressAMailItsMessageAndADrawingItsPicture)
{
    start();
    tallomer::test::LocalHttpServer server;
    server.route("/news.html", {"<html><body>news</body></html>", {{"Content-Type", "text/html"}}});
    auto link = std::make_unique<QMimeData>();
    link->setText(server.url("/news.html").toString());
    paste(std::move(link), QPoint(200, 200));
    ZEVItemView* web = viewOfType("http");
    ASSERT_NE(web, nullptr);
    const std::string id = std::to_string(web->item()->idInt());
    const QString page = storeFolder() + "/local/zevDrop/2000018/" + q(id) + "/news.html";
    advanceUntil([&] { return QFile::exists(page); }, 0.2, 10.0);
    ASSERT_TRUE(QFile::exists(page)) << "the page was fetched";
    advance(1.0);

    previewFromTheMenu(web);
    ASSERT_TRUE(shows()) << "the Object menu's Quick Look opens the preview of the link";
    ZEVPreviewWindow* w = previewWindow();
    pumpUntil([&] { return !w->siLoading(); });
    EXPECT_EQ(w->windowTitle(), web->itemTitle());
    ASSERT_EQ(w->shown(), ZEVPreviewWindow::Shown::Link) << "not an empty preview";
    const QString address = server.url("/news.html").toString();
    EXPECT_TRUE(w->factsText().contains(web->itemTitle().toHtmlEscaped())) << w->factsText().toStdString();
    EXPECT_TRUE(w->factsText().contains("Web link"));
    EXPECT_TRUE(w->factsText().contains(address.toHtmlEscaped())) << w->factsText().toStdString();
    // The link's own file, beside its records, as other programs read such files.
    const QString location = storeFolder() + "/local/zevData/2000018/" + q(id) + ".webloc";
    EXPECT_EQ(readWeblocFile(location).value_or(QString()), address);
    key(Qt::Key_Escape);
    pump();
    ASSERT_FALSE(shows());

    // A mail message dropped from a mail program shows the message it keeps.
    auto mail = std::make_unique<QMimeData>();
    mail->setData("message/rfc822", "From: a@example.org\r\nSubject: Lunch\r\nMessage-ID: <l-1@example.org>\r\n\r\n"
                                    "Noon at the harbour.\r\n");
    paste(std::move(mail), QPoint(400, 200));
    ZEVItemView* message = viewOfType("message");
    ASSERT_NE(message, nullptr);
    previewFromTheMenu(message);
    ASSERT_TRUE(shows());
    pumpUntil([&] { return !w->siLoading(); });
    EXPECT_EQ(w->windowTitle(), "Lunch");
    ASSERT_EQ(w->shown(), ZEVPreviewWindow::Shown::Text);
    EXPECT_TRUE(w->shownText().contains("Subject: Lunch"));
    EXPECT_TRUE(w->shownText().contains("Noon at the harbour."));
    EXPECT_FALSE(w->shownText().contains("Message-ID")) << "the fields people read, not the mail's source";
    key(Qt::Key_Escape);
    pump();

    // A drawing shows its picture, drawn to fill the preview rather than enlarged from its pixels.
    const QString drawing = writeFile(home + "/badge.svg",
                                      "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='40'>"
                                      "<rect width='40' height='40' fill='#20c020'/></svg>");
    ZEVItemView* badge = place(drawing);
    ASSERT_NE(badge, nullptr);
    select(badge);
    key(Qt::Key_Space);
    pump();
    ASSERT_TRUE(shows());
    ASSERT_EQ(w->shown(), ZEVPreviewWindow::Shown::Image);
    EXPECT_GT(w->shownImage().width(), 400);
    const QImage shot = w->grab().toImage();
    EXPECT_EQ(shot.pixelColor(shot.width() / 2, shot.height() / 2), QColor(0x20, 0xc0, 0x20));
}

TEST_F(QuickLook, AMailWhoseSubjectIsCutInsideACharacterIsTitledAndShownWhole)
{
    start();
    // A mail program cut the long subject into encoded words inside the é, and folded it; the
    // message saved twice through a text mode ends its lines CR CR LF.
    auto mail = std::make_unique<QMimeData>();
    mail->setData("message/rfc822", "From: a@example.org\r\r\nSubject: =?UTF-8?Q?Caf=C3?=\r\r\n =?UTF-8?Q?=A9_au_lait?=\r\r\n"
                                    "Message-ID: <cafe-1@example.org>\r\r\n\r\r\nAt noon.\r\r\n");
    paste(std::move(mail), QPoint(300, 200));
    const Rows messages = placedObjectsOfType("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.at(0, 1), "Café au lait");
    ZEVItemView* message = viewOfType("message");
    ASSERT_NE(message, nullptr);
    previewFromTheMenu(message);
    ASSERT_TRUE(shows());
    ZEVPreviewWindow* w = previewWindow();
    pumpUntil([&] { return !w->siLoading(); });
    ASSERT_EQ(w->shown(), ZEVPreviewWindow::Shown::Text);
    EXPECT_EQ(w->shownText(), "From: a@example.org\nSubject: Café au lait\n\nAt noon.\n");
    key(Qt::Key_Escape);
    pump();

    // A message of fields alone shows them with no empty lines below.
    auto bare = std::make_unique<QMimeData>();
    bare->setData("message/rfc822", "From: b@example.org\r\nSubject: Only this\r\nMessage-ID: <only-1@example.org>\r\n");
    paste(std::move(bare), QPoint(500, 300));
    ZEVItemView* only = viewTitled("Only this");
    ASSERT_NE(only, nullptr);
    previewFromTheMenu(only);
    ASSERT_TRUE(shows());
    pumpUntil([&] { return !w->siLoading() && w->windowTitle() == "Only this"; });
    EXPECT_EQ(w->shownText(), "From: b@example.org\nSubject: Only this");
    key(Qt::Key_Escape);
    pump();

    // A hostile message, its header as large as is read, of encoded words never closed: pasted at
    // once rather than holding the window for seconds.
    QByteArray hostile = "Message-ID: <hostile-1@example.org>\r\nSubject: ";
    while (hostile.size() < kMaxMailHeaderBytes - 8)
        hostile += "=?a?Q? ";
    auto third = std::make_unique<QMimeData>();
    third->setData("message/rfc822", hostile + "\r\n\r\nbody\r\n");
    QElapsedTimer t;
    t.start();
    paste(std::move(third), QPoint(600, 400));
    EXPECT_LT(t.elapsed(), 4000);
    EXPECT_EQ(placedObjectsOfType("message").size(), 3u);
}

} // namespace
} // namespace e2e
