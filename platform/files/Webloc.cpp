#include "platform/files/Webloc.h"

#include "platform/files/GeneratedFiles.h"
#include "platform/files/SafeFileName.h"

#include <QDir>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace tallomer {

QByteArray weblocData(const QString& url)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(-1); // one tab, as property lists are usually indented
    xml.writeStartDocument(QStringLiteral("1.0"));
    xml.writeStartElement(QStringLiteral("plist"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    xml.writeStartElement(QStringLiteral("dict"));
    xml.writeTextElement(QStringLiteral("key"), QStringLiteral("URL"));
    xml.writeTextElement(QStringLiteral("string"), url);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

std::optional<QString> parseWebloc(const QByteArray& data)
{
    if (data.size() > kMaxWeblocBytes)
        return std::nullopt;
    QXmlStreamReader xml(data);
    // plist > dict > (key, value)*; only the root dictionary's "URL" string counts.
    int depth = 0;
    bool inRootDict = false;
    bool nextIsUrl = false;
    std::optional<QString> url;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            const auto name = xml.name();
            if (depth == 1 && name != QLatin1String("plist"))
                return std::nullopt;
            if (depth == 2) {
                if (name != QLatin1String("dict"))
                    return std::nullopt;
                inRootDict = true;
            } else if (depth == 3 && inRootDict) {
                if (name == QLatin1String("key")) {
                    nextIsUrl = xml.readElementText() == QLatin1String("URL");
                    --depth;
                } else {
                    if (nextIsUrl && name == QLatin1String("string") && !url) {
                        url = xml.readElementText(QXmlStreamReader::SkipChildElements);
                        --depth;
                    }
                    nextIsUrl = false;
                }
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    if (xml.hasError() || !inRootDict)
        return std::nullopt;
    return url;
}

FileResult writeWeblocFile(const QString& path, const QString& url)
{
    return writeFileAtomically(path, weblocData(url));
}

FileResult writeNewWeblocFile(const QString& path, const QString& url)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    if (!info.dir().exists())
        return FileResult::failure(QStringLiteral("no folder %1 for %2").arg(folder, info.fileName()));
    QTemporaryFile temporary(QDir(folder).filePath(QStringLiteral(".tallomer-XXXXXX.part")));
    const QByteArray bytes = weblocData(url);
    if (!temporary.open())
        return FileResult::failure(QStringLiteral("cannot create a file in %1: %2").arg(folder, temporary.errorString()));
    if (temporary.write(bytes) != bytes.size() || !temporary.flush() || !setOrdinaryFileMode(temporary.handle()) ||
        ::fsync(temporary.handle()) != 0)
        return FileResult::failure(QStringLiteral("cannot write %1: %2").arg(path, temporary.errorString()));
    const QByteArray from = QFile::encodeName(temporary.fileName());
    const QByteArray to = QFile::encodeName(info.absoluteFilePath());
    int done = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
    if (done != 0 && (errno == EINVAL || errno == ENOSYS)) {
        done = ::link(from.constData(), to.constData());
        if (done == 0)
            ::unlink(from.constData());
    }
    if (done != 0)
        return FileResult::failure(QStringLiteral("cannot name %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    temporary.setAutoRemove(false);
    return FileResult::success();
}

std::optional<QString> readWeblocFile(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxWeblocBytes)
        return std::nullopt;
    return parseWebloc(file.read(kMaxWeblocBytes));
}

} // namespace tallomer
