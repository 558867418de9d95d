#include "app/space/KELSpaceAdd.h"

#include "app/widgets/ZEVFilePanel.h"
#include "desk/viewer/ZEVCollectViewer.h"
#include "runtime/Log.h"
#include "space/ZEVSpaceController.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tallomer {

ZEVCollectViewer& collectViewerOf(ZEVSpaceController& space)
{
    if (auto* made = dynamic_cast<ZEVCollectViewer*>(space.collectViewer()))
        return *made;
    auto viewer = std::make_unique<ZEVCollectViewer>(space);
    ZEVCollectViewer& ref = *viewer;
    space.setCollectViewer(std::move(viewer));
    return ref;
}

bool isAddCommand(std::string_view c)
{
    return c == "userAdd" || c == "userAddDocuments" || c == "userAddNewFolderWithItem";
}

namespace {

void toGrid(ZEVSpaceController& space, const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    collectViewerOf(space).startWithURLs(paths, space.deskGeometry().spaceRatioDefaultSize(),
                                         space.mouseLimitPoint());
}

} // namespace

void userAdd(ZEVSpaceController& space, bool documents)
{
    ZEVFilePanelRequest request;
    request.kind = ZEVFilePanelRequest::Kind::FilesAndFolders;
    request.title = QStringLiteral("Add");
    request.prompt = QStringLiteral("Add");
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    request.directory = documents && QFileInfo(docs).isDir() ? docs : QDir::homePath();
    toGrid(space, ZEVFilePanel::runMany(request));
}

void userAddNewFolderWithItem(ZEVSpaceController& space)
{
    ZEVFilePanelRequest request;
    request.kind = ZEVFilePanelRequest::Kind::Save;
    request.title = QStringLiteral("New Folder");
    request.prompt = QStringLiteral("Create");
    request.directory = QDir::homePath();
    const QString chosen = ZEVFilePanel::run(request);
    if (chosen.isEmpty())
        return;
    const QFileInfo info(chosen);
    QString error;
    if (info.exists())
        error = QStringLiteral("%1 already exists").arg(chosen);
    else if (!QDir(info.absolutePath()).mkdir(info.fileName()))
        error = QStringLiteral("%1 could not be made").arg(chosen);
    if (!error.isEmpty()) {
        logFormat("New Folder ERROR: %s", qUtf8Printable(error));
        QApplication::beep();
        return;
    }
    // The drop folder's watch makes the Objects of what lands there.
    const QString dropFolder = QDir::cleanPath(QDir::homePath() + QStringLiteral("/Tallomer"));
    if (QDir::cleanPath(info.absolutePath()) == dropFolder)
        return;
    toGrid(space, {info.absoluteFilePath()});
}

} // namespace tallomer
