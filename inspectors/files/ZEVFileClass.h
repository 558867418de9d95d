#pragma once
// The Files inspector's model: the rows core on relation 1000157 (a Channel's identity to a file
// Object), with the go-to walk of the Files changes under its three user defaults.

#include "inspectors/core/ZEVGotoChanges.h"
#include "inspectors/core/ZEVInspectDrag.h"
#include "inspectors/core/ZEVInspectMenus.h"
#include "inspectors/core/ZEVPresenceCommands.h"
#include "inspectors/core/ZEVRowsClass.h"
#include "inspectors/files/ZEVFileDownloads.h"
#include "inspectors/services/ZEVChangeWalker.h"
#include "platform/UserDefaults.h"

#include <QString>

#include <memory>
#include <vector>

namespace tallomer {

class ZEVFileViewer;

class ZEVFileClass final : public ZEVRowsClass {
public:
    static constexpr const char* kGotoRecallKey = "ZEVGotoRecallFileChanges";
    static constexpr const char* kGotoReleaseKey = "ZEVGotoReleaseFileChanges";
    static constexpr const char* kGotoTitleKey = "ZEVGotoTitleFileChanges";
    // The Files' words; Duplicate is not offered for them.
    static ZEVInspectNouns nouns()
    {
        return {QStringLiteral("File"), QStringLiteral("Files"), QStringLiteral("File Object"),
                QStringLiteral("File Objects"), QStringLiteral("zevFiles"), false};
    }

    // `viewer` may be null (a model on its own, in tests). Reads the three defaults, writing
    // those missing, and observes them.
    ZEVFileClass(ZEVFileViewer* viewer, ZEVSpaceController& space);
    ~ZEVFileClass() override;

    // The previous or next change of the found and selected Objects (of any listed one when none
    // is), from the active cursor: 0.7 s before it, 0.05 s after it; 0 when none.
    KELDate previousDate() override;
    KELDate nextDate() override;
    // Makes the presence of an Object imported at `date` on the Space's Channel, at the active
    // cursor; answers the link, nullptr when none could be made.
    KELI* creerLienFileViewerForItem(KELI* item, KELDate date);

    // The Files commands on Objects: their presence on the current Channel at the active cursor.
    void releaseFilesForItems(const std::vector<KELI*>& items);
    void recallFilesForItems(const std::vector<KELI*>& items);
    void recallNowFilesForItems(const std::vector<KELI*>& items);
    void retainFilesForItems(const std::vector<KELI*>& items);
    void forgetFilesForItems(const std::vector<KELI*>& items);
    // Removes the Objects as the Object menu's Remove does: their presence step, the holder test,
    // then the erase of an Object nothing holds.
    void deleteFiles(const std::vector<KELI*>& items);
    // The one lego goes; an Object's last lego takes the Object with it.
    void deleteLego(KELI* lego, ZEVTableView& table) override;
    // The add panel's start folder for the Object (the mode's Objects when null): the folder of
    // its file when it is the only one and its file is at hand, else the Documents folder, else
    // the home folder.
    QString openPanelFolderUrlWithItem(KELI* item);
    // The folder a path designates, asking the file system: a folder itself, a file its parent;
    // empty for a path that does not exist.
    static QString folderForPath(const QString& path);
    // The finds by holder, their operation from the modifiers held, then a step of the history.
    void findHeldWithModifiers(int holder, Qt::KeyboardModifiers mods);
    enum Holder { HeldByZev = 0, HeldBySystem = 1, HeldExternally = 2 };
    // The Files panel cannot duplicate: none is offered.
    std::optional<std::vector<KELI*>> duplicateToItemsForFrontMode() override { return std::vector<KELI*>(); }
    // The Object whose row menu was prepared last, found again: nullptr once it is gone.
    KELI* rightItem() const;
    ZEVPresenceCommands& presence() { return presence_; }
    ZEVInspectMenus& menus() { return *menus_; }
    // Drops, rows out and the clipboard of the panel's table; the web downloads its imports start.
    ZEVInspectDrag& drag() { return *drag_; }
    ZEVFileDownloads& downloads() { return downloads_; }

    // ---- the row commands, on the Object of the row menu ----
    void openSelectionInTableView(ZEVTableView& table) override;
    void showOriginalInTableView(ZEVTableView& table) override;
    void moveToInTableView(ZEVTableView& table) override;
    void moveToSpaceInTableView(ZEVTableView& table) override;
    void copyToInTableView(ZEVTableView& table) override;
    void copyToSpaceInTableView(ZEVTableView& table) override;
    void releaseSelectionInTableView(ZEVTableView& table) override;
    void recallNowSelectionInTableView(ZEVTableView& table) override;
    void recallSelectionInTableView(ZEVTableView& table) override;
    void forgetSelectionInTableView(ZEVTableView& table) override;
    void retainSelectionInTableView(ZEVTableView& table) override;
    QMenu* updateRowMenu(QMenu* menu, ZEVTableView& table, const ZEVTableElement& item) override;
    QMenu* updateLegoMenu(QMenu* menu, ZEVTableView& table, KELI* lego) override;

    bool siRecallChanges() const { return goto_.siRecallChanges(); }
    bool siReleaseChanges() const { return goto_.siReleaseChanges(); }
    bool siTitleChanges() const { return goto_.siTitleChanges(); }

private:
    ZEVFileViewer* viewer_; // not owned: the owner
    ZEVGotoChanges goto_;
    ZEVPresenceCommands presence_;
    std::unique_ptr<ZEVInspectMenus> menus_;
    ZEVFileDownloads downloads_;
    std::unique_ptr<ZEVInspectDrag> drag_;
    KELId rightMenuId_ = 0;
};

} // namespace tallomer
