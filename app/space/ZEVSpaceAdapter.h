#pragma once
// The Space as the application shell sees it: builds the space controller of the root Space with
// its two desks (Object factory, desk model, desk viewer and item viewer per cursor) and answers
// the shell's questions about it. The shell's controller owns one of these.

#include "app/ZEVSpaceControllerBase.h"
#include "space/ZEVSpaceParts.h"

#include <memory>

class KELICurseur;

namespace tallomer {

class KELApplication;
class ZEVController;
class ZEVSpaceController;
class ZEVSpaceDeskServices;

class ZEVSpaceAdapter final : public ZEVSpaceControllerBase, public ZEVSpaceHost {
public:
    // nullptr when the Space cannot be built (no timeline cursor, no such space object).
    // `app` is not owned and outlives the adapter.
    static std::unique_ptr<ZEVSpaceControllerBase> creer(KELId spaceInt, KELICurseur* tlCurseur, KELApplication* app);
    // Installs `creer` as the controller's way of making the Space.
    static void installer();

    explicit ZEVSpaceAdapter(KELApplication* app);
    ~ZEVSpaceAdapter() override;

    ZEVSpaceController* space() const { return space_.get(); }

    // ZEVSpaceControllerBase
    QWidget* spaceWindow() override;
    KELICurseur* nowCurseur() override;
    KELICurseur* searchCurseur() override;
    KELICurseur* actifCurseur() override;
    KELId currentChannelInt() override;
    void volumeMountDidChange() override;
    void updateActifCurseur(KELICurseur* curseur) override;
    void relancerLesCurseurs() override;

    // ZEVSpaceHost
    void referencerSpaceController(ZEVSpaceController* space) override;
    QString storeFolder() override;
    std::unique_ptr<ZEVCursorDesk> creerDesk(KELICurseur* curseur, ZEVSpaceController& space) override;
    void setCurrentChannelInt(KELId channelInt) override;
    QString fileUrlForItem(KELI* item) override;
    void setActifCurseurColorSiNow(bool siNow) override;
    void closeProgressPanel() override;
    void userQuit() override;

private:
    KELApplication* app_; // not owned
    // The desks' view of the space controller; declared before the controller, so it dies after it.
    std::unique_ptr<ZEVSpaceDeskServices> deskServices_;
    std::unique_ptr<ZEVSpaceController> space_;
};

} // namespace tallomer
