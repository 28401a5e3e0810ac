#pragma once
// Little-endian readers and writers over in-memory byte buffers, used by the layout and macro
// files. Files are read whole into memory first; the reader never trusts the data: every read
// and every count is checked against the bytes that remain, so a damaged or hostile file ends
// in a ReadError and never in a crash or a huge allocation.

#include "document/messages.h"

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace trevok
{

/// Little-endian values from a raw record (the caller has checked the length).
inline std::int16_t LoadI16(const std::uint8_t* p) noexcept
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}
inline std::uint32_t LoadU32(const std::uint8_t* p) noexcept
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int32_t LoadI32(const std::uint8_t* p) noexcept
{
    return static_cast<std::int32_t>(LoadU32(p));
}
inline double LoadF64(const std::uint8_t* p) noexcept
{
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | p[i];
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

/// A bounds-checked cursor over a byte buffer. Every failure throws
/// TrevokError(MsgId::ReadError, {name, offset}).
class ByteReader
{
  public:
    ByteReader(std::span<const std::uint8_t> data, std::string name) : data_(data), name_(std::move(name)) {}

    std::size_t offset() const noexcept { return pos_; }
    std::size_t remaining() const noexcept { return data_.size() - pos_; }
    bool atEnd() const noexcept { return pos_ == data_.size(); }
    const std::string& fileName() const noexcept { return name_; }

    /// The next n bytes, consumed.
    const std::uint8_t* take(std::size_t n)
    {
        if (n > remaining())
            fail(data_.size());
        const std::uint8_t* p = data_.data() + pos_;
        pos_ += n;
        return p;
    }
    void skip(std::size_t n) { take(n); }

    std::uint8_t u8() { return *take(1); }
    std::int16_t i16() { return LoadI16(take(2)); }
    std::int32_t i32() { return LoadI32(take(4)); }
    std::uint32_t u32() { return LoadU32(take(4)); }
    double f64() { return LoadF64(take(8)); }

    /// A count stored as i32: negative, or more items than the remaining bytes can hold when
    /// each item takes at least minBytesEach bytes, is a read error. Checked before the caller
    /// allocates anything for the items.
    std::size_t count32(std::size_t minBytesEach)
    {
        const std::size_t at = pos_;
        return checkCount(i32(), minBytesEach, at);
    }
    /// The same for a count stored as i16 (older files).
    std::size_t count16(std::size_t minBytesEach)
    {
        const std::size_t at = pos_;
        return checkCount(i16(), minBytesEach, at);
    }

    /// A string[n] field: a length byte and n bytes; a length above n is cut to n.
    std::string shortString(std::size_t fieldLength)
    {
        const std::uint8_t* p = take(fieldLength + 1);
        return FieldString(p, fieldLength);
    }

    /// The text of a string[n] field held in a record at p (length byte first).
    static std::string FieldString(const std::uint8_t* p, std::size_t fieldLength)
    {
        std::size_t len = p[0];
        if (len > fieldLength)
            len = fieldLength;
        return std::string(reinterpret_cast<const char*>(p + 1), len);
    }

    [[noreturn]] void fail(std::size_t at) const
    {
        throw TrevokError(MsgId::ReadError, {name_, "offset " + std::to_string(at)});
    }
    [[noreturn]] void failHere() const { fail(pos_); }

  private:
    std::size_t checkCount(std::int64_t n, std::size_t minBytesEach, std::size_t at) const
    {
        if (n < 0)
            fail(at);
        const auto count = static_cast<std::size_t>(n);
        if (minBytesEach > 0 && count > remaining() / minBytesEach)
            fail(at);
        return count;
    }

    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    std::string name_;
};

/// Appends little-endian values to a byte buffer.
class ByteWriter
{
  public:
    explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    void u8(std::uint8_t v) { out_.push_back(v); }
    void i16(std::int16_t v)
    {
        const auto u = static_cast<std::uint16_t>(v);
        out_.push_back(static_cast<std::uint8_t>(u));
        out_.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    void u32(std::uint32_t v)
    {
        std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                             static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
        out_.insert(out_.end(), b, b + 4);
    }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void f64(double d)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        for (int i = 0; i < 8; ++i)
            out_.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    }
    void zeros(std::size_t n) { out_.insert(out_.end(), n, 0); }
    void bytes(std::string_view s) { out_.insert(out_.end(), s.begin(), s.end()); }
    /// A string[n] field: the text cut to n bytes, padded with zeros.
    void shortString(std::string_view s, std::size_t fieldLength)
    {
        const std::size_t len = s.size() < fieldLength ? s.size() : fieldLength;
        u8(static_cast<std::uint8_t>(len));
        out_.insert(out_.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(len));
        zeros(fieldLength - len);
    }

    /// Room for a fixed-size record, zero-filled; filled through the Store helpers.
    std::uint8_t* record(std::size_t n)
    {
        const std::size_t at = out_.size();
        out_.resize(at + n, 0);
        return out_.data() + at;
    }

  private:
    std::vector<std::uint8_t>& out_;
};

inline void StoreI16(std::uint8_t* p, std::int16_t v) noexcept
{
    const auto u = static_cast<std::uint16_t>(v);
    p[0] = static_cast<std::uint8_t>(u);
    p[1] = static_cast<std::uint8_t>(u >> 8);
}
inline void StoreI32(std::uint8_t* p, std::int32_t v) noexcept
{
    const auto u = static_cast<std::uint32_t>(v);
    p[0] = static_cast<std::uint8_t>(u);
    p[1] = static_cast<std::uint8_t>(u >> 8);
    p[2] = static_cast<std::uint8_t>(u >> 16);
    p[3] = static_cast<std::uint8_t>(u >> 24);
}
inline void StoreF64(std::uint8_t* p, double d) noexcept
{
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

} // namespace trevok
