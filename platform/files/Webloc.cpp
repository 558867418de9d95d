#include "platform/files/Webloc.h"

#include "platform/files/GeneratedFiles.h"

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
