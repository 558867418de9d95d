#pragma once
// The Files inspector's add panel as a person opens it: Files ▸ +, then the folder it lists.

#include "tests/e2e/E2EFixture.h"

#include "front/ZEVFrontPanels.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/files/ZEVFileViewer.h"
#include "widgets/ZEVButton.h"

#include <QAbstractItemView>
#include <QApplication>

#include <utility>

namespace e2e {

class FilesAddPanelE2E : public E2E {
protected:
    ZEVFileViewer* files() const
    {
        return dynamic_cast<ZEVFileViewer*>(space()->viewerForEntityClassName("ZEVFileViewer"));
    }
    static ZEVFrontFilePanel* shownPanel()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = dynamic_cast<ZEVFrontFilePanel*>(w); p && p->isVisible())
                return p;
        return nullptr;
    }
    // The list the panel shows (list or details), not the side bar of places.
    static QAbstractItemView* fileList(QWidget* panel)
    {
        for (QAbstractItemView* v : panel->findChildren<QAbstractItemView*>())
            if (v->isVisible() &&
                (v->objectName() == QStringLiteral("listView") || v->objectName() == QStringLiteral("treeView")))
                return v;
        return nullptr;
    }
    // Files ▸ + from the menu, on `folder`: the panel and its file list, or a failure and nothing.
    std::pair<ZEVFrontFilePanel*, QAbstractItemView*> openAddPanelOn(const QString& folder)
    {
        openInspectorFromMenu(kFiles);
        ZEVInspectView* view = files() ? files()->inspectViewIfBuilt() : nullptr;
        if (!view) {
            ADD_FAILURE() << "Files showed no inspector";
            return {};
        }
        click(view->btnAdd());
        advance(1.0);
        ZEVFrontFilePanel* panel = shownPanel();
        if (!panel) {
            ADD_FAILURE() << "Files ▸ + showed no panel";
            return {};
        }
        panel->setDirectory(folder);
        QAbstractItemView* list = fileList(panel);
        if (!list)
            ADD_FAILURE() << "the panel shows no file list";
        return {panel, list};
    }
};

} // namespace e2e
