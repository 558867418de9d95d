#include "desk/viewer/ZEVRetrieveItemPanel.h"

#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "engine/KELLien.h"
#include "runtime/Log.h"
#include "widgets/FileTypeIcon.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace tallomer {

namespace {

QString runBrowseDialog(const QString& directory, const QString& title, const QString& prompt)
{
    QFileDialog dialog(nullptr, title, directory);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    showTypeIconsIn(dialog);
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A file or a folder: the accept button takes whatever is selected.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setLabelText(QFileDialog::Accept, prompt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString chosen = dialog.selectedFiles().first();
    return QFileInfo::exists(chosen) ? chosen : QString();
}

ZEVRetrieveItemPanel::Browser& browser()
{
    static ZEVRetrieveItemPanel::Browser b;
    return b;
}

} // namespace

ZEVRetrieveItemPanel::Browser ZEVRetrieveItemPanel::setBrowser(Browser b) { return std::exchange(browser(), std::move(b)); }

ZEVRetrieveItemPanel::ZEVRetrieveItemPanel(KELI* item, QWidget* parent) : QDialog(parent), item_(item)
{
    setWindowTitle(QStringLiteral("Retrieve"));
    oldPath_ = new QLineEdit(this);
    oldPath_->setReadOnly(true);
    newPath_ = new QLineEdit(this);
    message_ = new QLabel(this);
    message_->setStyleSheet(QStringLiteral("color: #b00000"));
    message_->hide();
    browse_ = new QPushButton(QStringLiteral("Browse…"), this);
    select_ = new QPushButton(QStringLiteral("Select"), this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    delete_ = new QPushButton(QStringLiteral("Delete"), this);
    select_->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Original path:"), this), 0, 0);
    grid->addWidget(oldPath_, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("New path:"), this), 1, 0);
    grid->addWidget(newPath_, 1, 1);
    grid->addWidget(browse_, 1, 2);
    grid->addWidget(message_, 2, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(delete_);
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    buttons->addWidget(select_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    setMinimumWidth(560);

    connect(browse_, &QPushButton::clicked, this, [this] { buttonBrowse(); });
    connect(select_, &QPushButton::clicked, this, [this] { buttonSelect(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { buttonCancel(); });
    connect(delete_, &QPushButton::clicked, this, [this] { buttonDelete(); });

    const QString recorded = store().recordedFilePathForItem(item_);
    if (recorded.isEmpty()) {
        oldPath_->setText(QStringLiteral("Unable to find the original path"));
    } else {
        oldPathText_ = recorded;
        oldPath_->setText(recorded);
        newPath_->setText(recorded);
    }
}

ZEVRetrieveItemPanel::~ZEVRetrieveItemPanel() = default;

ZEVItemData& ZEVRetrieveItemPanel::store() const
{
    if (item_ && item_->channelInt() != 0)
        if (ZEVItemData* own = ZEVItemDataChannels::ItemDataForChannelInt(item_->channelInt()))
            return *own;
    return ZEVItemData::Current();
}

int ZEVRetrieveItemPanel::runModal()
{
    const int code = exec();
    // Closed by the window manager: as Cancel.
    return code == kSelect || code == kDelete ? code : kCancel;
}

void ZEVRetrieveItemPanel::showMessage(const QString& text)
{
    message_->setText(text);
    message_->show();
}

void ZEVRetrieveItemPanel::buttonBrowse()
{
    const QString start = oldPathText_.isEmpty() ? QDir::homePath() : QFileInfo(oldPathText_).absolutePath();
    const QString title = QStringLiteral("Select the file \"%1\"").arg(QFileInfo(oldPathText_).fileName());
    const QString prompt = QStringLiteral("select");
    const QString chosen = browser() ? browser()(start, title, prompt) : runBrowseDialog(start, title, prompt);
    if (chosen.isEmpty())
        return;
    newPath_->setText(chosen);
    message_->hide();
}

void ZEVRetrieveItemPanel::buttonSelect()
{
    newFileURL_.clear();
    QString typed = newPath_->text().trimmed();
    if (typed == QLatin1String("~") || typed.startsWith(QLatin1String("~/")))
        typed = QDir::homePath() + typed.mid(1);
    // A relative path would be read against wherever the program was started: refused.
    if (typed.isEmpty() || QDir::isRelativePath(typed) || !QFileInfo::exists(typed)) {
        showMessage(QStringLiteral("The path specified is incorrect"));
        return;
    }
    const QString path = QDir::cleanPath(QFileInfo(typed).absoluteFilePath());
    ZEVItemData& data = store();
    const KELId owner = data.itemNumberWithPath(path);
    if (owner != 0 && item_ && owner != item_->idInt()) {
        showMessage(QStringLiteral("The path specified already exists for a different Object"));
        return;
    }
    message_->hide();
    // A record that could not be read is written anew. Select never claims a change it did not
    // make: a record that cannot be written (a full disk) keeps the dialog open with the path typed.
    const bool recorded = data.recordedFilePathForItem(item_).isEmpty() ? data.createFileURL(path, QUrl(), item_)
                                                                         : data.updateFilePathWithItem(item_, path);
    if (!recorded) {
        logFormat("ZEVRetrieveItemPanel: the record of %s could not be written", qUtf8Printable(path));
        showMessage(QStringLiteral("The new path could not be recorded"));
        return;
    }
    newFileURL_ = path;
    done(kSelect);
}

void ZEVRetrieveItemPanel::buttonCancel() { done(kCancel); }
void ZEVRetrieveItemPanel::buttonDelete() { done(kDelete); }

} // namespace tallomer
