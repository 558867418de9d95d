#pragma once
// The entity toggle bar: one button per inspector kind at positions 2 to 5 of the Space's entity
// list, in the ruler bar's row, and the set of the open panels. A button's click cycles its panel
// closed, open with the focus, closed again; a click on an open panel without the focus only
// focuses it. The buttons show on (shown and focused), mixed (shown) or off.

#include "engine/KELTypes.h"
#include "inspectors/context/ZEVContextView.h"
#include "runtime/Scheduler.h"
#include "space/ZEVSpaceParts.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <string>
#include <vector>

class KELI;

namespace tallomer {

class ZEVButton;
class ZEVContextClass;
class ZEVContextView;
class ZEVInspectViewer;

class ZEVContextViewer final : public QObject, public ZEVContextViewerServices {
    Q_OBJECT
public:
    static constexpr std::size_t kFirstButton = 2;
    static constexpr std::size_t kLastButton = 5;

    // `space` is not owned and outlives the bar; its ruler viewer, space model and entity reader
    // are made. The buttons go into the ruler bar's row (none without a ruler bar).
    explicit ZEVContextViewer(ZEVSpaceController& space);
    ~ZEVContextViewer() override;

    ZEVContextClass& contextClass() const { return *contextClass_; }
    const std::vector<KELI*>& entityArray() const { return entityArray_; }
    // The open panels' controllers, in the order they opened.
    const std::vector<ZEVInspectViewer*>& entityViewerSet() const { return entityViewerSet_; }
    ZEVContextView* contextView() const { return contextView_; }
    ZEVButton* buttonForEntityInt(KELId entityInt) const;
    // The controller class of the entity; empty when the link base names none.
    std::string classNameForEntityWithInt(KELId entityInt) const;

    // ZEVContextViewerServices
    void userSelectButton(KELId entityInt) override;
    void ouvrirEntityWithInt(KELId entityInt) override;
    void fermerEntityWithInt(KELId entityInt) override;
    bool isShowedEntityWithInt(KELId entityInt) override;
    bool isFocusedEntityWithInt(KELId entityInt) override;
    void userCloseAllEntities() override;
    void majContextButtons() override;

private:
    void initEntities();
    // The controller, made on first use when `creer`; nullptr otherwise or when none can be made.
    ZEVInspectViewer* viewerForEntityInt(KELId entityInt, bool creer) const;
    void ajouter(ZEVInspectViewer* viewer);
    void enlever(ZEVInspectViewer* viewer);
    void ouvrir(KELId entityInt, bool fermerSiFocus);

    ZEVSpaceController& space_;
    std::unique_ptr<ZEVContextClass> contextClass_;
    std::vector<KELI*> entityArray_;
    std::vector<ZEVInspectViewer*> entityViewerSet_;
    QPointer<ZEVContextView> contextView_;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
