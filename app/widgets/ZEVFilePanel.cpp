#include "app/widgets/ZEVFilePanel.h"

#include "widgets/FileTypeIcon.h"

#include <QFileDialog>
#include <QFileInfo>

#include <utility>

namespace tallomer {

namespace {

// No stock mode of the dialog lets files and folders be chosen together: this one lets the
// accept button take whatever is selected, folders included.
class FilesAndFoldersDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    void accept() override
    {
        // A double click on a folder still opens it: that goes through the list, not here.
        chosen_ = selectedFiles();
        QDialog::accept();
    }
    QStringList chosen_;
};

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
        showTypeIconsIn(dialog);
        dialog.setLabelText(QFileDialog::Accept, request.prompt);
        if (!request.message.isEmpty())
            dialog.setLabelText(QFileDialog::LookIn, request.message);
        switch (request.kind) {
        case ZEVFilePanelRequest::Kind::Save:
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            if (request.noOverwriteQuestion)
                dialog.setOption(QFileDialog::DontConfirmOverwrite);
            if (!request.name.isEmpty())
                dialog.selectFile(request.name);
            break;
        case ZEVFilePanelRequest::Kind::Open:
        case ZEVFilePanelRequest::Kind::FilesAndFolders: // one path asked: the first chosen
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

QStringList ZEVFilePanel::runMany(const ZEVFilePanelRequest& request)
{
    QStringList chosen;
    if (answerer()) {
        chosen = answerer()(request).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    } else {
        FilesAndFoldersDialog dialog(nullptr, request.title, request.directory);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        showTypeIconsIn(dialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFiles);
        if (!request.prompt.isEmpty())
            dialog.setLabelText(QFileDialog::Accept, request.prompt);
        if (dialog.exec() != QDialog::Accepted)
            return {};
        chosen = dialog.chosen_;
    }
    QStringList out;
    for (const QString& c : chosen)
        if (!c.isEmpty())
            out << QFileInfo(c).absoluteFilePath();
    return out;
}

} // namespace tallomer
