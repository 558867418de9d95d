// An Object view as the thing the preview window shows.

#include "objects/view/ZEVItemView.h"

#include "desk/data/ZEVItemData.h"

#include <QFileInfo>

namespace tallomer {

QString ZEVItemView::previewItemURL() const
{
    if (!item_)
        return {};
    if (itemType_ == QLatin1String("file"))
        return ZEVItemDataChannels::ItemDataOrCurrentForChannelInt(identityInt_).fileUrlForItem(item_);
    if (itemType_ == QLatin1String("zevp"))
        return ZEVItemDataChannels::ItemDataOrCurrentForChannelInt(identityInt_).zevpImageUrlForItem(item_);
    if (itemType_ == QLatin1String("http")) {
        // A downloaded file shows as itself; a page, or nothing downloaded, as the link: its
        // title and address, read from the link's own file.
        ZEVItemData& data = ZEVItemDataChannels::ItemDataOrCurrentForChannelInt(identityInt_);
        const QString path = data.fileUrlForItem(item_);
        const QString ext = QFileInfo(path).suffix().toLower();
        if (!path.isEmpty() && ext != QLatin1String("html") && ext != QLatin1String("htm"))
            return path;
        return data.files().previewWeblocForItem(item_);
    }
    // No program here opens a mail message by its id: the message kept whole stands for it.
    if (itemType_ == QLatin1String("message"))
        return ZEVItemDataChannels::ItemDataOrCurrentForChannelInt(identityInt_).messageFileForItem(item_);
    // A contact has no file of its own: the preview shows its picture and name.
    return {};
}

QImage ZEVItemView::previewItemTransitionImage() const { return imageView_ ? imageView_->image() : QImage(); }

} // namespace tallomer
