#include "inspectors/core/ZEVGotoChanges.h"

#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/core/ZEVRowsClass.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"

namespace tallomer {

ZEVGotoChanges::ZEVGotoChanges(UserDefaultsController& defaults, KELId relation, const Keys& keys)
    : defaults_(defaults), relation_(relation)
{
    lire(keys.recall, true, &recall_);
    lire(keys.release, true, &release_);
    lire(keys.title, false, &title_);
}

ZEVGotoChanges::~ZEVGotoChanges()
{
    for (DefaultsToken t : tokens_)
        defaults_.unobserve(t);
}

void ZEVGotoChanges::lire(const char* key, bool fallback, bool* field)
{
    const QString k = QString::fromLatin1(key);
    QVariant v = defaults_.values(k);
    if (!v.isValid()) {
        v = fallback;
        defaults_.setValue(k, v);
    }
    *field = v.toBool();
    tokens_.push_back(defaults_.observe(k, [field](const QString&, const QVariant& nv) { *field = nv.toBool(); }));
}

ZEVChangeWalk ZEVGotoChanges::walk(KELId channelInt, const std::unordered_set<KELId>& targets) const
{
    ZEVChangeWalk w;
    // The presence's parent is the Channel's identity: the test is on the parent.
    auto ofChannel = [channelInt](KELI* lien, KELDate) { return lien->parentInt() == channelInt; };
    if (recall_)
        w.kinds.push_back({relation_, false, true, 0, ofChannel});
    if (release_)
        w.kinds.push_back({relation_, true, true, 0, ofChannel});
    if (title_) {
        // A title change counts for an Object the Channel lists at that date.
        const KELId relation = relation_;
        w.kinds.push_back({KELRELATION_ITEM_TITLE, false, false, 0, [channelInt, relation](KELI* lien, KELDate date) {
                               return KELServeurDeLiens::LienIntForParentInt(channelInt, lien->parentInt(), relation,
                                                                             date) != 0;
                           }});
    }
    w.objets = &targets;
    return w;
}

KELDate ZEVGotoChanges::date(const ZEVRowsClass& rows, bool previous) const
{
    KELICurseur* from = rows.actifCurseur() ? rows.actifCurseur() : rows.spaceController().actifCurseur();
    const std::unordered_set<KELId> targets = rows.walkTargets();
    const ZEVChangeWalk w = walk(rows.currentChannelInt(), targets);
    if (w.kinds.empty() || !from)
        return 0.0;
    return previous ? ZEVChangeWalker::previousDate(from, w) : ZEVChangeWalker::nextDate(from, w);
}

} // namespace tallomer
