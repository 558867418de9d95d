#include "look/KELImagePainter.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace tallomer {

namespace {

constexpr qreal kScale = 2.0;

const char* const kEditCursors[] = {"Now", "Search", "Black"};
const char* const kEditActions[] = {"Release", "Forget", "Recall", "Retain"};

QColor editCursorColor(const QString& cursor)
{
    if (cursor == "Now")
        return QColor::fromRgbF(235 / 255.0, 19 / 255.0, 42 / 255.0);
    if (cursor == "Search")
        return QColor::fromRgbF(1.0, 138 / 255.0, 10 / 255.0);
    return QColor(40, 40, 40);
}

void drawFolder(QPainter& p, const QRectF& r, const QColor& fill)
{
    const qreal tabW = r.width() * 0.4, tabH = r.height() * 0.15;
    QPainterPath path;
    path.moveTo(r.left(), r.top() + tabH);
    path.lineTo(r.left() + r.width() * 0.05, r.top());
    path.lineTo(r.left() + tabW, r.top());
    path.lineTo(r.left() + tabW + tabH, r.top() + tabH);
    path.lineTo(r.right(), r.top() + tabH);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(fill.darker(150), r.width() / 20.0));
    p.setBrush(fill);
    p.drawPath(path);
}

void drawEdit(QPainter& p, const QSizeF& s, const QString& cursor, const QString& action)
{
    const QColor c = editCursorColor(cursor);
    const QRectF frame(1, 1, s.width() - 2, s.height() - 2);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(frame, 4, 4);
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QPointF m = frame.center();
    if (action == "Release") { // an opening bracket: the link ends here
        p.drawLine(QPointF(m.x() - 6, m.y()), QPointF(m.x() + 4, m.y()));
        p.drawLine(QPointF(m.x() + 4, m.y() - 5), QPointF(m.x() + 4, m.y() + 5));
    } else if (action == "Forget") { // a cross
        p.drawLine(QPointF(m.x() - 4, m.y() - 4), QPointF(m.x() + 4, m.y() + 4));
        p.drawLine(QPointF(m.x() - 4, m.y() + 4), QPointF(m.x() + 4, m.y() - 4));
    } else if (action == "Recall") { // an arrow back
        p.drawLine(QPointF(m.x() - 6, m.y()), QPointF(m.x() + 6, m.y()));
        p.drawLine(QPointF(m.x() - 6, m.y()), QPointF(m.x() - 2, m.y() - 4));
        p.drawLine(QPointF(m.x() - 6, m.y()), QPointF(m.x() - 2, m.y() + 4));
    } else { // Retain: a filled dot held in place
        p.setBrush(Qt::white);
        p.drawEllipse(m, 3.5, 3.5);
    }
}

void drawNamed(QPainter& p, const QString& name, const QSizeF& s)
{
    const QRectF r(0, 0, s.width(), s.height());
    const QPointF c = r.center();
    const qreal u = s.width() / 20.0; // one unit of a 20-point grid
    p.setRenderHint(QPainter::Antialiasing);

    if (name.startsWith("edit")) {
        for (const char* cursor : kEditCursors)
            for (const char* action : kEditActions)
                if (name == QString("edit%1%2.tiff").arg(cursor, action)) {
                    drawEdit(p, s, cursor, action);
                    return;
                }
    }
    if (name == "holdBySystem.tiff") { // a screen on its foot
        p.setPen(QPen(QColor(70, 70, 70), u));
        p.setBrush(QColor(170, 190, 215));
        p.drawRoundedRect(QRectF(2 * u, 3 * u, 16 * u, 11 * u), u, u);
        p.drawLine(QPointF(c.x(), 14 * u), QPointF(c.x(), 17 * u));
        p.drawLine(QPointF(6 * u, 17 * u), QPointF(14 * u, 17 * u));
    } else if (name == "EntityItems32.tiff") { // three stacked cards
        p.setPen(QPen(QColor(60, 60, 60), u));
        for (int i = 2; i >= 0; --i) {
            p.setBrush(QColor::fromHsv(0, 0, 255 - 30 * i));
            p.drawRoundedRect(QRectF((2 + 2 * i) * u, (8 - 3 * i) * u, 12 * u, 9 * u), u, u);
        }
    } else if (name == "zevFolderMini.tiff") {
        drawFolder(p, r.adjusted(u, 3 * u, -u, -2 * u), QColor(120, 160, 220));
    } else if (name == "holdByExtern.tiff") { // a drive
        p.setPen(QPen(QColor(60, 60, 60), u));
        p.setBrush(QColor(200, 200, 200));
        p.drawRoundedRect(QRectF(2 * u, 6 * u, 16 * u, 9 * u), 2 * u, 2 * u);
        p.setBrush(QColor(60, 200, 90));
        p.drawEllipse(QPointF(14.5 * u, 10.5 * u), 1.2 * u, 1.2 * u);
    } else if (name == "holdByTrash.tiff") { // a bin
        p.setPen(QPen(QColor(60, 60, 60), u));
        p.setBrush(QColor(225, 225, 230));
        QPainterPath bin;
        bin.moveTo(5 * u, 6 * u);
        bin.lineTo(15 * u, 6 * u);
        bin.lineTo(14 * u, 18 * u);
        bin.lineTo(6 * u, 18 * u);
        bin.closeSubpath();
        p.drawPath(bin);
        p.drawLine(QPointF(3.5 * u, 4.5 * u), QPointF(16.5 * u, 4.5 * u));
        p.drawLine(QPointF(8 * u, 2.5 * u), QPointF(12 * u, 2.5 * u));
    } else if (name == "iconIcon.pdf") { // a framed square: icons mode
        p.setPen(QPen(Qt::black, u));
        p.setBrush(QColor(255, 255, 255, 200));
        p.drawRoundedRect(QRectF(4 * u, 4 * u, 12 * u, 12 * u), 2 * u, 2 * u);
    } else if (name == "iconTitle.pdf") { // lines of text: titles mode
        p.setPen(QPen(Qt::black, 1.5 * u, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(4 * u, (6 + 4 * i) * u), QPointF((i == 2 ? 11 : 16) * u, (6 + 4 * i) * u));
    } else if (name == "iconFilter.pdf") { // a funnel: filters mode
        QPainterPath f;
        f.moveTo(3 * u, 4 * u);
        f.lineTo(17 * u, 4 * u);
        f.lineTo(11.5 * u, 11 * u);
        f.lineTo(11.5 * u, 17 * u);
        f.lineTo(8.5 * u, 15.5 * u);
        f.lineTo(8.5 * u, 11 * u);
        f.closeSubpath();
        p.setPen(QPen(Qt::black, u));
        p.setBrush(QColor(255, 255, 255, 200));
        p.drawPath(f);
    } else if (name == "iconImpact.tiff") { // a burst
        QPainterPath b;
        for (int i = 0; i < 16; ++i) {
            const qreal rad = (i % 2 ? 3.5 : 8.0) * u;
            const qreal a = i * 3.14159265358979 / 8.0;
            const QPointF pt(c.x() + rad * std::cos(a), c.y() + rad * std::sin(a));
            i == 0 ? b.moveTo(pt) : b.lineTo(pt);
        }
        b.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(207, 2, 0));
        p.drawPath(b);
    } else if (name == "iconLink.pdf") { // two chain rings: links mode
        p.setPen(QPen(Qt::black, 1.5 * u));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(2.5 * u, 7 * u, 9 * u, 6 * u), 3 * u, 3 * u);
        p.drawRoundedRect(QRectF(8.5 * u, 7 * u, 9 * u, 6 * u), 3 * u, 3 * u);
    } else if (name == "iconNode.pdf") { // two nodes and their edge
        p.setPen(QPen(Qt::black, 1.2 * u));
        p.drawLine(QPointF(5 * u, 14 * u), QPointF(15 * u, 6 * u));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(5 * u, 14 * u), 2.5 * u, 2.5 * u);
        p.drawEllipse(QPointF(15 * u, 6 * u), 2.5 * u, 2.5 * u);
    } else if (name == "cursorSearch.tiff") { // a pointer with the Search cursor's colour
        QPainterPath a;
        a.moveTo(2 * u, 2 * u);
        a.lineTo(2 * u, 15 * u);
        a.lineTo(5.5 * u, 11.5 * u);
        a.lineTo(8 * u, 17 * u);
        a.lineTo(10 * u, 16 * u);
        a.lineTo(7.5 * u, 10.5 * u);
        a.lineTo(12 * u, 10.5 * u);
        a.closeSubpath();
        p.setPen(QPen(Qt::white, u));
        p.setBrush(Qt::black);
        p.drawPath(a);
        p.setPen(QPen(Qt::white, 0.8 * u));
        p.setBrush(QColor::fromRgbF(1.0, 138 / 255.0, 10 / 255.0));
        p.drawEllipse(QPointF(15 * u, 15 * u), 3.5 * u, 3.5 * u);
    }
}

} // namespace

QStringList KELImagePainter::names()
{
    QStringList out{"holdBySystem.tiff", "EntityItems32.tiff", "zevFolderMini.tiff", "holdByExtern.tiff",
                    "holdByTrash.tiff",  "iconIcon.pdf",       "iconTitle.pdf",      "iconFilter.pdf",
                    "iconImpact.tiff",   "iconLink.pdf",       "iconNode.pdf",       "cursorSearch.tiff"};
    for (const char* cursor : kEditCursors)
        for (const char* action : kEditActions)
            out << QString("edit%1%2.tiff").arg(cursor, action);
    return out;
}

QSizeF KELImagePainter::sizeFor(const QString& name)
{
    if (name.startsWith("edit"))
        return {32, 18};
    if (name == "zevFolderMini.tiff")
        return {16, 16};
    if (name == "cursorSearch.tiff")
        return {24, 24};
    if (name.startsWith("icon"))
        return {18, 18};
    return {20, 20};
}

QPixmap KELImagePainter::draw(const QString& name)
{
    if (!names().contains(name))
        return {};
    const QSizeF s = sizeFor(name);
    QPixmap pm((s * kScale).toSize());
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        p.scale(kScale, kScale);
        drawNamed(p, name, s);
    }
    pm.setDevicePixelRatio(kScale);
    return pm;
}

} // namespace tallomer
