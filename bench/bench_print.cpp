// Printing on a board of 20,000 elements: one redraw of the print preview (1000 x 750 pixels)
// while the board is dragged (the cached board picture moves) and after a switch changed (the
// board is drawn again), the PDF page of the board, and a 10,000 x 10,000 pixel template drawn
// into a 1920 x 1080 view at zoom 0.1 and 1.0, once with its reduced copies made and once from
// scratch.
#include "generator/boardgen.h"

#include "dialogs/printpreview.h"
#include "document/project.h"
#include "print/printsheet.h"
#include "view/qpaintercanvas.h"
#include "view/render.h"
#include "view/templateimage.h"

#include <QApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>

namespace
{

using namespace trevok;

struct Sheet {
    TProject project;
    PrintSettings settings;
    std::unique_ptr<PrintPreview> preview;
    QImage target{1000, 750, QImage::Format_RGB32};

    Sheet()
    {
        TBoard& b = NewBoard(project, "Bench");
        b.Elements = bench::generateBoard(20000, 1, b.BoardWidth, b.BoardHeight);
        settings.mask = {true, true};
        settings.drillPlan = {true, false};
        preview = std::make_unique<PrintPreview>();
        preview->resize(target.size());
        preview->setSheet(&b, &settings, {});
        preview->setPaper(QSizeF(210, 297), QRectF(5, 5, 200, 287));
    }
    TBoard& board() { return *project.currentBoard(); }
    void render()
    {
        QPainter p(&target);
        preview->render(p);
    }
};

Sheet& sheet()
{
    static Sheet s;
    return s;
}

void BM_PreviewDragStep(benchmark::State& state)
{
    Sheet& s = sheet();
    s.render(); // the board picture is made once
    int step = 0;
    for (auto _ : state) {
        s.settings.offsetX += (step++ % 2) ? 37 : -37;
        s.render();
    }
}

void BM_PreviewAfterSwitch(benchmark::State& state)
{
    Sheet& s = sheet();
    for (auto _ : state) {
        s.preview->invalidateSheet();
        s.render();
    }
}

void BM_PdfPrint(benchmark::State& state)
{
    Sheet& s = sheet();
    PrintSettings plain;
    for (auto _ : state) {
        const QByteArray pdf = PrintSheetPdf(s.board(), plain, {}, QSizeF(210, 297), QStringLiteral("Bench"));
        benchmark::DoNotOptimize(pdf.size());
        state.counters["pdf_kB"] = pdf.size() / 1024.0;
    }
}

QImage bigScan()
{
    QImage scan(10000, 10000, QImage::Format_Mono);
    scan.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    scan.fill(1);
    for (int y = 0; y < scan.height(); y += 50) // a grid of one-pixel lines
        for (int x = 0; x < scan.width(); ++x)
            scan.setPixel(x, y, 0);
    for (int x = 0; x < scan.width(); x += 50)
        for (int y = 0; y < scan.height(); ++y)
            scan.setPixel(x, y, 0);
    return scan;
}

void drawTemplate(const TemplateImage& t, double zoom, QImage& view)
{
    QPainter p(&view);
    QPainterCanvas canvas(p);
    canvas.setMapping(CanvasMapping::view(zoom, 0, 0));
    const TRect rect = TemplateRect(t.width(), t.height(), 600, 0, 0);
    const TRect area = DeviceToBoard(canvas.mapping(), view.rect());
    t.draw(canvas, rect, Rgb(0, 255, 0), Rgb(255, 255, 255), area);
}

void BM_TemplateView(benchmark::State& state)
{
    static const TemplateImage t(bigScan());
    const double zoom = state.range(0) / 100.0;
    QImage view(1920, 1080, QImage::Format_RGB32);
    drawTemplate(t, zoom, view); // reduced copies made once
    for (auto _ : state)
        drawTemplate(t, zoom, view);
}

void BM_TemplateViewFirstDraw(benchmark::State& state)
{
    static const QImage scan = bigScan();
    QImage view(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state) {
        const TemplateImage t(scan);
        drawTemplate(t, 0.1, view);
    }
}

BENCHMARK(BM_PreviewDragStep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewAfterSwitch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PdfPrint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TemplateView)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TemplateViewFirstDraw)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
