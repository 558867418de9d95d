// The Images panel in the running program, over 40 image Objects whose pictures are PNGs of
// distinct colours: opened from the main menu, its visible rows show their pictures and the rows
// below have none yet; the wheel brings the next ones with theirs. A click on a row's colour
// swatch opens the colour popup, Down and Return choose a colour, and the store's colour link of
// that image is cut at now and followed by one to the chosen colour, the selection unchanged. The
// Object menu's Remove on an image that is the Channel's background rewrites that interval to the
// grey wallpaper once the user said Yes, and its Images presences go; on a full disk the image and
// the background stay, and so does every other image removed with it. A colour whose act a full disk undid is given to no image.

#include "tests/e2e/E2EFixture.h"
#include "tests/e2e/FullLinkBase.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVModelSupport.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/store/KELChercheurDe.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/context/ZEVContextViewer.h"
#include "inspectors/images/ZEVBackPopup.h"
#include "inspectors/images/ZEVBackTableView.h"
#include "inspectors/images/ZEVBackViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "app/menu/KELMainMenu.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "widgets/ZEVAlert.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

namespace e2e {
namespace {

constexpr int kImageCount = 40;

class ImagesList : public E2E {
protected:
    ZEVBackViewer* images() const
    {
        return dynamic_cast<ZEVBackViewer*>(space()->viewerForEntityClassName("ZEVBackViewer"));
    }
    ZEVBackTableView* table() const { return images() ? images()->backTableView() : nullptr; }
    static QColor couleurNumero(int i) { return QColor::fromHsv((i * 360 / kImageCount) % 360, 220, 200); }

    // Forty images listed in the Images panel of the current Channel for a week, each on its PNG.
    void semer()
    {
        const KELId canal = space()->currentChannelInt();
        KELI* identity = space()->channelForIdentityInt(canal);
        KELICurseur* now = space()->nowCurseur();
        ZEVItemClass* items = space()->itemClassForCurseur(now);
        ASSERT_TRUE(identity && items);
        QDir().mkpath(home + "/pics");
        for (int i = 0; i < kImageCount; ++i) {
            const QString path = home + QStringLiteral("/pics/image%1.png").arg(i, 2, 10, QLatin1Char('0'));
            QImage png(160, 100, QImage::Format_RGB32);
            png.fill(couleurNumero(i));
            ASSERT_TRUE(png.save(path));
            KELI* o = items->creerItemWithChannelInt(canal, QFileInfo(path).fileName().toStdString(), "file", "png", 0);
            ASSERT_NE(o, nullptr);
            o->setChannelInt(canal);
            ASSERT_TRUE(ZEVItemData::Current().createFileURL(path, QUrl(), o));
            KELServeurDeLiens::CreerLienRelInt(KELRELATION_IMAGE_COLOR, o, space()->defaultColorItem(),
                                               KELDateToujours, KELDateOuverte, now);
            KELServeurDeLiens::CreerLienRelInt(KELRELATION_BACK_VIEWER, identity, o, now->now() - 7 * kJour,
                                               KELDateOuverte, now);
            seeded.push_back(o);
        }
        advance(1.0);
    }
    // From the main menu's inspectors menu, item Images, or the toggle bar's Images button.
    void ouvrir(bool parLaBarre = false)
    {
        if (parLaBarre) {
            auto* bar = dynamic_cast<ZEVContextViewer*>(space()->contextViewer());
            ASSERT_NE(bar, nullptr);
            click(bar->buttonForEntityInt(KELENTITY_BACK_VIEWER));
        } else {
            chooseMenuItem(KELMainMenu::kMenuInspectors, KELENTITY_BACK_VIEWER);
        }
        advance(1.0);
        ASSERT_NE(table(), nullptr);
        ASSERT_TRUE(table()->isVisible());
        ASSERT_EQ(table()->numberOfRows(), kImageCount);
    }
    KELI* itemOfRow(int row) const { return table()->element(row) ? table()->element(row)->item : nullptr; }
    // The third colour of the popup, chosen for the row's image with the swatch and the keys.
    QColor chooseTheThirdColourFor(int row)
    {
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, table()->swatchRectForRow(row).center().toPoint());
        pump();
        ZEVBackPopupController& popup = ZEVBackPopupController::shared();
        EXPECT_TRUE(popup.siVisible()) << "the swatch opened the popup";
        QListWidget* list = popup.window()->list();
        QTest::keyClick(list, Qt::Key_Home);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        const QColor chosen = popup.selectedColor();
        QTest::keyClick(list, Qt::Key_Return);
        advance(1.0);
        return chosen;
    }
    // The Object menu's Remove chosen with the mouse for the one image selected, every question
    // answered Yes; the alerts shown meanwhile.
    std::vector<ZEVAlertRequest> removeTheSelectedImageSayingYes()
    {
        std::vector<ZEVAlertRequest> asked;
        ScopedAlertAnswerer oui([&](const ZEVAlertRequest& r) {
            asked.push_back(r);
            return 0;
        });
        QMenu* m = openMenu(KELMainMenu::kMenuObject);
        EXPECT_NE(m, nullptr);
        QAction* remove = nullptr;
        for (QAction* a : m ? m->actions() : QList<QAction*>())
            if (a->property("tag").toLongLong() == 13)
                remove = a;
        EXPECT_TRUE(remove && remove->isEnabled());
        if (!remove)
            return asked;
        EXPECT_EQ(remove->text(), "Remove 1 Image Object");
        QTest::mouseClick(m, Qt::LeftButton, {}, m->actionGeometry(remove).center());
        advance(1.0);
        return asked;
    }
    // The image's colour links: (colour, out-date), oldest first.
    Rows colourLinks(const KELI* image) const
    {
        return sql(database(), "SELECT CHILD_ZEVLET, DATE_OUT FROM ZEVLETS WHERE RELATION = 1000257 AND PARENT_ZEVLET = " +
                                   image->idTxt() + " AND DATE_IN < 4503599627370497 ORDER BY DATE_IN");
    }
    // The colour at the middle of the row's picture frame, as the screen shows it.
    QColor pictureColor(int row) const
    {
        const QRect cell = table()->visualRect(table()->tableModel()->index(row, 4));
        const QPoint centre = ZEVBackCellGeometry::imageRectForBounds(cell).center().toPoint();
        return table()->viewport()->grab().toImage().pixelColor(centre);
    }
    static bool proche(const QColor& a, const QColor& b)
    {
        return std::abs(a.red() - b.red()) < 12 && std::abs(a.green() - b.green()) < 12 && std::abs(a.blue() - b.blue()) < 12;
    }
    int numero(KELI* o) const
    {
        for (std::size_t i = 0; i < seeded.size(); ++i)
            if (seeded[i] == o)
                return int(i);
        return -1;
    }
    void clickRowPicture(int row)
    {
        const QRect cell = table()->visualRect(table()->tableModel()->index(row, 4));
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, QPoint(cell.right() - 20, cell.top() + 20));
        pump();
    }
    // The first row's image made the Channel's background from five to three days ago, then
    // chosen by a click on its picture: that background's link.
    KELI* firstRowMadeAnEarlierBackgroundAndChosen()
    {
        KELI* image = itemOfRow(0);
        KELICurseur* nowC = space()->nowCurseur();
        const KELDate now = nowC->now();
        KELI* canal = space()->channelForIdentityInt(space()->currentChannelInt());
        KELI* fond = image ? KELServeurDeLiens::CreerLienRelInt(KELRELATION_IDENTITY_BACK_ITEM, canal, image,
                                                                now - 5 * kJour, now - 3 * kJour, nowC)
                           : nullptr;
        advance(1.0);
        clickRowPicture(0);
        EXPECT_EQ(space()->selections().selectedIconItems(), std::vector<KELI*>{image});
        return fond;
    }
    // The Object menu's Remove, on the selected image.
    void removeByTheObjectMenu()
    {
        QMenu* m = openMenu(KELMainMenu::kMenuObject);
        ASSERT_NE(m, nullptr);
        QAction* remove = nullptr;
        for (QAction* a : m->actions())
            if (a->property("tag").toLongLong() == 13)
                remove = a;
        ASSERT_TRUE(remove && remove->isEnabled());
        EXPECT_EQ(remove->text(), "Remove 1 Image Object");
        QTest::mouseClick(m, Qt::LeftButton, {}, m->actionGeometry(remove).center());
        advance(1.0);
    }
    // The Channel's live background links: image, in, out.
    Rows liveBackgrounds(KELI* canal) const
    {
        return sql(database(), "SELECT CHILD_ZEVLET, DATE_IN, DATE_OUT FROM ZEVLETS WHERE RELATION = 1000172 AND "
                               "PARENT_ZEVLET = " + std::to_string(canal->idInt()) +
                                   " AND DATE_IN < " + std::to_string(kOubliee) + " ORDER BY DATE_IN");
    }
    std::vector<KELI*> seeded;
};

TEST_F(ImagesList, VisibleRowsShowTheirPicturesAndTheWheelBringsTheNextOnes)
{
    startWithTheBar();
    semer();
    ouvrir();
    pump();
    advance(0.5);
    const ZEVRowRange vus = table()->visibleRows();
    ASSERT_GT(vus.length, 2u);
    ASSERT_LT(vus.location + vus.length, quint64(kImageCount)) << "the panel shows only some of the rows";
    for (quint64 r = vus.location; r < vus.location + vus.length; ++r) {
        if (table()->visualRect(table()->tableModel()->index(int(r), 4)).bottom() > table()->viewport()->height())
            continue; // the last row, cut by the panel's edge
        EXPECT_TRUE(proche(pictureColor(int(r)), couleurNumero(numero(itemOfRow(int(r))))))
            << "row " << r << " shows " << pictureColor(int(r)).name().toStdString();
    }
    ZEVBackClass& m = images()->backClass();
    const int dessous = int(vus.location + vus.length) + 2;
    const ZEVBackObject* pasVu = m.existingBackObjectForItem(itemOfRow(dessous));
    EXPECT_TRUE(!pasVu || pasVu->thumbnailImage().isNull()) << "a row below has no picture yet";

    // The wheel over the rows brings the next ones into view, with their pictures.
    const QPoint at = table()->viewport()->rect().center();
    for (int i = 0; i < 4; ++i) {
        QWheelEvent w(at, table()->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(table()->viewport(), &w);
        pump();
    }
    table()->viewport()->repaint();
    pump();
    advance(0.5);
    const ZEVRowRange apres = table()->visibleRows();
    ASSERT_GT(apres.location, vus.location) << "the wheel scrolled the rows";
    // A row that came into view, whole on screen, shows its picture.
    int venu = -1;
    for (quint64 r = apres.location; r < apres.location + apres.length && venu < 0; ++r) {
        const QRect cell = table()->visualRect(table()->tableModel()->index(int(r), 4));
        if (!vus.contains(r) && cell.top() >= 0 && cell.bottom() < table()->viewport()->height())
            venu = int(r);
    }
    ASSERT_GE(venu, 0);
    EXPECT_TRUE(proche(pictureColor(venu), couleurNumero(numero(itemOfRow(venu)))))
        << pictureColor(venu).name().toStdString();
    for (KELI* o : m.observedVisibleItems())
        EXPECT_GE(m.rowOfItem(o), int(apres.location)) << "rows scrolled away are no longer followed";
}

TEST_F(ImagesList, ASwatchChoiceChangesTheColourFromNowAndKeepsTheSelection)
{
    startWithTheBar();
    semer();
    ouvrir();
    pump();
    // A row selected by a click on its title, then another row's swatch clicked.
    const QRect titre = table()->visualRect(table()->tableModel()->index(1, 4));
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, QPoint(titre.right() - 20, titre.top() + 20));
    pump();
    ASSERT_EQ(table()->selectionModel()->selectedRows().size(), 1);
    ASSERT_EQ(table()->selectionModel()->selectedRows().first().row(), 1);
    KELI* image = itemOfRow(2);
    const QPoint swatch = table()->swatchRectForRow(2).center().toPoint();
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, swatch);
    pump();
    ZEVBackPopupController& popup = ZEVBackPopupController::shared();
    ASSERT_TRUE(popup.siVisible()) << "the swatch opened the popup";
    advance(0.5);
    QListWidget* list = popup.window()->list();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    const QColor chosen = popup.selectedColor();
    ASSERT_TRUE(chosen.isValid());
    const KELDate now = space()->nowCurseur()->now();
    QTest::keyClick(list, Qt::Key_Return);
    advance(1.0);
    EXPECT_FALSE(popup.siVisible());

    const Rows r = sql(database(), "SELECT CHILD_ZEVLET, DATE_IN, DATE_OUT FROM ZEVLETS WHERE RELATION = 1000257 AND "
                                   "PARENT_ZEVLET = " + std::to_string(image->idInt()) + " ORDER BY DATE_IN");
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(std::stoull(r.at(0, 0)), space()->defaultColorItem()->idInt());
    EXPECT_NEAR(std::stod(r.at(0, 2)), now, 2.0) << "the old colour ends now";
    EXPECT_NEAR(std::stod(r.at(1, 1)), now, 2.0) << "the chosen one starts now";
    EXPECT_GE(std::stod(r.at(1, 2)), KELDateOuverte);
    KELI* couleur = KELServeurDeLiens::LienForInt(std::stoull(r.at(1, 0)), space()->nowCurseur());
    EXPECT_EQ(space()->colorForColorItem(couleur).rgb(), chosen.rgb());
    EXPECT_EQ(table()->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(table()->selectionModel()->selectedRows().first().row(), 1) << "the selection stayed";
}

TEST_F(ImagesList, RemovingABackgroundImageRewritesItsIntervalToTheGreyWallpaper)
{
    startWithTheBar();
    semer();
    ouvrir(true);
    KELI* image = itemOfRow(0);
    const KELId id = image->idInt();
    KELICurseur* nowC = space()->nowCurseur();
    const KELDate now = nowC->now();
    KELI* canal = space()->channelForIdentityInt(space()->currentChannelInt());
    ASSERT_NE(firstRowMadeAnEarlierBackgroundAndChosen(), nullptr);
    ASSERT_TRUE(images()->siFirstResponder());

    std::vector<QString> asked;
    ScopedAlertAnswerer oui([&](const ZEVAlertRequest& r) {
        asked.push_back(r.informative);
        return 0;
    });
    ASSERT_NO_FATAL_FAILURE(removeByTheObjectMenu());

    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "Image used as background. Do you really want to delete it?");
    const Rows fonds = liveBackgrounds(canal);
    bool gris = false;
    for (std::size_t i = 0; i < fonds.size(); ++i) {
        EXPECT_NE(std::stoull(fonds.at(i, 0)), id) << "no live background link to the image is left";
        if (std::abs(std::stod(fonds.at(i, 1)) - (now - 5 * kJour)) < 0.01 &&
            std::abs(std::stod(fonds.at(i, 2)) - (now - 3 * kJour)) < 0.01) {
            gris = true;
            const QString path = ZEVItemData::Current().fileUrlForItem(
                KELServeurDeLiens::LienForInt(std::stoull(fonds.at(i, 0)), nowC));
            EXPECT_EQ(QFileInfo(path).fileName(), "zevWallpaperGrey.pdf");
        }
    }
    EXPECT_TRUE(gris) << "the interval shows the grey wallpaper, with the same dates";
    const Rows presences = sql(database(), "SELECT DATE_IN FROM ZEVLETS WHERE RELATION = 1000167 AND CHILD_ZEVLET = " +
                                               std::to_string(id));
    ASSERT_FALSE(presences.empty());
    for (std::size_t i = 0; i < presences.size(); ++i)
        EXPECT_GE(std::stod(presences.at(i, 0)), kOubliee) << "its Images presences are forgotten";
    EXPECT_EQ(table()->numberOfRows(), kImageCount - 1);
}

// A colour chosen while the link base is full is not stored, and the image keeps the colour it
// had; chosen again once there is room, it is stored whole. At no time does the store hold a link
// to or from a link it never held (the colour Object of the act the full disk undid).
TEST_F(ImagesList, AColourChosenOnAFullDiskAndAgainWithRoomLeavesNoLinkToAMissingOne)
{
    startWithTheBar();
    semer();
    ouvrir();
    pump();
    alerts.clear();
    KELI* image = itemOfRow(2);
    ASSERT_NE(image, nullptr);
    const auto choisir = [&] { return chooseTheThirdColourFor(2); };
    const auto couleurs = [&] { return colourLinks(image); };
    // Links of the colours and images to or from an id the store does not hold.
    const auto versLeVide = [&] {
        return sql(database(), "SELECT l.ZEVLET_ID, l.RELATION, l.PARENT_ZEVLET, l.CHILD_ZEVLET FROM ZEVLETS l "
                               "WHERE l.RELATION IN (1000050, 1000217, 1000242, 1000247, 1000252, 1000257) AND "
                               "(NOT EXISTS (SELECT 1 FROM ZEVLETS p WHERE p.ZEVLET_ID = l.PARENT_ZEVLET) OR "
                               "NOT EXISTS (SELECT 1 FROM ZEVLETS c WHERE c.ZEVLET_ID = l.CHILD_ZEVLET))");
    };
    ASSERT_EQ(versLeVide().size(), 0u);
    const Rows avant = couleurs();
    ASSERT_EQ(avant.size(), 1u);

    // The disk fills up in the middle of the colour's act: its red link finds no room.
    Sqlite& db = KELChercheurDe::ZevDataBase();
    ASSERT_TRUE(db.executeNonQuery("CREATE TEMP TRIGGER plein BEFORE INSERT ON ZEVLETS WHEN NEW.RELATION = 1000242 "
                                   "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END;"));
    choisir();
    ASSERT_TRUE(db.executeNonQuery("DROP TRIGGER temp.plein;"));
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_EQ(versLeVide().size(), 0u) << "a colour link names the colour the full disk undid";
    const Rows garde = couleurs();
    ASSERT_EQ(garde.size(), 1u) << "the image's colour was cut for a colour that is not stored";
    EXPECT_EQ(garde.at(0, 0), avant.at(0, 0));
    EXPECT_GE(std::stod(garde.at(0, 1)), KELDateOuverte) << "the image's colour was cut for a colour that is not stored";

    // With room again the same colour is made anew and the image takes it from now.
    const QColor chosen = choisir();
    ASSERT_TRUE(chosen.isValid());
    EXPECT_EQ(versLeVide().size(), 0u) << "a colour link names the colour the full disk undid";
    const Rows apres = couleurs();
    ASSERT_EQ(apres.size(), 2u);
    EXPECT_EQ(apres.at(0, 0), avant.at(0, 0));
    KELI* couleur = KELServeurDeLiens::LienForInt(std::stoull(apres.at(1, 0)), space()->nowCurseur());
    ASSERT_NE(couleur, nullptr);
    EXPECT_FALSE(KELServeurDeLiens::Perdu(couleur));
    EXPECT_EQ(space()->colorForColorItem(couleur).rgb(), chosen.rgb());
    EXPECT_EQ(sql(database(), "SELECT COUNT(*) FROM ZEVLETS WHERE RELATION IN (1000242, 1000247, 1000252) AND "
                              "PARENT_ZEVLET = " + couleur->idTxt()).at(0, 0),
              "3")
        << "the colour is stored with its red, green and blue";
}

// The colour exists already and only the image's new colour link finds no room: the image keeps
// its colour from now on, instead of the old one being cut with nothing after it.
TEST_F(ImagesList, AColourWhoseLinkFindsNoRoomLeavesTheImageItsColour)
{
    startWithTheBar();
    semer();
    ouvrir();
    pump();
    alerts.clear();
    KELI* image = itemOfRow(2);
    ASSERT_NE(image, nullptr);
    const Rows avant = colourLinks(image);
    ASSERT_EQ(avant.size(), 1u);
    {
        FullLinkBase full(KELRELATION_IMAGE_COLOR);
        chooseTheThirdColourFor(2);
    }
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    const Rows garde = colourLinks(image);
    ASSERT_EQ(garde.size(), 1u);
    EXPECT_EQ(garde.at(0, 0), avant.at(0, 0));
    EXPECT_GE(std::stod(garde.at(0, 1)), KELDateOuverte) << "the image's colour was cut with none after it";
}

// A background image removed when the disk has no room for its interval's grey wallpaper: the
// Space keeps the image as its background over that interval, and the image is not deleted.
TEST_F(ImagesList, RemovingABackgroundImageTheDiskCannotRewriteKeepsTheImageAndItsInterval)
{
    startWithTheBar();
    semer();
    ouvrir(true);
    alerts.clear();
    KELI* image = itemOfRow(0);
    ASSERT_NE(image, nullptr);
    const KELDate now = space()->nowCurseur()->now();
    KELI* canal = space()->channelForIdentityInt(space()->currentChannelInt());
    KELI* fond = firstRowMadeAnEarlierBackgroundAndChosen();
    ASSERT_NE(fond, nullptr);
    const Rows avant = liveBackgrounds(canal);
    std::vector<ZEVAlertRequest> asked;
    {
        // Room to forget the image's interval, none for the grey wallpaper's.
        FullLinkBase full("NEW.RELATION = 1000172 AND NEW.ZEVLET_ID <> " + fond->idTxt());
        asked = removeTheSelectedImageSayingYes();
    }
    ASSERT_EQ(asked.size(), 2u) << "the question, then the failure";
    EXPECT_EQ(asked[1].message, QStringLiteral("Your changes could not be saved."));
    const Rows kept = sql(database(), "SELECT DATE_IN, DATE_OUT FROM ZEVLETS WHERE ZEVLET_ID = " + fond->idTxt());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_NEAR(std::stod(kept.at(0, 0)), now - 5 * kJour, 0.01) << "the interval lost its background";
    EXPECT_NEAR(std::stod(kept.at(0, 1)), now - 3 * kJour, 0.01);
    EXPECT_EQ(liveLinksAround(image->idInt(), KELRELATION_BACK_VIEWER, true), 1) << "the image was removed";
    const Rows propre = sql(database(), "SELECT DATE_IN FROM ZEVLETS WHERE ZEVLET_ID = " + image->idTxt());
    ASSERT_EQ(propre.size(), 1u);
    EXPECT_LT(std::stod(propre.at(0, 0)), kForgottenDate);
    const Rows garde = liveBackgrounds(canal);
    ASSERT_EQ(garde.size(), avant.size());
    for (std::size_t i = 0; i < garde.size(); ++i)
        for (int col = 0; col < 3; ++col)
            EXPECT_EQ(garde.at(i, col), avant.at(i, col)) << "a background of the Channel changed";
    EXPECT_EQ(itemOfRow(0), image);
    EXPECT_EQ(table()->numberOfRows(), kImageCount) << "the image left the list though its background stays";
}

// A background image removed together with another image as the disk fills up at the other's
// deletion: neither image is deleted and the Space keeps its background, instead of the first
// gone and its interval grey while the second stays.
TEST_F(ImagesList, RemovingABackgroundImageWithAnotherTheDiskCannotFinishKeepsBothAndTheBackground)
{
    startWithTheBar();
    semer();
    ouvrir(true);
    alerts.clear();
    KELI* image = itemOfRow(0);
    KELI* autre = itemOfRow(1);
    ASSERT_TRUE(image && autre);
    KELI* canal = space()->channelForIdentityInt(space()->currentChannelInt());
    ASSERT_NE(firstRowMadeAnEarlierBackgroundAndChosen(), nullptr);
    const QRect cell = table()->visualRect(table()->tableModel()->index(1, 4));
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, Qt::ControlModifier, QPoint(cell.right() - 20, cell.top() + 20));
    pump();
    ASSERT_EQ(space()->selections().selectedIconItems().size(), 2u);
    const Rows avant = liveBackgrounds(canal);
    std::vector<ZEVAlertRequest> asked;
    {
        ScopedAlertAnswerer oui([&](const ZEVAlertRequest& r) { return asked.push_back(r), 0; });
        FullLinkBase full("NEW.RELATION = " + std::to_string(KELRELATION_ITEM_TITLE) +
                          " AND NEW.PARENT_ZEVLET = " + autre->idTxt());
        chooseObjectMenuItem(13, "Remove 2 Image Objects");
    }
    ASSERT_EQ(asked.size(), 2u) << "the question, then the failure";
    EXPECT_EQ(asked[1].message, QStringLiteral("Your changes could not be saved."));
    for (KELI* o : {image, autre}) {
        EXPECT_EQ(liveLinksAround(o->idInt(), KELRELATION_BACK_VIEWER, true), 1) << o->idTxt() << " was removed";
        EXPECT_EQ(liveLinksAround(o->idInt(), KELRELATION_ITEM_TITLE, false), 1);
    }
    const Rows garde = liveBackgrounds(canal);
    ASSERT_EQ(garde.size(), avant.size());
    for (std::size_t i = 0; i < garde.size(); ++i)
        for (int col = 0; col < 3; ++col)
            EXPECT_EQ(garde.at(i, col), avant.at(i, col)) << "a background of the Channel changed";
    EXPECT_EQ(table()->numberOfRows(), kImageCount) << "an image left the list though the store keeps it";
}

} // namespace
} // namespace e2e
