// hp2xx reads our isolation file; what it draws must lie along the boundary of the grown copper
// as we rasterise it ourselves from the shape polygons, and cover all of it.
#include "clirun.h"
#include "document/project.h"
#include "output/hpgl.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <fstream>

using namespace trevok;

namespace
{

constexpr int kPxPerMm = 10;

/// Pixels within reach steps (8-connected) of a set pixel of the mask.
std::vector<char> grow(const std::vector<char>& mask, int w, int h, int reach)
{
    std::vector<int> dist(mask.size(), -1);
    std::deque<int> queue;
    for (int i = 0; i < w * h; ++i)
        if (mask[static_cast<std::size_t>(i)]) {
            dist[static_cast<std::size_t>(i)] = 0;
            queue.push_back(i);
        }
    while (!queue.empty()) {
        const int i = queue.front();
        queue.pop_front();
        if (dist[static_cast<std::size_t>(i)] == reach)
            continue;
        const int x = i % w, y = i / w;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx, ny = y + dy;
                if (nx < 0 || ny < 0 || nx >= w || ny >= h)
                    continue;
                const std::size_t n = static_cast<std::size_t>(ny * w + nx);
                if (dist[n] < 0) {
                    dist[n] = dist[static_cast<std::size_t>(i)] + 1;
                    queue.push_back(static_cast<int>(n));
                }
            }
    }
    std::vector<char> out(mask.size());
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = dist[i] >= 0;
    return out;
}

} // namespace

TEST(HpglOracle, Hp2xxDrawsTheBoundaryOfTheGrownCopper)
{
    const QString hp2xx = QStandardPaths::findExecutable(QStringLiteral("hp2xx"));
    ASSERT_FALSE(hp2xx.isEmpty()) << "hp2xx is not installed (scripts/setup-deps.sh installs it)";

    TBoard b;
    b.BoardWidth = 6000;
    b.BoardHeight = 4000;
    auto track = NewTrack(60, LayerK1);
    for (TPoint p : {TPoint{500, -500}, TPoint{3000, -2500}, TPoint{5500, -500}})
        AddPoint(*track, p);
    b.Elements.push_back(std::move(track));
    b.Elements.push_back(NewCircle({1500, -2800}, 700, 0, LayerK1, 500));
    b.Elements.push_back(NewPad({1500, -2800}, 150, ShapeOctagon, LayerK1, 40));
    auto area = NewArea(40, LayerK1);
    for (TPoint p : {TPoint{3500, -3500}, TPoint{5500, -3500}, TPoint{5500, -2800}, TPoint{3500, -3200}})
        AddPoint(*area, p);
    b.Elements.push_back(std::move(area));
    b.Elements.push_back(NewSmdPad({3000, -1000}, 300, LayerK1, 150));
    b.Elements.push_back(NewPad({500, -3500}, 100, ShapeRoundedWide, LayerK1, 40));

    MillingOptions m;
    m.width = 40;
    const auto result = ComputeIsolation(b.Elements, m);
    ASSERT_TRUE(result);
    HpglOptions o;
    o.corners = {false, false, false, false};
    const std::string plt = IsolationHpgl(b, result->contours, {}, m, o);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("iso.plt"));
    std::ofstream(file.toStdString(), std::ios::binary) << plt;
    const QString png = dir.filePath(QStringLiteral("iso.png"));
    // hp2xx takes plotter units as 1/40 mm; a fixed range and size give a linear picture of them.
    const CliRun p = runProgram(hp2xx, {QStringLiteral("-m"),
                                        QStringLiteral("png"),
                                        QStringLiteral("-f"),
                                        png,
                                        QStringLiteral("-x"),
                                        QStringLiteral("0"),
                                        QStringLiteral("-X"),
                                        QStringLiteral("2400"),
                                        QStringLiteral("-y"),
                                        QStringLiteral("0"),
                                        QStringLiteral("-Y"),
                                        QStringLiteral("1600"),
                                        QStringLiteral("-w"),
                                        QStringLiteral("60"),
                                        QStringLiteral("-h"),
                                        QStringLiteral("40"),
                                        QStringLiteral("-d"),
                                        QStringLiteral("254"),
                                        QStringLiteral("-p"),
                                        QStringLiteral("1"),
                                        file});
    ASSERT_NE(p.status, -1) << "hp2xx did not end";
    EXPECT_EQ(p.status, 0) << p.err;
    const std::string& log = p.err;
    EXPECT_EQ(log.find("rror"), std::string::npos) << log;
    EXPECT_EQ(log.find("Zero line segment"), std::string::npos) << log; // no point written twice
    const QImage ink = QImage(png).convertToFormat(QImage::Format_Grayscale8);
    ASSERT_FALSE(ink.isNull());

    // Map our board onto the same pixels: hp2xx's range 0..2400 spans its picture width, and one
    // plotter unit is 2.54 / 100 board units... put differently, x pixel = units / 2.54 * w / 2400.
    const int w = ink.width(), h = ink.height();
    const double sx = (w - 1) / 2400.0 / 2.54;
    const double sy = (h - 1) / 1600.0 / 2.54;
    QImage ours(w, h, QImage::Format_Grayscale8);
    ours.fill(0);
    {
        QPainter painter(&ours);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        auto toPx = [&](std::int64_t x, std::int64_t y) {
            return QPointF(x * sx, (h - 1) - (y + b.BoardHeight) * sy);
        };
        for (const ShapeGroup& g : MillingShapes(b.Elements, m)) {
            for (const auto* set : {&g.polygons, &g.interior})
                for (const RPath& poly : *set) {
                    QPolygonF q;
                    for (const RPoint& v : poly)
                        q << toPx(v.x, v.y);
                    painter.drawPolygon(q, Qt::OddEvenFill);
                }
        }
    }
    std::vector<char> boundary(static_cast<std::size_t>(w * h)), drawn(static_cast<std::size_t>(w * h));
    int inkCount = 0, boundaryCount = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * w + x);
            drawn[i] = qGray(ink.pixel(x, y)) < 128;
            inkCount += drawn[i];
            const bool in = qGray(ours.pixel(x, y)) > 128;
            bool edge = false;
            for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                const int nx = x + dx, ny = y + dy;
                const bool nin = nx >= 0 && ny >= 0 && nx < w && ny < h && qGray(ours.pixel(nx, ny)) > 128;
                edge = edge || (in && !nin);
            }
            boundary[i] = edge;
            boundaryCount += edge;
        }
    ASSERT_GT(inkCount, 1000);
    ASSERT_GT(boundaryCount, 1000);
    const std::vector<char> nearBoundary = grow(boundary, w, h, 3);
    const std::vector<char> nearInk = grow(drawn, w, h, 3);
    int strayInk = 0, missed = 0;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        strayInk += drawn[i] && !nearBoundary[i];
        missed += boundary[i] && !nearInk[i];
    }
    EXPECT_EQ(strayInk, 0) << "hp2xx drew lines away from the copper's boundary";
    EXPECT_EQ(missed, 0) << "part of the copper's boundary has no milling line";
}
