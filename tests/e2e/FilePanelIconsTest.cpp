// What a new user sees of each kind of file in the file lists of the program's panels, on a
// system without a desktop session: Files ▸ + lists a folder, a text, a picture, a PDF and a web
// page each with a picture of its own, as the desk and the inspector rows show them, not one
// blank page for every file.

#include "tests/e2e/FilesAddPanelFixture.h"

#include <QDir>
#include <QFileSystemModel>
#include <QPainter>

namespace e2e {
namespace {

class FilePanelIcons : public FilesAddPanelE2E {
protected:
    // The icon a row of the list shows, from the grabbed list, on one size: the square at the
    // start of its name cell.
    static QImage iconShown(const QImage& grab, QAbstractItemView* list, const QModelIndex& row)
    {
        const QRect cell = list->visualRect(row);
        const int side = list->iconSize().isValid() ? list->iconSize().height() : cell.height();
        const QRect square(cell.left(), cell.center().y() - side / 2, side + 6, side);
        QImage out(48, 48, QImage::Format_RGB32);
        out.fill(Qt::white);
        QPainter p(&out);
        p.drawImage(QRect(0, 0, 48, 48), grab.copy(square));
        return out;
    }
};

TEST_F(FilePanelIcons, TheAddPanelListsEachKindOfFileWithItsOwnPicture)
{
    start();
    const QString folder = home + "/Kinds";
    ASSERT_TRUE(QDir().mkpath(folder + "/Projects"));
    writeFile(folder + "/notes.txt", "plain words\n");
    writeFile(folder + "/page.html", "<!DOCTYPE html><html><body>a page</body></html>\n");
    writeFile(folder + "/report.pdf", "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n1 0 obj\n<< /Type /Catalog >>\nendobj\n%%EOF\n");
    QImage sea(40, 30, QImage::Format_RGB32);
    sea.fill(QColor(20, 60, 200));
    ASSERT_TRUE(sea.save(folder + "/sea.png", "PNG"));

    const auto [panel, list] = openAddPanelOn(folder);
    ASSERT_NE(list, nullptr);
    auto* model = qobject_cast<QFileSystemModel*>(list->model());
    ASSERT_NE(model, nullptr);

    const std::vector<std::pair<const char*, QString>> kinds = {{"folder", "Projects"},
                                                                {"text", "notes.txt"},
                                                                {"web page", "page.html"},
                                                                {"PDF", "report.pdf"},
                                                                {"picture", "sea.png"}};
    // The folder is read, and each file's icon found, on a thread of the panel's own.
    std::vector<QImage> icons;
    const auto shown = [&] {
        icons.clear();
        const QImage grab = list->viewport()->grab().toImage();
        for (const auto& [kind, name] : kinds) {
            const QModelIndex row = model->index(folder + "/" + name);
            if (!row.isValid() || !list->visualRect(row).isValid())
                return false;
            icons.push_back(iconShown(grab, list, row));
        }
        for (std::size_t i = 0; i < icons.size(); ++i)
            for (std::size_t j = i + 1; j < icons.size(); ++j)
                if (differingShare(icons[i], icons[j]) <= 0.03)
                    return false;
        return true;
    };
    advanceUntil(shown, 0.05, 2.0);
    ASSERT_EQ(icons.size(), kinds.size()) << "the panel never listed the folder's five entries";
    for (std::size_t i = 0; i < icons.size(); ++i)
        for (std::size_t j = i + 1; j < icons.size(); ++j)
            EXPECT_GT(differingShare(icons[i], icons[j]), 0.03)
                << "the " << kinds[i].first << " and the " << kinds[j].first << " look the same in the panel's list";
    panel->reject();
    advance(1.0);
}

} // namespace
} // namespace e2e
