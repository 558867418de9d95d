#pragma once
// The wheel of a panel that drives the time line while it is up. A turn over the panel's empty
// areas (its background, its labels and frames) goes to the time line; a turn over a control that
// takes the wheel itself (a list, a table, a field, a pop-up, a slider, a button) stays with that
// control as usual, and one the control leaves unused (a list already at its end) goes nowhere.

#include <QObject>

#include <functional>

class QPoint;
class QWheelEvent;
class QWidget;

namespace tallomer {

class ZEVPanelWheel final : public QObject {
public:
    using ToTime = std::function<void(QWheelEvent*)>;
    // Watches `panel` and every widget it holds now; `panel` owns the watcher.
    ZEVPanelWheel(QWidget* panel, ToTime toTime);

    // A widget put into the panel later (an accessory), with everything it holds.
    void watch(QWidget* widget);

    // Whether the point `at` of `widget` (inside `panel`) lies on an empty area of the panel:
    // neither the widget under it nor any of that widget's holders up to the panel is a control
    // that takes the wheel.
    static bool overEmptyArea(const QWidget* panel, const QWidget* widget, const QPoint& at);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* panel_;
    ToTime toTime_;
};

} // namespace tallomer
