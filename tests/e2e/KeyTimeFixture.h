#pragma once
// The running program with its ruler bar shown, and the KeyTime window's controls as the user
// reaches them: the File menu, the time strip, the step list and its keys.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "keytime/ZEVKeyDocumentController.h"
#include "keytime/ZEVKeyWindowController.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineView.h"

#include <QTableView>
#include <QTest>

namespace e2e {

class KeyTimeE2E : public E2EWithSound<RecordingSound> {
protected:
    void startWithTheBar()
    {
        E2E::startWithTheBar();
        // The first run's greeting is no concern of these tests.
        alerts.clear();
    }

    KELMainMenu* mainMenu() const { return adapter()->mainMenu(); }
    ZEVKeyDocumentController& keyTime() const { return app()->keyTime(); }
    ZEVKeyWindowController* keyWindow() const { return keyTime().windowFor(keyTime().currentDocument()); }

    void scrub(KELDate from, KELDate to) { scrubStrip(strip(), from, to); }
    void clickRow(int row)
    {
        QTableView* t = keyWindow()->tableView();
        click(t->viewport(), t->visualRect(t->model()->index(row, 0)).center());
    }
    int selectedRow() const
    {
        const QModelIndexList rows = keyWindow()->tableView()->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }
    // A key typed into the KeyTime window, where its focus is.
    void keyInWindow(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* w = keyWindow();
        // The window's keys work while it is the active window, as the user's do.
        w->activateWindow();
        pump();
        QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, k, modifiers);
        pump();
    }
};

} // namespace e2e
