#pragma once
// What the desk models and the Space ask of the inspectors. Header-only: the inspectors' own
// classes derive from these, and the Space reaches the models through their viewers.

#include "engine/KELTypes.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

class KELI;
class KELICurseur;

namespace tallomer {

class ZEVItemConnexion;

// One parent-to-child pair of Objects: a row of the Links inspector, or a drawn link line.
class ZEVLinkPair {
public:
    virtual ~ZEVLinkPair() = default;
    virtual KELI* parentItem() const = 0;
    virtual KELI* enfantItem() const = 0;
};

// A plain pair, for callers that hold the two Objects themselves. Not owning.
class ZEVItemPair final : public ZEVLinkPair {
public:
    ZEVItemPair(KELI* parent, KELI* enfant) : parent_(parent), enfant_(enfant) {}
    KELI* parentItem() const override { return parent_; }
    KELI* enfantItem() const override { return enfant_; }

private:
    KELI* parent_;
    KELI* enfant_;
};

// The shared table of the inspector panels and of the front layer's selection lists, as the desks
// and the front viewer reach it.
class ZEVLegoSource {
public:
    virtual ~ZEVLegoSource() = default;
    // The interval being dragged, as a link whose in- and out-dates bound it; nullptr when none.
    // Not owned.
    virtual KELI* draggingLego() const = 0;
    // What the step back asks of a table: its selected interval deselected, its type-select field
    // hidden; each true when there was one.
    virtual bool deselectLego() = 0;
    virtual bool hideSearchField() = 0;
};

// The Icons inspector's model: whether an Object's icon is on a desk, and its title.
class ZEVIconClassServices {
public:
    virtual ~ZEVIconClassServices() = default;
    // The title word at the active cursor; nullopt when the Object has none there.
    virtual std::optional<std::string> itemTitleForItem(KELI* item) = 0;
    // An icon link of the Object at the active cursor (its icon is on the active desk), or at Now.
    virtual bool isItemActif(KELI* item) = 0;
    virtual bool isItemActifNow(KELI* item) = 0;
};

// The Links inspector's model: one link object per parent-to-child pair, made on first request
// and kept until its pairs are dropped.
class ZEVLinkClassServices {
public:
    virtual ~ZEVLinkClassServices() = default;
    // The pair of the drawn line; nullptr for a line without its two Objects. Owned by the model.
    virtual ZEVLinkPair* linkForConnexion(const ZEVItemConnexion* connexion) = 0;
    // The pairs of the current Channel with a link in the timeline's visible range, in the order
    // they came into it.
    virtual std::vector<ZEVLinkPair*> timeLineLinks() = 0;
    // A link from the parent to the child at the active cursor, or at Now.
    virtual bool isLinkActif(const ZEVLinkPair* link) = 0;
    virtual bool isLinkActifNow(const ZEVLinkPair* link) = 0;
    // Forgets (and destroys) every pair of that parent, that one pair, or every pair of that child.
    virtual void delConnexionsForParentInt(KELId parentInt) = 0;
    virtual void delConnexionsForParentIntEnfantInt(KELId parentInt, KELId enfantInt) = 0;
    virtual void delConnexionsForEnfantInt(KELId enfantInt) = 0;
};

// The Channels inspector's model: the Channels of the Space and the one selected in its list.
class ZEVChannelClassServices {
public:
    virtual ~ZEVChannelClassServices() = default;
    // The Channels listed in the Space, by id.
    virtual std::vector<KELI*> timeLineItems() = 0;
    // The Channel of the selected row; nullptr when none.
    virtual KELI* currentChannel() = 0;
    // "" unless one row holding a Channel is selected; nullopt when that Channel has no name.
    virtual std::optional<std::string> nameOfCurrentChannel() = 0;
    // The name at the Now cursor; "" for none.
    virtual std::string nameOfChannel(KELI* channel) = 0;
    // Selects the Channel's row and makes it the Space's current Channel.
    virtual bool selectChannel(KELI* channel) = 0;
    // The same from an id at the timeline cursor; nothing for an id that names no link.
    virtual void selectChannelInt(KELId channelInt) = 0;
    virtual bool siChannelActif(KELI* channel, KELICurseur* curseur) = 0;
    // The Channel's background image Object at the cursor, stamped with the Channel; nullptr for none.
    virtual KELI* backItemForChannel(KELI* channel, KELICurseur* curseur) = 0;
};

// The inspectors' controllers, as the Space reaches their models (neither model is owned by the
// caller).
class ZEVIconViewerServices {
public:
    virtual ~ZEVIconViewerServices() = default;
    virtual ZEVIconClassServices* iconClass() = 0;
    // The Search cursor to the previous or next change (`siSame`: within the current Space);
    // true when the step showed the Now cursor instead.
    virtual bool userGotoPreviousItemSiSame(bool siSame) = 0;
    virtual bool userGotoNextItemSiSame(bool siSame) = 0;
    // The Objects of every Channel on the active desk that match the given ones (the same thing;
    // with `textual`, a title containing one of theirs, ignoring case) become the front mode's
    // selection and come to the front; true when more than one matched.
    virtual bool findInChannelsForItems(const std::vector<KELI*>& items, bool textual) = 0;
};

class ZEVLinkViewerServices {
public:
    virtual ~ZEVLinkViewerServices() = default;
    virtual ZEVLinkClassServices* linkClass() = 0;
};

// Where the open Channels panel lies over the strip, in the strip's points: the panel's x, and the
// x and width of the rectangle of its rows.
struct ZEVChannelPanelSpan {
    double x = 0;
    double inspectX = 0;
    double inspectWidth = 0;
};

class ZEVChannelViewerServices {
public:
    virtual ~ZEVChannelViewerServices() = default;
    virtual ZEVChannelClassServices* channelClass() = 0;

    // Whether the panel is open (and where), whether its menus browse the Spaces of a Channel,
    // its go buttons showing a step to an earlier or a later Space (siNow: the step showed the
    // Now cursor), and a refresh that also runs while a menu is tracked.
    virtual std::optional<ZEVChannelPanelSpan> channelViewIfOpen() = 0;
    virtual bool spaceBrowsing() = 0;
    // The Spaces or the Channels menu is open and previews on the desk.
    virtual void setSpaceBrowsing(bool browsing) = 0;
    virtual void setChannelBrowsing(bool browsing) = 0;
    // The panel's go buttons go back to rest, and its Home button shows the Now desk.
    virtual void setGotoOff() = 0;
    virtual void selectionHome() = 0;
    virtual void selectionPreviousSpace(bool siNow) = 0;
    virtual void selectionNextSpace(bool siNow) = 0;
    // A go-to change of the selected Objects is under way: its go button lit, Home mixed when the
    // step showed Now.
    virtual void selectionPreviousObject(bool siNow) = 0;
    virtual void selectionNextObject(bool siNow) = 0;
    virtual void majInspectViewCommonModes() = 0;
    // One row up or down the list (nothing past its ends); the row's Channel becomes current.
    virtual void menuChannelUp() = 0;
    virtual void menuChannelDown() = 0;
    // A new Channel, or a new Space of the current Channel, with the image file as its
    // background, its colour and scale; whether one was made (false: the user cancelled or the
    // file cannot be read). Answered by the Channels add panels.
    // Empty names and a null colour item take the panels' defaults.
    virtual bool userChannelAddWihImageURL(const QString& fileURL, const std::optional<QString>& channelName,
                                           const QString& spaceName, KELI* colorItem, long scaleInt) = 0;
    virtual bool userSpaceAddWihImageURL(const QString& fileURL, const QString& title, KELI* colorItem,
                                         long scaleInt) = 0;
    // The panel's clean-and-replace light: lit while a Clean and Replace is asked and runs.
    virtual void userWillCleanAndReplace() = 0;
    virtual void userDidCleanAndReplace() = 0;
    virtual bool siCleanAndReplaceLit() = 0;
    // An in-place rename in the list is abandoned and the keyboard goes back to the list; false
    // when none was under way.
    virtual bool menuInspectCancelRename() = 0;
};

} // namespace tallomer
