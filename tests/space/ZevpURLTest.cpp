// The zevp string of a place: what the writer puts for each active cursor, and how the reader
// takes strings that come from outside, including random and mangled ones.

#include "space/ZEVZevpURL.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

namespace {

using namespace tallomer;

TEST(ZevpURL, TheWriterPutsTheActiveCursorsPlaceAndTheRangeAroundIt)
{
    ZEVZevpCursors c;
    c.nNow = 1000;
    c.nIn = -3600;
    c.nOut = 60;
    c.sNow = 400;
    c.sIn = -120;
    c.tNow = 990;
    c.rIn = -7200;
    c.rOut = 3600;
    struct Row {
        bool actifNow, siSpace;
        double con, coi, t;
    };
    const Row rows[] = {
        {true, true, 60, -3600, 10},   // the Now context's edges
        {true, false, 1000, 0, 10},    // the Now date
        {false, true, 60, 0, -590},    // the Now context's end, the shift of the Search cursor
        {false, false, 400, -120, -590}, // the Search date and its past
    };
    for (const Row& r : rows) {
        c.actifNow = r.actifNow;
        ZEVZevpPlace p;
        p.siSpace = r.siSpace;
        ZEVZevpPlaceCursors(p, c);
        EXPECT_EQ(p.con, r.con) << r.actifNow << r.siSpace;
        EXPECT_EQ(p.coi, r.coi) << r.actifNow << r.siSpace;
        EXPECT_EQ(p.roi, -7200 - r.t) << r.actifNow << r.siSpace;
        EXPECT_EQ(p.roo, 3600 - r.t) << r.actifNow << r.siSpace;
    }

    ZEVZevpPlace p;
    p.channelInt = 2000018;
    p.siSpace = true;
    p.mode = 3;
    p.objects = {100000007, 100000003, 100000009};
    p.con = 2.5;
    p.coi = -0.001;
    p.roi = 1234567.891;
    p.roo = -4503599627370495.0;
    EXPECT_EQ(ZEVZevpString(p), "zevp://local/2000018?c=now&m=3&o=100000007,100000003,100000009&con=2.50"
                                "&coi=-0.00&roi=1234567.89&roo=-4503599627370495.00");
    p.objects.clear();
    p.siSpace = false;
    EXPECT_EQ(ZEVZevpString(p), "zevp://local/2000018?c=search&m=3&con=2.50&coi=-0.00&roi=1234567.89"
                                "&roo=-4503599627370495.00");

    // What is written is read back.
    p.objects = {5, 6};
    const ZEVZevpReading r = ZEVZevpRead(ZEVZevpString(p));
    ASSERT_FALSE(r.refused);
    EXPECT_EQ(r.channelInt, 2000018u);
    EXPECT_EQ(r.c, "search");
    EXPECT_EQ(r.mode, 3);
    EXPECT_EQ(r.objects, (std::vector<KELId>{5, 6}));
    ASSERT_TRUE(r.cursor);
    EXPECT_EQ(r.cursor->roo, -4503599627370495.0);
}

TEST(ZevpURL, TheReaderRefusesWhatIsNoPlaceAndBoundsWhatItTakes)
{
    const QString place = "zevp://local/2000018?c=now&m=1&con=60.00&coi=-3600.00&roi=-7210.00&roo=3590.00";
    struct Refus {
        QString url;
        const char* why;
    };
    const Refus refus[] = {
        {"http://local/2000018?c=now", "not a zevp URL"},
        {"zevp://desk/2000018?c=now", "host"},
        {"zevp://local?c=now", "no Channel"},
        {"zevp://local/notanid?c=now", "not an id"},
        {"zevp://local/-5?c=now", "not an id"},
        {"zevp://local/0?c=now", "not an id"},
        {"zevp://local/99999999999999999999999?c=now", "not an id"},
        {"zevp://local/20%zz00018", "not a URL"},
        {place + "&x=" + QString(ZEVZevpReading::kMaxLength, u'a'), "longer than"},
        {"zevp://local/2000018?o=" + QString("1,").repeated(ZEVZevpReading::kMaxIds) + "1", "more than"},
    };
    for (const Refus& r : refus) {
        const ZEVZevpReading lu = ZEVZevpRead(r.url);
        EXPECT_TRUE(lu.refused) << r.url.left(80).toStdString();
        EXPECT_TRUE(lu.error.contains(QString::fromLatin1(r.why))) << lu.error.toStdString();
    }
    EXPECT_FALSE(ZEVZevpRead("zevp://local/2000018?o=" + QString("1,").repeated(ZEVZevpReading::kMaxIds - 1) + "1").refused);

    // A Channel without a query is read; what it names is the Space's to judge.
    const ZEVZevpReading seul = ZEVZevpRead("ZEVP://local/2000019");
    EXPECT_FALSE(seul.refused);
    EXPECT_FALSE(seul.hasQuery);
    EXPECT_EQ(seul.channelInt, 2000019u);

    struct Lu {
        QString query;
        QString c;
        int mode;
        std::vector<KELId> objects;
        bool cursor;
    };
    const Lu lus[] = {
        {"c=now&m=1&m=2&con=1&coi=2&roi=3&roo=4", "now", 2, {}, true},  // a later name replaces an earlier one
        {"c=%73earch&junk&m=1&con=1&coi=2&roi=3&roo=4", "search", 1, {}, true},
        {"m=x&c=now", "now", 0, {}, false},
        {"m=1.5", "", 0, {}, false},
        {"m=99999999999", "", 0, {}, false},
        {"o=7,x,-3,,+4,18446744073709551616,0,9", "", 0, {7, 9}, false},
        {"c=now&con=nan&coi=0&roi=0&roo=0", "now", 0, {}, false},
        {"c=now&con=inf&coi=0&roi=0&roo=0", "now", 0, {}, false},
        {"c=now&con=1e300&coi=0&roi=0&roo=0", "now", 0, {}, false},
        {"c=now&con=4503599627370497&coi=0&roi=0&roo=0", "now", 0, {}, false},
        // ±2^52 is the open end and the beginning of time, not a place; a second short of them is.
        {"c=now&con=4503599627370495&coi=-4503599627370495&roi=0&roo=0", "now", 0, {}, true},
        {"c=search&m=1&con=4503599627370496&coi=0&roi=0&roo=0", "search", 1, {}, false},
        {"c=search&con=4503599627370496.00&coi=0&roi=0&roo=0", "search", 0, {}, false},
        {"c=now&con=0&coi=-4503599627370496&roi=0&roo=0", "now", 0, {}, false},
        {"c=now&con=0&coi=0&roi=-4.503599627370496e15&roo=0", "now", 0, {}, false},
        {"c=now&con=0&coi=0&roi=0&roo=4503599627370496", "now", 0, {}, false},
        {"c=now&coi=0&roi=0&roo=0", "now", 0, {}, false},
    };
    for (const Lu& l : lus) {
        const ZEVZevpReading r = ZEVZevpRead("zevp://local/2000018?" + l.query);
        ASSERT_FALSE(r.refused) << l.query.toStdString();
        EXPECT_EQ(r.c, l.c) << l.query.toStdString();
        EXPECT_EQ(r.mode, l.mode) << l.query.toStdString();
        EXPECT_EQ(r.objects, l.objects) << l.query.toStdString();
        EXPECT_EQ(bool(r.cursor), l.cursor) << l.query.toStdString();
    }
}

// Whatever comes in, what is taken is bounded: a Channel id, at most 10,000 non-zero ids, and
// finite numbers strictly within 2^52 for the cursor part.
void verifier(const QString& s, unsigned seed, int i)
{
    const ZEVZevpReading r = ZEVZevpRead(s);
    SCOPED_TRACE("seed " + std::to_string(seed) + ", case " + std::to_string(i));
    if (r.refused) {
        EXPECT_FALSE(r.error.isEmpty());
        return;
    }
    EXPECT_NE(r.channelInt, 0u);
    EXPECT_LE(r.objects.size(), std::size_t(ZEVZevpReading::kMaxIds));
    for (KELId id : r.objects)
        EXPECT_NE(id, 0u);
    if (r.cursor) {
        for (double v : {r.cursor->con, r.cursor->coi, r.cursor->roi, r.cursor->roo})
            EXPECT_TRUE(std::isfinite(v) && std::fabs(v) < ZEVZevpReading::kMaxNumber) << v;
    }
}

TEST(ZevpURL, RandomAndMangledStringsAreReadWithinBounds)
{
    const unsigned seed = std::random_device{}();
    std::printf("zevp reader seed %u\n", seed);
    std::mt19937 gen(seed);
    const QString base = "zevp://local/2000018?c=search&m=0&o=100000001,100000002&con=780000000.00&coi=-3600.00"
                         "&roi=-7200.00&roo=3600.00";
    const QString bouts[] = {"0", "9", "-", ".", "e", "e308", "%", "%2", "%41", "&", "=", ",", "/", "?", "#", "nan",
                             "inf", "c=now", "m=", "o=", "con=", "99999999999999999999", "\xe9", "\xff", " ", ":"};
    std::uniform_int_distribution<int> octet(0, 255);
    for (int i = 0; i < 3000; ++i) {
        // Random bytes, taken as the text a desktop would hand over.
        QByteArray bytes;
        const int n = std::uniform_int_distribution<int>(0, 200)(gen);
        for (int k = 0; k < n; ++k)
            bytes += char(octet(gen));
        verifier(QString::fromUtf8(bytes), seed, i);
        verifier("zevp://local/2000018?" + QString::fromLatin1(bytes), seed, i);

        // A good place, mangled at a few spots.
        QString s = base;
        const int edits = std::uniform_int_distribution<int>(1, 6)(gen);
        for (int k = 0; k < edits; ++k) {
            const int at = std::uniform_int_distribution<int>(0, int(s.size()))(gen);
            const QString& bout = bouts[std::uniform_int_distribution<int>(0, std::size(bouts) - 1)(gen)];
            switch (std::uniform_int_distribution<int>(0, 2)(gen)) {
            case 0:
                s.insert(at, bout);
                break;
            case 1:
                s.remove(at, std::uniform_int_distribution<int>(1, 8)(gen));
                break;
            default:
                s.replace(at, int(bout.size()), bout);
                break;
            }
        }
        verifier(s, seed, i);
    }
}

} // namespace
