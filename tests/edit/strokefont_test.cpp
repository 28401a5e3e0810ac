#include "edit/strokefont.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <set>

using namespace trevok;

namespace
{

struct Extent {
    int minX = INT_MAX, maxX = INT_MIN, minY = INT_MAX, maxY = INT_MIN;
    int points = 0;
};

/// Walks a glyph through GlyphPoint, turning y upwards again.
Extent extentOf(std::uint8_t code)
{
    Extent e;
    for (int i = 0; GlyphPoint(code, i).type != GlyphCell::End; ++i) {
        const GlyphCell c = GlyphPoint(code, i);
        if (c.type != GlyphCell::Point)
            continue;
        ++e.points;
        e.minX = std::min(e.minX, c.x);
        e.maxX = std::max(e.maxX, c.x);
        e.minY = std::min(e.minY, -c.y);
        e.maxY = std::max(e.maxY, -c.y);
    }
    return e;
}

} // namespace

TEST(StrokeFont, TableIsCompleteAndWellFormed)
{
    std::set<int> codes;
    for (const GlyphEntry& g : GlyphTable) {
        codes.insert(g.code);
        const std::string_view s = g.glyph;
        ASSERT_EQ(s.size() % 6, 0u) << int(g.code);
        EXPECT_EQ(s.substr(0, 6), "XXXXXX") << int(g.code);
        EXPECT_EQ(s.find("ZZZZZZ"), s.size() - 6) << int(g.code);
        // Every polyline has at least two points (a dot repeats its point).
        for (std::size_t p = 0; p + 6 < s.size(); p += 6)
            if (s.substr(p, 6) == "XXXXXX")
                EXPECT_TRUE(s.substr(p + 6, 6) != "XXXXXX" && s.substr(p + 12, 6) != "XXXXXX" &&
                            s.substr(p + 6, 6) != "ZZZZZZ" && s.substr(p + 12, 6) != "ZZZZZZ")
                    << int(g.code) << " at " << p;
        EXPECT_EQ(glyphString(g.code), s);
    }
    EXPECT_EQ(codes.size(), 90u);
    for (int c : std::initializer_list<int>{'!',  '"',  '#',  '%',  '&',  '(',  ')',  '*', '+',  ',',
                                            '-',  '.',  '/',  ':',  '<',  '=',  '>',  '?', '\\', '_',
                                            0xB5, 0xC4, 0xD6, 0xDC, 0xDF, 0xE4, 0xF6, 0xFC})
        EXPECT_TRUE(codes.count(c)) << c;
    for (int c = '0'; c <= '9'; ++c)
        EXPECT_TRUE(codes.count(c)) << c;
    for (int c = 'A'; c <= 'Z'; ++c)
        EXPECT_TRUE(codes.count(c) && codes.count(c + 32)) << c;
    for (int c :
         std::initializer_list<int>{'$', '\'', ';', '@', '[', ']', '{', '}', '^', '~', ' ', 0, 0x80, 0xFF}) {
        EXPECT_FALSE(codes.count(c)) << c;
        EXPECT_EQ(glyphString(static_cast<std::uint8_t>(c)), "ZZZZZZ") << c;
        EXPECT_EQ(GlyphPoint(static_cast<std::uint8_t>(c), 0).type, GlyphCell::End) << c;
    }
    EXPECT_EQ(glyphString('O'), glyphString('0'));
    EXPECT_EQ(glyphString('l'), glyphString('I'));
}

// The font's metrics catch a mistyped digit anywhere in the table.
TEST(StrokeFont, GlyphsKeepTheFontMetrics)
{
    for (int c = 'A'; c <= 'Z'; ++c) {
        const Extent e = extentOf(static_cast<std::uint8_t>(c));
        EXPECT_EQ(e.maxY, 80) << char(c);
        EXPECT_EQ(e.minY, 0) << char(c);
        EXPECT_EQ(e.minX, 0) << char(c);
    }
    for (int c = '0'; c <= '9'; ++c) {
        const Extent e = extentOf(static_cast<std::uint8_t>(c));
        EXPECT_EQ(e.maxY, 80) << char(c);
        EXPECT_EQ(e.minY, 0) << char(c);
    }
    for (int c : {'a', 'c', 'e', 'm', 'n', 'o', 'r', 's', 'u', 'v', 'w', 'x', 'z'})
        EXPECT_EQ(extentOf(static_cast<std::uint8_t>(c)).maxY, 45) << char(c);
    for (int c : std::initializer_list<int>{'g', 'j', 'p', 'q', 'y', 0xB5})
        EXPECT_EQ(extentOf(static_cast<std::uint8_t>(c)).minY, -20) << c;
    for (int c : {0xC4, 0xD6, 0xDC})
        EXPECT_EQ(extentOf(static_cast<std::uint8_t>(c)).maxY, 85) << c;
    for (const GlyphEntry& g : GlyphTable) {
        const Extent e = extentOf(g.code);
        EXPECT_GE(e.minY, -20) << int(g.code);
        EXPECT_LE(e.maxY, 85) << int(g.code);
    }
}

TEST(StrokeFont, GlyphPointDecodesCells)
{
    // "A": XXXXXX +00+00 +25+80 +50+00 XXXXXX +10+30 +40+30 ZZZZZZ
    EXPECT_EQ(GlyphPoint('A', 0).type, GlyphCell::PenUp);
    const GlyphCell apex = GlyphPoint('A', 2);
    EXPECT_EQ(apex.type, GlyphCell::Point);
    EXPECT_EQ(apex.x, 25);
    EXPECT_EQ(apex.y, -80); // handed out pointing down
    EXPECT_EQ(GlyphPoint('A', 4).type, GlyphCell::PenUp);
    EXPECT_EQ(GlyphPoint('A', 6).x, 40);
    EXPECT_EQ(GlyphPoint('A', 7).type, GlyphCell::End);
    EXPECT_EQ(GlyphPoint('A', 100).type, GlyphCell::End);
    EXPECT_EQ(GlyphPoint('A', -1).type, GlyphCell::End);
    // Negative y (descender of the comma) comes out positive.
    EXPECT_EQ(GlyphPoint(',', 2).y, 10);
    // The full stop is a dot: one polyline of two equal points.
    EXPECT_EQ(GlyphPoint('.', 1).x, GlyphPoint('.', 2).x);
    EXPECT_EQ(GlyphPoint('.', 1).y, GlyphPoint('.', 2).y);
}

TEST(StrokeFont, Advances)
{
    EXPECT_EQ(GlyphAdvance('A'), 50);
    EXPECT_EQ(GlyphAdvance('W'), 50);
    EXPECT_EQ(GlyphAdvance('H'), 40);
    EXPECT_EQ(GlyphAdvance('1'), 25);
    EXPECT_EQ(GlyphAdvance('w'), 55);
    EXPECT_EQ(GlyphAdvance('%'), 60);
    EXPECT_EQ(GlyphAdvance(0xDF), 35); // sharp s
    EXPECT_EQ(GlyphAdvance('I'), 0);
    EXPECT_EQ(GlyphAdvance('.'), 0);
    EXPECT_EQ(GlyphAdvance(' '), 1);
    EXPECT_EQ(GlyphAdvance('@'), 0);
    EXPECT_EQ(GlyphAdvance('j'), 10);
}

TEST(StrokeFont, TracksBecomeGlyphString)
{
    // Drawing "A" ten times enlarged, away from the origin, gives back its table entry.
    const TPoint origin{1000, -3000};
    TObjekt legs, bar;
    legs.Kind = bar.Kind = KindTrack;
    legs.Points = {{1000, -3000}, {1250, -2200}, {1500, -3000}};
    bar.Points = {{1100, -2700}, {1400, -2700}};
    EXPECT_EQ(glyphStringFromTracks({&legs, &bar}, origin), glyphString('A'));

    // Offsets are cut towards zero; negative and three-digit values keep sign and digits.
    TObjekt t;
    t.Kind = KindTrack;
    t.Points = {{1009, -3009}, {-250, -4999}};
    EXPECT_EQ(glyphStringFromTracks({&t}, origin), "XXXXXX+00+00-125-199ZZZZZZ");
    EXPECT_EQ(glyphStringFromTracks({}, origin), "ZZZZZZ");
}
