#pragma once
// Independent readers of our Gerber and Excellon files for the oracle tests: gerbv, and
// tracespace's gerber-to-svg (through tests/oracle/gerber2svg.js, rasterised by rsvg-convert).
// Both render a file white on black into the same picture frame at one resolution; findBlobs
// splits such a picture into its white blobs. The two readers share no code: gerbv is lenient
// where gerber-to-svg follows the format closely, so a file both draw alike is read alike.

#include "clirun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <utility>
#include <vector>

namespace trevok::oracle
{

inline constexpr int kPxPerMm = 20; // 508 dpi: one pixel is 5 board units
inline constexpr int kDpi = kPxPerMm * 254 / 10;
inline constexpr int kUnitsPerPx = 100 / kPxPerMm;

/// The gerbv program, empty when it is not installed.
inline QString gerbvProgram()
{
    return QStandardPaths::findExecutable(QStringLiteral("gerbv"));
}

/// Renders a file white on black so that pixel (c, r) covers file x [c, c+1) and y [h-1-r, h-r)
/// pixels from the file's origin. The picture is written into dir.
inline QImage renderGerber(const QString& file, int w, int h, const QString& dir)
{
    const QString png = dir + QStringLiteral("/gerbv.png");
    QFile::remove(png);
    runProgram(gerbvProgram(),
               {QStringLiteral("-x"), QStringLiteral("png"), QStringLiteral("-B"), QStringLiteral("0"),
                QStringLiteral("-D"), QString::number(kDpi), QStringLiteral("-O"), QStringLiteral("0x0"),
                QStringLiteral("-w"), QStringLiteral("%1x%2").arg(w).arg(h), QStringLiteral("-b"),
                QStringLiteral("#000000"), QStringLiteral("-f"), QStringLiteral("#FFFFFFFF"),
                QStringLiteral("-o"), png, file});
    return QImage(png).convertToFormat(QImage::Format_Grayscale8);
}

/// The script that runs gerber-to-svg, and the npm folder the setup script fills.
inline QString tracespaceScript()
{
    return QStringLiteral(TREVOK_SOURCE_DIR "/tests/oracle/gerber2svg.js");
}
inline QString tracespaceModules()
{
    return QStringLiteral(TREVOK_SOURCE_DIR "/tools/node/node_modules");
}

/// What the gerber-to-svg reader lacks on this machine (node, the npm package, rsvg-convert), or
/// an empty string when it is complete.
inline QString tracespaceMissing()
{
    QStringList missing;
    if (QStandardPaths::findExecutable(QStringLiteral("node")).isEmpty())
        missing << QStringLiteral("node");
    if (!QFileInfo::exists(tracespaceModules() + QStringLiteral("/gerber-to-svg/package.json")))
        missing << QStringLiteral("gerber-to-svg in tools/node");
    if (QStandardPaths::findExecutable(QStringLiteral("rsvg-convert")).isEmpty())
        missing << QStringLiteral("rsvg-convert");
    return missing.join(QStringLiteral(", "));
}

/// What gerber-to-svg made of a file: the picture in the frame renderGerber uses, and the
/// reader's warnings, one per line.
struct TracespaceRendering {
    QImage image;
    QStringList warnings;
};

inline TracespaceRendering renderTracespace(const QString& file, int w, int h, const QString& dir)
{
    TracespaceRendering out;
    const QString svg = dir + QStringLiteral("/tracespace.svg");
    const QString png = dir + QStringLiteral("/tracespace.png");
    QFile::remove(svg);
    QFile::remove(png);
    const CliRun node = runProgram(QStringLiteral("node"),
                                   {tracespaceScript(), file, svg, QString::number(w / double(kPxPerMm)),
                                    QString::number(h / double(kPxPerMm))});
    for (const QString& l : QString::fromStdString(node.err).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        out.warnings << l;
    if (node.status != 0)
        return out;
    // rsvg renders the SVG's masks, which gerber-to-svg uses for clear polarity.
    runProgram(QStringLiteral("rsvg-convert"),
               {QStringLiteral("-w"), QString::number(w), QStringLiteral("-h"), QString::number(h),
                QStringLiteral("-o"), png, svg});
    out.image = QImage(png).convertToFormat(QImage::Format_Grayscale8);
    return out;
}

/// gerber-to-svg's warnings, less the one every file of ours gives: the "%LN" layer name, a
/// block the current format no longer has, which the reader ignores.
inline QStringList unexpectedWarnings(const QStringList& warnings)
{
    QStringList out;
    for (const QString& w : warnings)
        if (!w.contains(QStringLiteral("\"%LN")))
            out << w;
    return out;
}

struct Blob {
    double x = 0, y = 0; // centre in file units
    int pixels = 0;
};

/// The white blobs of a picture (4-connected), centres in file units.
inline std::vector<Blob> findBlobs(const QImage& img)
{
    const int w = img.width(), h = img.height();
    std::vector<char> seen(static_cast<std::size_t>(w) * h, 0);
    auto white = [&](int x, int y) { return qGray(img.pixel(x, y)) > 128; };
    std::vector<Blob> out;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            if (seen[static_cast<std::size_t>(r) * w + c] || !white(c, r))
                continue;
            std::vector<std::pair<int, int>> stack{{c, r}};
            seen[static_cast<std::size_t>(r) * w + c] = 1;
            double sx = 0, sy = 0;
            int n = 0;
            while (!stack.empty()) {
                const auto [x, y] = stack.back();
                stack.pop_back();
                sx += x + 0.5;
                sy += y + 0.5;
                ++n;
                const int nb[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
                for (const auto& d : nb) {
                    const int xx = x + d[0], yy = y + d[1];
                    if (xx >= 0 && xx < w && yy >= 0 && yy < h &&
                        !seen[static_cast<std::size_t>(yy) * w + xx] && white(xx, yy)) {
                        seen[static_cast<std::size_t>(yy) * w + xx] = 1;
                        stack.push_back({xx, yy});
                    }
                }
            }
            out.push_back({sx / n * kUnitsPerPx, (h - sy / n) * kUnitsPerPx, n});
        }
    return out;
}

} // namespace trevok::oracle
