#pragma once
// What the preview window shows of a file: its picture (an image, or a PDF's first page), its
// text, the address a web location file points at, or else its type's icon and a few facts
// about it.
//
// loadPreview runs on any thread and touches only its arguments and the file. Whatever the file
// holds, it answers: pictures are decoded by the thumbnail layer within its pixel and allocation
// bounds, text is read up to a cap, and anything else (a damaged picture, a broken PDF, bytes
// that are not text, a pipe or a device under a file's name) gets the facts alone. Nothing but a
// regular file is ever opened, so a named pipe cannot hold a reader forever.

#include <QDateTime>
#include <QImage>
#include <QString>

#include <cstdint>

namespace tallomer::preview {

// Text beyond this many bytes is not read; the preview says it was cut.
inline constexpr std::int64_t kMaxTextBytes = 256 * 1024;
// A PDF larger than this is not opened: its pages would be parsed for one picture.
inline constexpr std::int64_t kMaxPdfBytes = 512LL * 1024 * 1024;

struct Facts {
    QString path;
    QString name;
    bool exists = false;
    bool folder = false;
    std::int64_t size = -1; // bytes; -1 for a folder or a missing file
    QDateTime modified;
    QString mimeName; // e.g. "image/png"; empty when not known
    QString kind;     // the type as people read it, e.g. "PNG image"
};

struct Content {
    enum class Kind {
        Facts, // the type's icon and the facts
        Image, // `image`: an image file or a PDF's first page
        Text,  // `text`
        Link,  // `address`: a web location file's
    };
    Kind kind = Kind::Facts;
    QImage image;
    QString text;
    QString address;
    bool textCut = false; // only the first kMaxTextBytes were read
    // A file of a type that shows (picture, PDF, text) that could not be shown: damaged, too
    // large, or not what its name says.
    bool unreadable = false;
    Facts facts;
};

// The facts of a file; only a regular file's content is looked at for its type.
Facts factsOf(const QString& path);

// What to show of the file at `path` with the picture's longer side at most `side` pixels.
// `cacheHome` is where the desktop's thumbnails are looked for first ($XDG_CACHE_HOME).
Content loadPreview(const QString& path, double side, const QString& cacheHome);

// Of a mail message no more than this is read: its text comes first, its attachments after.
inline constexpr std::int64_t kMaxMailPreviewBytes = 4 * 1024 * 1024;

// A mail message as people read it: its From, To, Cc, Date and Subject fields decoded, then the
// text of its first plain-text part (inside multipart ones too), decoded from its transfer
// encoding and its charset. Null when the bytes hold no header at all.
QString mailText(const QByteArray& message);

// Whether bytes read from the start of a file are text: valid UTF-8 (a character cut at the end
// of what was read aside), no NUL, and hardly any control bytes but tabs and line and page breaks.
bool siText(const QByteArray& bytes);

// "12 bytes", "1.5 KB", "3.2 MB": the size as the facts show it (1000-based, as file managers do).
QString sizeText(std::int64_t bytes);

} // namespace tallomer::preview
