#pragma once
// Small helpers on strings and URLs used by the menus.

#include <QString>
#include <QUrl>

namespace tallomer {

// The whole string when it is shorter than `length`, else its first length − 1 characters and
// "…". A length of 0 is taken as 1 (the result is then "…" alone), so it never underflows.
QString stringMenuForString(const QString& string, unsigned length);

// Orders two URLs by their last path components (negative, zero, positive).
int compareLastPathComponent(const QUrl& a, const QUrl& b);

} // namespace tallomer
