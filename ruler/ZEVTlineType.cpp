#include "ruler/ZEVTlineType.h"

#include "platform/files/PropertyList.h"
#include "runtime/Log.h"

#include <QDir>
#include <QVariantList>

#include <cmath>

namespace tallomer {

std::unique_ptr<ZEVTlineType> ZEVTlineType::RulerWithSpaceName(const QString& spaceName, const QString& resourceFolder)
{
    const QString path =
        QDir(resourceFolder).filePath(QStringLiteral("timeline/") + spaceName + QStringLiteral("Tline.table"));
    const PropertyListRead read = readPropertyListFile(path);
    if (!read || read.value->typeId() != QMetaType::QVariantMap) {
        logFormat("ZEVTlineType RulerWithSpaceName: no calendar units: %s",
                  qUtf8Printable(read ? path + QStringLiteral(" holds no dictionary") : read.error));
        return std::make_unique<ZEVTlineType>();
    }
    return initWithDictionary(read.value->toMap());
}

std::unique_ptr<ZEVTlineType> ZEVTlineType::initWithDictionary(const QVariantMap& table)
{
    auto axe = std::make_unique<ZEVTlineType>();
    const QVariantList entries = table.value(QStringLiteral("units")).toList();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        QString error;
        std::unique_ptr<ZEVTlineUnit> unit = entries[i].typeId() == QMetaType::QVariantMap
                                                 ? ZEVTlineUnit::initWithDictionary(entries[i].toMap(), &error)
                                                 : nullptr;
        if (!unit) {
            logFormat("ZEVTlineType initWithDictionary: unit %lld left out: %s", static_cast<long long>(i),
                      error.isEmpty() ? "not a dictionary" : qUtf8Printable(error));
            continue;
        }
        unit->setTlineType(axe.get());
        axe->units_.push_back(std::move(unit));
    }
    return axe;
}

void ZEVTlineType::setInDate(KELDate inDate, KELDate outDate)
{
    if (!std::isfinite(inDate) || !std::isfinite(outDate)) {
        logFormat("ZEVTlineType setInDate: refused %f to %f", inDate, outDate);
        return;
    }
    inDate_ = inDate;
    outDate_ = outDate;
    length_ = outDate - inDate;
}

ZEVTlineUnit* ZEVTlineType::unitNamed(const QString& name) const
{
    for (const auto& u : units_)
        if (u->name() == name)
            return u.get();
    return nullptr;
}

double ZEVTlineType::relativeCoordinateForDate(KELDate date) const
{
    if (!(length_ > 0) || !std::isfinite(length_) || !std::isfinite(date))
        return 0.0;
    return (date - inDate_) / length_;
}

KELDate ZEVTlineType::dateForRelativeCoordinate(double r) const
{
    if (!std::isfinite(r))
        return inDate_;
    return inDate_ + r * length_;
}

} // namespace tallomer
