// The thumbnail a file manager asks for, of a 400 x 250 mm board of 20,000 elements: the file
// read, the board drawn into 256 x 256 pixels and the PNG made, as `trevok-cli thumbnail` does
// after its start. The whole command, process start included, is measured from outside:
//   trevok-makeboard 20000 big.lay && time trevok-cli thumbnail big.lay out.png
#include "document/layoutfile.h"
#include "generator/boardgen.h"
#include "print/thumbnail.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>

#include <benchmark/benchmark.h>

#include <memory>

namespace
{

using namespace trevok;

const std::string& boardFile()
{
    static const std::string path = [] {
        TProject p;
        auto board = std::make_unique<TBoard>();
        board->BoardWidth = 40000;
        board->BoardHeight = 25000;
        board->GroundPlane1 = 1;
        board->Elements = bench::generateBoard(20000, 20240601, board->BoardWidth, board->BoardHeight);
        p.Boards.push_back(std::move(board));
        p.Current = 0;
        const std::string out =
            QDir::temp().filePath(QStringLiteral("trevok-bench-thumbnail.lay")).toStdString();
        WriteLayoutFile(p, out);
        return out;
    }();
    return path;
}

void BM_Thumbnail(benchmark::State& state)
{
    if (!QCoreApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_thumbnail";
        static char* argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
    }
    const std::string& path = boardFile();
    qsizetype bytes = 0;
    for (auto _ : state) {
        TProject project;
        ReadLayoutFile(project, path, false, 1);
        const QImage image = MakeThumbnail(*project.currentBoard(), static_cast<int>(state.range(0)));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter(&buffer, "png").write(image);
        bytes = png.size();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Thumbnail)
    ->Name("thumbnail/read_draw_png_400x250mm_20k")
    ->Arg(256)
    ->Arg(1024)
    ->Unit(benchmark::kMillisecond);

} // namespace
