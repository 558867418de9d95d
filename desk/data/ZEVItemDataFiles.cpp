#include "desk/data/ZEVItemDataFiles.h"

#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/data/ZEVItemDataSupport.h"
#include "engine/KELLien.h"
#include "platform/files/GeneratedFiles.h"
#include "platform/files/SafeFileName.h"
#include "platform/files/Webloc.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

namespace tallomer {

using namespace itemdata;

namespace {

// Writes bytes under a new name in folder; "" (logged, reported) on failure.
QString writeGenerated(const QString& folder, const QString& name, const QByteArray& bytes)
{
    QString written;
    if (const FileResult result = writeNewFile(folder, name, bytes, &written); !result) {
        ZEVItemDataChannels::ReportStoreError(result.error);
        return QString();
    }
    return written;
}

} // namespace

QString ZEVItemDataFiles::ensureItemDropFolder(KELId item) const
{
    if (store_.isNone())
        return QString();
    const QString folder = store_.itemDropFolder(item);
    if (const FileResult made = ensureFolder(folder); !made) {
        say(QStringLiteral("Error when creating directory: %1").arg(folder));
        say(QStringLiteral("                             : %1").arg(made.error));
        // The file it was made for is not written either: the user hears why.
        ZEVItemDataChannels::ReportStoreError(made.error);
        return QString();
    }
    return folder;
}

QString ZEVItemDataFiles::createBitmapImage(const QImage& image, const QString& name, KELI* item)
{
    if (!item || store_.isNone())
        return QString();
    const QByteArray bytes = tiffData(image);
    if (bytes.isEmpty()) {
        say(QStringLiteral("createBitmapImage ERROR: the image cannot be written as TIFF"));
        return QString();
    }
    const QString folder = ensureItemDropFolder(item->idInt());
    if (folder.isEmpty())
        return QString();
    return writeGenerated(folder, safeFileName(name, QStringLiteral("image")) + QStringLiteral(".tiff"), bytes);
}

QString ZEVItemDataFiles::createPdfImage(const QByteArray& pdfData, const QString& name, KELI* item)
{
    if (!item || store_.isNone() || pdfData.isEmpty())
        return QString();
    const QString folder = ensureItemDropFolder(item->idInt());
    if (folder.isEmpty())
        return QString();
    return writeGenerated(folder, safeFileName(name, QStringLiteral("image")) + QStringLiteral(".pdf"), pdfData);
}

QString ZEVItemDataFiles::createZevpImage(const QImage& image, KELI* item)
{
    if (!item || store_.isNone())
        return QString();
    const QByteArray bytes = jpegData(image, kDeskImageJpegQuality);
    if (bytes.isEmpty()) {
        say(QStringLiteral("createZevpImage ERROR: the image cannot be written as JPEG"));
        return QString();
    }
    const QString folder = ensureItemDropFolder(item->idInt());
    if (folder.isEmpty())
        return QString();
    // The Object's own desk image: a newer view of the desk replaces it.
    const QString path = folder + QStringLiteral("/zevp.jpeg");
    if (const FileResult written = writeFileAtomically(path, bytes); !written) {
        ZEVItemDataChannels::ReportStoreError(written.error);
        return QString();
    }
    return path;
}

QString ZEVItemDataFiles::createRTFWithAttributedString(const ZEVRichText& text, KELI* item)
{
    if (!item || store_.isNone())
        return QString();
    const QString folder = ensureItemDropFolder(item->idInt());
    if (folder.isEmpty())
        return QString();
    return writeGenerated(folder, QStringLiteral("pasted text.rtf"), rtfDocument(text.runs));
}

QString ZEVItemDataFiles::createRTFDWithAttributedString(const ZEVRichText& text, KELI* item)
{
    if (!item || store_.isNone())
        return QString();
    const QString folder = ensureItemDropFolder(item->idInt());
    if (folder.isEmpty())
        return QString();
    // The bundle: a folder holding the text as TXT.rtf and each attachment beside it.
    const QString bundle = uniquePathInFolder(folder, QStringLiteral("pasted text.rtfd"));
    if (bundle.isEmpty() || !QDir().mkdir(bundle)) {
        const QString why = bundle.isEmpty() ? QStringLiteral("no free name in %1").arg(folder)
                                             : QStringLiteral("cannot create folder %1").arg(bundle);
        say(QStringLiteral("Error when creating directory: %1").arg(bundle.isEmpty() ? folder : bundle));
        say(QStringLiteral("                             : %1").arg(why));
        ZEVItemDataChannels::ReportStoreError(why);
        return QString();
    }
    if (const FileResult written = writeFileAtomically(bundle + QStringLiteral("/TXT.rtf"), rtfDocument(text.runs));
        !written) {
        ZEVItemDataChannels::ReportStoreError(written.error);
        QDir(bundle).removeRecursively();
        return QString();
    }
    for (const ZEVRichText::Attachment& attachment : text.attachments) {
        // Attachments never take the text's own name.
        const QString name = safeFileName(attachment.name, QStringLiteral("attachment"));
        const QString safe = name == QLatin1String("TXT.rtf") ? QStringLiteral("attachment ") + name : name;
        if (writeGenerated(bundle, safe, attachment.data).isEmpty()) {
            QDir(bundle).removeRecursively();
            return QString();
        }
    }
    return bundle;
}

QString ZEVItemDataFiles::createMessageFile(const QByteArray& message, const QString& subject, KELI* item)
{
    if (!item || store_.isNone() || message.isEmpty())
        return QString();
    const QString folder = ensureItemDropFolder(item->idInt());
    if (folder.isEmpty())
        return QString();
    // The subject is outside text: it names one new file inside the Object's folder.
    return writeGenerated(folder, safeFileName(subject, QStringLiteral("message")) + QStringLiteral(".eml"), message);
}

QString ZEVItemDataFiles::weblocUrlForItem(KELI* item, const QString& name)
{
    if (!item || store_.isNone())
        return QString();
    const QString file = ZEVItemData::Current().fileUrlForItem(item);
    if (!file.isEmpty() && !isWebPage(file))
        return file;
    const QString folder = store_.itemDropFolder(item->idInt());
    if (!QFileInfo(folder).isDir())
        return QString();
    QStringList weblocs;
    QStringList pages;
    QDirIterator walk(folder, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        const QString path = walk.next();
        const QString suffix = walk.fileInfo().suffix();
        if (suffix == QLatin1String("webloc"))
            weblocs << path;
        else if (isWebPage(path))
            pages << path;
    }
    if (!weblocs.isEmpty()) {
        weblocs.sort();
        return weblocs.first();
    }
    const QUrl asUrl(name);
    const QString base = asUrl.isValid() && !asUrl.host().isEmpty() ? asUrl.host() : name;
    const QUrl address = webUrl(store_.uidForItem(item, kHttp));
    if (address.isEmpty())
        return QString();
    for (qsizetype i = 0; i < pages.size(); ++i) {
        // The title is outside text: it names one new file inside the Object's folder.
        const QString path = uniquePathInFolder(folder, safeFileName(base, QStringLiteral("link")) + QStringLiteral(".webloc"));
        if (path.isEmpty())
            continue;
        const FileResult written = writeNewWeblocFile(path, address.toString(QUrl::FullyEncoded));
        if (written)
            return path;
        ZEVItemDataChannels::ReportStoreError(written.error);
    }
    return QString();
}

QString ZEVItemDataFiles::previewWeblocForItem(KELI* item)
{
    if (!item || store_.isNone())
        return QString();
    const QString path = store_.recordPath(item->idInt(), QStringLiteral("webloc"));
    if (QFileInfo(path).isFile())
        return path;
    const QUrl address = webUrl(store_.uidForItem(item, kHttp));
    if (address.isEmpty())
        return QString();
    const FileResult written = writeNewWeblocFile(path, address.toString(QUrl::FullyEncoded));
    // Another preview may have written it meanwhile.
    if (written || QFileInfo(path).isFile())
        return path;
    // Only the preview goes without it: nothing the user made is lost.
    say(QStringLiteral("previewWeblocForItem: %1").arg(written.error));
    return QString();
}

} // namespace tallomer
