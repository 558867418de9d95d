#pragma once
// What the Object data store asks of the space controller and its neighbours (desk model, item
// model, desk viewer, address book, pasteboard reader).

#include "desk/model/ZEVItemOptions.h"
#include "engine/KELTypes.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <optional>
#include <string>

class KELI;
class KELICurseur;

namespace tallomer {

// A contact's dates, as the address book keeps them.
struct ZEVPersonDates {
    std::optional<KELDate> created;
    std::optional<KELDate> modified;
};

// The Space answers what it keeps; until the Space exists (start-up) the store answers "unknown"
// itself and never deletes a file on such an answer.
class ZEVSpaceForItemData {
public:
    virtual ~ZEVSpaceForItemData() = default;

    virtual KELICurseur* actifCurseur() = 0;
    // 3 created, 4 modified, 5 last used.
    virtual int goToTag() = 0;

    // The Object's type and title words at the active cursor; empty when unknown.
    virtual std::string itemTypeForItem(KELI* item) = 0;
    virtual std::string itemTitleForItem(KELI* item) = 0;
    // Wakes an Object for the active cursor.
    virtual KELI* itemForId(KELId id) = 0;
    // The item model's factory, the Object made together with its record: writeOutside is handed
    // the new Object and answers whether its record was written; when not, the Object is taken
    // back. nullptr when the Object or its record could not be made.
    virtual KELI* creerItem(KELId channel, const std::string& title, const std::string& type, const std::string& icon,
                            ZEVItemOption options, const std::function<bool(KELI* item)>& writeOutside) = 0;

    // A web download of url into folder (the Object's own folder) for item, whose desk viewer
    // keeps the Object and its views up to date; false when none was started (the caller then
    // takes the Object out of the loading set).
    virtual bool startDownload(const QUrl& url, KELI* item, const QString& folder) = 0;
    // The options a new file Object gets for the file at path (the pasteboard reader's).
    virtual ZEVItemOption itemOptionsForFile(const QString& path) = 0;
    // The address book: the person's dates, absent when the person is gone.
    virtual std::optional<ZEVPersonDates> personWithUid(const QString& uid) = 0;
};

// The answers before the Space exists: nothing can be told about an Object, so every answer is
// "unknown" (and the store never deletes a file on such an answer).
class ZEVUnknownSpaceForItemData : public ZEVSpaceForItemData {
public:
    KELICurseur* actifCurseur() override { return nullptr; }
    int goToTag() override { return 0; }
    std::string itemTypeForItem(KELI*) override { return {}; }
    std::string itemTitleForItem(KELI*) override { return {}; }
    KELI* itemForId(KELId) override { return nullptr; }
    KELI* creerItem(KELId, const std::string&, const std::string&, const std::string&, ZEVItemOption,
                    const std::function<bool(KELI*)>&) override
    {
        return nullptr;
    }
    // Nothing is downloaded before there is a desk to show it.
    bool startDownload(const QUrl&, KELI*, const QString&) override { return false; }
    ZEVItemOption itemOptionsForFile(const QString&) override { return 0; }
    std::optional<ZEVPersonDates> personWithUid(const QString&) override { return std::nullopt; }
};

} // namespace tallomer
