#include "front/ZEVFrontPanels.h"

#include "desk/data/ZEVItemData.h"
#include "desk/viewer/ZEVCollectViewer.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "platform/sound/Sound.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "services/ZEVItemViewForDesks.h"
#include "widgets/ZEVPanelWheel.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceParts.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/FileTypeIcon.h"
#include "widgets/ZEVAlert.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace tallomer {

namespace {

constexpr const char* kFollowUp = "_panelSelectionDidChange:";
constexpr const char* kNameFocus = "newDirTextFieldFocus";

// The go-to kinds and durations the popups offer, by tag (the go-to panel's tags).
const std::vector<std::pair<long, const char*>>& goToKinds()
{
    static const std::vector<std::pair<long, const char*>> k = {
        {1, "Now"}, {2, "Search"}, {3, "Created"}, {4, "Modified"}, {5, "Last Opened"}};
    return k;
}

const std::vector<std::pair<long, const char*>>& durations()
{
    static const std::vector<std::pair<long, const char*>> d = {
        {11, "15 Minutes"}, {12, "1 Hour"}, {13, "1 Day"},  {14, "1 Week"},
        {15, "1 Month"},    {16, "6 Months"}, {17, "1 Year"}, {0, "Infinite"}};
    return d;
}

ZEVCollectViewer& collectViewerFor(ZEVSpaceController& space)
{
    if (auto* made = dynamic_cast<ZEVCollectViewer*>(space.collectViewer()))
        return *made;
    auto viewer = std::make_unique<ZEVCollectViewer>(space);
    ZEVCollectViewer& ref = *viewer;
    space.setCollectViewer(std::move(viewer));
    return ref;
}

} // namespace

std::optional<QString> newFolderNameFrom(const QString& typed)
{
    const QString name = typed.trimmed();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QChar(u'\0')))
        return std::nullopt;
    return name;
}

QString newFolderProblem(const QString& parent, const QString& typed)
{
    const QString name = typed.trimmed();
    if (name.isEmpty())
        return QStringLiteral("Type a name for the new folder.");
    if (name.contains(QLatin1Char('/')))
        return QStringLiteral("A folder name cannot contain \"/\".");
    if (!newFolderNameFrom(typed))
        return QStringLiteral("\"%1\" cannot name a folder.").arg(name);
    // The file system's limit on one name, counted in the bytes it stores.
    if (QFile::encodeName(name).size() > 255)
        return QStringLiteral("The name is too long: a folder name holds at most 255 bytes.");
    const QFileInfo where(parent);
    if (!where.isDir())
        return QStringLiteral("There is no folder \"%1\" to make it in.").arg(where.fileName());
    if (QFileInfo(QDir(parent).filePath(name)).exists() || QFileInfo(QDir(parent).filePath(name)).isSymLink())
        return QStringLiteral("\"%1\" already exists in \"%2\".").arg(name, QDir(parent).dirName());
    return QString();
}

QString addPromptForCount(qsizetype n)
{
    if (n <= 0)
        return QStringLiteral("Add");
    if (n == 1)
        return QStringLiteral("Add 1 Object");
    return QStringLiteral("Add %1 Objects").arg(n);
}

// ---- the panels -------------------------------------------------------------------------------

ZEVFrontFilePanel::ZEVFrontFilePanel(QWidget* parent, const QString& title, const QString& directory)
    : QFileDialog(parent, title, directory)
{
    // The same panel on every desktop: its accessory and its wheel are ours only in this form.
    setOption(QFileDialog::DontUseNativeDialog);
    showTypeIconsIn(*this);
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);
    wheel_ = new ZEVPanelWheel(this, [this](QWheelEvent* e) {
        if (ruler_)
            ruler_->scrollWheelWithEvent(e);
    });
}

void ZEVFrontFilePanel::setMessage(const QString& message)
{
    // One message line: a second call rewords it.
    if (auto* shown = findChild<QLabel*>(QStringLiteral("panelMessage"))) {
        shown->setText(message);
        return;
    }
    auto* label = new QLabel(message, this);
    label->setObjectName(QStringLiteral("panelMessage"));
    addAccessory(label);
}

void ZEVFrontFilePanel::addAccessory(QWidget* accessory)
{
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(accessory, grid->rowCount(), 0, 1, grid->columnCount());
    else if (layout())
        layout()->addWidget(accessory);
    wheel_->watch(accessory);
}

void ZEVFrontFilePanel::accept()
{
    // Files and folders may both be chosen: OK takes whatever is chosen, a folder included, where
    // the stock panel would open the folder.
    if (!shouldAccept())
        return;
    // A name typed that names nothing is told, and the panel stays up with it for mending: taken,
    // it would close the panel and come to nothing.
    QStringList missing;
    for (const QString& f : selectedFiles())
        if (const QFileInfo info(f); !info.exists() && !info.isSymLink())
            missing << info.fileName();
    if (!missing.isEmpty()) {
        Sound::shared().beep();
        ZEVAlert::ShowSimpleAlertWithMessage(
            missing.size() == 1 ? QStringLiteral("\"%1\" cannot be found.").arg(missing.first())
                                : QStringLiteral("%1 of the files named cannot be found.").arg(missing.size()),
            QStringLiteral("Check the name typed, or choose the file in the list."));
        return;
    }
    if (!choosesFolders_) {
        // A folder typed or chosen is opened by the stock panel, which stays up; files only are
        // taken below.
        for (const QString& f : selectedFiles())
            if (!QFileInfo(f).isFile()) {
                QFileDialog::accept();
                return;
            }
    }
    chosen_.clear();
    for (const QString& f : selectedFiles())
        chosen_ << QFileInfo(f).absoluteFilePath();
    QDialog::accept();
}

ZEVFrontAddPanel::ZEVFrontAddPanel(QWidget* parent, const QString& directory)
    : ZEVFrontFilePanel(parent, QString::fromUtf8(kTitle), directory)
{
    setObjectName(QStringLiteral("addDocumentsPanel"));
    setFileMode(QFileDialog::ExistingFiles);
    setAcceptMode(QFileDialog::AcceptOpen);
    setLabelText(QFileDialog::Accept, addPromptForCount(0));
    setMessage(QStringLiteral("Select Documents you want to add (as references) in Tallomer"));
    auto* view = new QWidget(this);
    view->setObjectName(QStringLiteral("frontAddView"));
    auto* row = new QHBoxLayout(view);
    row->setContentsMargins(0, 0, 0, 0);
    goTo_ = new QComboBox(view);
    goTo_->setObjectName(QStringLiteral("goToPopUp"));
    for (const auto& [tag, title] : goToKinds())
        goTo_->addItem(tr(title), qlonglong(tag));
    duration_ = new QComboBox(view);
    duration_->setObjectName(QStringLiteral("durationPopUp"));
    for (const auto& [tag, title] : durations())
        duration_->addItem(tr(title), qlonglong(tag));
    row->addWidget(new QLabel(tr("Go to:"), view));
    row->addWidget(goTo_);
    row->addWidget(new QLabel(tr("Duration:"), view));
    row->addWidget(duration_);
    row->addStretch();
    addAccessory(view);
}

ZEVFrontNewDirPanel::ZEVFrontNewDirPanel(QWidget* parent, const QString& directory)
    : ZEVFrontFilePanel(parent, QString::fromUtf8(kTitle), directory)
{
    setObjectName(QStringLiteral("newDirPanel"));
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly);
    setAcceptMode(QFileDialog::AcceptOpen);
    setLabelText(QFileDialog::Accept, QStringLiteral("Add Folder"));
    setMessage(QStringLiteral("Select a parent Folder for the New Folder"));
    auto* view = new QWidget(this);
    view->setObjectName(QStringLiteral("newDirView"));
    auto* row = new QHBoxLayout(view);
    row->setContentsMargins(0, 0, 0, 0);
    name_ = new QLineEdit(view);
    name_->setObjectName(QStringLiteral("newDirTextField"));
    name_->setText(tr("untitled folder"));
    row->addWidget(new QLabel(tr("New Folder:"), view));
    row->addWidget(name_);
    addAccessory(view);
}

QString ZEVFrontNewDirPanel::folderName() const { return newFolderNameFrom(name_->text()).value_or(QString()); }

QString ZEVFrontNewDirPanel::parentFolder() const
{
    const QStringList chosen = selectedFiles();
    return QFileInfo(chosen.isEmpty() ? directory().absolutePath() : chosen.first()).absoluteFilePath();
}

void ZEVFrontNewDirPanel::focusName()
{
    name_->setFocus(Qt::OtherFocusReason);
    // What the user already typed is kept as it is, not selected for the next key to replace.
    if (!name_->isModified())
        name_->selectAll();
}

bool ZEVFrontNewDirPanel::shouldAccept()
{
    // The folder is made before the panel closes: a name that cannot be made is told, and the
    // panel stays up with the name as typed for the user to mend.
    const QString parent = parentFolder();
    const QString problem = make_ ? make_(parent, name_->text()) : newFolderProblem(parent, name_->text());
    if (problem.isEmpty())
        return true;
    Sound::shared().beep();
    ZEVAlert::ShowSimpleAlertWithMessage(QStringLiteral("The new folder could not be made."), problem);
    name_->setFocus(Qt::OtherFocusReason);
    name_->selectAll();
    return false;
}

// ---- the front layer's side ---------------------------------------------------------------------

ZEVFrontPanels::ZEVFrontPanels(ZEVSpaceController& space) : space_(space) {}

ZEVFrontPanels::~ZEVFrontPanels()
{
    delete openPanel_.data();
    delete newDirPanel_.data();
}

QWidget* ZEVFrontPanels::windowForPanels() const { return space_.spaceWindow(); }

void ZEVFrontPanels::selectTag(QComboBox* popUp, long tag)
{
    int i = popUp->findData(qlonglong(tag));
    if (i < 0)
        i = popUp->findData(qlonglong(0));
    const QSignalBlocker quiet(popUp);
    popUp->setCurrentIndex(i);
}

ZEVFrontAddPanel* ZEVFrontPanels::makeAddPanel(const QString& folder)
{
    delete openPanel_.data();
    auto* panel = new ZEVFrontAddPanel(windowForPanels(), folder);
    openPanel_ = panel;
    panel->setRulerViewer(space_.rulerViewer());
    selectTag(panel->goToPopUp(), space_.goToTag());
    selectTag(panel->durationPopUp(), space_.durationTag());
    connect(panel->goToPopUp(), &QComboBox::activated, this, [this, panel](int i) {
        popUpGoToChange(long(panel->goToPopUp()->itemData(i).toLongLong()));
    });
    connect(panel->durationPopUp(), &QComboBox::activated, this, [this, panel](int i) {
        popUpDurationChange(long(panel->durationPopUp()->itemData(i).toLongLong()));
    });
    auto follow = [this, panel] { panelSelectionDidChange(panel); };
    connect(panel, &QFileDialog::currentChanged, this, follow);
    if (auto* typed = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        connect(typed, &QLineEdit::textChanged, this, follow);
    return panel;
}

void ZEVFrontPanels::buttonAddWithUrl(const QString& folder)
{
    ZEVFrontAddPanel* panel = makeAddPanel(folder);
    connect(panel, &QDialog::finished, this, [this, panel](int result) {
        if (result == QDialog::Accepted)
            added(panel->chosen(), space_.mouseLimitPoint());
        previousURL_.clear();
    });
    panel->open();
}

void ZEVFrontPanels::buttonAddFilesWithUrl(const QString& folder, const QString& title, const QString& message,
                                           std::function<void(const QStringList&)> done,
                                           std::function<void(QFileDialog*)> follow)
{
    ZEVFrontAddPanel* panel = makeAddPanel(folder);
    if (follow) {
        // One follow-up only: the desk's would title the button for Objects.
        panel->disconnect(this);
        panel->goToPopUp()->disconnect(this);
        panel->durationPopUp()->disconnect(this);
        if (auto* typed = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            typed->disconnect(this);
        follow(panel);
    }
    panel->setWindowTitle(title);
    panel->setChoosesFolders(false);
    panel->setLabelText(QFileDialog::Accept, QStringLiteral("Add"));
    panel->setMessage(message);
    space_.setSiGoToMode(true);
    connect(panel, &QDialog::finished, this, [this, panel, done = std::move(done)](int result) {
        if (result == QDialog::Accepted && done)
            done(panel->chosen());
        previousURL_.clear();
        space_.setSiGoToMode(false);
    });
    panel->open();
}

void ZEVFrontPanels::addNewFolder(const QString& folder)
{
    const QString start = folder.isEmpty() ? QDir::homePath() + QStringLiteral("/Documents/") : folder;
    delete newDirPanel_.data();
    auto* panel = new ZEVFrontNewDirPanel(windowForPanels(), start);
    newDirPanel_ = panel;
    panel->setRulerViewer(space_.rulerViewer());
    panel->setMaker([this](const QString& parent, const QString& name) { return makeNewFolder(parent, name); });
    connect(panel, &QFileDialog::currentChanged, this, [this, panel] { panelSelectionDidChange(panel); });
    connect(panel, &QDialog::finished, this, [this, panel](int result) {
        if (result != QDialog::Accepted || panel->chosen().isEmpty())
            return;
        // The folder was made on OK, in the parent the panel chose.
        const QString parent = panel->chosen().first();
        // The drop folder's watch makes the Objects of what lands there.
        const QString dropFolder = QDir::cleanPath(QDir::homePath() + QStringLiteral("/Tallomer"));
        if (QDir::cleanPath(parent) != dropFolder)
            added({QDir(parent).filePath(panel->folderName())}, space_.mouseLimitPoint());
    });
    panel->open();
    // The name is what the user types first, once the panel has settled.
    QPointer<ZEVFrontNewDirPanel> guarded = panel;
    Scheduler::shared().perform(this, kNameFocus, kNameFocusDelay, [guarded] {
        if (guarded && guarded->isVisible())
            guarded->focusName();
    });
}

QString ZEVFrontPanels::makeNewFolder(const QString& parent, const QString& typed)
{
    QString error = newFolderProblem(parent, typed);
    if (error.isEmpty()) {
        const QString path = QDir(parent).filePath(typed.trimmed());
        if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0)
            error = QStringLiteral("\"%1\" could not be made in \"%2\": %3.")
                        .arg(typed.trimmed(), QDir(parent).dirName(), QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (!error.isEmpty())
        logFormat("New Folder ERROR in %s: %s", qUtf8Printable(parent), qUtf8Printable(error));
    return error;
}

void ZEVFrontPanels::added(const QStringList& paths, const QPointF& at)
{
    if (paths.isEmpty())
        return;
    collectViewerFor(space_).startWithURLs(paths, space_.deskGeometry().spaceRatioDefaultSize(), at);
}

void ZEVFrontPanels::panelSelectionDidChange(ZEVFrontFilePanel* panel)
{
    selections_.clear();
    Scheduler::shared().cancel(this, kFollowUp);
    if (panel != openPanel_.data() && panel != newDirPanel_.data())
        return;
    for (const QString& f : panel->selectedFiles())
        selections_ << QFileInfo(f).absoluteFilePath();
    QPointer<ZEVFrontFilePanel> guarded = panel;
    Scheduler::shared().perform(this, kFollowUp, kFollowUpDelay, [this, guarded] {
        if (guarded)
            _panelSelectionDidChange(guarded.data());
    });
}

void ZEVFrontPanels::centreTlineOn(KELDate t)
{
    ZEVRulerViewerServices* r = space_.rulerViewer();
    KELIContexte* c = space_.tlContexte();
    if (!r || !c || (t <= c->nowOut() && t >= c->nowIn()))
        return;
    if (r->userInitieDeplacementCurseur()) {
        const double d = t - (c->nowIn() + c->nowOut()) / 2.0;
        r->userPlaceRulerOffsetIn(d, d);
        r->userTermineDeplacementCurseur();
    }
}

void ZEVFrontPanels::_panelSelectionDidChange(ZEVFrontFilePanel* panel)
{
    // A follow-up that outlived its panel has nothing left to act on.
    if (!panel->isVisible())
        return;
    if (panel == newDirPanel_.data()) {
        if (!selections_.isEmpty())
            flick({selections_.first()});
        return;
    }
    if (panel != openPanel_.data())
        return;
    const qsizetype n = selections_.size();
    panel->setLabelText(QFileDialog::Accept, addPromptForCount(n));
    if (n == 0) {
        previousURL_.clear();
        return;
    }
    const QString last = selections_.last();
    const long tag = long(openPanel_->goToPopUp()->currentData().toLongLong());
    ZEVRulerViewerServices* r = space_.rulerViewer();
    KELICurseur* search = space_.searchCurseur();
    if (tag >= 3 && r && search) {
        r->userChangeActifCurseur(search);
        // The same file chosen last again moves nothing and flicks nothing.
        if (last == previousURL_)
            return;
        previousURL_ = last;
        centreTlineOn(search->now());
        if (const std::optional<KELDate> date = fileDateForGoToTag(last, tag)) {
            if (r->userInitieDeplacementCurseur()) {
                r->userPlaceCurseurEtRulerOffset(*date - search->now());
                r->userTermineDeplacementCurseur();
            }
        } else {
            Sound::shared().beep();
        }
    }
    flick(selections_);
}

void ZEVFrontPanels::flick(const QStringList& paths)
{
    KELICurseur* c = space_.actifCurseur();
    ZEVDeskViewer* dv = space_.deskViewerForCurseur(c);
    if (!dv)
        return;
    std::vector<ZEVItemViewForDesks*> views;
    for (const QString& p : paths) {
        const KELId id = ZEVItemData::Current().itemNumberWithUid(ZEVItemData::UidForURL(p));
        KELI* item = id ? KELServeurDeLiens::LienForInt(id, c) : nullptr;
        if (ZEVItemViewForDesks* v = item ? dv->itemViewForItem(item) : nullptr)
            views.push_back(v);
    }
    dv->flickItemViews(views);
}

void ZEVFrontPanels::popUpGoToChange(long t)
{
    previousURL_.clear();
    space_.setGoToTag(t);
    if (openPanel_)
        selectTag(openPanel_->durationPopUp(), space_.durationTag());
    ZEVRulerViewerServices* r = space_.rulerViewer();
    KELICurseur* search = space_.searchCurseur();
    KELICurseur* now = space_.nowCurseur();
    if (!r || !search || !now)
        return;
    if (t == 1 || t == 2) {
        KELICurseur* c = t == 1 ? now : search;
        r->userChangeActifCurseur(c);
        centreTlineOn(c->now());
        return;
    }
    r->userChangeActifCurseur(search);
    if (!openPanel_ || openPanel_->selectedFiles().isEmpty())
        return;
    const std::optional<KELDate> date = fileDateForGoToTag(openPanel_->selectedFiles().last(), t);
    if (!date) {
        Sound::shared().beep();
        return;
    }
    const KELDate s = search->now();
    centreTlineOn(s);
    if (r->userInitieDeplacementCurseur()) {
        r->userPlaceCurseurEtRulerOffset(*date - s);
        r->userTermineDeplacementCurseur();
    }
}

void ZEVFrontPanels::popUpDurationChange(long tag) { space_.setDurationTag(tag); }

} // namespace tallomer
