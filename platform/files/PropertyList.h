#pragma once
// XML property lists (version 1.0), read into Qt values: a dictionary becomes a QVariantMap, an
// array a QVariantList, a string a QString, an integer a qlonglong, a real a double, true and
// false a bool. The program's own tables are written in this form; dates and data blocks are not
// used by them and are refused.

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

namespace tallomer {

inline constexpr qint64 kMaxPropertyListBytes = 4 * 1024 * 1024;

struct PropertyListRead {
    std::optional<QVariant> value; // the root object
    QString error;                 // empty when read
    explicit operator bool() const { return value.has_value(); }
};

PropertyListRead parsePropertyList(const QByteArray& data);
PropertyListRead readPropertyListFile(const QString& path);

} // namespace tallomer
