#include "platform/files/OutsideNames.h"

#include "runtime/Log.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>

namespace tallomer {

namespace {

constexpr int kMaxUniqueAttempts = 1000;
constexpr qsizetype kMaxNameBytes = 255;

// The characters of the bytes 0x80..0x9F in the Windows Latin-1 code page; the five it leaves
// unassigned become "_" rather than invisible control characters.
constexpr char16_t kWindows1252[32] = {
    0x20AC, u'_', 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, u'_', 0x017D, u'_',
    u'_', 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, u'_', 0x017E, 0x0178};

// The length of the valid UTF-8 sequence starting at i (its character in code), 0 when there is
// none: overlong forms, surrogates and characters past U+10FFFF are not valid.
qsizetype validSequence(const QByteArray& bytes, qsizetype i, char32_t* code)
{
    const auto c = static_cast<unsigned char>(bytes.at(i));
    if (c < 0x80) {
        *code = c;
        return 1;
    }
    qsizetype length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if ((c & 0xE0) == 0xC0) {
        length = 2, value = c & 0x1F, least = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        length = 3, value = c & 0x0F, least = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        length = 4, value = c & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    for (qsizetype k = 1; k < length; ++k) {
        const auto d = static_cast<unsigned char>(bytes.at(i + k));
        if ((d & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (d & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *code = value;
    return length;
}

QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// base + suffix + extension within the byte limit of a name, the base shortened as needed.
QString fitted(QString base, const QString& suffix, const QString& extension)
{
    while (!base.isEmpty() && (base + suffix + extension).toUtf8().size() > kMaxNameBytes)
        base.chop(base.size() >= 2 && base.back().isLowSurrogate() ? 2 : 1);
    return base + suffix + extension;
}

} // namespace

bool isTextName(const QByteArray& name) { return QFile::encodeName(QFile::decodeName(name)) == name; }

QString textName(const QByteArray& name)
{
    if (isTextName(name))
        return QFile::decodeName(name);
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size();) {
        char32_t code = 0;
        if (const qsizetype length = validSequence(name, i, &code)) {
            out += QString::fromUcs4(&code, 1);
            i += length;
            continue;
        }
        const auto byte = static_cast<unsigned char>(name.at(i++));
        out += QChar(byte < 0xA0 ? kWindows1252[byte - 0x80] : char16_t(byte));
    }
    return out;
}

std::optional<QString> textPath(const QByteArray& given, QString* error)
{
    if (isTextName(given))
        return QFile::decodeName(given);
    QByteArray path = given;
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = path.left(slash + 1);
    const QByteArray name = path.mid(slash + 1);
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return QFile::decodeName(given);
    auto fail = [&](const QString& why) -> std::optional<QString> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (!isTextName(folder))
        return fail(QStringLiteral("%1: a folder of this path has a name that is not valid UTF-8")
                        .arg(QFile::decodeName(given)));

    const QString text = textName(name);
    const qsizetype dot = text.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? text.left(dot) : text;
    const QString extension = dot > 0 ? text.mid(dot) : QString();
    for (int n = 0; n <= kMaxUniqueAttempts; ++n) {
        const QString candidate = fitted(base, n == 0 ? QString() : QStringLiteral(" (%1)").arg(n), extension);
        const QByteArray to = folder + QFile::encodeName(candidate);
        int done = ::renameat2(AT_FDCWD, path.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        if (done != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without the no-replace rename: look first (a race here is harmless
            // next to a name the program cannot use at all).
            struct stat there {};
            if (::lstat(to.constData(), &there) == 0)
                continue;
            done = ::rename(path.constData(), to.constData());
        }
        if (done == 0) {
            logFormat("OutsideNames: %s was renamed %s: its name was not valid UTF-8",
                      QFile::decodeName(path).toUtf8().constData(), QFile::decodeName(to).toUtf8().constData());
            return QFile::decodeName(to);
        }
        if (errno != EEXIST && errno != ENOTEMPTY)
            return fail(QStringLiteral("cannot rename %1: %2").arg(QFile::decodeName(path), systemError(errno)));
    }
    return fail(QStringLiteral("no free name for %1").arg(QFile::decodeName(path)));
}

QString textPathOfUrl(const QUrl& url, QString* error)
{
    if (!url.isLocalFile())
        return QString();
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (isTextName(bytes))
        return url.toLocalFile();
    return textPath(bytes, error).value_or(QString());
}

QStringList textArguments(int argc, const char* const* argv)
{
    QStringList out;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        QString error;
        if (const auto path = textPath(argument, &error)) {
            out << *path;
        } else {
            logFormat("OutsideNames: %s", error.toUtf8().constData());
            out << QFile::decodeName(argument);
        }
    }
    return out;
}

} // namespace tallomer
