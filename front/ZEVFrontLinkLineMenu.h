#pragma once
// The menu of a link line on the desk: its two ends selected in a mode, the link recalled,
// retained, released or forgotten. Built on first use; it keeps the two Objects of the line it was
// last built for, never the line itself, which may go while the menu is up.

#include <memory>

class KELI;
class QMenu;

namespace tallomer {

class ZEVFrontViewer;
class ZEVItemConnexion;
class ZEVSpaceController;

class ZEVFrontLinkLineMenu final {
public:
    // Both outlive it.
    ZEVFrontLinkLineMenu(ZEVFrontViewer& front, ZEVSpaceController& space);
    ~ZEVFrontLinkLineMenu();
    ZEVFrontLinkLineMenu(const ZEVFrontLinkLineMenu&) = delete;
    ZEVFrontLinkLineMenu& operator=(const ZEVFrontLinkLineMenu&) = delete;

    // The menu set for `connexion` (nullptr for none): its items by the line and the selections,
    // the two ends framed until it closes.
    QMenu* menuForConnexion(ZEVItemConnexion* connexion);
    QMenu* menu() const { return menu_.get(); }
    // The line the menu was built for, found again by its two Objects: nullptr once it is gone,
    // so that an action on a forgotten line does nothing.
    ZEVItemConnexion* selectedConnexion() const;
    void release();
    void recall();
    void recallNow();
    void retain();
    void forget();
    // The two ends join the mode's selection, or leave it when both are in it.
    void selectIcon();
    void selectTitle();
    void selectFilter();
    void selectLink();

private:
    void build();

    ZEVFrontViewer& front_;
    ZEVSpaceController& space_;
    std::unique_ptr<QMenu> menu_;
    KELI* parent_ = nullptr;
    KELI* enfant_ = nullptr;
};

} // namespace tallomer
