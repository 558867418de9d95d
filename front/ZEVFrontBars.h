#pragma once
// The two views at the bottom of the selection view: the toolbar, which carries the count text,
// the search field and the front layer's buttons and lays them out in three widths, and the thin
// split bar that stands in its place when the toolbar is closed over open tracks. Both are
// handles: a drag resizes the tracks, a click on the toolbar reselects the same Objects, a click on
// the split bar opens the toolbar.

#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>

class QWheelEvent;

namespace tallomer {

class ZEVButton;

// What the two bars ask of the front viewer that owns them.
class ZEVFrontBarsOwner {
public:
    virtual ~ZEVFrontBarsOwner() = default;
    virtual int currentFrontMode() = 0;
    virtual QString nameForFrontMode(int mode) = 0;
    virtual QString shortNameForFrontMode(int mode) = 0;
    virtual bool siFocus() = 0;
    // The count text of the toolbar again, and the buttons by mode and width.
    virtual void updateNbOfItems() = 0;
    virtual void updateToolbarButtons() = 0;
    // The handle: a press, its drags and its release, at the pointer's window location (y-up).
    virtual void handleMouseDown(const QPointF& windowYUp) = 0;
    virtual void handleMouseDragged(const QPointF& windowYUp) = 0;
    virtual void handleMouseUp(bool dragged) = 0;
    virtual void setUpDownImages(bool shown) = 0;
    // A click on the toolbar: the Objects of the current mode's selection are selected again.
    virtual void reselectSame() = 0;
    // A click on the split bar: the user default that keeps the toolbar open goes on.
    virtual void showToolbarByDefault() = 0;
    virtual void wheelToTline(QWheelEvent* event) = 0;
};

// The gradients of the two bars, without and with the focus on the front, four grey levels from
// the top edge down.
struct ZEVBarGradient {
    std::array<double, 4> plain;
    std::array<double, 4> focus;
};

class ZEVFrontHandle : public QWidget {
public:
    ZEVFrontHandle(QWidget* parent, ZEVFrontBarsOwner& owner, ZEVBarGradient gradient);

protected:
    void paintGradient(QPainter& p);
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // A press that was not dragged.
    virtual void clicked() = 0;
    QPointF windowPoint(const QMouseEvent* event) const;

    ZEVFrontBarsOwner& owner_;
    ZEVBarGradient gradient_;
    bool siMouseDown_ = false;
    bool siMouseDragged_ = false;
};

class ZEVFrontToolbar final : public ZEVFrontHandle {
public:
    static constexpr int kHeight = 23;
    // The widths at which the buttons move, from the widest.
    static constexpr std::array<double, 5> kThresholds{1020, 870, 655, 600, 450};

    ZEVFrontToolbar(QWidget* parent, ZEVFrontBarsOwner& owner);

    // The frame in the selection view; the buttons follow its width.
    void setFrame(const QRect& frame);
    // The count text for `count` Object views on the active desk.
    void updateNbOfItems(std::int64_t count);
    QString countText() const { return count_->text(); }
    QLabel* countField() const { return count_; }
    QLineEdit* searchField() const { return search_; }
    // A button by its name (btnAddItems, btnActionOpen, ...); nullptr for none.
    ZEVButton* button(const QString& name) const;
    // The four mode buttons come from the front viewer and lie at the left end.
    void adoptModeButtons(const std::array<ZEVButton*, 4>& buttons);
    double previousWidth() const { return previousWidth_; }
    // Whether the narrow side of a threshold is in force.
    bool siMin(int threshold) const { return min_[threshold]; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void clicked() override { owner_.reselectSame(); }

private:
    ZEVButton* make(const char* name, const char* tip, const char* label);
    // Places a button's origin at x (y-up from the bar's bottom edge).
    void place(QWidget* w, double x, double y = 0);
    void widthChanged(double W, double P);

    std::array<bool, 5> min_{};
    std::array<bool, 5> max_{true, true, true, true, true};
    double previousWidth_ = 0;
    QLabel* count_ = nullptr;
    QLineEdit* search_ = nullptr;
    ZEVButton* searchButton_ = nullptr;
    ZEVButton *add_ = nullptr, *prevSpace_ = nullptr, *prev_ = nullptr, *next_ = nullptr, *nextSpace_ = nullptr;
    ZEVButton *chUp_ = nullptr, *chDown_ = nullptr, *chBack_ = nullptr, *clean_ = nullptr, *home_ = nullptr;
    ZEVButton *goTo_ = nullptr, *calendar_ = nullptr, *edit_ = nullptr, *open_ = nullptr, *info_ = nullptr;
    ZEVButton *ql_ = nullptr, *filter_ = nullptr, *or_ = nullptr, *and_ = nullptr;
};

class ZEVFrontSplitbar final : public ZEVFrontHandle {
public:
    static constexpr int kHeight = 5;
    ZEVFrontSplitbar(QWidget* parent, ZEVFrontBarsOwner& owner);
    void setUpDown(bool on);
    bool upDown() const { return upDown_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void clicked() override { owner_.showToolbarByDefault(); }

private:
    bool upDown_ = false;
};

} // namespace tallomer
