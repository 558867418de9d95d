#pragma once
// A small RTF reader for pasted rich text, the counterpart of RtfWriter: the text with its bold and
// italic runs, paragraphs as line breaks; pictures, tables of fonts and colours, fields' codes and
// every other destination are skipped. Outside input: the bytes, the nesting and the text made are
// bounded, and reading stops (keeping what it has) at the first bound reached.

#include "platform/files/RtfWriter.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace tallomer {

inline constexpr qsizetype kMaxRtfBytes = 8 * 1024 * 1024;
inline constexpr int kMaxRtfDepth = 64;
inline constexpr qsizetype kMaxRtfTextChars = 4 * 1024 * 1024;

// The runs of an RTF document (paragraphs end with "\n", \line is U+2028); absent when the bytes
// are not RTF or over kMaxRtfBytes.
std::optional<QList<RtfRun>> readRtf(const QByteArray& data);

} // namespace tallomer
