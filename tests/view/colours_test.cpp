#include "view/colours.h"

#include "view/userfolder.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trevok;

namespace
{

// Each test gets an empty user folder of its own.
struct UserFolderFixture : ::testing::Test {
    QTemporaryDir dir;
    QByteArray oldHome;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        oldHome = qgetenv("TREVOK_HOME");
        qputenv("TREVOK_HOME", dir.path().toUtf8());
    }
    void TearDown() override { qputenv("TREVOK_HOME", oldHome); }

    void writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

QByteArray le32(std::uint32_t v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return b;
}

} // namespace

TEST(ColourValues, RedIsInTheLowByte)
{
    EXPECT_EQ(Rgb(1, 2, 3), 0x030201u);
    const ColourScheme s = ColourScheme::Standard();
    EXPECT_EQ(s[ColourK1], 0xFF0000u); // blue
    EXPECT_EQ(s[ColourB1], 0x0000FFu); // red
    EXPECT_EQ(s[ColourB2], Rgb(225, 215, 4));
    EXPECT_EQ(s.qcolor(ColourK2), QColor(0, 186, 0));
    EXPECT_EQ(FromQColor(QColor(225, 215, 4)), Rgb(225, 215, 4));
}

TEST_F(UserFolderFixture, SchemeFileRoundTripIsThirtySixLittleEndianBytes)
{
    ColourScheme s;
    for (int i = 0; i < SchemeColourCount; ++i)
        s[i] = Rgb(10 * i, 20 + i, 200 - i);
    ASSERT_TRUE(SaveColourScheme(2, s));
    QFile f(dir.filePath(QStringLiteral("C_USER2.DAT")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_EQ(bytes.size(), 36);
    EXPECT_EQ(bytes.mid(4, 4), le32(Rgb(10, 21, 199)));
    EXPECT_EQ(LoadColourScheme(2), s);
    EXPECT_FALSE(SaveColourScheme(0, s)); // the Standard scheme is fixed
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("C_USER0.DAT"))));
}

TEST_F(UserFolderFixture, NegativeValuesReadAsBlackOthersAsStored)
{
    QByteArray bytes;
    for (int i = 0; i < SchemeColourCount; ++i)
        bytes += le32(i == ColourBackground ? 0xFFFFFFFFu : i == ColourB2 ? 0x80000005u : Rgb(i, i, i));
    writeFile(QStringLiteral("C_USER2.DAT"), bytes);
    const ColourScheme s = LoadColourScheme(2);
    EXPECT_EQ(s[ColourBackground], 0u);
    EXPECT_EQ(s[ColourB2], 0u);
    EXPECT_EQ(s[ColourGrid], Rgb(1, 1, 1));
    EXPECT_EQ(s[ColourExtra8], Rgb(8, 8, 8));
}

TEST_F(UserFolderFixture, MissingOrDamagedSchemeFilesAreAllBlack)
{
    EXPECT_EQ(LoadColourScheme(1), ColourScheme::Black());
    writeFile(QStringLiteral("C_USER1.DAT"), QByteArray(35, '\x7f'));
    EXPECT_EQ(LoadColourScheme(1), ColourScheme::Black());
    writeFile(QStringLiteral("C_USER3.DAT"), QByteArray(37, '\x11'));
    EXPECT_EQ(LoadColourScheme(3), ColourScheme::Black());
    EXPECT_EQ(LoadColourScheme(0), ColourScheme::Standard());
    EXPECT_EQ(LoadColourScheme(9), ColourScheme::Standard());
    EXPECT_EQ(SchemeFileName(3), QStringLiteral("C_USER3.DAT"));
}

TEST(CustomColours, ParseAndFormatRoundTrip)
{
    CustomColours c;
    c[0] = Rgb(255, 0, 0);
    c[15] = Rgb(1, 2, 3);
    const QString text = FormatCustomColours(c);
    EXPECT_TRUE(text.startsWith(QStringLiteral("ColorA=0000FF\r\nColorB=FFFFFFFF\r\n")));
    EXPECT_EQ(ParseCustomColours(text), c);
}

TEST(CustomColours, ForeignLinesAreSkipped)
{
    const CustomColours c =
        ParseCustomColours(QStringLiteral("[x]\nColorC = 00ff00\nColorZ=123456\nColorD=xyz\n"
                                          "ColorE=1000000\nnoise\ncolorf=10\n"));
    EXPECT_EQ(c[2], std::optional<ColourRef>(0x00FF00u));
    EXPECT_EQ(c[5], std::optional<ColourRef>(0x10u));
    EXPECT_FALSE(c[3]);
    EXPECT_FALSE(c[4]); // beyond 24 bits
    int set = 0;
    for (const auto& v : c)
        set += v.has_value();
    EXPECT_EQ(set, 2);
}

TEST_F(UserFolderFixture, CustomColourFileMissingGivesNoColours)
{
    const CustomColours none = ReadCustomColours(CustomColoursPath());
    for (const auto& v : none)
        EXPECT_FALSE(v);
    CustomColours c;
    c[3] = Rgb(9, 8, 7);
    ASSERT_TRUE(WriteCustomColours(CustomColoursPath(), c));
    EXPECT_EQ(ReadCustomColours(CustomColoursPath()), c);
    EXPECT_EQ(CustomColoursPath(), dir.filePath(QStringLiteral("COLORS.DAT")));
}
