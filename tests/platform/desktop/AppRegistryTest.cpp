#include "platform/desktop/AppRegistry.h"

#include "tests/platform/PlatformFixture.h"

using namespace tallomer;
using test::writeFile;
using Kind = OpenWithSubject::Kind;

namespace {

// Fixture XDG folders: a user's data and config folders above a system's.
struct Xdg {
    QString root = test::tempFolder("xdg");
    QString dataHome = root + "/home-data";
    QString dataDir = root + "/sys-data";
    QString configHome = root + "/home-config";
    QString configDir = root + "/sys-config";

    AppRegistry::Folders folders(QStringList desktops = {}) const
    {
        return {{dataHome, dataDir}, {configHome, configDir}, desktops, {}};
    }
    QString app(const QString& dataFolder, const QString& id, const QByteArray& name, const QByteArray& exec,
                const QByteArray& mime, const QByteArray& extra = {}) const
    {
        return writeFile(dataFolder + "/applications/" + id,
                         "[Desktop Entry]\nType=Application\nName=" + name + "\nName[xx]=Other\nExec=" + exec +
                             "\nMimeType=" + mime + "\n" + extra + "\n[Desktop Action new]\nName=New\nExec=nope\n");
    }
};

QStringList ids(const QList<Application>& apps)
{
    QStringList out;
    for (const Application& a : apps)
        out.append(a.id);
    return out;
}

QStringList titles(const OpenWithMenu& menu)
{
    QStringList out;
    for (const OpenWithChoice& c : menu.choices)
        out.append(c.title);
    return out;
}

// A system with a viewer and an editor for text, contacts and mail programs, and the user's own
// choices above them.
Xdg textDesktop()
{
    Xdg x;
    x.app(x.dataDir, "viewer.desktop", "Viewer", "viewer %F", "text/plain;image/png;");
    x.app(x.dataDir, "editor.desktop", "Editor", "editor %f", "text/plain;");
    x.app(x.dataHome, "editor.desktop", "Editor Home", "editor --home %f", "text/plain;");
    // The user's Hidden entry removes the system's of that id.
    x.app(x.dataHome, "gone.desktop", "Gone", "gone", "text/plain;", "Hidden=true");
    x.app(x.dataDir, "gone.desktop", "Gone", "gone %f", "text/plain;");
    x.app(x.dataDir, "missing.desktop", "Missing", "missing %f", "text/plain;", "TryExec=/nonexistent/missing");
    const QString tool = writeFile(x.root + "/bin/tool", "#!/bin/sh\n");
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::ExeOwner);
    // NoDisplay keeps it out of launchers, not out of Open With; the subfolder gives the id its prefix.
    x.app(x.dataDir, "kit/tool.desktop", "Tool", "tool %F", "text/plain;", "NoDisplay=true\nTryExec=" + tool.toUtf8());
    x.app(x.dataDir, "cards.desktop", "Cards", "cards %U", "text/vcard;");
    x.app(x.dataDir, "post.desktop", "Post", "post %U", "message/rfc822;x-scheme-handler/mailto;");
    writeFile(x.configHome + "/mimeapps.list",
              "[Default Applications]\ntext/plain=uninstalled.desktop;viewer.desktop;\n");
    writeFile(x.configDir + "/mimeapps.list", "[Added Associations]\nimage/png=editor.desktop;\n");
    return x;
}

} // namespace

TEST(AppRegistry, EntriesFollowPrecedenceHiddenAndTryExec)
{
    const Xdg x = textDesktop();
    const AppRegistry reg(x.folders());
    // The first installed default of the list, then the others by folder precedence.
    EXPECT_EQ(ids(reg.applicationsForMimeType("text/plain")),
              (QStringList{"viewer.desktop", "editor.desktop", "kit-tool.desktop"}));
    EXPECT_EQ(reg.application("editor.desktop")->name, "Editor Home");
    EXPECT_EQ(reg.application("editor.desktop")->exec, "editor --home %f");
    EXPECT_FALSE(reg.application("gone.desktop"));
    EXPECT_FALSE(reg.application("missing.desktop"));
    EXPECT_EQ(reg.defaultForMimeType("text/plain")->id, "viewer.desktop");
    // Added by a list, before the entries that name the type themselves.
    EXPECT_EQ(ids(reg.applicationsForMimeType("image/png")), (QStringList{"editor.desktop", "viewer.desktop"}));
    // A C source is text: its parent's applications serve it.
    EXPECT_EQ(reg.defaultForFile(x.root + "/main.c")->id, "viewer.desktop");
    EXPECT_TRUE(ids(reg.applicationsForFile(x.root + "/main.c")).contains("kit-tool.desktop"));
    EXPECT_EQ(reg.addressBook()->id, "cards.desktop");
    EXPECT_EQ(reg.mail()->id, "post.desktop");
    EXPECT_EQ(reg.defaultForScheme("MAILTO")->id, "post.desktop");
    EXPECT_FALSE(reg.defaultForScheme("gopher"));
    EXPECT_FALSE(reg.defaultForMimeType("application/x-nothing-opens-this"));
    // Nothing for the type itself: the address book is absent, not the text viewer.
    Xdg bare;
    bare.app(bare.dataDir, "viewer.desktop", "Viewer", "viewer %F", "text/plain;");
    const AppRegistry noBook(bare.folders());
    EXPECT_FALSE(noBook.addressBook());
    EXPECT_EQ(noBook.defaultForMimeType("text/vcard")->id, "viewer.desktop");
}

TEST(AppRegistry, ListsDecideInOrderAndRemovalsHideLowerAdditions)
{
    Xdg x = textDesktop();
    // The user removes the tool; the system's list cannot bring it back, and its default loses to
    // the user's.
    writeFile(
        x.configHome + "/mimeapps.list",
        "[Removed Associations]\ntext/plain=kit-tool.desktop;\n[Default Applications]\nimage/png=editor.desktop\n");
    writeFile(x.configDir + "/mimeapps.list",
              "[Added Associations]\ntext/plain=kit-tool.desktop;\n[Default Applications]\n"
              "image/png=viewer.desktop\ntext/plain=kit-tool.desktop;editor.desktop\n");
    // A desktop's own list names defaults before the plain list of the same folder, and may not add.
    writeFile(x.dataDir + "/applications/test-mimeapps.list",
              "[Default Applications]\ntext/vcard=post.desktop\n[Added Associations]\ntext/vcard=post.desktop\n");
    const AppRegistry reg(x.folders({"test"}));
    EXPECT_EQ(ids(reg.applicationsForMimeType("text/plain")), (QStringList{"editor.desktop", "viewer.desktop"}));
    EXPECT_EQ(reg.defaultForMimeType("image/png")->id, "editor.desktop");
    EXPECT_EQ(reg.addressBook()->id, "post.desktop");
    // A card is text too: its own programs first, then its parent's.
    EXPECT_EQ(ids(reg.applicationsForMimeType("text/vcard")),
              (QStringList{"post.desktop", "cards.desktop", "editor.desktop", "viewer.desktop"}));
}

TEST(AppRegistry, OpenWithListsTheDefaultOnceAndNothingWithoutACommonApplication)
{
    const Xdg x = textDesktop();
    const AppRegistry reg(x.folders());
    const QString text = writeFile(x.root + "/notes.txt", "words");

    const OpenWithMenu one = reg.openWith({{Kind::File, text}});
    ASSERT_TRUE(one.defaultChoice);
    EXPECT_EQ(one.defaultChoice->title, "Viewer");
    EXPECT_EQ(titles(one), (QStringList{"Editor Home", "Tool"}));
    EXPECT_EQ(one.choices.first().application.id, "editor.desktop");

    // A file and a contact: no application serves both, and their defaults differ.
    const OpenWithMenu mixed = reg.openWith({{Kind::File, text}, {Kind::Contact, {}}});
    EXPECT_FALSE(mixed.defaultChoice);
    EXPECT_TRUE(mixed.choices.isEmpty());

    // Two texts share everything; an Object with nothing to open keeps the default before it but
    // offers nothing.
    const OpenWithMenu two = reg.openWith({{Kind::File, text}, {Kind::File, x.root + "/other.txt"}});
    EXPECT_EQ(titles(two), (QStringList{"Editor Home", "Tool"}));
    const OpenWithMenu withNone = reg.openWith({{Kind::File, text}, {Kind::Other, {}}});
    EXPECT_EQ(withNone.defaultChoice->application.id, "viewer.desktop");
    EXPECT_TRUE(withNone.choices.isEmpty());
    const OpenWithMenu mail = reg.openWith({{Kind::Mail, {}}});
    EXPECT_EQ(mail.defaultChoice->application.id, "post.desktop");
    EXPECT_TRUE(mail.choices.isEmpty());
    EXPECT_FALSE(reg.openWith({}).defaultChoice);
}

TEST(AppRegistry, OpenWithTellsApplicationsOfOneNameApart)
{
    Xdg x;
    x.app(x.dataDir, "a.desktop", "Same", "a %f", "text/plain;");
    x.app(x.dataDir, "b.desktop", "Same", "b %f", "text/plain;");
    x.app(x.dataDir, "c.desktop", "Other", "c %f", "text/plain;");
    x.app(x.dataDir, "d.desktop", "Other", "d %f", "text/plain;");
    writeFile(x.configHome + "/mimeapps.list", "[Default Applications]\ntext/plain=c.desktop\n");
    const OpenWithMenu menu = AppRegistry(x.folders()).openWith({{Kind::File, writeFile(x.root + "/t.txt")}});
    EXPECT_EQ(menu.defaultChoice->title, "Other (c)");
    EXPECT_EQ(titles(menu), (QStringList{"Other (d)", "Same (a)", "Same (b)"}));
}

TEST(AppRegistry, ExecLinesBecomeArgumentListsWithoutAShell)
{
    Xdg x;
    x.app(x.dataDir, "q.desktop", "Quoted",
          R"("/opt/my app/run" --title=%c "with \\"quotes\\" \\\\ \\$HOME" -x %F %% %d %i)", "text/plain;",
          "Icon=q-icon");
    x.app(x.dataDir, "one.desktop", "One", "one --file=%f", "text/plain;");
    x.app(x.dataDir, "bad.desktop", "Bad", R"(bad "unclosed %f)", "text/plain;");
    const AppRegistry reg(x.folders());
    const QString odd = x.root + "/a b;c\"d'$(true).txt";
    const QList<QUrl> urls{QUrl::fromLocalFile(odd), QUrl::fromLocalFile(x.root + "/2.txt")};

    EXPECT_EQ(AppRegistry::commandLines(*reg.application("q.desktop"), urls),
              (QList<QStringList>{{"/opt/my app/run", "--title=Quoted", R"(with "quotes" \ $HOME)", "-x", odd,
                                   x.root + "/2.txt", "%", "--icon", "q-icon"}}));
    // One file per start for an Exec that takes one.
    EXPECT_EQ(AppRegistry::commandLines(*reg.application("one.desktop"), urls),
              (QList<QStringList>{{"one", "--file=" + odd}, {"one", "--file=" + x.root + "/2.txt"}}));
    EXPECT_EQ(AppRegistry::commandLines(*reg.application("one.desktop"), {}), (QList<QStringList>{{"one", "--file="}}));
    // A terminal program runs in the desktop's terminal; with none there, nothing runs.
    const QString bin = x.root + "/bin";
    const QString terminal = writeFile(bin + "/x-terminal-emulator", "#!/bin/sh\n");
    QFile::setPermissions(terminal, QFile::ReadOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    Application inTerminal{"t.desktop", "T", {}, "top %f", {}, {}, true};
    qputenv("PATH", bin.toUtf8());
    EXPECT_EQ(AppRegistry::commandLines(inTerminal, {}), (QList<QStringList>{{terminal, "-e", "top"}}));
    qputenv("PATH", x.root.toUtf8() + "/nothing");
    EXPECT_TRUE(AppRegistry::commandLines(inTerminal, {}).isEmpty());
    QString error;
    EXPECT_FALSE(AppRegistry::open(inTerminal, {}, &error));
    EXPECT_TRUE(error.contains("no terminal")) << error.toStdString();
    qputenv("PATH", path);
    // An unbalanced quote is no application at all.
    EXPECT_FALSE(reg.application("bad.desktop"));
    Application bad{"bad.desktop", "Bad", {}, R"(bad "unclosed)", {}, {}, false};
    EXPECT_FALSE(AppRegistry::open(bad, urls, &error));
    EXPECT_TRUE(error.contains("cannot be read")) << error.toStdString();
}

TEST(AppRegistry, OpenStartsTheProgramWithEachFileAsOneArgument)
{
    Xdg x;
    const QString out = x.root + "/args";
    const QString script = writeFile(x.root + "/bin/record",
                                     "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" + out.toUtf8() +
                                         ".tmp\" && mv \"" + out.toUtf8() + ".tmp\" \"" + out.toUtf8() + "\"\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner);
    x.app(x.dataDir, "rec.desktop", "Record", script.toUtf8() + " %F", "text/plain;");
    const AppRegistry reg(x.folders());
    const QString odd = x.root + "/a b;c\"d'$(touch pwned)`id`.txt";
    QString error;
    ASSERT_TRUE(AppRegistry::open(*reg.application("rec.desktop"), {QUrl::fromLocalFile(odd)}, &error))
        << error.toStdString();
    ASSERT_TRUE(test::turnUntil([&] { return QFileInfo::exists(out); }));
    EXPECT_EQ(test::readFile(out), odd.toUtf8() + "\n");
    EXPECT_FALSE(QFileInfo::exists(x.root + "/pwned"));

    Application absent{"absent.desktop", "Absent", {}, x.root + "/no-such-program %F", {}, {}, false};
    EXPECT_FALSE(AppRegistry::open(absent, {}, &error));
    EXPECT_TRUE(error.contains("did not start")) << error.toStdString();
}
