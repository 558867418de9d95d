#pragma once
// A time zone pinned for the life of the object: TZ is set and the C library re-reads it, so that
// localtime_r and mktime answer in that zone; the zone before is restored afterwards. Needs the
// zone files of the tzdata package.

#include <QFileInfo>
#include <QString>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace tallomer::test {

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const std::string& zone)
    {
        if (const char* tz = std::getenv("TZ"))
            previous_ = tz;
        setenv("TZ", zone.c_str(), 1);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (previous_)
            setenv("TZ", previous_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

    // Whether the zone's file is installed (a missing one would silently read as UTC).
    static bool installed(const std::string& zone)
    {
        return QFileInfo::exists(QStringLiteral("/usr/share/zoneinfo/") + QString::fromStdString(zone));
    }

private:
    std::optional<std::string> previous_;
};

} // namespace tallomer::test
