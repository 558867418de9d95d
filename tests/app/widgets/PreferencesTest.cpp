#include "app/widgets/ZEVPreferencesController.h"
#include "app/widgets/ZEVStringAdditions.h"

#include <QCheckBox>
#include <QMap>

#include <gtest/gtest.h>

using tallomer::ZEVPreferencesController;

TEST(Preferences, BoxesShowStoredValuesElseFallbacksAndLoadingWritesNothing)
{
    QMap<QString, QVariant> store{{"ZEVShowObjectAnimation", false}, {"ZEVShowZevMenu", QString("true")}};
    int writes = 0;
    ZEVPreferencesController prefs([&](const QString& k) { return store.value(k); },
                                   [&](const QString& k, const QVariant& v) {
                                       ++writes;
                                       store[k] = v;
                                   });
    prefs.window();
    EXPECT_FALSE(prefs.showAnimation()->isChecked()); // stored off beats the "on" fallback
    EXPECT_TRUE(prefs.keepTimebar()->isChecked());    // stored on beats the "off" fallback
    // Fallbacks of the keys without a value.
    EXPECT_FALSE(prefs.hideTitle()->isChecked());
    EXPECT_TRUE(prefs.keepTimeline()->isChecked());
    EXPECT_TRUE(prefs.keepTracks()->isChecked());
    EXPECT_TRUE(prefs.keepToolbar()->isChecked());
    EXPECT_TRUE(prefs.showRulerWhenSearch()->isChecked());
    EXPECT_FALSE(prefs.showApps()->isChecked());
    EXPECT_EQ(writes, 0);

    prefs.hideTitle()->click();
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(store.value("ZEVHideObjectTitle"), QVariant(true));
}

TEST(StringAdditions, MenuTitlesAreCutWithAnEllipsis)
{
    using tallomer::stringMenuForString;
    EXPECT_EQ(stringMenuForString("0123456789", 10), QString("012345678…"));
    EXPECT_EQ(stringMenuForString("0123456789", 11), QString("0123456789"));
    EXPECT_EQ(stringMenuForString("abc", 1), QString("…"));
    EXPECT_EQ(stringMenuForString("abc", 0), QString("…")); // never a negative length
    EXPECT_EQ(stringMenuForString("", 0), QString(""));
}

TEST(StringAdditions, UrlsCompareByLastPathComponent)
{
    using tallomer::compareLastPathComponent;
    EXPECT_LT(compareLastPathComponent(QUrl("file:///z/Alpha.desktop"), QUrl("file:///a/Beta.desktop")), 0);
    EXPECT_EQ(compareLastPathComponent(QUrl("file:///x/App/"), QUrl("file:///y/App")), 0);
}
