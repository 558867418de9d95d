#include "app/widgets/ZEVFilePanel.h"

#include <QFileDialog>
#include <QFileInfo>

#include <utility>

namespace tallomer {

namespace {
ZEVFilePanel::Answerer& answerer()
{
    static ZEVFilePanel::Answerer a;
    return a;
}
} // namespace

ZEVFilePanel::Answerer ZEVFilePanel::setAnswerer(Answerer a) { return std::exchange(answerer(), std::move(a)); }

QString ZEVFilePanel::run(const ZEVFilePanelRequest& request)
{
    QString chosen;
    if (answerer()) {
        chosen = answerer()(request);
    } else {
        QFileDialog dialog(nullptr, request.title, request.directory);
        // The same panel on every desktop, which also lets the title and message show.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setLabelText(QFileDialog::Accept, request.prompt);
        if (!request.message.isEmpty())
            dialog.setLabelText(QFileDialog::LookIn, request.message);
        switch (request.kind) {
        case ZEVFilePanelRequest::Kind::Save:
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            break;
        case ZEVFilePanelRequest::Kind::Open:
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::ExistingFile);
            break;
        case ZEVFilePanelRequest::Kind::Folder:
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::Directory);
            dialog.setOption(QFileDialog::ShowDirsOnly);
            break;
        }
        if (!request.suffix.isEmpty()) {
            dialog.setNameFilter(QStringLiteral("*.%1").arg(request.suffix));
            dialog.setDefaultSuffix(request.suffix);
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        chosen = dialog.selectedFiles().first();
    }
    if (chosen.isEmpty())
        return QString();
    chosen = QFileInfo(chosen).absoluteFilePath();
    if (request.kind == ZEVFilePanelRequest::Kind::Save && !request.suffix.isEmpty() &&
        QFileInfo(chosen).suffix().isEmpty())
        chosen += QLatin1Char('.') + request.suffix;
    return chosen;
}

} // namespace tallomer
