#pragma once
// The Channels panel: a wide, low panel over the Space window with the Channel list, the toolbar
// of Channel, Space and time navigation, the zoom pop-up and the count field. Its bar carries the
// active, Now and Search marks and the active cursor's past band at the strip's x; Ctrl with the
// wheel over it walks Channels (vertically) and Spaces (horizontally).

#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/channels/ZEVChannelRules.h"

#include <functional>

class QComboBox;
class QLineEdit;

namespace tallomer {

class ZEVChannelTableView;
class ZEVChannelViewer;

class ZEVChannelView final : public ZEVInspectView {
public:
    explicit ZEVChannelView(ZEVChannelViewer& viewer);
    ~ZEVChannelView() override;

    ZEVChannelTableView* channelTableView() const;
    // The bar runs from x 20 up to the Add button.
    QRectF inspectBarRect() const override;
    void setFrame(const QRectF& r) override;
    void dessinerLesMarques(QPainter& p) override;
    // The Ctrl-wheel gesture ends: its direction and its count start again.
    void scrollWheelStop();
    const ZEVChannelRules::Wheel& wheel() const { return wheel_; }

    ZEVButton* btnDeskHome() const { return btnDeskHome_; }
    ZEVButton* btnChannelUp() const { return btnChannelUp_; }
    ZEVButton* btnChannelDown() const { return btnChannelDown_; }
    ZEVButton* btnGotoPreviousSpace() const { return btnGotoPreviousSpace_; }
    ZEVButton* btnGotoNextSpace() const { return btnGotoNextSpace_; }
    ZEVButton* btnCleanAndReplace() const { return btnCleanAndReplace_; }
    QComboBox* zoomPopUp() const { return zoomPopUp_; }
    // The count field, which also takes the Space's new name while it is renamed.
    QLineEdit* countField() const { return countField_; }
    // The field's look at rest (grey, flat, read-only) or while renaming (editable, framed).
    void setCountFieldEditing(bool editing);
    // Told when the zoom pop-up's list shows and when it hides (before a choice is told).
    void setZoomPopUpHooks(std::function<void()> willShow, std::function<void()> didHide);

    static constexpr const char* kScrollWheelStop = "scrollWheelStop";

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placerLaBarre();
    // A time's x in the panel: its place on the strip less the panel's x; nullopt without a strip.
    std::optional<double> xForDate(double date) const;

    ZEVChannelViewer& channels_;
    ZEVChannelRules::Wheel wheel_;
    ZEVButton* btnDeskHome_ = nullptr;
    ZEVButton* btnChannelUp_ = nullptr;
    ZEVButton* btnChannelDown_ = nullptr;
    ZEVButton* btnGotoPreviousSpace_ = nullptr;
    ZEVButton* btnGotoNextSpace_ = nullptr;
    ZEVButton* btnCleanAndReplace_ = nullptr;
    QComboBox* zoomPopUp_ = nullptr;
    QLineEdit* countField_ = nullptr;
};

} // namespace tallomer
