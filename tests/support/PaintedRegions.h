#pragma once
// Every region a widget paints while this filter listens to it, and how many paints there were.

#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRegion>

namespace tallomer::test {

class PaintedRegions : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(event)->region();
            ++paints;
        }
        return false;
    }
    QRegion painted;
    int paints = 0;
};

} // namespace tallomer::test
