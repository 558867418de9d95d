#pragma once
// The model every inspector kind derives from: the fields all models share and the operations
// the controller, the Space and the front layer call on any model without knowing its kind. Each
// default is harmless: an empty list (nullopt stands for "no list"), 0.0, "" or nothing. The six
// lists a kind must keep when asked log one line when it does not, so a wrong caller is seen.

#include "engine/KELTypes.h"

#include <optional>
#include <string>
#include <vector>

class KELI;
class KELICurseur;

namespace tallomer {

class ZEVSpaceController;

class ZEVInspectClass {
public:
    // `space` is not owned and outlives the model. The Channel is the Space's current one.
    explicit ZEVInspectClass(ZEVSpaceController& space);
    virtual ~ZEVInspectClass() = default;
    ZEVInspectClass(const ZEVInspectClass&) = delete;
    ZEVInspectClass& operator=(const ZEVInspectClass&) = delete;

    ZEVSpaceController& spaceController() const { return space_; }
    KELICurseur* actifCurseur() const { return actifCurseur_; }
    KELId currentChannelInt() const { return currentChannelInt_; }

    // The panel's rows over the whole timeline, in table order; none by default.
    virtual std::vector<KELI*> timeLineItems() { return {}; }
    // The Object of the row whose context menu was last opened (not owned).
    KELI* rightMenuItem() const { return rightMenuItem_; }
    void setRightMenuItem(KELI* item) { rightMenuItem_ = item; }
    // The summed duration of the presence intervals, as the panel's menus show it; never null.
    virtual std::string durationStringForLegos(const std::vector<KELI*>& legos) { return std::string(); }
    virtual void actifCurseurDidChangeForCurseur(KELICurseur* curseur) { actifCurseur_ = curseur; }
    // 0 means only the list of Channels changed: the model keeps its Channel.
    virtual void channelDidChangeWithIdentityInt(KELId identityInt);
    // The dates of the previous and next change of the panel's Objects; 0.0 for none. The hooks
    // with a body here are optional: a kind whose panel has no such rows (the Channels list has no
    // changes to step through, the Links panel no timeline list) keeps the default.
    virtual KELDate previousDate() { return 0.0; }
    virtual KELDate previousDateForAllChanges() { return 0.0; }
    virtual KELDate nextDate() { return 0.0; }
    virtual void majIndexOfSelectedRows() {}
    virtual void reloadItems() {}
    // What the front modes and the file operations act on in the panel's selection.
    virtual std::optional<std::vector<KELI*>> itemsForIconMode();
    virtual std::optional<std::vector<KELI*>> itemsForFrontMode();
    virtual std::optional<std::vector<KELI*>> moveToItemsForFrontMode();
    virtual std::optional<std::vector<KELI*>> moveToSpaceItemsForFrontMode();
    virtual std::optional<std::vector<KELI*>> copyToItemsForFrontMode();
    virtual std::optional<std::vector<KELI*>> copyToSpaceItemsForFrontMode();
    // Silent: a kind without Duplicate is asked for it on every refresh of the Object menu.
    virtual std::optional<std::vector<KELI*>> duplicateToItemsForFrontMode() { return std::nullopt; }

    // While set, the table takes the proposed selection unchanged.
    bool siAccepteMajSelectedRows() const { return siAccepteMajSelectedRows_; }
    void setSiAccepteMajSelectedRows(bool accepte) { siAccepteMajSelectedRows_ = accepte; }

protected:
    ZEVSpaceController& space_;
    KELICurseur* actifCurseur_ = nullptr; // not owned
    KELId currentChannelInt_ = 0;

private:
    KELI* rightMenuItem_ = nullptr; // links live for the run
    bool siAccepteMajSelectedRows_ = false;
};

} // namespace tallomer
