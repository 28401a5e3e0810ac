// Names that are not UTF-8 on the paths between the window and the disk other than open and
// save: macro folders, template pictures, working folders in the settings, export folders.
#include "app/macropanel.h"
#include "app/settings.h"
#include "document/filenames.h"
#include "document/layoutfile.h"
#include "view/templateimage.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace trevok;

namespace
{

bool writeLocal(const QString& path, const QByteArray& bytes)
{
    std::FILE* f = std::fopen(LocalPath(path).c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), f) ==
                    static_cast<std::size_t>(bytes.size());
    return std::fclose(f) == 0 && ok;
}

QByteArray bmp()
{
    QImage image(8, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

} // namespace

TEST(FileNames, NamesThatAreNotUtf8ReachTheDiskOnEveryPath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Windows-1252 bytes: what a folder copied from an old system is called.
    const QString folder = PathFromLocal(LocalPath(dir.path()) + "/Verst\xe4rker \xb5"
                                                                 "C");
    ASSERT_TRUE(LocalMakePath(folder + PathFromLocal("/Geh\xe4use")));

    struct Case {
        const char* what;
        std::function<QString()> reach; // returns the name it reached the disk with
    };
    const std::vector<Case> cases = {
        {"template picture kept in the board",
         [&] {
             const QString path = folder + QStringLiteral("/Vorlage.bmp");
             EXPECT_TRUE(writeLocal(path, bmp()));
             const QString back = TemplatePathFromField(TemplateFieldFromPath(path));
             EXPECT_TRUE(LoadTemplateFile(back).has_value());
             return back;
         }},
        {"macro folder and its file list",
         [&] {
             WriteMacroFile(LocalPath(folder) + "/Geh\xe4use/R\xf6hre.lmk", {}, "a", "b");
             MacroPanel panel;
             panel.setFolders(folder, PathFromLocal("Geh\xe4use"), QString());
             return panel.currentFile();
         }},
        {"working folder in the settings file",
         [&] {
             const QString ini = dir.filePath(QStringLiteral("TREVOK40.INI"));
             Settings s = DefaultSettings();
             s.folders.gerber = folder;
             s.macroRoot = folder;
             SettingsFile out(ini);
             EXPECT_TRUE(out.writeAll(s));
             const Settings back = SettingsFile(ini).read();
             EXPECT_EQ(back.macroRoot, folder);
             return back.folders.gerber;
         }},
        {"export folder made on demand",
         [&] {
             const QString made = folder + PathFromLocal("/Fertigung/\xe9");
             return LocalMakePath(made) ? made : QString();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString reached = c.reach();
        EXPECT_TRUE(LocalPath(reached).starts_with(LocalPath(folder))) << LocalPath(reached);
        EXPECT_TRUE(LocalExists(reached));
    }
    // QTemporaryDir cannot remove names it cannot spell.
    std::error_code ec;
    std::filesystem::remove_all(LocalPath(folder), ec);
}
