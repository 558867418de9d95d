// The Images model on a real link base: a colour change runs from the cursor to the next scheduled
// one, with or without a colour before it; an image brought in again keeps its chosen colour; a
// swatch choice makes the colour Object under its name; deleting an image that is a Channel's
// background asks first, rewrites the background in that Channel to that Channel's grey
// wallpaper, and erases only an Object nothing else holds.

#include "tests/inspectors/InspectorFixture.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVModelSupport.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/images/ZEVBackViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "widgets/ZEVAlert.h"

#include <QDir>
#include <QScrollBar>
#include <QThreadPool>
#include <QFile>
#include <QImage>
#include <QMenu>

#include <tuple>

namespace inspecttest {
namespace {

// What the stores ask of the Space to make a copy of an Object in another Channel.
class EspacePourLesDonnees final : public ZEVUnknownSpaceForItemData {
public:
    EspacePourLesDonnees(ZEVSpaceController& space, ZEVItemClass& items) : space_(space), items_(items) {}
    KELICurseur* actifCurseur() override { return space_.actifCurseur(); }
    std::string itemTypeForItem(KELI*) override { return "file"; }
    std::string itemTitleForItem(KELI*) override { return "copy"; }
    KELI* itemForId(KELId id) override { return KELServeurDeLiens::LienForInt(id, space_.actifCurseur()); }
    KELI* creerItem(KELId channel, const std::string& title, const std::string& type, const std::string& icon,
                    ZEVItemOption options, const std::function<bool(KELI*)>& writeOutside) override
    {
        return items_.creerItemWithRecord(channel, title, type, icon, options, writeOutside);
    }

private:
    ZEVSpaceController& space_;
    ZEVItemClass& items_;
};

class BackClass : public Inspectors {
protected:
    void SetUp() override
    {
        Inspectors::SetUp();
        ZEVItemDataFolders folders;
        folders.zevDir = store;
        folders.zevData = store + "/local/zevData";
        folders.zevDrop = store + "/local/zevDrop";
        folders.zevFolder = store + "/Drop";
        ZEVItemDataChannels::SetFolders(folders);
        canalA = space->currentChannelInt();
        KELI* b = space->newIdentityNamed("Second");
        ASSERT_NE(b, nullptr);
        canalB = b->idInt();
        ASSERT_TRUE(ZEVItemDataChannels::CreateItemDataForChannelInt(canalA));
        ASSERT_TRUE(ZEVItemDataChannels::CreateItemDataForChannelInt(canalB));
        ZEVItemDataChannels::SetCurrentChannelInt(canalA);
        settle();
        viewer = dynamic_cast<ZEVBackViewer*>(creer("ZEVBackViewer", KELENTITY_BACK_VIEWER));
        ASSERT_NE(viewer, nullptr);
        items = std::make_unique<ZEVItemClass>(space->nowCurseur(), nullptr);
    }
    void TearDown() override
    {
        items.reset();
        ZEVItemDataChannels::Reset();
        Inspectors::TearDown();
    }
    ZEVBackClass& m() { return viewer->backClass(); }
    KELI* objet(const std::string& titre, KELId canal)
    {
        KELI* o = items->creerItemWithChannelInt(canal, titre, "file", "png", 0);
        EXPECT_NE(o, nullptr);
        o->setChannelInt(canal);
        return o;
    }
    KELI* lien(KELId rel, KELI* parent, KELI* enfant, KELDate in, KELDate out)
    {
        KELI* l = KELServeurDeLiens::CreerLienRelInt(rel, parent, enfant, in, out, space->nowCurseur());
        EXPECT_NE(l, nullptr);
        return l;
    }
    KELI* canal(KELId id) { return space->channelForIdentityInt(id); }
    KELDate now() const { return space->nowCurseur()->now(); }
    // The image's live colour links: (colour Object, in, out), by in-date.
    std::vector<std::tuple<KELI*, KELDate, KELDate>> couleurs(KELI* image)
    {
        std::vector<std::tuple<KELI*, KELDate, KELDate>> out;
        const KELIds ids = KELServeurDeLiens::LiensNumDuParentIntRelInt(image->idInt(), KELRELATION_IMAGE_COLOR);
        for (KELId id : ids ? *ids : std::vector<KELId>()) {
            KELI* l = KELServeurDeLiens::LienForInt(id, KELServeurDeLiens::CurseurGlobal());
            if (!deskmodel::siOublie(l))
                out.emplace_back(KELServeurDeLiens::LienForInt(l->enfantInt(), space->nowCurseur()), l->inDate(),
                                 l->outDate());
        }
        std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return std::get<1>(a) < std::get<1>(b); });
        return out;
    }
    static bool oublie(KELI* l) { return deskmodel::siOublie(l); }

    KELId canalA = 0, canalB = 0;
    ZEVBackViewer* viewer = nullptr;
    std::unique_ptr<ZEVItemClass> items;
};

TEST_F(BackClass, AColourChangeRunsFromTheCursorToTheNextScheduledOne)
{
    KELI* rouge = space->createColorItemWithColor(QColor(200, 0, 0), "Red");
    KELI* bleu = space->createColorItemWithColor(QColor(0, 0, 200), "Blue");
    KELI* vert = space->createColorItemWithColor(QColor(0, 200, 0), "Green");
    ASSERT_TRUE(rouge && bleu && vert);
    const KELDate t0 = now();
    const KELDate plusTard = t0 + 2 * kHeure;

    // A colour now and another scheduled later: the new one fills the gap between them.
    KELI* planifiee = objet("scheduled", canalA);
    lien(KELRELATION_IMAGE_COLOR, planifiee, rouge, KELDateToujours, plusTard);
    lien(KELRELATION_IMAGE_COLOR, planifiee, bleu, plusTard, KELDateOuverte);
    settle();
    const KELDate t = now();
    m()._updateImageItem(planifiee, vert);
    settle();
    auto c = couleurs(planifiee);
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(std::get<0>(c[0]), rouge);
    EXPECT_NEAR(std::get<2>(c[0]), t, 0.01) << "the past keeps its colour";
    EXPECT_EQ(std::get<0>(c[1]), vert);
    EXPECT_NEAR(std::get<1>(c[1]), t, 0.01);
    EXPECT_EQ(std::get<2>(c[1]), plusTard) << "up to the next scheduled change";
    EXPECT_EQ(std::get<0>(c[2]), bleu);
    EXPECT_EQ(std::get<1>(c[2]), plusTard);

    // The same colour again changes nothing.
    m()._updateImageItem(planifiee, vert);
    settle();
    EXPECT_EQ(couleurs(planifiee).size(), 3u);

    // No colour at the cursor, one scheduled later: the new one ends where that one begins.
    KELI* sansAvant = objet("nothing before", canalA);
    lien(KELRELATION_IMAGE_COLOR, sansAvant, bleu, plusTard, KELDateOuverte);
    settle();
    m()._updateImageItem(sansAvant, vert);
    settle();
    c = couleurs(sansAvant);
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(std::get<0>(c[0]), vert);
    EXPECT_EQ(std::get<2>(c[0]), plusTard) << "the scheduled colour is not hidden";
    EXPECT_EQ(std::get<0>(c[1]), bleu);

    // No colour at all: from the cursor to the open end.
    KELI* aucune = objet("no colour", canalA);
    const KELDate t1 = now();
    m()._updateImageItem(aucune, rouge);
    settle();
    c = couleurs(aucune);
    ASSERT_EQ(c.size(), 1u);
    EXPECT_NEAR(std::get<1>(c[0]), t1, 0.01);
    EXPECT_EQ(std::get<2>(c[0]), KELDateOuverte);
    EXPECT_EQ(m().colorItemForImageItem(aucune), rouge);
}

TEST_F(BackClass, AnImageBroughtInAgainKeepsItsChosenColour)
{
    KELI* image = objet("twice", canalA);
    ASSERT_NE(m().creerLienBackViewerForItem(image, now()), nullptr);
    settle();
    auto c = couleurs(image);
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(std::get<0>(c[0]), space->defaultColorItem());
    EXPECT_EQ(std::get<1>(c[0]), KELDateToujours);
    EXPECT_EQ(std::get<2>(c[0]), KELDateOuverte);

    KELI* vert = space->createColorItemWithColor(QColor(0, 200, 0), "Green");
    m()._updateImageItem(image, vert);
    m().releaseBacksForItems({image});
    settle();
    ASSERT_NE(m().creerLienBackViewerForItem(image, now() + kHeure), nullptr);
    settle();
    EXPECT_EQ(couleurs(image).size(), 2u) << "no second default colour for all time";
    EXPECT_EQ(m().colorItemForImageItem(image), vert);
    EXPECT_EQ(m().colorForImageItem(image).rgb(), QColor(0, 200, 0).rgb());
}

TEST_F(BackClass, ASwatchChoiceMakesTheColourObjectUnderTheNameGivenFirst)
{
    viewer->showInspectView(true);
    settle();
    KELI* image = objet("swatch", canalA);
    ASSERT_NE(m().creerLienBackViewerForItem(image, now() - kHeure), nullptr);
    settle();
    ZEVBackTableView* table = viewer->backTableView();
    ASSERT_NE(table, nullptr);
    // The name comes first; a redraw in between does not lose it.
    m().setObjectValue(*table, QStringLiteral("Lagoon"), 4, image, QStringLiteral("fillColorName"));
    table->reloadData();
    table->visibleRowsPass();
    m().setObjectValue(*table, QColor(17, 153, 153), 4, image, QStringLiteral("fillColor"));
    settle();
    KELI* choisie = m().colorItemForImageItem(image);
    ASSERT_NE(choisie, nullptr);
    ASSERT_NE(choisie, space->defaultColorItem());
    EXPECT_EQ(space->colorNameForColorItem(choisie), "Lagoon");
    EXPECT_EQ(space->colorForColorItem(choisie).rgb(), QColor(17, 153, 153).rgb());
    const ZEVBackSwatch s = m().swatchForRow(*table, m().rowOfItem(image));
    EXPECT_EQ(s.name, "Lagoon");
}

TEST_F(BackClass, OnlyVisibleRowsAskForThumbnailsAndOneThatCannotBeMadeShowsABrokenMark)
{
    viewer->showInspectView(true);
    settle();
    // Images whose files cannot be read.
    std::vector<KELI*> images;
    for (int i = 0; i < 25; ++i) {
        images.push_back(objet("unreadable " + std::to_string(i), canalA));
        lien(KELRELATION_BACK_VIEWER, canal(canalA), images.back(), now() - kHeure, KELDateOuverte);
    }
    settle();
    ZEVBackTableView* table = viewer->backTableView();
    ASSERT_NE(table, nullptr);
    table->reloadData();
    table->visibleRowsPass();
    const ZEVRowRange v = table->visibleRows();
    ASSERT_GT(v.length, 1u);
    ASSERT_LT(v.location + v.length, 25u);
    EXPECT_EQ(m().observedVisibleItems().size(), v.length);
    EXPECT_EQ(m().backObjectCount(), v.length) << "no cache, no thumbnail for the rows out of view";
    ASSERT_NE(table->cachedViewForRow(0), nullptr) << "a widget over the picture while it has none";
    // The renderings come back failed: the rows show the mark, asked once more each.
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_TRUE(m().siThumbnailFailed(images[0]));
    table->visibleRowsPass();
    QWidget* cassee = table->cachedViewForRow(0);
    ASSERT_NE(cassee, nullptr);
    EXPECT_EQ(cassee->objectName(), "thumbnailBroken") << "no spinner for ever";
    // Scrolled away, the rows are followed no more.
    table->verticalScrollBar()->setValue(table->verticalScrollBar()->maximum());
    table->visibleRowsPass();
    for (KELI* o : m().observedVisibleItems())
        EXPECT_GE(m().rowOfItem(o), int(table->visibleRows().location));
}

TEST_F(BackClass, ARecalledCopyTakesItsSourcesColourAndTheIntervalMenuNamesWhatGoes)
{
    // An image of the other Channel, on its own file, with a colour of its own.
    const QString chemin = store + "/photo.png";
    {
        QImage png(16, 10, QImage::Format_RGB32);
        png.fill(Qt::red);
        ASSERT_TRUE(png.save(chemin));
    }
    EspacePourLesDonnees donnees(*space, *items);
    ZEVItemDataChannels::ReferencerSpaceController(&donnees);
    KELI* source = objet("photo", canalB);
    ASSERT_TRUE(ZEVItemDataChannels::ItemDataForChannelInt(canalB)->createFileURL(chemin, QUrl(), source));
    KELI* ocre = space->createColorItemWithColor(QColor(204, 119, 34), "Ochre");
    lien(KELRELATION_IMAGE_COLOR, source, ocre, KELDateToujours, KELDateOuverte);
    settle();
    m().recallBacksForItems({source});
    settle();
    KELI* copie = ZEVItemDataChannels::ItemDataForChannelInt(canalA)->matchingItem(source);
    ASSERT_NE(copie, nullptr);
    ASSERT_NE(copie, source);
    EXPECT_EQ(m().colorItemForImageItem(copie), ocre) << "the copy shows its source's colour";
    EXPECT_TRUE(m().isItemActif(copie)) << "and is listed here";
    EXPECT_EQ(couleurs(copie).size(), 1u);
    // Recalled again, it keeps the one colour it has.
    m().releaseBacksForItems({copie});
    settle();
    m().recallBacksForItems({source});
    settle();
    EXPECT_EQ(couleurs(copie).size(), 1u);

    // One interval: its menu removes the Object; with two, it deletes the interval only.
    ZEVBackTableView* table = nullptr;
    viewer->showInspectView(true);
    settle();
    table = viewer->backTableView();
    ASSERT_NE(table, nullptr);
    const KELIds legos = KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(copie->idInt(), KELRELATION_BACK_VIEWER);
    ASSERT_TRUE(legos && legos->size() == 2);
    KELI* premier = KELServeurDeLiens::LienForInt(legos->front(), space->nowCurseur());
    QMenu* menu = m().updateLegoMenu(nullptr, *table, premier);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(ZEVMenuItemWithTag(menu, ZEVRowTagDeleteLego)->text(), "Delete Interval");
    m().deleteLego(premier, *table);
    settle();
    EXPECT_TRUE(oublie(premier));
    EXPECT_FALSE(oublie(copie));
    KELI* dernier = KELServeurDeLiens::LienForInt(legos->back(), space->nowCurseur());
    menu = m().updateLegoMenu(nullptr, *table, dernier);
    EXPECT_EQ(ZEVMenuItemWithTag(menu, ZEVRowTagDeleteLego)->text(), "Remove Image Object");
    m().deleteLego(dernier, *table);
    settle();
    EXPECT_TRUE(oublie(dernier));
    EXPECT_TRUE(oublie(copie)) << "its last interval took the image with it";
    EXPECT_FALSE(oublie(source));
    ZEVItemDataChannels::ReferencerSpaceController(nullptr);
}

TEST_F(BackClass, RowsLeaveByADragOnlyFromThePicturesSideOfTheImageColumn)
{
    viewer->showInspectView(true);
    KELI* image = objet("dragged", canalA);
    lien(KELRELATION_BACK_VIEWER, canal(canalA), image, now() - kHeure, KELDateOuverte);
    settle();
    ZEVBackTableView* table = viewer->backTableView();
    ASSERT_NE(table, nullptr);
    const QRect cell = table->visualRect(table->tableModel()->index(0, ZEVBackClass::kImageColumn));
    ASSERT_LT(cell.left() + 10, 190);
    ASSERT_GT(cell.right(), 200);
    EXPECT_TRUE(m().siDragOutAt(*table, QPoint(cell.left() + 10, cell.center().y())));
    EXPECT_TRUE(m().siDragOutAt(*table, QPoint(189, cell.center().y())));
    EXPECT_FALSE(m().siDragOutAt(*table, QPoint(190, cell.center().y())));
    EXPECT_FALSE(m().siDragOutAt(*table, QPoint(table->visualRect(table->tableModel()->index(0, 0)).center().x(),
                                                 cell.center().y())))
        << "nor from a mode column";
}

TEST_F(BackClass, TheShownImagesNewColourReachesThePreviewOnlyAtTheActiveCursor)
{
    viewer->showInspectView(true);
    KELI* image = objet("shown", canalA);
    ASSERT_NE(m().creerLienBackViewerForItem(image, now() - kHeure), nullptr);
    settle();
    space->selections().selectIconForItemSet({image}, nullptr);
    viewer->itemSelectionDidChange();
    settle();
    ASSERT_EQ(m().selectedItemSet().size(), 1u);
    KELI* vert = space->createColorItemWithColor(QColor(0, 200, 0), "Green");
    KELI* bleu = space->createColorItemWithColor(QColor(0, 0, 200), "Blue");
    // A colour from now on: the Now cursor is the active one, the preview follows.
    m()._updateImageItem(image, vert);
    settle();
    EXPECT_EQ(viewer->previewColor().rgb(), QColor(0, 200, 0).rgb());
    // One that starts in a day reaches neither cursor now: nothing changes.
    lien(KELRELATION_IMAGE_COLOR, image, bleu, now() + 24 * kHeure, KELDateOuverte);
    settle();
    EXPECT_EQ(viewer->previewColor().rgb(), QColor(0, 200, 0).rgb());
}

TEST_F(BackClass, DeletingABackgroundImageAsksRewritesInItsChannelAndErasesOnlyWhatNothingHolds)
{
    // The store folder's wallpaper, recorded in each Channel's own store.
    const QString grisChemin = store + "/zevWallpaperGrey.pdf";
    {
        QFile f(grisChemin);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("%PDF-1.4");
    }
    KELI* grisA = objet("zevWallpaperGrey", canalA);
    KELI* grisB = objet("zevWallpaperGrey", canalB);
    ASSERT_TRUE(ZEVItemDataChannels::ItemDataForChannelInt(canalA)->createFileURL(grisChemin, QUrl(), grisA));
    ASSERT_TRUE(ZEVItemDataChannels::ItemDataForChannelInt(canalB)->createFileURL(grisChemin, QUrl(), grisB));

    const KELDate t0 = now();
    KELI* fond = objet("background", canalA);
    KELI* presence = lien(KELRELATION_BACK_VIEWER, canal(canalA), fond, t0 - 9 * kHeure, KELDateOuverte);
    // The background of the other Channel, some hours ago; and the image is on a desk.
    KELI* arriere = lien(KELRELATION_IDENTITY_BACK_ITEM, canal(canalB), fond, t0 - 5 * kHeure, t0 - 3 * kHeure);
    KELI* icone = lien(KELRELATION_ICON_VIEWER, canal(canalA), fond, t0 - kHeure, KELDateOuverte);
    KELI* seule = objet("alone", canalA);
    KELI* presenceSeule = lien(KELRELATION_BACK_VIEWER, canal(canalA), seule, t0 - kHeure, KELDateOuverte);
    settle();

    int demandes = 0;
    {
        ScopedAlertAnswerer non([&](const ZEVAlertRequest&) { return ++demandes, 1; });
        m().deleteBacks({fond});
        settle();
    }
    EXPECT_EQ(demandes, 1);
    EXPECT_FALSE(oublie(arriere)) << "Cancel keeps the image untouched";
    EXPECT_FALSE(oublie(presence));

    {
        ScopedAlertAnswerer oui([&](const ZEVAlertRequest&) { return ++demandes, 0; });
        m().deleteBacks({fond, seule});
        settle();
    }
    EXPECT_EQ(demandes, 2) << "asked only for the background image";
    EXPECT_TRUE(oublie(arriere));
    const KELIds versGris = KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(grisB->idInt(), KELRELATION_IDENTITY_BACK_ITEM);
    ASSERT_TRUE(versGris && versGris->size() == 1) << "the other Channel's own grey wallpaper";
    KELI* nouveau = KELServeurDeLiens::LienForInt(versGris->front(), space->nowCurseur());
    ASSERT_NE(nouveau, nullptr);
    EXPECT_EQ(nouveau->parentInt(), canalB);
    EXPECT_EQ(nouveau->inDate(), t0 - 5 * kHeure);
    EXPECT_EQ(nouveau->outDate(), t0 - 3 * kHeure);
    EXPECT_FALSE(KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(grisA->idInt(), KELRELATION_IDENTITY_BACK_ITEM)
                     .value_or(std::vector<KELId>())
                     .size());
    EXPECT_TRUE(oublie(presence)) << "its Images presences go";
    EXPECT_FALSE(oublie(icone));
    EXPECT_FALSE(oublie(fond)) << "a desk still holds it";
    EXPECT_TRUE(oublie(presenceSeule));
    EXPECT_TRUE(oublie(seule)) << "nothing holds the other: it is erased";
    EXPECT_EQ(host.deletedData, std::vector<KELI*>{seule});
}

TEST_F(BackClass, WithoutAGreyWallpaperTheBackgroundImageStaysWhole)
{
    const KELDate t0 = now();
    KELI* fond = objet("background", canalA);
    KELI* presence = lien(KELRELATION_BACK_VIEWER, canal(canalA), fond, t0 - 9 * kHeure, KELDateOuverte);
    KELI* arriere = lien(KELRELATION_IDENTITY_BACK_ITEM, canal(canalA), fond, t0 - 5 * kHeure, t0 - 3 * kHeure);
    settle();
    ScopedAlertAnswerer oui([](const ZEVAlertRequest&) { return 0; });
    const int bips = sound.beeps;
    m().deleteBacks({fond});
    settle();
    EXPECT_FALSE(oublie(arriere));
    EXPECT_FALSE(oublie(presence));
    EXPECT_FALSE(oublie(fond));
    EXPECT_EQ(sound.beeps, bips + 1);
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), "Error: No wallpaperNum"), log.lines.end());
}

} // namespace
} // namespace inspecttest
