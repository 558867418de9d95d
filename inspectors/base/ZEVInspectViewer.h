#pragma once
// The controller every inspector kind derives from. It owns the panel (built on first opening,
// hidden when closed), its slide in and out, the focus rule that says whether the user's commands
// go to this panel, the one Escape step inside it, the main-menu items the kinds retitle, and the
// default of every command: a beep, a beep and false, or nothing, which a kind replaces where it
// carries the command out.

#include "engine/KELTypes.h"
#include "inspectors/base/ZEVInspectMenus.h"
#include "inspectors/base/ZEVInspectView.h"
#include "services/ZEVInspectorServices.h"
#include "runtime/Scheduler.h"
#include "space/ZEVSpaceParts.h"

#include <QObject>
#include <QPointer>
#include <QPoint>
#include <QRectF>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class KELI;
class KELICurseur;
class QAction;
class QFileDialog;
class QMenu;

namespace tallomer {

class ZEVPresenceCommands;

class ZEVDeskViewer;
class ZEVInspectClass;
class ZEVInspectView;
class ZEVItemViewCopy;

class ZEVInspectViewer : public QObject, public ZEVEntityViewer {
    Q_OBJECT
public:
    static constexpr double kSlideDuration = 0.6;
    static constexpr double kOpenDoneDelay = 0.7;
    static constexpr double kHideDoneDelay = 0.6;
    // Frames of a slide per second.
    static constexpr double kSlideRate = 60.0;

    // The main-menu items the kinds retitle, by the tags of their menus.
    enum MenuItem {
        MacCut,
        MacCopy,
        MacRecallNow,
        MacRetainNow,
        MacReleaseNow,
        MacForgetNow,
        MacRecallSearch,
        MacRetainSearch,
        MacReleaseSearch,
        MacForgetSearch,
        MacOpen,
        MacAdd,
        MacFilter,
        MacHandle,
        MacMoveTo,
        MacMoveToSpace,
        MacCopyTo,
        MacCopyToSpace,
        MacDuplicateTo,
        MacDuplicateToSpace,
        MacShowOriginal,
        MacCleanAll,
        MacCleanAndRecall,
        MacCleanAndRecallBack,
        MacCleanAndReplace,
        MenuItemCount
    };

    // `space` is not owned and outlives the controller. The Channel is the Space's current one;
    // `entityInt` names the kind (2000003 and so on).
    ZEVInspectViewer(ZEVSpaceController& space, KELId entityInt);
    ~ZEVInspectViewer() override;

    ZEVSpaceController& spaceController() const { return space_; }
    KELId currentChannelInt() const { return currentChannelInt_; }
    KELICurseur* actifCurseur() const { return actifCurseur_; }
    ZEVDeskViewer* deskViewer() const { return deskViewer_; }
    ZEVFrontViewerServices* frontViewer() const;
    ZEVContextViewerServices* contextViewer() const;

    virtual ZEVInspectClass* inspectClass() { return nullptr; }
    // The panel, built on first use.
    ZEVInspectView* inspectView();
    // Without building it.
    ZEVInspectView* inspectViewIfBuilt() const { return inspectView_; }
    // After an import: the first selected row comes into view (nothing when the panel was never built).
    void scrollToFirstSelectedRow();
    bool siShowInspectView() const { return siShowInspectView_; }
    bool siAnimationInspectViewRuns() const { return siAnimationInspectViewRuns_; }
    // The focus rule: the panel's table, or its type-select field, has the keyboard focus.
    bool siFirstResponder() const override;
    bool siTextSearching() const;
    void setFirstResponder() override;
    void setNbOfSelectedRows(quint64 count);
    quint64 nbOfSelectedRows() const { return nbOfSelectedRows_; }

    // Opens (slides in, raises, focuses) or closes (slides out) the panel.
    virtual void showInspectView(bool show);
    virtual void openInspectViewAnimationDone();
    virtual void hideInspectViewAnimationDone();
    void searchingDidFinish();
    // One Escape step inside the panel.
    virtual void inspectStepBack();
    void actionMakeFront() { showInspectView(true); }
    // The panel glides (or jumps, for 0 s) to the rect, y-up in the front area.
    void moveToRect(const QRectF& rect, double duration);
    // The table gained or lost the focus: the toggle bar follows 0.1 s later.
    void tableFocusDidChange();

    // The captured main-menu items (nullptr for one the menu lacks).
    QAction* menuItem(MenuItem item) const;

    // ---- ZEVEntityViewer ----
    void actifCurseurDidChange() override;
    void updateInspectView() override { majInspectView(); }
    // Optional per kind: a panel whose rows do not follow the front mode or the desk's selection
    // (the Channels list) has nothing to do on them.
    void frontModeDidChange() override {}
    void itemSelectionDidChange() override {}
    void displayInspectView() override;
    void channelDidChangeWithIdentityInt(KELId identityInt) override;

    // ---- hooks with their defaults ----
    // Optional per kind: a command a kind does not offer beeps, a refresh it does not need does
    // nothing (a panel that shows only its table has nothing more to refresh).
    virtual void majInspectView() {}
    // The count text ("3/12 Files"), for a kind that gives its nouns.
    virtual void majInspectField();
    // The menus, for a kind that gives its nouns; the others leave them alone.
    void updateMenuMacForMode(int frontMode) override;
    void updateMenuEdit(QMenu* menu) override;
    void updateMenuObject(QMenu* menu) override;
    void terminerDeplacementCurseur() override;
    void headerViewsHeightDidChange(double duration) override;
    virtual void userOpen() { beep(); }
    virtual void userDelete() { beep(); }
    virtual void userMoveTo() { beep(); }
    virtual void userMoveToSpace() { beep(); }
    virtual void userCopyTo() { beep(); }
    virtual void userCopyToSpace() { beep(); }
    virtual void userDuplicateTo() { beep(); }
    virtual void userDuplicateToSpace() { beep(); }
    virtual void userShowOriginal() { beep(); }
    virtual bool userGetInfo() { return beepNon(); }
    // Quick Look asked of the panel, from the toolbar's button or else from the menu command, the
    // gesture or a key; true when the panel took the request (ZEVInspectViewerNavigation.cpp).
    virtual bool userToggleQL(bool fromButton);
    virtual void userAdd();
    virtual void userFind() { menuInspectFind(); }
    virtual bool userFilter() { return beepNon(); }
    // A step of the Search cursor to the previous or next change of the panel's Objects; always
    // true (ZEVInspectViewerNavigation.cpp).
    virtual bool userGotoPrevious();
    virtual bool userGotoNext();
    virtual void userSwap() { beep(); }
    virtual void userRecallNow();
    virtual void userRecall();
    virtual void userRetain();
    virtual void userRelease();
    virtual void userForget();
    void userDeselect() override;
    // The Entity, Find and Go-to menus set their buttons' states as they open and close.
    virtual void menuWillOpen(QMenu* menu);
    virtual void menuDidClose(QMenu* menu);
    void menuMoveTo() { userMoveTo(); }
    void menuMoveToSpace() { userMoveToSpace(); }
    void menuCopyTo() { userCopyTo(); }
    void menuCopyToSpace() { userCopyToSpace(); }
    void menuDuplicateTo() { userDuplicateTo(); }
    void menuDuplicateToSpace() { userDuplicateToSpace(); }
    void menuShowOriginal() { userShowOriginal(); }
    virtual void buttonInspectCancel() { beep(); }
    virtual void btnEntity();
    // Opens the file manager at the home folder.
    virtual void menuEntity();
    virtual void btnInspectAdd() { beep(); }
    virtual void menuInspectAdd() { beep(); }
    virtual void btnInspectFind();
    // Shows the type-select field, or hides it when shown.
    virtual void menuInspectFind();
    // Optional per kind: only the kinds that list files can ask who holds them; the others do nothing.
    virtual void menuFindZevHeld() {}
    virtual void menuFindZevFolderHeld() {}
    virtual void menuFindMacHeld() {}
    virtual void menuFindExtHeld() {}
    // Finds by kind: the desk's file, contact, mail and web Objects. Only the Icons viewer has a
    // desk to search; the other panels leave them empty.
    virtual void menuFindFiles() {}
    virtual void menuFindPersons() {}
    virtual void menuFindEmails() {}
    virtual void menuFindBookmarks() {}
    virtual void btnInspectPrevious() { userGotoPrevious(); }
    virtual void menuInspectPrevious() { userGotoPrevious(); }
    virtual void btnInspectNext() { userGotoNext(); }
    virtual void menuInspectNext() { userGotoNext(); }
    virtual void buttonRecallNowItems();
    virtual void buttonRecallItems();
    virtual void buttonRetainItems();
    virtual void buttonReleaseItems();
    virtual void buttonForgetItems();
    virtual void buttonDeselectItems() { beep(); }
    // One of the four front-mode buttons (0 Icon, 1 Title, 2 Filter, 3 Link).
    void buttonFrontMode(int mode);
    // A long press (or a drag resting) on the Entity or Find button.
    virtual void performClique(ZEVButton* sender);

    // ---- the panel's work, for the kinds that give their nouns ----
    // The kind's words; none: the menus, buttons and count field stay as they are.
    virtual std::optional<ZEVInspectNouns> noms() const { return std::nullopt; }
    // Counts the Objects the commands take in that front mode (a kind of pairs counts its links).
    virtual ZEVInspectCounts compter(int mode);
    // One Object of type "file", neither missing, busy, held by the program nor in the cloud.
    bool enableShowOriginalForItems(const std::vector<KELI*>& items);
    // The action buttons from the Objects the commands take now.
    virtual void majActionButtons();
    void majActionButtonsWithFlags(bool release, bool recall);
    // An engine change of the rows: one refresh `delay` after the first while the panel shows.
    void moteurChangeRows(double delay = kRefreshDelay);
    static constexpr double kRefreshDelay = 0.07;
    static constexpr double kActionButtonsDelay = 0.3;
    bool siAccepteDisplay() const { return siAccepteDisplay_; }
    QMenu* entityMenu() const { return menuEntity_; }
    QMenu* findMenu() const { return menuFind_; }
    QMenu* gotoMenu() const { return menuGoto_; }

    // ---- moving the cursors (ZEVInspectViewerNavigation.cpp) ----
    // The part of the strip over the panel's rows, while the panel has the keys.
    std::optional<ZEVChannelPanelSpan> panneauRegarde() const;
    // The width of the panel that counts as covering the strip: its rows' whole rectangle unless
    // a kind keeps part of it for something else.
    virtual double largeurRegardee() const;
    // The bare copy of a row's Object that a Quick Look preview shows: ratio 1, no source cell,
    // unless the kind has a picture of its own for it.
    virtual std::unique_ptr<ZEVItemViewCopy> copiePourLePreview(KELI* item);
    // Whether the add panel's go-to by creation date takes a file born at the start of 1970 at
    // its word, as any other date.
    virtual bool siNaissance1970Valide() const { return false; }
    // Back to the present ("Tink"), and the Search cursor to a date, kept in view over the panel
    // while it has the keys, else inside the strip's edges.
    void _showNowCursor();
    void _showSearchCursorToDate(KELDate date);
    // Both go-to buttons at rest.
    void _gotoOff();
    // How long a pressed go-to button stays on: after a return to Now, Previous, Next.
    static constexpr double kGotoOffNow = 0.2;
    static constexpr double kGotoOffPrevious = 0.8;
    static constexpr double kGotoOffNext = 0.15;
    // How long after a step that crossed the present and showed the Now cursor; none leaves the
    // button on until the next step.
    virtual std::optional<double> gotoOffAfterNow(bool /*precedent*/) const { return kGotoOffNow; }
    // The add panel the kind runs (the front layer's, with its "goToPopUp" and "durationPopUp"):
    // its go-to pop-ups and its selection move the cursors until it closes.
    void suivrePanneauAjout(QFileDialog* panel);
    QFileDialog* openPanel() const;
    void popUpGoToChange(long tag);
    void popUpDurationChange(long tag);
    void panelSelectionDidChange();
    // The steps of a go-to from an add panel, each inside a move the ruler viewer accepts: the
    // time line centred on t when t lies outside it; the Search cursor and the ruler together from
    // the Search cursor's date s onto e.
    void centrerLeRulerSur(KELDate t);
    void placerSearchSur(KELDate s, KELDate e);
    // The file the Search cursor was last sent to from the add panel; empty for none.
    const QString& previousURL() const { return previousURL_; }
    // The accepting button's text for n chosen files.
    static QString addFilesPromptForCount(qsizetype n);
    // The same in the kind's own nouns ("Add 1 Image", "Add 2 Images").
    static QString addPromptForCount(qsizetype n, const QString& one, const QString& many);
    // While the preview shows and the panel has the keys, the preview shows its selection; false
    // when it was not the panel's to follow.
    bool previewFollowsSelection();
    // The Object of the table row under the pointer; nullptr away from the rows.
    KELI* rowItemUnderPointer() const;

protected:
    // The kind's name of an Object as its rows show it; none by default.
    virtual std::optional<std::string> titleForItem(KELI*) { return std::nullopt; }
    // The kind's panel; called once, on first use.
    virtual std::unique_ptr<ZEVInspectView> creerInspectView() = 0;
    // The panel is built: the menu items are captured and the buttons wired.
    virtual void awakeFromNib();
    // What the kinds' close buttons do: the toggle bar closes the panel.
    void fermerParLaBarre();
    // The same, and the panel's item in the main menu's inspectors menu unchecked.
    void fermerEtDecocher();
    static void beep();
    static bool beepNon()
    {
        beep();
        return false;
    }
    // Whether the panel's table had a selected presence interval, which the Escape step then
    // deselects.
    virtual bool deselectLego();
    // Finds the main-menu items again; a kind that sets them before its panel is built asks it.
    void capturerLesMenus();
    // The main menu's menu of that tag (3 Edit, 4 Object, 9 Space); nullptr without it.
    QMenu* mainMenu(long tag) const;
    // The kind's answers about its Objects and its model's commands; harmless by default.
    enum class Commande { Recall, Retain, Release, Forget, RecallNow };
    virtual void appliquer(Commande, const std::vector<KELI*>&) {}
    virtual bool siItemActif(KELI*) { return false; }
    virtual bool siItemActifNow(KELI*) { return false; }
    virtual std::optional<std::string> typeForItem(KELI*) { return std::nullopt; }
    virtual quint64 nombreDeRows() { return 0; }
    virtual bool siTrouves() { return false; }
    // The Objects the commands take in the front mode (the model's), empty for none.
    std::vector<KELI*> itemsPourLeMode();
    // The panel's four mode buttons show the front mode.
    void montrerLesBoutonsDuMode();
    // Those, then its action buttons and its table follow the front mode.
    void montrerLeFrontMode();
    // Each of them opened by the active desk's viewer; a beep when there is none.
    void ouvrirLesItemsDuMode();
    // The command carried out by a kind's presence commands on the Objects.
    static void appliquerPresence(ZEVPresenceCommands& presence, Commande commande, const std::vector<KELI*>& items);
    // The cursor placed again in time, so that the changed links appear or go.
    static void replacer(KELICurseur* curseur);
    // Builds the button menus and the action buttons of a kind that gives its nouns.
    void construireLesMenus();
    // Hands the preview bare copies of the Objects, as the rows name them.
    void donnerAuPreview(const std::vector<KELI*>& items);
    // Where the Space's pointer lies: false outside the panel's content; else the point in the
    // table's viewport, and whether it lies inside the viewport.
    bool pointeurSurLePanneau(QPoint& dansLaTable, bool& dansLeViewport) const;
    // The menu bar's Edit, Object (and its Handle submenu) and Spaces menus take the lines.
    void appliquerALaBarre(const std::vector<ZEVMenuLine>& lignes);
    // The kind's item in the main menu's inspectors menu is unchecked.
    void decocherDansLeMenu();

    ZEVSpaceController& space_;
    KELId currentChannelInt_ = 0;
    KELICurseur* tlCurseur_ = nullptr;
    KELICurseur* actifCurseur_ = nullptr;
    ZEVDeskViewer* deskViewer_ = nullptr;

private:
    void slideStep(int step);
    void raise();
    // The Escape step's move of the visible range; true when the step ends there.
    bool stepBackRuler(bool siSearch);
    void pasVersUnChangement(bool precedent);
    // The Objects the front mode selects in the panel; the preview is handed them, and opened.
    std::vector<KELI*> objetsChoisis();
    void montrerLePreview(const std::vector<KELI*>& items);

    bool siShowInspectView_ = false;
    bool siAnimationInspectViewRuns_ = false;
    quint64 nbOfSelectedRows_ = 0;
    // Owned here; hung from the canvas' viewport, which may delete it first.
    QPointer<ZEVInspectView> inspectView_;
    std::array<QPointer<QAction>, MenuItemCount> menuItems_{};
    QRectF slideFrom_;
    QRectF slideTo_;
    int slideSteps_ = 0;
    bool siAccepteDisplay_ = true;
    QMenu* menuEntity_ = nullptr; // owned by the panel
    QMenu* menuFind_ = nullptr;
    QMenu* menuGoto_ = nullptr;
    QPointer<QFileDialog> openPanel_;
    QString previousURL_;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
