#include "app/widgets/ZEVUninstallPanel.h"

#include "desk/data/ZEVItemDataSupport.h"
#include "platform/files/FileBookmark.h"
#include "platform/files/FileIdentity.h"
#include "platform/files/RecordFile.h"
#include "platform/files/SafeFileName.h"
#include "platform/files/Webloc.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tallomer {

namespace {

void say(const QString& line) { logLine(line.toStdString()); }

bool somethingAt(const QString& path) { return QFileInfo::exists(path) || QFileInfo(path).isSymLink(); }

// The non-hidden entries directly inside folder.
QFileInfoList visibleEntries(const QString& folder)
{
    return QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
}

// The record's creation day, as the file system keeps it (its last change where it keeps none).
QString recordDay(const QString& path)
{
    const auto dates = fileDates(path);
    const std::optional<KELDate> when = dates ? (dates->created ? dates->created : dates->modified) : std::nullopt;
    const QDateTime moment = QDateTime::fromMSecsSinceEpoch(qint64((when.value_or(0) + kReferenceDateUnix) * 1000.0));
    return moment.toLocalTime().toString(QStringLiteral("yyyy-MM-dd"));
}

// A free entry "day name" inside folder, then "day (1) name", "day (2) name", ...; the name made
// safe first, so that it always names one entry inside folder.
QString freeAliasPath(const QString& folder, const QString& day, const QString& name)
{
    const QString safe = safeFileName(name, QStringLiteral("link"));
    for (int n = 0; n < 10000; ++n) {
        const QString candidate = n == 0 ? QStringLiteral("%1 %2").arg(day, safe)
                                         : QStringLiteral("%1 (%2) %3").arg(day, QString::number(n), safe);
        const QString path = pathInFolder(folder, candidate);
        if (!somethingAt(path))
            return path;
    }
    return QString();
}

bool makeFolder(const QString& path)
{
    if (QFileInfo(path).isDir() || QDir().mkpath(path))
        return true;
    say(QStringLiteral("Error: impossible to create destination directory. %1").arg(path));
    return false;
}

} // namespace

ZEVUninstallPanel::ZEVUninstallPanel(Folders folders, TitleReader titles, QWidget* parent)
    : QDialog(parent), folders_(std::move(folders)), titles_(std::move(titles))
{
    setWindowTitle(QStringLiteral("Uninstall Tallomer"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("<b>Uninstall Tallomer</b><br>Tallomer quits once it has done what you "
                                              "choose here. Its store, with every Object and link, is removed."),
                               this);
    heading->setWordWrap(true);
    layout->addWidget(heading);

    auto* itemsRow = new QHBoxLayout;
    itemsCheckBox_ = new QCheckBox(QStringLiteral("Move the Objects' stored files out of the store"), this);
    itemsLabel_ = new QLabel(this);
    itemsRow->addWidget(itemsCheckBox_);
    itemsRow->addWidget(itemsLabel_);
    itemsRow->addStretch();
    layout->addLayout(itemsRow);
    aliasCheckBox_ = new QCheckBox(QStringLiteral("Leave links to the Objects' files and web pages beside them"), this);
    layout->addWidget(aliasCheckBox_);
    prefCheckBox_ = new QCheckBox(QStringLiteral("Remove the preferences"), this);
    layout->addWidget(prefCheckBox_);

    auto* stays = new QLabel(QStringLiteral("Left in place: the program's own files (remove them with your package "
                                            "manager, or delete the folder it was built in), a desktop entry "
                                            "registered for it, and the shared thumbnail cache."),
                             this);
    stays->setWordWrap(true);
    layout->addWidget(stays);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    uninstallButton_ = new QPushButton(QStringLiteral("Uninstall"), this);
    uninstallButton_->setDefault(true);
    buttons->addWidget(cancelButton_);
    buttons->addWidget(uninstallButton_);
    layout->addLayout(buttons);

    connect(itemsCheckBox_, &QCheckBox::toggled, this, [this] { exportZevItems(); });
    connect(uninstallButton_, &QPushButton::clicked, this, [this] { done(1); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { done(0); });
}

ZEVUninstallPanel::~ZEVUninstallPanel() = default;

qint64 ZEVUninstallPanel::storedFileCount(const QString& zevDrop)
{
    // The files the move takes, but the copies of the program's own wallpapers. (Counting the
    // entries of each Channel's folder less two, for wallpaper Objects' folders this store does not
    // make, would hide stored files and leave the move unchecked: they would go with the store.)
    qint64 n = 0;
    for (const QFileInfo& channel : visibleEntries(zevDrop)) {
        if (!channel.isDir() || channel.isSymLink())
            continue;
        QDirIterator walk(channel.absoluteFilePath(), QDir::Files | QDir::NoDotAndDotDot | QDir::System,
                          QDirIterator::Subdirectories);
        while (walk.hasNext()) {
            walk.next();
            const QString suffix = walk.fileInfo().suffix().toLower();
            if (suffix != QLatin1String("html") && suffix != QLatin1String("htm") &&
                !walk.fileName().startsWith(QLatin1String("zevWallpaper")))
                ++n;
        }
    }
    return n;
}

void ZEVUninstallPanel::prepare()
{
    const qint64 n = storedFileCount(folders_.zevDrop);
    const QSignalBlocker block(itemsCheckBox_);
    itemsCheckBox_->setChecked(n != 0);
    aliasCheckBox_->setChecked(n != 0);
    aliasCheckBox_->setEnabled(n != 0);
    itemsLabel_->setVisible(n != 0);
    itemsLabel_->setText(n == 1 ? QStringLiteral("(1 file)") : QStringLiteral("(%1 files)").arg(n));
}

int ZEVUninstallPanel::runModal()
{
    prepare();
    return exec() == 1 ? 1 : 0;
}

void ZEVUninstallPanel::exportZevItems()
{
    aliasCheckBox_->setEnabled(true);
    aliasCheckBox_->setChecked(itemsCheckBox_->isChecked());
}

bool ZEVUninstallPanel::siRemoveUserPref() const { return prefCheckBox_->isChecked(); }
bool ZEVUninstallPanel::siExportZevItems() const { return itemsCheckBox_->isChecked(); }
bool ZEVUninstallPanel::siExportZevAlias() const { return aliasCheckBox_->isChecked(); }

QString ZEVUninstallPanel::numberedName(const QString& name, int n)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot + 1) : QString();
    return QStringLiteral("%1 (%2).%3").arg(base, QString::number(n), extension);
}

bool ZEVUninstallPanel::backupAllZevItemsAtURL(const QString& folder)
{
    const QString objects = QDir(folder).filePath(QStringLiteral("Tallomer Objects"));
    if (!makeFolder(objects))
        return false;
    bool all = true;
    for (const QFileInfo& channel : visibleEntries(folders_.zevDrop)) {
        if (!channel.isDir() || channel.isSymLink())
            continue;
        const QString target = QDir(objects).filePath(channel.fileName());
        if (!makeFolder(target))
            return false;
        QDirIterator walk(channel.absoluteFilePath(), QDir::Files | QDir::NoDotAndDotDot | QDir::System,
                          QDirIterator::Subdirectories);
        QStringList files;
        while (walk.hasNext()) {
            walk.next();
            const QString suffix = walk.fileInfo().suffix().toLower();
            if (suffix != QLatin1String("html") && suffix != QLatin1String("htm"))
                files << walk.filePath();
        }
        // Which of two namesakes keeps the plain name does not hang on the directory's order.
        files.sort();
        for (const QString& file : files) {
            const QString name = QFileInfo(file).fileName();
            // A name taken in the meantime is met as "exists": the next number is tried.
            FileResult moved = FileResult::failure(QStringLiteral("no free name for %1").arg(name));
            for (int n = 0; n < 10000; ++n) {
                const QString to = QDir(target).filePath(n == 0 ? name : numberedName(name, n));
                if (somethingAt(to))
                    continue;
                moved = moveFileNoReplace(file, to, rename_);
                if (moved || !somethingAt(to))
                    break;
            }
            if (!moved) {
                say(QStringLiteral("Error: %1").arg(moved.error));
                all = false;
            }
        }
    }
    return all;
}

bool ZEVUninstallPanel::backupAllZevAliasAtURL(const QString& folder)
{
    const QString alias = QDir(folder).filePath(QStringLiteral("Tallomer Alias"));
    if (!makeFolder(alias))
        return false;
    const QString wallpaperPrefix = QStringLiteral("%1/zevWallpaper").arg(QDir::cleanPath(folders_.zevDir));
    const BookmarkSearch search = itemdata::lostFileSearch();
    bool all = true;
    QDirIterator walk(folders_.zevData, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                      QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        const QString record = walk.next();
        const QFileInfo info = walk.fileInfo();
        const QString kind = info.suffix();
        if (info.isDir() || (kind != QLatin1String("file") && kind != QLatin1String("http")))
            continue;
        const RecordRead read = readRecordFile(record);
        if (!read) {
            say(QStringLiteral("Backup error for alias: %1").arg(record));
            continue;
        }
        const QString day = recordDay(record);
        if (kind == QLatin1String("file")) {
            const auto bookmark = FileBookmark::fromBytes(recordBytes(*read.fields, QStringLiteral("bookmark")));
            const auto resolved = bookmark ? resolveBookmark(*bookmark, search) : std::nullopt;
            if (!resolved) {
                say(QStringLiteral("Error when accessing bookmark: %1").arg(QStringLiteral("the file cannot be found")));
                say(QStringLiteral("                         path: %1").arg(recordString(*read.fields, QStringLiteral("path"))));
                all = false;
                continue;
            }
            if (resolved->path.contains(wallpaperPrefix))
                continue;
            const QFileInfo target(resolved->path);
            if (!target.exists() || target.isDir())
                continue;
            const QString link = freeAliasPath(alias, day, target.fileName());
            if (link.isEmpty() || ::symlink(QFile::encodeName(resolved->path).constData(),
                                            QFile::encodeName(link).constData()) != 0) {
                say(QStringLiteral("Error when creating symbolic link: %1")
                        .arg(link.isEmpty() ? QStringLiteral("no free name") : QString::fromLocal8Bit(std::strerror(errno))));
                all = false;
            }
        } else {
            const QString url = recordString(*read.fields, QStringLiteral("uid"));
            const KELId item = info.completeBaseName().toULongLong();
            const QString title = titles_ ? titles_(item) : QString();
            const QUrl asUrl(title);
            QString name = asUrl.isValid() && !asUrl.host().isEmpty() ? asUrl.host() : title;
            if (name.isEmpty())
                name = QUrl(url).host();
            name = safeFileName(name, QStringLiteral("link")) + QStringLiteral(".webloc");
            const QString path = freeAliasPath(alias, day, name);
            if (path.isEmpty() || !CreateWeblocFileWithURL(url, path))
                all = false;
        }
    }
    return all;
}

bool ZEVUninstallPanel::CreateWeblocFileWithURL(const QString& url, const QString& path)
{
    if (url.isEmpty())
        return false;
    const FileResult written = writeNewWeblocFile(path, url);
    if (!written)
        say(QStringLiteral("ZEVUninstallPanel CreateWeblocFileWithURL: %1").arg(written.error));
    return written.ok;
}

} // namespace tallomer
