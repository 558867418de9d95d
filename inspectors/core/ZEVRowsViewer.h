#pragma once
// The controller of an inspector whose rows are the presences of one viewer relation (its model
// on the rows core): the panel's table of mode, picture and title columns, its refresh as the
// cursor, the front mode, the desk's selection and the Channel change, the count and the action
// buttons from the rows, and the commands on rows alone (Filter, Swap, Deselect). Each kind gives
// its model, its nouns and its presence commands.

#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/core/ZEVRowsClass.h"

namespace tallomer {

class ZEVRowsViewer : public ZEVInspectViewer {
public:
    ZEVRowsViewer(ZEVSpaceController& space, KELId entityInt) : ZEVInspectViewer(space, entityInt) {}

    // The kind's model.
    virtual ZEVRowsClass& rows() = 0;
    ZEVInspectClass* inspectClass() override { return &rows(); }

    // Closes the panel and unchecks its item in the main menu's inspectors menu.
    void buttonInspectCancel() override;
    void channelDidChangeWithIdentityInt(KELId identityInt) override;
    void itemSelectionDidChange() override;
    void frontModeDidChange() override;
    void actifCurseurDidChange() override;
    void showInspectView(bool show) override;
    void majInspectView() override;
    bool userFilter() override;
    void userSwap() override;
    void buttonDeselectItems() override;

protected:
    // The six columns, the model answering the table; the kind then sets its own sizes.
    void awakeFromNib() override;
    bool siItemActif(KELI* item) override { return rows().isItemActif(item); }
    bool siItemActifNow(KELI* item) override { return rows().isItemActifNow(item); }
    std::optional<std::string> typeForItem(KELI* item) override { return rows().itemTypeForItem(item); }
    std::optional<std::string> titleForItem(KELI* item) override { return rows().itemTitleForItem(item); }
    quint64 nombreDeRows() override { return rows().actifItems().size(); }
    bool siTrouves() override { return !rows().foundedItemSet().empty(); }
};

} // namespace tallomer
