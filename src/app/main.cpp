// The editor's entry point: the language of the run first, then the main window, then the file
// named on the command line.
#include "app/mainwindow.h"
#include "app/qttranslations.h"
#include "app/settings.h"
#include "document/filenames.h"
#include "document/fileuri.h"
#include "view/texts.h"

#include <QApplication>
#include <QFont>
#include <QLinearGradient>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QSplashScreen>
#include <QTimer>

#include <cstdio>

namespace
{

/// The title picture shown while the window is built: our own drawing of a board corner.
QPixmap titlePicture()
{
    QPixmap pix(480, 240);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 240);
    g.setColorAt(0, QColor(30, 110, 40));
    g.setColorAt(1, QColor(15, 70, 25));
    p.fillRect(pix.rect(), g);
    p.setPen(QPen(QColor(200, 160, 60), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygon({QPoint(30, 200), QPoint(120, 200), QPoint(170, 150), QPoint(450, 150)}));
    p.setBrush(QColor(200, 160, 60));
    for (int x : {30, 450})
        p.drawEllipse(QPoint(x, x == 30 ? 200 : 150), 14, 14);
    p.setPen(Qt::white);
    p.setFont(QFont(QStringLiteral("Liberation Sans"), 40, QFont::Bold));
    p.drawText(QRect(0, 30, 480, 80), Qt::AlignCenter, QStringLiteral("Trevok 4.0"));
    return pix;
}

/// Runs every event from the loop as one command of the window, so that running out of memory in
/// a mouse tool or a key ends that command, not the program with the user's unsaved work.
class Application : public QApplication
{
  public:
    using QApplication::QApplication;
    trevok::MainWindow* window = nullptr;

    bool notify(QObject* receiver, QEvent* event) override
    {
        // Only the outermost event is a command; events inside it (a modal dialog's own loop)
        // belong to it.
        if (!window || depth_ > 0)
            return QApplication::notify(receiver, event);
        struct Depth {
            int& d;
            explicit Depth(int& depth) : d(++depth) {}
            ~Depth() { --d; }
        } depth(depth_);
        bool handled = false;
        window->guardCommand([&] { handled = QApplication::notify(receiver, event); });
        return handled;
    }

  private:
    int depth_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    // The command line is read before the application object exists: --help, --version and the
    // message about a missing display need no window system.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << trevok::PathFromLocal(trevok::LocalPathFromUri(argv[i]));
    const trevok::CommandLine commandLine = trevok::ParseCommandLine(arguments);
    if (commandLine.languageError)
        std::fprintf(stderr, "trevok: unknown language \"%s\" (de, en or fr); using the default\n",
                     commandLine.badLanguage.toLocal8Bit().constData());
    // Every window takes its texts when it is made, so the language must be fixed before.
    trevok::SetCurrentLanguage(trevok::ChooseLanguage(commandLine.language, {}, QLocale::system()));
    if (commandLine.help) {
        std::fputs(trevok::UsageText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (commandLine.version) {
        std::printf("Trevok %s\n", TREVOK_VERSION);
        return 0;
    }
    if (!trevok::DisplayAvailable(qEnvironmentVariable("QT_QPA_PLATFORM"), qEnvironmentVariable("DISPLAY"),
                                  qEnvironmentVariable("WAYLAND_DISPLAY"))) {
        std::fputs(
            trevok::T(
                "trevok: keine grafische Anzeige gefunden (DISPLAY ist nicht gesetzt).\n"
                "Der Editor braucht eine Desktop-Sitzung; Ausgaben ohne Fenster macht trevok-cli.\n",
                "trevok: no graphical display found (DISPLAY is not set).\n"
                "The editor needs a desktop session; trevok-cli makes output without a window.\n",
                "trevok : aucun affichage graphique trouvé (DISPLAY n´est pas défini).\n"
                "L´éditeur a besoin d´une session de bureau ; trevok-cli produit les sorties sans fenêtre.\n")
                .toLocal8Bit()
                .constData(),
            stderr);
        return 1;
    }

    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trevok"));
    trevok::InstallQtTranslations(trevok::CurrentLanguage());

    QSplashScreen splash(titlePicture());
    splash.show();
    QApplication::processEvents();

    trevok::MainWindow window;
    app.window = &window;
    window.show();
    // The title stays a moment over the window, then goes by itself.
    QTimer::singleShot(1000, &splash, &QSplashScreen::close);
    // The file is opened once the window is up, so that its messages have a parent on screen.
    QTimer::singleShot(0, &window, [&window, path = commandLine.filePath] { window.openStartFile(path); });
    const int status = app.exec();
    app.window = nullptr; // the window goes before the application
    return status;
}
