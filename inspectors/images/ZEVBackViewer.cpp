#include "inspectors/images/ZEVBackViewer.h"

#include "inspectors/images/ZEVBackTableView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVSpaceController.h"
#include "widgets/ZEVButton.h"

#include <QHeaderView>

namespace tallomer {

ZEVBackView::ZEVBackView(ZEVInspectViewer& viewer)
    : ZEVInspectView(viewer, QStringLiteral("Back"), kBackMetrics,
                     [](ZEVInspectViewer& v, ZEVInspectView* panel) { return new ZEVBackTableView(v, panel); })
{
}

ZEVBackViewer::ZEVBackViewer(ZEVSpaceController& space, KELId entityInt)
    : ZEVInspectViewer(space, entityInt), model_(this, space)
{
    model_.initialiser();
    model_.enclencherMaj();
}

ZEVBackViewer::~ZEVBackViewer()
{
    Scheduler::shared().cancelAll(&model_);
    // The panel (and its table) outlives the model by a little: the table asks it nothing more.
    if (ZEVBackTableView* t = backTableView())
        t->setBackDelegate(nullptr);
}

ZEVBackTableView* ZEVBackViewer::backTableView() const
{
    ZEVInspectView* v = inspectViewIfBuilt();
    return v ? dynamic_cast<ZEVBackTableView*>(v->inspectTableView()) : nullptr;
}

void ZEVBackViewer::awakeFromNib()
{
    ZEVInspectViewer::awakeFromNib();
    ZEVBackTableView* table = backTableView();
    if (!table)
        return;
    // The four front-mode marks, then the picture with its title and colour.
    table->setColumnIdentifiers({QStringLiteral("imageIcon"), QStringLiteral("imageTitle"), QStringLiteral("imageNode"),
                                 QStringLiteral("imageFilter"), QStringLiteral("itemIcon")});
    for (int mode = 0; mode < 4; ++mode) {
        table->setModeColumn(mode, mode);
        table->horizontalHeader()->resizeSection(mode, 22);
    }
    table->verticalHeader()->setDefaultSectionSize(ZEVBackTableView::kRowHeight);
    QObject::connect(table, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) {
        const std::vector<KELI*> items = model_.actifItems();
        ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
        if (iv && i.row() >= 0 && std::size_t(i.row()) < items.size())
            iv->userOpenItem(items[std::size_t(i.row())], false);
    });
    model_.referencerBackTableView(table);
    majInspectView();
    frontModeDidChange();
}

void ZEVBackViewer::channelDidChangeWithIdentityInt(KELId identityInt)
{
    ZEVInspectViewer::channelDidChangeWithIdentityInt(identityInt);
    model_.channelDidChangeWithIdentityInt(identityInt);
}

void ZEVBackViewer::itemSelectionDidChange()
{
    majActionButtons();
    model_.majIndexOfSelectedRows();
}

void ZEVBackViewer::frontModeDidChange()
{
    ZEVInspectView* v = inspectViewIfBuilt();
    ZEVFrontViewerServices* f = frontViewer();
    const int mode = f ? f->frontMode() : -1;
    if (v && v->btnFrontMode(0) && mode >= 0 && mode < 4)
        for (int m = 0; m < 4; ++m)
            v->btnFrontMode(m)->setState(m == mode ? kZEVStateOn : kZEVStateOff);
    majActionButtons();
    if (v)
        v->inspectTableView()->frontModeDidChange();
    model_.majIndexOfSelectedRows();
    model_.tvFrontModeDidChange();
}

void ZEVBackViewer::actifCurseurDidChange()
{
    ZEVInspectViewer::actifCurseurDidChange();
    majInspectField();
    // The preview follows the one selected image to the other cursor's moment.
    const auto& s = model_.selectedItemSet();
    if (s.size() == 1 && siShowInspectView())
        displayImageFromRow(model_.rowOfItem(*s.begin()));
}

void ZEVBackViewer::showInspectView(bool show)
{
    if (show) {
        inspectView();
        // Changes that came while hidden were not refreshed: one refresh now.
        majInspectView();
        frontModeDidChange();
    }
    ZEVInspectViewer::showInspectView(show);
}

void ZEVBackViewer::majInspectView()
{
    model_.reloadItems();
    majInspectField();
}

void ZEVBackViewer::appliquer(Commande commande, const std::vector<KELI*>& items)
{
    switch (commande) {
    case Commande::Recall:
        model_.recallBacksForItems(items);
        break;
    case Commande::Retain:
        model_.retainBacksForItems(items);
        break;
    case Commande::Release:
        model_.releaseBacksForItems(items);
        break;
    case Commande::Forget:
        model_.forgetBacksForItems(items);
        break;
    case Commande::RecallNow:
        model_.recallNowBacksForItems(items);
        break;
    }
}

void ZEVBackViewer::userOpen()
{
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    const std::vector<KELI*> items = itemsPourLeMode();
    if (!iv || items.empty())
        return beep();
    for (KELI* o : items)
        iv->userOpenItem(o, false);
}

void ZEVBackViewer::userDelete() { model_.deleteBacks(itemsPourLeMode()); }

void ZEVBackViewer::displayImageFromRow(int row)
{
    const std::vector<KELI*> items = model_.actifItems();
    previewRow_ = row >= 0 && std::size_t(row) < items.size() ? row : -1;
    // No row shown: dark grey; else the image's colour at the active cursor.
    previewColor_ = previewRow_ < 0 ? QColor(Qt::darkGray) : model_.colorForImageItem(items[std::size_t(previewRow_)]);
}

void ZEVBackViewer::userChangeFillColor(const QColor& color) { previewColor_ = color; }

} // namespace tallomer
