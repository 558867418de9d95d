#pragma once
// The Images inspector's model: the rows core on relation 1000167 (a Channel's identity to an image
// Object), each image's colour (relation 1000257, image to colour Object) followed at the Now and
// Search cursors, and one render cache of its own per image ever listed, whose thumbnail is asked
// for only while the image's row is on screen. It carries the Images commands, the deletion of
// images that serve as a Channel's background, and the row and interval menus.

#include "inspectors/core/ZEVEngineRouter.h"
#include "inspectors/core/ZEVInspectDrag.h"
#include "inspectors/core/ZEVInspectMenus.h"
#include "inspectors/core/ZEVPresenceCommands.h"
#include "inspectors/core/ZEVRowsClass.h"
#include "inspectors/images/ZEVBackTableView.h"
#include "inspectors/services/ZEVChangeWalker.h"
#include "platform/UserDefaults.h"
#include "space/ZEVBackObject.h"

#include <QColor>
#include <QString>

#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <optional>
#include <vector>

class QWidget;

namespace tallomer {

class ZEVBackViewer;

class ZEVBackClass final : public ZEVRowsClass, public ZEVBackTableViewDelegate {
public:
    static constexpr const char* kGotoRecallKey = "ZEVGotoRecallImageChanges";
    static constexpr const char* kGotoReleaseKey = "ZEVGotoReleaseImageChanges";
    static constexpr const char* kGotoTitleKey = "ZEVGotoTitleImageChanges";
    // The column of the picture, title and colour swatch.
    static constexpr int kImageColumn = 4;
    // Rows leave the table by a drag only from the picture's side of that column.
    static constexpr double kDragOutMaxX = 190.0;
    static ZEVInspectNouns nouns()
    {
        return {QStringLiteral("Image"), QStringLiteral("Images"), QStringLiteral("Image Object"),
                QStringLiteral("Image Objects"), QStringLiteral("zevImages"), false};
    }

    // `viewer` may be null (a model on its own, in tests). Reads the three defaults, writing
    // those missing, and observes them.
    ZEVBackClass(ZEVBackViewer* viewer, ZEVSpaceController& space);
    ~ZEVBackClass() override;

    // The rows core's registrations, and the colour relation on the Now and Search cursors.
    void enclencherMaj();
    void referencerBackTableView(ZEVBackTableView* table);

    KELDate previousDate() override;
    KELDate nextDate() override;

    // ---- images and their caches ----
    // The image's own render cache, made on first need for a listed image and kept for the
    // model's life; nullptr for none.
    ZEVBackObject* backObjectForItem(KELI* item);
    ZEVBackObject* backObjectForRow(int row);
    // Without making one.
    ZEVBackObject* existingBackObjectForItem(KELI* item) const;
    std::size_t backObjectCount() const { return backObjects_.size(); }
    // The images whose thumbnails are followed: those of the visible rows.
    const std::vector<KELI*>& observedVisibleItems() const { return observed_; }
    // Whether the image's thumbnail could not be made from its file as it is.
    bool siThumbnailFailed(KELI* item) const;
    KELI* selectedItem() const;
    int rowOfItem(KELI* item) const;

    // ---- colour ----
    // The colour Object of the image's first colour link at the active cursor; nullptr for none.
    KELI* colorItemForImageItem(KELI* item);
    // Its colour; the default colour when it has none.
    QColor colorForImageItem(KELI* item);
    // Changes the image's colour from the active cursor's moment to its next scheduled change.
    void _updateImageItem(KELI* item, KELI* colorItem);
    // The presence of an image imported at `date`, at the active cursor, with the default colour
    // for all time when the image has no colour yet; the presence link, nullptr when none.
    KELI* creerLienBackViewerForItem(KELI* item, KELDate date);

    // ---- commands ----
    void releaseBacksForItems(const std::vector<KELI*>& items) { presence_.release(items); }
    void forgetBacksForItems(const std::vector<KELI*>& items) { presence_.forget(items); }
    void retainBacksForItems(const std::vector<KELI*>& items) { presence_.retain(items); }
    void recallNowBacksForItems(const std::vector<KELI*>& items) { presence_.recallNow(items); }
    // A copy made for the current Channel takes its source's colour before its presence.
    void recallBacksForItems(const std::vector<KELI*>& items);
    // Deletes image Objects: a Channel background they are is rewritten to the grey wallpaper
    // (after the user said Yes), their Images presences go for all time, and an Object nothing
    // else holds is erased.
    void deleteBacks(const std::vector<KELI*>& items);
    // The grey wallpaper Object of the Channel, found in its store or made there for the store
    // folder's wallpaper file; nullptr when there is no such file.
    KELI* greyWallpaperForChannel(KELId channelInt);
    // The add panel's start folder: the image's folder when there is one, else the Pictures
    // folder, else home.
    QString openPanelFolderUrlWithItem(KELI* item);
    KELI* rightItem() const;
    ZEVPresenceCommands& presence() { return presence_; }
    ZEVInspectMenus& menus() { return *menus_; }
    // Drops, rows out and the clipboard of the panel's table.
    ZEVInspectDrag& drag() { return *drag_; }

    // ---- the table ----
    QVariant objectValue(ZEVTableView& table, const QString& columnId, int row, int role) override;
    void tableViewSelectionDidChange(ZEVTableView& table) override;
    void tvFrontModeDidChange() override { releaseAllFoundedItems(); }
    void deleteLego(KELI* lego, ZEVTableView& table) override;
    void openSelectionInTableView(ZEVTableView& table) override;
    void releaseSelectionInTableView(ZEVTableView& table) override;
    void recallNowSelectionInTableView(ZEVTableView& table) override;
    void recallSelectionInTableView(ZEVTableView& table) override;
    void forgetSelectionInTableView(ZEVTableView& table) override;
    void retainSelectionInTableView(ZEVTableView& table) override;
    QMenu* updateRowMenu(QMenu* menu, ZEVTableView& table, const ZEVTableElement& item) override;
    QMenu* updateLegoMenu(QMenu* menu, ZEVTableView& table, KELI* lego) override;

    // ---- ZEVBackTableViewDelegate ----
    void changedVisibleRows(ZEVBackTableView& table, ZEVRowRange from, ZEVRowRange to) override;
    QWidget* viewForRow(ZEVBackTableView& table, int row) override;
    void setObjectValue(ZEVBackTableView& table, const QVariant& value, int column, KELI* rowItem,
                        const QString& property) override;
    bool siDragOutAt(ZEVBackTableView& table, const QPoint& viewportPoint) const override;
    // The swatch colour and name of a row, as its cell shows them.
    ZEVBackSwatch swatchForRow(ZEVBackTableView& table, int row) override;
    QImage thumbnailForRow(ZEVBackTableView& table, int row) override;

    bool siRecallChanges() const { return siRecallChanges_; }
    bool siReleaseChanges() const { return siReleaseChanges_; }
    bool siTitleChanges() const { return siTitleChanges_; }

private:
    ZEVChangeWalk walk(std::unordered_set<KELId>& cibles) const;
    // A colour link crossed the Now or the Search cursor.
    void croisementCouleur(KELI* lien, KELICc* curseur, bool activation);
    // A thumbnail came (or could not be made): its one cell, and the preview when its row is the
    // selected one.
    void _reloadRowForBackObject(ZEVBackObject* object, bool failed);
    void stopObserving();
    KELICurseur* actif() const;
    // A Channel background link of an image and what takes its place: its Channel's grey wallpaper.
    struct Reecriture {
        KELI* lien;
        KELI* parent;
        KELI* grey;
    };
    // The rewrite of an image's Channel background links, planned before the act that makes it (a
    // Channel without a grey wallpaper Object gets one, with its record, on its own); nullopt,
    // with a beep, when one has none to get. `ok` turns false for a link that does not load.
    std::optional<std::vector<Reecriture>> planFonds(const std::vector<KELId>& liens, bool& ok);
    // Within the act: each link ended and its grey wallpaper's made over the same dates; the new
    // links go to `gris`. False for a link without a Channel.
    bool reecrire(const std::vector<Reecriture>& plan, std::vector<KELI*>& gris);

    ZEVBackViewer* viewer_; // not owned: the owner
    UserDefaultsController& defaults_;
    std::vector<DefaultsToken> tokens_;
    bool siRecallChanges_ = true;
    bool siReleaseChanges_ = true;
    bool siTitleChanges_ = false;
    ZEVPresenceCommands presence_;
    std::unique_ptr<ZEVInspectMenus> menus_;
    ZEVEngineRouter couleurs_;
    KELIElemRelation* imageColorRelation_ = nullptr; // links live for the run
    ZEVBackTableView* backTable_ = nullptr;           // not owned; the panel's
    // Shared: a rendering under way keeps its cache until it is handed back.
    std::unordered_map<KELI*, std::shared_ptr<ZEVBackObject>> backObjects_;
    std::vector<KELI*> observed_;
    std::unordered_set<KELI*> failed_;
    KELId rightMenuId_ = 0;
    std::unique_ptr<ZEVInspectDrag> drag_;
};

} // namespace tallomer
