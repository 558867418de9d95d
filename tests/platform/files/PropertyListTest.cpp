// XML property lists as the program's own tables are written, and the files that are refused. The
// program's calendar table itself is read by the time axis' tests.

#include "platform/files/PropertyList.h"

#include "tests/platform/PlatformFixture.h"

#include <QVariantList>
#include <QVariantMap>

using namespace tallomer;

namespace {

QByteArray plist(const QByteArray& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- a comment -->\n<plist version=\"1.0\">" + body +
           "</plist>";
}

} // namespace

TEST(PropertyList, ReadsEveryKindOfValueOfATable)
{
    const PropertyListRead r = parsePropertyList(plist(
        "<dict><key>units</key><array><dict><key>name</key><string>day</string>"
        "<key>length</key><real>86400.5</real><key>cycles</key><array><integer>-7</integer><integer>0</integer></array>"
        "<key>on</key><true/><key>off</key><false/><key>empty</key><array/><key>text</key><string>a &amp; b</string>"
        "</dict></array></dict>"));
    ASSERT_TRUE(r) << r.error.toStdString();
    const QVariantMap unit = r.value->toMap().value("units").toList().value(0).toMap();
    EXPECT_EQ(unit.value("name"), QVariant(QStringLiteral("day")));
    EXPECT_EQ(unit.value("length").toDouble(), 86400.5);
    EXPECT_EQ(unit.value("cycles").toList(), (QVariantList{qlonglong(-7), qlonglong(0)}));
    EXPECT_EQ(unit.value("cycles").toList().value(0).typeId(), QMetaType::LongLong);
    EXPECT_EQ(unit.value("on"), QVariant(true));
    EXPECT_EQ(unit.value("off"), QVariant(false));
    EXPECT_TRUE(unit.value("empty").toList().isEmpty());
    EXPECT_EQ(unit.value("text").toString(), QStringLiteral("a & b"));
}

TEST(PropertyList, RefusesWhatIsNotOneWellFormedList)
{
    QByteArray deep = "<array>";
    for (int i = 0; i < 40; ++i)
        deep = "<array>" + deep + "</array>";
    deep += "</array>";
    const struct {
        const char* name;
        QByteArray data;
    } cases[] = {
        {"empty", ""},
        {"not a plist", "<html><body/></html>"},
        {"an empty plist", plist("")},
        {"a key without its value", plist("<dict><key>a</key></dict>")},
        {"a value without its key", plist("<dict><string>a</string></dict>")},
        {"a date", plist("<date>2024-01-01T00:00:00Z</date>")},
        {"a bad integer", plist("<integer>12a</integer>")},
        {"a bad real", plist("<real>x</real>")},
        {"two roots", plist("<string>a</string><string>b</string>")},
        {"unclosed", "<plist version=\"1.0\"><dict><key>a</key><string>b</string>"},
        {"nested without end", plist(deep)},
        {"too large", QByteArray(kMaxPropertyListBytes + 1, ' ')},
    };
    for (const auto& c : cases) {
        const PropertyListRead r = parsePropertyList(c.data);
        EXPECT_FALSE(r) << c.name;
        EXPECT_FALSE(r.error.isEmpty()) << c.name;
    }
}
