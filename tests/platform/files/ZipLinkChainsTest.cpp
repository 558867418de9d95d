// Links in an archive that lead out of the tree only once other links are followed: chains
// through links placed before or after them, and random chains, after which every path of an
// accepted tree resolves inside it and a refused one placed nothing outside.

#include "platform/files/FileMoves.h"
#include "platform/files/ZipArchive.h"

#include "tests/platform/PlatformFixture.h"

#include <QDirIterator>

#include <archive.h>
#include <archive_entry.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

using namespace tallomer;
using test::readFile;
using test::tempFolder;
using test::writeFile;

namespace {

struct Entry {
    enum Kind { File, Folder, Link } kind;
    std::string name;
    std::string data; // a file's contents, a link's target
};

QString writeZip(const QString& path, const std::vector<Entry>& entries)
{
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    EXPECT_EQ(archive_write_open_filename(a, QFile::encodeName(path).constData()), ARCHIVE_OK);
    for (const Entry& e : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.name.c_str());
        archive_entry_set_perm(entry, 0755);
        if (e.kind == Entry::Link) {
            archive_entry_set_filetype(entry, AE_IFLNK);
            archive_entry_set_symlink(entry, e.data.c_str());
            archive_entry_set_size(entry, 0);
        } else {
            archive_entry_set_filetype(entry, e.kind == Entry::File ? AE_IFREG : AE_IFDIR);
            archive_entry_set_size(entry, e.kind == Entry::File ? la_int64_t(e.data.size()) : 0);
        }
        EXPECT_EQ(archive_write_header(a, entry), ARCHIVE_OK) << e.name;
        if (e.kind == Entry::File)
            archive_write_data(a, e.data.data(), e.data.size());
        archive_entry_free(entry);
    }
    archive_write_close(a);
    archive_write_free(a);
    return path;
}

// Every entry below folder, links not followed; relative paths with their kind.
QStringList listing(const QString& folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out << QDir(folder).relativeFilePath(path) + (it.fileInfo().isSymLink() ? "@" : "");
    }
    out.sort();
    return out;
}

// Where each path below folder leads once every link is followed (missing parts taken as
// written); the first that leaves the folder or cannot be resolved, empty when none does.
std::string firstPathLeading(const QString& folder)
{
    namespace fs = std::filesystem;
    const fs::path top = fs::canonical(QFile::encodeName(folder).toStdString());
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const std::string path = QFile::encodeName(it.next()).toStdString();
        std::error_code ec;
        const fs::path resolved = fs::weakly_canonical(path, ec);
        const auto rel = resolved.lexically_relative(top);
        if (ec || rel.empty() || *rel.begin() == "..")
            return path + " -> " + (ec ? ec.message() : resolved.string());
    }
    return {};
}

// A deep destination, so that a link that escapes lands among folders the test watches.
struct Place {
    QString work = tempFolder("chains");
    QString destination = work + "/one/two/three/import";
    Place()
    {
        QDir().mkpath(destination);
        writeFile(work + "/one/secret", "secret");
    }
    QStringList outside() const
    {
        QStringList all = listing(work);
        all.removeIf([](const QString& p) { return p.startsWith("one/two/three/import/"); });
        return all;
    }
};

} // namespace

TEST(ZipLinkChains, ChainsThroughLinksAreFollowedWhateverTheirOrder)
{
    struct Case {
        const char* what;
        std::vector<Entry> entries;
        const char* reason; // empty: accepted
    };
    const std::vector<Case> cases = {
        // s leads to a/b/c/d/e/f; nine ".." from there climb three folders above the top.
        {"a chain through a placed link",
         {{Entry::Link, "a/b/c/d/e/f/g/h/i/j/s", "../../../.."},
          {Entry::Link, "local/passwd", "../a/b/c/d/e/f/g/h/i/j/s/../../../../../../../../../secret"}},
         "leads outside"},
        {"the link gone through comes later",
         {{Entry::Link, "x", "d/e/y/../../../secret"}, {Entry::File, "d/e/keep", "k"}, {Entry::Link, "d/e/y", "../.."}},
         "through other links"},
        {"a link to a link that leads out",
         {{Entry::Link, "up", "d/.."}, {Entry::Link, "d", "u/.."}, {Entry::Folder, "u", ""}},
         "through other links"},
        {"a loop", {{Entry::Link, "p", "q"}, {Entry::Link, "q", "p"}}, "leads outside"},
        {"a file through a link inside", {{Entry::Folder, "real", ""}, {Entry::Link, "alias", "real"}, {Entry::File, "alias/x", "x"}},
         "behind the link alias"},
        {"a link through a link inside",
         {{Entry::Folder, "real", ""}, {Entry::Link, "alias", "real"}, {Entry::Link, "alias/l", "."}},
         "behind the link alias"},
        {"chains that stay inside",
         {{Entry::File, "a/b/c/f.txt", "f"}, {Entry::Link, "s", "a/b/c"}, {Entry::Link, "a/t", "../s/../c/f.txt"},
          {Entry::Link, "top", "."}, {Entry::Link, "dangling", "a/none/../b"}},
         ""},
    };
    for (const Case& c : cases) {
        Place place;
        const QString archive = writeZip(place.work + "/made.zip", c.entries);
        const QStringList before = place.outside();
        const FileResult r = unpackZipArchive(archive, place.destination, ZipLimits{1 << 20});
        EXPECT_EQ(place.outside(), before) << c.what;
        if (*c.reason) {
            EXPECT_FALSE(r) << c.what;
            EXPECT_TRUE(r.error.contains(c.reason)) << c.what << ": " << r.error.toStdString();
        } else {
            ASSERT_TRUE(r) << c.what << ": " << r.error.toStdString();
            EXPECT_EQ(firstPathLeading(place.destination), "") << c.what;
            EXPECT_EQ(readFile(place.destination + "/a/t"), "f");
        }
    }
}

// Random trees of folders, files and links whose targets climb, descend and pass through other
// links, in random order. TALLOMER_ZIP_FUZZ_SEED starts elsewhere; a failure names its seed.
TEST(ZipLinkChains, RandomChainsNeverLeadOutsideAnAcceptedTree)
{
    const unsigned first = qEnvironmentVariableIsSet("TALLOMER_ZIP_FUZZ_SEED")
                               ? qEnvironmentVariableIntValue("TALLOMER_ZIP_FUZZ_SEED")
                               : 1u;
    const char* const names[] = {"a", "b", "c", "s", "t"};
    int accepted = 0;
    int refused = 0;
    for (unsigned seed = first; seed < first + 200; ++seed) {
        std::mt19937 random(seed);
        auto pick = [&](int n) { return int(random() % unsigned(n)); };
        auto path = [&](int depth) {
            std::string p = names[pick(5)];
            for (int i = 1; i < depth; ++i)
                p += std::string("/") + names[pick(5)];
            return p;
        };
        std::vector<Entry> entries;
        std::vector<std::string> linkNames;
        const int count = 2 + pick(7);
        for (int i = 0; i < count; ++i) {
            std::string name = path(1 + pick(4));
            switch (pick(5)) {
            case 0:
                entries.push_back({Entry::File, name, "f"});
                break;
            case 1:
                entries.push_back({Entry::Folder, name, ""});
                break;
            default: {
                // Deep; the target climbs, often to the top and down through another link (named
                // before or after it), then climbs again and maybe goes down.
                const int depth = 2 + pick(3);
                name = path(depth);
                std::string target;
                if (!linkNames.empty() && pick(3)) {
                    for (int up = depth - 1; up > 0; --up)
                        target += "../";
                    target += linkNames[std::size_t(pick(int(linkNames.size())))];
                } else {
                    for (int up = pick(3); up > 0; --up)
                        target += "../";
                    target += pick(3) ? path(1 + pick(3)) : std::string(".");
                }
                for (int up = pick(4); up > 0; --up)
                    target += "/..";
                if (pick(2))
                    target += "/" + path(1 + pick(2));
                entries.push_back({Entry::Link, name, target});
                linkNames.push_back(name);
            }
            }
        }
        Place place;
        const QString archive = writeZip(place.work + "/fuzz.zip", entries);
        const QStringList before = place.outside();
        const FileResult r = unpackZipArchive(archive, place.destination, ZipLimits{1 << 20});
        ASSERT_EQ(place.outside(), before) << "seed " << seed;
        ASSERT_EQ(readFile(place.work + "/one/secret"), "secret") << "seed " << seed;
        if (r) {
            ++accepted;
            ASSERT_EQ(firstPathLeading(place.destination), "") << "seed " << seed;
        } else {
            ++refused;
        }
        removeTree(place.work);
    }
    // Both outcomes are met often enough for the run to mean something.
    EXPECT_GT(accepted, 20);
    EXPECT_GT(refused, 20);
}
