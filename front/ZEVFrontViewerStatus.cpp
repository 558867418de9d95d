#include "front/ZEVFrontViewer.h"

namespace tallomer {

// ---------------------------------------------------------------------------------------------
// Status texts

std::int64_t ZEVFrontViewer::countForMode(int mode) const
{
    switch (mode) {
    case ZEVFrontModeIcons:
        return nbOfIcons_;
    case ZEVFrontModeTitles:
        return nbOfTitles_;
    case ZEVFrontModeFilters:
        return nbOfFilters_;
    case ZEVFrontModeLinks:
        return nbOfLinks_;
    default:
        return 0;
    }
}

QString ZEVFrontViewer::nameForFrontMode(int mode)
{
    const std::int64_t n = countForMode(mode);
    auto texte = [n](const char* un, const char* plusieurs) {
        return n < 2 ? QStringLiteral("%1 %2").arg(n).arg(QLatin1String(un))
                     : QStringLiteral("%1 %2").arg(n).arg(QLatin1String(plusieurs));
    };
    switch (mode) {
    case ZEVFrontModeIcons:
        return texte("Icon selected", "Icons selected");
    case ZEVFrontModeTitles:
        return texte("Title selected", "Titles selected");
    case ZEVFrontModeFilters:
        return texte("Object filtered", "Objects filtered");
    case ZEVFrontModeLinks: {
        const QString noeuds = nbOfNodes_ < 2 ? QStringLiteral("%1 Node").arg(nbOfNodes_)
                                              : QStringLiteral("%1 Nodes").arg(nbOfNodes_);
        return texte("Link selected / ", "Links selected / ") + noeuds;
    }
    default:
        return {};
    }
}

QString ZEVFrontViewer::shortNameForFrontMode(int mode)
{
    if (mode >= 0 && mode < 3)
        return QString::number(countForMode(mode));
    if (mode == ZEVFrontModeLinks)
        return QStringLiteral("%1 / %2").arg(nbOfLinks_).arg(nbOfNodes_);
    return QStringLiteral("0");
}

} // namespace tallomer
