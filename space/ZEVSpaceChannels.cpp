#include "space/ZEVSpaceChannels.h"

#include "engine/KELElements.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "services/ZEVInspectorServices.h"
#include "runtime/Log.h"
#include "platform/files/RecordFile.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace tallomer {

namespace {

// The go-to buttons stay lit this long after the last Channel step.
constexpr double kGotoOffDelay = 0.2;

} // namespace

void ZEVSpaceChannels::lireLesModeles()
{
    motModel_ = dynamic_cast<KELIModelMot*>(KELServeurDeLiens::LienForInt(KELMODEL_MOT, space_.tlCurseur()));
    identityModel_ = dynamic_cast<KELIModel*>(KELServeurDeLiens::LienForInt(KELMODEL_IDENTITY, space_.tlCurseur()));
}

QString ZEVSpaceChannels::defaultFilePath() const
{
    return QDir(space_.host().storeFolder()).filePath(QStringLiteral("default.file"));
}

void ZEVSpaceChannels::lireDefaultFile()
{
    const QString path = defaultFilePath();
    std::optional<QCborMap> fields;
    if (QFileInfo::exists(path)) {
        RecordRead read = readRecordFile(path);
        if (read)
            fields = std::move(read.fields);
        else
            logFormat("ZEVSpaceController default.file: %s", read.error.toUtf8().constData());
    }
    auto channelOf = [&](const char* key) -> KELId {
        if (!fields)
            return 0;
        const auto v = recordInteger(*fields, QString::fromLatin1(key));
        return v && *v > 0 ? KELId(*v) : 0;
    };
    if (const KELId home = channelOf(kDefaultChannelKey))
        homeChannelInt_ = home;
    else if (!setHomeChannelInt(KELOBJECT_HOME_CHANNEL))
        homeChannelInt_ = KELOBJECT_HOME_CHANNEL;
    if (const KELId folder = channelOf(kDefaultChannelZevFolderKey))
        zevFolderChannelInt_ = folder;
    else if (!setZevFolderChannelInt(KELOBJECT_HOME_CHANNEL))
        zevFolderChannelInt_ = KELOBJECT_HOME_CHANNEL;
}

bool ZEVSpaceChannels::ecrireDefaultFile(const char* key, KELId channelInt)
{
    const QString path = defaultFilePath();
    QCborMap fields;
    if (QFileInfo::exists(path)) {
        if (RecordRead read = readRecordFile(path))
            fields = *read.fields;
    }
    fields.insert(QString::fromLatin1(key), qint64(channelInt));
    return bool(writeRecordFile(path, fields));
}

bool ZEVSpaceChannels::setHomeChannelInt(KELId channelInt)
{
    if (!ecrireDefaultFile(kDefaultChannelKey, channelInt))
        return false;
    homeChannelInt_ = channelInt;
    return true;
}

bool ZEVSpaceChannels::setZevFolderChannelInt(KELId channelInt)
{
    if (!ecrireDefaultFile(kDefaultChannelZevFolderKey, channelInt))
        return false;
    zevFolderChannelInt_ = channelInt;
    return true;
}

std::vector<KELI*> ZEVSpaceChannels::allIdentities()
{
    return identityModel_ ? identityModel_->elements(space_.tlCurseur()) : std::vector<KELI*>();
}

KELI* ZEVSpaceChannels::channelForIdentityInt(KELId identityInt)
{
    if (!identityInt)
        return nullptr;
    KELI* lien = KELServeurDeLiens::LienForInt(identityInt, space_.tlCurseur());
    return lien && lien->relationInt() == KELRELATION_IDENTITY ? lien : nullptr;
}

KELI* ZEVSpaceChannels::newIdentityNamed(const std::string& name)
{
    if (!identityModel_ || !motModel_)
        return nullptr;
    KELI* channel = nullptr;
    {
        // The Channel and its name: both or neither.
        KELServeurDeLiens::Acte acte(3, 1);
        if (!acte.complet())
            return nullptr;
        channel = KELServeurDeLiens::CreerLienRelInt(KELRELATION_IDENTITY, nullptr, identityModel_, KELDateToujours,
                                                     KELDateOuverte, space_.tlCurseur());
        if (!channel)
            return nullptr;
        KELI* mot = motModel_->ajouterLeMot(name, space_.tlCurseur());
        if (mot)
            KELServeurDeLiens::CreerLienRelInt(KELRELATION_IDENTITY_NAME, channel, mot, KELDateToujours,
                                               KELDateOuverte, space_.tlCurseur());
    }
    // The store kept none of it: there is no Channel to give folders, a Space or the drop folder.
    return KELServeurDeLiens::Perdu(channel) ? nullptr : channel;
}

void ZEVSpaceChannels::renameIdentity(KELI* channel, const std::string& name)
{
    if (!channel || !motModel_)
        return;
    // The old name's end and the new name: both or neither, or the Channel could be left nameless.
    KELServeurDeLiens::Acte acte(2, 1);
    if (!acte.complet())
        return;
    KELI* mot = motModel_->ajouterLeMot(name, space_.tlCurseur());
    if (!mot)
        return;
    if (auto* relation = dynamic_cast<KELIElemRelation*>(
            KELServeurDeLiens::LienForInt(KELRELATION_IDENTITY_NAME, space_.tlCurseur()))) {
        const auto* liens = relation->liensDuParent(channel, space_.tlCurseur());
        if (liens && !liens->empty())
            KELServeurDeLiens::EraseLien(liens->front(), space_.tlCurseur());
    }
    KELServeurDeLiens::CreerLienRelInt(KELRELATION_IDENTITY_NAME, channel, mot, KELDateToujours, KELDateOuverte,
                                       space_.tlCurseur());
}

void ZEVSpaceChannels::updateChannelWithIdentityInt(KELId identityInt)
{
    KELI* channel = channelForIdentityInt(identityInt);
    if (!channel) {
        logFormat("ZEVSpaceController updateChannelWithIdentityInt: %llu is no Channel",
                  (unsigned long long)identityInt);
        return;
    }
    if (space_.spaceClass())
        space_.spaceClass()->setIdentity(channel);
    space_.host().setCurrentChannelInt(identityInt);
    for (KELICurseur* c : {space_.nowCurseur(), space_.searchCurseur()})
        if (ZEVCursorDesk* d = space_.deskForCurseur(c))
            d->channelDidChangeWithIdentityInt(identityInt);
    if (space_.frontViewer())
        space_.frontViewer()->channelDidChangeWithIdentityInt(identityInt);
    for (ZEVEntityViewer* viewer : space_.allEntityViewers())
        viewer->channelDidChangeWithIdentityInt(identityInt);
    if (space_.frontViewer())
        space_.frontViewer()->selectionDidChange();
    space_.addToHistory();
}

// The Channels list steps its rows; without it, the Space steps its own list of Channels.
void ZEVSpaceChannels::menuChannelUp()
{
    if (ZEVChannelViewerServices* c = space_.channelViewerServices())
        c->menuChannelUp();
    else
        pasDeChannel(-1);
}

void ZEVSpaceChannels::menuChannelDown()
{
    if (ZEVChannelViewerServices* c = space_.channelViewerServices())
        c->menuChannelDown();
    else
        pasDeChannel(1);
}

void ZEVSpaceChannels::pasDeChannel(int sens)
{
    const std::vector<KELI*> channels = allIdentities();
    const KELId courant = space_.currentChannelInt();
    const auto it =
        std::find_if(channels.begin(), channels.end(), [courant](KELI* c) { return c && c->idInt() == courant; });
    if (it != channels.end()) {
        const std::ptrdiff_t i = (it - channels.begin()) + sens;
        if (i >= 0 && i < std::ptrdiff_t(channels.size()))
            updateChannelWithIdentityInt(channels[std::size_t(i)]->idInt());
    }
    Scheduler::shared().cancel(this, "setGotoOff");
    Scheduler::shared().perform(
        this, "setGotoOff", kGotoOffDelay,
        [this] {
            if (space_.frontViewer())
                space_.frontViewer()->setGotoOff();
        },
        true);
}

void ZEVSpaceChannels::updateChannelWithIdentitySet()
{
    for (ZEVEntityViewer* viewer : space_.allEntityViewers())
        viewer->channelDidChangeWithIdentityInt(0);
}

} // namespace tallomer
