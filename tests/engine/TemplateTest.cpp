// The template link base as built: file format, the fixed rows the program relies on, and the
// relation paths it reads at start-up.

#include "tests/engine/StoreFixtures.h"

#include "engine/KELTypes.h"
#include "engine/store/KELChercheurDeLiens.h"
#include "engine/store/Sqlite.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

using namespace storetest;

namespace {

constexpr KELId kNameRelation = 28;     // relation → its name word
constexpr KELId kParentModelRel = 26;   // relation → its parent model

// The template loaded into memory, with the navigation the link base does along relation names.
class TemplateTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        path_ = new std::string(copyTemplate());
        Sqlite db;
        ASSERT_TRUE(db.open(*path_, false));
        rows_ = new std::map<KELId, KELRow>;
        words_ = new std::map<KELId, std::pair<KELId, std::string>>;
        numbers_ = new std::map<KELId, std::pair<KELId, double>>;
        const auto links = db.executeQuery("SELECT * FROM ZEVLETS;");
        const auto words = db.executeQuery("SELECT * FROM WORD;");
        const auto numbers = db.executeQuery("SELECT * FROM NUMBER;");
        ASSERT_TRUE(links && words && numbers);
        for (const auto& r : *links) {
            const KELRow row{KELId(r.int64("ZEVLET_ID")), KELId(r.int64("BASE")), r.text("CLASS"), r.real("DATE_IN"),
                             r.real("DATE_OUT"), KELId(r.int64("CHILD_ZEVLET")), KELId(r.int64("PARENT_ZEVLET")),
                             KELId(r.int64("RELATION"))};
            (*rows_)[row.id] = row;
        }
        for (const auto& r : *words)
            (*words_)[KELId(r.int64("WORD_ID"))] = {KELId(r.int64("ZEVLET_ID")), r.text("WORD")};
        for (const auto& r : *numbers)
            (*numbers_)[KELId(r.int64("NUMBER_ID"))] = {KELId(r.int64("ZEVLET_ID")), r.real("NUMBER")};
    }
    static void TearDownTestSuite()
    {
        delete path_;
        delete rows_;
        delete words_;
        delete numbers_;
    }

    static const std::map<KELId, KELRow>& rows() { return *rows_; }
    static bool has(KELId id) { return rows_->count(id) != 0; }
    static const KELRow& row(KELId id) { return rows_->at(id); }

    // The first child of x under relation rel (lowest link id first, as the store answers).
    static KELId child(KELId x, KELId rel)
    {
        for (const auto& [id, r] : *rows_)
            if (r.parent == x && r.relation == rel && r.id != x)
                return r.child;
        return 0;
    }
    static KELId parentModel(KELId rel) { return child(rel, kParentModelRel); }
    static std::string value(KELId element)
    {
        if (!has(element) || row(element).className != "KELIElemBase")
            return "<not a value>";
        const KELRow& e = row(element);
        if (e.child == 3 && words_->count(e.base))
            return words_->at(e.base).second;
        if (e.child == 4 && numbers_->count(e.base)) {
            char text[64];
            std::snprintf(text, sizeof text, "%g", numbers_->at(e.base).second);
            return text;
        }
        return "<no value row>";
    }
    static std::string name(KELId rel) { return value(child(rel, kNameRelation)); }
    // The relations whose parent model is `model`.
    static std::vector<KELId> parentRelations(KELId model)
    {
        std::vector<KELId> out;
        for (const auto& [id, r] : *rows_)
            if (r.relation == kParentModelRel && r.child == model)
                out.push_back(r.parent);
        return out;
    }
    // Follows relation names from x, each looked up among the parent relations of the model of
    // the current link's own relation; answers the value reached.
    static std::string resolve(KELId x, const std::vector<std::string>& names)
    {
        for (const auto& n : names) {
            KELId found = 0;
            for (KELId rel : parentRelations(parentModel(row(x).relation)))
                if (name(rel) == n) {
                    if (found)
                        return "<two relations named " + n + ">";
                    found = rel;
                }
            if (!found)
                return "<no relation " + n + ">";
            x = child(x, found);
            if (!has(x))
                return "<no child along " + n + ">";
        }
        return value(x);
    }

    static std::string* path_;
    static std::map<KELId, KELRow>* rows_;
    static std::map<KELId, std::pair<KELId, std::string>>* words_;
    static std::map<KELId, std::pair<KELId, double>>* numbers_;
};

std::string* TemplateTest::path_ = nullptr;
std::map<KELId, KELRow>* TemplateTest::rows_ = nullptr;
std::map<KELId, std::pair<KELId, std::string>>* TemplateTest::words_ = nullptr;
std::map<KELId, std::pair<KELId, double>>* TemplateTest::numbers_ = nullptr;

std::vector<std::string> columns(Sqlite& db, const std::string& table)
{
    std::vector<std::string> out;
    const auto info = db.executeQuery("PRAGMA table_info(" + table + ");");
    for (const auto& r : *info)
        out.push_back(r.text("name"));
    return out;
}

} // namespace

TEST_F(TemplateTest, FileFormatIsVersionThreeWithTheFourTablesAndIndexes)
{
    Sqlite db;
    ASSERT_TRUE(db.open(*path_, false));
    const auto check = db.executeQuery("PRAGMA integrity_check;");
    EXPECT_EQ((*check)[0].valueAt(0).toText(), "ok");
    const auto version = db.executeQuery("SELECT VALUE FROM SETTINGS WHERE NAME=?;", {"dbVersion"});
    ASSERT_EQ(version->size(), 1u);
    EXPECT_TRUE((*version)[0]["VALUE"].isInteger());
    EXPECT_EQ((*version)[0].int64("VALUE"), 3);
    using V = std::vector<std::string>;
    EXPECT_EQ(columns(db, "ZEVLETS"), (V{"ZEVLET_ID", "BASE", "CLASS", "DATE_IN", "DATE_OUT", "CHILD_ZEVLET",
                                         "PARENT_ZEVLET", "RELATION"}));
    EXPECT_EQ(columns(db, "WORD"), (V{"WORD_ID", "ZEVLET_ID", "WORD"}));
    EXPECT_EQ(columns(db, "NUMBER"), (V{"NUMBER_ID", "ZEVLET_ID", "NUMBER"}));
    EXPECT_EQ(columns(db, "SETTINGS"), (V{"NAME", "VALUE"}));
    std::set<std::string> indexes;
    const auto names = db.executeQuery("SELECT name FROM sqlite_master WHERE type = 'index';");
    for (const auto& r : *names)
        indexes.insert(r.text("name"));
    EXPECT_EQ(indexes, (std::set<std::string>{"RelationIndex", "DateInIndex", "WordIndex", "NumbIndex"}));
    // Integer primary keys: the row id is the link id.
    EXPECT_EQ(db.executeInsertQuery("INSERT INTO ZEVLETS (ZEVLET_ID) VALUES (100000009);"), 100000009u);
}

TEST_F(TemplateTest, EveryFixedIdExistsWithItsClass)
{
    std::map<KELId, std::string> expected = {
        {1, "KELIModel"}, {2, "KELIModel"}, {3, "KELIModelMot"}, {4, "KELIModelNombre"},
        {5, "KELIModelCurseur"}, {6, "KELIModelContexte"}, {199, "KELIElemBase"}, {222, "KELIElemBase"},
        {224, "KELIElemCurseurGlobal"}, {230, "KELIElemContexteGlobal"}, {270, "KELICurseur"},
        {1000001, "KELIModel"}, {1000017, "KELIModel"}, {1000025, "KELIModel"}, {1000041, "KELIModel"},
        {1000049, "KELIModel"}, {2000084, "KELIElemBase"}, {2000085, "KELIElemBase"}, {2000193, "KELIElemBase"},
    };
    for (KELId mc : {23, 25, 31, 32, 33, 40, 1000018, 1000042, 1000050})
        expected[mc] = "KELIElemRelationMC";
    for (KELId rel : {26, 27, 28, 29, 34, 35, 36, 37, 39, 41, 42, 45, 46, 47, 259})
        expected[rel] = "KELIElemRelation";
    for (KELId rel = 1000057; rel <= 1000257; rel += 5)
        if (rel != 1000077 && rel != 1000147 && rel != 1000207)
            expected[rel] = "KELIElemRelation";
    expected[1000263] = "KELIElemRelation";
    for (KELId object : {238, 239, 240, 241, 246, 247, 268, 2000001, 2000002, 2000018, 2000088, 2000149})
        expected[object] = "KELI";
    for (KELId object = 2000003; object <= 2000017; ++object)
        if (object != 2000008)
            expected[object] = "KELI";
    for (KELId object = 2000194; object <= 2000197; ++object)
        expected[object] = "KELI";
    ASSERT_EQ(expected.size(), 112u);
    for (const auto& [id, className] : expected) {
        ASSERT_TRUE(has(id)) << id;
        EXPECT_EQ(row(id).className, className) << id;
    }
    // Built in memory or unused: no rows.
    for (KELId id : {0, 229, 237, 1000077, 1000147, 1000207, 1000262})
        EXPECT_FALSE(has(id)) << id;
    // The version-3 rows exactly as the upgrade writes them.
    EXPECT_EQ(row(2000193), (KELRow{2000193, 2000028, "KELIElemBase", KELDateToujours, KELDateOuverte, 3, 2000193, 31}));
    EXPECT_EQ(row(2000195), (KELRow{2000195, 0, "KELI", KELDateToujours, KELDateOuverte, 2000194, 2000002, 1000072}));
    EXPECT_EQ(words_->at(1000010).second, "ZEVChannelViewer");
}

TEST_F(TemplateTest, EveryRowIsWellFormed)
{
    for (const auto& [id, r] : rows()) {
        SCOPED_TRACE(id);
        EXPECT_LT(id, 100000000u);
        EXPECT_TRUE(has(r.parent) && has(r.child) && has(r.relation));
        if (r.parent == id) {
            // An object node: its relation is its model's membership relation.
            EXPECT_EQ(row(r.relation).className, "KELIElemRelationMC");
            EXPECT_EQ(parentModel(r.relation), r.child);
        }
        if (r.className == "KELIElemBase") {
            ASSERT_TRUE(r.child == 3 || r.child == 4);
            EXPECT_EQ(r.relation, r.child == 3 ? 31u : 32u);
            if (r.child == 3)
                EXPECT_EQ(words_->count(r.base) ? words_->at(r.base).first : 0, id);
            else
                EXPECT_EQ(numbers_->count(r.base) ? numbers_->at(r.base).first : 0, id);
        }
    }
    // No value row without its element.
    for (const auto& [wordId, owned] : *words_)
        EXPECT_TRUE(has(owned.first) && row(owned.first).base == wordId && row(owned.first).child == 3) << wordId;
    for (const auto& [numberId, owned] : *numbers_)
        EXPECT_TRUE(has(owned.first) && row(owned.first).base == numberId && row(owned.first).child == 4) << numberId;
    // Every relation is described once by its models and its name.
    for (const auto& [id, r] : rows()) {
        if (r.className.rfind("KELIElemRelation", 0) != 0)
            continue;
        SCOPED_TRACE(id);
        EXPECT_NE(parentModel(id), 0u);
        EXPECT_NE(child(id, 27), 0u);
        EXPECT_EQ(name(id).front() == '<', false) << name(id);
    }
}

TEST_F(TemplateTest, RelationNamesAreUniqueWithinEachModel)
{
    for (const auto& [id, r] : rows()) {
        if (r.relation != 23)
            continue; // models are the elements of model 1
        std::set<std::string> names;
        for (KELId rel : parentRelations(id))
            EXPECT_TRUE(names.insert(name(rel)).second) << "model " << id << " name " << name(rel);
    }
}

TEST_F(TemplateTest, RelationPathsResolve)
{
    EXPECT_EQ(name(28), "Nom");
    EXPECT_EQ(name(34), "Mobilite");
    EXPECT_EQ(name(35), "Offset");
    EXPECT_EQ(name(41), "Mobilite IN");
    EXPECT_EQ(name(42), "Mobilite OUT");
    EXPECT_EQ(name(45), "Offset IN");
    EXPECT_EQ(name(46), "Offset OUT");
    EXPECT_EQ(name(1000082), "entityRelation");
    EXPECT_EQ(name(1000087), "entityName");

    // Cursor elements: type and offset.
    const std::map<KELId, std::string> cursorTypes = {
        {224, "relative_tr"}, {269, "relative_tr"}, {2000089, "relative_cs"}, {2000093, "relative_cs"}};
    for (const auto& [element, type] : cursorTypes) {
        SCOPED_TRACE(element);
        EXPECT_EQ(resolve(element, {"Mobilite", "Nom"}), type);
        EXPECT_EQ(resolve(element, {"Offset"}), "0");
    }
    // Context elements: both edges' types and offsets.
    const std::map<KELId, std::pair<std::string, std::string>> windows = {
        {230, {"-300", "300"}}, {271, {"-43200", "43200"}}, {2000091, {"-3600", "3600"}}, {2000095, {"-0.1", "0.1"}}};
    for (const auto& [element, offsets] : windows) {
        SCOPED_TRACE(element);
        EXPECT_EQ(resolve(element, {"Offset IN"}), offsets.first);
        EXPECT_EQ(resolve(element, {"Offset OUT"}), offsets.second);
        EXPECT_EQ(resolve(element, {"Mobilite IN", "Nom"}), element == 230 ? "relative_tr" : "relative_cs");
        EXPECT_EQ(resolve(element, {"Mobilite OUT", "Nom"}), element == 230 ? "relative_tr" : "relative_cs");
    }
    // Entities: their names and the class names of their viewers.
    const std::map<KELId, std::pair<std::string, std::string>> entities = {
        {2000003, {"Icons", "ZEVIconViewer"}},     {2000004, {"Links", "ZEVLinkViewer"}},
        {2000005, {"Files", "ZEVFileViewer"}},     {2000006, {"Contacts", "ZEVPersonViewer"}},
        {2000007, {"Images", "ZEVBackViewer"}},    {2000194, {"Channels", "ZEVChannelViewer"}}};
    for (const auto& [entity, names] : entities) {
        SCOPED_TRACE(entity);
        EXPECT_EQ(resolve(entity, {"entityName"}), names.first);
        EXPECT_EQ(resolve(entity, {"entityRelation", "Nom"}), names.second);
    }
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
