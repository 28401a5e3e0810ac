#include "output/fabset.h"

#include "document/atomicfile.h"
#include "document/messages.h"
#include "output/excellon.h"
#include "output/gerber.h"

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace trevok
{

namespace
{

std::string millimetres(std::int32_t units)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", units / 100.0);
    return buf;
}

/// The outline layer: only the board rectangle, drawn with a 0.2 mm pen.
std::string outlineLayer(const TBoard& board, int language)
{
    TGerberFile g;
    g.Open(MessageText(MsgId::FabOutlineLayerName, language));
    const std::int64_t w = board.BoardWidth, h = board.BoardHeight;
    g.SetPenwidth(20);
    g.MoveTo(0, 0);
    g.LineTo(w, 0);
    g.LineTo(w, h);
    g.LineTo(0, h);
    g.LineTo(0, 0);
    return g.Close();
}

std::string gerber(const TBoard& board, GerberLayer layer, const FabOptions& o)
{
    // Every option is set here, not left to the defaults of the record: the set is always
    // unmirrored, without outline (a line in a copper layer would be made as copper) and
    // without punched holes.
    GerberOptions g;
    g.layer = layer;
    g.mirror = false;
    g.outline = false;
    g.punchHoles = false;
    g.markHoles = false;
    g.padOffsetMm = o.padOffsetMm;
    g.smdOffsetMm = o.smdOffsetMm;
    g.pads = true;
    g.smdPads = true;
    g.invert = false;
    g.language = o.language;
    return PlotteGerberfile(board, g);
}

[[noreturn]] void zipFailed(const std::string& what)
{
    throw TrevokError(MsgId::WriteError, {"zip", what});
}

} // namespace

std::string FabBaseName(const std::string& name)
{
    std::string out;
    for (unsigned char c : name) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '-' || c == '_' || c == '.';
        out += keep ? static_cast<char>(c) : '_';
    }
    while (!out.empty() && out.front() == '.')
        out.erase(out.begin());
    return out.empty() ? "board" : out;
}

std::vector<FabFile> MakeFabricationSet(const TBoard& board, const FabOptions& o)
{
    const int l = o.language;
    const std::string& b = o.baseName;
    std::vector<FabFile> files;
    auto text = [l](MsgId id) { return MessageText(id, l); };
    files.push_back({b + ".GTL", text(MsgId::FabCopper1), gerber(board, GerberLayer::K1, o)});
    files.push_back({b + ".GBL", text(MsgId::FabCopper2), gerber(board, GerberLayer::K2, o)});
    files.push_back({b + ".GTO", text(MsgId::FabPrint1), gerber(board, GerberLayer::B1, o)});
    files.push_back({b + ".GBO", text(MsgId::FabPrint2), gerber(board, GerberLayer::B2, o)});
    files.push_back({b + ".GTS", text(MsgId::FabMask1), gerber(board, GerberLayer::LStop1, o)});
    files.push_back({b + ".GBS", text(MsgId::FabMask2), gerber(board, GerberLayer::LStop2, o)});
    files.push_back({b + ".GKO", text(MsgId::FabOutline), outlineLayer(board, l)});
    DrillOptions drill = DrillOptions::forUnit(false);
    drill.side2 = false;
    files.push_back({b + ".DRL", text(MsgId::FabDrill), WriteExcellon(board, drill)});

    std::string list;
    auto line = [&list](const std::string& s) {
        list += s;
        list += "\r\n";
    };
    line(MessageText(MsgId::FabListTitle, l, {TREVOK_VERSION, board.Name}));
    line(MessageText(MsgId::FabListSize, l, {millimetres(board.BoardWidth), millimetres(board.BoardHeight)}));
    line(text(MsgId::FabListFrame));
    line("");
    for (const FabFile& f : files) {
        std::string name = f.name;
        name.resize(std::max<std::size_t>(name.size(), b.size() + 6), ' ');
        line(name + "  " + f.layer);
    }
    files.push_back({b + "-README.txt", text(MsgId::FabFileList), list});
    return files;
}

std::string ZipFabricationSet(const std::vector<FabFile>& files)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* memory = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!memory)
        zipFailed(zip_error_strerror(&error));
    zip_t* archive = zip_open_from_source(memory, ZIP_TRUNCATE, &error);
    if (!archive) {
        const std::string why = zip_error_strerror(&error);
        zip_source_free(memory);
        zipFailed(why);
    }
    zip_source_keep(memory); // the archive is read back from it after closing
    for (const FabFile& f : files) {
        zip_source_t* s = zip_source_buffer(archive, f.bytes.data(), f.bytes.size(), 0);
        if (!s || zip_file_add(archive, f.name.c_str(), s, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) < 0) {
            if (s)
                zip_source_free(s);
            const std::string why = zip_strerror(archive);
            zip_discard(archive);
            zip_source_free(memory);
            zipFailed(why);
        }
    }
    if (zip_close(archive) < 0) {
        const std::string why = zip_strerror(archive);
        zip_discard(archive);
        zip_source_free(memory);
        zipFailed(why);
    }
    std::string out;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(memory, &st) < 0 || zip_source_open(memory) < 0) {
        zip_source_free(memory);
        zipFailed("the archive could not be read back");
    }
    out.resize(static_cast<std::size_t>(st.size));
    const zip_int64_t got = zip_source_read(memory, out.data(), st.size);
    zip_source_close(memory);
    zip_source_free(memory);
    if (got < 0 || static_cast<zip_uint64_t>(got) != st.size)
        zipFailed("the archive could not be read back");
    return out;
}

std::vector<std::string> WriteFabricationSet(const std::vector<FabFile>& files, const std::string& folder,
                                             bool zip, const std::string& baseName)
{
    auto bytesOf = [](const std::string& s) {
        return std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
    };
    const std::string dir = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    std::vector<std::string> written;
    if (zip) {
        const std::string path = dir + baseName + ".zip";
        WriteFileAtomically(path, bytesOf(ZipFabricationSet(files)));
        written.push_back(path);
        return written;
    }
    std::vector<FileToWrite> set;
    for (const FabFile& f : files) {
        set.push_back({dir + f.name, bytesOf(f.bytes)});
        written.push_back(dir + f.name);
    }
    WriteFilesAtomically(set);
    return written;
}

std::vector<std::string> RunFabJob(const FabJob& job)
{
    const std::vector<FabFile> files = MakeFabricationSet(*job.board, job.options);
    if (!job.folder.empty())
        return WriteFabricationSet(files, job.folder, job.zip, job.options.baseName);
    std::vector<std::string> names;
    if (job.zip)
        names.push_back(job.options.baseName + ".zip");
    else
        for (const FabFile& f : files)
            names.push_back(f.name);
    return names;
}

} // namespace trevok
