#include "inspectors/core/ZEVRowMenuParts.h"

#include "look/KELSharedResources.h"
#include "desk/model/ZEVItemOptions.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "objects/viewer/ZEVItemViewerHost.h"
#include "platform/MenuText.h"
#include "platform/thumbs/Thumbnails.h"

#include <QAction>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QWidgetAction>

namespace tallomer {

QAction* ZEVMenuItemWithTag(QMenu* menu, long tag)
{
    if (!menu)
        return nullptr;
    // The menu's own items before its submenus': a tag on both levels finds the outer item.
    const QList<QAction*> actions = menu->actions();
    for (QAction* a : actions)
        if (!a->isSeparator() && a->property("tag").toLongLong() == tag)
            return a;
    for (QAction* a : actions)
        if (QAction* found = ZEVMenuItemWithTag(a->menu(), tag))
            return found;
    return nullptr;
}

QAction* ZEVAddMenuHeader(QMenu* m, long tag)
{
    // The action keeps the text and icon, which the widget shows.
    auto* header = new QWidgetAction(m);
    header->setProperty("tag", qlonglong(tag));
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(8, 4, 8, 4);
    auto* image = new QLabel(row);
    image->setObjectName(QStringLiteral("headerImage"));
    image->setFixedSize(kRowMenuHeaderImageSize, kRowMenuHeaderImageSize);
    image->setAlignment(Qt::AlignCenter);
    auto* title = new QLabel(row);
    title->setObjectName(QStringLiteral("headerTitle"));
    layout->addWidget(image);
    layout->addWidget(title, 1);
    header->setDefaultWidget(row);
    QObject::connect(header, &QAction::changed, row, [header, image, title] {
        title->setText(shownMenuText(header->text()));
        image->setPixmap(header->icon().pixmap(QSize(kRowMenuHeaderImageSize, kRowMenuHeaderImageSize)));
    });
    m->addAction(header);
    return header;
}

const QPixmap& ZEVHolderImage(std::uint64_t o, const KELSharedResources& r)
{
    return o & ZEVOPTION_HOLD_BY_ZEV          ? r.holdByZevImage()
           : o & ZEVOPTION_HOLD_BY_ZEV_FOLDER ? r.holdByZevFolderImage()
           : o & ZEVOPTION_HOLD_BY_EXTERN     ? r.holdByExternImage()
                                              : r.holdByMacImage();
}

void ZEVRequestHeaderThumbnail(QAction* header, const QString& path, std::function<bool()> stillFor)
{
    thumbs::ThumbnailPool* pool = thumbs::ThumbnailPool::shared();
    if (!pool || !header || path.isEmpty())
        return;
    QPointer<QAction> target = header;
    pool->request({thumbs::Request::Kind::File, path, double(kRowMenuHeaderImageSize), {}},
                  [target, stillFor = std::move(stillFor)](thumbs::Result r) {
                      if (!target || r.image.isNull() || (stillFor && !stillFor()))
                          return;
                      const QSizeF s = thumbs::fittedSize(r.image.size(), kRowMenuHeaderImageSize);
                      if (s.isEmpty())
                          return;
                      target->setIcon(QIcon(QPixmap::fromImage(
                          r.image.scaled(s.toSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation))));
                  });
}

void ZEVFillRowOpenWith(QMenu* rowMenu, KELI* item)
{
    QAction* ow = rowMenu ? ZEVMenuItemWithTag(rowMenu, ZEVRowTagOpenWith) : nullptr;
    if (!ow || !ow->menu())
        return;
    ow->menu()->clear();
    if (ZEVItemViewerHost* host = ZEVItemViewer::Host(); host && item)
        host->fillOpenWithForItems(ow->menu(), {item});
    ow->setEnabled(!ow->menu()->isEmpty());
}

} // namespace tallomer
