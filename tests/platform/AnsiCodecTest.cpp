#include "platform/AnsiCodec.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

TEST(AnsiCodec, EncodesWindows1252AndMarksMissingCharacters)
{
    EXPECT_EQ(toAnsi(u"M\u00fcller;75,43\r\n"_qs), QByteArray("M\xfcller;75,43\r\n"));
    EXPECT_EQ(toAnsi(u"\u20ac \u201e\u201c \u0160 \u0178"_qs), QByteArray("\x80 \x84\x93 \x8a \x9f"));
    EXPECT_EQ(toAnsi(u"\u03a9\u4e2d"_qs), QByteArray("??"));
    // A character outside the basic plane is one character: one "?".
    EXPECT_EQ(toAnsi(u"a\U0001F40Eb"_qs), QByteArray("a?b"));
    // The C1 control U+0080 has no byte of its own: 0x80 is the euro sign.
    EXPECT_EQ(toAnsi(u"\u0080"_qs), QByteArray("?"));
}

TEST(AnsiCodec, EveryByteSurvivesARoundTrip)
{
    QByteArray all;
    for (int byte = 1; byte < 256; ++byte)
        all.append(char(byte));
    // Not valid UTF-8, so it is read as Windows-1252.
    const QString text = fromAnsi(all);
    EXPECT_EQ(text.at(0x80 - 1), QChar(0x20AC));
    EXPECT_EQ(text.at(0xE4 - 1), QChar(0xE4));
    EXPECT_EQ(toAnsi(text), all);
}

TEST(AnsiCodec, ReadsUtf8WhenTheBytesAreUtf8)
{
    EXPECT_EQ(fromAnsi(QByteArray("\xef\xbb\xbfNr.;Name")), u"Nr.;Name"_qs) << "the mark is dropped";
    EXPECT_EQ(fromAnsi(QByteArray("M\xc3\xbcller")), u"M\u00fcller"_qs);
    // Invalid UTF-8 is Windows-1252: here two characters.
    EXPECT_EQ(fromAnsi(QByteArray("M\xc3\x28")), u"M\u00c3("_qs);
    EXPECT_EQ(fromAnsi(QByteArray("M\xfcller")), u"M\u00fcller"_qs);
    EXPECT_EQ(fromAnsi(QByteArray("plain")), u"plain"_qs);
    EXPECT_EQ(fromAnsi(QByteArray()), QString());
}
