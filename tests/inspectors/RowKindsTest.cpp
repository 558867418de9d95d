// Every kind on the row core is wired to it alike: its panel hears the engine's changes of its
// rows and counts them, and its table's clipboard goes through the kind's drag.

#include "tests/inspectors/InspectorFixture.h"

#include "desk/model/ZEVItemClass.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/core/ZEVRowsClass.h"
#include "inspectors/table/ZEVTableView.h"

#include <QLabel>

#include <gtest/gtest.h>

namespace inspecttest {
namespace {

struct Kind {
    const char* viewer;
    KELId entity;
    KELId relation;
};

class RowKinds : public Inspectors {
protected:
    ZEVInspectViewer* ouvrir(const Kind& k)
    {
        ZEVInspectViewer* v = viewer(k.viewer);
        if (!v)
            v = creer(k.viewer, k.entity);
        EXPECT_NE(v, nullptr) << k.viewer;
        if (v) {
            v->showInspectView(true);
            settle();
        }
        return v;
    }
};

TEST_F(RowKinds, EachPanelCountsTheRowsTheEngineBringsAndCopiesThroughItsDrag)
{
    const Kind kinds[] = {
        {"ZEVFileViewer", KELENTITY_FILE_VIEWER, KELRELATION_FILE_VIEWER},
        {"ZEVBackViewer", KELENTITY_BACK_VIEWER, KELRELATION_BACK_VIEWER},
        {"ZEVPersonViewer", KELENTITY_PERSON_VIEWER, KELRELATION_PERSON_VIEWER},
        {"ZEVIconViewer", KELENTITY_ICON_VIEWER, KELRELATION_ICON_VIEWER},
    };
    ZEVItemClass items(space->nowCurseur(), nullptr);
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.viewer);
        ZEVInspectViewer* v = ouvrir(k);
        ASSERT_NE(v, nullptr);
        auto* rows = dynamic_cast<ZEVRowsClass*>(v->inspectClass());
        ASSERT_NE(rows, nullptr);
        const QString one = v->noms()->one;
        QLabel* field = v->inspectViewIfBuilt()->inspectField();
        ASSERT_NE(field, nullptr);
        const QString before = field->text();

        // A presence written in the kind's relation reaches the panel's field once its refresh
        // comes.
        KELI* o = items.creerItemWithChannelInt(space->currentChannelInt(), std::string(k.viewer) + " row", "file",
                                                "txt", 0);
        ASSERT_NE(o, nullptr);
        const KELDate n = space->nowCurseur()->now();
        ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(k.relation, space->channelForIdentityInt(space->currentChannelInt()),
                                                     o, n - 3600, n + 3600, space->nowCurseur()),
                  nullptr);
        ASSERT_EQ(rows->actifItems().size(), 1u);
        settle();
        EXPECT_NE(field->text(), before);
        EXPECT_TRUE(field->text().contains(QStringLiteral("1 ") + one)) << field->text().toStdString();

        // Copy with no row selected writes nothing: the drag refuses it with one beep.
        ZEVTableView* table = rows->inspectTableView();
        ASSERT_NE(table, nullptr);
        table->clearSelection();
        const int beeps = sound.beeps;
        rows->copy(*table);
        EXPECT_EQ(sound.beeps, beeps + 1);
        v->showInspectView(false);
        settle();
    }
}

} // namespace
} // namespace inspecttest
