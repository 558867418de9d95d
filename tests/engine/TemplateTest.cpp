// The template link base as built: every row well formed, and the links the program reads at
// start-up (the store tests open it and upgrade older files to it; every start of the program
// reads its fixed rows). How these rows are read through relation paths is the engine's to
// show (the cursor start-up tests).

#include "tests/engine/StoreFixtures.h"

#include "engine/store/KELChercheurDeLiens.h"

#include <map>
#include <set>

using namespace storetest;

namespace {

constexpr KELId kNameRelation = 28;   // relation → its name word
constexpr KELId kParentModelRel = 26; // relation → its parent model

// The template's rows in memory; word and number values keyed by their own ids, with the element
// that owns each.
class TemplateTest : public ::testing::Test {
protected:
    using Values = std::map<KELId, std::pair<KELId, std::string>>;

    static void SetUpTestSuite()
    {
        const StoreSession session(copyTemplate());
        KELChercheurDeLiens().forEachRow([](const KELRow& r) { rows_[r.id] = r; });
        const auto words = KELChercheurDe::ZevDataBase().executeQuery("SELECT * FROM WORD;");
        const auto numbers = KELChercheurDe::ZevDataBase().executeQuery("SELECT * FROM NUMBER;");
        ASSERT_TRUE(words && numbers);
        for (const auto& r : *words)
            words_[KELId(r.int64("WORD_ID"))] = {KELId(r.int64("ZEVLET_ID")), r.text("WORD")};
        for (const auto& r : *numbers)
            numbers_[KELId(r.int64("NUMBER_ID"))] = {KELId(r.int64("ZEVLET_ID")), std::to_string(r.real("NUMBER"))};
    }

    static bool has(KELId id) { return rows_.count(id) != 0; }
    static const KELRow& row(KELId id) { return rows_.at(id); }

    // The first child of x under relation rel (lowest link id first, as the store answers).
    static KELId child(KELId x, KELId rel)
    {
        for (const auto& [id, r] : rows_)
            if (r.parent == x && r.relation == rel && r.id != x)
                return r.child;
        return 0;
    }
    static std::string name(KELId rel)
    {
        const KELId e = child(rel, kNameRelation);
        return has(e) && row(e).child == 3 && words_.count(row(e).base) ? words_.at(row(e).base).second : "<no name>";
    }

    inline static std::map<KELId, KELRow> rows_;
    inline static Values words_, numbers_;
};

} // namespace

TEST_F(TemplateTest, EveryRowIsWellFormedAndRelationNamesAreUniqueWithinEachModel)
{
    for (const auto& [id, r] : rows_) {
        SCOPED_TRACE(id);
        EXPECT_LT(id, 100000000u);
        EXPECT_TRUE(has(r.parent) && has(r.child) && has(r.relation));
        if (r.parent == id) {
            // An object node: its relation is its model's membership relation.
            EXPECT_EQ(row(r.relation).className, "KELIElemRelationMC");
            EXPECT_EQ(child(r.relation, kParentModelRel), r.child);
        }
        if (r.className == "KELIElemBase") {
            ASSERT_TRUE(r.child == 3 || r.child == 4);
            EXPECT_EQ(r.relation, r.child == 3 ? 31u : 32u);
            const Values& values = r.child == 3 ? words_ : numbers_;
            EXPECT_EQ(values.count(r.base) ? values.at(r.base).first : 0, id);
        }
        // Every relation is described once by its models and its name.
        if (r.className.rfind("KELIElemRelation", 0) == 0) {
            EXPECT_NE(child(id, kParentModelRel), 0u);
            EXPECT_NE(child(id, 27), 0u);
            EXPECT_NE(name(id), "<no name>");
        }
    }
    // No value row without its element.
    for (KELId kind : {3, 4})
        for (const auto& [valueId, owned] : kind == 3 ? words_ : numbers_)
            EXPECT_TRUE(has(owned.first) && row(owned.first).base == valueId && row(owned.first).child == kind)
                << valueId;
    // Models are the elements of model 1; the program finds a relation by its name in its model.
    std::map<KELId, std::set<std::string>> names;
    for (const auto& [id, r] : rows_) {
        if (r.relation != kParentModelRel || !has(r.child) || row(r.child).relation != 23)
            continue;
        EXPECT_TRUE(names[r.child].insert(name(r.parent)).second) << "model " << r.child << " " << name(r.parent);
    }
    EXPECT_GE(names.size(), 10u);
}

TEST_F(TemplateTest, StartUpLinksComeInTheOrderTheProgramReadsThem)
{
    // The context element lists the entities in id order, Channels last.
    const StoreSession session(copyTemplate());
    KELChercheurDeLiens finder;
    EXPECT_EQ(finder.enfantsNumForParentInt(2000002, 1000072, 0),
              (KELIds{{2000003, 2000004, 2000005, 2000006, 2000007, 2000194}}));
    // The ruler's cursors: Now first, then Search.
    EXPECT_EQ(finder.enfantsNumForParentInt(2000008, 1000102, 0), (KELIds{{2000089, 2000093}}));
    // The home Channel is listed and has no background yet (first run).
    EXPECT_EQ(finder.enfantsNumForParentInt(2000001, 1000067, 0), (KELIds{{2000018}}));
    EXPECT_FALSE(finder.liensNumDuParentIntRelInt(2000018, 1000172).has_value());
    // Models are the elements of model 1, each woken through its membership link.
    EXPECT_GE(finder.liensNumDeLaRelInt(23)->size(), 15u);
}
