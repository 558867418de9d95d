// Duplicate in the running program: Duplicate To Space from the Object menu makes a new Object
// whose file lies in its own drop folder; Duplicate To… asks in the save panel and offers a free
// name for one already taken; what cannot be duplicated is refused with one beep, and copies that
// fail are marked and sound once; the new Objects exist before any byte is copied.

#include "tests/e2e/E2EFixture.h"
#include "tests/e2e/FullLinkBase.h"
#include "tests/support/RefusedFolder.h"
#include "tests/support/SecondFileSystem.h"

#include "app/menu/KELMainMenu.h"
#include "app/widgets/ZEVFilePanel.h"
#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVItemOptions.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/ZEVTransferQueue.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/sound/Sound.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTest>
#include <QThread>

#include <atomic>
#include <functional>
#include <optional>
#include <sys/stat.h>

namespace e2e {
namespace {

constexpr int kHandleMenu = 4333;
constexpr long kDuplicateTo = 25, kDuplicateToSpace = 24, kMoveTo = 21;

// Before any thread exists.
const bool kOtherFileSystem = tallomer::test::SecondFileSystem::prepare();

class Duplicate : public E2EWithSound<RecordingSound> {
protected:
    // Starts with the folder "box" of the home given to the program, its icon on the Now desk.
    void startWithTheBox()
    {
        start();
        settle();
        QDir().mkpath(home + "/box");
        ASSERT_EQ(secondStart({home + "/box"}), 0);
        settle();
    }
    // As startWithTheBox, with plan.txt (40 bytes) and note.txt (20 bytes) handed over beside it.
    struct TwoFilesAndTheBox {
        KELI* plan = nullptr;
        KELI* note = nullptr;
        ZEVItemView* box = nullptr;
    };
    TwoFilesAndTheBox startWithTwoFilesAndTheBox()
    {
        startWithTheBox();
        TwoFilesAndTheBox made;
        made.plan = fileObject(home + "/plan.txt", 40);
        made.note = fileObject(home + "/note.txt", 20);
        made.box = viewTitled("box");
        return made;
    }
    void settle()
    {
        for (int i = 0; i < 3; ++i) {
            ZEVTransferQueue::shared().waitForDone();
            pump();
            advance(0.5);
        }
    }
    ZEVFrontClass* frontClass() const
    {
        auto* f = dynamic_cast<ZEVFrontViewer*>(space()->frontViewer());
        return f ? f->frontClass() : nullptr;
    }
    // A file at `path` handed to the program as a second start does; its Object.
    KELI* fileObject(const QString& path, qint64 size)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(int(size), 'z'));
        f.close();
        EXPECT_EQ(secondStart({path}), 0);
        settle();
        if (ZEVItemView* v = viewTitled(QFileInfo(path).fileName()))
            return v->item();
        ADD_FAILURE() << path.toStdString() << " has no icon";
        return nullptr;
    }
    // The Object menu opened with the mouse, its Handle submenu opened and the item clicked;
    // `afterClick`, when given, runs before the event loop turns again.
    void chooseHandleItem(long itemTag, const std::function<void()>& afterClick = {})
    {
        QMenu* object = openMenu(KELMainMenu::kMenuObject);
        ASSERT_NE(object, nullptr);
        QMenu* handle = adapter()->mainMenu()->menuWithTag(kHandleMenu);
        ASSERT_NE(handle, nullptr);
        QTest::mouseClick(object, Qt::LeftButton, {}, object->actionGeometry(handle->menuAction()).center());
        pump();
        EXPECT_TRUE(pumpUntil([handle] { return handle->isVisible(); }));
        QAction* item = adapter()->mainMenu()->item(kHandleMenu, itemTag);
        ASSERT_TRUE(item && item->isEnabled()) << "item " << itemTag << " is not enabled";
        QTest::mouseClick(handle, Qt::LeftButton, {}, handle->actionGeometry(item).center());
        if (afterClick)
            afterClick();
        pump();
    }
    void select(const std::vector<KELI*>& items)
    {
        space()->selections().selectIconForItemSet(items, nullptr);
        pump();
    }
    // The program's drag replayed over the desk's canvas and dropped at `to` with `keys`.
    QWidget* canvas() const { return window()->spaceView()->deskCanvas()->viewport(); }
    QPoint at(const QPointF& p) const { return QPoint(int(p.x()), int(canvas()->height() - p.y())); }
    // `wait`: the jobs done and their ends shown before it returns.
    // `afterDrop`, when given, runs once the drop is taken and before its jobs end.
    void dragOnto(ZEVItemViewForDesks* what, ZEVItemViewForDesks* onto, Qt::KeyboardModifiers keys, bool wait = true,
                  const std::function<void()>& afterDrop = {})
    {
        const QPointF to = onto->imageFrame().center();
        ZEVItemView::setDragRunner([this, to, keys, afterDrop](QMimeData* data, const QImage&, ZEVItemView*) {
            std::unique_ptr<QMimeData> owned(data);
            const Qt::DropActions offered = Qt::CopyAction | Qt::LinkAction;
            QDragEnterEvent enter(at(to), offered, data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(canvas(), &enter);
            QDragMoveEvent move(at(to), offered, data, Qt::LeftButton, keys);
            QApplication::sendEvent(canvas(), &move);
            QDropEvent drop(QPointF(at(to)), offered, data, Qt::LeftButton, keys);
            QApplication::sendEvent(canvas(), &drop);
            if (afterDrop)
                afterDrop();
            return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
        });
        // A long press starts the drag.
        QTest::mousePress(canvas(), Qt::LeftButton, {}, at(what->imageFrame().center()));
        advance(0.8);
        QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(to));
        ZEVItemView::setDragRunner({});
        if (wait)
            settle();
    }
    bool released(KELI* item) const
    {
        const Rows presence = iconLinks(std::to_string(item->idInt()));
        return presence.size() == 1 && std::stod(presence.at(0, 1)) < clock.now() + 1;
    }
    std::vector<ZEVFilePanelRequest> panels;
    QStringList panelAnswers;
    std::function<void()> onPanel;
    ScopedFilePanelAnswerer panel{[this](const ZEVFilePanelRequest& r) {
        panels.push_back(r);
        if (onPanel)
            onPanel();
        return panelAnswers.isEmpty() ? QString() : panelAnswers.takeFirst();
    }};
};

TEST_F(Duplicate, FilesDroppedOntoAFolderObjectMoveOrDuplicateIntoItAndTheSameFolderTouchesNothing)
{
    const auto [plan, note, box] = startWithTwoFilesAndTheBox();
    ASSERT_TRUE(plan && note && box);
    ZEVItemData& data = ZEVItemData::Current();

    // A plain drop moves: the file in the folder, the record naming it, the icon released.
    dragOnto(nowDesk()->itemViewForItem(plan), box, Qt::NoModifier);
    EXPECT_TRUE(QFileInfo::exists(home + "/box/plan.txt"));
    EXPECT_FALSE(QFileInfo::exists(home + "/plan.txt"));
    EXPECT_EQ(data.recordedFilePathForItem(plan), home + "/box/plan.txt");
    EXPECT_TRUE(released(plan)) << "its icon link is closed";
    // Nothing of the move stays drawn: no mark, no sticker, and the drag copy gone into the folder.
    EXPECT_EQ(itemOptions(plan) & (ZEVOPTION_MOVING | ZEVOPTION_ERROR), 0u);
    if (auto* v = dynamic_cast<ZEVItemView*>(nowDesk()->itemViewForItem(plan))) {
        EXPECT_TRUE(v->stickerName().isEmpty()) << v->stickerName().toStdString();
    }
    for (const auto& k : ZEVItemViewer::CopiedItemViews())
        EXPECT_TRUE(!k || !k->scene()) << "a drag copy left on the desk";

    // With Alt it duplicates: the source stays, its dates go with the copy, and the Object, still
    // on the desk, refers to the copy.
    const QDateTime old = QDateTime::currentDateTime().addDays(-10);
    {
        QFile f(home + "/note.txt");
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(old, QFileDevice::FileModificationTime));
    }
    dragOnto(nowDesk()->itemViewForItem(note), box, Qt::AltModifier);
    EXPECT_TRUE(QFileInfo::exists(home + "/note.txt"));
    ASSERT_TRUE(QFileInfo::exists(home + "/box/note.txt"));
    EXPECT_LE(std::abs(QFileInfo(home + "/box/note.txt").lastModified().secsTo(old)), 1) << "the source's date";
    EXPECT_EQ(data.recordedFilePathForItem(note), home + "/box/note.txt");
    EXPECT_FALSE(released(note));
    EXPECT_EQ(itemOptions(note) & (ZEVOPTION_COPYING | ZEVOPTION_ERROR), 0u);
    ASSERT_NE(viewTitled("note.txt"), nullptr);
    EXPECT_TRUE(viewTitled("note.txt")->stickerName().isEmpty()) << "the Copy sticker goes at the end";

    // Dropped again onto the folder that holds its file: nothing is moved or copied, and the
    // moved Object leaves the desk all the same.
    dragOnto(nowDesk()->itemViewForItem(note), box, Qt::NoModifier);
    EXPECT_EQ(QDir(home + "/box").entryList(QDir::Files | QDir::Hidden), QStringList({"note.txt", "plan.txt"}));
    EXPECT_EQ(data.recordedFilePathForItem(note), home + "/box/note.txt");
    EXPECT_TRUE(released(note));
    EXPECT_EQ(itemOptions(note) & ZEVOPTION_MOVING, 0u);

    // A file that cannot be copied (no longer a plain file): marked in error, its old path kept,
    // nothing left in the folder, and it stays on the desk.
    KELI* pipe = fileObject(home + "/pipe.txt", 5);
    ASSERT_NE(pipe, nullptr);
    const QString pipePath = data.fileUrlForItem(pipe);
    ASSERT_TRUE(QFile::remove(pipePath));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipePath).constData(), 0600), 0);
    dragOnto(nowDesk()->itemViewForItem(pipe), box, Qt::AltModifier);
    EXPECT_NE(itemOptions(pipe) & ZEVOPTION_ERROR, 0u);
    EXPECT_EQ(itemOptions(pipe) & ZEVOPTION_COPYING, 0u);
    EXPECT_EQ(data.recordedFilePathForItem(pipe), pipePath);
    EXPECT_EQ(QDir(home + "/box").entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList({"note.txt", "plan.txt"}));
    EXPECT_FALSE(released(pipe));
}

TEST_F(Duplicate, DuplicateToSpaceFromTheObjectMenuMakesANewObjectWithItsFileInItsOwnDropFolder)
{
    start();
    settle();
    KELI* item = fileObject(home + "/plan.txt", 100);
    ASSERT_NE(item, nullptr);
    ZEVItemData& data = ZEVItemData::Current();
    const QString source = data.fileUrlForItem(item);
    const QDateTime old = QDateTime::currentDateTime().addDays(-30);
    {
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(old, QFileDevice::FileModificationTime));
    }
    select({item});
    QAction* action = adapter()->mainMenu()->item(kHandleMenu, kDuplicateToSpace);
    ASSERT_NE(action, nullptr);
    chooseHandleItem(kDuplicateToSpace);

    // Before any byte is copied: the new Object, its view, its mark.
    ASSERT_EQ(frontClass()->duplicatedItems().size(), 1u);
    KELI* copy = frontClass()->duplicatedItems().front();
    ASSERT_NE(copy, item);
    EXPECT_NE(nowDesk()->itemViewForItem(copy), nullptr) << "its view is there at once";
    settle();

    const QString file = data.itemDropFolder(copy->idInt()) + "/plan.txt";
    EXPECT_TRUE(QFileInfo::exists(file)) << "in the new Object's own drop folder";
    EXPECT_EQ(data.recordedFilePathForItem(copy), file) << "its record names the copy";
    EXPECT_EQ(data.fileUrlForItem(item), source) << "the source keeps its own file";
    EXPECT_GT(QFileInfo(file).lastModified(), old.addDays(1)) << "the duplicate is dated now";
    EXPECT_EQ(itemOptions(copy) & (ZEVOPTION_DUPLICATING | ZEVOPTION_ERROR), 0u);
    const Rows links = iconLinks(std::to_string(copy->idInt()));
    EXPECT_EQ(links.size(), 1u) << "the new Object is on the desk";
    EXPECT_EQ(space()->selections().selectedIconItems(), std::vector<KELI*>{copy}) << "the new icon is selected";
    EXPECT_EQ(sound.beeps, 0);
}

// The disk has no room for the new Object's icon: no duplicate is made, on no desk and with no
// copy of the file, instead of one no one can see; the user is told.
TEST_F(Duplicate, ADuplicateWhoseIconFindsNoRoomIsNotMade)
{
    start();
    settle();
    KELI* item = fileObject(home + "/plan.txt", 100);
    ASSERT_NE(item, nullptr);
    alerts.clear();
    const QString drops = storeFolder() + "/local/zevDrop/2000018";
    const QStringList folders = QDir(drops).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    select({item});
    {
        FullLinkBase full(KELRELATION_ICON_VIEWER);
        chooseHandleItem(kDuplicateToSpace);
        settle();
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_TRUE(frontClass()->duplicatedItems().empty());
    EXPECT_EQ(liveObjectsTitled("plan.txt").size(), 1u) << "a duplicate on no desk";
    EXPECT_EQ(QDir(drops).entryList(QDir::Dirs | QDir::NoDotAndDotDot), folders) << "its file was copied";
}

TEST_F(Duplicate, DuplicateToAFolderHoldingTheNameOffersAFreeOneAndCancelKeepsThePanel)
{
    start();
    settle();
    const QString docs = home + "/docs";
    KELI* item = fileObject(docs + "/Report.pdf", 300);
    ASSERT_NE(item, nullptr);
    select({item});
    // The first answer is cancelled at the alert and the panel comes back; the second is renamed.
    panelAnswers = {docs + "/Report", docs + "/Report"};
    onPanel = [this] { alertAnswer = panels.size() == 1 ? 1 : 0; };
    chooseHandleItem(kDuplicateTo);
    settle();

    ASSERT_EQ(panels.size(), 2u) << "Cancel keeps the panel waiting";
    EXPECT_EQ(panels[0].kind, ZEVFilePanelRequest::Kind::Save);
    EXPECT_EQ(panels[0].title, QStringLiteral("Duplicate 1 Object to\u2026"));
    EXPECT_EQ(panels[0].prompt, QStringLiteral("Duplicate"));
    EXPECT_TRUE(panels[0].noOverwriteQuestion);
    EXPECT_EQ(panels[0].directory, docs);
    std::vector<ZEVAlertRequest> asked;
    for (const ZEVAlertRequest& r : alerts)
        if (r.windowTitle == QStringLiteral("Filename already exists"))
            asked.push_back(r);
    ASSERT_EQ(asked.size(), 2u) << "asked before each renaming";
    EXPECT_EQ(asked[0].windowTitle, QStringLiteral("Filename already exists"));
    EXPECT_EQ(asked[0].message, QStringLiteral("Rename automaticaly?"));
    EXPECT_EQ(asked[0].informative, QStringLiteral("New filename: Report_01.pdf"));
    const QString copyPath = docs + "/Report_01.pdf";
    ASSERT_TRUE(QFileInfo::exists(copyPath)) << "after Yes";
    EXPECT_EQ(QFileInfo(docs + "/Report.pdf").size(), 300) << "the source untouched";
    ASSERT_EQ(frontClass()->duplicatedItems().size(), 1u);
    KELI* copy = frontClass()->duplicatedItems().front();
    EXPECT_EQ(ZEVItemData::Current().recordedFilePathForItem(copy), copyPath);
    ASSERT_NE(nowDesk()->itemViewForItem(copy), nullptr);
    EXPECT_EQ(nowDesk()->itemViewForItem(copy)->itemTitle(), QStringLiteral("Report_01.pdf"));
}

TEST_F(Duplicate, RefusalsBeepOnceAtOneSecondAndFailuresOnceAfterTheLastAndKeepTheirMark)
{
    startWithTheBox();
    // A plain folder is refused.
    ZEVItemView* box = viewTitled("box");
    ASSERT_NE(box, nullptr);
    select({box->item()});
    chooseHandleItem(kDuplicateToSpace);
    EXPECT_TRUE(frontClass()->duplicatedItems().empty());
    advance(0.9);
    EXPECT_EQ(sound.beeps, 0) << "not before 1.0 s";
    advance(0.2);
    EXPECT_EQ(sound.beeps, 1);

    // Two whose files cannot be copied (no longer plain files): one beep 0.3 s after the last.
    KELI* a = fileObject(home + "/a.txt", 10);
    KELI* b = fileObject(home + "/b.txt", 10);
    ASSERT_TRUE(a && b);
    for (KELI* o : {a, b}) {
        const QString path = ZEVItemData::Current().fileUrlForItem(o);
        ASSERT_TRUE(QFile::remove(path));
        ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }
    sound.beeps = 0;
    select({a, b});
    chooseHandleItem(kDuplicateToSpace);
    const std::vector<KELI*> made = frontClass()->duplicatedItems();
    ASSERT_EQ(made.size(), 2u);
    ZEVTransferQueue::shared().waitForDone();
    pump();
    EXPECT_EQ(sound.beeps, 0);
    advance(0.35);
    EXPECT_EQ(sound.beeps, 1) << "several failures sound once";
    advance(2);
    EXPECT_EQ(sound.beeps, 1);
    for (KELI* o : made) {
        EXPECT_NE(itemOptions(o) & ZEVOPTION_ERROR, 0u) << "the new Object stays, marked";
        EXPECT_EQ(itemOptions(o) & ZEVOPTION_DUPLICATING, 0u);
        const QString folder = ZEVItemData::Current().itemDropFolder(o->idInt());
        EXPECT_TRUE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty())
            << "no partial file";
        EXPECT_FALSE(ZEVTransferQueue::shared().siReserved(folder + "/" + (o == made[0] ? "a.txt" : "b.txt")))
            << "the name goes back";
    }
}

TEST_F(Duplicate, TheNewObjectsExistWhileTheCopyIsHeldBackAndProgressShowsAboveTwentyMillionBytes)
{
    start();
    settle();
    KELI* small = fileObject(home + "/at.bin", 0);
    KELI* large = fileObject(home + "/above.bin", 0);
    ASSERT_TRUE(small && large);
    ASSERT_TRUE(QFile::resize(ZEVItemData::Current().fileUrlForItem(small), ZEVFrontClass::kProgressBytes));
    ASSERT_TRUE(QFile::resize(ZEVItemData::Current().fileUrlForItem(large), ZEVFrontClass::kProgressBytes + 1));
    // Both workers held: nothing is copied until they are let go.
    select({small, large});
    auto go = std::make_shared<std::atomic<bool>>(false);
    // Let go whatever happens below, or the queue would wait for ever.
    const std::shared_ptr<void> letGo(nullptr, [go](void*) { go->store(true); });
    for (int i = 0; i < 2; ++i)
        ZEVTransferQueue::shared().run(
            [go] {
                while (!go->load())
                    QThread::msleep(1);
                return true;
            },
            frontClass(), {});
    // No pump while the workers are held: it waits for the queue.
    frontClass()->duplicateToSpaceForItems({small, large});
    const std::vector<KELI*> made = frontClass()->duplicatedItems();
    ASSERT_EQ(made.size(), 2u);
    for (KELI* o : made) {
        EXPECT_NE(itemOptions(o) & ZEVOPTION_DUPLICATING, 0u);
        ASSERT_NE(nowDesk()->itemViewForItem(o), nullptr) << "the view is there while the copy waits";
        EXPECT_EQ(ZEVItemData::Current().recordedFilePathForItem(o), QString()) << "no record before the copy";
    }
    auto* smallView = dynamic_cast<ZEVItemView*>(nowDesk()->itemViewForItem(made[0]));
    auto* largeView = dynamic_cast<ZEVItemView*>(nowDesk()->itemViewForItem(made[1]));
    ASSERT_TRUE(smallView && largeView);
    EXPECT_EQ(smallView->progressView(), nullptr) << "not at 20,000,000 bytes";
    EXPECT_NE(largeView->progressView(), nullptr) << "above it";
    EXPECT_TRUE(graph->scheduler().isPending(frontClass(), "_duplicateRun"));
    go->store(true);
    settle();
    for (KELI* o : made)
        EXPECT_EQ(itemOptions(o) & (ZEVOPTION_DUPLICATING | ZEVOPTION_ERROR), 0u);
    EXPECT_EQ(QFileInfo(ZEVItemData::Current().recordedFilePathForItem(made[1])).size(),
              ZEVFrontClass::kProgressBytes + 1);
    EXPECT_FALSE(graph->scheduler().isPending(frontClass(), "_duplicateRun"));
}

TEST_F(Duplicate, ADuplicateWhoseRecordCannotBeWrittenIsTakenBackWithItsCopyAndTheNextOneWorks)
{
    start();
    settle();
    KELI* item = fileObject(home + "/draft.txt", 100);
    ASSERT_NE(item, nullptr);
    alerts.clear();
    // The copy's end, where its record is written, comes on a later turn: the store refuses by then.
    frontClass()->duplicateToSpaceForItems({item});
    ASSERT_EQ(frontClass()->duplicatedItems().size(), 1u);
    KELI* copy = frontClass()->duplicatedItems().front();
    const KELId copyId = copy->idInt();
    const QString folder = ZEVItemData::Current().itemDropFolder(copyId);
    {
        tallomer::test::RefusedFolder refused(storeFolder() + "/local/zevData/2000018");
        ASSERT_TRUE(refused.ok());
        settle();
    }
    EXPECT_EQ(liveObjectsTitled("draft.txt").size(), 1u) << "the duplicate stays without its record";
    EXPECT_EQ(nowDesk()->itemViewForItem(KELServeurDeLiens::LienForInt(copyId, space()->nowCurseur())), nullptr);
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty()) << "the copy stays behind";
    EXPECT_EQ(alerts.size(), 1u);

    frontClass()->duplicateToSpaceForItems({item});
    settle();
    ASSERT_EQ(frontClass()->duplicatedItems().size(), 1u);
    KELI* again = frontClass()->duplicatedItems().front();
    EXPECT_EQ(QFileInfo(ZEVItemData::Current().recordedFilePathForItem(again)).size(), 100);
    EXPECT_EQ(liveObjectsTitled("draft.txt").size(), 2u);
    EXPECT_EQ(alerts.size(), 1u);
}

TEST_F(Duplicate, AFileMovedOrCopiedWhoseRecordCannotFollowIsPutBackWhereItsObjectFindsIt)
{
    const auto [plan, note, box] = startWithTwoFilesAndTheBox();
    ASSERT_TRUE(plan && note && box);
    ZEVItemData& data = ZEVItemData::Current();
    alerts.clear();
    // The store refuses once the job has started, before its end writes the record.
    std::optional<tallomer::test::RefusedFolder> refused;
    const auto refuse = [&] {
        refused.emplace(storeFolder() + "/local/zevData/2000018");
        ASSERT_TRUE(refused->ok());
    };
    const auto keptAt = [&](KELI* item, const QString& path) {
        EXPECT_TRUE(QFileInfo::exists(path));
        EXPECT_EQ(data.recordedFilePathForItem(item), path);
        EXPECT_EQ(itemOptions(item) & (ZEVOPTION_MOVING | ZEVOPTION_COPYING), 0u);
        EXPECT_NE(itemOptions(item) & ZEVOPTION_ERROR, 0u) << "the Object shows the failure";
    };

    // Dropped onto the folder Object: the move is renamed back, its icon stays on the desk.
    dragOnto(nowDesk()->itemViewForItem(plan), box, Qt::NoModifier, true, refuse);
    refused.reset();
    keptAt(plan, home + "/plan.txt");
    EXPECT_FALSE(QFileInfo::exists(home + "/box/plan.txt"));
    EXPECT_FALSE(released(plan));
    // With Alt: the copy the Object would have referred to goes.
    dragOnto(nowDesk()->itemViewForItem(note), box, Qt::AltModifier, true, refuse);
    refused.reset();
    keptAt(note, home + "/note.txt");
    EXPECT_FALSE(QFileInfo::exists(home + "/box/note.txt"));

    // Object ▸ Handle ▸ Move To…, within the file system and onto another one (a move by copy,
    // whose source would go once the record named the copy).
    QStringList folders{home + "/box"};
    if (kOtherFileSystem) {
        folders << tallomer::test::SecondFileSystem::big() + "/refused-" + QString::number(plan->idInt());
        QDir().mkpath(folders.last());
    }
    for (const QString& folder : folders) {
        select({plan});
        panelAnswers = {folder};
        chooseHandleItem(kMoveTo, refuse);
        settle();
        refused.reset();
        keptAt(plan, home + "/plan.txt");
        EXPECT_TRUE(QDir(folder).entryList(QDir::Files | QDir::Hidden).filter("plan").isEmpty()) << folder.toStdString();
    }
    EXPECT_EQ(alerts.size(), 2u + std::size_t(folders.size())) << "one message for each refused act";

    // The store writable again, the same move is made and kept.
    select({plan});
    panelAnswers = {home + "/box"};
    chooseHandleItem(kMoveTo);
    settle();
    EXPECT_FALSE(QFileInfo::exists(home + "/plan.txt"));
    EXPECT_EQ(data.recordedFilePathForItem(plan), home + "/box/plan.txt");
    EXPECT_EQ(itemOptions(plan) & ZEVOPTION_ERROR, 0u);
}

TEST_F(Duplicate, AFileAboveTwentyMillionBytesDroppedOntoAFolderShowsItsProgressWhileTheCopyWaits)
{
    startWithTheBox();
    KELI* at = fileObject(home + "/at.bin", 0);
    KELI* above = fileObject(home + "/above.bin", 0);
    ZEVItemView* box = viewTitled("box");
    ASSERT_TRUE(at && above && box);
    ASSERT_TRUE(QFile::resize(ZEVItemData::Current().fileUrlForItem(at), ZEVFrontClass::kProgressBytes));
    ASSERT_TRUE(QFile::resize(ZEVItemData::Current().fileUrlForItem(above), ZEVFrontClass::kProgressBytes + 1));
    auto* atView = dynamic_cast<ZEVItemView*>(nowDesk()->itemViewForItem(at));
    auto* aboveView = dynamic_cast<ZEVItemView*>(nowDesk()->itemViewForItem(above));
    ASSERT_TRUE(atView && aboveView);

    // Both workers held: the copies wait. The clock moves without waiting for the queue.
    auto go = std::make_shared<std::atomic<bool>>(false);
    const std::shared_ptr<void> letGo(nullptr, [go](void*) { go->store(true); });
    for (int i = 0; i < 2; ++i)
        ZEVTransferQueue::shared().run(
            [go] {
                while (!go->load())
                    QThread::msleep(1);
                return true;
            },
            frontClass(), {});
    auto tick = [this](double seconds) {
        clock.set(clock.now() + seconds);
        graph->scheduler().clockMoved();
        QCoreApplication::processEvents();
    };
    frontClass()->dragToFolderItemView(box, {}, {at, above}, {});
    EXPECT_EQ(atView->progressView(), nullptr) << "not at 20,000,000 bytes";
    ASSERT_NE(aboveView->progressView(), nullptr) << "above it";
    EXPECT_NE(itemOptions(above) & ZEVOPTION_COPYING, 0u);
    EXPECT_TRUE(graph->scheduler().isPending(frontClass(), "_draggingRun"));

    // Half of it under a temporary name in the folder: the poll shows it, and goes on.
    {
        QFile part(home + "/box/" + kTransferTempPrefix + "part");
        ASSERT_TRUE(part.open(QIODevice::WriteOnly));
        ASSERT_TRUE(part.resize((ZEVFrontClass::kProgressBytes + 1) / 2));
    }
    tick(0.15);
    EXPECT_NEAR(aboveView->progressView()->fraction(), 0.5, 0.01);
    EXPECT_TRUE(graph->scheduler().isPending(frontClass(), "_draggingRun"));
    ASSERT_TRUE(QFile::remove(home + "/box/" + kTransferTempPrefix + "part"));

    go->store(true);
    settle();
    EXPECT_EQ(aboveView->progressView(), nullptr) << "the bar goes at the end";
    EXPECT_FALSE(graph->scheduler().isPending(frontClass(), "_draggingRun")) << "the poll ends with the last";
    EXPECT_EQ(QFileInfo(home + "/box/above.bin").size(), ZEVFrontClass::kProgressBytes + 1);
    EXPECT_EQ(ZEVItemData::Current().recordedFilePathForItem(above), home + "/box/above.bin");
    for (KELI* o : {at, above})
        EXPECT_EQ(itemOptions(o) & (ZEVOPTION_COPYING | ZEVOPTION_ERROR), 0u);
}

TEST_F(Duplicate, TheCopyOfADraggedObjectThatNamesNoFileSlidesBackWhileTheOtherGoesIntoTheFolder)
{
    startWithTheBox();
    KELI* kept = fileObject(home + "/kept.txt", 5);
    KELI* lost = fileObject(home + "/lost.txt", 5);
    ZEVItemView* box = viewTitled("box");
    ASSERT_TRUE(kept && lost && box);
    // Its file record gone: the Object names no file, and the desk puts it in no list.
    ZEVItemData& data = ZEVItemData::Current();
    ASSERT_TRUE(QFile::remove(data.recordPath(lost->idInt(), QStringLiteral("file"))));
    ASSERT_TRUE(data.fileUrlForItem(lost).isEmpty());
    select({kept, lost});
    dragOnto(nowDesk()->itemViewForItem(kept), box, Qt::NoModifier, false);
    ZEVItemView* lostCopy = nullptr;
    for (const auto& k : ZEVItemViewer::CopiedItemViews())
        if (k && k->item() == lost)
            lostCopy = k.get();
    ASSERT_NE(lostCopy, nullptr);
    const QPointF place = nowDesk()->itemViewForItem(lost)->imageFrame().center();
    EXPECT_NE(lostCopy->scene(), nullptr) << "it slides back";
    advance(0.82);
    EXPECT_NEAR(lostCopy->imageFrame().center().x(), place.x(), 1.5);
    EXPECT_NEAR(lostCopy->imageFrame().center().y(), place.y(), 1.5);
    advance(0.1);
    EXPECT_EQ(lostCopy->scene(), nullptr) << "and goes at 0.9 s";
    settle();
    EXPECT_TRUE(QFileInfo::exists(home + "/box/kept.txt"));
    EXPECT_FALSE(released(lost)) << "it stays on the desk";
}

} // namespace
} // namespace e2e
