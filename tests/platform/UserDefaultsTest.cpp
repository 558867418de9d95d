#include "platform/Keys.h"
#include "platform/UserDefaults.h"
#include "tests/platform/PlatformFixture.h"

#include <vector>

using namespace tallomer;
using test::readFile;

namespace {

QString freshFile() { return test::tempFolder("defaults") + QStringLiteral("/Tallomer.conf"); }

struct Change {
    QString key;
    QVariant value;
};

} // namespace

TEST(UserDefaults, StandardFileLivesUnderTheConfigHome)
{
    const QString expected =
        QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/Tallomer/Tallomer.conf");
    EXPECT_EQ(UserDefaults::standard().fileName(), expected);
    EXPECT_TRUE(expected.startsWith(QString::fromStdString(test::testHome())));
}

TEST(UserDefaults, WrittenValuesComeBackInTheRegisteredTypeAndRegisteredOnesAreNeverWritten)
{
    const QString path = freshFile();
    const QVariantMap registered{
        {"ZEVInspectFileW", 420.0}, {"ZEVShowToolbar", true}, {"ZEVHideRulerWhenSearch", false}};
    const QVariantMap frame{{"width", 1200.0}, {"xRatio", 0.25}, {"yRatio", 0.5}};
    {
        UserDefaults d(path);
        d.registerDefaults(registered);
        EXPECT_EQ(d.value("ZEVHideRulerWhenSearch"), QVariant(false));
        EXPECT_EQ(d.value("ZEVInspectFileW").toDouble(), 420.0);
        EXPECT_FALSE(d.isWritten("ZEVInspectFileW"));
        EXPECT_FALSE(d.value("ZEVNeverSeen").isValid());
        d.setValue("ZEVInspectFileW", 512.5);
        d.setValue("ZEVShowToolbar", false);
        d.setValue("ZEVSpaceWindow", frame);
        d.sync();
    }
    EXPECT_TRUE(readFile(path).contains("ZEVShowToolbar"));
    EXPECT_FALSE(readFile(path).contains("ZEVHideRulerWhenSearch"));
    EXPECT_FALSE(UserDefaults(path).value("ZEVHideRulerWhenSearch").isValid());

    // The file keeps numbers and booleans as text.
    UserDefaults d(path);
    d.registerDefaults(registered);
    const QVariant w = d.value("ZEVInspectFileW");
    EXPECT_EQ(w.metaType(), QMetaType::fromType<double>());
    EXPECT_DOUBLE_EQ(w.toDouble(), 512.5);
    const QVariant shown = d.value("ZEVShowToolbar");
    EXPECT_EQ(shown.metaType(), QMetaType::fromType<bool>());
    EXPECT_EQ(shown, QVariant(false));
    EXPECT_EQ(d.value("ZEVSpaceWindow").toMap(), frame);

    // Removing the written value brings the registered one back.
    d.remove("ZEVShowToolbar");
    EXPECT_EQ(d.value("ZEVShowToolbar"), QVariant(true));
    EXPECT_FALSE(d.isWritten("ZEVShowToolbar"));
}

TEST(UserDefaults, ValueWritingDefaultWritesOnFirstReadOnly)
{
    const QString path = freshFile();
    {
        UserDefaults d(path);
        EXPECT_EQ(d.valueWritingDefault("ZEVGotoChangeFiles", true), QVariant(true));
        EXPECT_TRUE(d.isWritten("ZEVGotoChangeFiles"));
        // Once written, a later default does not replace it.
        EXPECT_EQ(d.valueWritingDefault("ZEVGotoChangeFiles", false), QVariant(true));

        // A registered value counts as a value: nothing is written for it.
        d.registerDefaults({{"ZEVShowRuler", true}});
        EXPECT_EQ(d.valueWritingDefault("ZEVShowRuler", false), QVariant(true));
        EXPECT_FALSE(d.isWritten("ZEVShowRuler"));
    }
    UserDefaults again(path);
    EXPECT_EQ(again.valueWritingDefault("ZEVGotoChangeFiles", false), QVariant(true));
}

TEST(UserDefaults, ObserversAreToldOncePerChangeUntilUnobserved)
{
    UserDefaults d(freshFile());
    std::vector<Change> seen;
    int otherKey = 0;
    const DefaultsToken token =
        d.observe("ZEVShowRuler", [&](const QString& k, const QVariant& v) { seen.push_back({k, v}); });
    d.observe("ZEVShowTracks", [&](const QString&, const QVariant&) { ++otherKey; });
    EXPECT_NE(token, 0u);

    d.setValue("ZEVShowRuler", false);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].key, QStringLiteral("ZEVShowRuler"));
    EXPECT_EQ(seen[0].value.toBool(), false);
    d.setValue("ZEVShowRuler", false); // no change, no call
    d.registerDefaults({{"ZEVShowRuler", true}}); // the written value still wins: no change
    EXPECT_EQ(seen.size(), 1u);

    d.remove("ZEVShowRuler"); // back to the registered true
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].value, QVariant(true));
    d.remove("ZEVShowRuler"); // nothing written any more
    EXPECT_EQ(seen.size(), 2u);

    d.unobserve(token);
    d.setValue("ZEVShowRuler", false);
    EXPECT_EQ(seen.size(), 2u);
    d.unobserve(token); // twice is harmless
    EXPECT_EQ(otherKey, 0);
}

TEST(UserDefaults, ObserversMayWriteAndUnobserveWhileBeingTold)
{
    UserDefaults d(freshFile());
    int writerCalls = 0, onceCalls = 0, laterCalls = 0;
    // Clamps its own key: writing inside the call must not recurse forever.
    d.observe("ZEVInspectFileH", [&](const QString& k, const QVariant& v) {
        ++writerCalls;
        if (v.toDouble() < 83.0)
            d.setValue(k, 83.0);
    });
    DefaultsToken once = 0;
    once = d.observe("ZEVInspectFileH", [&](const QString&, const QVariant&) {
        ++onceCalls;
        d.unobserve(once);
    });
    d.observe("ZEVInspectFileH", [&](const QString&, const QVariant&) { ++laterCalls; });

    d.setValue("ZEVInspectFileH", 10.0);
    EXPECT_EQ(d.value("ZEVInspectFileH").toDouble(), 83.0);
    EXPECT_EQ(writerCalls, 2); // 10, then its own 83
    EXPECT_EQ(onceCalls, 1);
    EXPECT_GE(laterCalls, 1);
    d.setValue("ZEVInspectFileH", 300.0);
    EXPECT_EQ(onceCalls, 1);
}

TEST(UserDefaultsController, InitialValuesAreAnsweredObservedAndNeverWritten)
{
    const QString path = freshFile();
    UserDefaults(path).setValue("ZEVInspectFileW", 555.0);
    UserDefaults d(path);
    UserDefaultsController c(d);
    c.setInitialValues({{"ZEVShowMacMenu", true}, {"ZEVShowZevMenu", false}});
    // A second class adds its own keys; the first class's keys stay.
    c.setInitialValues({{"ZEVInspectFileX", 400.0}, {"ZEVInspectFileW", 420.0f}});
    EXPECT_EQ(c.values("ZEVShowMacMenu"), QVariant(true));
    EXPECT_EQ(c.values("ZEVInspectFileX").toDouble(), 400.0);
    const QVariant w = c.values("ZEVInspectFileW"); // written, answered in the initial value's type
    EXPECT_EQ(w.metaType(), QMetaType::fromType<float>());
    EXPECT_FLOAT_EQ(w.toFloat(), 555.0f);
    EXPECT_FALSE(c.values("ZEVFullScreen").isValid());
    EXPECT_FALSE(d.value("ZEVShowMacMenu").isValid()) << "the defaults answer no initial values";

    std::vector<Change> seen;
    const DefaultsToken token =
        c.observe("ZEVShowMacMenu", [&](const QString& k, const QVariant& v) { seen.push_back({k, v}); });
    c.setValue("ZEVShowMacMenu", true); // same as the initial value: no change
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(d.isWritten("ZEVShowMacMenu"));

    c.setValue("ZEVShowMacMenu", false);
    d.remove("ZEVShowMacMenu"); // back to the initial value, seen through the controller
    c.setInitialValues({{"ZEVShowMacMenu", false}});
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].value, QVariant(false));
    EXPECT_EQ(seen[1].value, QVariant(true));
    EXPECT_EQ(seen[2].value, QVariant(false));

    c.unobserve(token);
    c.setValue("ZEVShowMacMenu", true);
    EXPECT_EQ(seen.size(), 3u);
    d.sync();
    const QByteArray text = readFile(path);
    EXPECT_FALSE(text.contains("ZEVInspectFileX"));
    EXPECT_FALSE(text.contains("ZEVShowZevMenu"));
}

TEST(UserDefaultsController, DyingControllerLeavesNoObserverBehind)
{
    UserDefaults d(freshFile());
    int calls = 0;
    UserDefaultsController(d).observe("ZEVShowRuler", [&](const QString&, const QVariant&) { ++calls; });
    d.setValue("ZEVShowRuler", false); // would call into a dead controller
    EXPECT_EQ(calls, 0);
}

TEST(Keys, CommandIsCtrlOptionAltControlMetaAndOtherBitsAreDropped)
{
    using namespace tallomer::keys;
    EXPECT_EQ(flagsFromModifiers(Qt::ControlModifier), kCommandFlag);
    EXPECT_EQ(flagsFromModifiers(Qt::AltModifier), kOptionFlag);
    EXPECT_EQ(flagsFromModifiers(Qt::MetaModifier), kControlFlag);
    EXPECT_EQ(flagsFromModifiers(Qt::ShiftModifier | Qt::KeypadModifier), kShiftFlag);
    const std::uint32_t all = kCommandFlag | kOptionFlag | kControlFlag | kShiftFlag;
    EXPECT_EQ(flagsFromModifiers(modifiersFromFlags(all)), all);
    EXPECT_EQ(modifiersFromFlags(kCommandFlag | 0x1u), Qt::KeyboardModifiers(Qt::ControlModifier));
}
