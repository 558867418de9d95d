// An Object view as the thing the preview window shows.

#include "objects/view/ZEVItemView.h"

#include "desk/data/ZEVItemData.h"

#include <QFileInfo>

namespace tallomer {

namespace {

ZEVItemData& dataForChannel(KELId channel)
{
    if (ZEVItemData* d = channel ? ZEVItemDataChannels::ItemDataForChannelInt(channel) : nullptr)
        return *d;
    return ZEVItemData::Current();
}

} // namespace

QString ZEVItemView::previewItemURL() const
{
    if (!item_)
        return {};
    if (itemType_ == QLatin1String("file"))
        return dataForChannel(identityInt_).fileUrlForItem(item_);
    if (itemType_ == QLatin1String("zevp"))
        return dataForChannel(identityInt_).zevpImageUrlForItem(item_);
    if (itemType_ == QLatin1String("http")) {
        // A downloaded file shows as itself; a page is left to the browser.
        const QString path = dataForChannel(identityInt_).fileUrlForItem(item_);
        const QString ext = QFileInfo(path).suffix().toLower();
        return ext == QLatin1String("html") || ext == QLatin1String("htm") ? QString() : path;
    }
    // Messages and contacts have no file of their own: the preview shows their picture and title.
    return {};
}

QImage ZEVItemView::previewItemTransitionImage() const { return imageView_ ? imageView_->image() : QImage(); }

} // namespace tallomer
