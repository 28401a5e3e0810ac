#pragma once
// BMP files for tests, written byte by byte (14-byte file header, 40-byte information header,
// bottom-up rows of 24-bit pixels padded to four bytes), so that the reader is checked against
// the file format itself, not against a writer of ours.

#include <QByteArray>

#include <cstdint>
#include <functional>

namespace trevok::test
{

/// A 24-bit BMP of w x h pixels; dark(x, y) chooses black, else white; pixelsPerMetre goes into
/// both resolution fields.
inline QByteArray MakeBmp(int w, int h, std::int32_t pixelsPerMetre,
                          const std::function<bool(int, int)>& dark)
{
    const int stride = (w * 3 + 3) / 4 * 4;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(stride * h);
    QByteArray b;
    auto u16 = [&](std::uint16_t v) {
        b.append(static_cast<char>(v & 0xFF));
        b.append(static_cast<char>(v >> 8));
    };
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    b.append("BM");
    u32(14 + 40 + imageSize);
    u16(0);
    u16(0);
    u32(14 + 40);
    u32(40);
    u32(static_cast<std::uint32_t>(w));
    u32(static_cast<std::uint32_t>(h));
    u16(1);
    u16(24);
    u32(0); // no compression
    u32(imageSize);
    u32(static_cast<std::uint32_t>(pixelsPerMetre));
    u32(static_cast<std::uint32_t>(pixelsPerMetre));
    u32(0);
    u32(0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const char v = dark(x, y) ? 0 : static_cast<char>(0xFF);
            b.append(v);
            b.append(v);
            b.append(v);
        }
        for (int p = w * 3; p < stride; ++p)
            b.append('\0');
    }
    return b;
}

} // namespace trevok::test
