#pragma once
// A fresh store layout in a temporary folder, Objects as bare links with fixed ids, and a space
// controller stand-in that answers types, titles and wakes from tables and records downloads.

#include "desk/data/ZEVItemData.h"
#include "engine/KELLien.h"
#include "engine/runtime/Log.h"
#include "platform/files/RecordFile.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tallomer::test {

class FakeSpace : public ZEVItemDataSpace {
public:
    std::map<KELId, std::string> types;
    std::map<KELId, std::string> titles;
    std::map<KELId, std::unique_ptr<KELI>> objects;
    std::vector<std::pair<QUrl, KELId>> downloads;
    std::map<QString, ZEVPersonDates> people;
    int tag = 0;
    KELId nextId = 500000000;

    KELI* make(KELId id, KELId channel, const std::string& type)
    {
        auto item = std::make_unique<KELI>();
        item->assignerIdInt(id);
        item->setChannelInt(channel);
        types[id] = type;
        titles[id] = "title " + std::to_string(id);
        KELI* raw = item.get();
        objects[id] = std::move(item);
        return raw;
    }

    int goToTag() override { return tag; }
    std::string itemTypeForItem(KELI* item) override { return types[item->idInt()]; }
    std::string itemTitleForItem(KELI* item) override { return titles[item->idInt()]; }
    KELI* itemForId(KELId id) override
    {
        const auto it = objects.find(id);
        return it == objects.end() ? nullptr : it->second.get();
    }
    KELI* creerItem(KELId channel, const std::string& title, const std::string& type,
                    const std::string& icon, ZEVItemOption options) override
    {
        KELI* item = make(nextId++, channel, type);
        titles[item->idInt()] = title;
        item->assignerBaseInt(options);
        return item;
    }
    void startDownload(const QUrl& url, KELI* item, const QString& folder) override
    {
        downloads.emplace_back(url, item->idInt());
    }
    std::optional<ZEVPersonDates> personWithUid(const QString& uid) override
    {
        const auto it = people.find(uid);
        if (it == people.end())
            return std::nullopt;
        return it->second;
    }
};

class ItemDataTest : public ::testing::Test {
protected:
    static constexpr KELId kHome = 2000018;
    static constexpr KELId kOther = 2000100;

    void SetUp() override
    {
        root = QString::fromStdString(makeTempDir("itemdata"));
        folders.zevDir = root + "/store";
        folders.zevData = folders.zevDir + "/local/zevData";
        folders.zevDrop = folders.zevDir + "/local/zevDrop";
        folders.zevFolder = root + "/Tallomer";
        folders.trash = root + "/Trash";
        QDir().mkpath(folders.zevData);
        QDir().mkpath(folders.zevDrop);
        QDir().mkpath(folders.zevFolder);
        ZEVItemData::Reset();
        ZEVItemData::SetFolders(folders);
        ZEVItemData::SetVolumeMap(VolumeMap({QStringLiteral("/")}, QDir::homePath()));
        ZEVItemData::ReferencerSpaceController(&space);
        ZEVItemData::setStoreErrorHook([this](const QString& m) { storeErrors << m; });
    }

    void TearDown() override
    {
        ZEVItemData::setStoreErrorHook({});
        ZEVItemData::Reset();
        // Later tests' searches for lost files walk the test home: leave nothing behind.
        QDir(root).removeRecursively();
    }

    ZEVItemData& store(KELId channel = kHome)
    {
        if (!ZEVItemData::ItemDataForChannelInt(channel)) {
            EXPECT_TRUE(ZEVItemData::CreateItemDataForChannelInt(channel));
        }
        return *ZEVItemData::ItemDataForChannelInt(channel);
    }

    // Forgets the stores and loads them again from disk, as at the next start.
    int restart()
    {
        ZEVItemData::Reset();
        ZEVItemData::SetFolders(folders);
        ZEVItemData::SetVolumeMap(VolumeMap({QStringLiteral("/")}, QDir::homePath()));
        ZEVItemData::ReferencerSpaceController(&space);
        const double expected = ZEVItemData::PrepareDicosForURL(folders.zevData);
        int increments = 0;
        ZEVItemData::InitializeDicos([&] { ++increments; });
        EXPECT_EQ(double(increments), expected);
        return increments;
    }

    QString writeFile(const QString& path, const QByteArray& bytes = "content")
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return QFileInfo(path).absoluteFilePath();
    }

    QCborMap record(KELId item, const QString& kind, KELId channel = kHome)
    {
        const RecordRead read = readRecordFile(store(channel).recordPath(item, kind));
        EXPECT_TRUE(read) << read.error.toStdString();
        return read ? *read.fields : QCborMap();
    }

    QString root;
    ZEVItemDataFolders folders;
    FakeSpace space;
    QStringList storeErrors;
};

} // namespace tallomer::test
