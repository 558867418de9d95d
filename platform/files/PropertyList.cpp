#include "platform/files/PropertyList.h"

#include <QFile>
#include <QFileInfo>
#include <QVariantList>
#include <QVariantMap>
#include <QXmlStreamReader>

namespace tallomer {

namespace {

// Deep enough for any table of ours; a deeper file is refused rather than read by recursion
// without end.
constexpr int kProfondeurMax = 32;

class Lecteur {
public:
    explicit Lecteur(const QByteArray& data) : xml_(data) {}

    PropertyListRead lire()
    {
        PropertyListRead r;
        if (!suivantDebut()) {
            r.error = erreur(QStringLiteral("no root element"));
            return r;
        }
        if (xml_.name() != QLatin1String("plist")) {
            r.error = erreur(QStringLiteral("the root element is not plist"));
            return r;
        }
        if (!suivantDebut()) {
            r.error = erreur(QStringLiteral("an empty plist"));
            return r;
        }
        std::optional<QVariant> v = valeur(0);
        if (!v) {
            r.error = erreur_.isEmpty() ? erreur(QStringLiteral("unreadable")) : erreur_;
            return r;
        }
        // Nothing but the end may follow the root object.
        while (!xml_.atEnd()) {
            const auto t = xml_.readNext();
            if (t == QXmlStreamReader::StartElement) {
                r.error = erreur(QStringLiteral("more than one root object"));
                return r;
            }
        }
        if (xml_.hasError()) {
            r.error = erreur(xml_.errorString());
            return r;
        }
        r.value = std::move(v);
        return r;
    }

private:
    // Moves to the next start element; false at an end element or the end of the document.
    bool suivantDebut()
    {
        while (!xml_.atEnd()) {
            const auto t = xml_.readNext();
            if (t == QXmlStreamReader::StartElement)
                return true;
            if (t == QXmlStreamReader::EndElement)
                return false;
        }
        return false;
    }

    QString erreur(const QString& what) const
    {
        return QStringLiteral("line %1: %2").arg(xml_.lineNumber()).arg(what);
    }

    std::optional<QVariant> echec(const QString& what)
    {
        if (erreur_.isEmpty())
            erreur_ = erreur(what);
        return std::nullopt;
    }

    // The value whose start element the reader is on; leaves the reader on its end element.
    std::optional<QVariant> valeur(int profondeur)
    {
        if (profondeur > kProfondeurMax)
            return echec(QStringLiteral("nested too deeply"));
        const QString nom = xml_.name().toString();
        if (nom == QLatin1String("dict")) {
            QVariantMap map;
            while (suivantDebut()) {
                if (xml_.name() != QLatin1String("key"))
                    return echec(QStringLiteral("a dict entry without its key"));
                const QString cle = xml_.readElementText();
                if (xml_.hasError())
                    return echec(xml_.errorString());
                if (!suivantDebut())
                    return echec(QStringLiteral("the key %1 has no value").arg(cle));
                std::optional<QVariant> v = valeur(profondeur + 1);
                if (!v)
                    return std::nullopt;
                map.insert(cle, *v);
            }
            return QVariant(map);
        }
        if (nom == QLatin1String("array")) {
            QVariantList list;
            while (suivantDebut()) {
                std::optional<QVariant> v = valeur(profondeur + 1);
                if (!v)
                    return std::nullopt;
                list.append(*v);
            }
            return QVariant(list);
        }
        if (nom == QLatin1String("true") || nom == QLatin1String("false")) {
            const bool b = nom == QLatin1String("true");
            if (!xml_.readElementText().trimmed().isEmpty())
                return echec(QStringLiteral("%1 holds text").arg(nom));
            return QVariant(b);
        }
        const QString texte = xml_.readElementText();
        if (xml_.hasError())
            return echec(xml_.errorString());
        if (nom == QLatin1String("string"))
            return QVariant(texte);
        bool ok = false;
        if (nom == QLatin1String("integer")) {
            const qlonglong n = texte.trimmed().toLongLong(&ok);
            if (!ok)
                return echec(QStringLiteral("not an integer: %1").arg(texte));
            return QVariant(n);
        }
        if (nom == QLatin1String("real")) {
            const double d = texte.trimmed().toDouble(&ok);
            if (!ok)
                return echec(QStringLiteral("not a real: %1").arg(texte));
            return QVariant(d);
        }
        return echec(QStringLiteral("unsupported element %1").arg(nom));
    }

    QXmlStreamReader xml_;
    QString erreur_;
};

} // namespace

PropertyListRead parsePropertyList(const QByteArray& data)
{
    if (data.size() > kMaxPropertyListBytes) {
        PropertyListRead r;
        r.error = QStringLiteral("larger than %1 bytes").arg(kMaxPropertyListBytes);
        return r;
    }
    return Lecteur(data).lire();
}

PropertyListRead readPropertyListFile(const QString& path)
{
    PropertyListRead r;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        r.error = QStringLiteral("cannot open %1").arg(path);
        return r;
    }
    if (file.size() > kMaxPropertyListBytes) {
        r.error = QStringLiteral("%1 is larger than %2 bytes").arg(path, QString::number(kMaxPropertyListBytes));
        return r;
    }
    r = parsePropertyList(file.read(kMaxPropertyListBytes + 1));
    if (!r)
        r.error = path + QStringLiteral(": ") + r.error;
    return r;
}

} // namespace tallomer
