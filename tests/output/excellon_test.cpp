#include "output/excellon.h"

#include <gtest/gtest.h>

using namespace trevok;

namespace
{

std::unique_ptr<TObjekt> pad(int x, int y, int r, int drill, int layer)
{
    auto e = std::make_unique<TObjekt>();
    e->Kind = KindPad;
    e->X = x;
    e->Y = y;
    e->Size1 = r;
    e->Size2 = drill;
    e->Shape = ShapeRound;
    e->Layer = static_cast<std::uint8_t>(layer);
    return e;
}

} // namespace

TEST(Excellon, NumberFormats)
{
    DrillOptions mm = DrillOptions::forUnit(false);
    EXPECT_EQ(ExcellonNumber(1234, mm), "1234"); // 12.34 mm
    EXPECT_EQ(ExcellonNumber(5, mm), "5");       // 0.05 mm, read from the right
    EXPECT_EQ(ExcellonNumber(0, mm), "0");
    EXPECT_EQ(ExcellonNumber(-250, mm), "-250");
    mm.removeLeadingZeros = false;
    EXPECT_EQ(ExcellonNumber(1234, mm), "01234");
    mm.decimals = 3;
    EXPECT_EQ(ExcellonNumber(1234, mm), "012340");
    DrillOptions inch = DrillOptions::forUnit(true);
    EXPECT_EQ(inch.decimals, 3);
    EXPECT_EQ(ExcellonNumber(2540, inch), "1000"); // 1 inch
    EXPECT_EQ(ExcellonNumber(254, inch), "100");
    inch.removeLeadingZeros = false;
    EXPECT_EQ(ExcellonNumber(254, inch), "000100");
}

TEST(Excellon, OneHolePerPairToolsAscendingSide2Mirrored)
{
    TBoard b;
    b.BoardWidth = 5000;
    b.BoardHeight = 3000;
    b.Elements.push_back(pad(1000, -1000, 90, 50, 1));
    b.Elements.push_back(pad(1000, -1000, 90, 50, 3));
    b.Elements[0]->Twin = b.Elements[1].get();
    b.Elements[1]->Twin = b.Elements[0].get();
    b.Elements.push_back(pad(2000, -500, 90, 40, 3));
    b.Elements.push_back(pad(3000, -500, 90, 40, 3));

    const std::string out = WriteExcellon(b, DrillOptions::forUnit(false));
    EXPECT_NE(out.find("METRIC,TZ,000.00\r\n"), std::string::npos);
    const auto t1 = out.find("T1C0.800\r\n");
    const auto t2 = out.find("T2C1.000\r\n");
    ASSERT_NE(t1, std::string::npos);
    ASSERT_NE(t2, std::string::npos);
    EXPECT_LT(t1, t2);
    EXPECT_NE(out.find("T1\r\nX2000Y2500\r\nX3000Y2500\r\nT2\r\nX1000Y2000\r\n"), std::string::npos);
    EXPECT_EQ(out.find("X1000Y2000", out.find("X1000Y2000") + 1), std::string::npos); // one hole for the pair
    // The program ends after the last hole; no selection of a tool 0 the table does not define.
    EXPECT_EQ(out.substr(out.size() - 17), "X1000Y2000\r\nM30\r\n");

    DrillOptions side2 = DrillOptions::forUnit(false);
    side2.side2 = true;
    const std::string m = WriteExcellon(b, side2);
    EXPECT_NE(m.find("X4000Y2000\r\n"), std::string::npos);
    EXPECT_NE(m.find("X3000Y2500\r\n"), std::string::npos);
    EXPECT_NE(m.find("X2000Y2500\r\n"), std::string::npos);
}
