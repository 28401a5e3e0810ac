// The editor's entry point.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trevok"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Trevok 4.0"));
    auto* label = new QLabel(QStringLiteral("Trevok 4.0"), &window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(1024, 700);
    window.show();
    return app.exec();
}
