#include "ruler/ZEVRulerPresetButton.h"

#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <map>

namespace tallomer {

namespace {

QPixmap toile()
{
    QPixmap p(32, 32);
    p.fill(Qt::transparent);
    return p;
}

// The frames fill a ring clockwise, one twelfth a frame, as the press nears a save.
QIcon frame(int i)
{
    QPixmap p = toile();
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    const QRectF r(5, 5, 22, 22);
    g.setPen(QPen(QColor(90, 90, 90), 2));
    g.drawEllipse(r);
    QPainterPath arc;
    arc.moveTo(r.center());
    arc.arcTo(r, 90, -30.0 * i);
    arc.closeSubpath();
    g.fillPath(arc, QColor(60, 120, 220));
    return QIcon(p);
}

QIcon kindImage(const QString& name)
{
    QPixmap p = toile();
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    if (name == QLatin1String("preset_empty.tiff")) {
        g.setPen(QPen(QColor(120, 120, 120), 2, Qt::DotLine));
        g.drawEllipse(QRectF(8, 8, 16, 16));
    } else if (name == QLatin1String("home.tiff")) {
        QPainterPath maison;
        maison.moveTo(16, 5);
        maison.lineTo(28, 16);
        maison.lineTo(24, 16);
        maison.lineTo(24, 27);
        maison.lineTo(8, 27);
        maison.lineTo(8, 16);
        maison.lineTo(4, 16);
        maison.closeSubpath();
        g.fillPath(maison, QColor(235, 19, 42));
    } else if (name == QLatin1String("now.tiff")) {
        g.setBrush(QColor(235, 19, 42));
        g.setPen(Qt::NoPen);
        g.drawRect(QRectF(14, 4, 4, 24));
        g.drawEllipse(QRectF(10, 4, 12, 8));
    } else if (name == QLatin1String("search.tiff")) {
        g.setBrush(QColor(40, 110, 230));
        g.setPen(Qt::NoPen);
        g.drawRect(QRectF(14, 4, 4, 24));
        g.drawEllipse(QRectF(10, 4, 12, 8));
    } else if (name == QLatin1String("ruler.pdf")) {
        // Drawn at 15 x 15 points in the middle of the button.
        g.setPen(QPen(Qt::black, 1.5));
        g.setBrush(QColor(250, 240, 200));
        g.drawRect(QRectF(8.5, 12.5, 15, 7));
        for (int i = 0; i < 4; ++i)
            g.drawLine(QPointF(11 + i * 3.3, 12.5), QPointF(11 + i * 3.3, i % 2 ? 15 : 17));
    }
    return QIcon(p);
}

} // namespace

QIcon ZEVRulerPresetButton::imageNamed(const QString& name)
{
    static std::map<QString, QIcon> cache;
    auto it = cache.find(name);
    if (it != cache.end())
        return it->second;
    QIcon icon;
    if (name.startsWith(QLatin1String("preset_")) && name.endsWith(QLatin1String(".pdf")))
        icon = frame(name.mid(7, 2).toInt());
    else
        icon = kindImage(name);
    cache.emplace(name, icon);
    return icon;
}

ZEVRulerPresetButton::ZEVRulerPresetButton(KELId tag, ZEVRulerViewbar& bar, QWidget* parent)
    : ZEVButton(parent), tag_(tag), bar_(bar)
{
    setProperty("tag", QVariant::fromValue<qulonglong>(tag));
    setMouseTracking(true);
    // A click performed by a drag resting on the button is a press and a release at once.
    setCliqueTarget(&bar, [](ZEVButton* b) {
        auto* self = static_cast<ZEVRulerPresetButton*>(b);
        self->bar_.mouseDownOnPresetButton(self);
        self->bar_.mouseUpOnPresetButton(self, false);
    });
}

void ZEVRulerPresetButton::setImageNamed(const QString& name)
{
    imageName_ = name;
    setIcon(imageNamed(name));
}

void ZEVRulerPresetButton::mousePressEvent(QMouseEvent* e)
{
    e->accept();
    if (e->button() == Qt::LeftButton) {
        mouseDown();
        bar_.mouseDownOnPresetButton(this);
    } else if (e->button() == Qt::RightButton) {
        if (!bar_.rulerViewer().siAccepteDeplacement()) {
            Sound::shared().beep();
            return;
        }
        bar_.mouseRightOnPresetButton(this);
        bar_.popUpPresetMenu(this, mapToGlobal(e->position().toPoint()));
    }
}

void ZEVRulerPresetButton::mouseMoveEvent(QMouseEvent* e)
{
    e->accept();
    if ((e->buttons() & Qt::LeftButton) && !rect().contains(e->position().toPoint()))
        bar_.mouseDragOutOfPresetButton(this);
}

void ZEVRulerPresetButton::mouseReleaseEvent(QMouseEvent* e)
{
    e->accept();
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        bar_.mouseUpOnPresetButton(this, e->modifiers().testFlag(Qt::ControlModifier));
}

void ZEVRulerPresetButton::enterEvent(QEnterEvent* e)
{
    ZEVButton::enterEvent(e);
    bar_.mouseEnteredWithTag(tag_);
}

void ZEVRulerPresetButton::leaveEvent(QEvent* e)
{
    ZEVButton::leaveEvent(e);
    bar_.mouseExitedWithTag(tag_);
}

void ZEVRulerPresetButton::dragEnterEvent(QDragEnterEvent* e)
{
    bar_.mouseEnteredWithTag(tag_);
    ZEVButton::dragEnterEvent(e);
}

void ZEVRulerPresetButton::dragLeaveEvent(QDragLeaveEvent* e)
{
    bar_.mouseExitedWithTag(tag_);
    ZEVButton::dragLeaveEvent(e);
}

} // namespace tallomer
