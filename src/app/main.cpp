// The editor's entry point: the language of the run first, then the main window, then the file
// named on the command line.
#include "app/mainwindow.h"
#include "app/settings.h"
#include "view/texts.h"

#include <QApplication>
#include <QLocale>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trevok"));

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    const trevok::CommandLine commandLine = trevok::ParseCommandLine(arguments);
    if (commandLine.languageError)
        std::fprintf(stderr, "trevok: unknown language \"%s\" (de, en or fr); using the default\n",
                     commandLine.badLanguage.toLocal8Bit().constData());
    // Every window takes its texts when it is made, so the language must be fixed before.
    trevok::SetCurrentLanguage(trevok::ChooseLanguage(commandLine.language, {}, QLocale::system()));

    trevok::MainWindow window;
    window.show();
    // The file is opened once the window is up, so that its messages have a parent on screen.
    QTimer::singleShot(0, &window, [&window, path = commandLine.filePath] { window.openStartFile(path); });
    return app.exec();
}
