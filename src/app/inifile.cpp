#include "app/inifile.h"

#include "document/atomicfile.h"
#include "document/cp1252.h"
#include "document/filenames.h"
#include "document/messages.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace trevok
{
namespace
{

QString decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    // Not UTF-8: a file written by an older version in the Windows code page.
    return QString::fromStdString(Cp1252ToUtf8(std::string_view(bytes.constData(), bytes.size())));
}

QString unquote(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2 && value.front() == QLatin1Char('"') && value.back() == QLatin1Char('"'))
        return value.mid(1, value.size() - 2);
    return value;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

bool IniFile::load()
{
    sections_.clear();
    const std::optional<QByteArray> bytes = ReadLocalFile(path_);
    if (!bytes)
        return false;
    parse(*bytes);
    return true;
}

bool IniFile::save()
{
    lastError_.clear();
    const QFileInfo info(path_);
    if (!LocalMakePath(info.absolutePath())) {
        lastError_ = QStringLiteral("cannot create the folder %1").arg(DisplayPath(info.absolutePath()));
        return false;
    }
    const QByteArray bytes = serialize();
    try {
        WriteFileAtomically(LocalPath(path_),
                            std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                      static_cast<std::size_t>(bytes.size())));
    } catch (const TrevokError& e) {
        lastError_ = QString::fromStdString(e.args.size() > 1 ? e.args[1] : std::string(e.what()));
        return false;
    }
    return true;
}

void IniFile::parse(const QByteArray& bytes)
{
    sections_.clear();
    QString text = decode(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    Section* current = nullptr;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
            continue;
        if (trimmed.startsWith(QLatin1Char('['))) {
            const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
            if (close < 0)
                continue;
            const QString name = trimmed.mid(1, close - 1).trimmed();
            current = find(name);
            if (!current) {
                sections_.push_back(Section{name, {}});
                current = &sections_.back();
            }
            continue;
        }
        const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
        if (!current || eq <= 0)
            continue; // a key before any section or a line without a key is not readable
        const QString key = trimmed.left(eq).trimmed();
        if (key.isEmpty())
            continue;
        bool known = false;
        for (const auto& entry : current->entries)
            known = known || sameName(entry.first, key);
        if (!known)
            current->entries.emplace_back(key, unquote(trimmed.mid(eq + 1)));
    }
}

QByteArray IniFile::serialize() const
{
    QString out;
    bool first = true;
    for (const Section& section : sections_) {
        if (!first)
            out += QLatin1Char('\n');
        first = false;
        out += QLatin1Char('[') + section.name + QStringLiteral("]\n");
        for (const auto& [key, value] : section.entries) {
            const bool needsQuotes =
                !value.isEmpty() && (value.front().isSpace() || value.back().isSpace() ||
                                     (value.size() >= 2 && value.front() == QLatin1Char('"') &&
                                      value.back() == QLatin1Char('"')));
            out += key + QLatin1Char('=');
            out += needsQuotes ? QLatin1Char('"') + value + QLatin1Char('"') : value;
            out += QLatin1Char('\n');
        }
    }
    return out.toUtf8();
}

IniFile::Section* IniFile::find(const QString& section)
{
    for (Section& s : sections_)
        if (sameName(s.name, section))
            return &s;
    return nullptr;
}

const IniFile::Section* IniFile::find(const QString& section) const
{
    return const_cast<IniFile*>(this)->find(section);
}

bool IniFile::hasSection(const QString& section) const
{
    return find(section) != nullptr;
}

bool IniFile::hasKey(const QString& section, const QString& key) const
{
    if (const Section* s = find(section))
        for (const auto& entry : s->entries)
            if (sameName(entry.first, key))
                return true;
    return false;
}

QStringList IniFile::sections() const
{
    QStringList names;
    for (const Section& s : sections_)
        names << s.name;
    return names;
}

QStringList IniFile::keys(const QString& section) const
{
    QStringList names;
    if (const Section* s = find(section))
        for (const auto& entry : s->entries)
            names << entry.first;
    return names;
}

QString IniFile::readString(const QString& section, const QString& key, const QString& fallback) const
{
    if (const Section* s = find(section))
        for (const auto& entry : s->entries)
            if (sameName(entry.first, key))
                return entry.second;
    return fallback;
}

int IniFile::readInteger(const QString& section, const QString& key, int fallback) const
{
    if (!hasKey(section, key))
        return fallback;
    bool ok = false;
    const int value = readString(section, key).toInt(&ok, 10);
    return ok ? value : fallback;
}

bool IniFile::readBool(const QString& section, const QString& key, bool fallback) const
{
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    QString line = value;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    Section* s = find(section);
    if (!s) {
        sections_.push_back(Section{section, {}});
        s = &sections_.back();
    }
    for (auto& entry : s->entries)
        if (sameName(entry.first, key)) {
            entry.second = line;
            return;
        }
    s->entries.emplace_back(key, line);
}

void IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::eraseSection(const QString& section)
{
    for (auto it = sections_.begin(); it != sections_.end(); ++it)
        if (sameName(it->name, section)) {
            sections_.erase(it);
            return;
        }
}

} // namespace trevok
