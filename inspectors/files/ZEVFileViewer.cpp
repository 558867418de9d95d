#include "inspectors/files/ZEVFileViewer.h"

#include "engine/KELICurseur.h"
#include "inspectors/base/ZEVInspectView.h"
#include "runtime/Scheduler.h"
#include "space/ZEVSpaceController.h"
#include "widgets/ZEVButton.h"

#include <QHeaderView>

namespace tallomer {

ZEVFileViewer::ZEVFileViewer(ZEVSpaceController& space, KELId entityInt)
    : ZEVInspectViewer(space, entityInt), model_(this, space)
{
    model_.initialiser();
    model_.enclencherMaj();
}

ZEVFileViewer::~ZEVFileViewer() { Scheduler::shared().cancelAll(&model_); }

void ZEVFileViewer::awakeFromNib()
{
    ZEVInspectViewer::awakeFromNib();
    ZEVInspectTableView* table = inspectViewIfBuilt()->inspectTableView();
    table->setColumnIdentifiers({QStringLiteral("imageIcon"), QStringLiteral("imageTitle"), QStringLiteral("imageNode"),
                                 QStringLiteral("imageFilter"), QStringLiteral("itemIcon"), QStringLiteral("item")});
    for (int mode = 0; mode < 4; ++mode)
        table->setModeColumn(mode, mode);
    for (int c = 0; c < 5; ++c)
        table->horizontalHeader()->resizeSection(c, 22);
    table->frontModeDidChange();
    model_.referencerInspectTableView(table);
    model_.reloadItems();
    inspectViewIfBuilt()->btnFind()->setCliqueTarget(this, [this](ZEVButton*) { menuInspectFind(); });
}

void ZEVFileViewer::channelDidChangeWithIdentityInt(KELId identityInt)
{
    ZEVInspectViewer::channelDidChangeWithIdentityInt(identityInt);
    model_.channelDidChangeWithIdentityInt(identityInt);
}

void ZEVFileViewer::itemSelectionDidChange() { model_.majIndexOfSelectedRows(); }

void ZEVFileViewer::frontModeDidChange()
{
    if (ZEVInspectView* v = inspectViewIfBuilt())
        v->inspectTableView()->frontModeDidChange();
    model_.tvFrontModeDidChange();
    model_.majIndexOfSelectedRows();
}

void ZEVFileViewer::showInspectView(bool show)
{
    if (show) {
        inspectView();
        siRebuildPrevu_ = false;
        Scheduler::shared().cancel(this, "rebuild");
        model_.majIndexOfSelectedRows();
    }
    ZEVInspectViewer::showInspectView(show);
}

void ZEVFileViewer::btnInspectFind()
{
    // A long press comes back on a later turn through the button's clique target.
    ZEVInspectView* v = inspectViewIfBuilt();
    if (!v || !v->btnFind()->siClickLong())
        ZEVInspectViewer::btnInspectFind();
}

void ZEVFileViewer::userDelete()
{
    const auto items = model_.itemsForFrontMode();
    if (!items || items->empty()) {
        beep();
        return;
    }
    model_.deleteFiles(*items);
}

void ZEVFileViewer::userRelease()
{
    const auto items = model_.itemsForFrontMode();
    if (!items || items->empty()) {
        beep();
        return;
    }
    model_.releaseFilesForItems(*items);
}

void ZEVFileViewer::moteurChangeFile()
{
    // A hidden panel is rebuilt when it is shown.
    if (!siShowInspectView() || siRebuildPrevu_)
        return;
    siRebuildPrevu_ = true;
    Scheduler::shared().perform(this, "rebuild", kRebuildDelay, [this] { rebuild(); });
}

void ZEVFileViewer::rebuild()
{
    siRebuildPrevu_ = false;
    model_.majIndexOfSelectedRows();
    majInspectField();
}

} // namespace tallomer
