#include "front/ZEVFrontViewer.h"

#include <algorithm>

namespace tallomer {

ZEVFrontViewer::~ZEVFrontViewer() = default;

QString ZEVFrontViewer::nameForFrontMode(std::int32_t mode)
{
    switch (ZEVNormalisedFrontMode(mode)) {
    case ZEVFrontModeIcons:
        return QStringLiteral("Icons");
    case ZEVFrontModeTitles:
        return QStringLiteral("Titles");
    case ZEVFrontModeFilters:
        return QStringLiteral("Filters");
    case ZEVFrontModeLinks:
        return QStringLiteral("Links");
    default:
        return QString();
    }
}

ZEVFrontView::~ZEVFrontView() = default;

void ZEVFrontView::setLassoFromPoint(const QPointF& from, const QPointF& to)
{
    lassoRect_ = QRectF(QPointF(std::min(from.x(), to.x()), std::min(from.y(), to.y())),
                        QPointF(std::max(from.x(), to.x()), std::max(from.y(), to.y())));
}

} // namespace tallomer
