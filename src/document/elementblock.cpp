#include "document/elementblock.h"

#include "document/geomlimits.h"

#include <algorithm>
#include <utility>

namespace trevok
{
namespace
{

// Smallest number of bytes one entry can take after its count, used to reject counts that the
// rest of the file cannot hold before anything is allocated.
constexpr std::size_t MinEntryV4 = RecordSizeV4 + 4 + 4; // record, text length, group count
constexpr std::size_t MinEntryV3 = RecordSizeV3 + 4;     // record, group count
constexpr std::size_t MinEntryV0 = RecordSizeV0;         // record only (no groups in 0 and 1)
constexpr std::size_t MinStrokeV4 = RecordSizeV4 + 4;    // record, node count

// Fields of the version-4 record that memory keeps; reference slots, reserved bytes, Selected
// and Mark are not taken over.
void decodeRecordV4(const std::uint8_t* r, TObjekt& e)
{
    e.Kind = r[0];
    e.X = LoadI32(r + 1);
    e.Y = LoadI32(r + 5);
    e.Size1 = LoadI32(r + 9);
    e.Size2 = LoadI32(r + 13);
    e.Width = LoadI32(r + 17);
    e.Layer = r[22];
    e.Shape = r[23];
    e.Angle = LoadI32(r + 31);
    e.Filled = r[40];
    e.Clearance = LoadI32(r + 41);
    e.Autorouted = r[53];
    e.MirrorH = r[54];
    e.MirrorV = r[55];
    e.Restricted = r[56];
}

void encodeRecordV4(std::uint8_t* r, const TObjekt& e)
{
    r[0] = e.Kind;
    StoreI32(r + 1, e.X);
    StoreI32(r + 5, e.Y);
    StoreI32(r + 9, e.Size1);
    StoreI32(r + 13, e.Size2);
    StoreI32(r + 17, e.Width);
    r[21] = e.Selected;
    r[22] = e.Layer;
    r[23] = e.Shape;
    StoreI16(r + 28, e.OldGroup);
    r[30] = e.Mark;
    StoreI32(r + 31, e.Angle);
    r[40] = e.Filled;
    StoreI32(r + 41, e.Clearance);
    r[53] = e.Autorouted;
    r[54] = e.MirrorH;
    r[55] = e.MirrorV;
    r[56] = e.Restricted;
}

void readNodes32(ByteReader& in, TObjekt& e)
{
    const std::size_t n = in.count32(8);
    e.Points.resize(n);
    for (TPoint& p : e.Points) {
        const std::uint8_t* b = in.take(8);
        p.x = LoadI32(b);
        p.y = LoadI32(b + 4);
    }
}

void readGroups32(ByteReader& in, TObjekt& e)
{
    const std::size_t n = in.count32(4);
    e.Groups.resize(n);
    for (std::int32_t& g : e.Groups)
        g = in.i32();
}

/// A reference index read from the block: -1 (or any negative when allowNone) is none,
/// 0..n-1 an element, anything else a read error at the index's offset.
TObjekt* resolve(ByteReader& in, const ElementList& block, bool allowNone)
{
    const std::size_t at = in.offset();
    const std::int32_t k = in.i32();
    if (k < 0 && allowNone)
        return nullptr;
    if (k < 0 || static_cast<std::size_t>(k) >= block.size())
        in.fail(at);
    return block[static_cast<std::size_t>(k)].get();
}

void resolveTwins(ElementList& block)
{
    for (auto& e : block) {
        if (e->Kind != KindPad || e->TwinIndex < 0)
            continue;
        e->Twin = block[static_cast<std::size_t>(e->TwinIndex)].get();
    }
}

void readConnections(ByteReader& in, ElementList& block, bool smdPadsToo)
{
    for (auto& e : block) {
        if (!(e->Kind == KindPad || (smdPadsToo && e->Kind == KindSmdPad)))
            continue;
        const std::size_t n = in.count32(4);
        e->Connections.reserve(n);
        for (std::size_t i = 0; i < n; ++i)
            e->Connections.push_back(resolve(in, block, false));
    }
}

/// The twin index of a pad entry: negative means none; an index beyond the block is an error.
void readTwinIndex(ByteReader& in, TObjekt& e, std::size_t blockSize)
{
    const std::size_t at = in.offset();
    const std::int32_t k = in.i32();
    if (k >= 0 && static_cast<std::size_t>(k) >= blockSize)
        in.fail(at);
    e.TwinIndex = k < 0 ? -1 : k;
}

void exchangeCopperLayers(ElementList& block)
{
    for (auto& e : block) {
        if (e->Layer == LayerK1)
            e->Layer = LayerK2;
        else if (e->Layer == LayerK2)
            e->Layer = LayerK1;
    }
}

/// Geometry far outside any board (a radius of 2^30, a stroke across the whole number range)
/// makes no sense on a board and would make the contours, the router and every export run for
/// hours; such a file is refused as damaged, at the offset of the element's record.
void checkReach(const ByteReader& in, const TObjekt& e, std::size_t at)
{
    if (ElementReach(e) > MaxElementReach)
        in.fail(at);
}

void readBlockV4(ByteReader& in, ElementList& block)
{
    const std::size_t n = in.count32(MinEntryV4);
    block.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        auto e = std::make_unique<TObjekt>();
        const std::size_t at = in.offset();
        decodeRecordV4(in.take(RecordSizeV4), *e);
        const std::size_t t = in.count32(1);
        const std::uint8_t* text = in.take(t);
        e->Text.assign(reinterpret_cast<const char*>(text), std::min(t, MaxElementText));
        readGroups32(in, *e);
        if (e->hasPoints())
            readNodes32(in, *e);
        if (e->Kind == KindLayoutText) {
            const std::size_t s = in.count32(MinStrokeV4);
            e->Strokes.resize(s);
            for (TObjekt& stroke : e->Strokes) {
                decodeRecordV4(in.take(RecordSizeV4), stroke);
                // Strokes are tracks by definition; a foreign kind byte must not turn one into
                // something else inside a text.
                stroke.Kind = KindTrack;
                readNodes32(in, stroke);
            }
        }
        if (e->Kind == KindPad)
            readTwinIndex(in, *e, n);
        checkReach(in, *e, at);
        block.push_back(std::move(e));
    }
    resolveTwins(block);
    readConnections(in, block, true);
    for (auto& e : block) {
        if (e->Kind == KindTrack && e->Autorouted) {
            e->RouteStart = resolve(in, block, true);
            e->RouteEnd = resolve(in, block, true);
        }
    }
}

void readBlockV3(ByteReader& in, ElementList& block)
{
    const std::size_t n = in.count32(MinEntryV3);
    block.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        auto e = std::make_unique<TObjekt>();
        const std::size_t at = in.offset();
        const std::uint8_t* r = in.take(RecordSizeV3);
        e->Kind = r[0];
        e->X = LoadI32(r + 1);
        e->Y = LoadI32(r + 5);
        e->Size1 = LoadI32(r + 9);
        e->Size2 = LoadI32(r + 13);
        e->Width = LoadI32(r + 17);
        e->Layer = r[22];
        e->Shape = r[23];
        if (e->Kind == KindFontText)
            e->Text = ByteReader::FieldString(r + 24, 15);
        e->Angle = LoadI32(r + 47);
        e->Filled = r[56];
        e->Clearance = LoadI32(r + 57);
        readGroups32(in, *e);
        if (e->hasPoints())
            readNodes32(in, *e);
        if (e->Kind == KindPad)
            readTwinIndex(in, *e, n);
        checkReach(in, *e, at);
        block.push_back(std::move(e));
    }
    resolveTwins(block);
    readConnections(in, block, false);
}

void readBlockV0(ByteReader& in, int version, ElementList& block)
{
    const std::size_t n = in.count16(MinEntryV0);
    block.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        auto e = std::make_unique<TObjekt>();
        const std::uint8_t* r = in.take(RecordSizeV0);
        e->Kind = r[0];
        e->X = LoadI16(r + 1);
        e->Y = LoadI16(r + 3);
        e->Size1 = LoadI16(r + 5);
        e->Size2 = LoadI16(r + 7);
        e->Width = LoadI16(r + 9);
        e->Layer = r[12];
        e->Shape = r[13];
        if (e->Kind == KindFontText)
            e->Text = ByteReader::FieldString(r + 14, 15);
        if (version == 1)
            e->OldGroup = LoadI16(r + 34);
        e->Angle = LoadI16(r + 37);
        e->Clearance = 40;
        if (e->Kind == KindCircle) {
            // These versions knew only full rings.
            e->Angle = 0;
            e->Width = 0;
            e->Filled = 0;
        }
        if (version == 2) {
            const std::size_t g = in.count16(2);
            e->Groups.resize(g);
            for (std::int32_t& id : e->Groups)
                id = in.i16();
        }
        if (e->hasPoints()) {
            const std::size_t p = in.count16(4);
            e->Points.resize(p);
            for (TPoint& pt : e->Points) {
                pt.x = in.i16();
                pt.y = in.i16();
            }
        }
        block.push_back(std::move(e));
    }
}

/// Sorted (element, position) pairs of a list, for membership and position look-ups.
class PositionIndex
{
  public:
    explicit PositionIndex(const ElementList& list)
    {
        entries_.reserve(list.size());
        for (std::size_t i = 0; i < list.size(); ++i)
            entries_.emplace_back(list[i].get(), static_cast<std::int32_t>(i));
        std::sort(entries_.begin(), entries_.end());
    }
    /// Position of the element in the list, or -1.
    std::int32_t find(const TObjekt* e) const noexcept
    {
        if (!e)
            return -1;
        auto it = std::lower_bound(entries_.begin(), entries_.end(),
                                   std::pair<const TObjekt*, std::int32_t>(e, -1));
        return it != entries_.end() && it->first == e ? it->second : -1;
    }
    bool contains(const TObjekt* e) const noexcept { return find(e) >= 0; }

  private:
    std::vector<std::pair<const TObjekt*, std::int32_t>> entries_;
};

void writeNodes(ByteWriter& out, const std::vector<TPoint>& points)
{
    out.i32(static_cast<std::int32_t>(points.size()));
    for (const TPoint& p : points) {
        out.i32(p.x);
        out.i32(p.y);
    }
}

} // namespace

void ReadElementBlock(ByteReader& in, int version, ElementList& list)
{
    ElementList block;
    if (version >= 4)
        readBlockV4(in, block);
    else if (version == 3)
        readBlockV3(in, block);
    else
        readBlockV0(in, version, block);
    if (version <= 3)
        exchangeCopperLayers(block);
    list.reserve(list.size() + block.size());
    for (auto& e : block)
        list.push_back(std::move(e));
}

void WriteElementBlock(ByteWriter& out, const ElementList& list)
{
    const PositionIndex index(list);
    out.i32(static_cast<std::int32_t>(list.size()));
    for (const auto& ep : list) {
        const TObjekt& e = *ep;
        encodeRecordV4(out.record(RecordSizeV4), e);
        const std::size_t t = std::min(e.Text.size(), MaxElementText);
        out.i32(static_cast<std::int32_t>(t));
        out.bytes(std::string_view(e.Text).substr(0, t));
        out.i32(static_cast<std::int32_t>(e.Groups.size()));
        for (std::int32_t g : e.Groups)
            out.i32(g);
        if (e.hasPoints())
            writeNodes(out, e.Points);
        if (e.Kind == KindLayoutText) {
            out.i32(static_cast<std::int32_t>(e.Strokes.size()));
            for (const TObjekt& s : e.Strokes) {
                encodeRecordV4(out.record(RecordSizeV4), s);
                writeNodes(out, s.Points);
            }
        }
        if (e.Kind == KindPad)
            out.i32(index.find(e.Twin));
    }
    std::vector<std::int32_t> found;
    for (const auto& ep : list) {
        if (!ep->isPadLike())
            continue;
        found.clear();
        for (const TObjekt* c : ep->Connections) {
            const std::int32_t k = index.find(c);
            if (k >= 0)
                found.push_back(k);
        }
        out.i32(static_cast<std::int32_t>(found.size()));
        for (std::int32_t k : found)
            out.i32(k);
    }
    for (const auto& ep : list) {
        if (ep->Kind == KindTrack && ep->Autorouted) {
            out.i32(index.find(ep->RouteStart));
            out.i32(index.find(ep->RouteEnd));
        }
    }
}

bool RepairLoadedElements(ElementList& list)
{
    bool changed = false;

    // Twins: keep only mutual pairs of two distinct elements of this list. The links to clear
    // are collected first, so that the result does not depend on the list order.
    {
        const PositionIndex index(list);
        std::vector<TObjekt*> broken;
        for (auto& e : list) {
            TObjekt* t = e->Twin;
            if (t && (t == e.get() || !index.contains(t) || t->Twin != e.get()))
                broken.push_back(e.get());
        }
        for (TObjekt* e : broken)
            e->Twin = nullptr;
        changed |= !broken.empty();
    }

    // Tracks and areas need two nodes; so do the strokes of a text.
    const auto tooShort = [](const std::unique_ptr<TObjekt>& e) {
        return e->hasPoints() && e->Points.size() < 2;
    };
    const auto removed = std::remove_if(list.begin(), list.end(), tooShort);
    if (removed != list.end()) {
        list.erase(removed, list.end());
        changed = true;
    }
    for (auto& e : list) {
        if (e->Kind != KindLayoutText)
            continue;
        const auto s = std::remove_if(e->Strokes.begin(), e->Strokes.end(),
                                      [](const TObjekt& st) { return st.Points.size() < 2; });
        if (s != e->Strokes.end()) {
            e->Strokes.erase(s, e->Strokes.end());
            changed = true;
        }
    }

    // No reference may point outside the list (removed elements included). Connections and
    // autorouted ends join pads; a reference to anything else (possible only in a damaged file)
    // is dropped too, since such an element may later be replaced (an old font text converted)
    // and the reference would dangle.
    const PositionIndex index(list);
    const auto padIn = [&](const TObjekt* p) { return p && index.contains(p) && p->isPadLike(); };
    for (auto& e : list) {
        if (e->Twin && !index.contains(e->Twin)) {
            e->Twin = nullptr;
            changed = true;
        }
        if (!e->Connections.empty()) {
            TObjekt* self = e.get();
            const auto c = std::remove_if(e->Connections.begin(), e->Connections.end(),
                                          [&](const TObjekt* p) { return p == self || !padIn(p); });
            if (c != e->Connections.end()) {
                e->Connections.erase(c, e->Connections.end());
                changed = true;
            }
        }
        if (e->RouteStart && !padIn(e->RouteStart)) {
            e->RouteStart = nullptr;
            changed = true;
        }
        if (e->RouteEnd && !padIn(e->RouteEnd)) {
            e->RouteEnd = nullptr;
            changed = true;
        }
        e->TwinIndex = e->Kind == KindPad ? index.find(e->Twin) : -1;
    }
    return changed;
}

} // namespace trevok
