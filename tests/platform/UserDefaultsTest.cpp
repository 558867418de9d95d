#include "platform/Keys.h"
#include "platform/UserDefaults.h"
#include "tests/platform/PlatformFixture.h"

using namespace tallomer;

namespace {

QString freshFile() { return test::tempFolder("defaults") + QStringLiteral("/Tallomer.conf"); }

// Records each call of an observer as "key=value".
DefaultsObserver recorder(QStringList& seen)
{
    return [&seen](const QString& k, const QVariant& v) { seen << k + '=' + v.toString(); };
}

} // namespace

TEST(UserDefaults, WrittenValuesComeBackInTheRegisteredTypeAndRegisteredOnesAreNeverWritten)
{
    // The standard file follows XDG_CONFIG_HOME, which keeps it in the test home.
    EXPECT_EQ(UserDefaults::standard().fileName(),
              QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/Tallomer/Tallomer.conf"));

    const QString path = freshFile();
    const QVariantMap registered{{"ZEVInspectFileW", 420.0}, {"ZEVShowToolbar", true}, {"ZEVHideRuler", false}};
    const QVariantMap frame{{"width", 1200.0}, {"xRatio", 0.25}, {"yRatio", 0.5}};
    {
        UserDefaults d(path);
        d.registerDefaults(registered);
        EXPECT_FALSE(d.value("ZEVNeverSeen").isValid());
        d.setValue("ZEVInspectFileW", 512.5);
        d.setValue("ZEVShowToolbar", false);
        d.setValue("ZEVSpaceWindow", frame);
    }
    EXPECT_FALSE(test::readFile(path).contains("ZEVHideRuler"));

    // The file keeps numbers and booleans as text; equality of QVariants would convert.
    UserDefaults d(path);
    d.registerDefaults(registered);
    EXPECT_EQ(d.value("ZEVInspectFileW").metaType(), QMetaType::fromType<double>());
    EXPECT_DOUBLE_EQ(d.value("ZEVInspectFileW").toDouble(), 512.5);
    EXPECT_EQ(d.value("ZEVShowToolbar").metaType(), QMetaType::fromType<bool>());
    EXPECT_EQ(d.value("ZEVShowToolbar"), QVariant(false));
    EXPECT_EQ(d.value("ZEVSpaceWindow").toMap(), frame);

    // Removing the written value brings the registered one back.
    d.remove("ZEVShowToolbar");
    EXPECT_EQ(d.value("ZEVShowToolbar"), QVariant(true));

    // A value written on first read stays; a registered value counts as a value: nothing is written.
    EXPECT_EQ(d.valueWritingDefault("ZEVGotoChangeFiles", true), QVariant(true));
    EXPECT_EQ(d.valueWritingDefault("ZEVGotoChangeFiles", false), QVariant(true));
    EXPECT_EQ(d.valueWritingDefault("ZEVShowToolbar", false), QVariant(true));
    EXPECT_FALSE(d.isWritten("ZEVShowToolbar"));
    d.sync();
    EXPECT_EQ(UserDefaults(path).valueWritingDefault("ZEVGotoChangeFiles", false), QVariant(true));
}

TEST(UserDefaults, ObserversAreToldOncePerChangeUntilUnobservedAndMayWriteOrLeaveWhileBeingTold)
{
    UserDefaults d(freshFile());
    QStringList seen, other;
    const DefaultsToken token = d.observe("ZEVShowRuler", recorder(seen));
    d.observe("ZEVShowTracks", recorder(other));
    EXPECT_NE(token, 0u);

    d.setValue("ZEVShowRuler", false);
    d.setValue("ZEVShowRuler", false); // no change, no call
    d.registerDefaults({{"ZEVShowRuler", true}}); // the written value still wins: no change
    d.remove("ZEVShowRuler"); // back to the registered true
    d.remove("ZEVShowRuler"); // nothing written any more
    EXPECT_EQ(seen, (QStringList{"ZEVShowRuler=false", "ZEVShowRuler=true"}));

    d.unobserve(token);
    d.unobserve(token); // twice is harmless
    d.setValue("ZEVShowRuler", false);
    EXPECT_EQ(seen.size(), 2);
    EXPECT_TRUE(other.isEmpty());

    int writerCalls = 0, onceCalls = 0;
    QStringList later;
    // Clamps its own key: writing inside the call must not recurse forever.
    d.observe("ZEVInspectFileH", [&](const QString& k, const QVariant& v) {
        ++writerCalls;
        if (v.toDouble() < 83.0)
            d.setValue(k, 83.0);
    });
    const DefaultsToken once = d.observe("ZEVInspectFileH", [&](const QString&, const QVariant&) {
        ++onceCalls;
        d.unobserve(once);
    });
    d.observe("ZEVInspectFileH", recorder(later));

    d.setValue("ZEVInspectFileH", 10.0);
    EXPECT_EQ(d.value("ZEVInspectFileH").toDouble(), 83.0);
    EXPECT_EQ(writerCalls, 2); // 10, then its own 83
    EXPECT_FALSE(later.isEmpty()) << "an observer after one that left was skipped";
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
    // Written, answered in the initial value's type (the second class's).
    EXPECT_EQ(c.values("ZEVInspectFileW").metaType(), QMetaType::fromType<float>());
    EXPECT_FLOAT_EQ(c.values("ZEVInspectFileW").toFloat(), 555.0f);
    EXPECT_FALSE(d.value("ZEVShowMacMenu").isValid()) << "the defaults answer no initial values";

    QStringList seen, none;
    const DefaultsToken token = c.observe("ZEVShowMacMenu", recorder(seen));
    c.setValue("ZEVShowMacMenu", true); // same as the initial value: no change
    c.setValue("ZEVShowMacMenu", false);
    d.remove("ZEVShowMacMenu"); // back to the initial value, seen through the controller
    c.setInitialValues({{"ZEVShowMacMenu", false}});
    EXPECT_EQ(seen, (QStringList{"ZEVShowMacMenu=false", "ZEVShowMacMenu=true", "ZEVShowMacMenu=false"}));

    c.unobserve(token);
    c.setValue("ZEVShowMacMenu", true);
    EXPECT_EQ(seen.size(), 3);

    // A dying controller leaves no observer behind to call into.
    UserDefaultsController(d).observe("ZEVShowRuler", recorder(none));
    d.setValue("ZEVShowRuler", false);
    EXPECT_TRUE(none.isEmpty());
}

// Command is Ctrl, Option is Alt and Control is Meta (the Super key); other bits are dropped.
TEST(Keys, ModifierFlagsAndQtModifiersMapBothWays)
{
    using namespace tallomer::keys;
    EXPECT_EQ(flagsFromModifiers(Qt::ControlModifier | Qt::KeypadModifier), kCommandFlag);
    EXPECT_EQ(flagsFromModifiers(Qt::AltModifier), kOptionFlag);
    EXPECT_EQ(modifiersFromFlags(kControlFlag | kShiftFlag | 0x1u), Qt::MetaModifier | Qt::ShiftModifier);
}
