#include "widgets/ZEVPanelWheel.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabBar>
#include <QWheelEvent>
#include <QWidget>

namespace tallomer {

namespace {

bool takesTheWheel(const QWidget* w)
{
    return qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QAbstractSlider*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QTabBar*>(w) ||
           qobject_cast<const QAbstractButton*>(w);
}

} // namespace

ZEVPanelWheel::ZEVPanelWheel(QWidget* panel, ToTime toTime) : QObject(panel), panel_(panel), toTime_(std::move(toTime))
{
    watch(panel);
}

void ZEVPanelWheel::watch(QWidget* widget)
{
    if (!widget)
        return;
    widget->installEventFilter(this);
    for (QWidget* w : widget->findChildren<QWidget*>())
        w->installEventFilter(this);
}

bool ZEVPanelWheel::overEmptyArea(const QWidget* panel, const QWidget* widget, const QPoint& at)
{
    const QWidget* under = widget->childAt(at);
    for (const QWidget* w = under ? under : widget; w; w = w->parentWidget()) {
        if (takesTheWheel(w))
            return false;
        if (w == panel || w->isWindow())
            break;
    }
    return true;
}

bool ZEVPanelWheel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Wheel || !watched->isWidgetType())
        return false;
    auto* wheel = static_cast<QWheelEvent*>(event);
    if (!overEmptyArea(panel_, static_cast<QWidget*>(watched), wheel->position().toPoint())) {
        // The control has it; what it leaves reaches this watcher again on the way up and is
        // taken here, so that it never turns into time.
        if (watched == panel_)
            wheel->accept();
        return watched == panel_;
    }
    if (toTime_)
        toTime_(wheel);
    wheel->accept();
    return true;
}

} // namespace tallomer
