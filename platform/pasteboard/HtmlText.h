#pragma once
// Pasted HTML as styled text: the text with its bold and italic runs, blocks as line breaks, read
// by Qt's rich-text document with every outside resource refused (no image, style sheet or page
// is ever fetched). Outside input: the bytes, the number of tags and their nesting are bounded
// before the document sees them.

#include "platform/files/RtfWriter.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace tallomer {

inline constexpr qsizetype kMaxHtmlBytes = 2 * 1024 * 1024;
inline constexpr qsizetype kMaxHtmlTags = 100000;
inline constexpr int kMaxHtmlDepth = 256;

// Absent when over a bound or when no text is left.
std::optional<QList<RtfRun>> readHtmlText(const QByteArray& html);

} // namespace tallomer
