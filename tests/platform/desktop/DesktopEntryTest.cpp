#include "platform/desktop/DesktopEntry.h"

#include "platform/AppId.h"
#include "tests/support/TestHome.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using tallomer::DesktopEntry;

TEST(DesktopEntry, InstalledFileIsTheGeneratedOne)
{
    EXPECT_EQ(DesktopEntry::fileName(), QString(tallomer::kAppId) + ".desktop");
    // The source tree from the environment, else from where this file was compiled.
    QString source = QString::fromStdString(tallomer::test::sourceDir());
    if (source.isEmpty())
        source = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/../../..";
    QFile f(source + "/resources/desktop/" + DesktopEntry::fileName());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(f.fileName());
    EXPECT_EQ(f.readAll(), DesktopEntry::contents());
}

TEST(DesktopEntry, HandlesZevpLinksAndTakesUrlsAndFiles)
{
    const QList<QByteArray> lines = DesktopEntry::contents().split('\n');
    EXPECT_EQ(lines.first(), "[Desktop Entry]");
    EXPECT_TRUE(lines.contains("MimeType=x-scheme-handler/zevp;"));
    EXPECT_TRUE(lines.contains("Exec=tallomer %U"));
    EXPECT_TRUE(lines.contains("Type=Application"));
}
