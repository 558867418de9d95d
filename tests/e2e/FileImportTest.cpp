// Files and folders imported through the File menu's Import in the running program: each file the
// Channel does not know becomes one file Object with its record, present from its creation date
// for fourteen days; folders are walked, hidden entries and linked folders left out.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "app/widgets/ZEVFilePanel.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace e2e {
namespace {

QString writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size()) << path.toStdString();
    return path;
}

class FileImportE2E : public E2E {
protected:
    void TearDown() override
    {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        E2E::TearDown();
    }

    // Opens a main menu with the mouse and chooses the item of that title.
    void chooseFromMenu(int tag, const QString& title)
    {
        KELMainMenu* menu = adapter()->mainMenu();
        ASSERT_NE(menu, nullptr);
        QMenuBar* bar = menu->menuBar();
        QMenu* m = menu->menuWithTag(tag);
        ASSERT_NE(m, nullptr);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(m->menuAction()).center());
        pump();
        ASSERT_TRUE(m->isVisible()) << "the menu did not open";
        QAction* item = nullptr;
        for (QAction* a : m->actions())
            if (a->text().remove('&') == title)
                item = a;
        ASSERT_NE(item, nullptr) << title.toStdString();
        ASSERT_TRUE(item->isEnabled()) << title.toStdString() << " is disabled";
        QTest::mouseClick(m, Qt::LeftButton, {}, m->actionGeometry(item).center());
        pump();
    }

    void importPaths(const QStringList& paths)
    {
        ScopedFilePanelAnswerer panel([&](const ZEVFilePanelRequest& r) {
            EXPECT_EQ(r.kind, ZEVFilePanelRequest::Kind::FilesAndFolders);
            return paths.join('\n');
        });
        chooseFromMenu(KELMainMenu::kMenuFile, QStringLiteral("Import\u2026"));
        advance(0.2);
    }

    // The file Objects' titles, in order of making.
    std::vector<std::string> fileTitles() const
    {
        std::vector<std::string> out;
        const Rows rows = placedObjectsOfType("file");
        for (std::size_t r = 0; r < rows.size(); ++r)
            out.push_back(rows.at(r, 1));
        return out;
    }
};

TEST_F(FileImportE2E, FilesAndFoldersBecomeObjectsOnceForFourteenDays)
{
    start();
    const QString base = home + "/chosen";
    const QString lone = writeFile(base + "/lone.txt", "a");
    writeFile(base + "/tree/one.txt", "1");
    writeFile(base + "/tree/deeper/two.pdf", "2");
    writeFile(base + "/tree/.hidden", "h");
    writeFile(base + "/tree/.secret/three.txt", "3");
    // A link back up would walk for ever if followed.
    ASSERT_TRUE(QFile::link(base + "/tree", base + "/tree/deeper/loop"));

    importPaths({lone, base + "/tree", lone});
    std::vector<std::string> titles = fileTitles();
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(titles, (std::vector<std::string>{"lone.txt", "one.txt", "two.pdf"}));

    // Each has its record and an icon from its creation date for fourteen days.
    const Rows rows = placedObjectsOfType("file");
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const Rows icons = iconLinks(rows.at(r, 0));
        ASSERT_EQ(icons.size(), 1u) << rows.at(r, 1);
        EXPECT_NEAR(std::stod(icons.at(0, 1)) - std::stod(icons.at(0, 0)), 1209600.0, 0.001);
        EXPECT_TRUE(QFile::exists(storeFolder() + "/local/zevData/2000018/" + q(rows.at(r, 0)) + ".file"))
            << rows.at(r, 1);
    }
    // Imported again (and with a Cancel in between), nothing more is made.
    importPaths({});
    importPaths({base});
    titles = fileTitles();
    EXPECT_EQ(titles.size(), 3u);
}

} // namespace
} // namespace e2e
