// The images of the edit items of every menu that carries Recall, Retain, Release and Forget.

#include "front/ZEVFrontViewer.h"

#include "front/ZEVEditMenuTags.h"

#include "look/KELSharedResources.h"
#include "space/ZEVSpaceController.h"

#include <QAction>
#include <QIcon>
#include <QMenu>

namespace tallomer {

namespace {

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
    if (QAction* a = menuItemWithTag(menu, tag))
        setEditImage(a, r, a->isEnabled() ? set : "Black", tag);
}

void blacken(const KELSharedResources& r, QMenu* menu, long tag)
{
    if (QAction* a = menuItemWithTag(menu, tag)) {
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
        // Recall Now stays offered away from Now, and always recalls at the Now cursor: its
        // picture is the Now one, black only while there is nothing to recall.
        lit(r, menu, kTagRecallNow, "Now");
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
        if (QAction* a = menuItemWithTag(menu, kTagRecallNow))
            setEditImage(a, r, "Now", kTagRecallNow);
}

} // namespace tallomer
