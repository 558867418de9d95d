#pragma once
// The badges an Object view wears over its icon's lower left corner: what the Object's file or job
// is going through. Each has a name; code 0 reads the Object's option bits, the others name one.

#include "desk/model/ZEVItemOptions.h"

#include <QImage>
#include <QString>

namespace tallomer {

namespace ZEVItemStickers {

inline constexpr int kForOptions = 0;
inline constexpr int kCopy = 1;
inline constexpr int kForbid = 2;
inline constexpr int kError = 4;
inline constexpr int kWarning = 8;
inline constexpr int kNotFound = 16;
inline constexpr int kDownloading = 32;
inline constexpr int kMove = 64;
inline constexpr int kZevp = 128;

// The sticker's name for a code; for code 0 the first of the options that has one (not found,
// downloading, moving, copying or duplicating, error, in the drop folder, on an external drive,
// in the trash, held by the system). Empty: no sticker.
QString nameForCode(int code, ZEVItemOption options);
// The 32 × 32 image of a name; a null image for a name that is none of ours.
QImage imageNamed(const QString& name);

} // namespace ZEVItemStickers

} // namespace tallomer
