// The browser's parts that stand apart from the link base: reading the program's options, drag
// choosing over rows, the strict number field, and the link cells' mapping of time onto a row.

#include "browser/GUITextFieldCell.h"
#include "browser/KELBrowserArguments.h"
#include "browser/KELVueDe.h"
#include "browser/KELVueDeBase.h"
#include "platform/Keys.h"
#include "platform/desktop/SingleInstance.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace tallomer;

TEST(BrowserWindow, OptionsAreReadAsRequestsAndMalformedOnesSayWhy)
{
    auto r = KELBrowserArguments::lire({"--link-browser", "3", "--cursor", "270", "--link-browser", "4"});
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].lienInt, 3u);
    EXPECT_EQ(r[0].curseurInt, 270u);
    EXPECT_TRUE(r[0].erreur.isEmpty());
    EXPECT_EQ(r[1].lienInt, 4u);
    EXPECT_EQ(r[1].curseurInt, 0u);

    for (const QStringList& bad : std::vector<QStringList>{{"--link-browser", "x3"},
                                                          {"--link-browser", "0"},
                                                          {"--link-browser", "-3"},
                                                          {"--link-browser", "3", "--cursor", "1e3"},
                                                          {"--link-browser"},
                                                          {"--cursor", "270"},
                                                          {"--frobnicate"}}) {
        const auto v = KELBrowserArguments::lire(bad);
        ASSERT_FALSE(v.empty()) << bad.join(' ').toStdString();
        EXPECT_FALSE(v.back().erreur.isEmpty()) << bad.join(' ').toStdString();
    }
}

TEST(BrowserWindow, TheSingleInstanceKeepsOptionsApartFromFilesAndHandsThemOnTogether)
{
    const QStringList args{"--link-browser", "3", "notes.txt", "--cursor", "270"};
    const QStringList abs = SingleInstance::absoluteArguments(args, "/home/u");
    EXPECT_EQ(abs, (QStringList{"--link-browser", "3", "/home/u/notes.txt", "--cursor", "270"}));

    SingleInstance instance(QDBusConnection(QStringLiteral("none")));
    QStringList options, files;
    instance.options = [&](const QStringList& o) { options += o; };
    instance.openDocuments = [&](const QStringList& f) { files += f; };
    instance.dispatch({"--link-browser", "3", "/tmp/a.txt", "--cursor", "270"});
    EXPECT_EQ(options, (QStringList{"--link-browser", "3", "--cursor", "270"}));
    EXPECT_EQ(files, (QStringList{"/tmp/a.txt"}));
}

// Drags recorded as the hooks see them.
struct Trace {
    std::vector<std::string> lignes;
    std::vector<int> choisis;
    KELGlisser::Crochets crochets()
    {
        KELGlisser::Crochets c;
        c.debuter = [this] { lignes.push_back("debut"); };
        c.siChoisi = [this](int r) { return std::find(choisis.begin(), choisis.end(), r) != choisis.end(); };
        c.choisir = [this](int r, std::uint32_t k, bool rej) {
            lignes.push_back("choisir " + std::to_string(r) + (rej ? " oui" : " non") +
                             ((k & keys::kCommandFlag) ? " cmd" : ""));
        };
        c.rejeter = [this](int r, std::uint32_t) { lignes.push_back("rejeter " + std::to_string(r)); };
        c.recharger = [] {};
        return c;
    }
};

TEST(BaseColumn, DragsPassEachRowOnceToTheChooseAndRejectHooks)
{
    {
        Trace t;
        KELGlisser g;
        for (int r : {2, 3, 4, 5, 4, 3})
            g.ligne(r, 0, false, t.crochets());
        EXPECT_EQ(t.lignes, (std::vector<std::string>{"debut", "choisir 2 oui", "choisir 3 non", "choisir 4 non",
                                                       "choisir 5 non", "rejeter 5", "rejeter 4"}));
    }
    {
        // Crossing the anchor: both stretches go to the choose hook, the anchor is not passed again.
        Trace t;
        KELGlisser g;
        for (int r : {5, 6, 7, 3})
            g.ligne(r, 0, false, t.crochets());
        EXPECT_EQ(t.lignes, (std::vector<std::string>{"debut", "choisir 5 oui", "choisir 6 non", "choisir 7 non",
                                                       "choisir 7 non", "choisir 6 non", "choisir 4 non",
                                                       "choisir 3 non"}));
    }
    {
        // Upwards from the anchor and back below it.
        Trace t;
        KELGlisser g;
        for (int r : {5, 4, 3, 7})
            g.ligne(r, 0, false, t.crochets());
        EXPECT_EQ(t.lignes, (std::vector<std::string>{"debut", "choisir 5 oui", "choisir 4 non", "choisir 3 non",
                                                       "choisir 3 non", "choisir 4 non", "choisir 6 non",
                                                       "choisir 7 non"}));
    }
}

TEST(BaseColumn, SingleChoiceReplacesTheChoiceAtEachRowAndDropsCommand)
{
    Trace t;
    KELGlisser g;
    for (int r : {2, 3, 4})
        g.ligne(r, keys::kCommandFlag, true, t.crochets());
    EXPECT_EQ(t.lignes, (std::vector<std::string>{"debut", "choisir 2 oui", "choisir 3 oui", "choisir 4 oui"}));

    // Command on a row already chosen starts the drag there without choosing.
    Trace u;
    u.choisis = {2};
    KELGlisser h;
    h.ligne(2, keys::kCommandFlag, true, u.crochets());
    EXPECT_EQ(u.lignes, (std::vector<std::string>{"debut"}));
    EXPECT_EQ(h.draggedRow, 2);
}

TEST(BaseColumn, ANumberFieldTakesOnlyAWholeNumberInTheCLocale)
{
    EXPECT_EQ(KELVueDeBaseNombre::lireNombre("3.5"), 3.5);
    EXPECT_EQ(KELVueDeBaseNombre::lireNombre(" -2e3 "), -2000.0);
    for (const char* bad : {"", "  ", "abc", "3,5", "3.5x", "nan", "inf", "1e999"})
        EXPECT_FALSE(KELVueDeBaseNombre::lireNombre(bad).has_value()) << bad;
}

TEST(LinkCells, AnIntervalIsClippedToTheColumnsSliceInEachOfItsCases)
{
    // A 100 s window on a 200-point row: two points a second; the slice is [50, 100).
    auto part = [](double in, double out, bool minimum = true) {
        auto iv = guiMapper(in, out, 1000, 100, 200, 50, 50, minimum);
        return iv ? iv->partDansLaTranche() : std::nullopt;
    };
    using P = std::pair<double, double>;
    EXPECT_EQ(part(1030, 1040), (P{60, 80}));             // both ends inside
    EXPECT_EQ(part(1030, 1090), (P{60, 100}));            // only the start inside
    EXPECT_EQ(part(1010, 1040), (P{50, 80}));             // only the end inside
    EXPECT_EQ(part(-4503599627370496.0, 4503599627370496.0), (P{50, 100})); // open at both ends
    EXPECT_FALSE(part(1060, 1070).has_value());           // wholly to the right
    EXPECT_FALSE(part(1000, 1010).has_value());           // wholly to the left
    EXPECT_EQ(part(1030, 1030), (P{60, 60.5}));           // half a point at least
    EXPECT_EQ(part(1030, 1030, false), (P{60, 60}));
    // A window of no length maps nothing.
    EXPECT_FALSE(guiMapper(1030, 1040, 1000, 0, 200, 50, 50, true).has_value());
}

} // namespace
