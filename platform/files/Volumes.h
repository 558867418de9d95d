#pragma once
// Whether a path lies on an external volume: a removable or network disk rather than the disk
// that holds the user's home. Linux has no single folder for such volumes; we count a path as
// external when it lies below /media, /run/media or /mnt, or on another mount than the home's.
// The root file system is the system's own disk and never counts as external.

#include <QString>
#include <QStringList>

namespace tallomer {

class VolumeMap {
public:
    // mountRoots: the root paths of the mounted file systems; home: the user's home folder.
    VolumeMap(QStringList mountRoots, QString home);

    // The mounts of this machine now (QStorageInfo) and the real home folder.
    static VolumeMap system();
    // The roots of the mounted disks and network shares: what counts as a volume.
    static QStringList systemRoots();

    // The mount that holds path: the longest mount root that is path or a folder above it.
    QString mountRootOf(const QString& path) const;

    bool isExternal(const QString& path) const;

private:
    QStringList roots_;
    QString home_;
    QString homeRoot_;
};

} // namespace tallomer
