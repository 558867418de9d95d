// The ruler bar's preset buttons: a press calls its preset, a hold saves into it, a right click
// opens the preset menu, pointing shows the preset's name, and the name field renames a preset
// in place.

#include "ruler/ZEVRulerViewbar.h"

#include "engine/KELICurseur.h"
#include "platform/MenuText.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerBox.h"
#include "ruler/ZEVRulerPresetButton.h"
#include "ruler/ZEVRulerStandIns.h"
#include "ruler/ZEVRulerViewer.h"
#include "runtime/Clock.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceView.h"
#include "space/ZEVSpaceWindow.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>

namespace tallomer {

namespace {

QString nomMenu(const std::string& nom) { return QStringLiteral("\"%1\"").arg(QString::fromStdString(nom)); }

} // namespace

void ZEVRulerViewbar::construireLePresetMenu()
{
    presetMenu_ = new QMenu(this);
    presetMenu_->setObjectName(QStringLiteral("PresetMenu"));
    presetMenuName_ = presetMenu_->addAction(QStringLiteral("Rename Preset"));
    presetMenuClear_ = presetMenu_->addAction(QStringLiteral("Clear Preset"));
    presetMenuGoto_ = presetMenu_->addAction(QStringLiteral("Go to Preset"));
    presetMenuNew_ = presetMenu_->addAction(QStringLiteral("New Preset"));
    presetMenuSeparator_ = presetMenu_->addSeparator();
    presetMenuSave_ = presetMenu_->addAction(QStringLiteral("Save Preset"));
    connect(presetMenuName_, &QAction::triggered, this, [this] { menuPresetRename(); });
    connect(presetMenuClear_, &QAction::triggered, this, [this] { menuPresetClear(); });
    connect(presetMenuGoto_, &QAction::triggered, this, [this] { menuPresetCall(); });
    connect(presetMenuNew_, &QAction::triggered, this, [this] { menuPresetSave(false); });
    connect(presetMenuSave_, &QAction::triggered, this, [this] { menuPresetSave(true); });
    connect(presetMenu_, &QMenu::aboutToShow, this, [this] { presetMenuWillOpen(); });
    connect(presetMenu_, &QMenu::hovered, this, [this](QAction* a) { presetMenuWillHighlightItem(a); });
    connect(presetMenu_, &QMenu::aboutToHide, this, [this] { presetMenuDidClose(); });
}

void ZEVRulerViewbar::presetsAuReveil()
{
    ZEVStampServices& presets = stampClass();
    for (ZEVRulerPresetButton* b : presetButtons_) {
        if (b->tag() == kHomeTime) {
            b->setImageNamed(QStringLiteral("home.tiff"));
            continue;
        }
        b->setImageNamed(presets.imageNameWithStampInt(b->tag()));
        b->setSiEnabled(presets.siPresetWithStampInt(b->tag()));
    }
    presetTextField_->clear();
}

ZEVRulerPresetButton* ZEVRulerViewbar::presetButton() const { return presetButton_; }

ZEVRulerPresetButton* ZEVRulerViewbar::presetButtonWithTag(KELId stamp) const
{
    for (ZEVRulerPresetButton* b : presetButtons_)
        if (b->tag() == stamp)
            return b;
    return nullptr;
}

bool ZEVRulerViewbar::siNowActif() const
{
    ZEVSpaceController& space = spaceController();
    return space.actifCurseur() && space.actifCurseur() == space.nowCurseur();
}

void ZEVRulerViewbar::highlightButtonWithTag(KELId stamp)
{
    if (ZEVRulerPresetButton* b = presetButtonWithTag(stamp))
        b->setState(kZEVStateOn);
}

// ---------------------------------------------------------------------------------------------
// Press, hold and release

void ZEVRulerViewbar::restaurerImage(ZEVRulerPresetButton* b)
{
    const KELId tag = b->tag();
    ZEVStampServices& presets = stampClass();
    if (presets.stateOfNowPresetWithStampInt(tag) != 0)
        b->setImageNamed(tag == kHomeTime ? QStringLiteral("home.tiff") : QStringLiteral("now.tiff"));
    else if (presets.stateOfSearchPresetWithStampInt(tag) != 0)
        b->setImageNamed(QStringLiteral("search.tiff"));
    else if (presets.stateOfRulerPresetWithStampInt(tag) != 0)
        b->setImageNamed(QStringLiteral("ruler.pdf"));
    else
        b->setImageNamed(QStringLiteral("preset_empty.tiff"));
}

void ZEVRulerViewbar::mouseDownOnPresetButton(ZEVRulerPresetButton* b)
{
    if (!viewer_.siAccepteDeplacement()) {
        presetButton_ = nullptr;
        return;
    }
    presetButton_ = b;
    presetButtonTime_ = Clock::shared().now();
    siSavePreset_ = false;
    // Home Time holds no save while another cursor than Now is shown.
    if (b->tag() == kHomeTime && actifCurseur_ != spaceController().nowCurseur())
        return;
    b->setImageNamed(QStringLiteral("preset_00.pdf"));
    QPointer<ZEVRulerPresetButton> bouton = b;
    for (int i = 1; i <= 12; ++i) {
        const QString nom = QStringLiteral("preset_%1.pdf").arg(i, 2, 10, QLatin1Char('0'));
        Scheduler::shared().perform(b, "setImage", kFramePeriod * i, [bouton, nom] {
            if (bouton)
                bouton->setImageNamed(nom);
        });
    }
    Scheduler::shared().cancel(this, "_presetButtonDelay");
    Scheduler::shared().perform(this, "_presetButtonDelay", kArmDelay, [this, bouton] {
        Sound::shared().play(QStringLiteral("Bottle"));
        if (bouton && bouton->tag() == kHomeTime && !siToEqualsZero_ && siNowActif() &&
            viewer_.userInitieDeplacementCurseur()) {
            viewer_.userPlaceContexteInToZero();
            viewer_.userTermineDeplacementCurseur();
        }
        siSavePreset_ = true;
    });
}

void ZEVRulerViewbar::mouseUpOnPresetButton(ZEVRulerPresetButton* b, bool siSearch)
{
    if (!presetButton_)
        return;
    Scheduler::shared().cancel(this, "_presetButtonDelay");
    Scheduler::shared().cancel(b, "setImage");
    if (siSavePreset_) {
        siSavePreset_ = false;
        appliquerSauvegarde(b, siSearch);
        return;
    }
    restaurerImage(b);
    const bool vite = Clock::shared().now() - presetButtonTime_ < kCallWithin;
    ZEVStampServices& presets = stampClass();
    const KELId tag = b->tag();
    if (presets.stateOfNowPresetWithStampInt(tag) == 0 && presets.stateOfSearchPresetWithStampInt(tag) == 0 &&
        presets.stateOfRulerPresetWithStampInt(tag) == 0) {
        Sound::shared().beep();
        return;
    }
    if (vite)
        appelerParClic(b);
}

void ZEVRulerViewbar::appelerParClic(ZEVRulerPresetButton* b)
{
    ZEVStampServices& presets = stampClass();
    const KELId tag = b->tag();
    ZEVSpaceController& space = spaceController();
    if (presets.stateOfNowPresetWithStampInt(tag) != 0) {
        menuNowCurseur(nullptr);
        viewer_.setClickPositionForDisplay(space.nowCurseur(), 4);
        setClickPositionForDisplay(4);
    } else if (presets.stateOfSearchPresetWithStampInt(tag) != 0) {
        menuSearchCurseur(nullptr);
        viewer_.setClickPositionForDisplay(space.searchCurseur(), 4);
        setClickPositionForDisplay(4);
    } else {
        if (ZEVTlineViewServices* strip = viewer_.tlineView())
            strip->setClickPositionForDisplay(4);
        setClickPositionForDisplay(9);
        b->setState(kZEVStateOn);
    }
    presets.callPresetWithStampInt(tag, kCallDuration);
}

void ZEVRulerViewbar::appliquerSauvegarde(ZEVRulerPresetButton* b, bool siSearch)
{
    const std::optional<ZEVStampServices::Saved> saved = stampClass().savePresetWithStampInt(b->tag(), siSearch);
    if (saved) {
        b->setSiEnabled(true);
        b->setImageNamed(saved->imageName);
        b->setState(saved->state);
    } else {
        restaurerImage(b);
    }
}

void ZEVRulerViewbar::mouseDragOutOfPresetButton(ZEVRulerPresetButton* b)
{
    if (!presetButton_)
        return;
    Scheduler::shared().cancel(this, "_presetButtonDelay");
    Scheduler::shared().cancel(b, "setImage");
    restaurerImage(b);
    presetButton_ = nullptr;
    siSavePreset_ = false;
}

void ZEVRulerViewbar::mouseRightOnPresetButton(ZEVRulerPresetButton* b)
{
    presetButton_ = b;
    b->setState(kZEVStateOn);
}

// ---------------------------------------------------------------------------------------------
// Names

void ZEVRulerViewbar::mouseEnteredWithTag(KELId stamp)
{
    if (siEditPreset_)
        return;
    presetTag_ = stamp;
    presetTitleShown_ = stamp;
    presetTextField_->setText(QString::fromStdString(stampClass().nameWithStampInt(stamp)));
    Scheduler::shared().cancel(this, "_stopPreset");
}

void ZEVRulerViewbar::mouseExitedWithTag(KELId stamp)
{
    if (siEditPreset_ || stamp != presetTag_)
        return;
    planifierStopPreset(kStopPresetDelay);
}

void ZEVRulerViewbar::planifierStopPreset(double delay)
{
    Scheduler::shared().cancel(this, "_stopPreset");
    Scheduler::shared().perform(this, "_stopPreset", delay, [this] { stopPreset(); });
}

void ZEVRulerViewbar::stopPreset()
{
    if (siEditPreset_)
        return;
    presetTextField_->clear();
    presetTitleShown_ = 0;
}

void ZEVRulerViewbar::showPresetTitleWithTag(KELId stamp, float duration)
{
    presetTitleShown_ = stamp;
    if (!siEditPreset_)
        presetTextField_->setText(QString::fromStdString(stampClass().nameWithStampInt(stamp)));
    planifierStopPreset(duration);
}

// ---------------------------------------------------------------------------------------------
// The preset menu

void ZEVRulerViewbar::popUpPresetMenu(ZEVRulerPresetButton*, const QPoint& global) { presetMenu_->popup(global); }

void ZEVRulerViewbar::presetMenuWillOpen()
{
    menuPresetDidRename();
    ZEVRulerPresetButton* b = presetButton_;
    if (!b)
        return;
    const KELId tag = b->tag();
    ZEVStampServices& presets = stampClass();
    presetMenuClear_->setVisible(true);
    presetMenuSeparator_->setVisible(false);
    presetMenuSave_->setVisible(false);
    if (tag == kHomeTime) {
        presetMenuName_->setEnabled(false);
        presetMenuName_->setText(QStringLiteral("Home Time"));
        presetMenuName_->setIcon(ZEVRulerPresetButton::imageNamed(QStringLiteral("home.tiff")));
        presetMenuClear_->setVisible(false);
        presetMenuClear_->setEnabled(false);
        presetMenuGoto_->setEnabled(true);
        presetMenuGoto_->setText(QStringLiteral("Go to Home Time"));
        presetMenuNew_->setText(QStringLiteral("Set as Home Time"));
        presetMenuNew_->setIcon(ZEVRulerPresetButton::imageNamed(QStringLiteral("home.tiff")));
        presetMenuNew_->setEnabled(!siToEqualsZero_ && siNowActif());
        return;
    }
    const std::string nom = presets.nameWithStampInt(tag);
    const bool saved = presets.siPresetWithStampInt(tag);
    presetMenuName_->setIcon(ZEVRulerPresetButton::imageNamed(presets.imageNameWithStampInt(tag)));
    presetMenuName_->setText(menuText(QStringLiteral("Rename %1").arg(nomMenu(nom))));
    presetMenuName_->setEnabled(saved);
    presetMenuClear_->setEnabled(saved);
    presetMenuGoto_->setEnabled(saved);
    presetMenuNew_->setEnabled(true);
    const QString verbe = saved ? QStringLiteral("Save as") : QStringLiteral("New");
    auto mode = [&](const QString& genre, const QString& image) {
        presetMenuSeparator_->setVisible(true);
        presetMenuGoto_->setText(menuText(QStringLiteral("Go to %1").arg(nomMenu(nom))));
        presetMenuNew_->setText(QStringLiteral("%1 \"%2\" Preset").arg(verbe, genre));
        presetMenuNew_->setIcon(ZEVRulerPresetButton::imageNamed(image));
    };
    if (stateOfRulerButton()) {
        mode(QStringLiteral("Ruler"), QStringLiteral("ruler.pdf"));
    } else if (stateOfSearchButton()) {
        mode(QStringLiteral("Search"), QStringLiteral("search.tiff"));
    } else if (stateOfNowButton()) {
        mode(QStringLiteral("Now"), QStringLiteral("now.tiff"));
        presetMenuSave_->setVisible(true);
        presetMenuSave_->setText(QStringLiteral("%1 \"Search\" Preset").arg(verbe));
        presetMenuSave_->setIcon(ZEVRulerPresetButton::imageNamed(QStringLiteral("search.tiff")));
    }
}

void ZEVRulerViewbar::presetMenuWillHighlightItem(QAction* item)
{
    ZEVRulerPresetButton* b = presetButton_;
    if (!b || b->tag() == kHomeTime)
        return;
    if (item == presetMenuName_)
        presetMenuName_->setText(QStringLiteral("Rename Preset"));
    else
        presetMenuName_->setText(menuText(QStringLiteral("Rename %1").arg(nomMenu(stampClass().nameWithStampInt(b->tag())))));
}

void ZEVRulerViewbar::presetMenuDidClose() { majPresetsForSelectedCurseur(); }

void ZEVRulerViewbar::menuPresetCall()
{
    ZEVRulerPresetButton* b = presetButton_;
    if (!b)
        return;
    ZEVStampServices& presets = stampClass();
    ZEVSpaceController& space = spaceController();
    const KELId tag = b->tag();
    if (presets.stateOfNowPresetWithStampInt(tag) != 0) {
        menuNowCurseur(nullptr);
        viewer_.setClickPositionForDisplay(space.nowCurseur(), 4);
        setClickPositionForDisplay(4);
        presets.callPresetWithStampInt(tag, 0.0f);
    } else if (presets.stateOfSearchPresetWithStampInt(tag) != 0) {
        menuSearchCurseur(nullptr);
        viewer_.setClickPositionForDisplay(space.searchCurseur(), 4);
        setClickPositionForDisplay(4);
        presets.callPresetWithStampInt(tag, 0.0f);
    } else if (presets.stateOfRulerPresetWithStampInt(tag) != 0) {
        setClickPositionForDisplay(9);
        menuRuler(nullptr);
        presets.callPresetWithStampInt(tag, kCallDuration);
    }
}

void ZEVRulerViewbar::menuPresetSave(bool siSecond)
{
    ZEVRulerPresetButton* b = presetButton_;
    if (!b)
        return;
    if (!siSecond && b->tag() == kHomeTime && !siToEqualsZero_ && siNowActif() &&
        viewer_.userInitieDeplacementCurseur()) {
        viewer_.userPlaceContexteInToZero();
        viewer_.userTermineDeplacementCurseur();
    }
    appliquerSauvegarde(b, siSecond);
    Sound::shared().play(QStringLiteral("Bottle"));
}

void ZEVRulerViewbar::userPresetSaveHome()
{
    presetButton_ = presetButtons_[0];
    menuPresetSave(false);
}

void ZEVRulerViewbar::menuPresetClear()
{
    ZEVRulerPresetButton* b = presetButton_;
    if (!b || b->tag() == kHomeTime)
        return;
    stampClass().clearPresetWithStampInt(b->tag());
    b->setImageNamed(QStringLiteral("preset_empty.tiff"));
    b->setState(kZEVStateOff);
    b->setSiEnabled(false);
    // The name field showed the name the preset just gave up: it shows its place's name, then
    // clears as after a rename.
    if (presetTitleShown_ == b->tag() && !siEditPreset_)
        showPresetTitleWithTag(b->tag(), float(kStopPresetAfterRename));
}

// ---------------------------------------------------------------------------------------------
// Renaming in place

void ZEVRulerViewbar::menuPresetRename()
{
    ZEVRulerPresetButton* b = presetButton_;
    if (!b)
        return;
    if (siWidth05Min_) {
        presetTextField_->show();
        contextView_->hide();
    }
    b->setState(kZEVStateOn);
    // The field names the preset being renamed, whichever button was pointed at last.
    presetTag_ = b->tag();
    presetTextField_->setText(QString::fromStdString(stampClass().nameWithStampInt(presetTag_)));
    siEditPreset_ = true;
    presetTextField_->setReadOnly(false);
    presetTextField_->setFrame(true);
    presetTextField_->setStyleSheet(QStringLiteral("background: white; color: black"));
    presetTextField_->setFocusPolicy(Qt::StrongFocus);
    presetTextField_->selectAll();
    presetTextField_->setFocus(Qt::OtherFocusReason);
}

void ZEVRulerViewbar::menuPresetDidRename() { finirRenommage(true); }

void ZEVRulerViewbar::cancelOperation() { finirRenommage(false); }

void ZEVRulerViewbar::finirRenommage(bool siGarder)
{
    if (!siEditPreset_)
        return;
    const std::string texte = presetTextField_->text().toStdString();
    if (!siGarder)
        presetTextField_->setText(QString::fromStdString(stampClass().nameWithStampInt(presetTag_)));
    else if (texte != stampClass().nameWithStampInt(presetTag_))
        stampClass().setPresetName(texte, presetTag_);
    siEditPreset_ = false;
    editedPresetTime_ = Clock::shared().now();
    planifierStopPreset(kStopPresetAfterRename);
    presetTextField_->setReadOnly(true);
    presetTextField_->setFrame(false);
    presetTextField_->setStyleSheet(QStringLiteral("background: transparent"));
    presetTextField_->setFocusPolicy(Qt::NoFocus);
    if (siWidth05Min_) {
        presetTextField_->hide();
        contextView_->show();
    }
    presetMenuDidClose();
    // The keys go back to the desk, its Tab walk included.
    if (ZEVSpaceWindow* w = spaceController().spaceWindow())
        w->spaceView()->deskCanvas()->setFocus(Qt::OtherFocusReason);
}

bool ZEVRulerViewbar::siPresetJustEdited() const { return Clock::shared().now() - editedPresetTime_ < kJustEdited; }

bool ZEVRulerViewbar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == presetTextField_ && event->type() == QEvent::KeyPress && siEditPreset_ &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        cancelOperation();
        return true;
    }
    if (watched == window() && event->type() == QEvent::Move && rulerPickerPanel_->isVisible())
        suivreLePanel();
    return QWidget::eventFilter(watched, event);
}

} // namespace tallomer
