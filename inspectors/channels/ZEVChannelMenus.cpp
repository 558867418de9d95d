// The Channels toolbar's menus. Each is made ready as it opens (what is enabled, the Now entry's
// title and picture, the return point), lights its button while it shows, and the browsing ones
// (Spaces, Channels, history, the zoom list) show the place under the pointer and bring the
// window back when the pointer leaves them, on Esc or on a click outside.

#include "inspectors/channels/ZEVChannelViewer.h"

#include "look/KELSharedResources.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "desk/viewer/ZEVNowThumbnail.h"
#include "inspectors/channels/ZEVChannelTableView.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "platform/MenuText.h"
#include "space/ZEVMenuPreview.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "widgets/FileTypeIcon.h"
#include "widgets/ZEVButton.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QMenu>

#include <functional>

namespace tallomer {

namespace {

constexpr long kNowTag = ZEVMenuPreview::kHomeTag;
constexpr const char* kZoomDidClose = "zoomMenuDidClose";
constexpr double kZoomPreview = 0.8;
constexpr double kZoomReturn = 0.2;

QAction* entree(QMenu* menu, long tag, const QString& title, std::function<void()> fn)
{
    QAction* a = menu->addAction(title);
    a->setProperty("tag", qlonglong(tag));
    QObject::connect(a, &QAction::triggered, menu, [fn = std::move(fn)] { fn(); });
    return a;
}

void activer(QMenu* menu, long tag, bool on)
{
    if (QAction* a = ZEVMenuItemWithTag(menu, tag))
        a->setEnabled(on);
}

// The row menu's Spaces are listed by the model for the row's Channel as the menu is built: the
// preview must not list the current Channel's over them. Everything else is the Space's.
class RowPreviewTarget final : public ZEVMenuPreviewTarget {
public:
    explicit RowPreviewTarget(ZEVMenuPreviewTarget& space) : space_(space) {}
    bool siSearchActif() override { return space_.siSearchActif(); }
    void storeSearchDate() override { space_.storeSearchDate(); }
    KELId currentChannelInt() override { return space_.currentChannelInt(); }
    void fillSpaces(QMenu*, int, long) override {}
    void fillReplaceSpaces(QMenu*, int, long) override {}
    void fillChannels(QMenu*, int, bool) override {}
    void fillHistory(QMenu*, int, unsigned) override {}
    void gotoSpace(long tag) override { space_.gotoSpace(tag); }
    void gotoChannel(long channelInt) override { space_.gotoChannel(channelInt); }
    void scannHistory(long tag, bool outOfHistory) override { space_.scannHistory(tag, outOfHistory); }
    void historyDidClose() override { space_.historyDidClose(); }
    void homeHighlighted() override { space_.homeHighlighted(); }
    void setSpaceBrowsing(bool browsing) override { space_.setSpaceBrowsing(browsing); }
    void setChannelBrowsing(bool browsing) override { space_.setChannelBrowsing(browsing); }
    void setGotoOff() override { space_.setGotoOff(); }

private:
    ZEVMenuPreviewTarget& space_; // not owned
};

// The history menu's previews put back only this toolbar's lights: the front layer's twin toolbar
// keeps what it shows while the marks are scanned from here.
class HistoryPreviewTarget final : public ZEVMenuPreviewTarget {
public:
    HistoryPreviewTarget(ZEVMenuPreviewTarget& space, ZEVChannelViewer& viewer) : space_(space), viewer_(viewer) {}
    bool siSearchActif() override { return space_.siSearchActif(); }
    void storeSearchDate() override { space_.storeSearchDate(); }
    KELId currentChannelInt() override { return space_.currentChannelInt(); }
    void fillSpaces(QMenu* m, int start, long maxPrev) override { space_.fillSpaces(m, start, maxPrev); }
    void fillReplaceSpaces(QMenu* m, int start, long maxPrev) override { space_.fillReplaceSpaces(m, start, maxPrev); }
    void fillChannels(QMenu* m, int start, bool zevFolder) override { space_.fillChannels(m, start, zevFolder); }
    void fillHistory(QMenu* m, int start, unsigned max) override { space_.fillHistory(m, start, max); }
    void gotoSpace(long tag) override { space_.gotoSpace(tag); }
    void gotoChannel(long channelInt) override { space_.gotoChannel(channelInt); }
    void scannHistory(long tag, bool outOfHistory) override
    {
        viewer_.setGotoOff();
        space_.scannHistory(tag, outOfHistory);
    }
    void historyDidClose() override { space_.historyDidClose(); }
    void homeHighlighted() override { space_.homeHighlighted(); }
    void setSpaceBrowsing(bool browsing) override { space_.setSpaceBrowsing(browsing); }
    void setChannelBrowsing(bool browsing) override { space_.setChannelBrowsing(browsing); }
    void setGotoOff() override { viewer_.setGotoOff(); }

private:
    ZEVMenuPreviewTarget& space_; // not owned
    ZEVChannelViewer& viewer_;    // not owned
};

} // namespace

void ZEVChannelViewer::construireLesMenusDuBandeau()
{
    ZEVChannelView* v = channelView();
    auto faire = [this](std::unique_ptr<QMenu>& m, const char* name) {
        m = std::make_unique<QMenu>();
        m->setObjectName(QString::fromLatin1(name));
        QMenu* raw = m.get();
        QObject::connect(raw, &QMenu::aboutToShow, this, [this, raw] { menuWillOpen(raw); });
        QObject::connect(raw, &QMenu::aboutToHide, this, [this, raw] { menuDidClose(raw); });
        return raw;
    };
    previewTarget_ = std::make_unique<ZEVSpacePreviewTarget>(space_);
    rowPreviewTarget_ = std::make_unique<RowPreviewTarget>(*previewTarget_);
    historyPreviewTarget_ = std::make_unique<HistoryPreviewTarget>(*previewTarget_, *this);

    QMenu* entity = faire(menuBtnEntity_, "menuBtnEntity");
    entree(entity, 42345, QStringLiteral("Recall Channel"), [this] { buttonRecallItems(); });
    entree(entity, 42346, QStringLiteral("Release Channel"), [this] { buttonReleaseItems(); });
    entity->addSeparator();
    auto bascule = [this](void (ZEVFrontViewerServices::*f)()) {
        return [this, f] {
            if (ZEVFrontViewerServices* front = frontViewer())
                (front->*f)();
        };
    };
    entree(entity, 2, QStringLiteral("Time Bar"), bascule(&ZEVFrontViewerServices::userToggleTimebar))->setCheckable(true);
    entree(entity, 3, QStringLiteral("Timeline"), bascule(&ZEVFrontViewerServices::userToggleTline))->setCheckable(true);
    entree(entity, 4, QStringLiteral("Tracks"), bascule(&ZEVFrontViewerServices::userToggleTracks))->setCheckable(true);
    entree(entity, 5, QStringLiteral("Toolbar"), bascule(&ZEVFrontViewerServices::userToggleToolbar))->setCheckable(true);

    QMenu* clean = faire(menuClean_, "menuBtnClean");
    entree(clean, 40, QStringLiteral("Clean"), bascule(&ZEVFrontViewerServices::userSpaceCleanAll));
    entree(clean, 41, QStringLiteral("Clean and Recall"), bascule(&ZEVFrontViewerServices::userSpaceCleanAndRecall));
    entree(clean, 44, QStringLiteral("Clean and Recall Back"),
           bascule(&ZEVFrontViewerServices::userSpaceCleanAndRecallBack));
    entree(clean, 43, QStringLiteral("Clean and Replace"), bascule(&ZEVFrontViewerServices::userSpaceCleanAndReplace));
    clean->addSeparator();
    cleanPreview_ = std::make_unique<ZEVMenuPreview>(*previewTarget_, ZEVMenuPreview::Kind::CleanSpaces, 5, 25);
    cleanPreview_->attach(clean);

    QMenu* spaces = faire(menuGotoSpace_, "menuBtnGotoSpace");
    entree(spaces, kNowTag, QStringLiteral("Now  --  "), [this] {
        if (ZEVFrontViewerServices* f = frontViewer())
            f->userGoNow();
    });
    spaces->addSeparator();
    entree(spaces, 1, QStringLiteral("Previous Space"), [this] { userPreviousSpace(); });
    entree(spaces, 2, QStringLiteral("Next Space"), [this] { userNextSpace(); });
    spacesPreview_ = std::make_unique<ZEVMenuPreview>(*previewTarget_, ZEVMenuPreview::Kind::Spaces, 4, 15);
    spacesPreview_->attach(spaces);

    QMenu* goTo = faire(menuBtnGoto_, "menuBtnGoto");
    entree(goTo, 1, QStringLiteral("Previous Change"), [this] { menuInspectPrevious(); });
    entree(goTo, 2, QStringLiteral("Next Change"), [this] { menuInspectNext(); });
    for (ZEVButton* b : {v->btnGotoPrevious(), v->btnGotoNext()}) {
        b->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(b, &QWidget::customContextMenuRequested, this, [this, b] { popUpSous(menuBtnGoto_.get(), b); });
    }

    // The zoom pop-up's own menu, on a secondary press.
    QMenu* zoom = faire(menuBtnZoom_, "menuBtnZoom");
    entree(zoom, 1, QStringLiteral("Home Time"), [this] { menuHomeTime(); });
    entree(zoom, kNowTag, QStringLiteral("Now"), [this] { space_.userChangePresetHome(); });
    QComboBox* popUp = v->zoomPopUp();
    popUp->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(popUp, &QWidget::customContextMenuRequested, this,
                     [this, popUp](const QPoint& p) { menuBtnZoom_->popup(popUp->mapToGlobal(p)); });
    // The list's highlights preview; leaving it previews nothing.
    QObject::connect(popUp, qOverload<int>(&QComboBox::highlighted), this, [this](int i) { zoomMenuHighlight(i); });
    popUp->view()->viewport()->installEventFilter(this);
    v->setZoomPopUpHooks([this] { zoomMenuWillOpen(); },
                         [this] {
                             // The choice, if any, is told after the list hid: looked at on the next turn.
                             Scheduler::shared().cancel(this, kZoomDidClose);
                             Scheduler::shared().perform(this, kZoomDidClose, 0,
                                                         [this] { zoomMenuDidClose(zoomChosen_); });
                         });

    QMenu* history = faire(menuDeskHome_, "menuBtnDeskHome");
    entree(history, 1, QStringLiteral("Home Time"), [this] { menuHomeTime(); });
    entree(history, kNowTag, QStringLiteral("Now"), [this] { space_.userChangePresetHome(); });
    history->addSeparator();
    entree(history, 2000018, QStringLiteral("Home Channel"), [this] { model_.selectChannelInt(space_.homeChannelInt()); });
    entree(history, 2, QStringLiteral("Home Time and Channel"), [this] {
        model_.selectChannelInt(space_.homeChannelInt());
        menuHomeTime();
    });
    history->addSeparator();
    QAction* titre = history->addAction(QStringLiteral("History"));
    titre->setEnabled(false);
    historyPreview_ = std::make_unique<ZEVMenuPreview>(*historyPreviewTarget_, ZEVMenuPreview::Kind::History, 7);
    historyPreview_->setHistoryMax(50);
    historyPreview_->attach(history);

    QMenu* add = faire(menuBtnAdd_, "menuBtnAdd");
    entree(add, 1, QStringLiteral("New Channel\u2026"), [this] { menuChannelAdd(); });
    entree(add, 2, QStringLiteral("New Space\u2026"), [this] { menuSpaceNew(); });

    QMenu* channels = faire(menuUpDown_, "menuBtnUpDown");
    channelsPreview_ = std::make_unique<ZEVMenuPreview>(*previewTarget_, ZEVMenuPreview::Kind::Channels, 0, 0, false);
    channelsPreview_->attach(channels);

    QMenu* find = faire(menuBtnFind_, "menuBtnFind");
    entree(find, 22000, QStringLiteral("Type to Select"), [this] { menuInspectFind(); });
    entree(find, 22010, QStringLiteral("Find Objects"), [this] { menuFindObjects(); });
    find->addSeparator();
    entree(find, 22001, QStringLiteral("Find Objects Held by Tallomer"), [this] { menuFindZevHeld(); });
    entree(find, 22004, QStringLiteral("Find Objects in the Tallomer Folder"), [this] { menuFindZevFolderHeld(); });
    entree(find, 22002, QStringLiteral("Find Objects Held by the System"), [this] { menuFindMacHeld(); });
    entree(find, 22003, QStringLiteral("Find Objects Held Elsewhere"), [this] { menuFindExtHeld(); });
    find->addSeparator();
    entree(find, 22020, QStringLiteral("Find Files"), [this] { menuFindFiles(); });
    entree(find, 22021, QStringLiteral("Find Contacts"), [this] { menuFindPersons(); });
    entree(find, 22022, QStringLiteral("Find Emails"), [this] { menuFindEmails(); });
    entree(find, 22023, QStringLiteral("Find Web Links"), [this] { menuFindBookmarks(); });
    find->addSeparator();
    entree(find, 22030, QStringLiteral("Find in Channels"), [this] {
        if (ZEVFrontViewerServices* f = frontViewer())
            f->userFindInChannels();
    });
    entree(find, 22031, QStringLiteral("Find Text in Channels"), [this] {
        if (ZEVFrontViewerServices* f = frontViewer())
            f->userFindTextInChannels();
    });

    // The table's row menu: its Spaces come from the model as it is built.
    QMenu* rows = v->channelTableView()->channelRowMenu();
    QObject::connect(rows, &QMenu::aboutToShow, this, [this, rows] { menuWillOpen(rows); });
    QObject::connect(rows, &QMenu::aboutToHide, this, [this, rows] { menuDidClose(rows); });
    rowPreview_ = std::make_unique<ZEVMenuPreview>(*rowPreviewTarget_, ZEVMenuPreview::Kind::Spaces, 4, 25);
    rowPreview_->attach(rows);

    // The Add, Find and entity buttons are on while their menu shows; a long press runs the
    // button's command instead.
    for (ZEVButton* b : {v->btnAdd(), v->btnFind(), v->btnEntity()}) {
        b->setCheckable(true);
        b->setSiClickKeepsState(true);
        b->setCliqueTarget(this, [this](ZEVButton* sender) { performClique(sender); });
    }
}

QMenu* ZEVChannelViewer::toolbarMenu(ToolbarMenu which) const
{
    switch (which) {
    case ToolbarMenu::Entity:
        return menuBtnEntity_.get();
    case ToolbarMenu::Clean:
        return menuClean_.get();
    case ToolbarMenu::Spaces:
        return menuGotoSpace_.get();
    case ToolbarMenu::Row: {
        ZEVChannelTableView* t = channelTableView();
        return t ? t->channelRowMenu() : nullptr;
    }
    case ToolbarMenu::Goto:
        return menuBtnGoto_.get();
    case ToolbarMenu::ZoomButton:
        return menuBtnZoom_.get();
    case ToolbarMenu::History:
        return menuDeskHome_.get();
    case ToolbarMenu::Add:
        return menuBtnAdd_.get();
    case ToolbarMenu::Channels:
        return menuUpDown_.get();
    case ToolbarMenu::Find:
        return menuBtnFind_.get();
    }
    return nullptr;
}

void ZEVChannelViewer::popUpSous(QMenu* menu, ZEVButton* sous)
{
    if (menu && sous)
        menu->popup(sous->mapToGlobal(QPoint(0, sous->height())));
}

void ZEVChannelViewer::btnInspectAdd()
{
    ZEVChannelView* v = channelView();
    if (v && !v->btnAdd()->siClickLong())
        popUpSous(menuBtnAdd_.get(), v->btnAdd());
}

void ZEVChannelViewer::btnInspectFind()
{
    ZEVChannelView* v = channelView();
    if (!v)
        return;
    v->channelTableView()->hideSearchField();
    if (!v->btnFind()->siClickLong())
        popUpSous(menuBtnFind_.get(), v->btnFind());
}

void ZEVChannelViewer::btnEntity()
{
    ZEVChannelView* v = channelView();
    if (v && !v->btnEntity()->siClickLong())
        popUpSous(menuBtnEntity_.get(), v->btnEntity());
}

void ZEVChannelViewer::menuChannelAdd() { menuInspectAdd(); }

void ZEVChannelViewer::menuSpaceNew() { userSpaceAdd(); }

// ---------------------------------------------------------------------------------------------
// Opening

QIcon ZEVChannelViewer::vignetteDuNow() { return ZEVNowBackThumbnail(space_); }

void ZEVChannelViewer::preparerEntity(QMenu* menu)
{
    KELI* canal = model_.currentChannel();
    const bool liste = canal && model_.siChannelActif(canal, space_.actifCurseur());
    activer(menu, 42345, canal && !liste);
    activer(menu, 42346, liste);
    ZEVFrontViewerServices* f = frontViewer();
    const std::pair<long, bool> ouvertes[] = {
        {2, f && !f->siTimebarClosed()},
        {3, f && !f->siTlineClosed()},
        {4, f && !f->siTracksClosed()},
        {5, f && !f->siToolbarClosed()},
    };
    for (const auto& [tag, ouverte] : ouvertes)
        if (QAction* a = ZEVMenuItemWithTag(menu, tag))
            a->setChecked(ouverte);
}

void ZEVChannelViewer::preparerHomeItems(QMenu* menu)
{
    KELICurseur* actif = space_.actifCurseur();
    const bool nowActif = actif && actif == space_.nowCurseur();
    ZEVFrontViewerServices* f = frontViewer();
    const bool chezSoi = f && f->siCurseurAtHome();
    activer(menu, 1, !(nowActif && chezSoi));
    activer(menu, kNowTag, nowActif && !chezSoi);
}

void ZEVChannelViewer::preparerFind(QMenu* menu)
{
    const auto items = space_.selections().selectedItemsForFrontMode();
    const bool any = items && !items->empty();
    activer(menu, 22030, any);
    activer(menu, 22031, any);
    const KELSharedResources& r = space_.host().sharedResources();
    const std::pair<long, QIcon> images[] = {
        {22001, QIcon(r.holdByZevImage())},
        {22002, QIcon(r.holdByMacImage())},
        {22003, QIcon(r.holdByExternImage())},
        {22004, QIcon(r.holdByZevFolderImage())},
        {22020, findIconForFileType(QString())},
        {22021, findIconForFileType(QStringLiteral("vcf"))},
        {22022, findIconForFileType(QStringLiteral("eml"))},
        {22023, findIconForFileType(QStringLiteral("webloc"))},
    };
    for (const auto& [tag, image] : images)
        if (QAction* a = ZEVMenuItemWithTag(menu, tag))
            a->setIcon(image);
}

void ZEVChannelViewer::menuWillOpen(QMenu* menu)
{
    ZEVChannelView* v = channelView();
    if (!v || !menu)
        return;
    ZEVFrontViewerServices* f = frontViewer();
    KELICurseur* actif = space_.actifCurseur();
    const bool search = actif && actif == space_.searchCurseur();
    if (menu == menuBtnEntity_.get()) {
        v->btnEntity()->setState(kZEVStateOn);
        preparerEntity(menu);
    } else if (menu == menuClean_.get()) {
        v->btnCleanAndReplace()->setState(kZEVStateOn);
        ZEVDeskViewer* actifDesk = space_.deskViewerForCurseur(actif);
        ZEVDeskViewer* nowDesk = space_.deskViewerForCurseur(space_.nowCurseur());
        ZEVDeskViewer* searchDesk = space_.deskViewerForCurseur(space_.searchCurseur());
        const int mode = f ? f->frontMode() : 0;
        const bool selection =
            (nowDesk && nowDesk->siSelectionExiste(mode)) || (searchDesk && searchDesk->siSelectionExiste(mode));
        activer(menu, 40, !search && actifDesk && actifDesk->siItemExiste());
        activer(menu, 41, selection);
        activer(menu, 44, search);
        activer(menu, 43, search);
        if (QAction* a = ZEVMenuItemWithTag(menu, 43))
            a->setIcon(vignetteDuNow());
    } else if (menu == menuGotoSpace_.get()) {
        if (QAction* now = ZEVMenuItemWithTag(menu, kNowTag)) {
            ZEVDeskViewer* nowDesk = space_.deskViewerForCurseur(space_.nowCurseur());
            const QString nom = nowDesk ? QString::fromStdString(nowDesk->currentBackImageItemName()) : QString();
            now->setText(QStringLiteral("Now  --  %1").arg(menuText(nom)));
            now->setIcon(vignetteDuNow());
        }
    } else if (menu == menuBtnGoto_.get()) {
        v->btnGotoPrevious()->setState(kZEVStateMixed);
        v->btnGotoNext()->setState(kZEVStateMixed);
    } else if (menu == menuBtnZoom_.get()) {
        preparerHomeItems(menu);
    } else if (menu == menuDeskHome_.get()) {
        v->btnDeskHome()->setState(kZEVStateOn);
        setZevstoryBrowsing(true);
        if (f)
            f->setZevstoryBrowsing(true);
        preparerHomeItems(menu);
        const bool ailleurs = space_.currentChannelInt() != space_.homeChannelInt();
        activer(menu, 2000018, ailleurs);
        activer(menu, 2, ailleurs);
    } else if (menu == menuBtnAdd_.get()) {
        v->btnAdd()->setState(kZEVStateOn);
    } else if (menu == menuBtnFind_.get()) {
        v->btnFind()->setState(kZEVStateOn);
        preparerFind(menu);
    }
    // The Spaces, row, clean and Channels menus' return points and browsing are their previews'.
}

void ZEVChannelViewer::menuDidClose(QMenu* menu)
{
    ZEVChannelView* v = channelView();
    if (!v || !menu)
        return;
    if (menu == menuBtnEntity_.get()) {
        v->btnEntity()->setState(kZEVStateOff);
    } else if (menu == menuClean_.get()) {
        v->btnCleanAndReplace()->setState(cleanAndReplaceLit_ ? kZEVStateOn : kZEVStateOff);
    } else if (menu == menuBtnGoto_.get()) {
        v->btnGotoPrevious()->setState(kZEVStateOff);
        v->btnGotoNext()->setState(kZEVStateOff);
    } else if (menu == menuDeskHome_.get()) {
        v->btnDeskHome()->setState(kZEVStateOff);
        setZevstoryBrowsing(false);
        if (ZEVFrontViewerServices* f = frontViewer())
            f->setZevstoryBrowsing(false);
    } else if (menu == menuBtnAdd_.get()) {
        v->btnAdd()->setState(kZEVStateOff);
    } else if (menu == menuBtnFind_.get()) {
        v->btnFind()->setState(kZEVStateOff);
    } else if (menu == v->channelTableView()->channelRowMenu()) {
        v->channelTableView()->disableRightSelectedRow();
    }
}

// ---------------------------------------------------------------------------------------------
// The zoom list

void ZEVChannelViewer::zoomMenuWillOpen()
{
    Scheduler::shared().cancel(this, kZoomDidClose);
    zoomMenuOpen_ = true;
    zoomChosen_ = false;
    zoomStepKept_ = zoomStepDuration_;
}

void ZEVChannelViewer::zoomMenuHighlight(int index)
{
    ZEVChannelView* v = channelView();
    if (!zoomMenuOpen_ || !v || !zoomStepKept_)
        return;
    QComboBox* popUp = v->zoomPopUp();
    const std::uint64_t tag =
        index >= 0 && index < popUp->count() ? popUp->itemData(index).toULongLong() : std::uint64_t(0);
    if (tag == 0)
        _zoomTag(*zoomStepKept_, float(kZoomReturn));
    else if (tag <= ZEVChannelRules::kBeyondStep)
        _zoomTag(double(tag), float(kZoomPreview));
    else
        _zoomTag(*zoomStepKept_, float(kZoomPreview));
}

void ZEVChannelViewer::zoomMenuDidClose(bool chosen)
{
    Scheduler::shared().cancel(this, kZoomDidClose);
    if (!zoomMenuOpen_)
        return;
    // Without a choice the strip goes back to the step of the opening.
    if (!chosen)
        zoomMenuHighlight(-1);
    zoomMenuOpen_ = false;
    zoomChosen_ = false;
    zoomStepKept_.reset();
    majInspectView();
}

} // namespace tallomer
