#pragma once
// The Links inspector's model: the program's index of link pairs. One row per ordered pair of
// Objects joined by links of relation 1000182, holding the pair's links (its intervals) and three
// counters: how many of them lie in the timeline's visible range (added), contain the timeline
// cursor (active), and came in ahead of it (future). Each Channel has its list of the rows added
// in the range, in the order they came; the engine's notices on the timeline cursor and its
// context keep the counters and the lists, so nothing is ever recounted from the whole base.

#include "engine/KELICc.h"
#include "inspectors/base/ZEVInspectClass.h"
#include "inspectors/core/ZEVInspectMenus.h"
#include "inspectors/core/ZEVInspectNouns.h"
#include "inspectors/services/ZEVChangeWalker.h"
#include "services/ZEVInspectorServices.h"
#include "inspectors/table/ZEVTableProtocols.h"
#include "inspectors/table/ZEVTableView.h"
#include "platform/UserDefaults.h"

#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class KELICurseur;
class KELIContexte;
class KELIElemRelation;

namespace tallomer {

class ZEVSpaceController;
class ZEVLinkClass;
class ZEVTableView;

// What the model tells its controller (a model on its own has none).
class ZEVLinkClassDelegate {
public:
    virtual ~ZEVLinkClassDelegate() = default;
    // The engine changed the rows.
    virtual void moteurChangeLink() = 0;
    // The rows the desk's selection selects in the front mode.
    virtual void linkRowsSelected(quint64) = 0;
    // The type-select field closed: the keys go back to the table.
    virtual void linkSearchingDidFinish() = 0;
};

// One row: a parent Object and a child Object, and the links of 1000182 that join them.
class ZEVLinkObject final : public ZEVLinkPair {
public:
    // Reads the pair from the link and looks its two Objects up (no cursor).
    explicit ZEVLinkObject(KELI* lienConnexion);

    KELI* parentItem() const override { return parentItem_; }
    KELI* enfantItem() const override { return enfantItem_; }
    KELId parentInt() const { return parentInt_; }
    KELId enfantInt() const { return enfantInt_; }
    // The pair's links, no link twice; not owned (links live for the run).
    const std::vector<KELI*>& lienConnexions() const { return lienConnexions_; }
    void ajouterLienConnexion(KELI* lien);
    void enleverLienConnexion(KELI* lien);
    // The parent Object's Channel: the one list the row is ever kept in. Read once.
    KELId channelInt() const;

    // Added and future floor at 0; the future count is held at 0 while nothing is added. The
    // active count has no floor: the cursor's notices keep it balanced.
    void setSiAjoute(bool oui);
    void setSiActif(bool oui) { siActifCount_ += oui ? 1 : -1; }
    void setSiFutur(bool oui);
    bool siAjoute() const { return siAjouteCount_ > 0; }
    bool siActif() const { return siActifCount_ > 0; }
    bool siFutur() const { return siFuturCount_ > 0; }
    std::int64_t siAjouteCount() const { return siAjouteCount_; }
    std::int64_t siActifCount() const { return siActifCount_; }
    std::int64_t siFuturCount() const { return siFuturCount_; }

private:
    friend class ZEVLinkClass;
    KELId parentInt_;
    KELId enfantInt_;
    KELI* parentItem_; // not owned
    KELI* enfantItem_; // not owned
    std::vector<KELI*> lienConnexions_;
    mutable KELId channelInt_ = 0;
    mutable bool siChannelLu_ = false;
    std::int64_t siAjouteCount_ = 0;
    std::int64_t siActifCount_ = 0;
    std::int64_t siFuturCount_ = 0;
    // The Channel whose list holds the row (0: none) and its place there.
    KELId listeChannel_ = 0;
    std::list<ZEVLinkObject*>::iterator place_;
};

class ZEVLinkClass final : public ZEVInspectClass,
                           public ZEVLinkClassServices,
                           public KELDelegueDeMaj,
                           public ZEVTableViewClass {
public:
    static constexpr const char* kGotoRecallKey = "ZEVGotoRecallLinkChanges";
    static constexpr const char* kGotoReleaseKey = "ZEVGotoReleaseLinkChanges";
    // The table's columns, left to right.
    static const QStringList& columnIdentifiers();
    static constexpr int kColumnFilterParent = 3;
    static constexpr int kColumnFilterEnfant = 5;
    // The side of a row a column means: the parent up to its title (0 to 4), the child after; with
    // no column, the parent. The row menu alone takes the child's filter column (5) for the parent.
    static bool siColonneEnfant(int column) { return column >= 5; }
    static bool siColonneEnfantDuMenu(int column) { return column > 5; }
    static ZEVInspectNouns nouns()
    {
        return {QStringLiteral("Link"), QStringLiteral("Links"), QStringLiteral("Link"), QStringLiteral("Links"),
                QStringLiteral("zevFiles"), true};
    }
    // The operation of a find by holder.
    enum Holder { HeldByZev, HeldByZevFolder, HeldBySystem, HeldExternally };

    // `space` is not owned and outlives the model; so does `delegate` (may be null). Reads the two
    // go-to defaults (writing them when missing) and observes them.
    explicit ZEVLinkClass(ZEVSpaceController& space, ZEVLinkClassDelegate* delegate = nullptr);
    ~ZEVLinkClass() override;
    ZEVLinkClass(const ZEVLinkClass&) = delete;
    ZEVLinkClass& operator=(const ZEVLinkClass&) = delete;

    // Counts and lists the links of the timeline's visible range.
    void initialiser();
    // Listens to the timeline cursor and its context (once); the destructor stops.
    void enclencherMaj();
    // The panel's table (not owned; nullptr when it goes): its rows are the current Channel's.
    void referencerInspectTableView(ZEVTableView* table);
    ZEVTableView* inspectTableView() const { return table_.data(); }
    // The table's rows made again from the current Channel's list, and its selection from the desk.
    void reloadItems() override;

    ZEVLinkPair* linkForConnexion(const ZEVItemConnexion* connexion) override;
    std::vector<ZEVLinkPair*> timeLineLinks() override;
    bool isLinkActif(const ZEVLinkPair* link) override;
    bool isLinkActifNow(const ZEVLinkPair* link) override;
    void delConnexionsForParentInt(KELId parentInt) override;
    void delConnexionsForParentIntEnfantInt(KELId parentInt, KELId enfantInt) override;
    void delConnexionsForEnfantInt(KELId enfantInt) override;

    // The row of the link's pair, made when missing; the link is given the row's Channel.
    ZEVLinkObject* linkForLienConnexion(KELI* lien);
    // The current Channel's rows, in the order they came.
    const std::list<ZEVLinkObject*>& linksExistants() const;
    std::size_t linkCount() const { return nbRows_; }

    void channelDidChangeWithIdentityInt(KELId channelInt) override;
    void actifCurseurDidChangeForCurseur(KELICurseur* curseur) override;

    // The row of a pair, nullptr when there is none (no row is made).
    ZEVLinkObject* rowForPair(KELId parentInt, KELId enfantInt) const;
    // The row of the table's row; nullptr outside its rows.
    ZEVLinkObject* rowAt(const ZEVTableView& table, int row) const;
    // The row whose row menu was prepared last, found again: nullptr once its pair is gone.
    ZEVLinkObject* rightMenuLink() const { return rowForPair(rightParentInt_, rightEnfantInt_); }
    // The Object of that row the menu acts on (by the column right-clicked); nullptr when none.
    KELI* rightMenuObject() const;
    int rightColumn() const { return rightColumn_; }

    // ---- selections by front mode (nullopt outside the four modes) ----
    std::optional<std::vector<ZEVLinkPair*>> linksForFrontMode();
    std::optional<std::vector<KELI*>> itemsForIconMode() override;
    std::optional<std::vector<KELI*>> itemsForFrontMode() override;
    void majSelectedLinkIndexSet();
    const std::unordered_set<KELId>& selectedLinkIndexSet() const { return selectedLinkIndexSet_; }
    // What the front class accepts for each file operation, of the mode's Objects.
    std::optional<std::vector<KELI*>> moveToItemsForFrontMode() override;
    std::optional<std::vector<KELI*>> moveToSpaceItemsForFrontMode() override;
    std::optional<std::vector<KELI*>> copyToItemsForFrontMode() override;
    std::optional<std::vector<KELI*>> copyToSpaceItemsForFrontMode() override;
    std::optional<std::vector<KELI*>> duplicateToItemsForFrontMode() override;

    // ---- words of an Object (nullopt when it has none there) ----
    std::optional<std::string> itemIconForItem(KELI* item);
    std::optional<std::string> itemTitleForItem(KELI* item);
    std::optional<std::string> itemTypeForItem(KELI* item);

    // ---- the previous or next link change from the active cursor; 0 when none ----
    KELDate previousDate() override;
    KELDate nextDate() override;
    bool siRecallChanges() const { return siRecallChanges_; }
    bool siReleaseChanges() const { return siReleaseChanges_; }

    void activationDuLien(KELI* lien, KELICc* curseur) override;
    void desactivationDuLien(KELI* lien, KELICc* curseur) override;

    // ---- the table's side ----
    bool isLinkActifAt(const ZEVLinkPair* link, KELICc* curseur);
    std::string durationStringForLegos(const std::vector<KELI*>& legos) override;
    std::vector<KELI*> legosForRow(ZEVTableView& table, int row) override;
    QVariant objectValue(ZEVTableView& table, const QString& columnId, int row, int role) override;
    bool isTitleRowSelectedForItem(ZEVTableView& table, const ZEVTableElement& item) override;
    bool isIconRowSelectedForItem(ZEVTableView& table, const ZEVTableElement& item) override;
    bool isItemActif(ZEVTableView& table, const ZEVTableElement& item, KELICurseur* curseur) override;
    void selectItemsWithString(ZEVTableView& table, const QString& text, int operation) override;
    void tableViewSearchingWillStart(ZEVTableView&) override {}
    void tableViewSearchingDidFinish(ZEVTableView& table) override;
    void tvFrontModeDidChange() override { majSelectedLinkIndexSet(); }
    void majIndexOfSelectedRowsForTableView(ZEVTableView& table) override;
    void refreshIndexOfSelectedRowsForTableView(ZEVTableView& table) override;
    void majIndexOfSelectedRows() override;
    bool siFilteredItem(const ZEVTableElement& item, ZEVTableView& table) override;
    // A selection made in the table becomes the front mode's selection of icons, titles, filters
    // (the side by the column last under the pointer) or links; with Ctrl the rows no longer
    // proposed leave it. The proposal is always kept.
    std::vector<int> selectionIndexesForProposedSelection(ZEVTableView& table, const std::vector<int>& proposed,
                                                          const std::vector<int>& before,
                                                          Qt::KeyboardModifiers modifiers) override;
    void tableViewSelectionDidChange(ZEVTableView& table) override;
    void setSiAccepteMajSelectedRows(bool accepte, ZEVTableView& table) override;
    // The rows the desk's selection selects in that mode (0 to 3), in table order.
    std::vector<int> rowsSelectedInMode(const ZEVTableView& table, int mode);

    // ---- the row and lego menus and their actions, on the row of the last row menu ----
    QMenu* updateRowMenu(QMenu* menu, ZEVTableView& table, const ZEVTableElement& item) override;
    QMenu* updateLegoMenu(QMenu* menu, ZEVTableView& table, KELI* lego) override;
    ZEVInspectMenus& menus() { return *menus_; }
    void openSelectionInTableView(ZEVTableView& table) override;
    void findInChannelsInTableView(ZEVTableView&) override {}
    void showOriginalInTableView(ZEVTableView& table) override;
    void moveToInTableView(ZEVTableView& table) override;
    void moveToSpaceInTableView(ZEVTableView& table) override;
    void copyToInTableView(ZEVTableView& table) override;
    void copyToSpaceInTableView(ZEVTableView& table) override;
    void duplicateToInTableView(ZEVTableView& table) override;
    void duplicateToSpaceInTableView(ZEVTableView& table) override;
    void archiveToSpaceInTableView(ZEVTableView&) override {}
    // Forgets the interval; the child's last live link takes the whole pair with it.
    void deleteLego(KELI* lego, ZEVTableView& table) override;
    void releaseSelectionInTableView(ZEVTableView& table) override;
    void recallNowSelectionInTableView(ZEVTableView& table) override;
    void recallSelectionInTableView(ZEVTableView& table) override;
    void forgetSelectionInTableView(ZEVTableView& table) override;
    void retainSelectionInTableView(ZEVTableView& table) override;
    void deselectSelectionInTableView(ZEVTableView&) override {}
    void linkSelectionInTableView(ZEVTableView&) override {}
    void unlinkSelectionInTableView(ZEVTableView&) override {}
    void renameSelectionInTableView(ZEVTableView&) override {}
    void selectIconInTableView(ZEVTableView& table) override;
    void selectTitleInTableView(ZEVTableView& table) override;
    void selectNodeInTableView(ZEVTableView& table) override;
    void selectFilterInTableView(ZEVTableView& table) override;
    void copyDurationsInTableView(ZEVTableView&) override {}
    // The table neither gives nor takes: the edit commands beep, drops are refused.
    void paste(ZEVTableView& table) override;
    void copy(ZEVTableView& table) override;
    void cut(ZEVTableView& table) override;
    bool siDropedItem(const ZEVTableElement&, ZEVTableView&) override { return false; }
    // Neither missing, busy, held by the program nor in the cloud, and of type "file".
    bool enableShowOriginalForItem(KELI* item);

    // ---- the commands, on the rows the viewer gives ----
    void recallNowLinks(const std::vector<ZEVLinkPair*>& links);
    void recallLinks(const std::vector<ZEVLinkPair*>& links);
    void retainLinks(const std::vector<ZEVLinkPair*>& links);
    void releaseLinks(const std::vector<ZEVLinkPair*>& links);
    void forgetLinks(const std::vector<ZEVLinkPair*>& links);
    void openLinksForFrontMode();
    bool getInfoLinksForFrontMode();
    // In modes 0 to 2 the Objects linked to the mode's selection take its place (a beep when none);
    // in mode 3 the listed links not selected become the selection.
    void swapForFrontMode();
    // Every interval of each ordered pair is forgotten (never the other direction's), the pair
    // leaves the link selection, both desks' lines and the rows.
    void deleteLinks(const std::vector<ZEVLinkPair*>& links);
    // The rows whose Object held that way qualifies become the selection by the operation (0 to
    // 3), then a step of the history.
    void findHeldWithOperation(Holder holder, int operation);

private:
    using Liste = std::list<ZEVLinkObject*>;
    void ajouterALaListe(ZEVLinkObject* row);
    void retirerDeLaListe(ZEVLinkObject* row);
    void croisement(KELI* lien, KELICc* curseur, bool activation);
    std::optional<std::string> motDe(KELIElemRelation* relation, KELI* item, KELICc* curseurDuMot);
    ZEVChangeWalk walk() const;
    void detruire(std::vector<std::unique_ptr<ZEVLinkObject>>& rows);
    int frontMode() const;
    KELICurseur* actif() const;
    void selectionnerRows(ZEVTableView& table, const std::vector<int>& rows);
    void redessinerLeBureau();
    void devant(const std::vector<KELI*>& items);
    // Forgets every live link of 1000182 from each parent to its child, all in one act; the rows
    // of the pairs go once the store has kept it.
    void supprimerPaires(const std::vector<std::pair<KELId, KELId>>& paires);
    void placerActif();

    UserDefaultsController& defaults_; // not owned
    KELICurseur* tlCurseur_ = nullptr;   // not owned
    KELIContexte* tlContexte_ = nullptr; // not owned
    KELIElemRelation* linkViewerRelation_ = nullptr; // links live for the run
    KELIElemRelation* itemTitleRelation_ = nullptr;
    KELIElemRelation* itemTypeRelation_ = nullptr;
    KELIElemRelation* itemIconNameRelation_ = nullptr;
    std::unordered_set<KELId> selectedLinkIndexSet_;
    // Channel id to its list; made when a row of that Channel first comes (or the Channel is shown).
    std::unordered_map<KELId, Liste> linksExistantsMap_;
    // Parent id to every row of that parent: where rows are found and owned.
    std::unordered_map<KELId, std::vector<std::unique_ptr<ZEVLinkObject>>> parentConnexionsMap_;
    std::size_t nbRows_ = 0;
    bool siRecallChanges_ = true;
    bool siReleaseChanges_ = false;
    std::vector<DefaultsToken> tokens_;
    bool siEnclenche_ = false;
    ZEVLinkClassDelegate* delegate_ = nullptr; // not owned
    QPointer<ZEVTableView> table_;             // not owned: the panel's, which may go first
    // The table's rows, rebuilt from the current Channel's list at each reload.
    std::vector<ZEVTableElement> elements_;
    std::unique_ptr<ZEVInspectMenus> menus_;
    // The pair of the last row menu, by ids, and the column right-clicked.
    KELId rightParentInt_ = 0;
    KELId rightEnfantInt_ = 0;
    int rightColumn_ = -1;
};

} // namespace tallomer
