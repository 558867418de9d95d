// The row actions of the front's two lists: what the row and interval menus do to the row
// right-clicked last, its Object or its pair's two Objects.

#include "inspectors/ZEVFrontClass.h"

#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVModelSupport.h"
#include "desk/view/ZEVDeskView.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "services/ZEVInspectorServices.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVItemViewForDesks.h"
#include "services/ZEVSpaceForDeskModels.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"

#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeData>

#include <algorithm>

namespace tallomer {

// ---- the row right-clicked ----------------------------------------------------------------------

KELI* ZEVFrontClass::rightSideItem() const
{
    if (rightMenuLink_)
        return rightColumn_ > 6 ? rightMenuLink_->enfantItem() : rightMenuLink_->parentItem();
    return rightMenuItem_;
}

void ZEVFrontClass::redraw(ZEVTableView& table) { table.viewport()->update(); }

void ZEVFrontClass::dropStaleMenuLink()
{
    // The pair is the list's: once the list no longer holds it, it may be gone.
    if (rightMenuLink_ && std::none_of(linkElements_.begin(), linkElements_.end(),
                                       [this](const ZEVTableElement& e) { return e.pair == rightMenuLink_; }))
        rightMenuLink_ = nullptr;
}

int ZEVFrontClass::liveIconLinkCount(KELId itemInt)
{
    if (!itemInt)
        return 0;
    const KELIds ids = KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(itemInt, KELRELATION_ICON_VIEWER);
    if (!ids)
        return 0;
    KELICc* global = KELServeurDeLiens::CurseurGlobal();
    int n = 0;
    for (KELId id : *ids)
        if (!deskmodel::siOublie(KELServeurDeLiens::LienForInt(id, global)))
            ++n;
    return n;
}

// ---- open, find, show ---------------------------------------------------------------------------

void ZEVFrontClass::openSelectionInTableView(ZEVTableView&)
{
    dropStaleMenuLink();
    ZEVItemViewer* viewer = space_.itemViewerForCurseur(space_.actifCurseur());
    if (!viewer)
        return;
    if (rightMenuLink_) {
        for (KELI* o : {rightMenuLink_->parentItem(), rightMenuLink_->enfantItem()})
            if (o)
                viewer->userOpenItem(o, false);
    } else if (rightMenuItem_) {
        viewer->userOpenItem(rightMenuItem_, false);
    }
}

void ZEVFrontClass::findInChannelsInTableView(ZEVTableView&)
{
    dropStaleMenuLink();
    // A links row finds nothing: the pair has no one Object to look for.
    if (!rightMenuItem_ || rightMenuLink_)
        return;
    if (auto* icons = dynamic_cast<ZEVIconViewerServices*>(space_.viewerForEntityClassName("ZEVIconViewer")))
        icons->findInChannelsForItems({rightMenuItem_}, false);
}

void ZEVFrontClass::showOriginalInTableView(ZEVTableView&)
{
    dropStaleMenuLink();
    KELI* item = rightSideItem();
    ZEVItemViewer* viewer = space_.itemViewerForCurseur(space_.actifCurseur());
    if (item && viewer)
        viewer->userShowOriginalForItem(item);
}

// ---- the time actions ---------------------------------------------------------------------------

void ZEVFrontClass::releaseSelectionInTableView(ZEVTableView& table)
{
    dropStaleMenuLink();
    KELICurseur* actif = space_.actifCurseur();
    if (rightMenuLink_) {
        if (ZEVItemClass* ic = space_.itemClassForCurseur(actif))
            ic->releaseLienConnexionWithParent(rightMenuLink_->parentItem(), rightMenuLink_->enfantItem());
    } else if (ZEVItemViewer* viewer = space_.itemViewerForCurseur(actif); viewer && rightMenuItem_) {
        viewer->userReleaseIconForItem(rightMenuItem_);
    }
    redraw(table);
}

void ZEVFrontClass::forgetSelectionInTableView(ZEVTableView&)
{
    dropStaleMenuLink();
    ZEVItemViewer* viewer = space_.itemViewerForCurseur(space_.actifCurseur());
    if (!viewer)
        return;
    if (rightMenuLink_)
        viewer->userForgetLinkWithItem(rightMenuLink_->parentItem(), rightMenuLink_->enfantItem());
    else if (rightMenuItem_)
        viewer->userForgetIconForItem(rightMenuItem_);
}

void ZEVFrontClass::retainSelectionInTableView(ZEVTableView&)
{
    dropStaleMenuLink();
    ZEVItemViewer* viewer = space_.itemViewerForCurseur(space_.actifCurseur());
    if (!viewer)
        return;
    if (rightMenuLink_)
        viewer->userRetainLinkWithItem(rightMenuLink_->parentItem(), rightMenuLink_->enfantItem());
    else if (rightMenuItem_)
        viewer->userRetainIconForItem(rightMenuItem_);
}

void ZEVFrontClass::recallAtCurseur(KELICurseur* curseur)
{
    ZEVItemViewer* viewer = space_.itemViewerForCurseur(curseur);
    if (!viewer || !curseur)
        return;
    if (rightMenuLink_) {
        viewer->userRecallLinkWithItem(rightMenuLink_->parentItem(), rightMenuLink_->enfantItem());
        return;
    }
    KELI* item = rightMenuItem_;
    if (!item)
        return;
    ZEVDeskViewer* desk = space_.deskViewerForCurseur(curseur);
    // Where a view of it still stands on that desk, it comes back there.
    if (ZEVItemViewForDesks* view = desk ? desk->itemViewForItem(item) : nullptr) {
        viewer->userRecallIconForItemView(view);
        return;
    }
    // It lay on a desk once: the viewer knows where.
    if (KELServeurDeLiens::SiLienForRelNum(KELRELATION_ICON_VIEWER, item->idInt())) {
        viewer->userRecallIconForItem(item);
        return;
    }
    // Never on a desk: a new icon at the next free place, to the end of the present Space.
    ZEVDeskClass* deskClass = space_.deskClassForCurseur(curseur);
    ZEVSpaceForDeskModels* models = deskClass ? deskClass->spaceController() : nullptr;
    if (!desk || !models)
        return;
    const KELDate in = curseur->now();
    const KELDate out =
        space_.siGoToMode() ? models->spaceOutTimeForGoToTime(in, curseur) : models->spaceOutTimeForCurseur(curseur);
    const QRectF r = space_.nextIconDefaultPosition();
    desk->creerIconForItem(item, ZEVIconPosition{r.x(), r.y(), r.width(), r.height()}, in, out, 1.0f);
}

void ZEVFrontClass::recallSelectionInTableView(ZEVTableView& table)
{
    dropStaleMenuLink();
    recallAtCurseur(space_.actifCurseur());
    if (!rightMenuLink_)
        redraw(table);
}

void ZEVFrontClass::recallNowSelectionInTableView(ZEVTableView& table)
{
    dropStaleMenuLink();
    recallAtCurseur(space_.nowCurseur());
    if (!rightMenuLink_)
        redraw(table);
}

// ---- selections ---------------------------------------------------------------------------------

namespace {

struct Family {
    bool (ZEVSelections::*is)(KELI*) const;
    void (ZEVSelections::*deselect)(KELI*);
    void (ZEVSelections::*add)(KELI*);
};

} // namespace

void ZEVFrontClass::toggleSelection(int family)
{
    ZEVSelections& s = space_.selections();
    static const Family families[] = {
        {&ZEVSelections::isIconSelectedForItem, &ZEVSelections::deselectIconForItem, &ZEVSelections::multiSelectIconForItem},
        {&ZEVSelections::isTitleSelectedForItem, &ZEVSelections::deselectTitleForItem,
         &ZEVSelections::multiSelectTitleForItem},
        {&ZEVSelections::isNodeSelectedForItem, &ZEVSelections::deselectNodeForItem, &ZEVSelections::multiSelectNodeForItem},
    };
    const Family& f = families[family];
    if (rightMenuLink_) {
        KELI* p = rightMenuLink_->parentItem();
        KELI* e = rightMenuLink_->enfantItem();
        if (!p || !e)
            return;
        const bool both = (s.*f.is)(p) && (s.*f.is)(e);
        for (KELI* o : {p, e})
            (s.*(both ? f.deselect : f.add))(o);
        return;
    }
    if (KELI* item = rightMenuItem_)
        (s.*((s.*f.is)(item) ? f.deselect : f.add))(item);
}

void ZEVFrontClass::selectIconInTableView(ZEVTableView&) 
{
    dropStaleMenuLink();
    toggleSelection(0);
}

void ZEVFrontClass::selectTitleInTableView(ZEVTableView&) 
{
    dropStaleMenuLink();
    toggleSelection(1);
}

void ZEVFrontClass::selectNodeInTableView(ZEVTableView&)
{
    dropStaleMenuLink();
    if (rightMenuLink_)
        space_.selections().deselectLinkObject(rightMenuLink_);
    else
        toggleSelection(2);
}

void ZEVFrontClass::selectFilterInTableView(ZEVTableView&)
{
    dropStaleMenuLink();
    ZEVSelections& s = space_.selections();
    if (KELI* item = rightSideItem()) {
        if (s.isFilterSelectedForItem(item))
            s.deselectFilterForItem(item);
        else
            s.selectFilterForItem(item);
    }
    if (ZEVDeskViewer* desk = space_.deskViewerForCurseur(space_.actifCurseur()))
        if (desk->deskView())
            desk->deskView()->update();
}

// ---- one interval -------------------------------------------------------------------------------

void ZEVFrontClass::deleteLego(KELI* lego, ZEVTableView& table)
{
    KELICurseur* actif = space_.actifCurseur();
    if (!lego || deskmodel::siOublie(lego) || !actif)
        return;
    if (siItemList(table) && liveIconLinkCount(lego->enfantInt()) == 1) {
        // Its last interval: the Object itself goes for good.
        KELI* item = lego->enfantInt() ? KELServeurDeLiens::LienForInt(lego->enfantInt(), actif) : nullptr;
        if (!item) {
            logLine("ZEVFrontClass Error - deleteLego:inTableView:");
            return;
        }
        if (rightMenuItem_ == item)
            rightMenuItem_ = nullptr;
        space_.userDeleteItem(item);
    } else {
        KELServeurDeLiens::DegagerLien(lego, actif);
    }
    redraw(table);
}

// ---- the TimeTracking report --------------------------------------------------------------------

QStringList ZEVFrontClass::timeTrackingLines(const QString& title, KELDate periodIn, KELDate periodOut,
                                             const std::vector<Span>& links,
                                             const std::function<QString(KELDate)>& formatDate)
{
    QStringList lines;
    lines << QStringLiteral("TimeTracking for Object : %1\n").arg(title);
    lines << QStringLiteral("Period In  : %1").arg(formatDate(periodIn));
    lines << QStringLiteral("Period Out : %1\n").arg(formatDate(periodOut));
    double total = 0;
    for (const Span& l : links) {
        const KELDate in = std::max(periodIn, l.in);
        const KELDate out = std::min(periodOut, l.out);
        // An interval wholly outside the period counts nothing, never less than nothing.
        const double d = std::max(0.0, out - in);
        total += d;
        lines << QStringLiteral("%1 to %2 = %3")
                     .arg(formatDate(in), formatDate(out), ZEVSpaceController::durationStringForDuration(d));
    }
    lines << QStringLiteral("\nTotal = %1").arg(ZEVSpaceController::durationStringForDuration(total));
    return lines;
}

void ZEVFrontClass::copyDurationsInTableView(ZEVTableView&)
{
    dropStaleMenuLink();
    // A pair has no single Object to account for: the report is an Object's only.
    KELI* item = rightMenuLink_ ? nullptr : rightMenuItem_;
    KELIContexte* ctx = space_.tlContexte();
    if (!item || !ctx) {
        beep();
        return;
    }
    std::vector<Span> spans;
    for (KELI* l : iconLegosForItem(item))
        spans.push_back({l->inDate(), l->outDate()});
    const QLocale locale;
    auto format = [&locale](KELDate d) {
        const QDateTime t = QDateTime::fromMSecsSinceEpoch(qint64(unixFromDate(d) * 1000.0)).toLocalTime();
        return locale.toString(t, QLocale::ShortFormat);
    };
    // One text item holding the report's lines in order: the clipboard here carries one text.
    auto data = std::make_unique<QMimeData>();
    data->setText(timeTrackingLines(titleForItem(item), ctx->nowIn(), ctx->nowOut(), spans, format).join('\n'));
    QGuiApplication::clipboard()->clear();
    QGuiApplication::clipboard()->setMimeData(data.release());
}

} // namespace tallomer
