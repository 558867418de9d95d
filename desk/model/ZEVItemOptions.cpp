#include "desk/model/ZEVItemOptions.h"

#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "runtime/Scheduler.h"

#include <unordered_map>

namespace tallomer {

namespace {

constexpr const char* kMajbase = "_majbase";

// Object id -> the link the deferred write is keyed on. The write itself looks the Object up again
// by id, so that it never reaches a link base that was closed meanwhile.
std::unordered_map<KELId, Target>& pending()
{
    static std::unordered_map<KELId, Target> ids;
    return ids;
}

void writeNow(KELId id)
{
    if (KELServeurDeLiens::estInitialise())
        ZEVItemOptionWrites::majbase(KELServeurDeLiens::LienForInt(id, nullptr));
}

void scheduleWrite(KELI* item)
{
    const KELId id = item->idInt();
    if (id == 0)
        return;
    if (!Scheduler::hasShared()) { // no event loop to wait for
        writeNow(id);
        return;
    }
    pending()[id] = item;
    Scheduler& s = Scheduler::shared();
    s.cancel(item, kMajbase);
    s.perform(item, kMajbase, 0.0, [id] {
        pending().erase(id);
        writeNow(id);
    });
}

void assign(KELI* item, ZEVItemOption value)
{
    if (!item)
        return;
    item->assignerBaseInt(value);
    scheduleWrite(item);
}

} // namespace

ZEVItemOption itemOptions(const KELI* item) { return item ? item->baseInt() : 0; }

bool siItemOption(const KELI* item, ZEVItemOption mask) { return (itemOptions(item) & mask) != 0; }

void addItemOption(KELI* item, ZEVItemOption mask) { assign(item, itemOptions(item) | mask); }

void clearItemOption(KELI* item, ZEVItemOption mask) { assign(item, itemOptions(item) & ~mask); }

void setItemOptions(KELI* item, ZEVItemOption value) { assign(item, value); }

void ZEVItemOptionWrites::majbase(KELI* item)
{
    if (item)
        KELServeurDeLiens::MajLesDatesDuLien(item);
}

void ZEVItemOptionWrites::flushPending()
{
    auto ids = std::move(pending());
    pending().clear();
    const bool hasScheduler = Scheduler::hasShared();
    for (const auto& [id, target] : ids) {
        if (hasScheduler)
            Scheduler::shared().cancel(target, kMajbase);
        writeNow(id);
    }
}

void ZEVItemOptionWrites::cancel(KELI* item)
{
    if (!item || pending().erase(item->idInt()) == 0)
        return;
    if (Scheduler::hasShared())
        Scheduler::shared().cancel(item, kMajbase);
}

std::size_t ZEVItemOptionWrites::pendingCount() { return pending().size(); }

} // namespace tallomer
