#include "desk/data/ZEVItemFileType.h"

#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "engine/KELLien.h"
#include "platform/thumbs/Thumbnails.h"

namespace tallomer {

QString iconTypeForItem(KELI* item, const QString& itemType, const QString& iconWord)
{
    if (!item || itemType != QLatin1String("file"))
        return iconWord;
    // The recorded place, not the file looked for: rows ask at every paint, and a lost file is
    // searched for by the desk, which repairs the record.
    ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(item->channelInt());
    const QString path = store ? store->recordedFilePathForItem(item) : QString();
    const QString type = path.isEmpty() ? QString() : thumbs::typeOfFile(path);
    return type.isEmpty() ? iconWord : type;
}

} // namespace tallomer
