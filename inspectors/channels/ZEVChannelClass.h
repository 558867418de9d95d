#pragma once
// The Channels inspector's model. Its rows are the Channels with a listing link (root to Channel)
// in the span the timeline shows, one count per link, plus one count for the selected Channel,
// in ascending id order. It keeps the selected Channel and makes it the Space's current one,
// names Channels, finds a Channel's background at any moment, hands the Channel list's time strip
// its 48 x 30 pictures, recalls and releases a Channel's listing, finds Channels and Spaces by
// typed text and fills the row menu. Every change of the rows reaches the table's Qt model at once.

#include "engine/KELTypes.h"
#include "inspectors/base/ZEVInspectClass.h"
#include "inspectors/core/ZEVEngineRouter.h"
#include "inspectors/core/ZEVRowList.h"
#include "services/ZEVInspectorServices.h"
#include "inspectors/table/ZEVTableProtocols.h"

#include <QImage>
#include <QPointF>

#include <optional>
#include <set>
#include <utility>
#include <string>
#include <vector>

class KELICurseur;
class KELIContexte;
class KELIElemRelation;

namespace tallomer {

class ZEVBackObject;
class ZEVTableView;

// What the model tells its controller (a model on its own has none).
class ZEVChannelClassOwner {
public:
    virtual ~ZEVChannelClassOwner() = default;
    // The rows changed.
    virtual void moteurChangeChannel() = 0;
    // The table's selection moved down or up to that Channel.
    virtual void selectionDown(KELId channelInt) = 0;
    virtual void selectionUp(KELId channelInt) = 0;
    virtual void searchingDidFinish() = 0;
    // The row menu asked to rename the selected Channel.
    virtual void userChannelRename() = 0;
};

// The picture of a slot of the time strip: the image (null for none), its origin in the 48 x 30
// box, and the colour item id (0 for none).
struct ZEVChannelVignette {
    QImage image;
    QPointF point;
    KELId colorInt = 0;
};

class ZEVChannelClass final : public ZEVInspectClass, public ZEVTableViewClass, public ZEVChannelClassServices {
public:
    // `owner` may be null (a model on its own, in tests); neither is owned, both outlive the model.
    ZEVChannelClass(ZEVChannelClassOwner* owner, ZEVSpaceController& space);
    ~ZEVChannelClass() override;

    // Fills the rows from the timeline context; the Space's current Channel is the selected one.
    void initialiser();
    // Listens to the timeline context for the listing and the three background relations; the
    // destructor stops.
    void enclencherMaj();
    void referencerInspectTableView(ZEVTableView* table);
    ZEVTableView* inspectTableView() const { return table_; }
    // The table is there: the selected Channel's row is selected, nobody told.
    void initSelectedChannel();
    void actifCurseurDidChangeForCurseur(KELICurseur* curseur) override;
    // The Space switched Channels by other means: the selection follows, nobody told.
    void channelDidChangeWithIdentityInt(KELId identityInt) override;

    // ---- ZEVChannelClassServices ----
    std::vector<KELI*> timeLineItems() override { return rows_; }
    // With the table: the Channel of its one selected row (nullptr otherwise); before it, the
    // selected Channel.
    KELI* currentChannel() override;
    std::optional<std::string> nameOfCurrentChannel() override;
    std::string nameOfChannel(KELI* channel) override;
    bool selectChannel(KELI* channel) override;
    void selectChannelInt(KELId channelInt) override;
    bool siChannelActif(KELI* channel, KELICurseur* curseur) override;
    KELI* backItemForChannel(KELI* channel, KELICurseur* curseur) override;

    KELI* selectedChannel() const { return selected_; }
    int countOf(KELI* channel) const { return compte_.count(channel); }
    std::string nameOfChannelForRow(int row);
    std::string nameOfChannelInt(KELId channelInt);
    KELI* backColorItemForChannel(KELI* channel, KELICurseur* curseur);
    KELI* backScaleMotForChannel(KELI* channel, KELICurseur* curseur);
    // The row's Channel; nullptr outside the rows.
    KELI* channelForRow(int row) const;
    int rowOfChannel(const KELI* channel) const;

    // ---- commands ----
    void setSelectedChannel(KELI* channel);
    // Beeps when there is nothing to recall.
    void recallChannel(KELI* channel);
    // A listing from `date` up to the Channel's next one, or the open end; false (nothing made)
    // while the Channel is listed at the cursor.
    bool recallChannel(KELI* channel, KELDate date, KELICurseur* curseur);
    void releaseChannel(KELI* channel);

    // ---- the time strip's pictures ----
    // The start of a row's drawing: the scans start again from the lists' starts.
    void willDisplay();
    // The picture at the date for the Channel; `colorInt` keeps the caller's value when no colour
    // is found. Dates of one row come in increasing order; an earlier one restarts the scans.
    QImage imageForDate(KELDate date, KELId channelInt, QPointF* point, KELId* colorInt);
    // The background lists, in in-date order, as the scans read them.
    const std::vector<KELI*>& timeLineLiens() const { return liens_; }
    const std::vector<KELI*>& timeLineBackItems() const { return backItems_; }
    const std::vector<KELI*>& timeLineBackColors() const { return backColors_; }
    const std::vector<KELI*>& timeLineBackScales() const { return backScales_; }
    // How many channel pictures are being rendered with this model waiting for them.
    std::size_t observedCount() const { return observes_.size(); }

    // ---- ZEVTableViewDataSource ----
    std::vector<KELI*> legosForRow(ZEVTableView& table, int row) override;
    QVariant objectValue(ZEVTableView& table, const QString& columnId, int row, int role) override;
    bool isTitleRowSelectedForItem(ZEVTableView&, const ZEVTableElement&) override { return false; }
    bool isIconRowSelectedForItem(ZEVTableView&, const ZEVTableElement&) override { return false; }
    bool isItemActif(ZEVTableView&, const ZEVTableElement&, KELICurseur*) override { return false; }
    void selectItemsWithString(ZEVTableView& table, const QString& text, int operation) override;
    void tableViewSearchingWillStart(ZEVTableView&) override {}
    void tableViewSearchingDidFinish(ZEVTableView& table) override;
    void tvFrontModeDidChange() override {}
    void majIndexOfSelectedRowsForTableView(ZEVTableView& table) override;
    void refreshIndexOfSelectedRowsForTableView(ZEVTableView& table) override;
    bool siFilteredItem(const ZEVTableElement& item, ZEVTableView& table) override;
    void tableViewSelectionDidChange(ZEVTableView& table) override;
    // Logs only.
    void tableViewSelectionIsChanging(ZEVTableView& table);

    // ---- ZEVTableViewDelegate ----
    void openSelectionInTableView(ZEVTableView& table) override;
    void renameSelectionInTableView(ZEVTableView& table) override;
    QMenu* updateRowMenu(QMenu* menu, ZEVTableView& table, const ZEVTableElement& item) override;
    QMenu* updateLegoMenu(QMenu* menu, ZEVTableView&, KELI*) override { return menu; }
    void setSiAccepteMajSelectedRows(bool accepte, ZEVTableView& table) override;
    // Nothing for Channels.
    void findInChannelsInTableView(ZEVTableView&) override {}
    void showOriginalInTableView(ZEVTableView&) override {}
    void moveToInTableView(ZEVTableView&) override {}
    void moveToSpaceInTableView(ZEVTableView&) override {}
    void copyToInTableView(ZEVTableView&) override {}
    void copyToSpaceInTableView(ZEVTableView&) override {}
    void duplicateToInTableView(ZEVTableView&) override {}
    void duplicateToSpaceInTableView(ZEVTableView&) override {}
    void archiveToSpaceInTableView(ZEVTableView&) override {}
    void deleteLego(KELI*, ZEVTableView&) override {}
    void releaseSelectionInTableView(ZEVTableView&) override {}
    void recallNowSelectionInTableView(ZEVTableView&) override {}
    void recallSelectionInTableView(ZEVTableView&) override {}
    void forgetSelectionInTableView(ZEVTableView&) override {}
    void retainSelectionInTableView(ZEVTableView&) override {}
    void deselectSelectionInTableView(ZEVTableView&) override {}
    void linkSelectionInTableView(ZEVTableView&) override {}
    void unlinkSelectionInTableView(ZEVTableView&) override {}
    void selectIconInTableView(ZEVTableView&) override {}
    void selectTitleInTableView(ZEVTableView&) override {}
    void selectNodeInTableView(ZEVTableView&) override {}
    void selectFilterInTableView(ZEVTableView&) override {}
    void copyDurationsInTableView(ZEVTableView&) override {}

    // ---- ZEVTableViewPasteboard ----
    void paste(ZEVTableView& table) override;
    void copy(ZEVTableView&) override {}
    void cut(ZEVTableView&) override {}
    bool siDropedItem(const ZEVTableElement&, ZEVTableView&) override { return false; }

private:
    void lister(KELI* lien, bool activation);
    void background(KELI* lien, bool activation);
    // The rows again from the counts, sorted by id; the table's Qt model is told at once.
    void rebuildRows();
    void selectRowQuietly(KELI* channel);
    // Removes one count of the selected Channel (the selected one is about to change).
    void lacherSelected();
    void replacer(KELICurseur* curseur);
    KELICurseur* actif() const;
    std::optional<std::string> motAuCurseur(KELIElemRelation* rel, KELI* objet, KELICc* lienAt, KELICc* motAt);
    // The first link of `list` from `*index` on with parent K and out-date after D; the index
    // stays on it, or ends past the list.
    KELI* scan(const std::vector<KELI*>& list, std::size_t limite, std::size_t* index, KELId channelInt, KELDate date);
    void observer(ZEVBackObject* object, KELId itemInt, KELId scaleInt);
    void finObservations();
    void reveiller(KELIElemRelation* rel, KELICc* curseur);

    ZEVChannelClassOwner* owner_;   // not owned
    ZEVTableView* table_ = nullptr; // not owned; the panel's
    KELICurseur* nowCurseur_ = nullptr;
    KELICurseur* tlCurseur_ = nullptr;
    KELIContexte* tlContexte_ = nullptr;
    KELIElemRelation* channelViewerRelation_ = nullptr; // links live for the run
    KELIElemRelation* identityNameRelation_ = nullptr;
    KELIElemRelation* backItemRelation_ = nullptr;
    KELIElemRelation* backScaleRelation_ = nullptr;
    KELIElemRelation* backColorRelation_ = nullptr;
    KELIElemRelation* itemTitleRelation_ = nullptr;
    ZEVEngineRouter router_;

    ZEVRowList compte_; // Lego: one per listing link; Retenu: the selected Channel
    std::vector<KELI*> rows_;
    std::vector<ZEVTableElement> elements_;
    KELI* selected_ = nullptr;

    std::vector<KELI*> liens_;
    std::vector<KELI*> backItems_, backColors_, backScales_;
    std::size_t backItemsIndex_ = 0, backColorsIndex_ = 0, backScalesIndex_ = 0;
    std::size_t nbBackItems_ = 0, nbBackColors_ = 0, nbBackScales_ = 0;
    KELDate derniereDate_ = 0;
    bool siPremiereDate_ = true;

    struct Observation {
        ZEVBackObject* object;
        KELId itemInt;
        KELId scaleInt;
    };
    std::vector<Observation> observes_;
    std::set<std::pair<KELIElemRelation*, KELICc*>> reveilles_;
};

} // namespace tallomer
