#pragma once
// The files a Channel's store makes for an Object in the Object's own folder of the Channel's drop
// folder (<drop folder>/<channel>/<item>/): pasted images and texts, the saved desk image, a web
// location file made on demand. Names that come from outside never leave that folder nor replace
// a file already there (the desk image excepted: a newer view of the desk replaces it).

#include "engine/KELTypes.h"
#include "platform/files/RtfWriter.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

class KELI;

namespace tallomer {

class ZEVItemData;

// Pasted rich text: styled runs and, for the bundle form, attached files.
struct ZEVRichText {
    struct Attachment {
        QString name; // as the pasteboard named it; made safe before use
        QByteArray data;
    };
    QList<RtfRun> runs;
    QList<Attachment> attachments;
};

class ZEVItemDataFiles {
public:
    // store is not owned: the writer is part of it.
    explicit ZEVItemDataFiles(const ZEVItemData& store) : store_(store) {}
    ZEVItemDataFiles(const ZEVItemDataFiles&) = delete;
    ZEVItemDataFiles& operator=(const ZEVItemDataFiles&) = delete;

    // The Object's own folder, made when missing; "" (logged) on failure or without a store.
    QString ensureItemDropFolder(KELId item) const;

    // Each answers the written file's path, "" on failure.
    QString createBitmapImage(const QImage& image, const QString& name, KELI* item);
    QString createPdfImage(const QByteArray& pdfData, const QString& name, KELI* item);
    QString createZevpImage(const QImage& image, KELI* item);
    QString createRTFWithAttributedString(const ZEVRichText& text, KELI* item);
    QString createRTFDWithAttributedString(const ZEVRichText& text, KELI* item);
    // A dropped mail message, kept whole as "<subject>.eml" ("message.eml" without a subject).
    QString createMessageFile(const QByteArray& message, const QString& subject, KELI* item);

    // A file to hand out for a web Object (the callers pass the Object's title as name): its file
    // in the current Channel, a web location already in its folder, or one made beside its
    // downloaded page; "" when there is none.
    QString weblocUrlForItem(KELI* item, const QString& name);
    // The web location file a preview shows for a web Object: "<id>.webloc" beside its records,
    // written from its web address when it is not there yet; "" (logged) when the Object has no
    // address or the file cannot be written.
    QString previewWeblocForItem(KELI* item);

private:
    const ZEVItemData& store_; // not owned: the store this writer belongs to
};

} // namespace tallomer
