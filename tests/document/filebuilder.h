#pragma once
// Test-side builder of layout and macro file bytes, written byte by byte from the file format
// and independent of the program's writer, so that a wrong writer and a wrong reader cannot
// agree with each other.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Fixtures name only the record fields they set; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace filebuilder
{

using Bytes = std::vector<std::uint8_t>;

inline void put32(Bytes& b, std::size_t at, std::int32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
}
inline void put16(Bytes& b, std::size_t at, std::int16_t v)
{
    b[at] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(v));
    b[at + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8);
}
inline void putF64(Bytes& b, std::size_t at, double d)
{
    std::uint64_t u;
    std::memcpy(&u, &d, 8);
    for (int i = 0; i < 8; ++i)
        b[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
}
inline void putStr(Bytes& b, std::size_t at, const std::string& s)
{
    b[at] = static_cast<std::uint8_t>(s.size());
    std::memcpy(b.data() + at + 1, s.data(), s.size());
}

/// Appends values to a file image.
struct File {
    Bytes b;
    File& u8(std::uint8_t v)
    {
        b.push_back(v);
        return *this;
    }
    File& i16(std::int16_t v)
    {
        b.resize(b.size() + 2);
        put16(b, b.size() - 2, v);
        return *this;
    }
    File& i32(std::int32_t v)
    {
        b.resize(b.size() + 4);
        put32(b, b.size() - 4, v);
        return *this;
    }
    File& raw(const Bytes& r)
    {
        b.insert(b.end(), r.begin(), r.end());
        return *this;
    }
    File& header(int version) { return u8(static_cast<std::uint8_t>(version)).u8(0x33).u8(0xAA).u8(0xFF); }
    /// string[n]: length byte, n bytes. lengthByte overrides the stored length (damaged files).
    File& str(const std::string& s, std::size_t n, int lengthByte = -1)
    {
        b.push_back(static_cast<std::uint8_t>(lengthByte >= 0 ? lengthByte : static_cast<int>(s.size())));
        for (std::size_t i = 0; i < n; ++i)
            b.push_back(i < s.size() ? static_cast<std::uint8_t>(s[i]) : 0);
        return *this;
    }
    File& text(const std::string& s)
    {
        i32(static_cast<std::int32_t>(s.size()));
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    File& nodes32(const std::vector<std::array<std::int32_t, 2>>& p)
    {
        i32(static_cast<std::int32_t>(p.size()));
        for (auto& q : p)
            i32(q[0]).i32(q[1]);
        return *this;
    }
    File& ids32(const std::vector<std::int32_t>& v)
    {
        i32(static_cast<std::int32_t>(v.size()));
        for (auto x : v)
            i32(x);
        return *this;
    }
};

/// The fields of an element record that tests set; the rest of the record is filled with
/// junk bytes (0xEE), which the reader must ignore.
struct Rec {
    std::uint8_t kind = 6;
    std::int32_t x = 0, y = 0, size1 = 0, size2 = 0, width = 0;
    std::uint8_t selected = 0, layer = 1, shape = 0;
    std::int16_t oldGroup = 0;
    std::uint8_t mark = 0;
    std::int32_t angle = 0;
    std::uint8_t filled = 0;
    std::int32_t clearance = 0;
    std::uint8_t autorouted = 0, mirrorH = 0, mirrorV = 0, restricted = 0;
    std::string text; // versions 0-3: the string[15] field
};

/// The 75-byte record of version 4.
inline Bytes recV4(const Rec& r)
{
    Bytes b(75, 0xEE);
    b[0] = r.kind;
    put32(b, 1, r.x);
    put32(b, 5, r.y);
    put32(b, 9, r.size1);
    put32(b, 13, r.size2);
    put32(b, 17, r.width);
    b[21] = r.selected;
    b[22] = r.layer;
    b[23] = r.shape;
    put16(b, 28, r.oldGroup);
    b[30] = r.mark;
    put32(b, 31, r.angle);
    b[40] = r.filled;
    put32(b, 41, r.clearance);
    b[53] = r.autorouted;
    b[54] = r.mirrorH;
    b[55] = r.mirrorV;
    b[56] = r.restricted;
    return b;
}

/// The 74-byte record of version 3.
inline Bytes recV3(const Rec& r)
{
    Bytes b(74, 0xEE);
    b[0] = r.kind;
    put32(b, 1, r.x);
    put32(b, 5, r.y);
    put32(b, 9, r.size1);
    put32(b, 13, r.size2);
    put32(b, 17, r.width);
    b[21] = r.selected;
    b[22] = r.layer;
    b[23] = r.shape;
    std::memset(b.data() + 24, 0, 16);
    putStr(b, 24, r.text);
    put16(b, 44, r.oldGroup);
    b[46] = r.mark;
    put32(b, 47, r.angle);
    b[56] = r.filled;
    put32(b, 57, r.clearance);
    return b;
}

/// The 49-byte record of versions 0-2 (16-bit fields).
inline Bytes recV0(const Rec& r)
{
    Bytes b(49, 0xEE);
    b[0] = r.kind;
    put16(b, 1, static_cast<std::int16_t>(r.x));
    put16(b, 3, static_cast<std::int16_t>(r.y));
    put16(b, 5, static_cast<std::int16_t>(r.size1));
    put16(b, 7, static_cast<std::int16_t>(r.size2));
    put16(b, 9, static_cast<std::int16_t>(r.width));
    b[11] = r.selected;
    b[12] = r.layer;
    b[13] = r.shape;
    std::memset(b.data() + 14, 0, 16);
    putStr(b, 14, r.text);
    put16(b, 34, r.oldGroup);
    b[36] = r.mark;
    put16(b, 37, static_cast<std::int16_t>(r.angle));
    return b;
}

/// Board block fields; the defaults are a new board's.
struct Block {
    std::int32_t width = 16000, height = 10000;
    std::uint8_t gp1 = 0, gp2 = 0;
    double grid = 254.0, zoom = 0.1;
    std::int32_t scrollX = 0, scrollY = 0;
    std::uint8_t activeLayer = 3;
    std::array<std::uint8_t, 4> visible{1, 1, 1, 1};
    std::array<std::uint8_t, 2> templShown{0, 0};
    std::array<std::string, 2> templFile;
    std::array<std::int32_t, 2> dpi{600, 600}, offX{0, 0}, offY{0, 0}, colour{0x00FF00, 0x00FF00};
    std::int32_t originX = 0, originY = 0;
};

/// The board block: 490 bytes (version 4) or its first 482 (version 3, bytes 42..45 unused).
inline Bytes boardBlock(const Block& k, int version = 4)
{
    Bytes b(490, 0);
    put32(b, 0, 0x12345678); // the element list reference, meaningless on disk
    put32(b, 4, k.width);
    put32(b, 8, k.height);
    b[12] = k.gp1;
    b[13] = k.gp2;
    putF64(b, 14, k.grid);
    putF64(b, 22, k.zoom);
    put32(b, 30, k.scrollX);
    put32(b, 34, k.scrollY);
    b[38] = k.activeLayer;
    for (int i = 0; i < 4; ++i)
        b[42 + i] = version >= 4 ? k.visible[i] : 0;
    b[46] = k.templShown[0];
    b[47] = k.templShown[1];
    putStr(b, 48, k.templFile[0]);
    putStr(b, 249, k.templFile[1]);
    put32(b, 450, k.dpi[0]);
    put32(b, 454, k.dpi[1]);
    put32(b, 458, k.offX[0]);
    put32(b, 462, k.offX[1]);
    put32(b, 466, k.offY[0]);
    put32(b, 470, k.offY[1]);
    put32(b, 474, k.colour[0]);
    put32(b, 478, k.colour[1]);
    put32(b, 482, k.originX);
    put32(b, 486, k.originY);
    if (version < 4)
        b.resize(482);
    return b;
}

/// The trailer of a version-4 layout file.
inline File& trailerV4(File& f, std::int32_t shown, const std::string& title = "",
                       const std::string& author = "", const std::string& company = "",
                       const std::string& comment = "")
{
    f.i32(shown).str(title, 100).str(author, 100).str(company, 100);
    return f.text(comment);
}

} // namespace filebuilder
