#include "browser/GUIRulerType.h"

#include "platform/files/PropertyList.h"
#include "ruler/ZEVTlineType.h"
#include "ruler/ZEVTlineUnit.h"
#include "runtime/Log.h"

#include <QDir>
#include <QVariantList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tallomer {

// ---- marks ----

void GUIRulerMark::setInDate(KELDate inDate, KELDate outDate)
{
    const GUIRulerType* r = unit_ ? unit_->ruler() : nullptr;
    relativeStart_ = r ? r->relativeCoordinateForDate(inDate) : 0.0;
    relativeEnd_ = r ? r->relativeCoordinateForDate(outDate) : 0.0;
}

KELDate GUIRulerMark::inDate() const
{
    const GUIRulerType* r = unit_ ? unit_->ruler() : nullptr;
    return r ? r->dateForRelativeCoordinate(relativeStart_) : 0.0;
}

KELDate GUIRulerMark::outDate() const
{
    const GUIRulerType* r = unit_ ? unit_->ruler() : nullptr;
    return r ? r->dateForRelativeCoordinate(relativeEnd_) : 0.0;
}

GUIRulerMark GUIRulerMark::copy() const
{
    GUIRulerMark c(unit_);
    c.setInDate(inDate(), outDate());
    return c;
}

QString GUIRulerMark::description() const
{
    return QStringLiteral("%1 <GUIRulerMark: 0x%2> : %3 , %4")
        .arg(unit_ ? unit_->name() : QString(), QString::number(quintptr(this), 16), title_,
             QString::number(stepUpCycle_));
}

// ---- units ----

namespace {

int entier32(long long v)
{
    return int(std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

bool siEntier(const QVariant& v) { return v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int; }

} // namespace

std::unique_ptr<GUIRulerUnit> GUIRulerUnit::unitWithDictionary(const QVariantMap& entry, QString* error)
{
    const QString classe = entry.value(QStringLiteral("class")).toString();
    if (classe == QLatin1String("GUIRulerUnitDate")) {
        auto u = std::make_unique<GUIRulerUnitDate>();
        if (!u->lireDate(entry, error))
            return nullptr;
        return u;
    }
    if (classe == QLatin1String("GUIRulerUnit")) {
        auto u = std::make_unique<GUIRulerUnit>();
        if (!u->lire(entry, error))
            return nullptr;
        return u;
    }
    if (error)
        *error = classe.isEmpty() ? QStringLiteral("no class")
                                  : QStringLiteral("no unit class \"%1\"").arg(classe);
    return nullptr;
}

bool GUIRulerUnit::lire(const QVariantMap& entry, QString* error)
{
    name_ = entry.value(QStringLiteral("name")).toString();
    bool ok = false;
    const double l = entry.value(QStringLiteral("typicalEventLength")).toDouble(&ok);
    typicalEventLength_ = ok && std::isfinite(l) ? l : 0.0;
    typicalEventTitle_ = entry.value(QStringLiteral("typicalEventTitle")).toString();
    for (const QVariant& v : entry.value(QStringLiteral("includedUnitsNames")).toList())
        if (v.typeId() == QMetaType::QString)
            includedUnitsNames_.append(v.toString());
    for (const QVariant& v : entry.value(QStringLiteral("stepUpCycles")).toList()) {
        if (!siEntier(v)) {
            if (error)
                *error = QStringLiteral("the %1 unit has a step-up cycle that is not an integer").arg(name_);
            return false;
        }
        stepUpCycles_.push_back(entier32(v.toLongLong()));
    }
    largestRelevantStepUpCycle_ = entier32(entry.value(QStringLiteral("largestRelevantStepUpCycle")).toLongLong());
    clacStepUpCycleCArray();
    events_.reserve(1000);
    return true;
}

void GUIRulerUnit::clacStepUpCycleCArray()
{
    stepUpCycleCArray_.clear();
    for (int c : stepUpCycles_) {
        if (c == 0)
            break;
        stepUpCycleCArray_.push_back(c);
    }
    stepUpCycleCArray_.push_back(0);
}

double GUIRulerUnit::typicalEventRelativeLength() const
{
    if (!ruler_)
        return 0.0;
    return ruler_->relativeCoordinateForDate(ruler_->inDate() + typicalEventLength_);
}

void GUIRulerUnit::setMinStepUpCycle(int filter) { stepUpCycleFilter_ = std::max(1, filter); }

void GUIRulerUnit::dirty()
{
    stepUpCycleFilter_ = 1;
    clacStepUpCycleCArray();
}

const std::vector<GUIRulerMark>& GUIRulerUnit::eventsIntersectingInDate(KELDate, KELDate)
{
    events_.clear();
    return events_;
}

const std::vector<GUIRulerMark>& GUIRulerUnit::eventsWithinRelative(double r0, double r1)
{
    if (!ruler_)
        return eventsIntersectingInDate(0, 0);
    return eventsIntersectingInDate(ruler_->dateForRelativeCoordinate(r0), ruler_->dateForRelativeCoordinate(r1));
}

const std::vector<GUIRulerMark>& GUIRulerUnit::events() { return eventsIntersectingInDate(inDate(), outDate()); }

KELDate GUIRulerUnit::inDate() const { return ruler_ ? ruler_->inDate() : 0.0; }
KELDate GUIRulerUnit::outDate() const { return ruler_ ? ruler_->outDate() : 0.0; }

GUIRulerUnitDate::GUIRulerUnitDate() = default;
GUIRulerUnitDate::~GUIRulerUnitDate() = default;

bool GUIRulerUnitDate::lireDate(const QVariantMap& entry, QString* error)
{
    if (!lire(entry, error))
        return false;
    format_ = entry.value(QStringLiteral("format")).toString();
    entry_ = entry;
    logFormat("_format = %s", qUtf8Printable(format_));
    calendarSetUp();
    return true;
}

void GUIRulerUnitDate::calendarSetUp()
{
    siDerniere_ = false;
    QString why;
    calendrier_ = ZEVTlineUnit::initWithDictionary(entry_, &why);
    if (!calendrier_) {
        logFormat("GUIRulerUnitDate: the %s unit makes no marks: %s", qUtf8Printable(name()), qUtf8Printable(why));
        axe_.reset();
        return;
    }
    // Over [0, 1] a relative coordinate is the date itself, exactly: the calendar's marks hand
    // their dates over unrounded.
    axe_ = std::make_unique<ZEVTlineType>();
    axe_->setInDate(0.0, 1.0);
    calendrier_->setTlineType(axe_.get());
}

void GUIRulerUnitDate::dirty()
{
    GUIRulerUnit::dirty();
    calendarSetUp();
}

const std::vector<GUIRulerMark>& GUIRulerUnitDate::eventsIntersectingInDate(KELDate a, KELDate b)
{
    const int f = stepUpCycleFilter();
    if (siDerniere_ && f == lastReturnedEventsStepUpCycle_ && a == lastReturnedEventsInDate_ &&
        b == lastReturnedEventsOutDate_)
        return events_;
    siDerniere_ = true;
    lastReturnedEventsStepUpCycle_ = f;
    lastReturnedEventsInDate_ = a;
    lastReturnedEventsOutDate_ = b;
    events_.clear();
    if (!calendrier_)
        return events_;
    calendrier_->setMinStepUpCycle(f);
    for (const ZEVTlineMark& m : calendrier_->eventsIntersectingInDate(a, b)) {
        GUIRulerMark mark = GUIRulerMark::rulerMarkWithUnit(this);
        mark.setTitle(m.title());
        mark.setStepUpCycle(entier32(m.stepUpCycle()));
        mark.setInDate(m.inDate(), m.outDate());
        events_.push_back(std::move(mark));
    }
    return events_;
}

// ---- rulers ----

std::unique_ptr<GUIRulerType> GUIRulerType::rulerWithSpaceName(const QString& name, const QString& folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("browser/") + name + QStringLiteral("Ruler.table"));
    const PropertyListRead read = readPropertyListFile(path);
    if (!read || read.value->typeId() != QMetaType::QVariantMap) {
        logFormat("GUIRulerType rulerWithSpaceName: no ruler: %s",
                  qUtf8Printable(read ? path + QStringLiteral(" holds no dictionary") : read.error));
        return nullptr;
    }
    return rulerWithDictionary(read.value->toMap());
}

std::unique_ptr<GUIRulerType> GUIRulerType::rulerWithDictionary(const QVariantMap& table)
{
    const QString classe = table.value(QStringLiteral("class")).toString();
    std::unique_ptr<GUIRulerType> ruler;
    if (classe == QLatin1String("GUIRulerTypeDate"))
        ruler = std::make_unique<GUIRulerTypeDate>();
    else if (classe == QLatin1String("GUIRulerType"))
        ruler = std::make_unique<GUIRulerType>();
    if (!ruler) {
        logFormat("GUIRulerType rulerWithDictionary: no ruler class \"%s\"", qUtf8Printable(classe));
        return nullptr;
    }
    ruler->initWithDictionary(table);
    return ruler;
}

void GUIRulerType::initWithDictionary(const QVariantMap& table)
{
    spaceName_ = table.value(QStringLiteral("spaceName")).toString();
    const QVariantList entries = table.value(QStringLiteral("units")).toList();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        QString error = QStringLiteral("not a dictionary");
        std::unique_ptr<GUIRulerUnit> unit = entries[i].typeId() == QMetaType::QVariantMap
                                                 ? GUIRulerUnit::unitWithDictionary(entries[i].toMap(), &error)
                                                 : nullptr;
        if (!unit) {
            logFormat("GUIRulerType initWithDictionary: unit %lld left out: %s", static_cast<long long>(i),
                      qUtf8Printable(error));
            continue;
        }
        unit->setRuler(this);
        units_.push_back(std::move(unit));
    }
}

void GUIRulerType::setInDate(KELDate inDate, KELDate outDate)
{
    inDate_ = inDate;
    outDate_ = outDate;
    length_ = outDate - inDate;
}

std::vector<GUIRulerUnit*> GUIRulerType::unitsWithName(const QString& name) const
{
    std::vector<GUIRulerUnit*> v;
    for (const auto& u : units_)
        if (u->name() == name)
            v.push_back(u.get());
    return v;
}

double GUIRulerTypeDate::relativeCoordinateForDate(KELDate date) const
{
    const double l = lenght();
    if (!(l > 0) || !std::isfinite(l) || !std::isfinite(date))
        return 0.0;
    return (date - inDate()) / l;
}

KELDate GUIRulerTypeDate::dateForRelativeCoordinate(double r) const
{
    if (!std::isfinite(r))
        return inDate();
    return r * lenght() + inDate();
}

} // namespace tallomer
