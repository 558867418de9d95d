// Background pictures and the index of linked pairs in the running program: a wide Channel
// background drawn on the desk and pictured in the Spaces menu through the one cache, a missing
// picture shown again after a resize, and the Links model's rows kept by the engine as the strip
// moves the visible range and the arrows change the Channel.

#include "tests/e2e/E2EFixture.h"

#include "desk/model/ZEVItemClass.h"
#include "desk/view/ZEVDeskBackImageView.h"
#include "desk/viewer/ZEVDeskBackground.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/links/ZEVLinkViewer.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineView.h"
#include "space/ZEVBackObject.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QWheelEvent>

namespace e2e {
namespace {

bool rouge(QColor c) { return c.red() > 160 && c.green() < 90 && c.blue() < 90; }

bool aDuRouge(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (rouge(image.pixelColor(x, y)))
                return true;
    return false;
}

class BackgroundsAndLinks : public E2E {
protected:
    // A file put on the Now desk from the desktop; its Object.
    KELI* placer(const QString& path)
    {
        adapter()->addFilenames({path});
        advance(2.0);
        const QString name = path.section('/', -1);
        for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
            if (v->itemTitle() == name)
                return v->item();
        ADD_FAILURE() << "no Object for " << name.toStdString();
        return nullptr;
    }
    KELI* texte(const char* name)
    {
        QFile f(home + "/" + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(name);
        f.close();
        return placer(f.fileName());
    }
    // The desk's frame made that size by resizing the window, as the window manager does.
    void deskSize(int w, int h)
    {
        const QRectF f = space()->deskViewFrame();
        window()->resize(window()->width() + w - int(f.width()), window()->height() + h - int(f.height()));
        advance(2.0);
        ASSERT_EQ(space()->deskViewFrame().size(), QSizeF(w, h));
    }
    ZEVLinkClass& links() { return dynamic_cast<ZEVLinkClass&>(*space()->linkClass()); }
    KELI* lien(KELI* parent, KELI* enfant, KELDate in, KELDate out)
    {
        return KELServeurDeLiens::CreerLienRelInt(KELRELATION_LINK_VIEWER, parent, enfant, in, out,
                                                  space()->nowCurseur());
    }
    ZEVTlineView* strip() const
    {
        return dynamic_cast<ZEVTlineView*>(dynamic_cast<ZEVRulerViewer*>(space()->rulerViewer())->tlineView());
    }
    // Horizontal wheel turns over the strip until the visible range's end passes `date` (sens -1:
    // towards the past, to before it; +1: towards the future, to after it).
    void panStripUntil(int sens, KELDate date)
    {
        KELIContexte* tl = space()->tlContexte();
        for (int i = 0; i < 200; ++i) {
            tl->placeToi();
            if (sens < 0 ? tl->nowOut() < date : tl->nowOut() > date)
                break;
            // Near the strip's left end, away from the cursors' marks.
            const QPointF at(6, strip()->height() / 2.0);
            QWheelEvent e(at, strip()->mapToGlobal(at), QPoint(), QPoint(sens < 0 ? -1200 : 1200, 0), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(strip(), &e);
            advance(0.05);
        }
        advance(2.0);
    }
    std::vector<ZEVLinkPair*> rows() { return links().timeLineLinks(); }
};

TEST_F(BackgroundsAndLinks, AWideBackgroundIsDrawnOnTheDeskAndItsMenuPictureShowsItsMiddleAfterItsFileCameBack)
{
    start();
    deskSize(1280, 800);
    const QString path = home + "/bands.png";
    QImage bands(3000, 1000, QImage::Format_RGB32);
    bands.fill(Qt::red);
    for (int y = 0; y < 1000; ++y)
        for (int x = 600; x < 2400; ++x)
            bands.setPixel(x, y, qRgb(0, 0, 230));
    ASSERT_TRUE(bands.save(path));
    KELI* image = placer(path);
    ASSERT_NE(image, nullptr);
    ZEVDeskBackground& fond = nowDesk()->background();
    const QColor couleur = space()->colorForColorItem(fond.currentBackColorItem());

    // The picture is gone when it becomes the background: the desk keeps the Channel colour.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(fond.userChangeBackWithImageItem(image, nullptr, KELOBJECT_SCALE_OUT, clock.now()));
    advance(2.0);
    ZEVBackObject* objet = space()->spaceClass()->backObjectForItemInt(image->idInt(), KELOBJECT_SCALE_OUT);
    ASSERT_NE(objet, nullptr);
    EXPECT_TRUE(objet->siError());
    EXPECT_TRUE(nowDesk()->deskBackImageView()->backgroundImage().isNull());
    QWidget* canvas = window()->spaceView()->deskCanvas()->viewport();
    const QPoint bas(canvas->width() / 2, canvas->height() - 40);
    EXPECT_EQ(canvas->grab().toImage().pixelColor(bas), couleur);

    // Back, and a resize of the window to a 1440 x 900 desk shows it, 2700 x 900, centred.
    ASSERT_TRUE(bands.save(path));
    deskSize(1440, 900);
    EXPECT_EQ(nowDesk()->deskBackImageView()->backgroundImage().size(), QSize(2700, 900));
    EXPECT_FALSE(objet->siError());
    const QImage vue = canvas->grab().toImage();
    const QPoint milieu(canvas->width() / 2, canvas->height() - 40);
    EXPECT_EQ(vue.pixelColor(milieu), QColor(0, 0, 230));
    EXPECT_FALSE(rouge(vue.pixelColor(4, milieu.y()))) << "the red sides lie beyond the desk";

    // A minute later another background: the Spaces menu lists the wide one before it, pictured
    // 48 x 30 from the same cache, its middle only.
    advance(60);
    QImage plain(160, 100, QImage::Format_RGB32);
    plain.fill(Qt::darkGreen);
    ASSERT_TRUE(plain.save(home + "/plain.png"));
    KELI* autre = placer(home + "/plain.png");
    ASSERT_TRUE(fond.userChangeBackWithImageItem(autre, nullptr, KELOBJECT_SCALE_IN, clock.now()));
    advance(2.0);
    QMenu menu;
    space()->addSpacesToMenu(&menu, ZEVSpaceController::SpacesMenuAction::GotoPrevSpace, 0, 1, 0,
                             space()->channelForIdentityInt(space()->currentChannelInt()));
    const std::vector<ZEVSpaceGotoObject>& g = space()->gotoObjects();
    const auto it = std::find_if(g.begin(), g.end(), [&](const ZEVSpaceGotoObject& o) { return o.imageItem() == image; });
    ASSERT_NE(it, g.end());
    QAction* entree = nullptr;
    for (QAction* a : menu.actions())
        if (a->data().toLongLong() == it - g.begin())
            entree = a;
    ASSERT_NE(entree, nullptr);
    const QImage vignette = entree->icon().pixmap(QSize(48, 30)).toImage();
    EXPECT_EQ(vignette.size(), QSize(48, 30));
    EXPECT_FALSE(aDuRouge(vignette));
    EXPECT_EQ(space()->spaceClass()->backObjectForItemInt(image->idInt(), KELOBJECT_SCALE_OUT), objet)
        << "one cache for the desk and the menu";
    EXPECT_EQ(objet->channelImageColor().size(), QSize(48, 30));
}

TEST_F(BackgroundsAndLinks, TheLinkRowsFollowTheStripsRangeAndStayInTheListOfTheirParentsChannel)
{
    start();
    KELI* a = texte("a.txt");
    KELI* b = texte("b.txt");
    ASSERT_TRUE(a && b);
    const KELId home = space()->currentChannelInt();
    KELI* work = space()->newIdentityNamed("Work");
    ASSERT_NE(work, nullptr);
    // Listed, as the Channels panel makes it: the window's Channel arrows walk the listed ones.
    ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(
                  KELRELATION_CHANNEL_VIEWER,
                  KELServeurDeLiens::LienForInt(KELOBJECT_CHANNEL_VIEWER_ROOT, space()->nowCurseur()), work,
                  KELDateToujours, KELDateOuverte, space()->nowCurseur()),
              nullptr);
    KELI* d = space()->itemClassForCurseur(space()->nowCurseur())->creerItemWithChannelInt(work->idInt(), "d", "file", "txt", 1);
    ASSERT_NE(d, nullptr);
    d->setChannelInt(work->idInt());
    advance(1.0);

    const KELDate t = clock.now();
    KELI* ab1 = lien(a, b, t - 3000, t - 2000);
    KELI* ab2 = lien(a, b, t - 1000, KELDateOuverte);
    KELI* ba = lien(b, a, t - 500, KELDateOuverte);
    KELI* ad = lien(a, d, t - 200, KELDateOuverte);
    // A link of the Channel made after start: its list is there for it.
    KELI* da = lien(d, a, t - 100, KELDateOuverte);
    ASSERT_TRUE(ab1 && ab2 && ba && ad && da);
    advance(1.0);

    std::vector<ZEVLinkPair*> liste = rows();
    ASSERT_EQ(liste.size(), 3u) << "one row per ordered pair";
    auto* rowAB = dynamic_cast<ZEVLinkObject*>(liste[0]);
    ASSERT_NE(rowAB, nullptr);
    EXPECT_EQ(rowAB->parentItem(), a);
    EXPECT_EQ(rowAB->enfantItem(), b);
    EXPECT_EQ(rowAB->lienConnexions(), (std::vector<KELI*>{ab1, ab2}));
    EXPECT_EQ(rowAB->siAjouteCount(), 2);
    EXPECT_EQ(liste[1]->parentItem(), b);
    EXPECT_EQ(liste[2]->enfantItem(), d) << "the cross-Channel link is listed under its parent's Channel";

    // Strip input moves the range before all of them: the list empties; back again, it is whole.
    panStripUntil(-1, t - 3000);
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(rowAB->siAjouteCount(), 0);
    EXPECT_EQ(rowAB->siFuturCount(), 0);
    panStripUntil(+1, t);
    liste = rows();
    EXPECT_EQ(liste.size(), 3u);
    EXPECT_EQ(std::count(liste.begin(), liste.end(), rowAB), 1);

    // The window's Channel arrows: the cross-Channel row is in its parent's Channel's list only.
    key(Qt::Key_Down);
    ASSERT_EQ(space()->currentChannelInt(), work->idInt());
    ASSERT_EQ(rows().size(), 1u);
    EXPECT_EQ(rows()[0]->parentItem(), d);
    key(Qt::Key_Up);
    ASSERT_EQ(space()->currentChannelInt(), home);
    EXPECT_EQ(rows().size(), 3u);
}

// The Links model's rows and walk, in the same running program.
class LinkRows : public BackgroundsAndLinks {};

TEST_F(LinkRows, CountTheFutureEdgeAndTheSelectedLinksFilterTheWalk)
{
    start();
    KELI* a = texte("a.txt");
    KELI* b = texte("b.txt");
    KELI* c = texte("c.txt");
    ASSERT_TRUE(a && b && c);
    const KELDate t = clock.now();
    KELIContexte* tl = space()->tlContexte();
    tl->placeToi();
    // Starting an hour after the range's end.
    KELI* tard = lien(a, b, tl->nowOut() + 3600, KELDateOuverte);
    lien(a, b, t - 600, t - 300);
    lien(b, c, t - 100, KELDateOuverte);
    advance(1.0);
    ASSERT_EQ(rows().size(), 2u);
    auto* rowAB = dynamic_cast<ZEVLinkObject*>(rows()[0]);
    ASSERT_NE(rowAB, nullptr);
    EXPECT_EQ(rowAB->siAjouteCount(), 1);
    EXPECT_EQ(rowAB->siFuturCount(), 0);

    // In through the range's future edge, and out through it again.
    panStripUntil(+1, tard->inDate());
    tl->placeToi();
    ASSERT_LT(tl->nowIn(), t - 300);
    EXPECT_EQ(rowAB->siAjouteCount(), 2);
    EXPECT_EQ(rowAB->siFuturCount(), 1);
    EXPECT_EQ(rowAB->lienConnexions().back(), tard);
    panStripUntil(-1, tard->inDate());
    EXPECT_EQ(rowAB->siAjouteCount(), 1);
    EXPECT_EQ(rowAB->siFuturCount(), 0);
    EXPECT_EQ(rowAB->lienConnexions().size(), 1u);
    EXPECT_EQ(rows().size(), 2u);

    // The walk to the previous link change: the latest start of the Channel, or of the selected
    // links only.
    EXPECT_NEAR(links().previousDate(), t - 100 - 0.7, 1e-6);
    space()->selections().selectIconForItemSet({a, b}, nullptr);
    links().majSelectedLinkIndexSet();
    EXPECT_FALSE(links().selectedLinkIndexSet().empty());
    EXPECT_NEAR(links().previousDate(), t - 600 - 0.7, 1e-6);
    values->setValue(ZEVLinkClass::kGotoRecallKey, false);
    EXPECT_FALSE(links().siRecallChanges());
    EXPECT_EQ(links().previousDate(), 0.0) << "both kinds of change off";
    const QVariant ecrit = defaults->value(ZEVLinkClass::kGotoReleaseKey);
    EXPECT_TRUE(ecrit.isValid() && !ecrit.toBool()) << "written with its default";
}

} // namespace
} // namespace e2e
