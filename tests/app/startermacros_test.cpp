// Installing the starter macro library compiled into the program into the default macro folder.
#include "app/startermacros.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trevok;

namespace
{

/// Files below a folder, relative to it, sorted.
QStringList filesBelow(const QString& root)
{
    QStringList out;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(root).relativeFilePath(it.next());
    out.sort();
    return out;
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(StarterMacroInstall, FirstStartCopiesTheWholeLibraryWritableWithItsFolders)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QStringList library = filesBelow(QStringLiteral(":/macros"));
    ASSERT_GT(library.size(), 30) << "the starter library is not compiled into the program";
    EXPECT_TRUE(library.contains(QStringLiteral("DIP/DIP-8 7.62.lmk")));
    EXPECT_TRUE(library.contains(QStringLiteral("Mechanical/Mounting hole 3.2.lmk")));

    // Neither the folder nor its parent exists yet.
    const QString folder = tmp.path() + QStringLiteral("/home/Makros");
    EXPECT_EQ(InstallStarterMacros(folder), library.size());
    EXPECT_EQ(filesBelow(folder), library);
    for (const QString& name : library) {
        SCOPED_TRACE(name.toStdString());
        const QString copy = folder + QLatin1Char('/') + name;
        EXPECT_EQ(contents(copy), contents(QStringLiteral(":/macros/") + name));
        // The panel writes changed comment lines back into the file.
        EXPECT_TRUE(QFile::permissions(copy) & QFileDevice::WriteOwner);
        QFile f(copy);
        EXPECT_TRUE(f.open(QIODevice::ReadWrite));
    }
}

TEST(StarterMacroInstall, AnExistingFolderIsNeverTouched)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString folder = tmp.path() + QStringLiteral("/Makros");
    ASSERT_GT(InstallStarterMacros(folder), 0);

    // The user changed one starter macro and deleted another: a later start keeps both choices.
    const QString changed = folder + QStringLiteral("/DIP/DIP-8 7.62.lmk");
    writeFile(changed, "mine");
    ASSERT_TRUE(QFile::remove(folder + QStringLiteral("/SIL/SIL 1x02.lmk")));
    const QStringList before = filesBelow(folder);
    EXPECT_EQ(InstallStarterMacros(folder), 0);
    EXPECT_EQ(filesBelow(folder), before);
    EXPECT_EQ(contents(changed), QByteArray("mine"));

    // An empty folder, and one holding only the user's own macros, stay as they are.
    const QString empty = tmp.path() + QStringLiteral("/empty");
    ASSERT_TRUE(QDir().mkpath(empty));
    EXPECT_EQ(InstallStarterMacros(empty), 0);
    EXPECT_TRUE(filesBelow(empty).isEmpty());

    const QString own = tmp.path() + QStringLiteral("/own");
    ASSERT_TRUE(QDir().mkpath(own + QStringLiteral("/DIP")));
    writeFile(own + QStringLiteral("/DIP/DIP-8 7.62.lmk"), "user's DIP-8");
    EXPECT_EQ(InstallStarterMacros(own), 0);
    EXPECT_EQ(filesBelow(own), QStringList{QStringLiteral("DIP/DIP-8 7.62.lmk")});
    EXPECT_EQ(contents(own + QStringLiteral("/DIP/DIP-8 7.62.lmk")), QByteArray("user's DIP-8"));
}

TEST(StarterMacroInstall, AFolderThatCannotBeMadeIsReportedAndNothingWritten)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString file = tmp.path() + QStringLiteral("/plain-file");
    writeFile(file, "x");
    EXPECT_EQ(InstallStarterMacros(file + QStringLiteral("/Makros")), -1);
    EXPECT_EQ(filesBelow(tmp.path()), QStringList{QStringLiteral("plain-file")});
    EXPECT_EQ(InstallStarterMacros(QString()), 0);
}
