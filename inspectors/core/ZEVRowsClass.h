#pragma once
// The model core of the inspectors that list Objects placed by one viewer relation (a link from a
// Channel's identity to the Object, valid over an interval: a presence interval, a "lego"). For
// each Channel it keeps the rows at the Now and at the Search cursor, fed by the engine's notices
// on their windows; it answers the shared table (cells, legos, selection both ways, type-select)
// and keeps the desk's selected Objects and the found ones listed while they are, each by one
// count that remembers the lists it went to. A kind gives its relation, its texts and its notices.

#include "engine/KELTypes.h"
#include "inspectors/base/ZEVInspectClass.h"
#include "inspectors/core/ZEVEngineRouter.h"
#include "inspectors/core/ZEVRowList.h"
#include "inspectors/table/ZEVTableProtocols.h"

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class KELICurseur;
class KELIContexte;
class KELIElemRelation;

namespace tallomer {

class ZEVInspectDrag;
class ZEVInspectViewer;
class ZEVTableView;
struct ZEVModeSelection;

// Which rows a list holds: those present in the Now window, in the Search window, or in the
// timeline's visible span.
enum class ZEVRowScope { Now, Search, Timeline };

class ZEVRowsClass : public ZEVInspectClass, public ZEVTableViewClass {
public:
    // The operations of type-select and the holder finds.
    enum Operation { Remplacer = 0, Intersecter = 1, Ajouter = 2, Retirer = 3 };

    // `space` is not owned and outlives the model; `relation` is the kind's viewer relation.
    ZEVRowsClass(ZEVSpaceController& space, KELId relation);
    ~ZEVRowsClass() override;

    KELId relationInt() const { return relation_; }
    // Builds every Channel's Now and Search lists from the windows as they stand.
    void initialiser();
    // Listens to the relation on the Now cursor, the Search cursor, the Now context and the Search
    // context, in that order; the destructor stops.
    void enclencherMaj();
    // For the kinds that list the timeline's visible span: one list for all Channels (kept under
    // Channel 0) or one per Channel, filled now and kept by the timeline context's notices.
    void enclencherTimeline(bool parChannel);
    void referencerInspectTableView(ZEVTableView* table);
    ZEVTableView* inspectTableView() const { return table_; }

    // ---- the lists ----
    // nullptr for a Channel without lists.
    const ZEVRowList* liste(KELId channelInt, ZEVRowScope scope) const;
    // The active cursor's list of the current Channel: the table's rows.
    const ZEVRowList& actifListe() const;
    std::vector<KELI*> actifItems() const { return actifListe().itemsVector(); }
    const std::unordered_set<KELI*>& foundedItemSet() const { return trouves_; }
    const std::unordered_set<KELI*>& selectedItemSet() const { return selectedItemSet_; }
    // The ids of the found and the selected Objects: what the go-to steps stop at, when any.
    std::unordered_set<KELId> walkTargets() const;
    // The Channels that have lists.
    std::vector<KELId> channelsListes() const;

    // ---- lookups ----
    bool isItemActif(KELI* item);
    bool isItemActifNow(KELI* item);
    // The Object's legos at a cursor or window (every Channel); empty for none.
    std::vector<KELI*> legosForItem(KELI* item, KELICc* curseur);
    std::optional<std::string> itemIconForItem(KELI* item);
    std::optional<std::string> itemTitleForItem(KELI* item);
    std::optional<std::string> itemTypeForItem(KELI* item);
    std::string durationStringForLegos(const std::vector<KELI*>& legos) override;

    void actifCurseurDidChangeForCurseur(KELICurseur* curseur) override;
    void channelDidChangeWithIdentityInt(KELId identityInt) override;
    void majIndexOfSelectedRows() override;
    void reloadItems() override;

    // ---- selection both ways and finds ----
    // The Qt selection the user proposed (rows) over the one before, with the modifiers held;
    // answers the rows to keep (always the proposal).
    std::vector<int> selectionIndexesForProposedSelection(ZEVTableView& table, const std::vector<int>& proposed,
                                                          const std::vector<int>& avant,
                                                          Qt::KeyboardModifiers mods) override;
    void tableViewSelectionDidChange(ZEVTableView& table) override;
    void selectZevHeldItemsWithOperation(int operation);
    void selectMacHeldItemsWithOperation(int operation);
    void selectExtHeldItemsWithOperation(int operation);
    // Drops the found Objects (their counts go back to the lists they went to).
    void releaseAllFoundedItems();
    // The operation of a find by holder from the modifier keys held: Ctrl and Shift remove from
    // the selection, Ctrl and Alt intersect, Ctrl alone adds; without Ctrl it replaces.
    static int operationForModifiers(Qt::KeyboardModifiers mods);

    // ---- what the commands act on: the mode's selection that the active cursor's list holds ----
    std::optional<std::vector<KELI*>> itemsForIconMode() override;
    std::optional<std::vector<KELI*>> itemsForFrontMode() override;
    std::optional<std::vector<KELI*>> moveToItemsForFrontMode() override;
    std::optional<std::vector<KELI*>> moveToSpaceItemsForFrontMode() override;
    std::optional<std::vector<KELI*>> copyToItemsForFrontMode() override;
    std::optional<std::vector<KELI*>> copyToSpaceItemsForFrontMode() override;
    std::optional<std::vector<KELI*>> duplicateToItemsForFrontMode() override;

    // ---- ZEVTableViewDataSource ----
    std::vector<KELI*> legosForRow(ZEVTableView& table, int row) override;
    QVariant objectValue(ZEVTableView& table, const QString& columnId, int row, int role) override;
    bool isTitleRowSelectedForItem(ZEVTableView& table, const ZEVTableElement& item) override;
    bool isIconRowSelectedForItem(ZEVTableView& table, const ZEVTableElement& item) override;
    bool isItemActif(ZEVTableView& table, const ZEVTableElement& item, KELICurseur* curseur) override;
    void selectItemsWithString(ZEVTableView& table, const QString& text, int operation) override;
    void tableViewSearchingWillStart(ZEVTableView&) override {}
    void tableViewSearchingDidFinish(ZEVTableView& table) override;
    void tvFrontModeDidChange() override;
    void majIndexOfSelectedRowsForTableView(ZEVTableView& table) override;
    void refreshIndexOfSelectedRowsForTableView(ZEVTableView& table) override;
    bool siFilteredItem(const ZEVTableElement& item, ZEVTableView& table) override;

    // ---- ZEVTableViewDelegate: the row commands here; the others wait for the kinds' commands ----
    void selectIconInTableView(ZEVTableView& table) override;
    void selectTitleInTableView(ZEVTableView& table) override;
    void selectNodeInTableView(ZEVTableView& table) override;
    void selectFilterInTableView(ZEVTableView& table) override;
    // The right-clicked row's Object in or out of that selection; the desk redrawn when asked.
    void toggleRowInSelection(const ZEVModeSelection& m, bool redraw);
    void linkSelectionInTableView(ZEVTableView& table) override;
    void unlinkSelectionInTableView(ZEVTableView& table) override;
    // The right-clicked row's Object linked with (or unlinked from) the Objects the front mode
    // chooses, all in one act.
    void lierLaSelection(bool siLier);
    void openSelectionInTableView(ZEVTableView&) override {}
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
    void renameSelectionInTableView(ZEVTableView&) override {}
    void copyDurationsInTableView(ZEVTableView&) override {}
    QMenu* updateRowMenu(QMenu* menu, ZEVTableView& table, const ZEVTableElement& item) override;
    QMenu* updateLegoMenu(QMenu*, ZEVTableView&, KELI*) override { return nullptr; }
    void setSiAccepteMajSelectedRows(bool accepte, ZEVTableView& table) override;

    // ---- ZEVTableViewPasteboard: the kind's drag takes drops and the clipboard, once it gave one ----
    void paste(ZEVTableView& table) override;
    void copy(ZEVTableView& table) override;
    void cut(ZEVTableView& table) override;
    bool siDropedItem(const ZEVTableElement& item, ZEVTableView& table) override;
    Qt::DropAction draggingEntered(QDropEvent* info, ZEVTableView& table) override;
    Qt::DropAction draggingUpdated(QDropEvent* info, ZEVTableView& table) override;
    void draggingExited(ZEVTableView& table) override;
    bool performDragOperation(QDropEvent* info, ZEVTableView& table) override;

protected:
    // ---- the kind's panel controller, told by the core; none (a model on its own) hears nothing ----
    // The rows' engine changes refresh the panel `rebuildDelay` after the first; `suitLesBoutons`:
    // the action buttons follow the active cursor's rows, for kinds whose buttons do.
    void referencerPanneau(ZEVInspectViewer* panneau, double rebuildDelay, bool suitLesBoutons);
    // The rows changed (a notice of the engine); the controller rebuilds its panel.
    void moteurChange();
    void majInspectField();
    // Whether the kind's panel is shown.
    bool siPanneauMontre() const;
    // The kind's controller: the number of selected rows, the table taking the keyboard back.
    void setNbOfSelectedRows(quint64 n);
    void searchingDidFinish();
    void majActionButtons();
    // The Object's title text in the table (the status prefixes are the core's).
    virtual QString titreAffiche(KELI* item);
    // The rows of the table from the timeline's one list (every Channel), not from the active
    // cursor's list of the current Channel.
    void setRowsDuTimeline(bool oui) { rowsDuTimeline_ = oui; }
    // The kind's drag of its table (not owned: the kind keeps it for as long as it lives).
    void referencerDrag(ZEVInspectDrag* drag) { tableDrag_ = drag; }
    bool siSelectionneEnMode(KELI* item, int mode);
    int frontMode();
    std::vector<int> rowsSelectionnees(int mode) const;
    void selectionnerRows(ZEVTableView& table, const std::vector<int>& rows);

    KELICurseur* nowCurseur_ = nullptr;
    KELIContexte* nowContexte_ = nullptr;
    KELICurseur* searchCurseur_ = nullptr;
    KELIContexte* searchContexte_ = nullptr;
    KELICurseur* tlCurseur_ = nullptr;
    KELIContexte* tlContexte_ = nullptr;
    KELIElemRelation* viewerRelation_ = nullptr; // links live for the run
    KELIElemRelation* itemTitleRelation_ = nullptr;
    KELIElemRelation* itemTypeRelation_ = nullptr;
    KELIElemRelation* itemIconNameRelation_ = nullptr;

private:
    struct Listes {
        ZEVRowList now;
        ZEVRowList search;
        std::unordered_set<KELI*> selected;
    };
    Listes& listesDe(KELId channelInt);
    // Fills a Channel's lists of one window from the engine, as they stand.
    void remplir(KELId channelInt, KELI* identity, bool siNow);
    void croisement(KELI* lien, KELICc* curseur, bool activation);
    void croisementTimeline(KELI* lien, bool activation);
    void auCurseur(KELICc* curseur);
    void verifier(const ZEVRowList& l) const;

    // Retained selections and found Objects, each count going back where it went.
    void retainSelectionForItem(KELI* item, KELId channelInt);
    void releaseAllSelections();
    void selectItemSet(const std::vector<KELI*>& found, int operation);
    std::vector<KELI*> candidatsDesRecherches();
    void selectHeldWith(int operation, bool (*test)(std::uint64_t));
    // The Objects of the mode's selection (0 to 3); nullopt outside.
    KELICurseur* actif() const;

    KELId relation_;
    ZEVTableView* table_ = nullptr; // not owned; the panel's
    ZEVInspectDrag* tableDrag_ = nullptr;
    ZEVInspectViewer* panneau_ = nullptr; // not owned: the kind's owner
    double rebuildDelay_ = 0;
    bool suitLesBoutons_ = false;
    ZEVEngineRouter router_;
    std::unordered_map<KELId, Listes> listes_;
    std::unordered_map<KELId, ZEVRowList> timeline_;
    bool timelineParChannel_ = false;
    bool rowsDuTimeline_ = false;
    // Each retained Object and the Channels whose lists hold its retained count.
    std::unordered_map<KELI*, std::vector<KELId>> retenus_;
    std::unordered_set<KELI*> selectedItemSet_;
    std::unordered_set<KELI*> trouves_;
    // The Channel whose lists hold the found counts.
    KELId trouvesChannel_ = 0;
    bool siReleaseFoundedSet_ = true;
    // Set while the core tells the table of an engine change itself.
    bool siNotifie_ = false;
    bool siPremierDelegue_ = true;
    QFont otherChannelFont_;
};

} // namespace tallomer
