#pragma once
// The desks of the Now and Search cursors over an Object data store of their own, for what lands
// on a desk: the store's folders in a temporary folder, the store's questions answered from the
// link base at the Now cursor, and the front layer as a recording stand-in.

#include "tests/support/NullFrontViewer.h"
#include "desk/data/ZEVItemData.h"
#include "desk/pasteboard/ZEVPasteboard.h"
#include "desk/view/ZEVDeskView.h"
#include "desk/viewer/ZEVDeskDownloads.h"
#include "desk/viewer/ZEVDeskDrop.h"
#include "platform/AppId.h"
#include "platform/files/RecordFile.h"
#include "platform/pasteboard/BoundedImage.h"
#include "tests/desk/DeskFixture.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QMimeData>

namespace desktest {

class RecordingFront final : public tallomer::test::NullFrontViewer {
public:
    int frontMode() override { return mode; }
    void openTlineAndTracks(bool open) override { tline += open ? 1 : 0; }
    std::int32_t mode = ZEVFrontModeIcons;
    int tline = 0;
};

// What the store asks of the Space, answered from the first desk's models.
class DropDataSpace final : public test::NullSpaceForItemData {
public:
    KELICurseur* actifCurseur() override { return actif; }
    std::string itemTypeForItem(KELI* item) override { return items ? items->itemTypeForItem(item).value_or("") : ""; }
    KELI* itemForId(KELId id) override { return KELServeurDeLiens::LienForInt(id, actif); }
    bool startDownload(const QUrl& url, KELI* item, const QString& folder) override
    {
        downloads.emplace_back(url, item);
        return !downloadDesk || downloadDesk->downloads().startDownload(url, item, folder);
    }

    // The address book: the desks' people (their titles by unique id).
    std::optional<ZEVPersonDates> personWithUid(const QString& uid) override
    {
        return people && people->contains(uid) ? std::optional<ZEVPersonDates>(ZEVPersonDates{}) : std::nullopt;
    }

    KELICurseur* actif = nullptr;
    ZEVItemClass* items = nullptr;
    const QMap<QString, QString>* people = nullptr;
    std::vector<std::pair<QUrl, KELI*>> downloads;
    // Downloads really run for this desk, as the Space's own answer does; none: only recorded.
    ZEVDeskViewer* downloadDesk = nullptr;
};

class DropBase : public DeskViewerBase {
protected:
    void SetUp() override
    {
        DeskViewerBase::SetUp();
        root = QString::fromStdString(test::makeTempDir("drop"));
        folders.zevDir = root + "/store";
        folders.zevData = folders.zevDir + "/local/zevData";
        folders.zevDrop = folders.zevDir + "/local/zevDrop";
        folders.zevFolder = root + "/Tallomer";
        folders.trash = root + "/Trash";
        for (const QString& f : {folders.zevData, folders.zevDrop, folders.zevFolder})
            QDir().mkpath(f);
        ZEVItemDataChannels::Reset();
        ZEVItemDataChannels::SetFolders(folders);
        ZEVItemDataChannels::SetVolumeMap(VolumeMap({QStringLiteral("/")}, QDir::homePath()));
        ZEVItemDataChannels::ReferencerSpaceController(&data);
        ASSERT_TRUE(ZEVItemDataChannels::CreateItemDataForChannelInt(KELOBJECT_HOME_CHANNEL));
        ZEVItemDataChannels::SetCurrentChannelInt(KELOBJECT_HOME_CHANNEL);
        ZEVPasteboard::Reset();
        space.front = &front;
        d = makeDesk(now, 1920, 1200);
        data.actif = now;
        data.items = itemClasses.front().get();
        data.people = &space.people;
    }

    void TearDown() override
    {
        ZEVPasteboard::Reset();
        ZEVItemDataChannels::Reset();
        QDir(root).removeRecursively();
        DeskViewerBase::TearDown();
    }

    ZEVItemData& store() { return ZEVItemData::Current(); }

    QString writeFile(const QString& name, const QByteArray& bytes = "content")
    {
        const QString path = root + "/files/" + name;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        return path;
    }

    // Drops the data at a point of a desk as the desk view does: the pasteboard read under a new
    // number, then the drop.
    bool drop(const QMimeData& mime, QPointF at = QPointF(500, 500), ZEVDeskViewer* on = nullptr)
    {
        ZEVDeskViewer* desk = on ? on : d;
        const long n = ZEVDeskView::nextDragSequenceNumber();
        desk->dragOperationForDraggingInfo(&mime, n);
        const bool handled = desk->userPerformDragWithInfo(&mime, at, n);
        sched.advance(0.1);
        return handled;
    }

    // "type:title" of each Object with a view on the desk, sorted.
    std::vector<std::string> shown(ZEVDeskViewer* desk = nullptr)
    {
        std::vector<std::string> out;
        for (ZEVItemViewForDesks* v : (desk ? desk : d)->itemViewSet())
            out.push_back(itemClasses.front()->itemTypeForItem(v->item()).value_or("?") + ":"
                          + desks.front()->itemTitleCurseurForItem(v->item()).value_or("?"));
        std::sort(out.begin(), out.end());
        return out;
    }

    KELI* viewed(const std::string& title)
    {
        for (ZEVItemViewForDesks* v : d->itemViewSet())
            if (desks.front()->itemTitleCurseurForItem(v->item()).value_or("") == title)
                return v->item();
        return nullptr;
    }

    static QByteArray pngBytes(QColor c = Qt::green)
    {
        QImage image(6, 4, QImage::Format_ARGB32);
        image.fill(c);
        return pngData(image);
    }

    QString root;
    ZEVItemDataFolders folders;
    DropDataSpace data;
    RecordingFront front;
    ZEVDeskViewer* d = nullptr;
};

} // namespace desktest
