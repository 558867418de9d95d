#include "platform/files/Volumes.h"

#include <QDir>
#include <QStorageInfo>

namespace tallomer {

namespace {

QString clean(const QString& path)
{
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir(path).absolutePath());
}

// "/homework" is not inside "/home".
bool isInside(const QString& path, const QString& folder)
{
    if (folder == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == folder || (path.startsWith(folder) && path.at(folder.size()) == QLatin1Char('/'));
}

} // namespace

VolumeMap::VolumeMap(QStringList mountRoots, QString home) : home_(clean(home))
{
    for (const QString& root : mountRoots)
        if (!root.isEmpty())
            roots_ << clean(root);
    if (!roots_.contains(QStringLiteral("/")))
        roots_ << QStringLiteral("/");
    homeRoot_ = mountRootOf(home_);
}

VolumeMap VolumeMap::system() { return VolumeMap(systemRoots(), QDir::homePath()); }

QStringList VolumeMap::systemRoots()
{
    QStringList roots;
    // Only disks count: memory and pseudo file systems (/tmp on tmpfs, /proc, /run/user, snaps on
    // loop devices) are part of this machine, not another volume.
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QByteArray device = volume.device();
        const QByteArray type = volume.fileSystemType();
        const bool disk = device.startsWith("/dev/") && !device.startsWith("/dev/loop");
        const bool network = type.contains("nfs") || type.contains("cifs") || type.contains("smb")
            || type.startsWith("fuse");
        if (disk || network)
            roots << volume.rootPath();
    }
    return roots;
}

QString VolumeMap::mountRootOf(const QString& path) const
{
    const QString p = clean(path);
    QString best = QStringLiteral("/");
    for (const QString& root : roots_)
        if (root.size() > best.size() && isInside(p, root))
            best = root;
    return best;
}

bool VolumeMap::isExternal(const QString& path) const
{
    const QString p = clean(path);
    for (const char* folder : {"/media", "/run/media", "/mnt"})
        if (isInside(p, QLatin1String(folder)) && p != QLatin1String(folder))
            return true;
    const QString root = mountRootOf(p);
    return root != QLatin1String("/") && root != homeRoot_;
}

} // namespace tallomer
