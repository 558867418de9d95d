#include "objects/view/ZEVItemStickers.h"

#include <QPainter>
#include <QPainterPath>

#include <map>

namespace tallomer::ZEVItemStickers {

QString nameForCode(int code, ZEVItemOption o)
{
    switch (code) {
    case kForOptions:
        break;
    case kCopy:
        return QStringLiteral("ZEVItemStickerCopy");
    case kForbid:
        return QStringLiteral("ZEVItemStickerForbid");
    case kError:
        return QStringLiteral("ZEVItemStickerError");
    case kWarning:
        return QStringLiteral("ZEVItemStickerWarning");
    case kNotFound:
        return QStringLiteral("ZEVItemStickerNotFound");
    case kDownloading:
        return QStringLiteral("ZEVItemStickerDownloading");
    case kMove:
        return QStringLiteral("ZEVItemStickerMove");
    case kZevp:
        return QStringLiteral("ZEVItemStickerZevp");
    default:
        return {};
    }
    struct Rule {
        ZEVItemOption mask;
        const char* name;
    };
    static const Rule rules[] = {
        {ZEVOPTION_NOT_FOUND, "ZEVItemStickerNotFound"},
        {ZEVOPTION_DOWNLOADING, "ZEVItemStickerDownloading"},
        {ZEVOPTION_MOVING, "ZEVItemStickerMove"},
        {ZEVOPTION_COPYING | ZEVOPTION_DUPLICATING, "ZEVItemStickerCopy"},
        {ZEVOPTION_ERROR, "ZEVItemStickerError"},
        {ZEVOPTION_HOLD_BY_ZEV_FOLDER, "ZEVItemStickerZevFolder"},
        {ZEVOPTION_HOLD_BY_EXTERN, "ZEVItemStickerExternalDrive"},
        {ZEVOPTION_HOLD_BY_TRASH, "ZEVItemStickerTrash"},
        {ZEVOPTION_HOLD_BY_SYSTEM, "holdBySystem"},
    };
    for (const Rule& r : rules)
        if (o & r.mask)
            return QString::fromLatin1(r.name);
    return {};
}

namespace {

// A round badge of a colour with a white mark drawn by `mark` on a 32-point square.
template <class Mark>
QImage badge(const QColor& fill, Mark mark)
{
    QImage img(32, 32, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(fill);
    p.drawEllipse(QRectF(3, 3, 26, 26));
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    mark(p);
    return img;
}

QImage draw(const QString& name)
{
    const QPointF c(16, 16);
    if (name == QLatin1String("ZEVItemStickerCopy"))
        return badge(QColor(40, 170, 60), [&](QPainter& p) {
            p.drawLine(QPointF(16, 10), QPointF(16, 22));
            p.drawLine(QPointF(10, 16), QPointF(22, 16));
        });
    if (name == QLatin1String("ZEVItemStickerForbid"))
        return badge(QColor(200, 30, 30), [&](QPainter& p) { p.drawLine(QPointF(10, 16), QPointF(22, 16)); });
    if (name == QLatin1String("ZEVItemStickerError"))
        return badge(QColor(200, 30, 30), [&](QPainter& p) {
            p.drawLine(QPointF(16, 9), QPointF(16, 18));
            p.drawPoint(QPointF(16, 22.5));
        });
    if (name == QLatin1String("ZEVItemStickerWarning"))
        return badge(QColor(230, 160, 0), [&](QPainter& p) {
            p.drawLine(QPointF(16, 9), QPointF(16, 18));
            p.drawPoint(QPointF(16, 22.5));
        });
    if (name == QLatin1String("ZEVItemStickerNotFound"))
        return badge(QColor(120, 120, 120), [&](QPainter& p) {
            QPainterPath q;
            q.moveTo(12, 12);
            q.cubicTo(12, 7, 20, 7, 20, 12);
            q.cubicTo(20, 15, 16, 15, 16, 19);
            p.drawPath(q);
            p.drawPoint(QPointF(16, 23));
        });
    if (name == QLatin1String("ZEVItemStickerDownloading"))
        return badge(QColor(30, 110, 220), [&](QPainter& p) {
            p.drawLine(QPointF(16, 9), QPointF(16, 22));
            p.drawLine(QPointF(11, 17), QPointF(16, 22));
            p.drawLine(QPointF(21, 17), QPointF(16, 22));
        });
    if (name == QLatin1String("ZEVItemStickerMove"))
        return badge(QColor(30, 110, 220), [&](QPainter& p) {
            p.drawLine(QPointF(9, 16), QPointF(22, 16));
            p.drawLine(QPointF(17, 11), QPointF(22, 16));
            p.drawLine(QPointF(17, 21), QPointF(22, 16));
        });
    if (name == QLatin1String("ZEVItemStickerZevp"))
        return badge(QColor(235, 19, 42), [&](QPainter& p) { p.drawEllipse(c, 5, 5); });
    if (name == QLatin1String("ZEVItemStickerZevFolder"))
        return badge(QColor(90, 140, 200), [&](QPainter& p) { p.drawRect(QRectF(10, 12, 12, 9)); });
    if (name == QLatin1String("ZEVItemStickerExternalDrive"))
        return badge(QColor(110, 110, 110), [&](QPainter& p) {
            p.drawRoundedRect(QRectF(9, 12, 14, 8), 2, 2);
        });
    if (name == QLatin1String("ZEVItemStickerTrash"))
        return badge(QColor(110, 110, 110), [&](QPainter& p) {
            p.drawLine(QPointF(10, 11), QPointF(22, 11));
            p.drawRect(QRectF(12, 12, 8, 10));
        });
    if (name == QLatin1String("holdBySystem"))
        return badge(QColor(60, 60, 60), [&](QPainter& p) {
            p.drawRoundedRect(QRectF(11, 15, 10, 8), 1, 1);
            p.drawArc(QRectF(12.5, 9, 7, 9), 0, 180 * 16);
        });
    return {};
}

} // namespace

QImage imageNamed(const QString& name)
{
    // Drawn once each: every view of the run shares them.
    static std::map<QString, QImage> cache;
    auto it = cache.find(name);
    if (it == cache.end())
        it = cache.emplace(name, draw(name)).first;
    return it->second;
}

} // namespace tallomer::ZEVItemStickers
