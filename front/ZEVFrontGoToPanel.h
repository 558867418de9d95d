#pragma once
// The go-to panel: a small tool window over the Space window that shows and chooses where a jump
// in time goes (Now, Search, the dragged things' creation, modification or last-opened date) and
// how long what it shows lasts. The space controller keeps both; the panel lights its buttons
// after them. It never takes the keyboard focus.
//
// Things dragged over it stay there 0.8 s to jump the Search cursor to their date; the panel
// lights up then, but never takes the drop. Its wheel moves the time ruler.

#include "runtime/Scheduler.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>

namespace tallomer {

class ZEVButton;
class ZEVFrontHeaderViews;
class ZEVSpaceController;

class ZEVFrontGoToView final : public QWidget {
public:
    using QWidget::QWidget;
    // -1 lit, 0 plain; any other value draws nothing.
    void setState(long state);
    long state() const { return state_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    long state_ = 0;
};

class ZEVFrontGoToPanel final : public QWidget {
public:
    static constexpr double kSpringDelay = 0.8;
    static constexpr long kInfiniteTag = 0;

    // `space` is not owned and outlives the panel; `headers` may be null. `parent`: the window
    // the panel floats over.
    ZEVFrontGoToPanel(ZEVSpaceController& space, ZEVFrontHeaderViews* headers, QWidget* parent);
    ~ZEVFrontGoToPanel() override;

    // Told when the panel closes (the front viewer puts its button and the go-to mode back).
    void setOnClose(std::function<void()> onClose) { onClose_ = std::move(onClose); }
    // A kind or duration chosen: the selection list forgets the presence interval dragged.
    void setOnForgetLego(std::function<void()> forget) { forgetLego_ = std::move(forget); }

    // The buttons follow the space controller's kind and duration.
    void majGoToDurationButtons();
    ZEVButton* buttonWithTag(long tag) const;
    long goToTag() const { return goToTag_; }
    long durationTag() const { return durationTag_; }
    ZEVFrontGoToView* goToView() const { return view_; }

    void goToChange(ZEVButton* sender);
    void durationChange(ZEVButton* sender);
    // The jump for a drag resting on the panel: true when made or nothing to do.
    bool placerGoToDate();
    void draggingSessionDidStop();

protected:
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void centreOn(double date);
    void forgetDraggedLego();

    ZEVSpaceController& space_;     // not owned
    ZEVFrontHeaderViews* headers_;  // not owned
    ZEVFrontGoToView* view_ = nullptr;
    std::map<long, ZEVButton*> buttons_;
    long goToTag_ = 0;
    long durationTag_ = 0;
    long draggingSequenceNumber_ = -1;
    bool siDraggingUpdated_ = false;
    bool siForeignDrag_ = false;
    std::function<void()> onClose_;
    std::function<void()> forgetLego_;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
