#pragma once
// The link base browser of the running program, as a person uses it: its windows, and clicks on
// the rows and buttons of its columns.

#include "tests/e2e/E2EFixture.h"

#include "browser/GUIWidgets.h"
#include "browser/KELVueController.h"
#include "browser/KELVueDe.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/store/KELChercheurDe.h"

#include <QPushButton>
#include <QTest>

namespace e2e {

class LinkBrowserE2E : public E2EWithSound<RecordingSound> {
protected:
    static const std::vector<KELVueController*>& windows() { return KELVueController::ouvertes(); }
    static KELICurseur* global() { return KELServeurDeLiens::CurseurGlobal(); }
    template <class T = KELI>
    static T* wake(KELId id) { return dynamic_cast<T*>(KELServeurDeLiens::LienForInt(id, global())); }

    // The row of the link with this id in the column, -1 when it is not listed.
    static int rowOf(const KELVueDe* v, KELId id)
    {
        const auto& rows = v->lignes();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i]->idInt() == id)
                return int(i);
        return -1;
    }
    // A click on the row of the link with this id, as the user clicks it.
    void clickRow(KELVueDe* v, KELId id, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        const int row = rowOf(v, id);
        ASSERT_GE(row, 0) << "no row for " << id;
        GUITableView* t = v->tableView();
        t->scrollTo(t->model()->index(row, 0));
        QTest::mouseClick(t->viewport(), Qt::LeftButton, m, t->visualRect(t->model()->index(row, 0)).center());
        pump();
        // Clicks far apart in time: never a double click.
        advance(1);
    }
    // The link base's file on a disk with no room left: every row it writes, new or rewritten
    // with new dates, fails as SQLite fails on a full disk; `false` makes room again.
    static void diskFull(bool full)
    {
        Sqlite& db = KELChercheurDe::ZevDataBase();
        ASSERT_TRUE(db.executeNonQuery(full ? "CREATE TEMP TRIGGER plein BEFORE INSERT ON ZEVLETS "
                                              "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END;"
                                            : "DROP TRIGGER plein;"));
    }
    void clickButton(KELVueDe* v, const QString& title)
    {
        for (auto* b : v->barreDeBoutons()->findChildren<QPushButton*>())
            if (b->text() == title) {
                ASSERT_TRUE(b->isEnabled()) << title.toStdString();
                QTest::mouseClick(b, Qt::LeftButton);
                pump();
                return;
            }
        FAIL() << "no button " << title.toStdString();
    }
};

} // namespace e2e
