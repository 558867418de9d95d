#include "front/ZEVFrontLinkLineMenu.h"

#include "front/ZEVEditMenuTags.h"
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

ZEVFrontLinkLineMenu::ZEVFrontLinkLineMenu(ZEVFrontViewer& front, ZEVSpaceController& space)
    : front_(front), space_(space)
{
}

ZEVFrontLinkLineMenu::~ZEVFrontLinkLineMenu() = default;

void ZEVFrontLinkLineMenu::build()
{
    menu_ = std::make_unique<QMenu>();
    QMenu* m = menu_.get();
    // The items reach the viewer's commands, which callers of the viewer also use.
    auto add = [m, this](long tag, const QString& title, void (ZEVFrontViewer::*action)()) {
        QAction* a = m->addAction(title);
        a->setProperty("tag", qlonglong(tag));
        QObject::connect(a, &QAction::triggered, &front_, action);
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
    QObject::connect(m, &QMenu::aboutToHide, m, [this] {
        ZEVDeskViewer* dv = space_.deskViewerForCurseur(space_.actifCurseur());
        for (KELI* o : {parent_, enfant_})
            if (ZEVItemViewForDesks* v = dv && o ? dv->itemViewForItem(o) : nullptr)
                v->showCadreStop();
    });
}

ZEVItemConnexion* ZEVFrontLinkLineMenu::selectedConnexion() const
{
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    if (!iv || !parent_ || !enfant_)
        return nullptr;
    for (ZEVItemConnexion* c : iv->connexionsTouchingItem(parent_))
        if (c->parentItem() == parent_ && c->enfantItem() == enfant_)
            return c;
    return nullptr;
}

QMenu* ZEVFrontLinkLineMenu::menuForConnexion(ZEVItemConnexion* connexion)
{
    if (!connexion)
        return nullptr;
    if (!menu_)
        build();
    QMenu* m = menu_.get();
    KELI* parent = connexion->parentItem();
    KELI* enfant = connexion->enfantItem();
    const bool actif = connexion->siActif();
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    const bool linked = iv && iv->userAskIfItemIsConnectedWithItem(parent, enfant);
    const bool now = space_.actifCurseur() && space_.actifCurseur() == space_.nowCurseur();

    menuItemWithTag(m, kTagRecallNow)->setVisible(!(linked || now));
    menuItemWithTag(m, kTagRelease)->setEnabled(actif);
    menuItemWithTag(m, kTagRecall)->setEnabled(!actif);
    // As the Links panel offers them for the same link: Forget takes back a link present at the
    // cursor (on one that is not it does nothing), Retain keeps one that is not.
    menuItemWithTag(m, kTagForget)->setEnabled(actif);
    menuItemWithTag(m, kTagRetain)->setEnabled(!actif);
    front_.majImageForEditionMenu2(m);

    ZEVSelections& s = space_.selections();
    menuItemWithTag(m, kTagFilter)->setChecked(s.isFilterSelectedForItem(parent) && s.isFilterSelectedForItem(enfant));
    menuItemWithTag(m, kTagIcon)->setChecked(s.isIconSelectedForItem(parent) && s.isIconSelectedForItem(enfant));
    menuItemWithTag(m, kTagTitle)->setChecked(s.isTitleSelectedForItem(parent) && s.isTitleSelectedForItem(enfant));
    menuItemWithTag(m, kTagLink)->setChecked(s.isLinkSelectedForConnexion(connexion));

    if (front_.currentFrontMode() >= ZEVFrontModeIcons && front_.currentFrontMode() <= ZEVFrontModeLinks) {
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
            QAction* a = menuItemWithTag(m, e.tag);
            const bool current = e.mode == front_.currentFrontMode();
            a->setText(current ? QLatin1String(e.word) : QStringLiteral("     ") + QLatin1String(e.word));
            a->setIcon(current ? QIcon(e.image) : QIcon());
        }
    }

    if (ZEVDeskViewer* dv = space_.deskViewerForCurseur(space_.actifCurseur()))
        for (KELI* o : {parent, enfant})
            if (ZEVItemViewForDesks* v = dv->itemViewForItem(o))
                v->showCadreStart();
    parent_ = parent;
    enfant_ = enfant;
    return m;
}

void ZEVFrontLinkLineMenu::release()
{
    ZEVItemConnexion* c = selectedConnexion();
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    if (!c || !iv)
        return;
    iv->userReleaseLinkWithItem(c->parentItem(), c->enfantItem());
    front_.linkSelectionDidChange();
}

void ZEVFrontLinkLineMenu::recall()
{
    ZEVItemConnexion* c = selectedConnexion();
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    if (!c || !iv)
        return;
    iv->userRecallLinkWithItem(c->parentItem(), c->enfantItem());
    front_.linkSelectionDidChange();
}

void ZEVFrontLinkLineMenu::recallNow()
{
    ZEVItemConnexion* c = selectedConnexion();
    if (ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.nowCurseur()); c && iv)
        iv->userRecallLinkWithItem(c->parentItem(), c->enfantItem());
}

void ZEVFrontLinkLineMenu::retain()
{
    ZEVItemConnexion* c = selectedConnexion();
    if (ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur()); c && iv)
        iv->userRetainLinkWithItem(c->parentItem(), c->enfantItem());
}

void ZEVFrontLinkLineMenu::forget()
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

void ZEVFrontLinkLineMenu::selectIcon() { toggleConnexionEnds(space_, selectedConnexion(), kIconSelection); }
void ZEVFrontLinkLineMenu::selectTitle() { toggleConnexionEnds(space_, selectedConnexion(), kTitleSelection); }
void ZEVFrontLinkLineMenu::selectFilter()
{
    toggleConnexionEnds(space_, selectedConnexion(), kFilterSelection);
}

void ZEVFrontLinkLineMenu::selectLink()
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
