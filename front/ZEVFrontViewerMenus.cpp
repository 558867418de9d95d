// The link-line menu of the front viewer and the images of the edit items of every menu that
// carries Recall, Retain, Release and Forget.

#include "front/ZEVFrontViewer.h"

#include "look/KELSharedResources.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "objects/viewer/ZEVItemConnexion.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"

#include <QAction>
#include <QIcon>
#include <QMenu>

namespace tallomer {

namespace {

// Tags of the link-line menu, and of the edit items of every menu.
enum : long {
    kTagRelease = 2,
    kTagForget = 3,
    kTagRecall = 4,
    kTagRetain = 5,
    kTagRecallNow = 6,
    kTagIcon = 11,
    kTagTitle = 12,
    kTagLink = 13,
    kTagFilter = 14,
    kTagReleaseNow = 62,
    kTagForgetNow = 63,
    kTagRetainNow = 65,
};

QAction* itemWithTag(QMenu* menu, long tag)
{
    if (!menu)
        return nullptr;
    for (QAction* a : menu->actions())
        if (!a->isSeparator() && a->property("tag").toLongLong() == tag)
            return a;
    return nullptr;
}

const char* operationOfTag(long tag)
{
    switch (tag) {
    case kTagRelease:
    case kTagReleaseNow:
        return "Release";
    case kTagForget:
    case kTagForgetNow:
        return "Forget";
    case kTagRecall:
    case kTagRecallNow:
        return "Recall";
    default:
        return "Retain";
    }
}

} // namespace

// ---- edit images ----

namespace {

// The item keeps the image's name beside the image, for what reads the menu back.
void setEditImage(QAction* a, const KELSharedResources& r, const char* set, long tag)
{
    const QString name = QStringLiteral("edit%1%2.tiff").arg(QLatin1String(set), QLatin1String(operationOfTag(tag)));
    a->setIcon(QIcon(r.imageNamed(name)));
    a->setProperty("imageName", name);
}

// Lit: the set's image when enabled, the black one when not.
void lit(const KELSharedResources& r, QMenu* menu, long tag, const char* set)
{
    if (QAction* a = itemWithTag(menu, tag))
        setEditImage(a, r, a->isEnabled() ? set : "Black", tag);
}

void blacken(const KELSharedResources& r, QMenu* menu, long tag)
{
    if (QAction* a = itemWithTag(menu, tag)) {
        a->setEnabled(false);
        setEditImage(a, r, "Black", tag);
    }
}

} // namespace

void ZEVFrontViewer::majImageForEditionMenu1(QMenu* menu)
{
    if (!menu)
        return;
    const KELSharedResources& r = space_.host().sharedResources();
    const bool now = space_.actifCurseur() && space_.actifCurseur() == space_.nowCurseur();
    if (now) {
        for (long t : {kTagReleaseNow, kTagForgetNow, kTagRecallNow, kTagRetainNow})
            lit(r, menu, t, "Now");
        for (long t : {kTagRelease, kTagForget, kTagRecall, kTagRetain})
            blacken(r, menu, t);
    } else {
        for (long t : {kTagRelease, kTagForget, kTagRecall, kTagRetain})
            lit(r, menu, t, "Search");
        for (long t : {kTagReleaseNow, kTagForgetNow, kTagRetainNow})
            blacken(r, menu, t);
    }
}

void ZEVFrontViewer::majImageForEditionMenu2(QMenu* menu)
{
    if (!menu)
        return;
    const KELSharedResources& r = space_.host().sharedResources();
    const bool now = space_.actifCurseur() && space_.actifCurseur() == space_.nowCurseur();
    for (long t : {kTagRelease, kTagForget, kTagRecall, kTagRetain})
        lit(r, menu, t, now ? "Now" : "Search");
    if (!now)
        if (QAction* a = itemWithTag(menu, kTagRecallNow))
            setEditImage(a, r, "Now", kTagRecallNow);
}

// ---- the link-line menu ----

void ZEVFrontViewer::buildConnexionMenu()
{
    connexionMenu_ = std::make_unique<QMenu>();
    QMenu* m = connexionMenu_.get();
    auto add = [m, this](long tag, const QString& title, void (ZEVFrontViewer::*action)()) {
        QAction* a = m->addAction(title);
        a->setProperty("tag", qlonglong(tag));
        connect(a, &QAction::triggered, this, action);
        return a;
    };
    for (QAction* a : {add(kTagIcon, QStringLiteral("Icon"), &ZEVFrontViewer::menuSelectIconConnexion),
                       add(kTagTitle, QStringLiteral("Title"), &ZEVFrontViewer::menuSelectTitleConnexion),
                       add(kTagLink, QStringLiteral("Link"), &ZEVFrontViewer::menuSelectLinkConnexion),
                       add(kTagFilter, QStringLiteral("Filter"), &ZEVFrontViewer::menuSelectFilterConnexion)})
        a->setCheckable(true);
    m->addSeparator();
    add(kTagRecallNow, QStringLiteral("Recall Now"), &ZEVFrontViewer::menuRecallNowConnexion);
    add(kTagRecall, QStringLiteral("Recall"), &ZEVFrontViewer::menuRecallConnexion);
    add(kTagRetain, QStringLiteral("Retain"), &ZEVFrontViewer::menuRetainConnexion);
    add(kTagRelease, QStringLiteral("Release"), &ZEVFrontViewer::menuReleaseConnexion);
    add(kTagForget, QStringLiteral("Forget"), &ZEVFrontViewer::menuForgetConnexion);
    // The two ends stop showing their frames when the menu goes, whatever was chosen.
    connect(m, &QMenu::aboutToHide, this, [this] {
        ZEVDeskViewer* dv = space_.deskViewerForCurseur(space_.actifCurseur());
        for (KELI* o : {connexionParent_, connexionEnfant_})
            if (ZEVItemViewForDesks* v = dv && o ? dv->itemViewForItem(o) : nullptr)
                v->showCadreStop();
    });
}

ZEVItemConnexion* ZEVFrontViewer::selectedConnexion() const
{
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    if (!iv || !connexionParent_ || !connexionEnfant_)
        return nullptr;
    for (ZEVItemConnexion* c : iv->connexionsTouchingItem(connexionParent_))
        if (c->parentItem() == connexionParent_ && c->enfantItem() == connexionEnfant_)
            return c;
    return nullptr;
}

QMenu* ZEVFrontViewer::connexionMenuForConnexion(ZEVItemConnexion* connexion)
{
    if (!connexion)
        return nullptr;
    if (!connexionMenu_)
        buildConnexionMenu();
    QMenu* m = connexionMenu_.get();
    KELI* parent = connexion->parentItem();
    KELI* enfant = connexion->enfantItem();
    const bool actif = connexion->siActif();
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    const bool linked = iv && iv->userAskIfItemIsConnectedWithItem(parent, enfant);
    const bool now = space_.actifCurseur() && space_.actifCurseur() == space_.nowCurseur();

    itemWithTag(m, kTagRecallNow)->setVisible(!(linked || now));
    itemWithTag(m, kTagRelease)->setEnabled(actif);
    itemWithTag(m, kTagRecall)->setEnabled(!actif);
    majImageForEditionMenu2(m);

    ZEVSelections& s = space_.selections();
    itemWithTag(m, kTagFilter)->setChecked(s.isFilterSelectedForItem(parent) && s.isFilterSelectedForItem(enfant));
    itemWithTag(m, kTagIcon)->setChecked(s.isIconSelectedForItem(parent) && s.isIconSelectedForItem(enfant));
    itemWithTag(m, kTagTitle)->setChecked(s.isTitleSelectedForItem(parent) && s.isTitleSelectedForItem(enfant));
    itemWithTag(m, kTagLink)->setChecked(s.isLinkSelectedForConnexion(connexion));

    if (currentFrontMode_ >= ZEVFrontModeIcons && currentFrontMode_ <= ZEVFrontModeLinks) {
        const KELSharedResources& r = space_.host().sharedResources();
        struct Entry {
            long tag;
            int mode;
            const char* word;
            const QPixmap& image;
        };
        const Entry entries[] = {{kTagIcon, ZEVFrontModeIcons, "Icon", r.iconImage()},
                                 {kTagTitle, ZEVFrontModeTitles, "Title", r.titleImage()},
                                 {kTagLink, ZEVFrontModeLinks, "Link", r.linkImage()},
                                 {kTagFilter, ZEVFrontModeFilters, "Filter", r.filterImage()}};
        for (const Entry& e : entries) {
            QAction* a = itemWithTag(m, e.tag);
            const bool current = e.mode == currentFrontMode_;
            a->setText(current ? QLatin1String(e.word) : QStringLiteral("     ") + QLatin1String(e.word));
            a->setIcon(current ? QIcon(e.image) : QIcon());
        }
    }

    if (ZEVDeskViewer* dv = space_.deskViewerForCurseur(space_.actifCurseur()))
        for (KELI* o : {parent, enfant})
            if (ZEVItemViewForDesks* v = dv->itemViewForItem(o))
                v->showCadreStart();
    connexionParent_ = parent;
    connexionEnfant_ = enfant;
    return m;
}

void ZEVFrontViewer::menuReleaseConnexion()
{
    ZEVItemConnexion* c = selectedConnexion();
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    if (!c || !iv)
        return;
    iv->userReleaseLinkWithItem(c->parentItem(), c->enfantItem());
    linkSelectionDidChange();
}

void ZEVFrontViewer::menuRecallConnexion()
{
    ZEVItemConnexion* c = selectedConnexion();
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    if (!c || !iv)
        return;
    iv->userRecallLinkWithItem(c->parentItem(), c->enfantItem());
    linkSelectionDidChange();
}

void ZEVFrontViewer::menuRecallNowConnexion()
{
    ZEVItemConnexion* c = selectedConnexion();
    if (ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.nowCurseur()); c && iv)
        iv->userRecallLinkWithItem(c->parentItem(), c->enfantItem());
}

void ZEVFrontViewer::menuRetainConnexion()
{
    ZEVItemConnexion* c = selectedConnexion();
    if (ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur()); c && iv)
        iv->userRetainLinkWithItem(c->parentItem(), c->enfantItem());
}

void ZEVFrontViewer::menuForgetConnexion()
{
    ZEVItemConnexion* c = selectedConnexion();
    if (ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur()); c && iv)
        iv->userForgetLinkWithItem(c->parentItem(), c->enfantItem());
}

namespace {
// Both ends selected: both leave; else both join and come to the front.
void toggleConnexionEnds(ZEVSpaceController& space, ZEVItemConnexion* c, const ZEVModeSelection& m)
{
    if (!c)
        return;
    ZEVSelections& s = space.selections();
    KELI* p = c->parentItem();
    KELI* e = c->enfantItem();
    if ((s.*m.is)(p) && (s.*m.is)(e)) {
        (s.*m.deselect)(p);
        (s.*m.deselect)(e);
        return;
    }
    (s.*m.multiSelect)(p);
    (s.*m.multiSelect)(e);
    if (ZEVDeskViewer* dv = space.deskViewerForCurseur(space.actifCurseur()))
        for (KELI* o : {p, e})
            if (ZEVItemViewForDesks* v = dv->itemViewForItem(o))
                v->orderToFront();
}
} // namespace

void ZEVFrontViewer::menuSelectIconConnexion() { toggleConnexionEnds(space_, selectedConnexion(), kIconSelection); }
void ZEVFrontViewer::menuSelectTitleConnexion() { toggleConnexionEnds(space_, selectedConnexion(), kTitleSelection); }
void ZEVFrontViewer::menuSelectFilterConnexion()
{
    toggleConnexionEnds(space_, selectedConnexion(), kFilterSelection);
}

void ZEVFrontViewer::menuSelectLinkConnexion()
{
    ZEVItemConnexion* c = selectedConnexion();
    if (!c)
        return;
    ZEVSelections& s = space_.selections();
    if (s.isLinkSelectedForConnexion(c))
        s.deselectLinkForConnexion(c);
    else
        s.multiSelectLinkForConnexion(c);
}

} // namespace tallomer
