#pragma once
// The element block: the encoding of an element list shared by layout files (one block per
// board) and macro files. Three encodings are read (file versions 0-2, 3 and 4); version 4 is
// the one written.

#include "document/bytereader.h"
#include "document/objekt.h"

namespace trevok
{

/// Bytes of the persistent element record in each encoding.
inline constexpr std::size_t RecordSizeV4 = 75;
inline constexpr std::size_t RecordSizeV3 = 74;
inline constexpr std::size_t RecordSizeV0 = 49;
/// Element texts are never longer than this; longer texts in foreign files are cut.
inline constexpr std::size_t MaxElementText = 255;

/// Reads one element block of a file version (0..4) and appends its elements to list.
/// References are resolved inside the block (twins, connections, autorouted ends); an index
/// beyond the block, a negative or oversized count and a block that ends early throw
/// TrevokError(MsgId::ReadError). Fields older versions lack get their defined values
/// (nothing selected, closed outlines; versions 0-2: circles become full rings, clearance 40),
/// and versions 0-3 have their copper layers 1 and 3 exchanged. A pad's TwinIndex holds the
/// block index of its twin, or -1. On an error nothing is appended.
void ReadElementBlock(ByteReader& in, int version, ElementList& list);

/// Writes the version-4 element block of a list. References are written as list positions;
/// a reference to an element that is not in the list is written as none (or left out of a
/// connection list). Texts longer than 255 bytes are cut.
void WriteElementBlock(ByteWriter& out, const ElementList& list);

/// Makes a freshly read list safe for the rest of the program, in this order:
///  - twin links that are not mutual, point to the element itself or to an element outside
///    the list are cleared; afterwards every twin link is mutual (mutual pairs are kept even
///    when a third pad points at one of them);
///  - tracks and areas with fewer than 2 nodes, and strokes of layout texts with fewer than
///    2 nodes, are removed;
///  - connections and autorouted ends keep only references to pads and SMD pads of the list
///    (not the element itself), so that nothing points to a removed element or to one that a
///    later step may replace;
///  - TwinIndex of every pad is set to the list position of its twin, or -1.
/// Returns true when anything was cleared or removed.
bool RepairLoadedElements(ElementList& list);

} // namespace trevok
