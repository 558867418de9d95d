// What the desktop's opener answers, in the running program: a program of any origin (a
// downloaded launcher, a script without its mode bit, an executable named like a document) runs
// only after the user said Yes; a file nothing opens, Get Info without a file manager and the
// User Guide without a viewer are each said at once in an alert. The opener here is a real
// program standing for xdg-open: it records what it is handed and ends as the test tells it.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "desk/viewer/ZEVDeskDownloads.h"
#include "objects/view/ZEVItemView.h"
#include "space/ZEVSelections.h"
#include "tests/support/LocalHttpServer.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTest>

namespace e2e {
namespace {

class OpenerAnswers : public E2E {
protected:
    void SetUp() override
    {
        E2E::SetUp();
        ASSERT_TRUE(server.listening());
        tools = home + "/opener";
        QDir().mkpath(tools);
        // `sh script <address>`: no mode bit needed where temporary folders forbid running.
        write(tools + "/open.sh", "printf '%s\\n' \"$1\" >> '" + tools.toUtf8() + "/opened'\n"
                                  "cat '" + tools.toUtf8() + "/says' >&2 2>/dev/null\n"
                                  "exit \"$(cat '" + tools.toUtf8() + "/code' 2>/dev/null || echo 0)\"\n");
        opener = DesktopOpener{QStringLiteral("/bin/sh"), {tools + "/open.sh"}};
    }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size()) << path.toStdString();
    }
    // The opener fails from now on with that status, saying that.
    void openerFails(int code, const QByteArray& says)
    {
        write(tools + "/code", QByteArray::number(code));
        write(tools + "/says", says);
    }
    // What the opener was handed, one line each.
    QStringList opened() const
    {
        QFile f(tools + "/opened");
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    // A file of the user's given to the program; its view on the Now desk.
    ZEVItemView* place(const QString& path, const QByteArray& bytes)
    {
        write(path, bytes);
        addFiles({path}, 1.5);
        ZEVItemView* v = viewTitled(QFileInfo(path).fileName());
        EXPECT_NE(v, nullptr) << path.toStdString();
        return v;
    }
    void dropLink(const QUrl& url)
    {
        QMimeData data;
        data.setData("text/uri-list", url.toEncoded() + "\r\n");
        const QPoint at(400, 300);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas(), &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas(), &drop);
    }
    // Opened as a double click opens it; the opener is given the time to answer.
    void doubleClickToOpen(ZEVItemView* v)
    {
        ASSERT_NE(v, nullptr);
        doubleClickPicture(v);
        advance(0.1);
    }
    // Selected alone and opened with the Object menu's Open.
    void open(ZEVItemView* v)
    {
        ASSERT_NE(v, nullptr);
        space()->selections().selectIconForItemSet({v->item()}, nullptr);
        pump();
        chooseMenuItem(KELMainMenu::kMenuObject, 1);
        advance(0.1);
    }
    bool askedToRun(const ZEVAlertRequest& a, const QString& name) const
    {
        return a.windowTitle == QStringLiteral("Opening Object\u2026") && a.message.contains(name) &&
               a.buttons == QStringList{"Yes", "Cancel"};
    }

    QString tools;
    tallomer::test::LocalHttpServer server;
};

TEST_F(OpenerAnswers, AProgramOfAnyOriginRunsOnlyAfterYes)
{
    start();
    alerts.clear();
    // A launcher fetched from a web address, a script without its mode bit, a program named
    // like a text.
    server.route("/tools/run.desktop", {"[Desktop Entry]\nType=Application\nName=Run\nExec=true\n",
                                        {{"Content-Type", "application/x-desktop"}}});
    dropLink(server.url("/tools/run.desktop"));
    ASSERT_TRUE(pumpUntil([&] { return nowDesk()->downloads().runningCount() == 0 && viewTitled("run.desktop"); }));
    advance(0.5);
    QFile elf("/bin/true");
    ASSERT_TRUE(elf.open(QIODevice::ReadOnly));
    const std::vector<std::pair<QString, ZEVItemView*>> programs{
        {"run.desktop", viewTitled("run.desktop")},
        {"tidy", place(home + "/tidy", "#!/bin/sh\necho tidy\n")},
        {"readme.txt", place(home + "/readme.txt", elf.readAll())},
    };
    ZEVItemView* text = place(home + "/plain.txt", "only words\n");

    for (const auto& [name, view] : programs) {
        ASSERT_NE(view, nullptr) << name.toStdString();
        alerts.clear();
        alertAnswer = 1; // Cancel
        if (name == "run.desktop")
            doubleClickToOpen(view);
        else
            open(view);
        ASSERT_FALSE(alerts.empty()) << name.toStdString() << " opened without a question";
        for (const ZEVAlertRequest& a : alerts)
            EXPECT_TRUE(askedToRun(a, name)) << a.message.toStdString();
        EXPECT_TRUE(opened().isEmpty()) << "Cancel hands nothing over: " << name.toStdString();
    }

    // Yes hands the file over, once.
    alerts.clear();
    alertAnswer = 0;
    open(programs[1].second);
    ASSERT_TRUE(pumpUntil([&] { return !opened().isEmpty(); }));
    EXPECT_EQ(opened(), QStringList{home + "/tidy"});

    // A document opens without a word.
    alerts.clear();
    open(text);
    ASSERT_TRUE(pumpUntil([&] { return opened().size() == 2; }));
    EXPECT_EQ(opened().last(), home + "/plain.txt");
    EXPECT_TRUE(alerts.empty());
}

TEST_F(OpenerAnswers, WhatCannotBeOpenedOrShownIsSaidAtOnceInAnAlert)
{
    start();
    alerts.clear();
    ZEVItemView* v = place(home + "/notes.xyz", "mine");
    openerFails(3, "xdg-open: no method available for opening 'notes.xyz'\n");

    // A file whose type no program opens.
    doubleClickToOpen(v);
    ASSERT_TRUE(pumpUntil([&] { return !alerts.empty(); })) << "nothing said";
    EXPECT_EQ(opened(), QStringList{home + "/notes.xyz"});
    EXPECT_EQ(alerts[0].message, QStringLiteral("\u201cnotes.xyz\u201d could not be opened."));
    EXPECT_TRUE(alerts[0].informative.contains("no method available")) << alerts[0].informative.toStdString();
    EXPECT_EQ(alerts[0].buttons, QStringList{"OK"});

    // Get Info with no file manager on the session bus.
    alerts.clear();
    space()->selections().selectIconForItemSet({v->item()}, nullptr);
    pump();
    chooseMenuItem(KELMainMenu::kMenuObject, 522);
    ASSERT_TRUE(pumpUntil([&] { return !alerts.empty(); })) << "nothing said";
    EXPECT_EQ(alerts[0].message, QStringLiteral("The information of \u201cnotes.xyz\u201d cannot be shown."));
    EXPECT_TRUE(alerts[0].informative.contains("file manager")) << alerts[0].informative.toStdString();

    // The User Guide with nothing to show it.
    alerts.clear();
    chooseMenuItemTitled(KELMainMenu::kMenuHelp, QStringLiteral("Tallomer User Guide"));
    ASSERT_TRUE(pumpUntil([&] { return !alerts.empty(); })) << "nothing said";
    EXPECT_EQ(alerts[0].message, QStringLiteral("The User Guide could not be opened."));
    EXPECT_TRUE(opened().last().endsWith("/guide.html")) << opened().last().toStdString();

    // An opener that cannot even start is said as well.
    quit();
    opener = DesktopOpener{tools + "/no-such-opener", {}};
    start();
    alerts.clear();
    open(viewTitled("notes.xyz"));
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts[0].message, QStringLiteral("\u201cnotes.xyz\u201d could not be opened."));
    EXPECT_TRUE(alerts[0].informative.contains("cannot be started")) << alerts[0].informative.toStdString();
}

} // namespace
} // namespace e2e
