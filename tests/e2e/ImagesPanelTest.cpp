// The Images panel at work in the running program: a row clicked and Test pressed shows that
// picture over the whole screen on its colour, Down shows the next, Escape ends the test and the
// pointer shows again; a PNG on the clipboard pasted into the focused table becomes one image
// Object listed from now with its colour, selected; an image file the panel listed before and
// dropped again is recalled, not made again; the add panel lists the images it is given and
// refuses anything else, opens a folder typed in it and counts neither a folder nor a missing
// name as an image, and a folder named like a picture is none; a photo too large to decode whole
// still shows its picture and makes a Channel. Files named like pictures that are none are told
// and left out; a picture that cannot be drawn shows its colour alone in the preview; the preview
// keeps its side of the panel after a Remove; a picture the full disk could not list is not
// selected as come.

#include "tests/e2e/E2EFixture.h"
#include "tests/support/ModalDialogs.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVItemClass.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/store/KELChercheurDe.h"
#include "app/menu/KELMainMenu.h"
#include "inspectors/channels/ZEVChannelAddPanel.h"
#include "inspectors/channels/ZEVChannelPanelControls.h"
#include "inspectors/context/ZEVContextViewer.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/images/ZEVBackTableView.h"
#include "inspectors/images/ZEVBackView.h"
#include "inspectors/images/ZEVBackViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "platform/sound/Sound.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "widgets/ZEVButton.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QLabel>
#include <QAbstractItemView>
#include <QWheelEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace e2e {
namespace {

using tallomer::test::whenModalRuns;


class ImagesPanel : public E2EWithSound<RecordingSound> {
protected:
    ZEVBackViewer* images() const
    {
        return dynamic_cast<ZEVBackViewer*>(space()->viewerForEntityClassName("ZEVBackViewer"));
    }
    ZEVBackTableView* table() const { return images() ? images()->backTableView() : nullptr; }
    static QColor couleur(int i) { return QColor::fromHsv(i * 100 % 360, 220, 200); }
    QString png(const QString& name, const QColor& c)
    {
        const QString path = home + "/" + name;
        QImage image(160, 100, QImage::Format_RGB32);
        image.fill(c);
        EXPECT_TRUE(image.save(path));
        return path;
    }
    // Images listed in the panel of the current Channel for a week, each on its PNG.
    void semer(int n)
    {
        const KELId canal = space()->currentChannelInt();
        KELI* identity = space()->channelForIdentityInt(canal);
        KELICurseur* now = space()->nowCurseur();
        ZEVItemClass* items = space()->itemClassForCurseur(now);
        ASSERT_TRUE(identity && items);
        for (int i = 0; i < n; ++i) {
            const QString path = png(QStringLiteral("seed%1.png").arg(i), couleur(i));
            KELI* o = items->creerItemWithChannelInt(canal, QFileInfo(path).fileName().toStdString(), "file", "png", 0);
            ASSERT_NE(o, nullptr);
            o->setChannelInt(canal);
            ASSERT_TRUE(ZEVItemData::Current().createFileURL(path, QUrl(), o));
            KELServeurDeLiens::CreerLienRelInt(KELRELATION_IMAGE_COLOR, o, space()->defaultColorItem(),
                                               KELDateToujours, KELDateOuverte, now);
            KELServeurDeLiens::CreerLienRelInt(KELRELATION_BACK_VIEWER, identity, o, now->now() - 7 * 86400.0,
                                               KELDateOuverte, now);
            seeded.push_back(o);
        }
        advance(1.0);
    }
    // The panel's Add button pressed over a folder "pics" holding red.png and a folder named like a
    // picture, with the panel's name field.
    struct AddPanelOnPics {
        QString pics, red;
        QFileDialog* panel = nullptr;
        QLineEdit* typed = nullptr;
    };
    void openAddPanelOnPics(AddPanelOnPics& a)
    {
        startWithTheBar();
        openAndFocus();
        a.pics = home + "/pics";
        QDir().mkpath(a.pics + "/folder.png");
        a.red = png("pics/red.png", Qt::red);
        click(images()->inspectViewIfBuilt()->btnAdd());
        pump();
        a.panel = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(a.panel, nullptr);
        a.typed = a.panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(a.typed, nullptr);
    }
    // Opened from its bar button, its table given the keys by a click below the rows.
    void openAndFocus()
    {
        auto* bar = dynamic_cast<ZEVContextViewer*>(space()->contextViewer());
        ASSERT_NE(bar, nullptr);
        click(bar->buttonForEntityInt(KELENTITY_BACK_VIEWER));
        advance(1.0);
        ASSERT_NE(table(), nullptr);
        ASSERT_TRUE(table()->isVisible());
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {},
                          QPoint(table()->viewport()->width() / 2, table()->viewport()->height() - 4));
        pump();
        ASSERT_TRUE(images()->siFirstResponder());
    }
    void clickRow(int row)
    {
        const QRect cell = table()->visualRect(table()->tableModel()->index(row, 4));
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, QPoint(cell.right() - 20, cell.top() + 20));
        pump();
    }
    QColor screenCentre() const
    {
        QWidget* w = images()->test().window();
        return w->grab().toImage().pixelColor(w->width() / 2, w->height() / 2);
    }
    static bool proche(const QColor& a, const QColor& b)
    {
        return std::abs(a.red() - b.red()) < 12 && std::abs(a.green() - b.green()) < 12 && std::abs(a.blue() - b.blue()) < 12;
    }
    // The Images presences of the home Channel, and the colour links, of an Object.
    Rows presences(KELId id) const
    {
        return sql(database(), "SELECT DATE_IN, DATE_OUT FROM ZEVLETS WHERE RELATION = 1000167 AND PARENT_ZEVLET = " +
                                   std::to_string(kHome) + " AND CHILD_ZEVLET = " + std::to_string(id) +
                                   " ORDER BY DATE_IN");
    }
    Rows colours(KELId id) const
    {
        return sql(database(), "SELECT CHILD_ZEVLET FROM ZEVLETS WHERE RELATION = 1000257 AND PARENT_ZEVLET = " +
                                   std::to_string(id));
    }
    // The file typed in the panel's + panel, with Return.
    void addThroughPanel(const QString& path)
    {
        click(images()->inspectViewIfBuilt()->btnAdd());
        pump();
        auto* panel = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(panel, nullptr);
        auto* typed = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(typed, nullptr);
        QTest::keyClicks(typed, path);
        QTest::keyClick(typed, Qt::Key_Return);
        advance(1.0);
    }
    // The files dragged from elsewhere and dropped at the table's top.
    void dropOnTable(const QList<QUrl>& urls)
    {
        QMimeData dragged;
        dragged.setUrls(urls);
        const QPoint at(table()->viewport()->width() / 2, 10);
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, &dragged, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(table()->viewport(), &enter);
        QDropEvent d(QPointF(at), Qt::CopyAction | Qt::LinkAction, &dragged, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(table()->viewport(), &d);
        advance(1.0);
    }
    // A PNG of the size whose bytes are cut to `keep` (all of them for -1).
    QString pngCut(const QString& name, QSize size, qsizetype keep)
    {
        QImage image(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x * y) % 256));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        QFile f(home + "/" + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(keep < 0 ? bytes : bytes.left(keep));
        return f.fileName();
    }
    std::vector<KELI*> seeded;
    Rows listed() const
    {
        return sql(database(), "SELECT DISTINCT CHILD_ZEVLET FROM ZEVLETS WHERE RELATION = 1000167 AND PARENT_ZEVLET = " +
                                   std::to_string(kHome));
    }
};

TEST_F(ImagesPanel, TestShowsTheRowsPictureFullScreenDownTheNextAndEscapeEndsIt)
{
    startWithTheBar();
    semer(3);
    openAndFocus();
    ASSERT_EQ(table()->numberOfRows(), 3);
    clickRow(0);
    ASSERT_EQ(table()->selectionModel()->selectedRows().size(), 1);
    KELI* first = table()->element(0)->item;
    const int premier = QFileInfo(ZEVItemData::Current().fileUrlForItem(first)).baseName().back().digitValue();
    click(images()->backView()->btnTestImage());
    advance(0.5);
    ZEVBackTestWindow* w = images()->test().window();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(w->isVisible());
    EXPECT_EQ(w->geometry(), QGuiApplication::primaryScreen()->geometry());
    EXPECT_TRUE(proche(screenCentre(), couleur(premier))) << screenCentre().name().toStdString();
    EXPECT_TRUE(space()->siNSCursorHidden());

    // Down moves the table's selection and the picture follows.
    key(Qt::Key_Down);
    advance(0.2);
    ASSERT_TRUE(w->isVisible());
    ASSERT_EQ(table()->selectionModel()->selectedRows().first().row(), 1);
    KELI* second = table()->element(1)->item;
    const int deuxieme = QFileInfo(ZEVItemData::Current().fileUrlForItem(second)).baseName().back().digitValue();
    EXPECT_TRUE(proche(screenCentre(), couleur(deuxieme))) << screenCentre().name().toStdString();

    key(Qt::Key_Escape);
    advance(0.2);
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(space()->siNSCursorHidden()) << "the pointer shows again";
    EXPECT_TRUE(images()->backClass().existingBackObjectForItem(first)->backImage().isNull());
    EXPECT_TRUE(images()->backClass().existingBackObjectForItem(second)->backImage().isNull());

    // Closing the panel ends a test too.
    click(images()->backView()->btnTestImage());
    advance(0.5);
    ASSERT_TRUE(w->isVisible());
    images()->buttonInspectCancel();
    advance(1.0);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(ImagesPanel, NewSpaceAcceptedStartsABackgroundOnACopyOfThePictureAndThePanelCloses)
{
    startWithTheBar();
    semer(1);
    openAndFocus();
    clickRow(0);
    KELI* image = table()->element(0)->item;
    const QString original = ZEVItemData::Current().fileUrlForItem(image);
    const auto backgrounds = [this] {
        return sql(database(), "SELECT CHILD_ZEVLET, DATE_IN FROM ZEVLETS WHERE RELATION = 1000172 AND DATE_IN < "
                               "4503599627370497.0 AND PARENT_ZEVLET = " + std::to_string(kHome) + " ORDER BY DATE_IN");
    };
    const std::size_t before = backgrounds().size();
    bool panel = false;
    whenModalRuns<ZEVChannelAddPanel>(window(), [&](ZEVChannelAddPanel* p) {
        panel = true;
        EXPECT_EQ(p->nameField()->text(), QStringLiteral("seed0.png")) << "the image's title";
        QTest::keyClick(p->nameField(), Qt::Key_Return);
    });
    click(images()->backView()->btnSetAsDesktopWallpaper());
    ASSERT_TRUE(panel);
    advance(5.0);
    const Rows after = backgrounds();
    ASSERT_EQ(after.size(), before + 1);
    const std::string made = after.at(after.size() - 1, 0);
    EXPECT_NE(made, std::to_string(image->idInt())) << "a new Object of its own";
    const QString copy = storeFolder() + "/local/zevDrop/" + QString::number(kHome) + "/" + q(made) + "/seed0.png";
    ASSERT_TRUE(QFile::exists(copy)) << copy.toStdString();
    QFile a(copy), b(original);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll()) << "a copy of the picture";
    EXPECT_FALSE(table() && table()->isVisible()) << "the panel closed after the YES";
}

TEST_F(ImagesPanel, NewChannelAndNewSpaceHandThePanelsTheImageItsScaleAndNameAndACancelKeepsThePanel)
{
    startWithTheBar();
    semer(1);
    // An image with no title of its own.
    KELI* untitled = nullptr;
    {
        const QString path = png(QStringLiteral("plain.png"), couleur(3));
        const KELId canal = space()->currentChannelInt();
        KELICurseur* now = space()->nowCurseur();
        untitled = space()->itemClassForCurseur(now)->creerItemWithChannelInt(canal, "", "file", "png", 0);
        ASSERT_NE(untitled, nullptr);
        untitled->setChannelInt(canal);
        ASSERT_TRUE(ZEVItemData::Current().createFileURL(path, QUrl(), untitled));
        KELServeurDeLiens::CreerLienRelInt(KELRELATION_BACK_VIEWER, space()->channelForIdentityInt(canal), untitled,
                                           now->now() - 3600.0, KELDateOuverte, now);
        advance(1.0);
    }
    openAndFocus();
    ASSERT_EQ(table()->numberOfRows(), 2);
    const int titled = table()->element(0)->item == untitled ? 1 : 0;
    clickRow(titled);
    ZEVBackView* v = images()->backView();
    // The second scale chosen in the pop-up reaches the Channel's panel.
    QComboBox* size = v->btnImageSize();
    ASSERT_TRUE(size->isVisible());
    size->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(size, Qt::Key_Down);
    ASSERT_EQ(size->currentIndex(), 1);
    const long scale = size->itemData(1).toLongLong();
    const std::size_t identities = space()->allIdentities().size();
    bool shown = false;
    whenModalRuns<ZEVChannelAddPanel>(window(), [&](ZEVChannelAddPanel* p) {
        shown = true;
        EXPECT_EQ(p->kind(), ZEVChannelAddPanel::Kind::Channel);
        EXPECT_EQ(p->nameField()->text(), QStringLiteral("Channel %1").arg(identities + 1)) << "no Channel name given";
        EXPECT_EQ(p->spaceField()->text(), QStringLiteral("seed0.png"));
        EXPECT_EQ(p->controls()->scaleInt(), scale);
        // What the pop-up named is what the panel shows.
        EXPECT_EQ(size->currentText(), QStringLiteral("Fill"));
        EXPECT_TRUE(p->controls()->fillButton()->isChecked());
        QTest::mouseClick(p->cancelButton(), Qt::LeftButton);
    });
    click(v->btnSetAsNewChannel());
    ASSERT_TRUE(shown);
    advance(1.0);
    EXPECT_EQ(space()->allIdentities().size(), identities);
    EXPECT_TRUE(table() && table()->isVisible()) << "a cancelled panel leaves the Images panel open";

    // An untitled image's new Space is "New Space"; cancelled too, the panel stays.
    clickRow(1 - titled);
    ASSERT_EQ(table()->element(1 - titled)->item, untitled);
    shown = false;
    whenModalRuns<ZEVChannelAddPanel>(window(), [&](ZEVChannelAddPanel* p) {
        shown = true;
        EXPECT_EQ(p->kind(), ZEVChannelAddPanel::Kind::Space);
        EXPECT_EQ(p->nameField()->text(), QStringLiteral("New Space"));
        QTest::keyClick(p, Qt::Key_Escape);
    });
    click(v->btnSetAsDesktopWallpaper());
    ASSERT_TRUE(shown);
    advance(1.0);
    EXPECT_TRUE(table() && table()->isVisible());
}

TEST_F(ImagesPanel, APngPastedIntoTheTableIsOneImageListedFromNowWithItsColourAndSelected)
{
    startWithTheBar();
    openAndFocus();
    QByteArray bytes;
    {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QBuffer b(&bytes);
        b.open(QIODevice::WriteOnly);
        ASSERT_TRUE(image.save(&b, "PNG"));
    }
    auto data = std::make_unique<QMimeData>();
    data->setData("image/png", bytes);
    QGuiApplication::clipboard()->setMimeData(data.release());
    const KELDate now = space()->nowCurseur()->now();
    key(Qt::Key_V, Qt::ControlModifier);
    advance(1.0);

    const Rows l = listed();
    ASSERT_EQ(l.size(), 1u);
    const KELId id = std::stoull(l.at(0, 0));
    const Rows p = presences(id);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_NEAR(std::stod(p.at(0, 0)), now, 2.0);
    EXPECT_EQ(colours(id).size(), 1u);
    const std::vector<KELI*> selected = space()->selections().selectedIconItems();
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected.front()->idInt(), id);
    const QString file = ZEVItemData::Current().fileUrlForItem(selected.front());
    EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
    EXPECT_EQ(table()->numberOfRows(), 1);
    EXPECT_EQ(sound.beeps, 0);

    // A paste of nothing the panel takes: a beep and the selection stays.
    auto text = std::make_unique<QMimeData>();
    text->setText("not a picture");
    QGuiApplication::clipboard()->setMimeData(text.release());
    key(Qt::Key_V, Qt::ControlModifier);
    advance(1.0);
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_EQ(space()->selections().selectedIconItems(), selected);
    EXPECT_EQ(listed().size(), 1u);
}

TEST_F(ImagesPanel, AListedImageFileDroppedAgainIsRecalledAndTheAddPanelTakesImagesOnly)
{
    startWithTheBar();
    openAndFocus();
    const QString path = png("dropped.png", Qt::cyan);
    auto drop = [&] {
        QMimeData dragged;
        dragged.setUrls({QUrl::fromLocalFile(path)});
        const QPoint at(table()->viewport()->width() / 2, 10);
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, &dragged, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(table()->viewport(), &enter);
        EXPECT_EQ(enter.dropAction(), Qt::LinkAction);
        QDragMoveEvent move(at, Qt::CopyAction | Qt::LinkAction, &dragged, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(table()->viewport(), &move);
        QDropEvent d(QPointF(at), Qt::CopyAction | Qt::LinkAction, &dragged, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(table()->viewport(), &d);
        advance(1.0);
    };
    // In the links mode what comes is selected as nodes.
    click(images()->inspectViewIfBuilt()->btnFrontMode(3));
    advance(0.5);
    drop();
    ASSERT_EQ(listed().size(), 1u);
    const KELId id = std::stoull(listed().at(0, 0));
    KELI* item = KELServeurDeLiens::LienForInt(id, space()->nowCurseur());
    EXPECT_TRUE(space()->selections().isNodeSelectedForItem(item));
    advance(60.0);
    images()->backClass().releaseBacksForItems({item});
    advance(1.0);
    ASSERT_FALSE(images()->backClass().isItemActif(item));
    drop();
    EXPECT_EQ(listed().size(), 1u) << "no second Object";
    EXPECT_TRUE(images()->backClass().isItemActif(item));
    EXPECT_EQ(presences(id).size(), 2u) << "the old presence and the recalled one";
    EXPECT_EQ(colours(id).size(), 1u) << "its colour kept";

    // The add panel: an image comes, a text file does not.
    auto choose = [&](const QString& chosen, const char* prompt) {
        click(images()->inspectViewIfBuilt()->btnAdd());
        pump();
        auto* panel = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->windowTitle(), QString::fromUtf8("Add Images\u2026"));
        auto* typed = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(typed, nullptr);
        QTest::keyClicks(typed, chosen);
        advance(0.2);
        if (prompt) {
            EXPECT_EQ(panel->labelText(QFileDialog::Accept), prompt);
        }
        QTest::keyClick(typed, Qt::Key_Return);
        advance(1.0);
    };
    choose(png("chosen.png", Qt::yellow), "Add 1 Image");
    EXPECT_EQ(listed().size(), 2u);
    QFile text(home + "/notes.txt");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("notes");
    text.close();
    const int beeps = sound.beeps;
    choose(text.fileName(), nullptr);
    EXPECT_EQ(listed().size(), 2u) << "a text file is no image";
    EXPECT_EQ(sound.beeps, beeps + 1);
}

// Files named like pictures that hold none (text, nothing, a header cut off) are told, by name,
// and listed nowhere; the pictures dropped with them come.
TEST_F(ImagesPanel, FilesNamedLikePicturesThatAreNoneAreToldAndLeftOut)
{
    startWithTheBar();
    openAndFocus();
    const QString good = png("good.png", Qt::cyan);
    const QString text = home + "/text.png";
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("hello, this is no picture");
    f.close();
    const QString empty = pngCut("empty.jpg", QSize(10, 10), 0);
    const QString cut = pngCut("cut.png", QSize(10, 10), 12);
    alerts.clear();

    dropOnTable({QUrl::fromLocalFile(text), QUrl::fromLocalFile(good), QUrl::fromLocalFile(empty),
                 QUrl::fromLocalFile(cut)});
    ASSERT_EQ(listed().size(), 1u) << "only the picture is listed";
    EXPECT_EQ(liveObjectsTitled("good.png").size(), 1u);
    for (const char* none : {"text.png", "empty.jpg", "cut.png"})
        EXPECT_TRUE(liveObjectsTitled(none).empty()) << none;
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, "3 files cannot be added to the Images Window.");
    EXPECT_EQ(alerts[0].informative, "They are not pictures Tallomer can read: text.png, empty.jpg, cut.png.");

    // One chosen in the add panel is told by its name.
    addThroughPanel(text);
    EXPECT_EQ(listed().size(), 1u);
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[1].message, "\"text.png\" cannot be added to the Images Window.");
    EXPECT_EQ(alerts[1].informative, "It is not a picture Tallomer can read.");
}

// A picture dropped while the disk has no room for its place in the list is not told as come:
// nothing is listed or selected and the user hears of the disk; the same drop with room lists it
// once, with its colour.
TEST_F(ImagesPanel, APictureDroppedOnAFullDiskIsNotToldAsCome)
{
    startWithTheBar();
    openAndFocus();
    const QString path = png("full.png", Qt::magenta);
    alerts.clear();
    Sqlite& db = KELChercheurDe::ZevDataBase();
    ASSERT_TRUE(db.executeNonQuery("CREATE TEMP TRIGGER plein BEFORE INSERT ON ZEVLETS WHEN NEW.RELATION = 1000167 "
                                   "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END;"));
    dropOnTable({QUrl::fromLocalFile(path)});
    ASSERT_TRUE(db.executeNonQuery("DROP TRIGGER temp.plein;"));
    EXPECT_TRUE(listed().empty());
    EXPECT_EQ(std::count_if(alerts.begin(), alerts.end(),
                            [](const ZEVAlertRequest& r) { return r.message == "Your changes could not be saved."; }),
              1);
    EXPECT_TRUE(space()->selections().selectedIconItems().empty()) << "an image no list shows was selected";
    EXPECT_EQ(table()->numberOfRows(), 0);

    dropOnTable({QUrl::fromLocalFile(path)});
    ASSERT_EQ(listed().size(), 1u);
    EXPECT_EQ(liveObjectsTitled("full.png").size(), 1u) << "one Object for the file";
    EXPECT_EQ(colours(std::stoull(listed().at(0, 0))).size(), 1u) << "with its colour";
    EXPECT_EQ(space()->selections().selectedIconItems().size(), 1u);
}

// A picture whose file ends before its pixels do is listed with its broken mark; chosen after
// another, the preview shows its colour alone, and its row menu the file's icon, not the other's
// picture.
TEST_F(ImagesPanel, APictureThatCannotBeDrawnShowsItsColourAloneInThePreview)
{
    startWithTheBar();
    openAndFocus();
    const QString half = pngCut("half.png", QSize(300, 200), -1);
    const qsizetype size = QFileInfo(half).size();
    pngCut("half.png", QSize(300, 200), size / 2);
    dropOnTable({QUrl::fromLocalFile(png("good.png", Qt::cyan)), QUrl::fromLocalFile(half)});
    ASSERT_EQ(table()->numberOfRows(), 2);
    int halfRow = -1;
    for (int row = 0; row < 2; ++row)
        if (liveObjectsTitled("half.png").at(0, 0) == table()->element(row)->item->idTxt())
            halfRow = row;
    ASSERT_GE(halfRow, 0);
    ZEVBackView* v = images()->backView();
    const QPoint centre = v->previewPane()->mapTo(v, v->backImageView()->geometry().center());
    const auto shown = [&] { return v->grab().toImage().pixelColor(centre); };
    clickRow(1 - halfRow);
    ASSERT_TRUE(pumpUntil([&] { return proche(shown(), Qt::cyan); })) << shown().name().toStdString();
    clickRow(halfRow);
    EXPECT_TRUE(pumpUntil([&] { return !proche(shown(), Qt::cyan); })) << "the preview kept the other picture";
    EXPECT_TRUE(images()->backClass().siThumbnailFailed(table()->element(halfRow)->item));

    // Its row menu's header shows no other image's picture either, after that image's own menu.
    const auto headerCentre = [&](int row) {
        const QRect cell = table()->visualRect(table()->tableModel()->index(row, 4));
        QMenu* m = rightClickIn(table(), QPoint(cell.right() - 20, cell.top() + 20));
        EXPECT_NE(m, nullptr);
        QAction* header = m ? ZEVMenuItemWithTag(m, ZEVRowTagHeader) : nullptr;
        const QImage picture = header ? header->icon().pixmap(48, 48).toImage() : QImage();
        if (m)
            m->close();
        pump();
        return picture.isNull() ? QColor() : picture.pixelColor(picture.width() / 2, picture.height() / 2);
    };
    ASSERT_TRUE(proche(headerCentre(1 - halfRow), Qt::cyan));
    const QColor header = headerCentre(halfRow);
    EXPECT_TRUE(header.isValid()) << "no picture at all";
    EXPECT_FALSE(proche(header, Qt::cyan)) << "the header shows the other image's picture";
}

// The preview keeps its side of the panel whatever the count reads: right after an image is
// removed the preview and its Test button are still where a click finds them, and the one chosen
// next shows in it.
TEST_F(ImagesPanel, AfterARemoveThePreviewStillShowsBesideTheTable)
{
    startWithTheBar();
    semer(3);
    openAndFocus();
    clickRow(0);
    chooseMenuItemTitled(KELMainMenu::kMenuObject, QStringLiteral("Remove 1 Image Object"));
    advance(1.0);
    ASSERT_EQ(table()->numberOfRows(), 2);
    ZEVBackView* v = images()->backView();
    const QPoint centre = v->previewPane()->mapTo(v, v->backImageView()->geometry().center());
    QWidget* found = v->childAt(centre);
    EXPECT_TRUE(found && v->previewPane()->isAncestorOf(found)) << "the table lies over the preview";
    QPushButton* test = v->btnTestImage();
    EXPECT_EQ(v->childAt(test->mapTo(v, test->rect().center())), test);

    clickRow(1);
    KELI* chosen = table()->element(1)->item;
    const QColor expected = couleur(int(std::find(seeded.begin(), seeded.end(), chosen) - seeded.begin()));
    EXPECT_TRUE(pumpUntil([&] { return proche(v->grab().toImage().pixelColor(centre), expected); }))
        << "the preview shows " << v->grab().toImage().pixelColor(centre).name().toStdString();
}

TEST_F(ImagesPanel, APastedPictureThatCannotBeWrittenLeavesNoObjectAndDoesNotCount)
{
    startWithTheBar();
    openAndFocus();
    ZEVItemSet set;
    EXPECT_FALSE(images()->_addPDFImages({ZEVPastedPdf{QByteArray(), QStringLiteral("unwritable")}}, set));
    EXPECT_TRUE(set.empty());
    advance(1.0);
    EXPECT_TRUE(listed().empty());
    EXPECT_TRUE(liveObjectsTitled("unwritable").empty()) << "the Object went with its picture";
}

TEST_F(ImagesPanel, TheObjectMenuOffersNoDuplicateAndItsAddImagesPanelTurnsItsWheelIntoTime)
{
    startWithTheBar();
    semer(1);
    openAndFocus();
    clickRow(0);
    // Duplicating images would do nothing: both items stay off.
    QMenu* object = openMenu(KELMainMenu::kMenuObject);
    ASSERT_NE(object, nullptr);
    QAction* handle = menuItemTagged(object, 4333);
    ASSERT_TRUE(handle && handle->menu());
    object->setActiveAction(handle);
    QTest::keyClick(object, Qt::Key_Right);
    pump();
    ASSERT_TRUE(handle->menu()->isVisible());
    int duplicates = 0;
    for (QAction* a : handle->menu()->actions())
        if (const long tag = long(a->property("tag").toLongLong()); tag == 24 || tag == 25) {
            ++duplicates;
            EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
        }
    EXPECT_EQ(duplicates, 2);
    QTest::keyClick(handle->menu(), Qt::Key_Escape);
    QTest::keyClick(object, Qt::Key_Escape);
    pump();

    chooseMenuItemTitled(KELMainMenu::kMenuObject, QString::fromUtf8("Add Images\u2026"));
    pump();
    auto* panel = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->windowTitle(), QString::fromUtf8("Add Images\u2026"));
    // The wheel over the panel's empty areas (its message) travels in time; its list keeps its own.
    auto* message = panel->findChild<QLabel*>(QStringLiteral("panelMessage"));
    ASSERT_NE(message, nullptr);
    KELICurseur* c = space()->actifCurseur();
    const KELDate in = c->nowIn();
    const KELDate out = c->nowOut();
    const QPoint at = message->rect().center();
    for (int turn = 0; turn < 3; ++turn) {
        QWheelEvent e(at, message->mapToGlobal(at), QPoint(), QPoint(-1200, 0), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(message, &e);
        advance(0.1);
    }
    advance(1.0);
    EXPECT_TRUE(c->nowIn() != in || c->nowOut() != out) << "the wheel went to the time ruler";
    panel->reject();
    advance(0.5);
}

TEST_F(ImagesPanel, TheAddPanelOpensAFolderTypedInItInsteadOfClosingWithNothing)
{
    AddPanelOnPics a;
    ASSERT_NO_FATAL_FAILURE(openAddPanelOnPics(a));
    const QString &pics = a.pics, &red = a.red;
    QFileDialog* panel = a.panel;
    QLineEdit* typed = a.typed;
    // A folder typed, then one named like a picture, each with Return: the panel goes into it.
    for (const QString& folder : {pics, pics + "/folder.png"}) {
        // Set whole, as the panel's completion list would take a Return of its own.
        typed->setText(folder);
        QTest::keyClick(typed, Qt::Key_Return);
        advance(0.2);
        ASSERT_EQ(QApplication::activeModalWidget(), panel) << folder.toStdString();
        EXPECT_EQ(panel->directory().absolutePath(), folder);
    }
    EXPECT_TRUE(listed().empty());
    typed->setText(red);
    QTest::keyClick(typed, Qt::Key_Return);
    advance(1.0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(listed().size(), 1u) << "the picture chosen is listed";
}

TEST_F(ImagesPanel, TheAddPanelsButtonCountsNoFolderAndNoMissingNameAsAnImage)
{
    AddPanelOnPics a;
    ASSERT_NO_FATAL_FAILURE(openAddPanelOnPics(a));
    const QString &pics = a.pics, &red = a.red;
    QFileDialog* panel = a.panel;
    QLineEdit* typed = a.typed;
    const struct {
        QString named;
        const char* button;
    } cases[] = {{pics + "/folder.png", "Add"}, {pics + "/gone.png", "Add"}, {red, "Add 1 Image"}};
    for (const auto& [named, button] : cases) {
        typed->setText(named);
        advance(0.2);
        EXPECT_EQ(panel->labelText(QFileDialog::Accept), QString::fromUtf8(button)) << named.toStdString();
    }
    QTest::keyClick(panel, Qt::Key_Escape);
    advance(0.5);
}

TEST_F(ImagesPanel, AFolderNamedLikeAPictureDraggedOnTheTableIsRefused)
{
    startWithTheBar();
    openAndFocus();
    const QString pics = home + "/pics";
    QDir().mkpath(pics + "/folder.png");
    QMimeData dragged;
    dragged.setUrls({QUrl::fromLocalFile(pics + "/folder.png")});
    const QPoint at(table()->viewport()->width() / 2, 10);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table()->viewport(), &enter);
    QDropEvent d(QPointF(at), Qt::CopyAction | Qt::LinkAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table()->viewport(), &d);
    advance(1.0);
    // What the panel refuses falls to the desk below, where a folder is at home.
    EXPECT_TRUE(listed().empty()) << "no image listed";
}

TEST_F(ImagesPanel, APhotoTooLargeToDecodeWholeShowsItsPictureInItsRow)
{
    startWithTheBar();
    openAndFocus();
    // Larger than a whole decode may take (four bytes a pixel), as a JPEG decodes to any size.
    QImage photo(8200, 8200, QImage::Format_Grayscale8);
    photo.fill(QColor(70, 70, 70));
    const QString path = home + "/big.jpg";
    ASSERT_TRUE(photo.save(path, "JPG", 50));
    photo = QImage();
    addThroughPanel(path);
    ASSERT_EQ(listed().size(), 1u);
    ASSERT_EQ(table()->numberOfRows(), 1);
    const QRect cell = table()->visualRect(table()->tableModel()->index(0, 4));
    const QPoint centre = ZEVBackCellGeometry::imageRectForBounds(cell).center().toPoint();
    EXPECT_TRUE(pumpUntil([&] { return proche(table()->viewport()->grab().toImage().pixelColor(centre), QColor(70, 70, 70)); }))
        << "the row shows " << table()->viewport()->grab().toImage().pixelColor(centre).name().toStdString();

    // It can be a new Channel's background: the Channel's panel comes with it.
    const std::size_t told = alerts.size();
    clickRow(0);
    bool shown = false;
    whenModalRuns<ZEVChannelAddPanel>(window(), [&](ZEVChannelAddPanel* p) {
        shown = true;
        QTest::mouseClick(p->cancelButton(), Qt::LeftButton);
    });
    click(images()->backView()->btnSetAsNewChannel());
    EXPECT_TRUE(shown);
    EXPECT_EQ(alerts.size(), told);
}

TEST_F(ImagesPanel, ItsFindMenuSelectsTheImagesOfAHolder)
{
    startWithTheBar();
    semer(2);
    openAndFocus();
    space()->selections().deselectAllIcons();
    advance(0.5);
    ASSERT_TRUE(space()->selections().selectedIconItems().empty());
    // The pictures lie in the home, held by the system: its Find menu's item for those selects
    // both, as the Files panel's does for files.
    click(images()->inspectViewIfBuilt()->btnFind());
    QMenu* find = shownPopupMenu();
    ASSERT_NE(find, nullptr);
    QAction* system = menuItemTagged(find, 22002);
    ASSERT_TRUE(system && system->isEnabled());
    chooseInMenu(find, system);
    advance(0.5);
    EXPECT_EQ(space()->selections().selectedIconItems().size(), 2u);
    // The items for the program's own folders and for external volumes find none of them.
    for (const long tag : {22001L, 22003L}) {
        click(images()->inspectViewIfBuilt()->btnFind());
        find = shownPopupMenu();
        ASSERT_NE(find, nullptr);
        chooseInMenu(find, menuItemTagged(find, tag));
        advance(0.5);
        EXPECT_TRUE(space()->selections().selectedIconItems().empty()) << tag;
    }
}

} // namespace
} // namespace e2e
