#include "inspectors/channels/ZEVChannelViewer.h"

#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "inspectors/channels/ZEVChannelAddPanel.h"
#include "inspectors/channels/ZEVChannelModifyPanel.h"
#include "inspectors/channels/ZEVChannelPanelControls.h"
#include "inspectors/channels/ZEVChannelTableView.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/table/ZEVTableModel.h"
#include "platform/MenuText.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineType.h"
#include "space/ZEVConstants.h"
#include "space/ZEVMenuPreview.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "widgets/ZEVButton.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {

constexpr const char* kGotoOffName = "setGotoOff";
constexpr const char* kRedisplayName = "_majInspectView";
constexpr long kRenameSpaceTag = 2000217;

} // namespace

ZEVChannelViewer::ZEVChannelViewer(ZEVSpaceController& space, KELId entityInt)
    : ZEVInspectViewer(space, entityInt), model_(this, space)
{
    model_.initialiser();
    model_.enclencherMaj();
}

ZEVChannelViewer::~ZEVChannelViewer()
{
    Scheduler::shared().cancelAll(this);
    // The panel writes through the model: it goes first.
    modifyPanel_.reset();
    if (ZEVChannelView* v = channelView()) {
        v->setZoomPopUpHooks({}, {});
        v->zoomPopUp()->view()->viewport()->removeEventFilter(this);
    }
    if (ZEVChannelTableView* t = channelTableView()) {
        t->viewport()->removeEventFilter(this);
        // The panel goes after the model: the list reads it no more.
        t->referencerChannelClass(nullptr);
        t->setZevClass(nullptr);
    }
    model_.referencerInspectTableView(nullptr);
}

ZEVChannelTableView* ZEVChannelViewer::channelTableView() const
{
    ZEVChannelView* v = channelView();
    return v ? v->channelTableView() : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Wiring

void ZEVChannelViewer::awakeFromNib()
{
    ZEVInspectViewer::awakeFromNib();
    ZEVChannelView* view = channelView();
    ZEVChannelTableView* table = view->channelTableView();
    model_.referencerInspectTableView(table);
    table->referencerChannelClass(&model_);
    table->setZevClass(&model_);
    table->setLegoHeight(ZEVChannelTableView::kRowHeight, 0.0);
    model_.initSelectedChannel();
    // The pointer over the list, and its leaving, reach the list's magnifier.
    table->viewport()->installEventFilter(this);
    table->mouseMovedAtPoint(QPointF(ZEVChannelTableView::kPointerGone, 0));

    construireLesMenusDuBandeau();
    for (ZEVButton* b : {view->btnDeskHome(), view->btnChannelUp(), view->btnChannelDown(),
                         view->btnGotoPreviousSpace(), view->btnGotoNextSpace(), view->btnCleanAndReplace()}) {
        b->setCliqueTarget(this, [this](ZEVButton* sender) { performClique(sender); });
        QObject::connect(b, &ZEVButton::clicked, this, [this, b] { boutonPresse(b); });
    }
    // A drag resting on Close is a drag over the panel: it asks for the close by the click.
    view->btnClose()->setCliqueTarget(this, [this](ZEVButton* sender) { performClique(sender); });

    QLineEdit* field = view->countField();
    QObject::connect(field, &QLineEdit::returnPressed, this, [this] { menuSpaceDidRename(); });
    field->installEventFilter(this);
    QObject::connect(view->zoomPopUp(), qOverload<int>(&QComboBox::activated), this,
                     [this](int index) { popUpChangeZoom(index); });

    // The row menu renames the current Space in the count field.
    QMenu* rows = table->channelRowMenu();
    QObject::connect(rows, &QMenu::aboutToShow, this, [this, rows] {
        if (ZEVMenuItemWithTag(rows, kRenameSpaceTag))
            return;
        QAction* a = new QAction(QStringLiteral("Rename Space\u2026"), rows);
        a->setProperty("tag", qlonglong(kRenameSpaceTag));
        QObject::connect(a, &QAction::triggered, this, [this] { menuSpaceRename(); });
        QAction* first = rows->actions().value(1);
        rows->insertAction(first, a);
    });
    accepteRedisplay_ = true;
    majInspectView();
}

bool ZEVChannelViewer::eventFilter(QObject* watched, QEvent* event)
{
    ZEVChannelView* view = channelView();
    ZEVChannelTableView* table = channelTableView();
    if (table && watched == table->viewport()) {
        if (event->type() == QEvent::MouseMove) {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->buttons() == Qt::NoButton)
                table->mouseMovedAtPoint(e->position());
        } else if (event->type() == QEvent::Leave) {
            table->mouseMovedAtPoint(QPointF(ZEVChannelTableView::kPointerGone, 0));
        }
    } else if (view && watched == view->zoomPopUp()->view()->viewport()) {
        // The pointer left the zoom list: no preset is previewed.
        if (event->type() == QEvent::Leave && zoomMenuOpen_)
            zoomMenuHighlight(-1);
    } else if (view && watched == view->countField() && event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && siEditSpaceName_) {
        menuInspectCancelRename();
        return true;
    }
    return ZEVInspectViewer::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Notices

void ZEVChannelViewer::channelDidChangeWithIdentityInt(KELId identityInt)
{
    // 0 tells that the list changed: the rows follow, the current Channel stays.
    if (identityInt && identityInt == currentChannelInt_)
        return;
    ZEVInspectViewer::channelDidChangeWithIdentityInt(identityInt);
    model_.channelDidChangeWithIdentityInt(identityInt);
    if (modifyPanel_ && modifyPanel_->isVisible())
        modifyPanel_->fill(true);
    majInspectField();
    scheduleGotoOff(kGotoOff, false);
}

void ZEVChannelViewer::actifCurseurDidChange()
{
    ZEVInspectViewer::actifCurseurDidChange();
    // The wheel or the timeline can move the active cursor while a panel is open; OK writes at
    // the active cursor, so its buttons must never show the other one.
    if (modifyPanel_ && modifyPanel_->controls())
        modifyPanel_->controls()->showActifCurseur();
    if (addPanel_ && addPanel_->controls())
        addPanel_->controls()->showActifCurseur();
    majInspectField();
    majInspectView();
}

void ZEVChannelViewer::terminerDeplacementCurseur()
{
    scheduleGotoOff(kGotoOffAfterMove, false);
    majInspectView();
}

void ZEVChannelViewer::showInspectView(bool show)
{
    if (show) {
        majInspectView();
        if (!siShowInspectView())
            userGoHome(false);
    }
    ZEVInspectViewer::showInspectView(show);
    if (show)
        majInspectView();
}

void ZEVChannelViewer::openInspectViewAnimationDone()
{
    ZEVInspectViewer::openInspectViewAnimationDone();
    model_.selectChannelInt(space_.currentChannelInt());
}

void ZEVChannelViewer::inspectStepBack()
{
    ZEVChannelTableView* table = channelTableView();
    if (!(table && table->hideSearchField())) {
        ZEVFrontViewerServices* front = frontViewer();
        ZEVSelections& s = space_.selections();
        bool trouve = true;
        switch (front ? front->frontMode() : 4) {
        case 0:
            trouve = s.reselectSameIcons();
            break;
        case 1:
            trouve = s.reselectSameTitles();
            break;
        case 2:
            trouve = s.reselectSameFilters();
            break;
        case 3:
            trouve = s.reselectSameNodes();
            break;
        default:
            break;
        }
        if (!trouve)
            beep();
        space_.majWindowTitle();
    }
    if (ZEVChannelView* v = channelView())
        v->setSiSelected(false);
}

// ---------------------------------------------------------------------------------------------
// The redisplay and the count field

void ZEVChannelViewer::redisplayAfter(double delay, bool commonModes)
{
    if (!siShowInspectView() || !accepteRedisplay_)
        return;
    accepteRedisplay_ = false;
    Scheduler::shared().perform(this, kRedisplayName, delay, [this] { _majInspectView(); }, commonModes);
}

void ZEVChannelViewer::majInspectView() { redisplayAfter(kRedisplay, false); }

void ZEVChannelViewer::majInspectViewCommonModes() { redisplayAfter(kRedisplayCommonModes, true); }

void ZEVChannelViewer::moteurChangeChannel() { redisplayAfter(kRedisplayEngine, false); }

void ZEVChannelViewer::_majInspectView()
{
    ++redisplayCount_;
    if (ZEVChannelTableView* t = channelTableView())
        t->viewport()->update();
    majZoomPopUp();
    majInspectField();
    if (ZEVChannelView* v = channelView())
        v->update();
    accepteRedisplay_ = true;
}

std::string ZEVChannelViewer::currentSpaceName()
{
    KELICurseur* actif = space_.actifCurseur();
    KELI* canal = space_.channelForIdentityInt(space_.currentChannelInt());
    ZEVDeskViewer* desk = space_.deskViewerForCurseur(actif);
    if (!canal || !desk || !model_.siChannelActif(canal, actif))
        return {};
    return desk->currentBackImageItemName();
}

void ZEVChannelViewer::majInspectField()
{
    // The field follows the current Space, and so does the modify panel.
    if (modifyPanel_)
        modifyPanel_->spaceMayHaveChanged();
    ZEVChannelView* v = channelView();
    if (!v)
        return;
    if (!siEditSpaceName_) {
        ZEVChannelTableView* t = v->channelTableView();
        const QModelIndexList rows =
            t && t->selectionModel() ? t->selectionModel()->selectedRows() : QModelIndexList();
        const QString texte =
            ZEVChannelRules::countText(int(model_.timeLineItems().size()), int(rows.size()),
                                       rows.isEmpty() ? -1 : rows.first().row(), QString::fromStdString(currentSpaceName()));
        v->countField()->setText(texte);
    }
    space_.majWindowTitle();
}

// ---------------------------------------------------------------------------------------------
// The main menu while the list has the keys

void ZEVChannelViewer::updateMenuMacForMode(int frontMode)
{
    if (auto* icons = dynamic_cast<ZEVInspectViewer*>(space_.viewerForEntityClassName("ZEVIconViewer")))
        icons->updateMenuMacForMode(frontMode);
    for (MenuItem i : {MacCut, MacCopy})
        if (QAction* a = menuItem(i))
            a->setEnabled(false);
    if (QMenu* edit = mainMenu(3))
        for (long tag : {103L, 104L, 105L})
            if (QAction* a = ZEVMenuItemWithTag(edit, tag))
                a->setEnabled(false);
    // The Icons panel's lines just set the Object menu for its Objects: the list's own go over
    // them, whichever of the two the main menu asks last.
    updateMenuObject(mainMenu(4));
}

void ZEVChannelViewer::updateMenuEdit(QMenu* menu)
{
    if (auto* icons = dynamic_cast<ZEVInspectViewer*>(space_.viewerForEntityClassName("ZEVIconViewer")))
        icons->updateMenuEdit(menu);
}

void ZEVChannelViewer::updateMenuObject(QMenu* menu)
{
    if (!menu)
        return;
    struct Ligne {
        long tag;
        const char* title;
        bool enabled;
    };
    const Ligne lignes[] = {
        {31, "Add Channel\u2026", true},      {32, "Find Channel & Space", true}, {1, "Open", false},
        {13, "Remove Channel", false},        {7, "Filter", false},               {21, "Move to\u2026", false},
        {20, "Move in Tallomer", false},      {23, "Copy to\u2026", false},       {22, "Copy in Tallomer", false},
    };
    for (const Ligne& l : lignes)
        if (QAction* a = ZEVMenuItemWithTag(menu, l.tag)) {
            // "Find Channel & Space" shows its "&": no title here marks a shortcut.
            a->setText(menuText(QString::fromUtf8(l.title)));
            a->setEnabled(l.enabled);
            if (l.tag == 7)
                a->setChecked(false);
        }
    if (QAction* handle = ZEVMenuItemWithTag(menu, 4333))
        handle->setText(QStringLiteral("Handle Objects"));
    if (QAction* original = ZEVMenuItemWithTag(menu, 60))
        original->setEnabled(false);
}

// ---------------------------------------------------------------------------------------------
// Commands

void ZEVChannelViewer::buttonInspectCancel()
{
    fermerParLaBarre();
    if (QMenu* spaces = mainMenu(9))
        if (QAction* a = ZEVMenuItemWithTag(spaces, long(KELENTITY_CHANNEL_VIEWER))) {
            a->setCheckable(true);
            a->setChecked(false);
        }
}

void ZEVChannelViewer::userGoHome(bool on)
{
    if (ZEVChannelView* v = channelView())
        v->btnDeskHome()->setState(on ? kZEVStateOn : kZEVStateOff);
}

void ZEVChannelViewer::userRecall()
{
    if (ZEVFrontViewerServices* f = frontViewer())
        space_.actifCurseur() == space_.searchCurseur() ? f->userRecallSearch() : f->userRecallNow();
}

void ZEVChannelViewer::userRetain()
{
    if (ZEVFrontViewerServices* f = frontViewer())
        space_.actifCurseur() == space_.searchCurseur() ? f->userRetainSearch() : f->userRetainNow();
}

void ZEVChannelViewer::userRelease()
{
    if (ZEVFrontViewerServices* f = frontViewer())
        space_.actifCurseur() == space_.searchCurseur() ? f->userReleaseSearch() : f->userReleaseNow();
}

void ZEVChannelViewer::userForget()
{
    if (ZEVFrontViewerServices* f = frontViewer())
        space_.actifCurseur() == space_.searchCurseur() ? f->userForgetSearch() : f->userForgetNow();
}

void ZEVChannelViewer::buttonRecallItems()
{
    model_.recallChannel(model_.currentChannel());
    if (ZEVChannelTableView* t = channelTableView())
        t->viewport()->update();
}

void ZEVChannelViewer::buttonReleaseItems()
{
    model_.releaseChannel(model_.currentChannel());
    if (ZEVChannelTableView* t = channelTableView())
        t->viewport()->update();
}

void ZEVChannelViewer::userWillCleanAndReplace()
{
    cleanAndReplaceLit_ = true;
    if (ZEVChannelView* v = channelView())
        v->btnCleanAndReplace()->setState(kZEVStateOn);
}

void ZEVChannelViewer::userDidCleanAndReplace()
{
    cleanAndReplaceLit_ = false;
    if (ZEVChannelView* v = channelView())
        v->btnCleanAndReplace()->setState(kZEVStateOff);
}

void ZEVChannelViewer::pasDeLigne(int sens)
{
    ZEVChannelTableView* t = channelTableView();
    const bool lignes = siShowInspectView() && t && t->selectionModel() && t->tableModel() &&
                        !t->selectionModel()->selectedRows().isEmpty();
    if (!lignes) {
        // The panel not shown: the model's rows and its selected Channel stand for the list's.
        const std::vector<KELI*> rows = model_.timeLineItems();
        const auto it = std::find(rows.begin(), rows.end(), model_.selectedChannel());
        if (it == rows.end())
            return;
        const std::ptrdiff_t i = (it - rows.begin()) + sens;
        if (i >= 0 && i < std::ptrdiff_t(rows.size()))
            model_.selectChannel(rows[std::size_t(i)]);
        return;
    }
    const QModelIndexList selected = t->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    const int row = selected.first().row() + sens;
    if (row < 0 || row >= t->tableModel()->rowCount())
        return;
    const QModelIndex i = t->tableModel()->index(row, 0);
    t->selectionModel()->select(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    t->scrollTo(i);
}

void ZEVChannelViewer::userChannelDown() { pasDeLigne(1); }

void ZEVChannelViewer::userChannelUp() { pasDeLigne(-1); }

void ZEVChannelViewer::menuChannelUp()
{
    userChannelUp();
    scheduleGotoOff(kGotoOff, true);
}

void ZEVChannelViewer::menuChannelDown()
{
    userChannelDown();
    scheduleGotoOff(kGotoOff, true);
}

void ZEVChannelViewer::spaceStep(bool previous, bool distinct, bool same)
{
    Scheduler::shared().cancel(this, kGotoOffName);
    if (ZEVFrontViewerServices* f = frontViewer())
        Scheduler::shared().cancel(f, kGotoOffName);
    if (previous)
        space_.userGotoPreviousSiDistinct(distinct, same);
    else
        space_.userGotoNextSiDistinct(distinct, same);
    scheduleGotoOff(kGotoOff, false);
}

void ZEVChannelViewer::menuPreviousSpace()
{
    const ZEVChannelRules::SpaceStepKeys k = ZEVChannelRules::spaceStepKeys(QApplication::keyboardModifiers());
    spaceStep(true, k.distinct, k.same);
}

void ZEVChannelViewer::menuNextSpace()
{
    const ZEVChannelRules::SpaceStepKeys k = ZEVChannelRules::spaceStepKeys(QApplication::keyboardModifiers());
    spaceStep(false, k.distinct, k.same);
}

void ZEVChannelViewer::userPreviousSpace() { spaceStep(true, false, false); }
void ZEVChannelViewer::userNextSpace() { spaceStep(false, false, false); }
void ZEVChannelViewer::menuPreviousSpaceDistinct() { space_.userGotoPreviousSiDistinct(true, false); }
void ZEVChannelViewer::menuNextSpaceDistinct() { space_.userGotoNextSiDistinct(true, false); }

void ZEVChannelViewer::menuHomeTime()
{
    if (ZEVFrontViewerServices* f = frontViewer())
        f->menuHomeTime();
}

void ZEVChannelViewer::menuInspectPrevious()
{
    if (ZEVFrontViewerServices* f = frontViewer())
        f->menuInspectPrevious(true);
}

void ZEVChannelViewer::menuInspectNext()
{
    if (ZEVFrontViewerServices* f = frontViewer())
        f->menuInspectNext(true);
}

void ZEVChannelViewer::menuInspectFind()
{
    ZEVInspectView* v = inspectView();
    if (!v)
        return;
    ZEVInspectTableView* t = v->inspectTableView();
    if (!t->hideSearchField())
        t->showSearchField();
    else
        setFirstResponder();
    v->update();
}

void ZEVChannelViewer::menuFindObjects()
{
    if (ZEVFrontViewerServices* f = frontViewer())
        f->menuInspectFind();
}

void ZEVChannelViewer::findThenTracks(void (ZEVInspectViewer::*find)())
{
    // The Icons panel's finds whatever the front mode: the front's own route would take the
    // Links panel's in Link mode.
    if (auto* icons = dynamic_cast<ZEVInspectViewer*>(space_.viewerForEntityClassName("ZEVIconViewer")))
        (icons->*find)();
    if (ZEVFrontViewerServices* f = frontViewer())
        f->userShowTracks();
}

void ZEVChannelViewer::menuFindZevHeld() { findThenTracks(&ZEVInspectViewer::menuFindZevHeld); }
void ZEVChannelViewer::menuFindZevFolderHeld() { findThenTracks(&ZEVInspectViewer::menuFindZevFolderHeld); }
void ZEVChannelViewer::menuFindMacHeld() { findThenTracks(&ZEVInspectViewer::menuFindMacHeld); }
void ZEVChannelViewer::menuFindExtHeld() { findThenTracks(&ZEVInspectViewer::menuFindExtHeld); }
void ZEVChannelViewer::menuFindFiles() { findThenTracks(&ZEVInspectViewer::menuFindFiles); }
void ZEVChannelViewer::menuFindPersons() { findThenTracks(&ZEVInspectViewer::menuFindPersons); }
void ZEVChannelViewer::menuFindEmails() { findThenTracks(&ZEVInspectViewer::menuFindEmails); }
void ZEVChannelViewer::menuFindBookmarks() { findThenTracks(&ZEVInspectViewer::menuFindBookmarks); }

void ZEVChannelViewer::performClique(ZEVButton* sender)
{
    ZEVChannelView* v = channelView();
    if (!v || !sender)
        return;
    if (sender == v->btnDeskHome())
        menuHomeTime();
    else if (sender == v->btnGotoPreviousSpace())
        menuPreviousSpace();
    else if (sender == v->btnGotoNextSpace())
        menuNextSpace();
    else if (sender == v->btnChannelUp())
        menuChannelUp();
    else if (sender == v->btnChannelDown())
        menuChannelDown();
    else if (sender == v->btnCleanAndReplace()) {
        if (ZEVFrontViewerServices* f = frontViewer())
            f->userSpaceCleanAll();
    } else if (sender == v->btnGotoPrevious())
        menuInspectPrevious();
    else if (sender == v->btnGotoNext())
        menuInspectNext();
    else if (sender == v->btnFind())
        menuInspectFind();
    else if (sender == v->btnAdd())
        menuChannelAdd();
    else if (sender == v->btnClose())
        buttonInspectCancel();
}

QMenu* ZEVChannelViewer::buttonMenu(ZEVButton* b) const
{
    ZEVChannelView* v = channelView();
    if (!v || !b)
        return nullptr;
    if (b == v->btnChannelUp() || b == v->btnChannelDown())
        return menuUpDown_.get();
    if (b == v->btnGotoPreviousSpace() || b == v->btnGotoNextSpace())
        return menuGotoSpace_.get();
    if (b == v->btnDeskHome())
        return menuDeskHome_.get();
    if (b == v->btnCleanAndReplace())
        return menuClean_.get();
    return nullptr;
}

void ZEVChannelViewer::boutonPresse(ZEVButton* sender)
{
    // A long press ran the button's command already.
    if (sender->siClickLong())
        return;
    ZEVChannelView* v = channelView();
    QMenu* menu = buttonMenu(sender);
    // The Channels menu is filled as it opens: an empty one still pops up.
    if (!v || !menu)
        return;
    // The Channels menu opens under Channel down, the Spaces menu under previous Space.
    ZEVButton* sous = sender;
    if (menu == menuUpDown_.get())
        sous = v->btnChannelDown();
    else if (menu == menuGotoSpace_.get())
        sous = v->btnGotoPreviousSpace();
    menu->popup(sous->mapToGlobal(QPoint(0, sous->height())));
}

// ---------------------------------------------------------------------------------------------
// Lighting

bool ZEVChannelViewer::aimedOn() const { return siFirstResponder(); }

void ZEVChannelViewer::allumer(const ZEVChannelRules::Lights& l)
{
    ZEVChannelView* v = channelView();
    if (!v)
        return;
    auto poser = [](ZEVButton* b, const std::optional<int>& state) {
        if (b && state)
            b->setState(*state);
    };
    poser(v->btnChannelUp(), l.channelUp);
    poser(v->btnChannelDown(), l.channelDown);
    poser(v->btnGotoPreviousSpace(), l.previousSpace);
    poser(v->btnGotoNextSpace(), l.nextSpace);
    poser(v->btnGotoPrevious(), l.gotoPrevious);
    poser(v->btnGotoNext(), l.gotoNext);
    poser(v->btnDeskHome(), l.home);
}

void ZEVChannelViewer::scheduleGotoOff(double delay, bool commonModes)
{
    Scheduler::shared().cancel(this, kGotoOffName);
    Scheduler::shared().perform(this, kGotoOffName, delay, [this] { setGotoOff(); }, commonModes);
    // The front toolbar, the twin of this one, goes out at the same time.
    if (ZEVFrontViewerServices* f = frontViewer()) {
        Scheduler::shared().cancel(f, kGotoOffName);
        Scheduler::shared().perform(f, kGotoOffName, delay, [f] { f->setGotoOff(); }, commonModes);
    }
}

void ZEVChannelViewer::relancerGotoOff()
{
    Scheduler::shared().cancel(this, kGotoOffName);
    Scheduler::shared().perform(this, kGotoOffName, kGotoOff, [this] { setGotoOff(); });
}

void ZEVChannelViewer::selectionUp(KELId channelInt)
{
    using M = ZEVChannelRules::Move;
    allumer(ZEVChannelRules::lightsFor(M::Up, browsing_, aimedOn(), channelInt == space_.homeChannelInt()));
    relancerGotoOff();
}

void ZEVChannelViewer::selectionDown(KELId channelInt)
{
    using M = ZEVChannelRules::Move;
    allumer(ZEVChannelRules::lightsFor(M::Down, browsing_, aimedOn(), channelInt == space_.homeChannelInt()));
    relancerGotoOff();
}

void ZEVChannelViewer::selectionPreviousSpace(bool siHome)
{
    allumer(ZEVChannelRules::lightsFor(ZEVChannelRules::Move::PreviousSpace, browsing_, aimedOn(), siHome));
    relancerGotoOff();
}

void ZEVChannelViewer::selectionNextSpace(bool siHome)
{
    allumer(ZEVChannelRules::lightsFor(ZEVChannelRules::Move::NextSpace, browsing_, aimedOn(), siHome));
    relancerGotoOff();
}

void ZEVChannelViewer::selectionPreviousObject(bool siHome)
{
    allumer(ZEVChannelRules::lightsFor(ZEVChannelRules::Move::PreviousObject, browsing_, aimedOn(), siHome));
    relancerGotoOff();
}

void ZEVChannelViewer::selectionNextObject(bool siHome)
{
    allumer(ZEVChannelRules::lightsFor(ZEVChannelRules::Move::NextObject, browsing_, aimedOn(), siHome));
    relancerGotoOff();
}

void ZEVChannelViewer::selectionHome()
{
    if (ZEVChannelView* v = channelView())
        v->btnDeskHome()->setState(kZEVStateMixed);
}

void ZEVChannelViewer::setGotoOff()
{
    Scheduler::shared().cancel(this, kGotoOffName);
    allumer(ZEVChannelRules::lightsFor(ZEVChannelRules::Move::Rest, browsing_, aimedOn(), false));
}

// ---------------------------------------------------------------------------------------------
// The zoom pop-up

void ZEVChannelViewer::majZoomPopUp()
{
    ZEVChannelView* v = channelView();
    auto* ruler = dynamic_cast<ZEVRulerViewer*>(space_.rulerViewer());
    // While the list shows, the previews move the strip: its items and the kept step stay.
    if (!v || !ruler || zoomMenuOpen_)
        return;
    const std::optional<double> step = ZEVChannelRules::stepFor(ruler->tlineSpan(), ruler->tlineWidth());
    // Without a strip, or with a span that is no number, the pop-up keeps its choice.
    if (!step)
        return;
    zoomStepDuration_ = *step;
    const std::uint64_t tag = ZEVChannelRules::tagForStep(*step);
    QComboBox* popUp = v->zoomPopUp();
    QSignalBlocker bloque(popUp);
    std::vector<std::uint64_t> tags;
    for (int i = popUp->count() - 1; i >= 0; --i)
        if (popUp->itemData(i, Qt::UserRole + 1).toBool())
            popUp->removeItem(i);
    for (int i = 0; i < popUp->count(); ++i)
        tags.push_back(popUp->itemData(i).toULongLong());
    const ZEVChannelRules::Placement p = ZEVChannelRules::placement(tags, tag);
    if (p.extra) {
        popUp->insertItem(p.index, ZEVChannelRules::stringForDuration(*step), QVariant::fromValue(qulonglong(tag)));
        popUp->setItemData(p.index, true, Qt::UserRole + 1);
    }
    popUp->setCurrentIndex(p.index);
}

void ZEVChannelViewer::popUpChangeZoom(int index)
{
    ZEVChannelView* v = channelView();
    if (!v || index < 0 || index >= v->zoomPopUp()->count())
        return;
    const std::uint64_t tag = v->zoomPopUp()->itemData(index).toULongLong();
    if (zoomMenuOpen_)
        zoomChosen_ = true;
    // The extra item stands for the step when the list opened, not one its previews reached.
    if (tag > ZEVChannelRules::kBeyondStep)
        _zoomTag(zoomStepKept_.value_or(zoomStepDuration_), 0);
    else
        _zoomTag(double(tag), 0);
}

void ZEVChannelViewer::_zoomTag(double step, float duration)
{
    auto* ruler = dynamic_cast<ZEVRulerViewer*>(space_.rulerViewer());
    ZEVTlineType* axe = ruler ? ruler->tlineType() : nullptr;
    if (!ruler || !axe)
        return;
    KELICurseur* search = space_.searchCurseur();
    KELICurseur* ancre = space_.actifCurseur() == search ? search : space_.nowCurseur();
    if (!ancre)
        return;
    const double r = axe->relativeCoordinateForDate(ancre->now());
    const std::optional<ZEVChannelRules::Offsets> o =
        ZEVChannelRules::zoomOffsets(ruler->tlineSpan(), ruler->tlineWidth(), r, step);
    if (!o)
        return;
    ruler->userDesactiveAnimer();
    ruler->userAnimeRuler(duration, o->in, o->out);
}

// ---------------------------------------------------------------------------------------------
// Renaming the Space in the count field

void ZEVChannelViewer::menuSpaceRename()
{
    siEditSpaceName_ = true;
    if (ZEVContextViewerServices* c = contextViewer())
        c->ouvrirEntityWithInt(KELENTITY_CHANNEL_VIEWER);
    ZEVChannelView* v = channelView();
    if (!v)
        return;
    v->setCountFieldEditing(true);
    v->countField()->setText(QString::fromStdString(currentSpaceName()));
    v->countField()->setFocus(Qt::OtherFocusReason);
    v->countField()->selectAll();
}

void ZEVChannelViewer::menuSpaceDidRename()
{
    ZEVChannelView* v = channelView();
    if (siEditSpaceName_ && v) {
        siEditSpaceName_ = false;
        const QString texte = v->countField()->text();
        const std::string nom = texte.toStdString();
        ZEVDeskViewer* desk = space_.deskViewerForCurseur(space_.actifCurseur());
        // A blank name would leave the Space without a title: the old one stays.
        if (texte.trimmed().isEmpty())
            beep();
        else if (desk && nom != currentSpaceName())
            desk->setBackImageItemName(nom);
        v->setCountFieldEditing(false);
        setFirstResponder();
    }
    majInspectField();
}

bool ZEVChannelViewer::menuInspectCancelRename()
{
    ZEVChannelView* v = channelView();
    if (siEditSpaceName_ && v) {
        siEditSpaceName_ = false;
        v->setCountFieldEditing(false);
        setFirstResponder();
        majInspectField();
        return true;
    }
    // A Channel's name being edited in the list: the editor's own Escape abandons it.
    ZEVChannelTableView* t = channelTableView();
    QWidget* editor = QApplication::focusWidget();
    if (!t || !editor || editor == t || !t->isAncestorOf(editor))
        return false;
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(editor, &escape);
    t->setFocus(Qt::OtherFocusReason);
    return true;
}

// ---------------------------------------------------------------------------------------------

std::optional<ZEVChannelPanelSpan> ZEVChannelViewer::channelViewIfOpen()
{
    ZEVInspectView* v = inspectViewIfBuilt();
    if (!siShowInspectView() || !v)
        return std::nullopt;
    const QRectF r = v->inspectRect();
    return ZEVChannelPanelSpan{v->frame().x(), r.x(), r.width()};
}

// ---------------------------------------------------------------------------------------------
// The modify panel

ZEVChannelModifyPanel& ZEVChannelViewer::panneauModify()
{
    if (!modifyPanel_) {
        modifyPanel_ = std::make_unique<ZEVChannelModifyPanel>(space_, model_);
        auto bouton = [this](int state) {
            if (ZEVChannelView* v = channelView())
                v->btnEntity()->setState(state);
        };
        QObject::connect(modifyPanel_.get(), &ZEVChannelModifyPanel::panelOpened, this,
                         [bouton] { bouton(kZEVStateOn); });
        QObject::connect(modifyPanel_.get(), &ZEVChannelModifyPanel::panelClosed, this, [this, bouton](bool applied) {
            bouton(kZEVStateOff);
            if (applied)
                majInspectView();
        });
    }
    return *modifyPanel_;
}

void ZEVChannelViewer::userChannelRename() { panneauModify().openForChannel(); }

void ZEVChannelViewer::userSpaceRename() { panneauModify().openForSpace(); }

} // namespace tallomer
