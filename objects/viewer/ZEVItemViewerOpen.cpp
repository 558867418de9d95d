// Opening Objects by their type, and the file manager's services for file Objects: what stands in
// the way (an archive kept in the store, a busy or broken Object, a missing file, a broken link
// standing for the file) is dealt with here.

#include "objects/viewer/ZEVItemViewer.h"

#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "engine/KELLien.h"
#include "objects/view/ZEVItemStickers.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewerHost.h"
#include "platform/desktop/Desktop.h"
#include "platform/files/RecordFile.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "services/ZEVPersonServices.h"
#include "services/ZEVSpaceForObjectViews.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <cstring>

#include <stdio.h>
#include <unistd.h>

namespace tallomer {

namespace {

ZEVItemData& storeFor(KELI* item)
{
    if (item && item->channelInt() != 0)
        if (ZEVItemData* own = ZEVItemDataChannels::ItemDataForChannelInt(item->channelInt()))
            return *own;
    return ZEVItemData::Current();
}

// What the desktop could not open is said at once, in front: an alert that names it and why.
// Static: the answer of the desktop's opener may come after this viewer went.
void sayCannotOpen(const QString& name, const QString& why)
{
    const QString message = QStringLiteral("\u201c%1\u201d could not be opened.").arg(name);
    if (ZEVItemViewerHost* host = ZEVItemViewer::Host())
        host->alert(QString(), message, why, {QStringLiteral("OK")});
    else
        logFormat("ZEVItemViewer: %s %s", qUtf8Printable(message), qUtf8Printable(why));
}

// The name an opening is told by: a file's name, or the address.
QString nameOf(const QUrl& url) { return url.isLocalFile() ? QFileInfo(url.toLocalFile()).fileName() : url.toString(); }

// `failed` runs when the desktop could not open it (a program the user declined is no failure);
// without one, it is said in an alert.
bool openWithDesktop(const QUrl& url, Desktop::Failed failed = {})
{
    if (!failed)
        failed = [name = nameOf(url)](const QString& why) { sayCannotOpen(name, why); };
    Desktop* d = Desktop::shared();
    if (!d) {
        logFormat("ZEVItemViewer: no desktop to open %s", qUtf8Printable(url.toString()));
        failed(QStringLiteral("The desktop's services are not there."));
        return false;
    }
    return d->openUrl(url, std::move(failed));
}

const QStringList kFixAliasButtons{QStringLiteral("Fix Alias…"), QStringLiteral("Cancel")};

} // namespace

void ZEVItemViewer::ReferencerHost(ZEVItemViewerHost* host) { host_ = host; }

bool ZEVItemViewer::SiArchiveExtension(const QString& suffix)
{
    static const QStringList archives{"zip", "zipx", "sit", "sitx", "tar", "rar", "7zip", "gz"};
    return !suffix.isEmpty() && archives.contains(suffix.toLower());
}

QString ZEVItemViewer::BusyText(ZEVItemOption options, bool opening)
{
    const char* what = "copying";
    if (options & ZEVOPTION_DOWNLOADING)
        what = "downloading";
    else if (options & ZEVOPTION_DUPLICATING)
        what = "duplicating";
    else if (options & ZEVOPTION_MOVING)
        what = "moving";
    return opening ? QStringLiteral("Cannot open an Object when %1").arg(QLatin1String(what))
                   : QStringLiteral("Cannot Show Original when %1").arg(QLatin1String(what));
}

bool ZEVItemViewer::RepairAlias(const QString& alias, const QString& original, QString* error)
{
    const QFileInfo info(alias);
    // The new link is made beside the old one and renamed over it: the alias is never lost.
    QString temporary;
    for (int i = 0; i < 1000; ++i) {
        const QString candidate =
            info.absolutePath() + QStringLiteral("/.%1.new-link-%2").arg(info.fileName()).arg(i);
        if (!QFileInfo(candidate).isSymLink() && !QFileInfo::exists(candidate)) {
            temporary = candidate;
            break;
        }
    }
    const auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (temporary.isEmpty())
        return fail(QStringLiteral("no free name beside %1").arg(alias));
    if (::symlink(QFile::encodeName(original).constData(), QFile::encodeName(temporary).constData()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(alias).constData()) != 0) {
        const QString text = QString::fromLocal8Bit(std::strerror(errno));
        ::unlink(QFile::encodeName(temporary).constData());
        return fail(text);
    }
    return true;
}

QString ZEVItemViewer::typeForItem(KELI* item) const
{
    if (itemClass_)
        if (auto t = itemClass_->itemTypeForItem(item))
            return QString::fromStdString(*t);
    if (ZEVItemView* v = itemViewForItem(item))
        return v->itemType();
    return QString();
}

int ZEVItemViewer::alert(const QString& title, const QString& message, const QString& informative,
                         const QStringList& buttons)
{
    if (!host_) {
        logFormat("ZEVItemViewer alert (nobody to show it): %s %s", qUtf8Printable(message),
                  qUtf8Printable(informative));
        return int(buttons.size()) - 1;
    }
    return host_->alert(title, message, informative, buttons);
}

void ZEVItemViewer::reloadImagesForItem(KELI* item)
{
    std::vector<ZEVItemViewer*> viewers = host_ ? host_->itemViewers() : std::vector<ZEVItemViewer*>{};
    if (std::find(viewers.begin(), viewers.end(), this) == viewers.end())
        viewers.push_back(this);
    for (ZEVItemViewer* viewer : viewers)
        if (ZEVItemView* v = viewer ? viewer->itemViewForItem(item) : nullptr)
            v->updateImage();
}

int ZEVItemViewer::retrieveMissingFile(KELI* item, bool activate, QString* newPath)
{
    addItemOption(item, ZEVOPTION_NOT_FOUND);
    if (ZEVItemView* v = itemViewForItem(item))
        v->addSticker(ZEVItemStickers::kNotFound);
    if (!host_)
        return ZEVItemRetrieveCancel;
    if (activate)
        host_->activateApplication();
    const int answer = host_->retrieveItem(item, newPath);
    if (answer == ZEVItemRetrieveDelete) {
        if (space_)
            space_->userDeleteItem(item);
    } else if (answer == ZEVItemRetrieveSelect && !newPath->isEmpty()) {
        clearItemOption(item, ZEVOPTION_NOT_FOUND);
        reloadImagesForItem(item);
        if (ZEVItemView* v = itemViewForItem(item))
            v->addSticker(ZEVItemStickers::kForOptions);
        host_->updateAllTableViews();
    }
    return answer;
}

void ZEVItemViewer::userOpenItem(KELI* item, bool original)
{
    if (!item)
        return;
    ++openRequests_;
    const QString type = typeForItem(item);
    ZEVItemData& data = storeFor(item);
    if (type == QLatin1String("file")) {
        if (!original) {
            openFileItem(item);
            return;
        }
        const QUrl url = data.originalHttpUrlForItem(item);
        if (url.isEmpty())
            logLine("userOpenItem type=file original=YES ERROR");
        else
            openWithDesktop(url);
    } else if (type == QLatin1String("http")) {
        const QUrl url = original ? data.originalHttpUrlForItem(item) : data.httpUrlForItem(item);
        if (url.isEmpty()) {
            logLine(original ? "userOpenItem type:http original:YES ERROR" : "userOpenItem type:http original:NO ERROR");
        } else if (url.isLocalFile()) {
            // The downloaded file: a file like any other.
            openWithDesktop(url);
        } else {
            // The beep may come when the desktop's opener gave up, after this viewer went.
            openWithDesktop(url, [original, url](const QString& why) {
                Sound::shared().beep();
                logFormat("userOpenItem type:http original:%s URL:%s (%s)", original ? "YES" : "NO",
                          qUtf8Printable(url.toString()), qUtf8Printable(why));
            });
        }
    } else if (type == QLatin1String("ABPerson")) {
        ZEVPersonServices* persons = space_ ? space_->personClass() : nullptr;
        if (persons)
            persons->openPersonForItem(item);
        else
            logFormat("ZEVItemViewer userOpenItem:%lld the contacts are not there to open it",
                      static_cast<long long>(item->idInt()));
    } else if (type == QLatin1String("message") || type == QLatin1String("zevp")) {
        // The record of the Object's own Channel, by its typed id.
        const QString path = data.recordPath(item->idInt(), type);
        const RecordRead read = QFileInfo::exists(path) ? readRecordFile(path) : RecordRead{};
        const QString value = read ? recordString(*read.fields, type == QLatin1String("zevp")
                                                                    ? QStringLiteral("uid")
                                                                    : QStringLiteral("zevFilename"))
                                   : QString();
        if (value.isEmpty()) {
            Sound::shared().beep();
            logFormat("ZEVItemViewer userOpenItem: No zevData: %s", qUtf8Printable(path));
            return;
        }
        if (type == QLatin1String("zevp")) {
            if (host_) {
                const ZEVItemView* v = itemViewForItem(item);
                host_->openZevpURL(value, v ? v->itemTitle() : QString());
            }
        } else {
            // "message:" links have no handler here: the kept message file is what opens.
            openWithDesktop(QUrl::fromLocalFile(value));
        }
    } else {
        logFormat("ZEVItemViewer userOpenItem:%lld (ERROR unsupported type = %s)",
                  static_cast<long long>(item->idInt()), qUtf8Printable(type));
        const ZEVItemView* v = itemViewForItem(item);
        alert(QString(), QStringLiteral("\u201c%1\u201d could not be opened.").arg(v ? v->itemTitle() : QString()),
              QStringLiteral("Tallomer does not know how to open an Object of this kind."), {QStringLiteral("OK")});
    }
}

void ZEVItemViewer::openFileItem(KELI* item)
{
    ZEVItemData& data = storeFor(item);
    QString path = data.fileUrlForItem(item);
    if (path.isEmpty()) {
        // A link whose original went: the link itself stands for the file, to be repaired.
        const QString recorded = data.recordedFilePathForItem(item);
        if (!recorded.isEmpty() && QFileInfo(recorded).isSymLink() && !QFileInfo::exists(recorded))
            path = recorded;
    }
    if (path.isEmpty()) {
        const ZEVItemOption options = item->baseInt();
        if (options & ZEVOPTION_MASK_BUSY) {
            alert(QString(), QStringLiteral("Error!"), BusyText(options, true), {QStringLiteral("OK")});
        } else if (options & ZEVOPTION_ERROR) {
            alert(QString(), QStringLiteral("Error!"), QStringLiteral("Error when opening Object"),
                  {QStringLiteral("OK")});
        } else {
            QString chosen;
            if (retrieveMissingFile(item, true, &chosen) == ZEVItemRetrieveSelect && chosen.isEmpty())
                logLine("userOpenItem type=file original=NO ERROR");
        }
        return;
    }

    const QFileInfo info(path);
    if (SiArchiveExtension(info.suffix()) && ZEVItemDataChannels::IfHoldByZev(path)) {
        alert(QString(), QStringLiteral("Opening \"%1\"").arg(info.fileName()),
              QStringLiteral("Move the file before opening (Menu \"Object/Handle Objects/Move to…\")"),
              {QStringLiteral("OK")});
        return;
    }
    // A link whose original went is repaired, not handed to the desktop.
    if (!info.isSymLink() || QFileInfo::exists(path)) {
        openWithDesktop(QUrl::fromLocalFile(path));
        return;
    }

    const QString name = info.fileName();
    if (alert(QStringLiteral("Opening Object…"), QStringLiteral("Do you want to fix alias?"),
              QStringLiteral("The alias \"%1\" can't be opened because the original item can't be found.").arg(name),
              kFixAliasButtons) != 0)
        return;
    const QString original = host_ ? host_->chooseFile(QStringLiteral("Select New Original"),
                                                      QStringLiteral("Select the item you want alias \"%1\" to open.")
                                                          .arg(name),
                                                      QStringLiteral("Open"))
                                   : QString();
    if (original.isEmpty())
        return;
    QString error;
    if (!RepairAlias(path, original, &error)) {
        logFormat("Error when creating new alias: %s", qUtf8Printable(error));
        alert(QString(), QStringLiteral("The alias \"%1\" could not be repaired.").arg(name), error,
              {QStringLiteral("OK")});
        return;
    }
    openWithDesktop(QUrl::fromLocalFile(path));
    data.updateFileUidWithItem(item, path);
    if (ZEVItemView* v = itemViewForItem(item))
        v->updateImage();
}

void ZEVItemViewer::userOpenSelectedItemViews()
{
    // The Objects first: a retrieve panel may delete a view on the way.
    std::vector<KELI*> items;
    for (ZEVItemViewForDesks* v : visibleItemViewsForMode(frontMode()))
        if (v && v->item())
            items.push_back(v->item());
    for (KELI* item : items)
        userOpenItem(item, false);
}

bool ZEVItemViewer::userShowOriginalForItem(KELI* item)
{
    if (!item)
        return false;
    ZEVItemData& data = storeFor(item);
    const QString path = data.fileUrlForItem(item);
    if (!path.isEmpty()) {
        if (Desktop* d = Desktop::shared())
            d->reveal(path);
        else
            logFormat("ZEVItemViewer userShowOriginalForItem: no desktop to show %s", qUtf8Printable(path));
        return true;
    }
    const ZEVItemOption options = item->baseInt();
    if (options & ZEVOPTION_MASK_BUSY) {
        alert(QString(), QStringLiteral("Error!"), BusyText(options, false), {QStringLiteral("OK")});
        Sound::shared().beep();
        return false;
    }
    if (options & ZEVOPTION_ERROR) {
        alert(QString(), QStringLiteral("Error!"), QStringLiteral("Error when Show Original"), {QStringLiteral("OK")});
        Sound::shared().beep();
        return false;
    }
    QString chosen;
    const int answer = retrieveMissingFile(item, false, &chosen);
    if (answer == ZEVItemRetrieveSelect) {
        if (chosen.isEmpty()) {
            logLine("userShowOriginalForItem: ERROR");
            return false;
        }
        return true;
    }
    return false;
}

void ZEVItemViewer::userGetInfoForItem(KELI* item)
{
    if (!item || typeForItem(item) != QLatin1String("file"))
        return;
    const QString path = storeFor(item).fileUrlForItem(item);
    if (path.isEmpty()) {
        logFormat("ZEVItemViewer userGetInfoForItem:%lld has no file", static_cast<long long>(item->idInt()));
        return;
    }
    const QString name = QFileInfo(path).fileName();
    const auto failed = [name](const QString& why) {
        if (ZEVItemViewerHost* host = ZEVItemViewer::Host())
            host->alert(QString(), QStringLiteral("The information of \u201c%1\u201d cannot be shown.").arg(name),
                        why.isEmpty() ? why : why.left(1).toUpper() + why.mid(1) + QLatin1Char('.'),
                        {QStringLiteral("OK")});
    };
    if (Desktop* d = Desktop::shared())
        d->showInfo(path, failed);
    else
        failed(QStringLiteral("no file manager is there"));
}

} // namespace tallomer
