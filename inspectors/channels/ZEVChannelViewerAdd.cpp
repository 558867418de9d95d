// The Channels viewer makes new Channels and new Spaces: an image chosen (or given by the
// Images panel or an Object's menu), previewed in a modal panel with its colour and scale, then
// written through the Space, the desk and the front layer.

#include "inspectors/ZEVFrontClass.h"
#include "inspectors/channels/ZEVChannelAddPanel.h"
#include "inspectors/channels/ZEVChannelPanelControls.h"
#include "inspectors/channels/ZEVChannelViewer.h"

#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/pasteboard/ZEVPasteboard.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "services/ZEVFileJobs.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/FileTypeIcon.h"
#include "widgets/ZEVAlert.h"
#include "widgets/ZEVButton.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QUrl>

#include <memory>

namespace tallomer {

namespace {

// The colour offered when the caller gives none.
constexpr KELId kNewBackColor = 2000149;
const char* const kWallpaperNo = "zevWallpaperNo.pdf";

QString localPath(const QString& fileURL)
{
    const QUrl url(fileURL);
    return url.isLocalFile() ? url.toLocalFile() : fileURL;
}

std::string utf8(const QString& s) { return s.toUtf8().toStdString(); }

// A Space without a title would be a blank entry of every Spaces menu: Create waits for one.
bool spaceNamed(QLineEdit* field)
{
    if (!field || !field->text().trimmed().isEmpty())
        return true;
    ZEVAlert::ShowSimpleAlertWithMessage(QStringLiteral("The Space needs a name."),
                                         QStringLiteral("Type a name for the new Space."));
    field->setFocus(Qt::OtherFocusReason);
    return false;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The image chooser

QString ZEVChannelViewer::chooseBackgroundImage(bool channel)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!QFileInfo(folder).isDir())
        folder = QDir::homePath();
    QFileDialog panel(space_.spaceWindow(), channel ? tr("New Channel\u2026") : tr("New Space\u2026"), folder);
    panel.setObjectName(QStringLiteral("channelImageChooser"));
    panel.setOption(QFileDialog::DontUseNativeDialog, true);
    showTypeIconsIn(panel);
    panel.setFileMode(QFileDialog::ExistingFile);
    panel.setAcceptMode(QFileDialog::AcceptOpen);
    QStringList patterns;
    for (const QString& ext : ZEVPasteboard::ImageExtensions())
        patterns << QStringLiteral("*.") + ext;
    panel.setNameFilter(tr("Images (%1)").arg(patterns.join(QLatin1Char(' '))));
    panel.setLabelText(QFileDialog::Accept, channel ? tr("New Channel\u2026") : tr("New Space\u2026"));
    if (auto* grid = qobject_cast<QGridLayout*>(panel.layout())) {
        auto* label = new QLabel(channel ? tr("Select a background for the NEW CHANNEL")
                                         : tr("Select a background for the NEW SPACE"),
                                 &panel);
        label->setObjectName(QStringLiteral("panelMessage"));
        grid->addWidget(label, grid->rowCount(), 0, 1, grid->columnCount());
    }
    if (panel.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = panel.selectedFiles();
    if (chosen.isEmpty() || chosen.constLast().isEmpty() || !QFileInfo(chosen.constLast()).isFile()) {
        Sound::shared().beep();
        return {};
    }
    return chosen.constLast();
}

void ZEVChannelViewer::menuInspectAdd()
{
    const QString name = QStringLiteral("Channel %1").arg(space_.allIdentities().size() + 1);
    setAddButtonOn(true);
    const QString path = chooseBackgroundImage(true);
    if (!path.isEmpty())
        userChannelAddWihImageURL(path, name, QString(), nullptr, long(KELOBJECT_SCALE_OUT));
    setAddButtonOn(false);
}

void ZEVChannelViewer::userSpaceAdd()
{
    setAddButtonOn(true);
    const QString path = chooseBackgroundImage(false);
    if (!path.isEmpty())
        userSpaceAddWihImageURL(path, QString(), nullptr, long(KELOBJECT_SCALE_OUT));
    setAddButtonOn(false);
}

// ---------------------------------------------------------------------------------------------
// The panels' shared steps

void ZEVChannelViewer::setAddButtonOn(bool on)
{
    ZEVChannelView* v = channelView();
    if (!v)
        return;
    // Lit while a new Channel or Space is being chosen; the click itself does not light it.
    ZEVButton* add = v->btnAdd();
    add->setCheckable(true);
    add->setSiClickKeepsState(true);
    add->setState(on ? kZEVStateOn : kZEVStateOff);
}

QColor ZEVChannelViewer::colorForPanel(KELI* colorItem)
{
    if (!colorItem)
        colorItem = KELServeurDeLiens::LienForInt(kNewBackColor, space_.tlCurseur());
    return space_.colorForColorItem(colorItem);
}

int ZEVChannelViewer::runAddPanel(ZEVChannelAddPanel& panel)
{
    addPanel_ = &panel;
    const int code = panel.exec();
    addPanel_ = nullptr;
    panel.hide();
    setAddButtonOn(false);
    ZEVChannelPanelControls::closeSharedColorDialog();
    return code;
}

void ZEVChannelViewer::withoutPicture(const ZEVChannelAddPanel& panel, QString* path, KELId* scaleInt)
{
    if (panel.controls()->showImage())
        return;
    const QString wallpaper = space_.host().storeFolder() + QLatin1Char('/') + QLatin1String(kWallpaperNo);
    if (!QFileInfo::exists(wallpaper))
        return;
    *path = wallpaper;
    *scaleInt = KELOBJECT_SCALE_OUT;
}

// ---------------------------------------------------------------------------------------------
// A new Channel

bool ZEVChannelViewer::userChannelAddWihImageURL(const QString& fileURL, const std::optional<QString>& channelName,
                                                 const QString& spaceName, KELI* colorItem, long scaleInt)
{
    const QString path = localPath(fileURL);
    if (!ZEVChannelPanelControls::imageSizeOfFile(path)) {
        logFormat("ZEVChannelViewer userChannelAddWihImageURL: not a picture: %s", utf8(path).c_str());
        ZEVChannelPanelControls::tellUnreadablePicture(path);
        return false;
    }
    setAddButtonOn(true);
    channelPanelURL_ = path;
    channelScaleInt_ = KELId(scaleInt);
    const std::size_t identities = space_.allIdentities().size();

    ZEVChannelAddPanel panel(ZEVChannelAddPanel::Kind::Channel, space_, space_.spaceWindow());
    ZEVChannelPanelControls* controls = panel.controls();
    panel.nameField()->setText(channelName && !channelName->isEmpty() ? *channelName
                                                                      : QStringLiteral("Channel %1").arg(identities + 1));
    panel.spaceField()->setText(spaceName.isEmpty() ? QFileInfo(path).completeBaseName() : spaceName);
    controls->setShowImage(true);
    controls->setColor(colorForPanel(colorItem));
    controls->setScaleInt(channelScaleInt_);
    controls->fillFromSpace();
    controls->setImagePath(path);
    controls->scaleDidChange();
    QObject::connect(controls, &ZEVChannelPanelControls::scaleChanged, &panel,
                     [this](KELId s) { channelScaleInt_ = s; });
    panel.nameField()->selectAll();
    panel.setCreateCheck([&panel] { return spaceNamed(panel.spaceField()); });

    if (runAddPanel(panel) != ZEVChannelAddPanel::kCreate)
        return false;

    QString name = panel.nameField()->text();
    if (name.trimmed().isEmpty())
        name = QString::number(space_.allIdentities().size() + 1);
    KELICurseur* actif = space_.actifCurseur();
    ZEVDeskViewer* desk = space_.deskViewerForCurseur(actif);
    QString image = path;
    KELId scale = controls->scaleInt();
    withoutPicture(panel, &image, &scale);
    KELI* scaleItem = KELServeurDeLiens::LienForInt(scale, actif);
    const std::string spaceTitle = utf8(panel.spaceField()->text());
    const KELId previousChannelInt = ZEVItemDataChannels::CurrentChannelInt();
    KELI* previousIdentity = space_.spaceClass() ? space_.spaceClass()->identity() : nullptr;

    const std::uint64_t refusees = KELServeurDeLiens::EcrituresRefusees();
    const auto refused = [refusees] { return KELServeurDeLiens::EcrituresRefusees() != refusees; };
    KELI* channel = nullptr;
    KELI* picture = nullptr;
    bool folders = false;
    {
        // The Channel, its name, colour, first Space and listing are stored together or not at
        // all: a full disk that cut the act short would leave a Channel with no Space.
        const KELServeurDeLiens::Acte acte(0);
        if (!acte.complet())
            return false;
        channel = space_.newIdentityNamed(utf8(name));
        if (!channel || refused()) {
            logFormat("ZEVChannelViewer userChannelAddWihImageURL: the Channel %s could not be made", utf8(name).c_str());
            return false;
        }
        folders = ZEVItemDataChannels::CreateItemDataForChannelInt(channel->idInt());
        if (!folders) {
            // Without its folders the Channel could keep no Object's file or record: it is not made.
            logFormat("ZEVChannelViewer userChannelAddWihImageURL: the folders of Channel %llu cannot be made; the "
                      "Channel is taken back",
                      (unsigned long long)channel->idInt());
            eraseNewChannel(channel);
        } else {
            KELI* color = space_.createColorItemWithColor(controls->color(), "No name");
            ZEVItemDataChannels::SetCurrentChannelInt(channel->idInt());
            // The first Space's picture is copied by the file jobs, which read the current Channel's store.
            if (ZEVFrontClass* files = ZEVFrontClass::shared())
                files->channelDidChangeWithIdentityInt(channel->idInt());
            if (space_.spaceClass())
                space_.spaceClass()->setIdentity(channel);
            picture = desk ? desk->createBackForNewChannel(channel, spaceTitle, image, scaleItem, color) : nullptr;
            // A Channel without its first Space would be current and never listed.
            if (!picture && !refused())
                forgetNewChannel(channel, previousChannelInt, previousIdentity);
        }
    }
    if (!folders) {
        ZEVAlert::ShowSimpleAlertWithMessage(
            QStringLiteral("The Channel could not be made."),
            QStringLiteral("Tallomer could not create the Channel's folders in its store, %1. Check that the disk has "
                           "free space and that the folder can be written to.")
                .arg(space_.host().storeFolder()));
        return false;
    }
    if (refused()) {
        // The store kept none of it (told by its own alert): the window goes back to the Channel
        // it showed, and nothing of the new one stays in the store folder.
        logFormat("ZEVChannelViewer userChannelAddWihImageURL: the first Space of Channel %llu was not stored; the "
                  "store kept nothing of the Channel",
                  (unsigned long long)channel->idInt());
        if (ZEVItemData* store = picture ? ZEVItemDataChannels::ItemDataForChannelInt(channel->idInt()) : nullptr)
            store->forgetRecordsOfItem(picture->idInt());
        restoreChannel(previousChannelInt, previousIdentity);
        ZEVItemDataChannels::ForgetItemDataForChannelInt(channel->idInt());
        return false;
    }
    if (!picture) {
        ZEVItemDataChannels::ForgetItemDataForChannelInt(channel->idInt());
        return false;
    }
    // The Channel's store owns its own copy of the picture.
    if (ZEVFileJobs* jobs = ZEVFileJobs::Shared())
        jobs->copyToSpaceForItems({picture});
    model_.selectChannel(channel);
    majInspectView();
    return true;
}

void ZEVChannelViewer::restoreChannel(KELId previousChannelInt, KELI* previousIdentity)
{
    ZEVItemDataChannels::SetCurrentChannelInt(previousChannelInt);
    if (ZEVFrontClass* files = ZEVFrontClass::shared())
        files->channelDidChangeWithIdentityInt(previousChannelInt);
    if (space_.spaceClass() && previousIdentity)
        space_.spaceClass()->setIdentity(previousIdentity);
}

void ZEVChannelViewer::forgetNewChannel(KELI* channel, KELId previousChannelInt, KELI* previousIdentity)
{
    logFormat("ZEVChannelViewer userChannelAddWihImageURL: the first Space of Channel %llu failed; the Channel is "
              "taken back",
              (unsigned long long)channel->idInt());
    restoreChannel(previousChannelInt, previousIdentity);
    eraseNewChannel(channel);
}

void ZEVChannelViewer::eraseNewChannel(KELI* channel)
{
    KELICurseur* tl = space_.tlCurseur();
    if (auto* relation = dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(KELRELATION_IDENTITY_NAME, tl))) {
        if (const std::vector<KELI*>* names = relation->liensDuParent(channel, tl)) {
            const std::vector<KELI*> copy = *names;
            for (KELI* l : copy)
                KELServeurDeLiens::EraseLien(l, tl);
        }
    }
    KELServeurDeLiens::EraseLien(channel, tl);
}

// ---------------------------------------------------------------------------------------------
// A new Space

bool ZEVChannelViewer::userSpaceAddWihImageURL(const QString& fileURL, const QString& title, KELI* colorItem,
                                               long scaleInt)
{
    const QString path = localPath(fileURL);
    if (!ZEVChannelPanelControls::imageSizeOfFile(path)) {
        logFormat("ZEVChannelViewer userSpaceAddWihImageURL: not a picture: %s", utf8(path).c_str());
        ZEVChannelPanelControls::tellUnreadablePicture(path);
        return false;
    }
    setAddButtonOn(true);
    spacePanelURL_ = path;
    spaceScaleInt_ = KELId(scaleInt);

    ZEVChannelAddPanel panel(ZEVChannelAddPanel::Kind::Space, space_, space_.spaceWindow());
    ZEVChannelPanelControls* controls = panel.controls();
    panel.nameField()->setText(title.isEmpty() ? QFileInfo(path).completeBaseName() : title);
    controls->setShowImage(true);
    controls->setColor(colorForPanel(colorItem));
    controls->setScaleInt(spaceScaleInt_);
    controls->fillFromSpace();
    controls->setImagePath(path);
    controls->scaleDidChange();
    QObject::connect(controls, &ZEVChannelPanelControls::scaleChanged, &panel, [this](KELId s) { spaceScaleInt_ = s; });
    panel.nameField()->selectAll();
    panel.setCreateCheck([this, &panel] {
        if (!spaceNamed(panel.nameField()))
            return false;
        KELICurseur* search = space_.searchCurseur();
        KELI* channel = space_.spaceClass() ? space_.spaceClass()->identity() : nullptr;
        if (!search || space_.actifCurseur() != search || !channel || !model_.siChannelActif(channel, search))
            return true;
        return ZEVAlert::ShowYesNoAlertWithTitle(QStringLiteral("Adding New Space\u2026"),
                                                 QStringLiteral("Are you sure?"),
                                                 QStringLiteral("The current Time Cursor is the Search Cursor!"));
    });

    if (runAddPanel(panel) != ZEVChannelAddPanel::kCreate)
        return false;

    KELICurseur* now = space_.nowCurseur();
    ZEVItemClass* items = space_.itemClassForCurseur(now);
    const KELId channelInt = space_.currentChannelInt();
    const std::string name = utf8(panel.nameField()->text());
    QString image = path;
    KELId scale = controls->scaleInt();
    withoutPicture(panel, &image, &scale);
    KELI* scaleMot = KELServeurDeLiens::LienForInt(scale, now);
    const QColor colour = controls->color();
    ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(channelInt);
    ZEVFrontViewerServices* front = space_.frontViewer();
    if (!items || !store || !front) {
        logLine("ZEVChannelViewer userSpaceAddWihImageURL: no desk, store or front layer for the new Space");
        return false;
    }
    // Made inside the transition's act: the picture Object and its colour are stored with the new
    // Space, or neither is.
    auto made = std::make_shared<KELI*>(nullptr);
    auto make = [this, items, store, channelInt, name, image, scaleMot, colour,
                 made](ZEVFrontViewerServices::NewBackground& back) {
        KELI* item = items->creerItemWithRecord(channelInt, name, "file", utf8(QFileInfo(image).suffix().toLower()),
                                                ZEVPasteboard::ItemOptionsForFileURL(image),
                                                [&](KELI* m) { return store->createFileURL(image, QUrl(), m); });
        if (!item) {
            logFormat("ZEVChannelViewer userSpaceAddWihImageURL: the picture Object of %s could not be made",
                      utf8(image).c_str());
            return false;
        }
        *made = item;
        back = {item, space_.createColorItemWithColor(colour, "No name"), scaleMot};
        return true;
    };
    auto done = [store, made](bool stored) {
        KELI* item = *made;
        if (!item)
            return;
        if (!stored) {
            // The store holds no such Object: its record would be read for the next one given its id.
            logFormat("ZEVChannelViewer userSpaceAddWihImageURL: the new Space was not stored; the record of %llu goes",
                      (unsigned long long)item->idInt());
            ZEVItemOptionWrites::cancel(item);
            store->forgetRecordsOfItem(item->idInt());
            return;
        }
        // The Space owns its own copy of the picture.
        clearItemOption(item, ZEVOPTION_MASK_BACKGROUND_CLEARED);
        if (ZEVFileJobs* jobs = ZEVFileJobs::Shared())
            jobs->copyToSpaceForItems({item});
        else
            logLine("ZEVChannelViewer userSpaceAddWihImageURL: no transfer queue; the picture stays where it is");
    };
    front->newSpaceWithBackground(make, done);
    return true;
}

} // namespace tallomer
