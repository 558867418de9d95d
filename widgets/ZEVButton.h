#pragma once
// A tool bar button with a long click and a spring-loaded click while something is dragged over
// it, and the two flat cells that draw such buttons.
//
// Button states follow the three-state convention of the rest of the program: 1 on, 0 off,
// -1 mixed. All delays go through the shared scheduler, keyed on the button (pending performs
// die with it).

#include "runtime/Scheduler.h"

#include <QColor>
#include <QPointer>
#include <QToolButton>

#include <functional>
#include <memory>
#include <optional>

class QMimeData;

namespace tallomer {

inline constexpr int kZEVStateMixed = -1;
inline constexpr int kZEVStateOff = 0;
inline constexpr int kZEVStateOn = 1;

// What a button tells the space controller of its window about drags passing over it.
class ZEVButtonSpaceDelegate {
public:
    virtual ~ZEVButtonSpaceDelegate() = default;
    virtual void draggingSessionStartedWithInteger(qint64 sequenceNumber) = 0;
    // Location in window coordinates, y up.
    virtual void mouseMovedInLocation(QPointF location) = 0;
    virtual void draggingSessionDidStop() = 0;
};

// Where a cell draws a button's image: alone (the title only when there is no image), or left of
// the title.
enum class ZEVImagePosition { ImageOnly, ImageLeft };

// Draws a button's bezel (by default a flat rounded fill chosen by its state), then its icon and
// title. The entity buttons' gradient cell takes the plain name ZEVButtonCell.
class ZEVButtonCellBase {
public:
    virtual ~ZEVButtonCellBase() = default;
    virtual QColor fillColorForState(int state) const = 0;
    virtual void drawBezelWithFrame(QPainter& painter, const QRectF& frame, int state) const;
    void drawWithFrame(QPainter& painter, const QRectF& frame, int state, const QIcon& icon,
                       const QString& title, bool enabled) const;
    // These cells never tint a pressed button.
    std::optional<QColor> highlightColorWithFrame() const { return std::nullopt; }
    void setImagePosition(ZEVImagePosition position) { imagePosition_ = position; }
    ZEVImagePosition imagePosition() const { return imagePosition_; }

private:
    ZEVImagePosition imagePosition_ = ZEVImagePosition::ImageOnly;
};

class ZEVButtonCell2 final : public ZEVButtonCellBase {
public:
    QColor fillColorForState(int state) const override;
};

class ZEVButtonCell4 final : public ZEVButtonCellBase {
public:
    QColor fillColorForState(int state) const override;
};

class ZEVButton : public QToolButton {
    Q_OBJECT
public:
    explicit ZEVButton(QWidget* parent = nullptr);
    ~ZEVButton() override;

    // The space controller of a button's window. The finder is process-wide (set by whoever builds
    // the windows); it returns a non-owning pointer or nullptr.
    using SpaceControllerFinder = std::function<ZEVButtonSpaceDelegate*(QWidget* window)>;
    static void setSpaceControllerFinder(SpaceControllerFinder finder);
    // The sequence number of the drag carrying `data` (the drag session gives it); 0 when unset.
    using DragSequenceProvider = std::function<qint64(const QMimeData* data)>;
    static void setDragSequenceProvider(DragSequenceProvider provider);

    // The target that answers `performClique:`: it then receives the click on a later turn instead
    // of the ordinary click. Non-owning; a destroyed target is skipped.
    void setCliqueTarget(QObject* target, std::function<void(ZEVButton*)> performClique);

    // Draws the button with `cell` (owned) instead of the style; nullptr restores the style.
    void setCell(std::unique_ptr<ZEVButtonCellBase> cell);
    const ZEVButtonCellBase* cell() const { return cell_.get(); }

    int state() const;
    void setState(int state);

    // Remembers the state and the time of a press (called by the mouse handling).
    void mouseDown();
    // Asked by the target when the action arrives: true when the press was a long one.
    bool siClickLong();
    void performClique();
    void _gotoPrevious();
    void setSiDisableMouseMoved(bool disable) { siDisableMouseMoved_ = disable; }
    // A click leaves the state alone: the click's target sets it (it may refuse the command).
    void setSiClickKeepsState(bool keep) { siClickKeepsState_ = keep; }
    // The cell, when there is one, redraws with the image in that place.
    void setImagePosition(ZEVImagePosition position);
    // An enabled flag of the button's own: off, the button draws dimmed and takes no click, yet
    // still hears right clicks and drags passing over it, which Qt never sends a disabled widget.
    void setSiEnabled(bool enabled);
    bool siEnabled() const { return siEnabled_ && isEnabled(); }

    // Drag destination (the Qt drag events call these).
    void draggingEntered(qint64 sequenceNumber);
    void draggingUpdated(QPointF windowLocation);
    void draggingExited();
    bool performDragOperation();
    bool wantsPeriodicDraggingUpdates() const { return true; }
    bool prepareForDragOperation() const { return true; }

    bool siPerformClick() const { return siPerformClick_; }
    bool siDisableMouseMoved() const { return siDisableMouseMoved_; }
    qint64 previousState() const { return previousState_; }
    bool siDraggingUpdated() const { return siDraggingUpdated_; }
    double mouseDownDate() const { return mouseDownDate_; }

    static constexpr double kLongClickDelay = 0.15;
    static constexpr double kGotoPreviousDelay = 0.3;
    static constexpr double kSpringDelay = 0.8;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void nextCheckState() override;

private:
    ZEVButtonSpaceDelegate* spaceController() const;
    void schedule(const char* name, double delay, std::function<void()> fn);

    bool siPerformClick_ = false;
    bool siDisableMouseMoved_ = false;
    bool siClickKeepsState_ = false;
    qint64 previousState_ = kZEVStateOff;
    bool siDraggingUpdated_ = false;
    double mouseDownDate_ = 0.0;
    bool mixed_ = false;
    bool siEnabled_ = true;

    std::unique_ptr<ZEVButtonCellBase> cell_;
    QPointer<QObject> cliqueTarget_;
    std::function<void(ZEVButton*)> cliqueHandler_;

    ScheduledTarget guard_{this};
};

} // namespace tallomer
