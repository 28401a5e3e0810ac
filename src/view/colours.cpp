#include "view/colours.h"

#include "document/atomicfile.h"
#include "view/userfolder.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <span>

namespace trevok
{

ColourScheme ColourScheme::Standard() noexcept
{
    ColourScheme s;
    s.Colours = {
        Rgb(0, 0, 0),                       // background
        Rgb(110, 110, 110),                 // grid
        Rgb(0, 0, 255),                     // copper side 1
        Rgb(255, 0, 0),                     // component print side 1
        Rgb(0, 186, 0),                     // copper side 2
        Rgb(225, 215, 4),                   // component print side 2
        Rgb(0, 0, 128),     Rgb(0, 255, 0), // connections
        Rgb(0, 0, 255),
    };
    return s;
}

ColourScheme& CurrentColours() noexcept
{
    static ColourScheme current = ColourScheme::Standard();
    return current;
}

QString SchemeFileName(int n)
{
    return QStringLiteral("C_USER%1.DAT").arg(n);
}

bool DecodeScheme(const QByteArray& data, ColourScheme& scheme)
{
    scheme = ColourScheme::Black();
    if (data.size() != SchemeFileBytes)
        return false;
    for (int i = 0; i < SchemeColourCount; ++i) {
        std::uint32_t v = 0;
        for (int b = 3; b >= 0; --b)
            v = (v << 8) | static_cast<std::uint8_t>(data[4 * i + b]);
        // The files hold signed values; a negative one (a system colour or garbage) is black.
        scheme.Colours[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(v) < 0 ? 0 : v;
    }
    return true;
}

QByteArray EncodeScheme(const ColourScheme& scheme)
{
    QByteArray data(SchemeFileBytes, '\0');
    for (int i = 0; i < SchemeColourCount; ++i) {
        const std::uint32_t v = scheme.Colours[static_cast<std::size_t>(i)];
        for (int b = 0; b < 4; ++b)
            data[4 * i + b] = static_cast<char>((v >> (8 * b)) & 0xFF);
    }
    return data;
}

ColourScheme ReadSchemeFile(const QString& path)
{
    ColourScheme scheme = ColourScheme::Black();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return scheme;
    // Read one byte more than a scheme so that an over-long file is recognised as damaged.
    DecodeScheme(f.read(SchemeFileBytes + 1), scheme);
    return scheme;
}

namespace
{

bool writeBytes(const QString& path, const QByteArray& data)
{
    try {
        const auto* p = reinterpret_cast<const std::uint8_t*>(data.constData());
        WriteFileAtomically(path.toStdString(),
                            std::span<const std::uint8_t>(p, static_cast<std::size_t>(data.size())));
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

bool WriteSchemeFile(const QString& path, const ColourScheme& scheme)
{
    return writeBytes(path, EncodeScheme(scheme));
}

ColourScheme LoadColourScheme(int index)
{
    if (index < 1 || index >= SchemeCount)
        return ColourScheme::Standard();
    return ReadSchemeFile(UserFilePath(SchemeFileName(index)));
}

bool SaveColourScheme(int index, const ColourScheme& scheme)
{
    if (index < 1 || index >= SchemeCount)
        return false;
    if (!EnsureUserFolder())
        return false;
    return WriteSchemeFile(UserFilePath(SchemeFileName(index)), scheme);
}

CustomColours ParseCustomColours(const QString& text)
{
    CustomColours colours;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts);
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        if (key.size() != 6 || !key.startsWith(QLatin1String("Color"), Qt::CaseInsensitive))
            continue;
        const int slot = key.at(5).toUpper().unicode() - 'A';
        if (slot < 0 || slot >= CustomColourCount)
            continue;
        bool ok = false;
        const qulonglong v = line.mid(eq + 1).trimmed().toULongLong(&ok, 16);
        // Anything beyond 24 bits is not a plain colour (the dialog writes FFFFFFFF for "none").
        if (!ok || v > 0xFFFFFFu)
            continue;
        colours[static_cast<std::size_t>(slot)] = static_cast<ColourRef>(v);
    }
    return colours;
}

QString FormatCustomColours(const CustomColours& colours)
{
    QString text;
    for (int i = 0; i < CustomColourCount; ++i) {
        const auto& c = colours[static_cast<std::size_t>(i)];
        text += QStringLiteral("Color") + QChar(u'A' + i) + QLatin1Char('=');
        text +=
            c ? QStringLiteral("%1").arg(*c, 6, 16, QLatin1Char('0')).toUpper() : QStringLiteral("FFFFFFFF");
        text += QStringLiteral("\r\n");
    }
    return text;
}

CustomColours ReadCustomColours(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    // A handful of short lines; anything larger is not ours and is read only in part.
    return ParseCustomColours(QString::fromLatin1(f.read(64 * 1024)));
}

bool WriteCustomColours(const QString& path, const CustomColours& colours)
{
    return writeBytes(path, FormatCustomColours(colours).toLatin1());
}

QString CustomColoursPath()
{
    return UserFilePath(QStringLiteral("COLORS.DAT"));
}

} // namespace trevok
