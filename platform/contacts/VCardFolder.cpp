#include "platform/contacts/VCardFolder.h"

#include "platform/files/FileIdentity.h"
#include "platform/files/GeneratedFiles.h"
#include "platform/files/SafeFileName.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace tallomer {

namespace {

// Unix time 0, which some copies carry as a creation date they do not know.
constexpr KELDate kUnixEpoch = dateFromUnix(0.0);

} // namespace

QString VCardFolder::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/contacts");
}

VCardFolder::VCardFolder(QString folder) : folder_(std::move(folder)) {}

void VCardFolder::refresh()
{
    const QFileInfoList files = QDir(folder_).entryInfoList({QStringLiteral("*.vcf"), QStringLiteral("*.vcard")},
                                                            QDir::Files | QDir::Readable, QDir::Name);
    QMap<QString, std::pair<qint64, QDateTime>> now;
    for (qsizetype i = 0; i < files.size() && i < kMaxVCardFiles; ++i)
        now.insert(files.at(i).filePath(), {files.at(i).size(), files.at(i).lastModified()});
    if (now == seen_)
        return;
    seen_ = now;
    byUid_.clear();
    for (auto it = now.constBegin(); it != now.constEnd(); ++it) {
        if (it.value().first > kMaxVCardBytes)
            continue;
        QFile file(it.key());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const VCard& card : parseVCards(file.read(kMaxVCardBytes)))
            if (!byUid_.contains(card.uid))
                byUid_.insert(card.uid, Entry{card, it.key()});
    }
}

std::optional<VCard> VCardFolder::cardForUid(const QString& uid)
{
    refresh();
    const auto it = byUid_.constFind(uid);
    if (it == byUid_.constEnd())
        return std::nullopt;
    return it->card;
}

QString VCardFolder::titleForUid(const QString& uid)
{
    const std::optional<VCard> card = cardForUid(uid);
    return card ? vcardTitle(*card) : QStringLiteral("? ?");
}

std::optional<VCardDates> VCardFolder::datesForUid(const QString& uid)
{
    refresh();
    const auto it = byUid_.constFind(uid);
    if (it == byUid_.constEnd())
        return std::nullopt;
    VCardDates dates;
    const std::optional<FileDates> file = fileDates(it->file);
    if (file && file->created && *file->created != kUnixEpoch)
        dates.created = file->created;
    dates.modified = it->card.revision ? it->card.revision : (file ? file->modified : std::nullopt);
    return dates;
}

FileResult VCardFolder::addCard(const VCard& card, QString* path)
{
    if (card.bytes.isEmpty() || card.uid.isEmpty())
        return FileResult::failure(QStringLiteral("an empty card is not added to %1").arg(folder_));
    refresh();
    if (byUid_.contains(card.uid))
        return FileResult::success();
    if (const FileResult made = ensureFolder(folder_); !made)
        return made;
    // Stored exactly as it came: a card without a UID is known by the digest of these bytes.
    const QByteArray& bytes = card.bytes;
    QString written;
    const QString name = safeFileName(card.uid, QStringLiteral("contact")) + QStringLiteral(".vcf");
    const FileResult result = writeNewFile(folder_, name, bytes, &written);
    if (!result)
        return result;
    if (path)
        *path = written;
    return FileResult::success();
}

} // namespace tallomer
