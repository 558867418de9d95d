#pragma once
// The Contacts inspector's controller: its model lists the contact Objects of the current Channel
// at the active cursor; its panel shows them, rebuilt once shortly after the engine's first
// notice while shown, and when shown again. Its buttons and menus carry out the Contacts commands
// on the Objects selected in the front mode; its entity menu starts the desktop's address book.

#include "inspectors/base/ZEVInspectPanels.h"
#include "inspectors/contacts/ZEVPersonAddPanel.h"
#include "inspectors/contacts/ZEVPersonClass.h"
#include "inspectors/core/ZEVInspectDrag.h"
#include "inspectors/core/ZEVRowsViewer.h"
#include "services/ZEVPersonClassServices.h"

#include <QPointer>

#include <optional>

namespace tallomer {

class ZEVItemSet;

class ZEVPersonViewer final : public ZEVRowsViewer, public ZEVPersonViewerServices, public ZEVInspectDragClient {
public:
    // The entity menu's item that starts the address book.
    static constexpr long kAddressBookTag = 11111;

    ZEVPersonViewer(ZEVSpaceController& space, KELId entityInt);
    ~ZEVPersonViewer() override;

    ZEVRowsClass& rows() override { return model_; }
    ZEVPersonClass& model() { return model_; }
    ZEVPersonClassServices* personClass() override { return &model_; }
    std::optional<ZEVInspectNouns> noms() const override { return ZEVPersonClass::nouns(); }
    // ---- the add panel (ZEVPersonViewerAdding.cpp) ----
    // How often the add panel looks at its picker's selection, in seconds.
    static constexpr double kPollInterval = 0.4;
    void btnInspectAdd() override { menuInspectAdd(); }
    // Opens the add panel (made once), modal: its pop-ups set from the Space's go-to and duration
    // kinds, the polling started with one poll at once, the Add button lit and the Space in go-to
    // mode until the panel closes, by Add, Cancel or its title bar.
    void menuInspectAdd() override;
    // One look at the picker's selection: a change of its count, first or last contact (by UID)
    // retitles the Add button and may move the Search cursor. The next look is due in 0.4 s
    // while polling.
    void _startABPolling();
    void _abSelectionDidChange();
    // The add panel's pop-ups: the go-to kind (1 Now, 2 Search: that cursor active and in view;
    // 3 and 4: the last selected contact's creation or modification date) and the duration.
    void popUpGoToChange(long tag);
    void popUpDurationChange(long tag);
    // Add closes the panel and adds the selected contacts as a drop does; Cancel closes it.
    void buttonPickerSelect();
    void buttonPickerCancel();
    ZEVPersonAddPanel* pickerPanel() const { return pickerPanel_.data(); }
    bool siABPolling() const { return siABPolling_; }

    // ---- the retrieve panel (ZEVPersonViewerAdding.cpp) ----
    // A contact Object whose card is gone and unarchived: a modal panel, made each time, offers
    // the contacts found by its title; Select binds the Object to the first one chosen.
    void retrieveItem(KELI* item) override;
    void buttonRetrieveSelect();
    void buttonRetrieveCancel();
    ZEVPersonRetrievePanel* retrievePanel() const { return retrievePanel_.data(); }
    // Over the mode's whole selection: a listed contact present at the active cursor is one to
    // release, one absent one to recall; a contact of another Channel is one to recall (it is
    // recalled through its equivalent here) and ends the count.
    void majActionButtons() override;

    // ---- the user's commands on the Objects the front mode selects in the panel ----
    void userOpen() override;
    void userDelete() override;
    // Starts the address book; without one, opens the contacts folder.
    void menuEntity() override;
    // The per-Object forms the row menu uses.
    void userReleasePersonItem(KELI* item);
    void userRecallPersonItem(KELI* item);
    void userRecallNowPersonItem(KELI* item);
    void userOpenPersonItem(KELI* item);
    // Opens the Object of the row double-clicked.
    void openPerson(int row);

    // ---- people and the program's own Objects dropped or pasted on the table ----
    // Once per drag: the existing Objects of what is dragged become the icon selection; Copy
    // when people or own Objects came, else none.
    Qt::DropAction dragOperationForDraggingInfo(const QMimeData* data, long sequence) override;
    // The last analysis's people (each card the address book lacks joining it first) and own
    // Objects are added, then finished as below. Whether either kind added something.
    bool userPerformDragOrPaste() override;
    // After contacts were added by a drop, a paste or the add panel: each is linked to every
    // selected Filter, the active cursor's move ends, they become the front mode's selection
    // (one that brought none leaves the selection as it was) and the table shows its selected row.
    void finishAdding(const ZEVItemSet& set);
    void majInspectView() override;

protected:
    std::unique_ptr<ZEVInspectView> creerInspectView() override { return std::make_unique<ZEVPersonView>(*this); }
    void awakeFromNib() override;
    void appliquer(Commande commande, const std::vector<KELI*>& items) override;
    // Present on the current Channel: another Channel's Object is one to recall.
    bool siItemActif(KELI* item) override;
    bool siItemActifNow(KELI* item) override;
    // The contact's picture, its height-to-width ratio, and its row's picture cell.
    std::unique_ptr<ZEVItemViewCopy> copiePourLePreview(KELI* item) override;
    // The pointer left the rows: no mode column stays lit.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The end of the add panel's run, however it closed.
    void addPanelDidEnd();
    // The contacts chosen in the add panel join the current Channel as dropped ones do.
    void addPickedUids(const QStringList& uids);
    // The Search cursor to a date: made active, the ruler recentred when it lies outside, then
    // moved with the ruler.
    void allerALaDate(KELDate date);
    void allerAuContactChoisi(long tag);

    ZEVPersonClass model_;
    // The panels are owned by the Contacts panel view (their Qt parent): gone with it.
    QPointer<ZEVPersonAddPanel> pickerPanel_;
    QPointer<ZEVPersonRetrievePanel> retrievePanel_;
    KELId retrieveItemId_ = 0;
    bool siABPolling_ = false;
    // Set by an add whose new rows the table lists only at its next refresh.
    bool siScrollAfterRefresh_ = false;
    int abCount_ = -1;
    std::optional<QString> firstRecord_;
    std::optional<QString> lastRecord_;
};

} // namespace tallomer
