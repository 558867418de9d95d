#include "platform/KeyLayout.h"
#include "runtime/Log.h"

#include <QList>

#include <gtest/gtest.h>

using namespace tallomer;
using Key = KeyLayout::Key;

namespace {

KeyLayout layout(const char* name, const char* variant = "", int group = 0)
{
    KeyLayout l;
    EXPECT_TRUE(l.load({{}, {}, QString::fromLatin1(name), QString::fromLatin1(variant), {}}, group)) << name;
    return l;
}

Key key(const char* text, int qtKey) { return {QString::fromUtf8(text), qtKey, false}; }

} // namespace

TEST(KeyLayout, UsKeysAreTheirCharactersAndQtKeys)
{
    const KeyLayout us = layout("us");
    EXPECT_EQ(us.key(0), key("a", Qt::Key_A));
    EXPECT_EQ(us.key(6), key("z", Qt::Key_Z));
    EXPECT_EQ(us.key(18), key("1", Qt::Key_1));
    EXPECT_EQ(us.key(22), key("6", Qt::Key_6)); // the row's codes run out of digit order
    EXPECT_EQ(us.key(23), key("5", Qt::Key_5));
    EXPECT_EQ(us.key(44), key("/", Qt::Key_Slash));
    EXPECT_EQ(us.key(39), key("'", Qt::Key_Apostrophe));
    EXPECT_EQ(us.key(48), key("\t", Qt::Key_Tab));
    EXPECT_EQ(us.key(49), key(" ", Qt::Key_Space));
    EXPECT_EQ(us.key(10), key("`", Qt::Key_QuoteLeft));
    // Off the table, or nothing there.
    EXPECT_TRUE(us.key(-1).isNull());
    EXPECT_TRUE(us.key(200).isNull());
    EXPECT_TRUE(KeyLayout().key(0).isNull());
}

TEST(KeyLayout, GermanKeysFollowTheirPlace)
{
    const KeyLayout de = layout("de");
    EXPECT_EQ(de.key(6), key("y", Qt::Key_Y)); // where US has Z
    EXPECT_EQ(de.key(16), key("z", Qt::Key_Z));
    EXPECT_EQ(de.key(27), key("ß", Qt::Key_ssharp)); // right of the 0
    EXPECT_EQ(de.key(41), key("ö", Qt::Key_Odiaeresis));
    EXPECT_EQ(de.key(48), key("\t", Qt::Key_Tab));
    // Dead keys give their accent and the dead key's Qt key, not nothing.
    EXPECT_EQ(de.key(10), (Key{"^", Qt::Key_Dead_Circumflex, true}));
    EXPECT_EQ(de.key(24), (Key{QString::fromUtf8("´"), Qt::Key_Dead_Acute, true}));
}

TEST(KeyLayout, FrenchNumberRowGivesItsOwnCharacters)
{
    const KeyLayout fr = layout("fr");
    const char* row[] = {"&", "é", "\"", "'", "(", "-", "è", "_", "ç", "à"};
    const int codes[] = {18, 19, 20, 21, 23, 22, 26, 28, 25, 29}; // the keys 1 to 0, in place order
    const int qtKeys[] = {Qt::Key_Ampersand, Qt::Key_Eacute, Qt::Key_QuoteDbl,   Qt::Key_Apostrophe, Qt::Key_ParenLeft,
                          Qt::Key_Minus,     Qt::Key_Egrave, Qt::Key_Underscore, Qt::Key_Ccedilla,   Qt::Key_Agrave};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(fr.key(codes[i]), key(row[i], qtKeys[i])) << i;
    EXPECT_EQ(fr.key(0), key("q", Qt::Key_Q)); // AZERTY
    EXPECT_EQ(fr.key(33), (Key{"^", Qt::Key_Dead_Circumflex, true}));
}

TEST(KeyLayout, ACharacterBeyondTheBmpIsKeptWhole)
{
    const KeyLayout avestan = layout("ir", "ave");
    const Key a = avestan.key(0);
    EXPECT_EQ(a.text.size(), 2);
    EXPECT_EQ(a.text.toUcs4(), QList<uint>{0x10B00});
    EXPECT_EQ(a.qtKey, 0x10B00);
}

TEST(KeyLayout, TheGroupChoosesTheLayoutAndAFailedLoadKeepsTheKeys)
{
    KeyLayout l = layout("us,de", "", 1);
    EXPECT_EQ(l.key(6), key("y", Qt::Key_Y));
    ScopedLogCapture log;
    EXPECT_FALSE(l.load({{}, {}, "us", {}, {}}, 3)); // no such group
    EXPECT_FALSE(l.load({{}, {}, "no-such-layout", {}, {}}));
    EXPECT_TRUE(log.sink.contains("no keymap for layout \"no-such-layout\""));
    EXPECT_TRUE(l.isValid());
    EXPECT_EQ(l.key(6), key("y", Qt::Key_Y));
    ASSERT_TRUE(l.load({{}, {}, "us,de", {}, {}}, 0));
    EXPECT_EQ(l.key(6), key("z", Qt::Key_Z));
}

TEST(KeyLayout, ReloadWithoutADisplayReadsTheDefaultNames)
{
    // The test runs offscreen: the names come from the environment, else "us".
    qputenv("XKB_DEFAULT_LAYOUT", "de");
    KeyLayout l;
    EXPECT_TRUE(l.reload());
    EXPECT_EQ(l.key(6).text, "y");
    // Names that make no keymap keep the one there is.
    qputenv("XKB_DEFAULT_LAYOUT", "no-such-layout");
    ScopedLogCapture log;
    EXPECT_FALSE(l.reload());
    EXPECT_EQ(l.key(6).text, "y");
    // With nothing to keep, "us".
    KeyLayout fresh;
    EXPECT_TRUE(fresh.reload());
    EXPECT_EQ(fresh.key(6).text, "z");
    qunsetenv("XKB_DEFAULT_LAYOUT");
}
