// Things brought into the Files panel in the running program: files on the clipboard pasted with
// Ctrl+V into the focused table become Objects listed from now and selected as icons, never laid
// on a desk; a file dropped from another program that the panel knew is recalled, not made again;
// a web address pasted there downloads into its Object's drop folder; a paste of nothing usable
// beeps and leaves the selection.

#include "tests/e2e/E2EFixture.h"
#include "tests/e2e/FullLinkBase.h"
#include "tests/support/RefusedFolder.h"

#include "desk/data/ZEVItemData.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/context/ZEVContextViewer.h"
#include "inspectors/files/ZEVFileViewer.h"
#include "inspectors/table/ZEVTableView.h"
#include "platform/files/RecordFile.h"
#include "platform/sound/Sound.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "tests/support/LocalHttpServer.h"
#include "widgets/ZEVButton.h"

#include <QClipboard>
#include <QDir>
#include <QDirIterator>
#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>

namespace e2e {
namespace {

class FilesImport : public E2EWithSound<RecordingSound> {
protected:
    ZEVContextViewer* context() const { return dynamic_cast<ZEVContextViewer*>(space()->contextViewer()); }
    ZEVFileViewer* files() const
    {
        return dynamic_cast<ZEVFileViewer*>(space()->viewerForEntityClassName("ZEVFileViewer"));
    }
    ZEVTableView* table() const
    {
        ZEVInspectView* p = files() ? files()->inspectViewIfBuilt() : nullptr;
        return p ? p->inspectTableView() : nullptr;
    }
    // The panel opened from its bar button, its table given the focus by a click in it.
    void openAndFocus()
    {
        ZEVButton* bouton = context()->buttonForEntityInt(kFiles);
        ASSERT_NE(bouton, nullptr);
        click(bouton);
        advance(1.0);
        ASSERT_NE(table(), nullptr);
        ASSERT_TRUE(table()->isVisible());
        const QPoint below(table()->viewport()->width() / 2, table()->viewport()->height() - 4);
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, below);
        pump();
        ASSERT_TRUE(files()->siFirstResponder());
    }
    QString writeFile(const QString& name)
    {
        QFile f(home + "/" + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(name.toUtf8());
        return f.fileName();
    }
    // The Objects titled so, whatever their type.
    Rows objectsTitled(const std::string& title) const
    {
        return sql(database(), "SELECT o.ZEVLET_ID FROM ZEVLETS o JOIN ZEVLETS n ON n.PARENT_ZEVLET = o.ZEVLET_ID "
                               "AND n.RELATION = 1000217 JOIN WORD w ON w.ZEVLET_ID = n.CHILD_ZEVLET "
                               "WHERE o.RELATION = 1000050 AND w.WORD = '" + title + "'");
    }
    // The Files presences of an Object on the home Channel: (in, out).
    Rows presences(const std::string& id) const
    {
        return sql(database(), "SELECT DATE_IN, DATE_OUT FROM ZEVLETS WHERE RELATION = 1000157 AND PARENT_ZEVLET = " +
                                   std::to_string(kHome) + " AND CHILD_ZEVLET = " + id + " ORDER BY DATE_IN");
    }
    long long options(const std::string& id) const
    {
        const Rows r = sql(database(), "SELECT BASE FROM ZEVLETS WHERE ZEVLET_ID = " + id);
        return r.empty() ? -1 : std::stoll(r.at(0, 0));
    }
    std::vector<std::string> idsOf(const std::vector<KELI*>& items) const
    {
        std::vector<std::string> out;
        for (KELI* i : items)
            out.push_back(std::to_string(i->idInt()));
        std::sort(out.begin(), out.end());
        return out;
    }
    void paste(std::unique_ptr<QMimeData> data)
    {
        QGuiApplication::clipboard()->setMimeData(data.release());
        key(Qt::Key_V, Qt::ControlModifier);
        advance(1.0);
    }
    // An address pasted into the focused table, its download waited for: its Object's id.
    std::string pasteAddressAndWait(const QUrl& url)
    {
        const std::string before = lastObject();
        auto data = std::make_unique<QMimeData>();
        data->setData("text/uri-list", url.toEncoded() + "\r\n");
        paste(std::move(data));
        EXPECT_TRUE(pumpUntil([&] { return files()->fileClass().downloads().runningCount() == 0; }))
            << "the download of " << url.toString().toStdString();
        advance(1.0);
        const std::string made = lastObject();
        EXPECT_NE(made, before) << "no Object made for " << url.toString().toStdString();
        return made;
    }
    std::string lastObject() const
    {
        const Rows r = sql(database(), "SELECT MAX(ZEVLET_ID) FROM ZEVLETS WHERE RELATION = 1000050");
        return r.empty() ? std::string() : r.at(0, 0);
    }
    // The Object's title now, from its title link still open.
    std::string titleNow(const std::string& id) const
    {
        const Rows r = sql(database(), "SELECT w.WORD FROM ZEVLETS n JOIN WORD w ON w.ZEVLET_ID = n.CHILD_ZEVLET "
                                       "WHERE n.RELATION = 1000217 AND n.PARENT_ZEVLET = " + id +
                                           " AND n.DATE_OUT > " + std::to_string(space()->nowCurseur()->now()));
        return r.size() == 1 ? r.at(0, 0) : "(" + std::to_string(r.size()) + " titles)";
    }
    QStringList dropFolder(const std::string& id) const
    {
        return QDir(storeFolder() + "/local/zevDrop/" + QString::number(kHome) + "/" + q(id))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    // Every file in the home Channel's drop folders, hidden ones too.
    QStringList filesInDropFolders() const
    {
        QStringList out;
        QDirIterator it(storeFolder() + "/local/zevDrop/" + QString::number(kHome), QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            out << it.next();
        return out;
    }
    // A red picture, rich text holding `word` and an address ending in `word`, pasted one by one.
    void pastePictureTextAndAddress(const QByteArray& word)
    {
        QImage red(8, 8, QImage::Format_ARGB32);
        red.fill(Qt::red);
        auto picture = std::make_unique<QMimeData>();
        picture->setImageData(red);
        paste(std::move(picture));
        auto text = std::make_unique<QMimeData>();
        text->setData("text/rtf", "{\\rtf1\\ansi " + word + "}");
        paste(std::move(text));
        // No server needed: the Object is refused before any download could start.
        auto address = std::make_unique<QMimeData>();
        address->setData("text/uri-list", "http://127.0.0.1:9/" + word + ".html\r\n");
        paste(std::move(address));
    }
};

TEST_F(FilesImport, PastedFilesAreListedFromNowAndSelectedAsIconsAndAPasteOfNothingKeepsTheSelection)
{
    startWithTheBar();
    openAndFocus();
    const QString a = writeFile("minutes.txt");
    const QString b = writeFile("budget.ods");
    auto data = std::make_unique<QMimeData>();
    data->setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
    const KELDate now = space()->nowCurseur()->now();
    paste(std::move(data));

    std::vector<std::string> made;
    for (const std::string title : {"minutes.txt", "budget.ods"}) {
        const Rows o = objectsTitled(title);
        ASSERT_EQ(o.size(), 1u) << title;
        made.push_back(o.at(0, 0));
        const Rows p = presences(o.at(0, 0));
        ASSERT_EQ(p.size(), 1u) << title;
        EXPECT_NEAR(std::stod(p.at(0, 0)), now, 2.0) << title;
        // Brought into the panel, not laid on a desk.
        EXPECT_TRUE(iconLinks(o.at(0, 0)).empty()) << title;
    }
    std::sort(made.begin(), made.end());
    EXPECT_EQ(idsOf(space()->selections().selectedIconItems()), made);
    EXPECT_EQ(table()->numberOfRows(), 2);
    EXPECT_EQ(sound.beeps, 0);

    // Nothing the panel can take: a beep, and the selection stays.
    auto nothing = std::make_unique<QMimeData>();
    nothing->setData("application/x-unknown", "?");
    paste(std::move(nothing));
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_EQ(idsOf(space()->selections().selectedIconItems()), made);
}

TEST_F(FilesImport, AFileThePanelKnewDroppedFromAnotherProgramIsRecalledNotMadeAgain)
{
    startWithTheBar();
    openAndFocus();
    const QString path = writeFile("letter.odt");
    auto data = std::make_unique<QMimeData>();
    data->setUrls({QUrl::fromLocalFile(path)});
    paste(std::move(data));
    const Rows o = objectsTitled("letter.odt");
    ASSERT_EQ(o.size(), 1u);
    ASSERT_EQ(space()->selections().selectedIconItems().size(), 1u);
    KELI* item = space()->selections().selectedIconItems().front();
    // Released a minute later: no longer listed at the cursor.
    advance(60.0);
    files()->fileClass().releaseFilesForItems({item});
    advance(1.0);
    ASSERT_FALSE(files()->fileClass().isItemActif(item));

    QMimeData dragged;
    dragged.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at(table()->viewport()->width() / 2, 10);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table()->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::LinkAction);
    QDragMoveEvent move(at, Qt::CopyAction | Qt::LinkAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table()->viewport(), &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::LinkAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table()->viewport(), &drop);
    advance(1.0);

    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(objectsTitled("letter.odt").size(), 1u);
    EXPECT_TRUE(files()->fileClass().isItemActif(item));
    EXPECT_EQ(presences(o.at(0, 0)).size(), 2u) << "the old presence and the recalled one";
}

TEST_F(FilesImport, AWebAddressPastedDownloadsIntoItsObjectsDropFolder)
{
    tallomer::test::LocalHttpServer server;
    ASSERT_TRUE(server.listening());
    const QByteArray pdf = "%PDF-1.4\n" + QByteArray(20000, 'x');
    server.route("/papers/field-notes.pdf", {pdf, {{"Content-Type", "application/pdf"}}});
    startWithTheBar();
    openAndFocus();
    auto data = std::make_unique<QMimeData>();
    data->setData("text/uri-list", server.url("/papers/field-notes.pdf").toEncoded() + "\r\n");
    paste(std::move(data));
    ASSERT_TRUE(pumpUntil([&] { return files()->fileClass().downloads().runningCount() == 0; }));
    advance(1.0);

    const Rows o = objectsTitled("field-notes.pdf");
    ASSERT_EQ(o.size(), 1u);
    const std::string id = o.at(0, 0);
    EXPECT_EQ(presences(id).size(), 1u);
    EXPECT_TRUE(iconLinks(id).empty());
    QFile file(storeFolder() + "/local/zevDrop/" + QString::number(kHome) + "/" + q(id) + "/field-notes.pdf");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), pdf);
    EXPECT_EQ(options(id) & 0x8, 0);
    EXPECT_EQ(options(id) & 0x10, 0);
}

TEST_F(FilesImport, DownloadsNameAPdfByItsFileKeepAPagesTitleAndMarkA404InErrorWithNoFile)
{
    tallomer::test::LocalHttpServer server;
    ASSERT_TRUE(server.listening());
    server.route("/news/today", {"<html><head><title>Tides</title></head></html>", {{"Content-Type", "text/html"}}});
    server.route("/fetch", {"%PDF-1.4\n" + QByteArray(5000, 'p'),
                            {{"Content-Type", "application/pdf"},
                             {"Content-Disposition", "attachment; filename=\"annual-report.pdf\""}}});
    startWithTheBar();
    openAndFocus();

    // A page: its file is a web page, its Object keeps the title it was made with.
    const std::string page = pasteAddressAndWait(server.url("/news/today"));
    EXPECT_EQ(titleNow(page), "today");
    EXPECT_EQ(dropFolder(page), QStringList{"today.html"});
    EXPECT_EQ(options(page) & 0x18, 0);

    // A PDF the server names: its Object takes the file's name.
    const std::string pdf = pasteAddressAndWait(server.url("/fetch"));
    EXPECT_EQ(titleNow(pdf), "annual-report.pdf");
    EXPECT_EQ(dropFolder(pdf), QStringList{"annual-report.pdf"});
    EXPECT_EQ(options(pdf) & 0x18, 0);

    // Not found: in error, downloading no more, no file, still listed.
    const std::string gone = pasteAddressAndWait(server.url("/gone"));
    EXPECT_EQ(options(gone) & 0x18, 0x10);
    EXPECT_TRUE(dropFolder(gone).isEmpty()) << dropFolder(gone).join(' ').toStdString();
    EXPECT_EQ(titleNow(gone), "gone") << "an error page names nothing";
    EXPECT_EQ(presences(gone).size(), 1u);
}

TEST_F(FilesImport, AMovedFileIsFoundByItsUidAndAReplacedOneByItsPath)
{
    startWithTheBar();
    openAndFocus();
    const QString path = writeFile("plan.txt");
    auto first = std::make_unique<QMimeData>();
    first->setUrls({QUrl::fromLocalFile(path)});
    paste(std::move(first));
    ASSERT_EQ(objectsTitled("plan.txt").size(), 1u);
    const std::string id = objectsTitled("plan.txt").at(0, 0);
    const QString record = storeFolder() + "/local/zevData/" + QString::number(kHome) + "/" + q(id) + ".file";
    auto stored = [&] {
        QFile f(record);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };

    // Moved on disk: the same Object, its stored path rewritten.
    const QString moved = home + "/plan-moved.txt";
    ASSERT_TRUE(QFile::rename(path, moved));
    auto second = std::make_unique<QMimeData>();
    second->setUrls({QUrl::fromLocalFile(moved)});
    paste(std::move(second));
    EXPECT_TRUE(objectsTitled("plan-moved.txt").empty()) << "no second Object";
    EXPECT_TRUE(stored().contains(QFile::encodeName(moved)));

    // Replaced at the same path by another file: found by its path.
    ASSERT_TRUE(QFile::remove(moved));
    QFile other(moved + ".tmp");
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("another file");
    other.close();
    ASSERT_TRUE(QFile::rename(moved + ".tmp", moved));
    auto third = std::make_unique<QMimeData>();
    third->setUrls({QUrl::fromLocalFile(moved)});
    paste(std::move(third));
    EXPECT_TRUE(objectsTitled("plan-moved.txt").empty()) << "no second Object";
    EXPECT_EQ(objectsTitled("plan.txt").size(), 1u);
}

TEST_F(FilesImport, CopyPutsTheSelectedRowsFilesOnTheClipboardAndACutThatWroteNothingReleasesNothing)
{
    startWithTheBar();
    openAndFocus();
    const QString path = writeFile("notes.md");
    auto data = std::make_unique<QMimeData>();
    data->setUrls({QUrl::fromLocalFile(path)});
    paste(std::move(data));
    ASSERT_EQ(table()->numberOfRows(), 1);
    QGuiApplication::clipboard()->clear();
    // The row selected by a click, then Ctrl+C.
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, {},
                      table()->visualRect(table()->model()->index(0, 5)).center());
    pump();
    key(Qt::Key_C, Qt::ControlModifier);
    pump();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->urls(), QList<QUrl>{QUrl::fromLocalFile(path)});
    const int beeps = sound.beeps;

    // Its file gone from the disk: Cut writes nothing, beeps and releases nothing.
    ASSERT_TRUE(QFile::remove(path));
    key(Qt::Key_X, Qt::ControlModifier);
    advance(1.0);
    EXPECT_EQ(sound.beeps, beeps + 1);
    const std::string id = objectsTitled("notes.md").at(0, 0);
    const Rows p = presences(id);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_GT(std::stod(p.at(0, 1)), space()->nowCurseur()->now()) << "still listed";
}

TEST_F(FilesImport, TheAddButtonOpensAddFilesAndItsChoiceIsListedFromNow)
{
    startWithTheBar();
    openAndFocus();
    const QString path = writeFile("chosen.txt");
    click(files()->inspectViewIfBuilt()->btnAdd());
    pump();
    auto* panel = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->windowTitle(), QString::fromUtf8("Add Files\u2026"));
    const QList<QLabel*> messages = panel->findChildren<QLabel*>(QStringLiteral("panelMessage"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.front()->text(), "Select the files you want to add (as references) in the \"Files Window\"");
    EXPECT_TRUE(space()->siGoToMode());
    auto* typed = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(typed, nullptr);
    QTest::keyClicks(typed, path);
    advance(0.2);
    EXPECT_EQ(panel->labelText(QFileDialog::Accept), "Add 1 File") << "the panel counts Files, not desk Objects";
    QTest::keyClick(typed, Qt::Key_Return);
    advance(1.0);
    EXPECT_FALSE(space()->siGoToMode());
    const Rows o = objectsTitled("chosen.txt");
    ASSERT_EQ(o.size(), 1u);
    EXPECT_EQ(presences(o.at(0, 0)).size(), 1u);
    EXPECT_TRUE(iconLinks(o.at(0, 0)).empty());
}

// What an import made, whole: Objects, their title, type and icon words, and Files presences.
constexpr char kMadeLinks[] =
    "SELECT COUNT(*) FROM ZEVLETS WHERE RELATION IN (1000050, 1000212, 1000217, 1000222, 1000157)";

TEST_F(FilesImport, AFileAddedWhileItsRecordCannotBeWrittenLeavesNoObjectAndAddingItAgainLaterWorks)
{
    startWithTheBar();
    openAndFocus();
    alerts.clear();
    const QString path = writeFile("refused.txt");
    const QString records = storeFolder() + "/local/zevData/" + QString::number(kHome);
    ASSERT_TRUE(QFileInfo(records).isDir());
    // The add button, the path typed into its panel and confirmed, as a person does.
    auto addThroughThePanel = [&] {
        click(files()->inspectViewIfBuilt()->btnAdd());
        ASSERT_TRUE(pumpUntil([] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); }));
        auto* typed = QApplication::activeModalWidget()->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(typed, nullptr);
        QTest::keyClicks(typed, path);
        advance(0.2);
        QTest::keyClick(typed, Qt::Key_Return);
        advance(1.0);
        ASSERT_TRUE(pumpUntil([] { return QApplication::activeModalWidget() == nullptr; }));
    };
    const std::string before = sql(database(), kMadeLinks).at(0, 0);
    {
        tallomer::test::RefusedFolder refused(records);
        ASSERT_TRUE(refused.ok());
        addThroughThePanel();
        EXPECT_EQ(sql(database(), kMadeLinks).at(0, 0), before) << "links kept without their record";
        EXPECT_TRUE(objectsTitled("refused.txt").empty());
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
        // Again while the store still refuses: still nothing, and this add is told as well.
        addThroughThePanel();
        EXPECT_EQ(sql(database(), kMadeLinks).at(0, 0), before);
        EXPECT_EQ(alerts.size(), 2u);
    }
    EXPECT_TRUE(QFile::exists(path)) << "the user's file is never touched";

    addThroughThePanel();
    const Rows o = objectsTitled("refused.txt");
    ASSERT_EQ(o.size(), 1u);
    EXPECT_EQ(presences(o.at(0, 0)).size(), 1u);
    const RecordRead record = readRecordFile(records + "/" + q(o.at(0, 0)) + ".file");
    ASSERT_TRUE(record) << record.error.toStdString();
    EXPECT_EQ(recordString(*record.fields, QStringLiteral("path")), path);
    EXPECT_EQ(alerts.size(), 2u) << "an add that was stored is told as failed";
}

TEST_F(FilesImport, PastedPicturesTextAndAddressesWhoseRecordsCannotBeWrittenLeaveNeitherObjectsNorFiles)
{
    startWithTheBar();
    openAndFocus();
    alerts.clear();
    const QString records = storeFolder() + "/local/zevData/" + QString::number(kHome);
    const QStringList filesBefore = filesInDropFolders();
    const std::string before = sql(database(), kMadeLinks).at(0, 0);
    {
        tallomer::test::RefusedFolder refused(records);
        ASSERT_TRUE(refused.ok());
        pastePictureTextAndAddress("refused");
        EXPECT_EQ(sql(database(), kMadeLinks).at(0, 0), before) << "links kept without their record";
        EXPECT_EQ(filesInDropFolders(), filesBefore) << "a file made for a refused Object stays behind";
        EXPECT_EQ(files()->fileClass().downloads().runningCount(), 0u);
        EXPECT_EQ(alerts.size(), 3u) << "one message for each paste";
    }
    // Writable again: the same picture comes in whole.
    QImage red(8, 8, QImage::Format_ARGB32);
    red.fill(Qt::red);
    auto picture = std::make_unique<QMimeData>();
    picture->setImageData(red);
    paste(std::move(picture));
    const Rows o = objectsTitled("pasted");
    ASSERT_EQ(o.size(), 1u);
    KELI* item = KELServeurDeLiens::LienForInt(std::stoull(o.at(0, 0)), space()->nowCurseur());
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(QFileInfo::exists(ZEVItemData::Current().filePathForItem(item)));
}

// Files, a picture, text and an address pasted when the disk has no room for their presences in
// the panel: no Object is left listed nowhere, no file made for one stays, no download starts; the
// user is told once for each paste.
TEST_F(FilesImport, PastedThingsWhosePresenceFindsNoRoomLeaveNeitherObjectsNorFiles)
{
    startWithTheBar();
    openAndFocus();
    alerts.clear();
    const QStringList filesBefore = filesInDropFolders();
    const std::string before = sql(database(), kMadeLinks).at(0, 0);
    {
        FullLinkBase full(KELRELATION_FILE_VIEWER);
        auto file = std::make_unique<QMimeData>();
        file->setUrls({QUrl::fromLocalFile(writeFile("minutes.txt"))});
        paste(std::move(file));
        pastePictureTextAndAddress("kept-out");
    }
    EXPECT_EQ(sql(database(), kMadeLinks).at(0, 0), before) << "Objects listed nowhere";
    EXPECT_EQ(filesInDropFolders().join('\n').toStdString(), filesBefore.join('\n').toStdString())
        << "a file made for an Object that is not stayed behind";
    EXPECT_EQ(files()->fileClass().downloads().runningCount(), 0u);
    ASSERT_EQ(alerts.size(), 4u);
    for (const ZEVAlertRequest& a : alerts)
        EXPECT_EQ(a.message, QStringLiteral("Your changes could not be saved."));
}

TEST_F(FilesImport, QuittingMidDownloadLeavesNoTemporaryFileAndNoObjectDownloading)
{
    tallomer::test::LocalHttpServer server;
    ASSERT_TRUE(server.listening());
    server.route("/big.iso", tallomer::test::LocalHttpServer::Response(QByteArray(200000, 'i')).stalled());
    startWithTheBar();
    openAndFocus();
    auto data = std::make_unique<QMimeData>();
    data->setData("text/uri-list", server.url("/big.iso").toEncoded() + "\r\n");
    paste(std::move(data));
    ASSERT_EQ(objectsTitled("big.iso").size(), 1u);
    const std::string id = objectsTitled("big.iso").at(0, 0);
    ASSERT_EQ(files()->fileClass().downloads().runningCount(), 1u);
    pump(50);
    advance(0.1);
    ASSERT_EQ(options(id) & 0x8, 0x8) << "the store does not say downloading yet";
    quit();
    EXPECT_EQ(options(id) & 0x18, 0);
    const QDir folder(storeFolder() + "/local/zevDrop/" + QString::number(kHome) + "/" + q(id));
    EXPECT_TRUE(folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

} // namespace
} // namespace e2e
