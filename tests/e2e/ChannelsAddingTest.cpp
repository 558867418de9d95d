// New Channels and Spaces in the running program: the Channels menu's New Channel… chooses a
// picture in the Pictures folder and the panel, answered with the keyboard, stores the Channel,
// its name, its first Space's three background links and its listing from the Now desk's date,
// with the picture copied into the Channel's drop folder, and the window shows it. The Object
// menu's Add Channel… of the focused list makes a Channel of a bare number without its picture.
// An image's own menu starts a new Space of the current Channel at the transition's date. A file
// that is no picture is refused with a message, from either menu, and adds nothing; so is a new
// Channel whose folders in the store cannot be made, or that the link base cannot store. Create
// with a blank Space name is told and waits for one.

#include "tests/e2e/E2EFixture.h"
#include "tests/e2e/FullLinkBase.h"
#include "tests/support/ModalDialogs.h"
#include "tests/support/RefusedFolder.h"

#include "app/menu/KELMainMenu.h"
#include "front/ZEVFrontBars.h"
#include "front/ZEVFrontViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/channels/ZEVChannelAddPanel.h"
#include "inspectors/channels/ZEVChannelPanelControls.h"
#include "inspectors/channels/ZEVChannelTableView.h"
#include "inspectors/channels/ZEVChannelViewer.h"
#include "inspectors/context/ZEVContextViewer.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemMenu.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "space/ZEVConstants.h"
#include "widgets/ZEVButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QPushButton>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>

#include <cmath>

namespace e2e {
namespace {

using tallomer::test::whenModalRuns;


class ChannelsAdding : public E2E {
protected:
    ZEVChannelViewer* channels() const { return dynamic_cast<ZEVChannelViewer*>(space()->channelViewer()); }
    QString pictures() const { return home + "/Pictures"; }
    QString png(const QString& folder, const QString& name, QSize size, const QColor& c) const
    {
        QDir().mkpath(folder);
        QImage image(size, QImage::Format_RGB32);
        image.fill(c);
        const QString path = folder + "/" + name;
        EXPECT_TRUE(image.save(path));
        return path;
    }
    // Channels ▸ New Channel… with the picture of that name chosen in Pictures and the name the
    // panel offers kept; whether the panel showed.
    bool newChannelFromPicture(const QString& name)
    {
        bool panel = false;
        whenModalRuns<QFileDialog>(window(), [&](QFileDialog* dialog) {
            whenModalRuns<ZEVChannelAddPanel>(window(), [&](ZEVChannelAddPanel* p) {
                panel = true;
                QTest::keyClick(p->nameField(), Qt::Key_Return);
            });
            chooseInPanel(dialog, name);
        });
        chooseMenuItemTitled(KELMainMenu::kMenuChannels, QString::fromUtf8("New Channel\u2026"));
        advance(2.0);
        return panel;
    }
    // The chooser answered as a user does: the file's name typed, then Return.
    void chooseInPanel(QFileDialog* d, const QString& name) { ASSERT_TRUE(tallomer::test::typeIntoFileDialog(d, name)); }
    // The newest Channel of the store and its name.
    std::pair<KELId, std::string> newestChannel() const
    {
        const Rows r = sql(database(), "SELECT c.ZEVLET_ID, w.WORD FROM ZEVLETS c "
                                       "JOIN ZEVLETS n ON n.PARENT_ZEVLET = c.ZEVLET_ID AND n.RELATION = 1000177 "
                                       "JOIN WORD w ON w.ZEVLET_ID = n.CHILD_ZEVLET "
                                       "WHERE c.RELATION = 1000042 ORDER BY c.ZEVLET_ID DESC LIMIT 1");
        if (r.empty())
            return {0, {}};
        return {KELId(std::stoull(r.at(0, 0))), r.at(0, 1)};
    }
    // A relation's links from a parent: (child, in, out).
    Rows from(KELId parent, KELId relation) const
    {
        return sql(database(), "SELECT CHILD_ZEVLET, DATE_IN, DATE_OUT FROM ZEVLETS WHERE DATE_IN < 4503599627370497.0 "
                               "AND RELATION = " + std::to_string(relation) + " AND PARENT_ZEVLET = " +
                                   std::to_string(parent) + " ORDER BY DATE_IN");
    }
    QPoint at(const QPointF& p) const { return QPoint(int(p.x()), int(canvas()->height() - p.y())); }
    QColor deskCentre() const
    {
        const QImage shot = canvas()->grab().toImage();
        return shot.pixelColor(shot.width() / 2, shot.height() / 2);
    }
    static bool near(const QColor& a, const QColor& b)
    {
        return std::abs(a.red() - b.red()) < 16 && std::abs(a.green() - b.green()) < 16 && std::abs(a.blue() - b.blue()) < 16;
    }
};

TEST_F(ChannelsAdding, NewChannelWithAPngStoresTheChannelItsFirstSpaceAndItsListingAndShowsIt)
{
    start();
    const QColor orange(240, 130, 20);
    png(pictures(), QStringLiteral("Orange grove.png"), {1600, 900}, orange);
    ASSERT_EQ(space()->allIdentities().size(), 1u) << "the template's one Channel";
    double d = 0;
    bool chooser = false, panel = false;
    whenModalRuns<QFileDialog>(window(), [&](QFileDialog* dialog) {
        chooser = true;
        EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("New Channel\u2026"));
        EXPECT_EQ(dialog->labelText(QFileDialog::Accept), QString::fromUtf8("New Channel\u2026"));
        EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(pictures()).canonicalPath());
        auto* message = dialog->findChild<QLabel*>(QStringLiteral("panelMessage"));
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->text(), QStringLiteral("Select a background for the NEW CHANNEL"));
        whenModalRuns<ZEVChannelAddPanel>(window(), [&](ZEVChannelAddPanel* p) {
            panel = true;
            EXPECT_EQ(p->nameField()->text(), QStringLiteral("Channel 2"));
            EXPECT_EQ(p->spaceField()->text(), QStringLiteral("Orange grove"));
            EXPECT_EQ(channels()->inspectViewIfBuilt()->btnAdd()->state(), kZEVStateOn);
            d = nowDesk()->curseur()->now();
            // The colour dialog opened from its button; Return there still creates.
            QPushButton* colour = p->controls()->colorButton();
            QTest::mouseClick(colour, Qt::LeftButton);
            ASSERT_NE(ZEVChannelPanelControls::sharedColorDialog(), nullptr);
            EXPECT_TRUE(ZEVChannelPanelControls::sharedColorDialog()->isVisible());
            QTest::keyClick(colour, Qt::Key_Return);
        });
        chooseInPanel(dialog, QStringLiteral("Orange grove.png"));
    });
    chooseMenuItemTitled(KELMainMenu::kMenuChannels, QString::fromUtf8("New Channel\u2026"));
    advance(1.0);
    ASSERT_TRUE(chooser);
    ASSERT_TRUE(panel);
    advance(1.0);

    const auto [channel, name] = newestChannel();
    ASSERT_GT(channel, 100000000u);
    EXPECT_EQ(name, "Channel 2");
    const Rows picture = from(channel, 1000172);
    ASSERT_EQ(picture.size(), 1u);
    for (KELId rel : {1000172, 1000227, 1000232}) {
        const Rows r = from(channel, rel);
        ASSERT_EQ(r.size(), 1u) << rel;
        EXPECT_DOUBLE_EQ(std::stod(r.at(0, 1)), d) << rel << " from the Now desk's date";
        EXPECT_GE(std::stod(r.at(0, 2)), 4503599627370496.0) << rel << " to the open end";
    }
    EXPECT_EQ(from(channel, 1000232).at(0, 0), "2000085") << "fill";
    const Rows listing = sql(database(), "SELECT DATE_IN FROM ZEVLETS WHERE RELATION = 1000067 AND PARENT_ZEVLET = "
                                         "2000001 AND CHILD_ZEVLET = " + std::to_string(channel));
    ASSERT_EQ(listing.size(), 1u);
    EXPECT_DOUBLE_EQ(std::stod(listing.at(0, 0)), d);
    const QString copy = storeFolder() + "/local/zevDrop/" + QString::number(channel) + "/" + q(picture.at(0, 0)) +
                         "/Orange grove.png";
    EXPECT_TRUE(QFile::exists(copy)) << copy.toStdString();

    EXPECT_EQ(space()->currentChannelInt(), channel);
    EXPECT_EQ(channels()->inspectViewIfBuilt()->btnAdd()->state(), kZEVStateOff);
    EXPECT_FALSE(ZEVChannelPanelControls::sharedColorDialog() && ZEVChannelPanelControls::sharedColorDialog()->isVisible())
        << "the colour dialog closed with the panel";
    advance(1.0);
    EXPECT_TRUE(near(deskCentre(), orange)) << deskCentre().name().toStdString();
}

// The toolbar counts the Objects of the desk shown: a new, empty Channel has none, and the first
// Channel has its own again when the window goes back to it.
TEST_F(ChannelsAdding, TheToolbarCountsTheObjectsOfTheChannelShown)
{
    start();
    addHomeFiles({"one.txt", "two.txt", "three.txt"});
    ASSERT_EQ(nowDesk()->itemViewSet().size(), 3u);
    chooseMenuItem(KELMainMenu::kMenuView, 51);
    advance(1);
    auto* front = dynamic_cast<ZEVFrontViewer*>(space()->frontViewer());
    ASSERT_NE(front, nullptr);
    ZEVFrontToolbar* toolbar = front->toolbar();
    ASSERT_NE(toolbar, nullptr);
    ASSERT_TRUE(toolbar->countText().endsWith(QStringLiteral(" / 3 Objects"))) << toolbar->countText().toStdString();
    const KELId first = space()->currentChannelInt();

    png(pictures(), QStringLiteral("plain.png"), {800, 500}, Qt::darkGreen);
    ASSERT_TRUE(newChannelFromPicture(QStringLiteral("plain.png")));
    ASSERT_NE(space()->currentChannelInt(), first);
    EXPECT_TRUE(toolbar->countText().endsWith(QStringLiteral(" / 0 Object"))) << toolbar->countText().toStdString();

    space()->updateChannelWithIdentityInt(first);
    advance(2.0);
    EXPECT_TRUE(toolbar->countText().endsWith(QStringLiteral(" / 3 Objects"))) << toolbar->countText().toStdString();
}

// The Channels menu shows each Channel by its wallpaper, from the first time it opens after a start.
TEST_F(ChannelsAdding, TheChannelsMenuShowsAChannelsWallpaperTheFirstTimeItOpens)
{
    start();
    const KELId first = space()->currentChannelInt();
    const QColor green(20, 200, 40);
    png(pictures(), QStringLiteral("green.png"), {800, 500}, green);
    ASSERT_TRUE(newChannelFromPicture(QStringLiteral("green.png")));
    const KELId made = space()->currentChannelInt();
    ASSERT_NE(made, first);
    space()->updateChannelWithIdentityInt(first);
    advance(1.0);
    quit();

    start();
    QMenu* menu = openMenu(KELMainMenu::kMenuChannels);
    ASSERT_NE(menu, nullptr);
    QAction* item = nullptr;
    for (QAction* a : menu->actions())
        if (a->data().toLongLong() == qlonglong(made))
            item = a;
    ASSERT_NE(item, nullptr);
    const QImage thumbnail = item->icon().pixmap(QSize(64, 40)).toImage();
    ASSERT_FALSE(thumbnail.isNull());
    const QColor centre = thumbnail.pixelColor(thumbnail.width() / 2, thumbnail.height() / 2);
    EXPECT_TRUE(near(centre, green)) << centre.name().toStdString();
    menu->close();
}

TEST_F(ChannelsAdding, AddChannelOfTheFocusedListWithoutItsPictureIsABareNumberOnThePicturelessWallpaper)
{
    start();
    png(pictures(), QStringLiteral("sky.png"), {800, 600}, Qt::blue);
    auto* bar = dynamic_cast<ZEVContextViewer*>(space()->contextViewer());
    ASSERT_NE(bar, nullptr);
    click(bar->buttonForEntityInt(KELENTITY_CHANNEL_VIEWER));
    advance(1.0);
    ZEVChannelTableView* table = channels()->channelTableView();
    ASSERT_NE(table, nullptr);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, QPoint(40, table->rowViewportPosition(0) + 15));
    pump();
    ASSERT_TRUE(channels()->siFirstResponder());

    bool panel = false;
    whenModalRuns<QFileDialog>(window(), [&](QFileDialog* dialog) {
        whenModalRuns<ZEVChannelAddPanel>(window(), [&](ZEVChannelAddPanel* p) {
            panel = true;
            QLineEdit* field = p->nameField();
            field->setFocus();
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(field, Qt::Key_Delete);
            EXPECT_TRUE(field->text().isEmpty());
            // Fit draws the picture again (show-image on); then no picture at all.
            QTest::mouseClick(p->controls()->fitButton(), Qt::LeftButton, {}, QPoint(6, 6));
            QCheckBox* show = p->controls()->showImageBox();
            QTest::mouseClick(show, Qt::LeftButton, {}, QPoint(6, show->height() / 2));
            EXPECT_FALSE(show->isChecked());
            EXPECT_TRUE(p->controls()->previewImage().isNull());
            QTest::keyClick(field, Qt::Key_Return);
        });
        chooseInPanel(dialog, QStringLiteral("sky.png"));
    });
    QMenu* object = openMenu(4);
    ASSERT_NE(object, nullptr);
    QAction* add = adapter()->mainMenu()->item(4, 31);
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->text(), QString::fromUtf8("Add Channel\u2026"));
    chooseInMenu(object, add);
    advance(1.0);
    ASSERT_TRUE(panel);

    const auto [channel, name] = newestChannel();
    EXPECT_EQ(name, "2") << "the bare number";
    const Rows scale = from(channel, 1000232);
    ASSERT_EQ(scale.size(), 1u);
    EXPECT_EQ(scale.at(0, 0), "2000085") << "fill, whatever the buttons said";
    const Rows picture = from(channel, 1000172);
    ASSERT_EQ(picture.size(), 1u);
    const Rows icon = sql(database(), "SELECT w.WORD FROM ZEVLETS l JOIN WORD w ON w.ZEVLET_ID = l.CHILD_ZEVLET "
                                      "WHERE l.RELATION = 1000212 AND l.PARENT_ZEVLET = " + picture.at(0, 0));
    ASSERT_EQ(icon.size(), 1u);
    EXPECT_EQ(icon.at(0, 0), "pdf") << "the picture-less wallpaper, not sky.png";
}

TEST_F(ChannelsAdding, NewSpaceFromAnImagesMenuStartsABackgroundLinkAtTheTransitionDate)
{
    start();
    const QString path = png(home, QStringLiteral("Meadow.png"), {1600, 900}, QColor(40, 180, 60));
    addFiles({path}, 1.5);
    ZEVItemView* v = viewTitled(QStringLiteral("Meadow.png"));
    ASSERT_NE(v, nullptr);
    const KELId dropped = v->item()->idInt();
    const Rows before = from(kHome, 1000172);

    bool panel = false;
    double transition = 0;
    whenModalRuns<ZEVChannelAddPanel>(window(), [&](ZEVChannelAddPanel* p) {
        panel = true;
        EXPECT_EQ(p->kind(), ZEVChannelAddPanel::Kind::Space);
        EXPECT_EQ(p->nameField()->text(), QStringLiteral("Meadow"));
        EXPECT_TRUE(p->controls()->fillButton()->isChecked());
        transition = space()->nowCurseur()->now();
        QTest::keyClick(p->nameField(), Qt::Key_Return);
    });
    QTest::mouseClick(canvas(), Qt::RightButton, {}, at(v->imageFrame().center()));
    auto* popup = shownPopupMenu();
    ASSERT_NE(popup, nullptr);
    ZEVItemMenu* menu = space()->itemViewerForCurseur(space()->nowCurseur())->itemMenu();
    // New Space… lies in the Handle Objects submenu, opened by resting on it.
    QAction* handle = menu->action(ZEVItemMenuSlot::HandleObjects);
    ASSERT_TRUE(handle && handle->menu());
    QTest::mouseMove(popup, popup->actionGeometry(handle).center());
    popup->setActiveAction(handle);
    pump();
    QMenu* sub = handle->menu();
    ASSERT_TRUE(sub->isVisible());
    QAction* newSpace = menu->action(ZEVItemMenuSlot::NewSpace);
    ASSERT_TRUE(newSpace->isVisible() && newSpace->isEnabled());
    chooseInMenu(sub, newSpace);
    advance(5.0);
    ASSERT_TRUE(panel);

    const Rows after = from(kHome, 1000172);
    ASSERT_EQ(after.size(), before.size() + 1) << "one new background";
    const Rows& last = after;
    const std::string made = last.at(last.size() - 1, 0);
    EXPECT_NE(made, std::to_string(dropped)) << "the Space has its own picture Object";
    EXPECT_NEAR(std::stod(last.at(last.size() - 1, 1)), transition, 5.0);
    const QString copy = storeFolder() + "/local/zevDrop/" + QString::number(kHome) + "/" + q(made) + "/Meadow.png";
    EXPECT_TRUE(QFile::exists(copy)) << copy.toStdString();
    EXPECT_TRUE(QFile::exists(path)) << "the dropped file stays";
}

TEST_F(ChannelsAdding, TheSpacesMenusNewSpaceChoosesAPictureAndANewChannelWhoseSpaceFailsIsTakenBack)
{
    start();
    png(pictures(), QStringLiteral("Dunes.png"), {2100, 900}, QColor(200, 170, 90));
    const std::size_t backgrounds = from(kHome, 1000172).size();
    bool panel = false;
    whenModalRuns<QFileDialog>(window(), [&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->labelText(QFileDialog::Accept), QString::fromUtf8("New Space\u2026"));
        auto* message = dialog->findChild<QLabel*>(QStringLiteral("panelMessage"));
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->text(), QStringLiteral("Select a background for the NEW SPACE"));
        whenModalRuns<ZEVChannelAddPanel>(window(), [&](ZEVChannelAddPanel* p) {
            panel = true;
            EXPECT_EQ(p->kind(), ZEVChannelAddPanel::Kind::Space);
            EXPECT_EQ(p->nameField()->text(), QStringLiteral("Dunes"));
            QTest::keyClick(p->nameField(), Qt::Key_Return);
        });
        chooseInPanel(dialog, QStringLiteral("Dunes.png"));
    });
    chooseMenuItemTitled(KELMainMenu::kMenuSpaces, QString::fromUtf8("New Space\u2026"));
    advance(5.0);
    ASSERT_TRUE(panel);
    EXPECT_EQ(from(kHome, 1000172).size(), backgrounds + 1);
    EXPECT_EQ(space()->currentChannelInt(), kHome);

    // Once a new Channel is stored, the store refuses every new id: its picture Object cannot be
    // made, and the Channel is taken back.
    const auto [former, formerName] = newestChannel();
    ASSERT_EQ(execOnStore(database(), "CREATE TRIGGER refuse BEFORE INSERT ON ZEVLETS WHEN NEW.RELATION = 0 AND EXISTS "
                                      "(SELECT 1 FROM ZEVLETS WHERE RELATION = 1000042 AND ZEVLET_ID > 100000000 AND "
                                      "DATE_IN < 4503599627370497.0) BEGIN SELECT RAISE(ABORT, 'refused'); END;"),
              SQLITE_OK);
    panel = false;
    whenModalRuns<ZEVChannelAddPanel>(window(), [&](ZEVChannelAddPanel* p) {
        panel = true;
        QTest::keyClick(p->nameField(), Qt::Key_Return);
    });
    EXPECT_FALSE(channels()->userChannelAddWihImageURL(pictures() + "/Dunes.png", std::nullopt, QString(), nullptr,
                                                       long(KELOBJECT_SCALE_OUT)));
    ASSERT_TRUE(panel);
    advance(1.0);
    EXPECT_EQ(newestChannel().first, former) << "no new Channel left in the store";
    EXPECT_EQ(space()->currentChannelInt(), kHome);
    EXPECT_EQ(space()->allIdentities().size(), 1u);
    EXPECT_TRUE(log.contains("the first Space of Channel"));
}

// A new Space whose background the disk has no room for: the Space before it keeps its background
// from then on, instead of ending with none after it; the user is told.
// Create with a blank Space name is told and waits with the panel's choices; a Channel name of
// blanks only is the bare number, as an empty one.
TEST_F(ChannelsAdding, CreateWithABlankSpaceNameIsToldAndThePanelWaitsForOne)
{
    start();
    png(pictures(), QStringLiteral("Dunes.png"), {2100, 900}, QColor(200, 170, 90));
    const std::size_t backgrounds = from(kHome, 1000172).size();
    bool told = false, panel = false;
    const auto blankThenNamed = [&](ZEVChannelAddPanel* p, QLineEdit* space, const QString& name) {
        panel = true;
        space->selectAll();
        QTest::keyClick(space, Qt::Key_Backspace);
        QTest::keyClicks(space, QStringLiteral("  "));
        alerts.clear();
        QTest::keyClick(space, Qt::Key_Return);
        told = alerts.size() == 1 && alerts[0].message == QStringLiteral("The Space needs a name.") &&
               QApplication::activeModalWidget() == p;
        EXPECT_TRUE(p->controls()->fillButton()->isChecked()) << "the panel keeps its choices";
        space->selectAll();
        QTest::keyClicks(space, name);
        QTest::keyClick(space, Qt::Key_Return);
    };

    whenModalRuns<QFileDialog>(window(), [&](QFileDialog* dialog) {
        whenModalRuns<ZEVChannelAddPanel>(window(), [&](ZEVChannelAddPanel* p) {
            blankThenNamed(p, p->nameField(), QStringLiteral("Dusk"));
        });
        chooseInPanel(dialog, QStringLiteral("Dunes.png"));
    });
    chooseMenuItemTitled(KELMainMenu::kMenuSpaces, QString::fromUtf8("New Space\u2026"));
    advance(5.0);
    ASSERT_TRUE(panel);
    EXPECT_TRUE(told);
    EXPECT_EQ(from(kHome, 1000172).size(), backgrounds + 1) << "one Space, made once named";
    EXPECT_EQ(nowDesk()->currentBackImageItemName(), "Dusk");

    panel = told = false;
    whenModalRuns<ZEVChannelAddPanel>(window(), [&](ZEVChannelAddPanel* p) {
        p->nameField()->setFocus(Qt::OtherFocusReason);
        p->nameField()->selectAll();
        QTest::keyClicks(p->nameField(), QStringLiteral("   "));
        blankThenNamed(p, p->spaceField(), QStringLiteral("Grove"));
    });
    EXPECT_TRUE(channels()->userChannelAddWihImageURL(pictures() + "/Dunes.png", std::nullopt, QString(), nullptr,
                                                      long(KELOBJECT_SCALE_OUT)));
    advance(2.0);
    ASSERT_TRUE(panel);
    EXPECT_TRUE(told);
    EXPECT_EQ(newestChannel().second, "2");
    EXPECT_EQ(nowDesk()->currentBackImageItemName(), "Grove");
}

TEST_F(ChannelsAdding, ANewSpaceWhoseBackgroundFindsNoRoomLeavesTheBackgroundBeforeIt)
{
    start();
    png(pictures(), QStringLiteral("Dunes.png"), {2100, 900}, QColor(200, 170, 90));
    advance(30.0);
    alerts.clear();
    const Rows before = from(kHome, 1000172);
    ASSERT_FALSE(before.empty());
    ASSERT_GE(std::stod(before.at(before.size() - 1, 2)), KELDateOuverte);
    bool panel = false;
    {
        // No room for a background beginning now; the one before may still be ended.
        FullLinkBase full("NEW.RELATION = 1000172 AND NEW.DATE_IN > " + std::to_string(clock.now() - 1));
        whenModalRuns<QFileDialog>(window(), [&](QFileDialog* dialog) {
            whenModalRuns<ZEVChannelAddPanel>(window(), [&](ZEVChannelAddPanel* p) {
                panel = true;
                QTest::keyClick(p->nameField(), Qt::Key_Return);
            });
            chooseInPanel(dialog, QStringLiteral("Dunes.png"));
        });
        chooseMenuItemTitled(KELMainMenu::kMenuSpaces, QString::fromUtf8("New Space\u2026"));
        advance(5.0);
    }
    ASSERT_TRUE(panel);
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    const Rows after = from(kHome, 1000172);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.at(after.size() - 1, 0), before.at(before.size() - 1, 0));
    EXPECT_GE(std::stod(after.at(after.size() - 1, 2)), KELDateOuverte)
        << "the Space before was ended with no background after it";
}

// A new Channel keeps its Objects' files and records in folders of its own in the store; when
// they cannot be made the Channel is not made either, and the user is told.
TEST_F(ChannelsAdding, ANewChannelWhoseFoldersCannotBeMadeIsToldAndAddsNothing)
{
    start();
    png(pictures(), QStringLiteral("Lagoon.png"), {800, 600}, Qt::cyan);
    const auto [former, formerName] = newestChannel();
    const auto newChannel = [&] { EXPECT_TRUE(newChannelFromPicture(QStringLiteral("Lagoon.png"))); };
    alerts.clear();
    {
        tallomer::test::RefusedFolder refused(storeFolder() + "/local/zevDrop");
        ASSERT_TRUE(refused.ok());
        newChannel();
        ASSERT_EQ(alerts.size(), 1u) << "the Channel was dropped without a word";
        EXPECT_EQ(alerts[0].message, QStringLiteral("The Channel could not be made."));
    }
    EXPECT_EQ(newestChannel().first, former) << "no new Channel left in the store";
    EXPECT_EQ(space()->currentChannelInt(), kHome);
    EXPECT_EQ(space()->allIdentities().size(), 1u);

    // With room for its folders the same Channel is made.
    newChannel();
    EXPECT_NE(newestChannel().first, former);
    EXPECT_EQ(space()->allIdentities().size(), 2u);
    EXPECT_EQ(alerts.size(), 1u);
}

// A Channel the link base cannot store (a trigger refuses it here, as a full disk would) is no
// Channel: nothing is stored for it, no folders are made for it and the drop folder stays bound.
TEST_F(ChannelsAdding, ANewChannelTheLinkBaseCannotStoreIsToldAndLeavesNothingBehind)
{
    start();
    png(pictures(), QStringLiteral("Lagoon.png"), {800, 600}, Qt::cyan);
    const std::string rows = sql(database(), "SELECT COUNT(*) FROM ZEVLETS").at(0, 0);
    const QStringList folders = QDir(storeFolder() + "/local/zevData").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(execOnStore(database(), "CREATE TRIGGER refuse BEFORE INSERT ON ZEVLETS WHEN NEW.RELATION = 1000042 "
                                      "BEGIN SELECT RAISE(ABORT, 'refused'); END;"),
              SQLITE_OK);
    alerts.clear();
    ASSERT_TRUE(newChannelFromPicture(QStringLiteral("Lagoon.png")));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_EQ(sql(database(), "SELECT COUNT(*) FROM ZEVLETS").at(0, 0), rows) << "links stored for no Channel";
    EXPECT_EQ(QDir(storeFolder() + "/local/zevData").entryList(QDir::Dirs | QDir::NoDotAndDotDot), folders);
    EXPECT_EQ(space()->currentChannelInt(), kHome);
    EXPECT_EQ(space()->zevFolderChannelInt(), kHome);
    EXPECT_EQ(space()->allIdentities().size(), 1u);
}

TEST_F(ChannelsAdding, AFileThatIsNoPictureIsRefusedWithAMessageAndAddsNothing)
{
    start();
    QDir().mkpath(pictures());
    {
        QFile fake(pictures() + "/Not a picture.png");
        ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
        fake.write("plain words, no pixels\n");
    }
    const std::size_t backgrounds = from(kHome, 1000172).size();
    const KELId newest = newestChannel().first;
    bool panel = false;
    whenModalRuns<ZEVChannelAddPanel>(window(), [&](ZEVChannelAddPanel* p) {
        panel = true;
        p->reject();
    });
    struct Path {
        int menu;
        QString item;
    };
    for (const Path& path : {Path{KELMainMenu::kMenuSpaces, QString::fromUtf8("New Space\u2026")},
                             Path{KELMainMenu::kMenuChannels, QString::fromUtf8("New Channel\u2026")}}) {
        alerts.clear();
        whenModalRuns<QFileDialog>(window(), [&](QFileDialog* dialog) { chooseInPanel(dialog, "Not a picture.png"); });
        chooseMenuItemTitled(path.menu, path.item);
        advance(1.0);
        ASSERT_EQ(alerts.size(), 1u) << path.item.toStdString() << ": the user is told";
        EXPECT_EQ(alerts[0].message, QStringLiteral("\"Not a picture.png\" cannot be used as a background."));
        EXPECT_EQ(alerts[0].informative, QStringLiteral("It is not a picture Tallomer can read. Choose another picture."));
        ASSERT_NE(channels()->inspectViewIfBuilt(), nullptr);
        EXPECT_EQ(channels()->inspectViewIfBuilt()->btnAdd()->state(), kZEVStateOff) << path.item.toStdString();
    }
    EXPECT_FALSE(panel) << "no panel for a file that is no picture";
    EXPECT_EQ(from(kHome, 1000172).size(), backgrounds) << "no new Space";
    EXPECT_EQ(newestChannel().first, newest) << "no new Channel";
    EXPECT_EQ(space()->allIdentities().size(), 1u);
}

} // namespace
} // namespace e2e
