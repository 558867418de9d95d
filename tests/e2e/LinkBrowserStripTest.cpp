// The date strip of a browser window in the running program: started on the word model at the
// Search cursor, each column shows the cursor's window under its titles as hours in the past
// colour, follows a wider window, and turns to the future colour once the Search window is moved
// to tomorrow and the column has reloaded. Read as pixels from a grab of the window, with the
// zone pinned.

#include "tests/e2e/E2EFixture.h"

#include "browser/GUIRulerView.h"
#include "browser/KELVueController.h"
#include "browser/KELVueDe.h"
#include "app/KELApplication.h"
#include "look/KELSharedResources.h"
#include "engine/KELICurseur.h"
#include "platform/CalendarDate.h"
#include "tests/support/TimeZone.h"

#include <QImage>

#include <cmath>

namespace e2e {
namespace {

using tallomer::test::ScopedTimeZone;

class LinkBrowserStrip : public E2E {
protected:
    void SetUp() override
    {
        if (!ScopedTimeZone::installed("Europe/Berlin"))
            GTEST_SKIP() << "Europe/Berlin is not installed (package tzdata)";
        zone = std::make_unique<ScopedTimeZone>("Europe/Berlin");
        E2E::SetUp();
    }
    void TearDown() override
    {
        if (zone)
            E2E::TearDown();
    }

    // The local date `days` days from today at that time.
    KELDate jour(int days, int h, int mi) const
    {
        const auto today = CalendarDate::fromDate(clock.now());
        return CalendarDate::fromFields(today->year(), today->month(), today->day() + days, h, mi)->date();
    }

    // Puts the cursor's window on [in, out] through the link base.
    static void fenetre(KELICurseur* c, KELDate in, KELDate out)
    {
        c->initierDeplacementCurseur();
        c->decalerCurseur((in + out) / 2 - c->now());
        c->terminerDeplacementCurseur();
        c->decalerContexteIn(in - c->nowIn());
        c->decalerContexteOut(out - c->nowOut());
    }

    // The strip as the window shows it.
    static QImage stripPixels(KELVueController* w, GUIRulerViewLine* strip)
    {
        const QImage window = w->grab().toImage();
        return window.copy(QRect(strip->mapTo(w, QPoint(0, 0)), strip->size()));
    }

    static double share(const QImage& image, int y, const QColor& c)
    {
        int n = 0;
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y).rgb() == c.rgb() ? 1 : 0;
        return double(n) / image.width();
    }

    // A tick longer than 8 points rises from the bottom within a point of x.
    bool tickNear(const QImage& image, double x, const QColor& ink)
    {
        for (int px = int(std::floor(x)) - 1; px <= int(std::floor(x)) + 1; ++px) {
            bool whole = px >= 0 && px < image.width();
            for (int y = image.height() - 1; whole && y >= image.height() - 9; --y)
                whole = image.pixelColor(px, y).rgb() == ink.rgb();
            if (whole)
                return true;
        }
        return false;
    }

    // Dark title pixels in the top of the strip within 20 points of x.
    static bool titleAbove(const QImage& image, double x)
    {
        for (int y = 0; y < 13; ++y)
            for (int px = std::max(0, int(x) - 20); px < std::min(image.width(), int(x) + 20); ++px)
                if (qGray(image.pixel(px, y)) < 100)
                    return true;
        return false;
    }

    void expectHoursAtTheQuarters(KELVueController* w, GUIRulerViewLine* strip, const char* when)
    {
        const QImage image = stripPixels(w, strip);
        const double W = image.width();
        ASSERT_GT(W, 100) << when;
        const QColor ink = app()->resources().rulerTexteColor();
        // Above the Search view's band, which lies along the bottom 10 points.
        EXPECT_GT(share(image, image.height() - 12, app()->resources().passeColor()), 0.85) << when;
        EXPECT_GT(share(image, 0, app()->resources().passeColor()), 0.85) << when;
        for (double q : {0.25, 0.75}) {
            EXPECT_TRUE(tickNear(image, q * (W - 1), ink)) << when << ": no tick at " << q << " of " << W;
            EXPECT_TRUE(titleAbove(image, q * (W - 1))) << when << ": no title at " << q;
        }
    }

    std::unique_ptr<ScopedTimeZone> zone;
};

TEST_F(LinkBrowserStrip, TheStripShowsTheSearchWindowsHoursInThePastFollowsTheWidthAndTurnsToTheFuture)
{
    start({QStringLiteral("--link-browser"), QStringLiteral("3"), QStringLiteral("--cursor"),
           QStringLiteral("2000094")});
    ASSERT_EQ(KELVueController::ouvertes().size(), 1u);
    KELVueController* w = KELVueController::ouvertes().front();
    KELVueDe* column = w->premiereVue();
    ASSERT_NE(column, nullptr);
    KELICurseur* search = space()->searchCurseur();
    ASSERT_EQ(column->curseur(), search);
    GUIRulerViewLine* strip = column->rulerViewLine();
    ASSERT_NE(strip, nullptr);
    EXPECT_TRUE(strip->isVisible());
    // Under the column titles.
    EXPECT_EQ(strip->parentWidget(), column->headerView());
    EXPECT_EQ(strip->y(), int(column->headerView()->hauteurHeader()));

    fenetre(search, jour(-1, 10, 30), jour(-1, 12, 30));
    ASSERT_NEAR(search->nowIn(), jour(-1, 10, 30), 1);
    ASSERT_NEAR(search->nowOut(), jour(-1, 12, 30), 1);
    advance(2.0);
    // The Search cursor runs with the clock; the last reload was a moment ago.
    EXPECT_NEAR(column->ruler()->inDate(), search->nowIn(), 0.5) << "the reload put the ruler on the window";
    expectHoursAtTheQuarters(w, strip, "yesterday");
    EXPECT_NEAR(column->rulerRatio(), 7200.0 / strip->width(), 1.0);

    // Widened as the window manager would: the strip follows, and so do the hours.
    const int before = strip->width();
    w->resize(w->width() + 240, w->height());
    pump();
    EXPECT_EQ(strip->width(), before + 240);
    expectHoursAtTheQuarters(w, strip, "wider");

    // The Search window moved to tomorrow: after the next reload the strip is in the future.
    fenetre(search, jour(1, 10, 30), jour(1, 12, 30));
    advance(2.0);
    const QImage image = stripPixels(w, strip);
    EXPECT_GT(share(image, image.height() - 12, app()->resources().futurColor()), 0.85);
    EXPECT_EQ(share(image, image.height() - 12, app()->resources().passeColor()), 0.0);
}

} // namespace
} // namespace e2e
