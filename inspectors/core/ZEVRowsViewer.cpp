#include "inspectors/core/ZEVRowsViewer.h"

#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/core/ZEVRowCommands.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>

namespace tallomer {

void ZEVRowsViewer::awakeFromNib()
{
    ZEVInspectViewer::awakeFromNib();
    ZEVInspectTableView* table = inspectViewIfBuilt()->inspectTableView();
    table->setColumnIdentifiers({QStringLiteral("imageIcon"), QStringLiteral("imageTitle"), QStringLiteral("imageNode"),
                                 QStringLiteral("imageFilter"), QStringLiteral("itemIcon"), QStringLiteral("item")});
    for (int mode = 0; mode < 4; ++mode)
        table->setModeColumn(mode, mode);
    rows().referencerInspectTableView(table);
}

void ZEVRowsViewer::buttonInspectCancel() { fermerEtDecocher(); }

void ZEVRowsViewer::channelDidChangeWithIdentityInt(KELId identityInt)
{
    ZEVInspectViewer::channelDidChangeWithIdentityInt(identityInt);
    rows().channelDidChangeWithIdentityInt(identityInt);
}

void ZEVRowsViewer::itemSelectionDidChange()
{
    majActionButtons();
    rows().majIndexOfSelectedRows();
    // A row chosen while the preview shows and the panel has the keys is what it previews.
    previewFollowsSelection();
}

void ZEVRowsViewer::frontModeDidChange()
{
    montrerLeFrontMode();
    rows().majIndexOfSelectedRows();
    rows().tvFrontModeDidChange();
}

void ZEVRowsViewer::actifCurseurDidChange()
{
    ZEVInspectViewer::actifCurseurDidChange();
    majInspectField();
}

void ZEVRowsViewer::showInspectView(bool show)
{
    if (show) {
        inspectView();
        // Changes that came while hidden were not refreshed: one refresh now.
        majInspectView();
        frontModeDidChange();
    }
    ZEVInspectViewer::showInspectView(show);
}

void ZEVRowsViewer::majInspectView()
{
    rows().reloadItems();
    majInspectField();
}

bool ZEVRowsViewer::userFilter() { return ZEVRowsFilter(*this, rows()); }
void ZEVRowsViewer::userSwap() { ZEVRowsSwap(*this, rows()); }
void ZEVRowsViewer::buttonDeselectItems() { ZEVRowsDeselect(*this, rows()); }

} // namespace tallomer
