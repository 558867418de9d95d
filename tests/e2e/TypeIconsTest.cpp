// What a new user sees of each kind of Object on the desk, on a system without a desktop session:
// a folder, a text, a web page file, a picture, a web link and a contact without a photo each wear
// a picture of their own, read from the pictures their views draw; so does a named pipe, which is no folder.

#include "tests/e2e/E2EFixture.h"

#include "front/ZEVFrontViewer.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/icons/ZEVIconViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "objects/view/ZEVItemView.h"
#include "space/ZEVSelections.h"
#include "tests/support/LocalHttpServer.h"

#include <QClipboard>
#include <QCursor>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QIcon>
#include <QPainter>

#include <functional>
#include <sys/stat.h>
#include <map>

namespace e2e {
namespace {

class TypeIcons : public E2E {
protected:
    void SetUp() override
    {
        E2E::SetUp();
        useContactsFolder(home + "/Contacts");
    }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(home + "/" + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        return f.fileName();
    }
    void drop(const QMimeData& data, QPoint at)
    {
        dropOnCanvas(data, at);
        advance(1.5);
    }
    ZEVItemView* viewOfType(const std::string& type)
    {
        const Rows r = placedObjectsOfType(type);
        return r.empty() ? nullptr : viewTitled(q(r.at(0, 1)));
    }
    // The picture the view draws for its Object, on white at one size: the desk's gradient and
    // the view's badges are not the Object's kind.
    // The icon of the row that lists the Object of that title, in the column of row icons, drawn on
    // white as the row draws it; null when no row lists it. `titles` names the column of titles.
    static QImage rowIcon(ZEVTableView* table, const char* titles, const QString& title)
    {
        const QStringList ids = table->tableModel()->columnIdentifiers();
        for (int r = 0; r < table->numberOfRows(); ++r) {
            if (table->tableModel()->index(r, int(ids.indexOf(titles))).data().toString() != title)
                continue;
            const QIcon icon =
                table->tableModel()->index(r, int(ids.indexOf("itemIcon"))).data(Qt::DecorationRole).value<QIcon>();
            QImage out(32, 32, QImage::Format_RGB32);
            out.fill(Qt::white);
            QPainter p(&out);
            icon.paint(&p, out.rect());
            return out;
        }
        return {};
    }
    static QImage shown(ZEVItemView* v)
    {
        QImage out(48, 48, QImage::Format_RGB32);
        out.fill(Qt::white);
        QPainter p(&out);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRect(0, 0, 48, 48), v->itemImageView()->image());
        return out;
    }
};

TEST_F(TypeIcons, EachKindOfObjectWearsItsOwnPictureOnAFreshHome)
{
    start();
    alerts.clear();
    ASSERT_TRUE(QDir(home).mkdir("Projects"));
    QImage sea(120, 80, QImage::Format_RGB32);
    sea.fill(QColor(20, 60, 200));
    ASSERT_TRUE(sea.save(home + "/sea.png", "PNG"));
    addFiles({home + "/Projects", writeFile("notes.txt", "words\n"),
              writeFile("page.html", "<!DOCTYPE html><html><body>a page</body></html>"), home + "/sea.png"},
             1.5);

    // A web link pasted, its page fetched.
    tallomer::test::LocalHttpServer server;
    server.route("/news.html", {"<html>news</html>", {{"Content-Type", "text/html"}}});
    auto link = std::make_unique<QMimeData>();
    link->setText(server.url("/news.html").toString());
    QGuiApplication::clipboard()->setMimeData(link.release());
    QCursor::setPos(canvas()->mapToGlobal(QPoint(700, 150)));
    key(Qt::Key_V, Qt::ControlModifier);
    // A company's card, without a photo.
    QMimeData card;
    card.setData("text/vcard",
                 "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:acme-icons\r\nKIND:org\r\nORG:Acme Tools\r\nEND:VCARD\r\n");
    drop(card, QPoint(700, 450));
    // The link's page comes down and is kept under the name the server gives it.
    const Rows web = placedObjectsOfType("http");
    ASSERT_EQ(web.size(), 1u);
    const QString pageFile = storeFolder() + "/local/zevDrop/2000018/" + q(web.at(0, 0)) + "/news.html";
    advanceUntil([&] { return QFile::exists(pageFile); }, 0.2, 10.0);
    ASSERT_TRUE(QFile::exists(pageFile)) << "the page was never fetched as news.html";
    advance(2.0);
    pump();

    const std::vector<std::pair<const char*, ZEVItemView*>> views = {
        {"folder", viewTitled("Projects")},         {"text", viewTitled("notes.txt")},
        {"web page file", viewTitled("page.html")}, {"picture", viewTitled("sea.png")},
        {"web link", viewOfType("http")},           {"contact", viewOfType("ABPerson")}};
    std::vector<QImage> images;
    for (const auto& [kind, v] : views) {
        ASSERT_NE(v, nullptr) << kind << " has no view on the desk";
        images.push_back(shown(v));
    }
    for (std::size_t i = 0; i < views.size(); ++i)
        for (std::size_t j = i + 1; j < views.size(); ++j)
            EXPECT_GT(differingShare(images[i], images[j]), 0.03)
                << "the " << views[i].first << " and the " << views[j].first << " look the same";
}

TEST_F(TypeIcons, AFileWithoutAnExtensionALauncherAndAProgramEachWearTheirOwnKind)
{
    start();
    alerts.clear();
    ASSERT_TRUE(QDir(home).mkdir("Projects"));
    // A program's first bytes: a 64-bit ELF executable.
    QByteArray elf("\x7f" "ELF\x02\x01\x01", 7);
    elf += QByteArray(9, '\0');
    elf += QByteArray("\x02\x00\x3e\x00", 4);
    elf += QByteArray(48, '\0');
    const QString fifo = home + "/pipe";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    addFiles({home + "/Projects", writeFile("README", "Read me first.\n"), writeFile("notes.txt", "words\n"),
              writeFile("editor.desktop", "[Desktop Entry]\nType=Application\nName=Editor\nExec=true\n"),
              writeFile("tool", elf), fifo},
             1.5);
    pump();
    const std::vector<std::pair<const char*, ZEVItemView*>> views = {
        {"folder", viewTitled("Projects")}, {"file without an extension", viewTitled("README")},
        {"text", viewTitled("notes.txt")},  {"launcher", viewTitled("editor.desktop")},
        {"program", viewTitled("tool")},    {"named pipe", viewTitled("pipe")}};
    std::map<std::string, QImage> images;
    for (const auto& [kind, v] : views) {
        ASSERT_NE(v, nullptr) << kind << " has no view on the desk";
        images[kind] = shown(v);
    }
    const std::pair<const char*, const char*> apart[] = {{"file without an extension", "folder"},
                                                         {"program", "folder"},
                                                         {"program", "file without an extension"},
                                                         {"named pipe", "folder"},
                                                         {"launcher", "text"}};
    for (const auto& [one, other] : apart)
        EXPECT_GT(differingShare(images[one], images[other]), 0.03) << "the " << one << " looks like the " << other;

    // A launcher that names its icon wears it, a picture file or one of the theme's.
    QImage red(48, 48, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(home + "/red.png", "PNG"));
    addFiles({writeFile("painter.desktop", "[Desktop Entry]\nType=Application\nName=Painter\nExec=true\nIcon=" +
                                               (home + "/red.png").toUtf8() + "\n"),
              writeFile("bin.desktop", "[Desktop Entry]\nType=Application\nName=Bin\nExec=true\nIcon=user-trash\n")},
             1.5);
    pump();
    ZEVItemView* painter = viewTitled("painter.desktop");
    ZEVItemView* bin = viewTitled("bin.desktop");
    ASSERT_TRUE(painter && bin);
    EXPECT_EQ(shown(painter).pixelColor(24, 24), QColor(Qt::red));
    EXPECT_GT(differingShare(shown(bin), images["launcher"]), 0.03) << "the theme's icon it names";
}

TEST_F(TypeIcons, RowsOfThePanelsAndTheObjectsListWearWhatTheFileIsAsTheDeskDoes)
{
    start();
    ASSERT_TRUE(QDir(home).mkdir("Projects"));
    QByteArray elf("\x7f" "ELF\x02\x01\x01", 7);
    elf += QByteArray(9, '\0');
    elf += QByteArray("\x02\x00\x3e\x00", 4);
    elf += QByteArray(48, '\0');
    const QStringList titles = {"Projects", "README", "tool", "run"};
    const QString fifo = home + "/pipe";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    addFiles({home + "/Projects", writeFile("README", "Read me first.\n"), writeFile("tool", elf),
              writeFile("run", "#!/bin/sh\necho hi\n")},
             1.5);
    const std::vector<KELI*> items = itemsTitled(titles);
    ASSERT_EQ(items.size(), 4u);
    // Each pair that must not look alike: a file without an extension, a program and a script
    // are no folder, though their stored icon words are all empty as a folder's is.
    const auto apart = [&](const char* where, const std::function<QImage(const QString&)>& icon) {
        std::map<QString, QImage> shown;
        for (const QString& t : titles) {
            shown[t] = icon(t);
            ASSERT_FALSE(shown[t].isNull()) << where << ": no row lists " << t.toStdString();
        }
        for (const char* other : {"README", "tool", "run"})
            EXPECT_GT(differingShare(shown[other], shown["Projects"]), 0.03)
                << where << ": " << other << " wears the folder's icon";
        EXPECT_GT(differingShare(shown["tool"], shown["README"]), 0.03) << where << ": the program looks like a text";
    };

    openInspectorFromMenu(kIcons);
    auto* icons = dynamic_cast<ZEVIconViewer*>(space()->viewerForEntityClassName("ZEVIconViewer"));
    ZEVInspectView* panel = icons ? icons->inspectViewIfBuilt() : nullptr;
    ZEVTableView* table = panel ? panel->inspectTableView() : nullptr;
    ASSERT_NE(table, nullptr);
    ASSERT_TRUE(table->isVisible());
    apart("the Icons panel", [&](const QString& t) { return rowIcon(table, "item", t); });

    // The front's Objects list, filled by the desk's selection.
    auto* front = dynamic_cast<ZEVFrontViewer*>(space()->frontViewer());
    ASSERT_NE(front, nullptr);
    space()->selections().selectIconForItemSet(items, nullptr);
    pump();
    ZEVTableView* list = front->selectionItemTableView();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->numberOfRows(), 4);
    apart("the Objects list", [&](const QString& t) { return rowIcon(list, "title", t); });
}

} // namespace
} // namespace e2e
