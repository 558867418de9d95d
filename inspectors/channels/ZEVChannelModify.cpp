#include "inspectors/channels/ZEVChannelModify.h"

#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/channels/ZEVChannelClass.h"
#include "platform/sound/Sound.h"
#include "platform/thumbs/Thumbnails.h"
#include "runtime/Log.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <functional>
#include <vector>

namespace tallomer {

namespace {

QString propre(const QString& path) { return path.isEmpty() ? path : QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

} // namespace

ZEVChannelModify::ZEVChannelModify(ZEVSpaceController& space, ZEVChannelClass& model) : space_(space), model_(model) {}

KELICurseur* ZEVChannelModify::actif() const { return space_.actifCurseur(); }

KELI* ZEVChannelModify::currentChannel() const { return space_.channelForIdentityInt(space_.currentChannelInt()); }

bool ZEVChannelModify::memeCouleur(const QColor& a, const QColor& b)
{
    // Colours come back from the store as 0-255 numbers: finer differences are not differences.
    return a.isValid() == b.isValid() && a.red() == b.red() && a.green() == b.green() && a.blue() == b.blue();
}

bool ZEVChannelModify::siImageLisible(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    QSizeF source;
    return !thumbs::renderedImage(path, 64, &source).isNull();
}

ZEVChannelModify::State ZEVChannelModify::current()
{
    State s;
    KELICurseur* c = actif();
    KELI* channel = currentChannel();
    s.searchActive = space_.siSearchActif();
    s.home = space_.homeChannelInt() != 0 && space_.homeChannelInt() == space_.currentChannelInt();
    s.channelName = model_.nameOfCurrentChannel().value_or(std::string());
    if (ZEVDeskViewer* desk = c ? space_.deskViewerForCurseur(c) : nullptr)
        s.spaceName = desk->currentBackImageItemName();
    if (!channel || !c)
        return s;
    s.listed = model_.siChannelActif(channel, c);
    s.image = model_.backItemForChannel(channel, c);
    if (KELI* scale = model_.backScaleMotForChannel(channel, c))
        s.scaleInt = scale->idInt();
    if (s.image)
        if (ZEVItemData* data = ZEVItemDataChannels::ItemDataForChannelInt(channel->idInt()))
            s.path = data->fileUrlForItem(s.image);
    if (s.listed)
        s.color = space_.colorForColorItem(model_.backColorItemForChannel(channel, c));
    else
        s.color = space_.colorForColorItem(space_.defaultColorItem());
    return s;
}

KELI* ZEVChannelModify::currentImage(bool* listed)
{
    KELICurseur* c = actif();
    KELI* channel = currentChannel();
    *listed = channel && c && model_.siChannelActif(channel, c);
    return channel && c ? model_.backItemForChannel(channel, c) : nullptr;
}

bool ZEVChannelModify::renameChannel(const std::string& name)
{
    KELI* channel = currentChannel();
    if (!channel || name.empty() || model_.nameOfCurrentChannel().value_or(std::string()) == name)
        return false;
    space_.renameIdentity(channel, name);
    return true;
}

bool ZEVChannelModify::setAsHome()
{
    const KELId channel = space_.currentChannelInt();
    if (!channel)
        return false;
    return space_.homeChannelInt() == channel || space_.setHomeChannelInt(channel);
}

bool ZEVChannelModify::apply(const Choices& choices)
{
    renameChannel(choices.channelName);
    KELICurseur* c = actif();
    KELI* channel = currentChannel();
    if (!channel || !c || !model_.siChannelActif(channel, c))
        return true;
    if (ZEVDeskViewer* desk = space_.deskViewerForCurseur(c); desk && desk->currentBackImageItemName() != choices.spaceName)
        desk->setBackImageItemName(choices.spaceName);
    const QColor couleur = space_.colorForColorItem(model_.backColorItemForChannel(channel, c));
    if (choices.color.isValid() && !memeCouleur(choices.color, couleur))
        modifyColor(choices.color);
    KELI* scale = model_.backScaleMotForChannel(channel, c);
    if (choices.scaleInt && (!scale || scale->idInt() != choices.scaleInt))
        modifyScale(choices.scaleInt);
    KELI* image = model_.backItemForChannel(channel, c);
    if (!image || choices.path.isEmpty())
        return true;
    ZEVItemData* data = ZEVItemDataChannels::ItemDataForChannelInt(channel->idInt());
    if (data && propre(data->fileUrlForItem(image)) == propre(choices.path))
        return true;
    return modifyImageItem(image, choices.path);
}

int ZEVChannelModify::modifyColor(const QColor& color)
{
    KELI* valeur = space_.createColorItemWithColor(color, "No name");
    if (!valeur) {
        logLine("ZEVChannelViewer _modifyColor: the colour item could not be made");
        return 0;
    }
    return rewritePeriods(KELRELATION_IDENTITY_BACK_COLOR, valeur, "currentColor error!");
}

int ZEVChannelModify::modifyScale(KELId scaleInt)
{
    KELICurseur* c = actif();
    KELI* valeur = c ? KELServeurDeLiens::LienForInt(scaleInt, c) : nullptr;
    if (!valeur) {
        logFormat("ZEVChannelViewer _modifyScale: no scale word %llu", static_cast<unsigned long long>(scaleInt));
        return 0;
    }
    return rewritePeriods(KELRELATION_IDENTITY_BACK_SCALE, valeur, "currentScale error!");
}

int ZEVChannelModify::rewritePeriods(KELId rel, KELI* valeur, const char* erreur)
{
    KELICurseur* c = actif();
    KELI* channel = currentChannel();
    KELI* image = channel && c ? model_.backItemForChannel(channel, c) : nullptr;
    if (!image)
        return 0;
    // The periods are read before anything is written: the rewrites touch no picture link.
    std::vector<std::pair<KELDate, KELDate>> periodes;
    for (KELId id : KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(image->idInt(), KELRELATION_IDENTITY_BACK_ITEM)
                        .value_or(std::vector<KELId>())) {
        KELI* lien = KELServeurDeLiens::LienForInt(id, c);
        if (!lien)
            continue;
        if (lien->parentInt() != channel->idInt()) {
            logFormat("ZEVBase Integrity error ! picture link %llu of Object %llu lies under %llu",
                      static_cast<unsigned long long>(id), static_cast<unsigned long long>(image->idInt()),
                      static_cast<unsigned long long>(lien->parentInt()));
            continue;
        }
        if (lien->inDate() < lien->outDate() && lien->outDate() <= KELDateOuverte)
            periodes.emplace_back(lien->inDate(), lien->outDate());
    }
    std::vector<KELI*> faits;
    {
        // Every Space of the picture takes the value, or none: a full disk that cut the rewrite
        // short would leave the same Space in two colours.
        const KELServeurDeLiens::Acte acte(0);
        if (!acte.complet())
            return 0;
        for (auto [in, out] : periodes)
            if (KELI* fait = rewritePeriod(rel, channel, valeur, in, out, erreur))
                faits.push_back(fait);
    }
    if (std::any_of(faits.begin(), faits.end(), [](const KELI* l) { return KELServeurDeLiens::Perdu(l); })) {
        logFormat("%s the Spaces of the picture were left as they were", erreur);
        return 0;
    }
    return int(faits.size());
}

KELI* ZEVChannelModify::rewritePeriod(KELId rel, KELI* channel, KELI* valeur, KELDate in, KELDate out,
                                      const char* erreur)
{
    KELICurseur* c = actif();
    const KELId ch = channel->idInt();
    const bool couleur = rel == KELRELATION_IDENTITY_BACK_COLOR;
    const QColor voulue = couleur ? space_.colorForColorItem(valeur) : QColor();
    const auto egal = [&](KELI* v) {
        return v && (couleur ? memeCouleur(space_.colorForColorItem(v), voulue) : v->idInt() == valeur->idInt());
    };

    // The value in force just after the period begins.
    KELI* cur = nullptr;
    KELI* curValeur = nullptr;
    if (const auto ids = KELServeurDeLiens::LiensNumForParentInt(ch, rel, in + kProbe); ids && !ids->empty()) {
        cur = KELServeurDeLiens::LienForInt(ids->front(), c);
        curValeur = cur ? KELServeurDeLiens::LienForInt(cur->enfantInt(), c) : nullptr;
        if (!curValeur)
            logFormat("%s link %llu", erreur, static_cast<unsigned long long>(ids->front()));
    }
    // Every link of the Channel's relation that shares a moment with the period: the one in
    // force at its start, and any that begins inside it.
    std::vector<KELI*> chevauchent;
    for (KELId id : KELServeurDeLiens::LiensNumDuParentIntRelInt(ch, rel).value_or(std::vector<KELId>()))
        if (KELI* l = KELServeurDeLiens::LienForInt(id, c); l && l->inDate() < out && l->outDate() > in)
            chevauchent.push_back(l);
    if (egal(curValeur) && chevauchent.size() == 1 && chevauchent.front() == cur && cur->inDate() <= in &&
        cur->outDate() >= out)
        return nullptr;

    std::size_t ecrits = 1;
    for (KELI* l : chevauchent)
        ecrits += l->inDate() < in && l->outDate() > out && out < KELDateOuverte;
    const KELServeurDeLiens::Acte acte(ecrits);
    if (!acte.complet()) {
        logFormat("ZEVChannelViewer: no link ids left; the period from %f is left as it was", in);
        return nullptr;
    }
    for (KELI* l : chevauchent) {
        const KELDate lin = l->inDate();
        const KELDate lout = l->outDate();
        if (lin < in) {
            // Began before the period: it ends where the period begins, and when it ran on past
            // the period its value comes back after it.
            l->placeOutDate(in, c);
            if (lout > out && out < KELDateOuverte)
                if (KELI* avant = KELServeurDeLiens::LienForInt(l->enfantInt(), c))
                    KELServeurDeLiens::CreerLienRelInt(rel, channel, avant, out, lout, c);
        } else if (lout > out && out < KELDateOuverte) {
            l->placeInDate(out, c);
        } else {
            KELServeurDeLiens::DegagerLien(l, c);
        }
    }
    return KELServeurDeLiens::CreerLienRelInt(rel, channel, valeur, in, out, c);
}

bool ZEVChannelModify::modifyImageItem(KELI* image, const QString& path)
{
    KELICurseur* c = actif();
    KELI* channel = currentChannel();
    ZEVItemData* data = channel ? ZEVItemDataChannels::ItemDataForChannelInt(channel->idInt()) : nullptr;
    if (!image || !c || !data)
        return false;
    if (!siImageLisible(path)) {
        logFormat("ZEVChannelViewer _modifyImageItem: %s is not a readable picture", qPrintable(path));
        Sound::shared().beep();
        return false;
    }
    KELI* scale = model_.backScaleMotForChannel(channel, c);
    const QString ancien = propre(data->fileUrlForItem(image));
    const bool ancienTenu = !ancien.isEmpty() && ZEVItemDataChannels::IfHoldByZev(ancien);

    // The record first: when it cannot be rewritten, nothing else changes.
    data->updateFilePathWithItem(image, path);
    const QString nouveau = propre(data->recordedFilePathForItem(image));
    if (nouveau != propre(path)) {
        ZEVItemDataChannels::ReportStoreError(
            QStringLiteral("The new picture of the Space could not be recorded: %1").arg(path));
        return false;
    }
    if (ZEVSpaceClass* spaceClass = space_.spaceClass())
        spaceClass->updateBackObjectForItemInt(image->idInt(), scale ? scale->idInt() : KELOBJECT_SCALE_IN, path);
    clearItemOption(image, ZEVOPTION_HOLD_BY_APP | ZEVOPTION_HOLD_BY_ZEV | ZEVOPTION_HOLD_BY_ZEV_FOLDER);
    if (ZEVFrontClass* front = ZEVFrontClass::shared())
        front->copyToSpaceForItems({image});
    // The old file goes only now that the record names the new one.
    if (ancienTenu && ancien != nouveau && QFileInfo::exists(ancien) && !QFile::remove(ancien))
        logFormat("ZEVChannelViewer _modifyImageItem: %s could not be removed", qPrintable(ancien));
    for (KELICurseur* curseur : {space_.nowCurseur(), space_.searchCurseur()})
        if (ZEVDeskViewer* desk = curseur ? space_.deskViewerForCurseur(curseur) : nullptr)
            desk->majBackImage();
    return true;
}

} // namespace tallomer
