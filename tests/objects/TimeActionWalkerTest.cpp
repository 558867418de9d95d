// The walker of the time actions does to a set what the models do to each of its members: every
// action is the model's own call, on every member, and Recall of icons is left to the caller.

#include "objects/viewer/ZEVItemConnexion.h"
#include "objects/viewer/ZEVTimeActionWalker.h"
#include "tests/desk/DeskFixture.h"

namespace desktest {

namespace {

// A span relative to the date the action ran, so that two actions at two dates compare.
std::vector<Span> relative(std::vector<Span> s, KELDate at)
{
    for (Span& x : s) {
        if (x.first != KELDateToujours)
            x.first -= at;
        if (x.second != KELDateOuverte)
            x.second -= at;
    }
    return s;
}

} // namespace

class TimeActionWalker : public DeskBase {
protected:
    std::vector<Span> icon(KELI* o) { return relative(spans(KELRELATION_ICON_VIEWER, o, true), curseur->now()); }
    std::vector<Span> link(KELI* parent) { return relative(spans(KELRELATION_LINK_VIEWER, parent), curseur->now()); }
    // Two Objects shown on the desk since five seconds ago, and one never shown.
    struct Three {
        KELI *a, *b, *never;
    };
    Three shownTwice()
    {
        Three t{newItem(), newItem(), newItem()};
        desk->recallIconForItem(t.a, curseur->now());
        desk->recallIconForItem(t.b, curseur->now());
        sched.advance(5);
        return t;
    }
};

TEST_F(TimeActionWalker, EachIconActionIsTheModelsOwnOnEveryObjectAndRecallIsNone)
{
    const std::pair<ZEVTimeAction, void (ZEVDeskClass::*)(const std::vector<KELI*>&)> cases[] = {
        {ZEVTimeAction::Retain, &ZEVDeskClass::retainIconForItems},
        {ZEVTimeAction::Release, &ZEVDeskClass::releaseIconForItems},
        {ZEVTimeAction::Forget, &ZEVDeskClass::forgetIconForItems},
    };
    for (const auto& [action, model] : cases) {
        SCOPED_TRACE(static_cast<int>(action));
        const Three walked = shownTwice();
        walkIcons(*desk, {walked.a, walked.b, walked.never}, action);
        const std::vector<Span> a = icon(walked.a), b = icon(walked.b), never = icon(walked.never);

        const Three direct = shownTwice();
        (desk.get()->*model)({direct.a, direct.b, direct.never});
        EXPECT_EQ(a, icon(direct.a));
        EXPECT_EQ(b, icon(direct.b)) << "every Object of the set, not the first alone";
        EXPECT_EQ(never, icon(direct.never));
    }
    const Three recalled = shownTwice();
    const std::vector<Span> before = icon(recalled.a);
    walkIcons(*desk, {recalled.a, recalled.never}, ZEVTimeAction::Recall);
    EXPECT_EQ(icon(recalled.a), before);
    EXPECT_TRUE(icon(recalled.never).empty());
}

TEST_F(TimeActionWalker, EachLinkActionIsTheModelsOwnOnEveryLineAndALineWithoutBothEndsIsPassedOver)
{
    const std::pair<ZEVTimeAction, void (ZEVItemClass::*)(KELI*, KELI*)> cases[] = {
        {ZEVTimeAction::Recall, &ZEVItemClass::recallLienConnexionWithParent},
        {ZEVTimeAction::Retain, &ZEVItemClass::retainLienConnexionWithParent},
        {ZEVTimeAction::Release, &ZEVItemClass::releaseLienConnexionWithParent},
        {ZEVTimeAction::Forget, &ZEVItemClass::forgetLienConnexionWithParent},
    };
    for (const auto& [action, model] : cases) {
        SCOPED_TRACE(static_cast<int>(action));
        // Two lines that stand since five seconds ago, a new pair, and a line without its child.
        KELI *p1 = newItem(), *e1 = newItem(), *p2 = newItem(), *e2 = newItem(), *p3 = newItem(), *e3 = newItem();
        items->recallLienConnexionWithParent(p1, e1);
        items->recallLienConnexionWithParent(p2, e2);
        KELI *q1 = newItem(), *f1 = newItem(), *q2 = newItem(), *f2 = newItem(), *q3 = newItem(), *f3 = newItem();
        items->recallLienConnexionWithParent(q1, f1);
        items->recallLienConnexionWithParent(q2, f2);
        sched.advance(5);
        ZEVItemConnexion l1(&space, nullptr, nullptr, p1, e1), l2(&space, nullptr, nullptr, p2, e2),
            l3(&space, nullptr, nullptr, p3, e3), broken(&space, nullptr, nullptr, p3, nullptr);
        walkLinks(items.get(), {&l1, &l2, &l3, &broken}, action);
        (items.get()->*model)(q1, f1);
        (items.get()->*model)(q2, f2);
        (items.get()->*model)(q3, f3);
        EXPECT_EQ(link(p1), link(q1));
        EXPECT_EQ(link(p2), link(q2)) << "every line, not the first alone";
        EXPECT_EQ(link(p3), link(q3)) << "once, for the line with both ends";
        walkLinks(nullptr, {&l1}, action);
        EXPECT_EQ(link(p1), link(q1)) << "no model, no change";
    }
}

} // namespace desktest
