#pragma once
// A Windows-style INI file: [sections] of key=value lines, read and written by ourselves rather
// than through QSettings, which would rewrite the file in its own dialect (quoted and
// percent-escaped values, commas read as lists, keys sorted, "@Variant" blobs). Here the file
// keeps the form a user of the program knows: section and key order as written, plain values,
// booleans as 1 and 0.
//
// Reading follows the Windows rules: names compare without regard to case, blanks around keys
// and values are dropped, a value enclosed in double quotes loses them, lines starting with ';'
// are comments, the first of two equal keys wins. Lines may end in CR LF or LF; the file may be
// UTF-8 or, as written by older versions, Windows-1252. Writing uses LF line ends (the native
// form here, read by every editor) and UTF-8; a value with blanks at either end is quoted so that
// it reads back as written.

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace trevok
{

class IniFile
{
  public:
    IniFile() = default;
    explicit IniFile(QString path) : path_(std::move(path)) {}

    const QString& path() const noexcept { return path_; }

    /// Replaces the content by the file at path(). A missing or unreadable file leaves the
    /// content empty and returns false.
    bool load();
    /// Writes the content to path(), replacing the file atomically and creating its folder when
    /// needed. Returns false on failure; lastError() then says why.
    bool save();
    const QString& lastError() const noexcept { return lastError_; }

    void parse(const QByteArray& bytes);
    QByteArray serialize() const;

    bool hasSection(const QString& section) const;
    bool hasKey(const QString& section, const QString& key) const;
    QStringList sections() const;
    QStringList keys(const QString& section) const;

    QString readString(const QString& section, const QString& key, const QString& fallback = {}) const;
    /// A decimal integer (optionally signed); anything else gives the fallback.
    int readInteger(const QString& section, const QString& key, int fallback) const;
    /// An integer, not 0 meaning true; anything that is not an integer gives the fallback.
    bool readBool(const QString& section, const QString& key, bool fallback) const;

    /// Sets a key in memory, appending the section or key when missing. Line breaks in the value
    /// become blanks (a value is one line).
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);
    /// Removes the section and all its keys.
    void eraseSection(const QString& section);

  private:
    struct Section {
        QString name;
        std::vector<std::pair<QString, QString>> entries;
    };
    Section* find(const QString& section);
    const Section* find(const QString& section) const;

    QString path_;
    QString lastError_;
    std::vector<Section> sections_;
};

} // namespace trevok
