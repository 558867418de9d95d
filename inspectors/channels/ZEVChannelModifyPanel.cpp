#include "inspectors/channels/ZEVChannelModifyPanel.h"

#include "desk/pasteboard/ZEVPasteboard.h"
#include "engine/KELICurseur.h"
#include "inspectors/channels/ZEVChannelClass.h"
#include "inspectors/channels/ZEVChannelPanelControls.h"
#include "space/ZEVSpaceController.h"
#include "widgets/FileTypeIcon.h"
#include "widgets/ZEVAlert.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace tallomer {

ZEVChannelModifyPanel::ZEVChannelModifyPanel(ZEVSpaceController& space, ZEVChannelClass& model, QWidget* parent)
    : QDialog(parent), space_(space), modify_(space, model), chooser_(&ZEVChannelModifyPanel::chooseImage)
{
    setObjectName(QStringLiteral("modifyPanel"));
    setWindowTitle(QStringLiteral("Modify Channel"));
    setWindowModality(Qt::ApplicationModal);

    channelField_ = new QLineEdit(this);
    channelField_->setObjectName(QStringLiteral("modifyPanelChannelTextField"));
    setAsHome_ = new QCheckBox(QStringLiteral("Home Channel"), this);
    setAsHome_->setObjectName(QStringLiteral("modifyPanelSetAsHome"));
    spaceField_ = new QLineEdit(this);
    spaceField_->setObjectName(QStringLiteral("modifyPanelSpaceTextField"));
    controls_ = new ZEVChannelPanelControls(space, this);
    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QDialogButtonBox::Ok);
    cancel_ = buttons->addButton(QDialogButtonBox::Cancel);
    ok_->setDefault(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Channel:"), channelField_);
    form->addRow(QString(), setAsHome_);
    form->addRow(QStringLiteral("Space:"), spaceField_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(controls_);
    layout->addWidget(buttons);

    connect(setAsHome_, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            setAsHomeDidChange();
    });
    connect(controls_, &ZEVChannelPanelControls::swatchClicked, this, [this] { imageDidChange(); });
    connect(controls_, &ZEVChannelPanelControls::scaleChanged, this, [this](KELId s) { scaleInt_ = s; });
    connect(buttons, &QDialogButtonBox::accepted, this, &ZEVChannelModifyPanel::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ZEVChannelModifyPanel::reject);
}

ZEVChannelModifyPanel::~ZEVChannelModifyPanel() = default;

void ZEVChannelModifyPanel::ouvrir(bool channel)
{
    fill(true);
    QLineEdit* field = channel || !spaceField_->isEnabled() ? channelField_ : spaceField_;
    show();
    raise();
    activateWindow();
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    emit panelOpened();
}

void ZEVChannelModifyPanel::fill(bool majChannel)
{
    const ZEVChannelModify::State s = modify_.current();
    listed_ = s.listed;
    image_ = s.image;
    path_ = s.path;
    scaleInt_ = s.scaleInt;

    for (QWidget* w : std::initializer_list<QWidget*>{spaceField_, controls_->colorButton(), controls_->fitButton(),
                                                      controls_->fillButton(), controls_->showImageBox()})
        w->setEnabled(s.listed);
    controls_->setImagePath(s.listed ? s.path : QString());
    controls_->setScaleInt(s.scaleInt);
    controls_->setColor(s.color);
    // Without a picture to show (unlisted, or one that cannot be read) the preview stays empty.
    if (!(s.listed && !s.path.isEmpty() && controls_->scaleDidChange()))
        controls_->showImageDidChange(false);

    {
        const QSignalBlocker quiet(setAsHome_);
        setAsHome_->setChecked(s.home);
    }
    setAsHome_->setEnabled(!s.home);
    if (majChannel)
        channelField_->setText(QString::fromStdString(s.channelName));
    spaceField_->setText(QString::fromStdString(s.spaceName));
    controls_->fillFromSpace();
}

void ZEVChannelModifyPanel::spaceMayHaveChanged()
{
    if (!isVisible())
        return;
    // Asked at every redisplay: the file and the colour are read only when the Space changed.
    bool listed = false;
    KELI* image = modify_.currentImage(&listed);
    if (image != image_ || listed != listed_)
        fill(false);
}

void ZEVChannelModifyPanel::imageDidChange()
{
    if (!listed_)
        return;
    const QString chosen = chooser_ ? chooser_(this) : QString();
    if (chosen.isEmpty())
        return;
    if (!ZEVChannelModify::siImageLisible(chosen)) {
        ZEVChannelPanelControls::tellUnreadablePicture(chosen);
        return;
    }
    path_ = chosen;
    controls_->setImagePath(chosen);
    controls_->scaleDidChange();
}

void ZEVChannelModifyPanel::setAsHomeDidChange()
{
    if (modify_.setAsHome()) {
        setAsHome_->setEnabled(false);
        return;
    }
    {
        const QSignalBlocker quiet(setAsHome_);
        setAsHome_->setChecked(false);
    }
    ZEVAlert::ShowSimpleAlertWithMessage(
        QStringLiteral("The home Channel could not be saved."),
        QStringLiteral("Tallomer could not write its settings file, so the home Channel stays as it was."));
}

QString ZEVChannelModifyPanel::chooseImage(QWidget* parent)
{
    QFileDialog dialog(parent, QStringLiteral("Select a new background image"),
                       QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
    dialog.setObjectName(QStringLiteral("modifyPanelChooser"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    showTypeIconsIn(dialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Select\u2026"));
    QStringList motifs;
    for (const QString& ext : ZEVPasteboard::ImageExtensions())
        motifs << QStringLiteral("*.") + ext;
    dialog.setNameFilter(QStringLiteral("Images (%1)").arg(motifs.join(QLatin1Char(' '))));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constLast();
}

void ZEVChannelModifyPanel::accept()
{
    if (!isVisible())
        return;
    if (channelField_->text().trimmed().isEmpty()) {
        ZEVAlert::ShowSimpleAlertWithMessage(
            QStringLiteral("The Channel needs a name."),
            QStringLiteral("Type a name for the Channel, or Cancel to leave it as it is."));
        channelField_->setFocus(Qt::OtherFocusReason);
        return;
    }
    // A cleared Space name would leave the Space untitled in every Spaces menu; a Space that had
    // no title may stay so.
    if (listed_ && spaceField_->text().trimmed().isEmpty() &&
        !QString::fromStdString(modify_.current().spaceName).trimmed().isEmpty()) {
        ZEVAlert::ShowSimpleAlertWithMessage(
            QStringLiteral("The Space needs a name."),
            QStringLiteral("Type a name for the Space, or Cancel to leave it as it is."));
        spaceField_->setFocus(Qt::OtherFocusReason);
        return;
    }
    hide();
    ZEVChannelModify::Choices c;
    c.channelName = channelField_->text().toStdString();
    if (listed_) {
        c.spaceName = spaceField_->text().toStdString();
        c.color = controls_->color();
        // The filled scale until the user picks one: a Space without a scale link gets none.
        c.scaleInt = scaleInt_;
        c.path = path_;
    }
    modify_.apply(c);
    // Every desk and list shows the result.
    if (KELICurseur* tl = space_.tlCurseur())
        tl->placeToi();
    if (KELICurseur* actif = space_.actifCurseur())
        actif->placeToi();
    fermer(true);
}

void ZEVChannelModifyPanel::reject()
{
    if (!isVisible())
        return;
    hide();
    fermer(false);
}

void ZEVChannelModifyPanel::fermer(bool applied)
{
    ZEVChannelPanelControls::closeSharedColorDialog();
    setResult(applied ? QDialog::Accepted : QDialog::Rejected);
    emit panelClosed(applied);
}

} // namespace tallomer
