// Type icons: every kind a person tells apart on the desk has its own picture, from the theme a
// bare system has or, without any, drawn by the program; the empty type is a folder.

#include "widgets/FileTypeIcon.h"

#include "tests/support/TestHome.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <vector>

namespace tallomer {
namespace {

// The icon as it shows on a white desk, at one size whatever the theme gave.
QImage onWhite(const QImage& icon)
{
    QImage out(48, 48, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(0, 0, 48, 48), icon);
    return out;
}

// The share of pixels that a person sees differ.
double differingShare(const QImage& a, const QImage& b)
{
    const QImage x = onWhite(a), y = onWhite(b);
    int differ = 0;
    for (int j = 0; j < 48; ++j)
        for (int i = 0; i < 48; ++i) {
            const QColor c = x.pixelColor(i, j), d = y.pixelColor(i, j);
            differ +=
                std::abs(c.red() - d.red()) + std::abs(c.green() - d.green()) + std::abs(c.blue() - d.blue()) > 48;
        }
    return differ / (48.0 * 48.0);
}

const std::vector<const char*> kKinds = {"", "txt", "html", "png", "webloc", "vcf", "eml", "app", "bin"};

void expectPairwiseDifferent(const char* where)
{
    std::vector<QImage> images;
    for (const char* type : kKinds) {
        images.push_back(imageForFileType(QString::fromLatin1(type), 64));
        ASSERT_FALSE(images.back().isNull()) << where << ": " << type;
    }
    for (std::size_t i = 0; i < images.size(); ++i)
        for (std::size_t j = i + 1; j < images.size(); ++j)
            EXPECT_GT(differingShare(images[i], images[j]), 0.02)
                << where << ": \"" << kKinds[i] << "\" and \"" << kKinds[j] << "\" look the same";
}

TEST(FileTypeIcon, EachKindLooksItsOwnWithTheBareSystemsThemeAndWithNoThemeAtAll)
{
    installIconThemeFallback();
    const bool adwaita =
        !QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("icons/Adwaita/index.theme"))
             .isEmpty() ||
        QFile::exists(QStringLiteral("/usr/share/icons/Adwaita/index.theme"));
    if (adwaita) {
        EXPECT_EQ(QIcon::themeName(), QStringLiteral("Adwaita")) << "no desktop session names a theme here";
    }
    expectPairwiseDifferent("with the theme");

    // A theme without any of these icons: the program's own drawings, still one per kind.
    const QString theme = QIcon::themeName();
    QIcon::setThemeName(QStringLiteral("no-such-theme"));
    EXPECT_TRUE(QIcon::fromTheme(QStringLiteral("folder")).isNull());
    expectPairwiseDifferent("without a theme");
    QIcon::setThemeName(theme);
}

TEST(FileTypeIcon, TheEmptyTypeIsAFolderAndTheSameTypeHasOneIconHoweverNamed)
{
    const auto same = [](const QString& a, const QString& b) {
        return differingShare(imageForFileType(a, 64), imageForFileType(b, 64)) == 0.0;
    };
    EXPECT_TRUE(same(QString(), QStringLiteral("inode/directory")));
    EXPECT_FALSE(same(QString(), QStringLiteral("application/octet-stream"))) << "a folder is no document";
    EXPECT_TRUE(same(QStringLiteral("txt"), QStringLiteral("text/plain")));
    EXPECT_TRUE(same(QStringLiteral("vcf"), QStringLiteral("text/vcard")));
    EXPECT_TRUE(same(QStringLiteral("HTML"), QStringLiteral("text/html"))) << "an extension in capitals";
    // Finding by type, the empty type is any document.
    EXPECT_GT(differingShare(genericDocumentIcon().pixmap(64).toImage(), imageForFileType(QString(), 64)), 0.02);
}

TEST(FileTypeIcon, AnIconIsTheSizeAskedWhateverSizesTheThemeHas)
{
    // 200 lies between the theme's sizes, 18 between its small ones; the mail icon exists small only.
    for (const int side : {200, 18})
        for (const char* type : {"", "eml", "webloc", "vcf", "pdf"})
            EXPECT_EQ(imageForFileType(QString::fromLatin1(type), side).size(), QSize(side, side))
                << type << " " << side;
    EXPECT_EQ(imageOfIcon(genericDocumentIcon(), 18).size(), QSize(18, 18));
    EXPECT_EQ(imageForFileType(QStringLiteral("txt"), 0).size(), QSize(1, 1)) << "never an empty picture";
}

TEST(FileTypeIcon, ATypesImageIsMadeOnceForASideAndFollowsTheTheme)
{
    // Every Object view of a type shows this one image, and the views share what they scale from it
    // by its identity: a new image per call would scale and hold a copy per view. 200 lies between
    // the theme's sizes, so the theme's picture is scaled into a new square each time it is made.
    const QImage txt = imageForFileType(QStringLiteral("txt"), 200);
    EXPECT_EQ(imageForFileType(QStringLiteral("txt"), 200).cacheKey(), txt.cacheKey());
    EXPECT_EQ(imageForFileType(QStringLiteral("txt"), 32).size(), QSize(32, 32)) << "another side, its own image";
    EXPECT_NE(imageForFileType(QStringLiteral("pdf"), 200).cacheKey(), txt.cacheKey());

    // Kept per theme: a theme without the icon has it drawn, once, and the theme's comes back with it.
    const QString theme = QIcon::themeName();
    const bool themed = !QIcon::fromTheme(QStringLiteral("text-x-generic")).isNull();
    QIcon::setThemeName(QStringLiteral("no-such-theme"));
    const QImage drawn = imageForFileType(QStringLiteral("txt"), 200);
    EXPECT_EQ(imageForFileType(QStringLiteral("txt"), 200).cacheKey(), drawn.cacheKey());
    EXPECT_NE(drawn.cacheKey(), txt.cacheKey());
    if (themed) {
        EXPECT_GT(differingShare(drawn, txt), 0.02) << "the program's drawing, not the theme's icon kept";
    }
    QIcon::setThemeName(theme);
    EXPECT_EQ(imageForFileType(QStringLiteral("txt"), 200).cacheKey(), txt.cacheKey());
}

TEST(FileTypeIcon, AFileIsShownByWhatItIs)
{
    const QString dir = QString::fromStdString(test::makeTempDir("types"));
    ASSERT_TRUE(QDir(dir).mkdir(QStringLiteral("folder.txt")));
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir + "/" + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        return f.fileName();
    };
    const auto same = [](const QIcon& a, const QIcon& b) {
        return differingShare(a.pixmap(64).toImage(), b.pixmap(64).toImage()) == 0.0;
    };
    EXPECT_TRUE(same(iconForFile(dir + "/folder.txt"), iconForFileType(QString()))) << "a folder, whatever its name";
    EXPECT_TRUE(same(iconForFile(write("notes.txt", "plain words\n")), iconForFileType(QStringLiteral("txt"))));
    EXPECT_TRUE(same(iconForFile(write("page", "<!DOCTYPE html><html><body>hi</body></html>")),
                     iconForFileType(QStringLiteral("html"))))
        << "a page without an extension, by its content";
    EXPECT_TRUE(same(iconForFile(write("news.webloc", "<?xml version=\"1.0\"?><plist/>")),
                     iconForFileType(QStringLiteral("webloc"))));
}

} // namespace
} // namespace tallomer

namespace tallomer {
namespace {

// A type's image is kept between runs: a start that finds it kept shows exactly what it finds; a
// kept file that is not a whole image of its side is made again from the theme; and a theme whose
// files change keeps its images under other names.
TEST(FileTypeIcon, ATypesImageIsKeptBetweenRunsUntilTheThemesFilesChange)
{
    const QImage bin = imageForFileType(QStringLiteral("bin"), 93);
    const QString kept = keptFileForFileType(QStringLiteral("bin"), 93);
    ASSERT_TRUE(QFile::exists(kept));
    ASSERT_TRUE(kept.startsWith(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)));

    // A type not asked yet in this run, as at a start: what is kept under its name is shown.
    const QString vcf = keptFileForFileType(QStringLiteral("vcf"), 93);
    ASSERT_FALSE(QFile::exists(vcf));
    ASSERT_TRUE(QFile::copy(kept, vcf));
    const QImage shown = imageForFileType(QStringLiteral("vcf"), 93);
    EXPECT_EQ(shown, bin);
    EXPECT_EQ(shown.format(), bin.format());

    // Cut short, or of another side: made from the theme again, and kept whole.
    const QString html = keptFileForFileType(QStringLiteral("html"), 97);
    QFile source(kept);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray whole = source.readAll();
    for (const auto& [type, bytes] : {std::pair{QStringLiteral("html"), whole.left(whole.size() / 2)},
                                      std::pair{QStringLiteral("eml"), whole}}) {
        const QString file = keptFileForFileType(type, 97);
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        f.close();
        const QImage image = imageForFileType(type, 97);
        EXPECT_EQ(image, imageOfIcon(iconForFileType(type), 97)) << type.toStdString();
        EXPECT_EQ(image.size(), QSize(97, 97));
        EXPECT_GT(QFileInfo(file).size(), 97 * 97 * 4) << "kept whole again: " << type.toStdString();
    }

    // A theme of the user's: its index rewritten, every type of it gets a new file.
    const QStringList paths = QIcon::themeSearchPaths();
    const QString theme = QIcon::themeName();
    const QString icons = QString::fromStdString(test::makeTempDir("icons"));
    ASSERT_TRUE(QDir(icons).mkpath(QStringLiteral("kept/mimetypes")));
    QFile index(icons + QStringLiteral("/kept/index.theme"));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=kept\nInherits=" + theme.toUtf8() + "\nDirectories=mimetypes\n");
    index.close();
    QIcon::setThemeSearchPaths(QStringList(paths) << icons);
    QIcon::setThemeName(QStringLiteral("kept"));
    const QString before = keptFileForFileType(QStringLiteral("bin"), 93);
    EXPECT_NE(before, kept) << "another theme";
    ASSERT_TRUE(index.open(QIODevice::ReadWrite));
    ASSERT_TRUE(index.setFileTime(QDateTime::currentDateTime().addSecs(3600), QFileDevice::FileModificationTime));
    index.close();
    EXPECT_NE(keptFileForFileType(QStringLiteral("bin"), 93), before);
    QIcon::setThemeName(theme);
    QIcon::setThemeSearchPaths(paths);
    EXPECT_EQ(keptFileForFileType(QStringLiteral("bin"), 93), kept);
}

} // namespace
} // namespace tallomer
