#include "document/filenames.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>

namespace trevok
{
namespace
{

constexpr char16_t EscapeBase = 0xDC00;
const QString StoredPrefix = QStringLiteral("bytes:");

/// The length of the valid UTF-8 sequence at s[i], or 0 when there is none.
std::size_t utf8Length(const std::string& s, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    if (c < 0x80)
        return 1;
    std::size_t n = 0;
    char32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and code points above U+10FFFF are not valid UTF-8.
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

} // namespace

QString PathFromLocal(const std::string& bytes)
{
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t n = utf8Length(bytes, i);
        if (n == 0) {
            out.append(QChar(char16_t(EscapeBase + static_cast<unsigned char>(bytes[i]))));
            ++i;
        } else {
            out.append(QString::fromUtf8(bytes.data() + i, static_cast<qsizetype>(n)));
            i += n;
        }
    }
    return out;
}

std::string LocalPath(const QString& path)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(path.size()));
    qsizetype start = 0;
    auto flush = [&](qsizetype end) {
        if (end > start)
            out += path.mid(start, end - start).toStdString();
    };
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path[i].unicode();
        // Only an unpaired low surrogate of the escape range stands for a byte; a valid pair
        // never starts with one.
        const bool paired = i > 0 && path[i - 1].isHighSurrogate();
        if (c >= EscapeBase + 0x80 && c <= EscapeBase + 0xFF && !paired) {
            flush(i);
            out += static_cast<char>(c - EscapeBase);
            start = i + 1;
        }
    }
    flush(path.size());
    return out;
}

QString DisplayPath(const QString& path)
{
    QString out = path;
    for (QChar& c : out)
        if (c.isLowSurrogate() && (&c == out.data() || !(&c - 1)->isHighSurrogate()))
            c = QChar::ReplacementCharacter;
    return QDir::toNativeSeparators(out);
}

QString StoredPath(const QString& path)
{
    const std::string bytes = LocalPath(path);
    if (QString::fromStdString(bytes) == path && !path.startsWith(StoredPrefix))
        return path;
    // Slashes stay readable; everything outside plain ASCII and '%' itself is escaped.
    const QByteArray raw(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return StoredPrefix + QString::fromLatin1(raw.toPercentEncoding("/"));
}

QString PathFromStored(const QString& stored)
{
    if (!stored.startsWith(StoredPrefix))
        return stored;
    const QByteArray raw = QByteArray::fromPercentEncoding(stored.mid(StoredPrefix.size()).toLatin1());
    return PathFromLocal(raw.toStdString());
}

bool LocalExists(const QString& path)
{
    struct stat st {
    };
    return !path.isEmpty() && ::stat(LocalPath(path).c_str(), &st) == 0;
}

std::optional<QByteArray> ReadLocalFile(const QString& path)
{
    std::FILE* handle = path.isEmpty() ? nullptr : std::fopen(LocalPath(path).c_str(), "rb");
    if (!handle)
        return std::nullopt;
    QFile f;
    if (!f.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        std::fclose(handle);
        return std::nullopt;
    }
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

bool LocalIsDir(const QString& path)
{
    struct stat st {
    };
    return !path.isEmpty() && ::stat(LocalPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool LocalMakePath(const QString& path)
{
    if (path.isEmpty())
        return false;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(LocalPath(path)), ec);
    return LocalIsDir(path);
}

} // namespace trevok
