#include "app/store/KELResources.h"

#include "platform/files/ResourceFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tallomer {

namespace {
QString& explicitDirectory()
{
    static QString dir;
    return dir;
}

QString existing(const QString& path) { return QFileInfo::exists(path) ? path : QString(); }
} // namespace

void KELResources::setDirectory(const QString& dir) { explicitDirectory() = dir; }

QString KELResources::directory()
{
    if (!explicitDirectory().isEmpty())
        return explicitDirectory();
    const QString fromEnv = QString::fromLocal8Bit(qgetenv("TALLOMER_RESOURCE_DIR"));
    if (!fromEnv.isEmpty())
        return QDir::cleanPath(fromEnv);
    return resourcefolder::find(QCoreApplication::applicationDirPath());
}

QString KELResources::pathForResource(const QString& name, const QString& type)
{
    return existing(directory() + "/" + name + "." + type);
}

QString KELResources::wallpaperPath(const QString& name)
{
    return existing(directory() + "/wallpapers/" + name + ".pdf");
}

QString KELResources::imagePath(const QString& fileName) { return existing(directory() + "/images/" + fileName); }

} // namespace tallomer
