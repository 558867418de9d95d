// The modify panel in the running program: opened from the main menu, refilled when Search is
// made active on a closed Space, a colour typed into the colour dialog, fill chosen and a new title written;
// OK stores one colour and one scale over the Space and the old ones around it. Set-as-home acts
// at once and stays after Cancel; a Channel renamed from the Channels menu keeps its name. A
// picture that is no image, an empty Channel name, a cleared Space name and a home that cannot be
// saved are each told, and the panel keeps what was typed; so are a home and a drop folder set
// from the Channels menu that cannot be saved.
// The panel's Now/Search buttons follow the active cursor when the wheel over the panel moves it.
// A Space rename the disk cannot finish keeps the old name.

#include "tests/e2e/E2EFixture.h"
#include "tests/e2e/FullLinkBase.h"
#include "tests/support/ModalDialogs.h"

#include "app/menu/KELMainMenu.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/store/KELChercheurDe.h"
#include "engine/store/Sqlite.h"
#include "inspectors/channels/ZEVChannelClass.h"
#include "inspectors/channels/ZEVChannelColorView.h"
#include "inspectors/channels/ZEVChannelModifyPanel.h"
#include "inspectors/channels/ZEVChannelPanelControls.h"
#include "inspectors/channels/ZEVChannelViewer.h"
#include "platform/files/RecordFile.h"
#include "space/ZEVConstants.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QColorDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QWheelEvent>

namespace e2e {
namespace {

constexpr double kOublie = 4503599627370497.0;

class ChannelsModify : public E2E {
protected:
    ZEVChannelViewer* channels() const { return dynamic_cast<ZEVChannelViewer*>(space()->channelViewer()); }
    ZEVChannelModifyPanel* panel() const { return channels() ? channels()->modifyPanel() : nullptr; }
    // The Search cursor moved to the date, as the ruler does it; the Now cursor stays active.
    void searchAt(KELDate date)
    {
        ZEVRulerViewerServices* r = space()->rulerViewer();
        r->setCurseurEnDeplacement(space()->searchCurseur());
        ASSERT_TRUE(r->userInitieDeplacementCurseur());
        r->userPlaceCurseurToDate(date);
        r->userTermineDeplacementCurseur();
        r->setCurseurEnDeplacement(space()->nowCurseur());
        advance(1.0);
        ASSERT_EQ(space()->actifCurseur(), space()->nowCurseur());
    }
    // Whether the Channels menu, opened as a person opens it, offers the item of that title.
    bool offered(const QString& title)
    {
        QMenu* m = openMenu(KELMainMenu::kMenuChannels);
        bool enabled = false;
        for (QAction* a : m ? m->actions() : QList<QAction*>())
            if (a->text().remove('&') == title)
                enabled = a->isEnabled();
        if (m)
            m->close();
        pump();
        return enabled;
    }
    // The Channel's live links of a relation, in in-date order.
    Rows liveLinks(KELId channel, KELId rel) const
    {
        return sql(database(), "SELECT DATE_IN, DATE_OUT, CHILD_ZEVLET FROM ZEVLETS WHERE RELATION = " +
                                   std::to_string(rel) + " AND PARENT_ZEVLET = " + std::to_string(channel) +
                                   " AND DATE_IN < 4503599627370497 ORDER BY DATE_IN");
    }
    static double d(const Rows& r, std::size_t row, std::size_t col) { return std::stod(r.at(row, col)); }
    void typeInto(QWidget* w, const QString& text)
    {
        ASSERT_NE(w, nullptr);
        w->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w, text);
        pump();
    }
    // The panel's colour button pressed, and `html` typed into its dialog's text field and entered.
    void chooseColourTyped(ZEVChannelModifyPanel* p, const QString& html)
    {
        click(p->controls()->colorButton());
        QColorDialog* dialog = ZEVChannelPanelControls::sharedColorDialog();
        ASSERT_TRUE(dialog && dialog->isVisible());
        QLineEdit* field = nullptr;
        for (QLineEdit* e : dialog->findChildren<QLineEdit*>())
            if (e->text().startsWith(QLatin1Char('#')))
                field = e;
        ASSERT_NE(field, nullptr);
        typeInto(field, html);
        QTest::keyClick(field, Qt::Key_Return);
        pump();
    }
};

TEST_F(ChannelsModify, AColourAndAScaleChosenOnAClosedSpaceCoverItAloneAndTheTitleIsStored)
{
    startWithTheBar();
    KELIContexte* tl = space()->tlContexte();
    tl->placeToi();
    const KELDate in = tl->nowIn();
    const double len = tl->nowOut() - tl->nowIn();
    ASSERT_GT(len, 60);
    KELI* home = space()->channelForIdentityInt(space()->currentChannelInt());
    ASSERT_NE(home, nullptr);
    const KELId ch = home->idInt();
    const auto colours = seedTwoSpaces(home, {"Past", "Present"}, {QColor(60, 90, 120), QColor(100, 90, 120)}, in, len);
    advance(1.0);
    const KELDate b0 = in + 0.05 * len, b1 = in + 0.5 * len;
    searchAt(in + 0.25 * len);

    chooseMenuItemTitled(KELMainMenu::kMenuSpaces, QStringLiteral("Rename Space\u2026"));
    advance(1.0);
    ZEVChannelModifyPanel* p = panel();
    ASSERT_TRUE(p && p->isVisible()) << "the panel opens from the Spaces menu";
    EXPECT_NE(p->spaceField()->text(), QStringLiteral("Past")) << "the Now cursor's Space";
    EXPECT_TRUE(p->controls()->nowButton()->isChecked());
    // Search made active from the panel: it is filled with the Search cursor's Space.
    click(p->controls()->searchButton());
    advance(1.0);
    ASSERT_EQ(space()->actifCurseur(), space()->searchCurseur());
    EXPECT_EQ(p->spaceField()->text(), QStringLiteral("Past"));
    EXPECT_TRUE(p->spaceField()->isEnabled());
    EXPECT_EQ(p->controls()->color().rgb() & 0xffffff, QColor(60, 90, 120).rgb() & 0xffffff);
    EXPECT_TRUE(p->controls()->searchButton()->isChecked());
    p->spaceField()->selectAll();

    // A new title, fill, and a colour typed into the colour dialog.
    QTest::keyClicks(p->spaceField(), QStringLiteral("Harbour"));
    click(p->controls()->fillButton());
    ASSERT_NO_FATAL_FAILURE(chooseColourTyped(p, QStringLiteral("#10a040")));
    EXPECT_EQ(p->controls()->color().rgb() & 0xffffff, QColor(0x10, 0xa0, 0x40).rgb() & 0xffffff);
    click(p->okButton());
    advance(1.0);
    EXPECT_FALSE(p->isVisible());
    EXPECT_FALSE(ZEVChannelPanelControls::sharedColorDialog() && ZEVChannelPanelControls::sharedColorDialog()->isVisible());

    // Over the Space one colour alone, the new one; the Space's own old link and the start-up's
    // link that began inside the Space are gone from it, the next Space's colour stays.
    const Rows c = liveLinks(ch, KELRELATION_IDENTITY_BACK_COLOR);
    std::vector<std::size_t> dedans;
    for (std::size_t k = 0; k < c.size(); ++k)
        if (d(c, k, 0) < b1 - 1e-6 && d(c, k, 1) > b0 + 1e-6)
            dedans.push_back(k);
    ASSERT_EQ(dedans.size(), 1u) << "one colour at every moment of the Space";
    const std::size_t i = dedans.front();
    EXPECT_NEAR(d(c, i, 0), b0, 1e-6);
    EXPECT_NEAR(d(c, i, 1), b1, 1e-6);
    KELI* nouvelle = space()->createColorItemWithColor(QColor(0x10, 0xa0, 0x40), "No name");
    ASSERT_NE(nouvelle, nullptr);
    EXPECT_EQ(c.at(i, 2), std::to_string(nouvelle->idInt()));
    EXPECT_EQ(sql(database(), "SELECT COUNT(*) FROM ZEVLETS WHERE RELATION = 1000227 AND CHILD_ZEVLET = " +
                                  std::to_string(colours[1]) + " AND DATE_OUT > 4503599627370495")
                  .at(0, 0),
              "1")
        << "the next Space keeps its colour";
    EXPECT_EQ(sql(database(), "SELECT COUNT(*) FROM ZEVLETS WHERE RELATION = 1000227 AND PARENT_ZEVLET = " +
                                  std::to_string(ch) + " AND CHILD_ZEVLET = " + std::to_string(colours[0]) +
                                  " AND DATE_IN < " + std::to_string(kOublie))
                  .at(0, 0),
              "0")
        << "the Space's old colour is forgotten";

    const Rows s = liveLinks(ch, KELRELATION_IDENTITY_BACK_SCALE);
    bool fill = false;
    for (std::size_t k = 0; k < s.size(); ++k)
        if (std::abs(d(s, k, 0) - b0) < 1e-6) {
            fill = true;
            EXPECT_NEAR(d(s, k, 1), b1, 1e-6);
            EXPECT_EQ(s.at(k, 2), std::to_string(KELOBJECT_SCALE_OUT));
        }
    EXPECT_TRUE(fill) << "fill over the Space";
    ZEVDeskViewer* searchDesk = desk(space()->searchCurseur());
    ASSERT_NE(searchDesk, nullptr);
    EXPECT_EQ(searchDesk->currentBackImageItemName(), "Harbour");
}

TEST_F(ChannelsModify, SetAsHomeStaysAfterCancelAndTheChannelsMenuRenames)
{
    startWithTheBar();
    const KELId home = space()->homeChannelInt();
    KELI* work = showNewChannel("Work");
    ASSERT_NE(work, nullptr);
    ASSERT_EQ(space()->currentChannelInt(), work->idInt());

    chooseMenuItemTitled(KELMainMenu::kMenuChannels, QStringLiteral("Rename Channel\u2026"));
    advance(1.0);
    ZEVChannelModifyPanel* p = panel();
    ASSERT_TRUE(p && p->isVisible());
    EXPECT_EQ(p->channelField()->text(), QStringLiteral("Work"));
    EXPECT_FALSE(p->spaceField()->isEnabled()) << "the Channel is not listed here";
    EXPECT_FALSE(p->setAsHomeBox()->isChecked());
    click(p->setAsHomeBox(), QPoint(6, p->setAsHomeBox()->height() / 2));
    EXPECT_EQ(space()->homeChannelInt(), work->idInt());
    EXPECT_FALSE(p->setAsHomeBox()->isEnabled());
    QTest::keyClick(p->channelField(), Qt::Key_Escape);
    advance(1.0);
    EXPECT_FALSE(p->isVisible());
    EXPECT_EQ(space()->homeChannelInt(), work->idInt()) << "Cancel keeps the new home";
    EXPECT_NE(home, work->idInt());

    chooseMenuItemTitled(KELMainMenu::kMenuChannels, QStringLiteral("Rename Channel\u2026"));
    advance(1.0);
    ASSERT_TRUE(p->isVisible());
    EXPECT_TRUE(p->channelField()->hasSelectedText());
    QTest::keyClicks(p->channelField(), QStringLiteral("Studio"));
    QTest::keyClick(p->channelField(), Qt::Key_Return);
    advance(1.0);
    EXPECT_FALSE(p->isVisible());
    EXPECT_EQ(channels()->channelModel().nameOfCurrentChannel().value_or(""), "Studio");
    EXPECT_EQ(sql(database(), "SELECT COUNT(*) FROM ZEVLETS l JOIN WORD w ON w.ZEVLET_ID = l.CHILD_ZEVLET "
                              "WHERE l.RELATION = 1000177 AND l.PARENT_ZEVLET = " +
                                  std::to_string(work->idInt()) + " AND w.WORD = 'Studio'")
                  .at(0, 0),
              "1");
}

// A new name the link base refuses to store (here a trigger refuses it, as a full disk would) leaves
// the Channel its old name, in the store and on screen, rather than no name at all.
TEST_F(ChannelsModify, ARenameTheLinkBaseCannotStoreKeepsTheOldName)
{
    startWithTheBar();
    KELI* work = showNewChannel("Work");
    ASSERT_NE(work, nullptr);
    const auto names = [&] {
        return sql(database(), "SELECT w.WORD FROM ZEVLETS l JOIN WORD w ON w.ZEVLET_ID = l.CHILD_ZEVLET WHERE "
                               "l.RELATION = 1000177 AND l.DATE_IN < 4503599627370497.0 AND l.PARENT_ZEVLET = " +
                                   std::to_string(work->idInt()));
    };
    const auto rename = [&](const QString& name) {
        chooseMenuItemTitled(KELMainMenu::kMenuChannels, QStringLiteral("Rename Channel\u2026"));
        advance(1.0);
        ASSERT_TRUE(panel() && panel()->isVisible());
        QTest::keyClicks(panel()->channelField(), name);
        QTest::keyClick(panel()->channelField(), Qt::Key_Return);
        advance(1.0);
    };
    const auto exec = [&](const char* statement) { EXPECT_EQ(execOnStore(database(), statement), SQLITE_OK); };
    exec("CREATE TRIGGER refuse BEFORE INSERT ON ZEVLETS WHEN NEW.RELATION = 1000177 "
         "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    alerts.clear();
    rename(QStringLiteral("Studio"));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    const Rows kept = names();
    ASSERT_EQ(kept.size(), 1u) << "the Channel lost its name";
    EXPECT_EQ(kept.at(0, 0), "Work");
    EXPECT_EQ(channels()->channelModel().nameOfCurrentChannel().value_or(""), "Work");

    exec("DROP TRIGGER refuse;");
    rename(QStringLiteral("Studio"));
    const Rows renamed = names();
    ASSERT_EQ(renamed.size(), 1u);
    EXPECT_EQ(renamed.at(0, 0), "Studio");
    EXPECT_EQ(channels()->channelModel().nameOfCurrentChannel().value_or(""), "Studio");
}

TEST_F(ChannelsModify, APictureThatIsNoImageIsRefusedWithAMessageAndThePanelKeepsWhatWasTyped)
{
    start();
    const QString pictures = home + "/Pictures";
    QDir().mkpath(pictures);
    {
        QFile fake(pictures + "/Not a picture.png");
        ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
        fake.write("plain words, no pixels\n");
    }
    const std::string linksBefore = sql(database(), "SELECT COUNT(*) FROM ZEVLETS").at(0, 0);

    chooseMenuItemTitled(KELMainMenu::kMenuSpaces, QStringLiteral("Rename Space\u2026"));
    advance(1.0);
    ZEVChannelModifyPanel* p = panel();
    ASSERT_TRUE(p && p->isVisible());
    ASSERT_TRUE(p->spaceField()->isEnabled()) << "the home Channel is listed at Now";
    const QString picture = p->imagePath();
    QTest::keyClicks(p->spaceField(), QStringLiteral("Harbour"));
    typeInto(p->channelField(), QStringLiteral("Studio"));

    // The swatch's chooser given a file that is no picture: a message, and the panel as it was.
    alerts.clear();
    bool chooser = false;
    tallomer::test::whenModalRuns<QFileDialog>(window(), [&](QFileDialog* d) {
        chooser = true;
        EXPECT_TRUE(tallomer::test::typeIntoFileDialog(d, QStringLiteral("Not a picture.png")));
    });
    click(p->controls()->colorView());
    advance(1.0);
    ASSERT_TRUE(chooser);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("\"Not a picture.png\" cannot be used as a background."));
    EXPECT_EQ(alerts[0].informative, QStringLiteral("It is not a picture Tallomer can read. Choose another picture."));
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(p->imagePath(), picture);
    EXPECT_EQ(p->spaceField()->text(), QStringLiteral("Harbour"));
    EXPECT_EQ(p->channelField()->text(), QStringLiteral("Studio"));

    // Cancel writes nothing of it.
    click(p->cancelButton());
    advance(1.0);
    EXPECT_FALSE(p->isVisible());
    EXPECT_EQ(sql(database(), "SELECT COUNT(*) FROM ZEVLETS").at(0, 0), linksBefore);
    EXPECT_NE(channels()->channelModel().nameOfCurrentChannel().value_or(""), "Studio");
}

TEST_F(ChannelsModify, OKWithAnEmptyChannelNameSaysSoKeepsThePanelAndThenStoresWhatWasTyped)
{
    start();
    const std::string wordsBefore = sql(database(), "SELECT COUNT(*) FROM WORD").at(0, 0);
    chooseMenuItemTitled(KELMainMenu::kMenuSpaces, QStringLiteral("Rename Space\u2026"));
    advance(1.0);
    ZEVChannelModifyPanel* p = panel();
    ASSERT_TRUE(p && p->isVisible());
    ASSERT_TRUE(p->spaceField()->isEnabled());
    QTest::keyClicks(p->spaceField(), QStringLiteral("Harbour"));

    // The Channel's name cleared, then OK: a message, the panel stays with what was typed.
    alerts.clear();
    typeInto(p->channelField(), QString());
    QTest::keyClick(p->channelField(), Qt::Key_Backspace);
    ASSERT_TRUE(p->channelField()->text().isEmpty());
    click(p->okButton());
    advance(1.0);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("The Channel needs a name."));
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(p->spaceField()->text(), QStringLiteral("Harbour"));
    EXPECT_EQ(sql(database(), "SELECT COUNT(*) FROM WORD").at(0, 0), wordsBefore) << "nothing written";

    // A name given, OK stores exactly what was typed.
    QTest::keyClicks(p->channelField(), QStringLiteral("Studio"));
    click(p->okButton());
    advance(1.0);
    EXPECT_FALSE(p->isVisible());
    EXPECT_EQ(channels()->channelModel().nameOfCurrentChannel().value_or(""), "Studio");
    EXPECT_EQ(desk(space()->nowCurseur())->currentBackImageItemName(), "Harbour");
}

TEST_F(ChannelsModify, ASetAsHomeThatCannotBeSavedSaysSoAndTheHomeStays)
{
    start();
    const KELId home = space()->homeChannelInt();
    KELI* work = showNewChannel("Work");
    ASSERT_NE(work, nullptr);
    // The settings file cannot be replaced: a folder with something in it stands in its place.
    const QString settings = storeFolder() + "/default.file";
    QFile::remove(settings);
    ASSERT_TRUE(QDir().mkpath(settings + "/kept"));

    chooseMenuItemTitled(KELMainMenu::kMenuChannels, QStringLiteral("Rename Channel\u2026"));
    advance(1.0);
    ZEVChannelModifyPanel* p = panel();
    ASSERT_TRUE(p && p->isVisible());
    alerts.clear();
    click(p->setAsHomeBox(), QPoint(6, p->setAsHomeBox()->height() / 2));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("The home Channel could not be saved."));
    EXPECT_FALSE(p->setAsHomeBox()->isChecked());
    EXPECT_TRUE(p->setAsHomeBox()->isEnabled()) << "it can be tried again";
    EXPECT_EQ(space()->homeChannelInt(), home);
    click(p->cancelButton());
}

TEST_F(ChannelsModify, TheWheelOverThePanelMakingSearchActiveLightsSearchAndNowAgain)
{
    startWithTheBar();
    chooseMenuItemTitled(KELMainMenu::kMenuChannels, QStringLiteral("Rename Channel\u2026"));
    advance(1.0);
    ZEVChannelModifyPanel* p = panel();
    ASSERT_TRUE(p && p->isVisible());
    ASSERT_EQ(space()->actifCurseur(), space()->nowCurseur());
    ASSERT_TRUE(p->controls()->nowButton()->isChecked());

    // Sideways turns over the panel's empty area, delivered to the widget under the pointer.
    auto* box = p->findChild<QWidget*>(QStringLiteral("channelPanelScrollBox"));
    ASSERT_NE(box, nullptr);
    const QPoint at(2, 2);
    QWidget* under = box->childAt(at) ? box->childAt(at) : box;
    for (int turn = 0; turn < 3 && space()->actifCurseur() != space()->searchCurseur(); ++turn) {
        QWheelEvent e(at, under->mapToGlobal(at), QPoint(), QPoint(-1200, 0), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(under, &e);
        advance(0.1);
    }
    advance(1.0);
    ASSERT_EQ(space()->actifCurseur(), space()->searchCurseur()) << "the wheel did not make Search active";
    EXPECT_TRUE(p->controls()->searchButton()->isChecked());
    EXPECT_FALSE(p->controls()->nowButton()->isChecked());

    // Back to Now from the time line's side: the panel follows again.
    space()->rulerViewer()->userChangeActifCurseur(space()->nowCurseur());
    advance(1.0);
    ASSERT_EQ(space()->actifCurseur(), space()->nowCurseur());
    EXPECT_TRUE(p->controls()->nowButton()->isChecked());
    EXPECT_FALSE(p->controls()->searchButton()->isChecked());
    click(p->cancelButton());
    advance(1.0);
}

TEST_F(ChannelsModify, SetAsHomeFromTheChannelsMenuThatCannotBeSavedSaysSo)
{
    start();
    const KELId home = space()->homeChannelInt();
    KELI* work = space()->newIdentityNamed("Work");
    ASSERT_NE(work, nullptr);
    space()->updateChannelWithIdentityInt(work->idInt());
    advance(1.0);
    const QString settings = storeFolder() + "/default.file";
    QFile::remove(settings);
    ASSERT_TRUE(QDir().mkpath(settings + "/kept"));

    alerts.clear();
    chooseMenuItemTitled(KELMainMenu::kMenuChannels, QStringLiteral("Set as Home"));
    advance(0.5);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("The home Channel could not be saved."));
    EXPECT_EQ(space()->homeChannelInt(), home);

    // Once the file can be written again the same item stores the home, silently.
    ASSERT_TRUE(QDir(settings).removeRecursively());
    alerts.clear();
    chooseMenuItemTitled(KELMainMenu::kMenuChannels, QStringLiteral("Set as Home"));
    advance(0.5);
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(space()->homeChannelInt(), work->idInt());
}

// Offered only where it would change the home: never on the home Channel itself.
TEST_F(ChannelsModify, SetAsHomeIsOfferedOnlyAwayFromTheHomeChannel)
{
    start();
    const KELId home = space()->homeChannelInt();
    const QString setAsHome = QStringLiteral("Set as Home");
    EXPECT_FALSE(offered(setAsHome)) << "on the home Channel";
    KELI* work = space()->newIdentityNamed("Work");
    ASSERT_NE(work, nullptr);
    space()->updateChannelWithIdentityInt(work->idInt());
    advance(1.0);
    EXPECT_TRUE(offered(setAsHome)) << "on another Channel";

    chooseMenuItemTitled(KELMainMenu::kMenuChannels, setAsHome);
    advance(0.5);
    ASSERT_EQ(space()->homeChannelInt(), work->idInt());
    EXPECT_FALSE(offered(setAsHome)) << "Work is the home now";
    space()->updateChannelWithIdentityInt(home);
    advance(1.0);
    EXPECT_TRUE(offered(setAsHome)) << "the former home is another Channel now";
}

// Every Channel chosen takes the drop folder with it: binding it is offered only when that could
// not be saved and the folder is bound to another Channel.
TEST_F(ChannelsModify, BindToTheDropFolderThatCannotBeSavedSaysSoAndKeepsTheBoundChannel)
{
    start();
    const QString bind = QStringLiteral("Bind to the Drop Folder");
    const KELId home = space()->currentChannelInt();
    EXPECT_FALSE(offered(bind)) << "bound to the current Channel";
    KELI* work = space()->newIdentityNamed("Work");
    ASSERT_NE(work, nullptr);
    space()->updateChannelWithIdentityInt(work->idInt());
    advance(1.0);
    ASSERT_EQ(space()->zevFolderChannelInt(), work->idInt());
    EXPECT_FALSE(offered(bind)) << "the switch took the folder along";
    const QString settings = storeFolder() + "/default.file";
    QFile::remove(settings);
    ASSERT_TRUE(QDir().mkpath(settings + "/kept"));
    // Going home cannot move the drop folder with it: it stays bound to Work.
    space()->updateChannelWithIdentityInt(home);
    advance(1.0);
    ASSERT_EQ(space()->currentChannelInt(), home);
    ASSERT_EQ(space()->zevFolderChannelInt(), work->idInt());
    EXPECT_TRUE(offered(bind));

    alerts.clear();
    chooseMenuItemTitled(KELMainMenu::kMenuChannels, QStringLiteral("Bind to the Drop Folder"));
    advance(0.5);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("The drop folder could not be bound to this Channel."));
    EXPECT_EQ(space()->zevFolderChannelInt(), work->idInt());

    ASSERT_TRUE(QDir(settings).removeRecursively());
    alerts.clear();
    chooseMenuItemTitled(KELMainMenu::kMenuChannels, QStringLiteral("Bind to the Drop Folder"));
    advance(0.5);
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(space()->zevFolderChannelInt(), home);
    const RecordRead read = readRecordFile(settings);
    ASSERT_TRUE(read);
    EXPECT_EQ(recordInteger(*read.fields, QStringLiteral("ZEVDefaultChannelZevFolder")), qint64(home));
    EXPECT_FALSE(offered(bind));
}

// A Space renamed when the disk fills up between the old name's end and the new name's link
// keeps its old name, in the store and on screen, instead of being left without one.
TEST_F(ChannelsModify, OKWithTheSpaceNameClearedSaysSoAndKeepsTheTitle)
{
    start();
    chooseMenuItemTitled(KELMainMenu::kMenuSpaces, QStringLiteral("Rename Space\u2026"));
    advance(1.0);
    ZEVChannelModifyPanel* p = panel();
    ASSERT_TRUE(p && p->isVisible());
    typeInto(p->spaceField(), QStringLiteral("Harbour"));
    click(p->okButton());
    advance(1.0);
    ASSERT_EQ(desk(space()->nowCurseur())->currentBackImageItemName(), "Harbour");

    // Blanks only for the Space, a new Channel name beside: a message, nothing stored.
    chooseMenuItemTitled(KELMainMenu::kMenuSpaces, QStringLiteral("Rename Space\u2026"));
    advance(1.0);
    ASSERT_TRUE(p->isVisible());
    const std::string channelBefore = channels()->channelModel().nameOfCurrentChannel().value_or("");
    typeInto(p->channelField(), QStringLiteral("Studio"));
    typeInto(p->spaceField(), QStringLiteral("   "));
    alerts.clear();
    click(p->okButton());
    advance(1.0);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("The Space needs a name."));
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(p->channelField()->text(), QStringLiteral("Studio")) << "what was typed stays";
    EXPECT_EQ(desk(space()->nowCurseur())->currentBackImageItemName(), "Harbour");
    EXPECT_EQ(channels()->channelModel().nameOfCurrentChannel().value_or(""), channelBefore);

    // Cancel leaves both names as they were.
    click(p->cancelButton());
    advance(1.0);
    EXPECT_FALSE(p->isVisible());
    EXPECT_EQ(desk(space()->nowCurseur())->currentBackImageItemName(), "Harbour");
}

TEST_F(ChannelsModify, ASpaceRenameTheDiskCannotFinishKeepsTheOldName)
{
    start();
    const auto rename = [this](const QString& name) {
        chooseMenuItemTitled(KELMainMenu::kMenuSpaces, QStringLiteral("Rename Space\u2026"));
        advance(1.0);
        ZEVChannelModifyPanel* p = panel();
        ASSERT_TRUE(p && p->isVisible());
        typeInto(p->spaceField(), name);
        click(p->okButton());
        advance(1.0);
    };
    // Both names are words of the store already: only the title links are written.
    rename(QStringLiteral("Harbour"));
    rename(QStringLiteral("Office"));
    ASSERT_EQ(desk(space()->nowCurseur())->currentBackImageItemName(), "Office");
    alerts.clear();
    Sqlite& db = KELChercheurDe::ZevDataBase();
    ASSERT_TRUE(db.executeNonQuery("CREATE TEMP TRIGGER plein BEFORE INSERT ON ZEVLETS WHEN NEW.RELATION = 1000217 "
                                   "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END;"));
    rename(QStringLiteral("Harbour"));
    ASSERT_TRUE(db.executeNonQuery("DROP TRIGGER temp.plein;"));
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_EQ(desk(space()->nowCurseur())->currentBackImageItemName(), "Office");
    quit();
    start();
    EXPECT_EQ(desk(space()->nowCurseur())->currentBackImageItemName(), "Office") << "the stored name";
}

// The Space's picture was the background of an earlier Space too: a colour chosen for it when the
// disk has room for one of the two rewrites keeps neither, instead of the two Spaces of the same
// picture in two colours.
TEST_F(ChannelsModify, AColourTheDiskCannotGiveEverySpaceOfThePictureIsGivenToNone)
{
    start();
    alerts.clear();
    KELI* home = space()->channelForIdentityInt(space()->currentChannelInt());
    ZEVDeskViewer* now = desk(space()->nowCurseur());
    ASSERT_TRUE(home && now);
    KELI* image = now->currentBackImageItem();
    KELI* colour = now->currentBackColorItem();
    ASSERT_TRUE(image && colour);
    const KELDate t = space()->nowCurseur()->now();
    for (auto [rel, child] : {std::pair{KELRELATION_IDENTITY_BACK_ITEM, image},
                              std::pair{KELRELATION_IDENTITY_BACK_COLOR, colour}})
        ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(rel, home, child, t - 3 * 86400, t - 2 * 86400,
                                                     space()->nowCurseur()),
                  nullptr);
    advance(1.0);
    const Rows before = liveLinks(home->idInt(), KELRELATION_IDENTITY_BACK_COLOR);

    chooseMenuItemTitled(KELMainMenu::kMenuSpaces, QStringLiteral("Rename Space\u2026"));
    advance(1.0);
    ZEVChannelModifyPanel* p = panel();
    ASSERT_TRUE(p && p->isVisible());
    ASSERT_NO_FATAL_FAILURE(chooseColourTyped(p, QStringLiteral("#10a040")));
    {
        // Room for the present Space's new colour, none for the earlier one's.
        FullLinkBase full("NEW.RELATION = 1000227 AND NEW.DATE_IN < " + std::to_string(t - 86400));
        click(p->okButton());
        advance(1.0);
    }
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_EQ(liveLinks(home->idInt(), KELRELATION_IDENTITY_BACK_COLOR).rows, before.rows)
        << "one Space of the picture took the colour, the other not";
}

} // namespace
} // namespace e2e
