#include "dialogs/help.h"

#include "view/texts.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QPointer>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>

// The pages live in a resource file of a static library: nothing else refers to its object
// file, so it is registered here explicitly, or the linker would leave it out.
static void initHelpResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(help);
        return true;
    }();
    (void)done;
}

namespace trevok
{
namespace
{

struct TopicPage {
    int topic;
    const char* page;   // file name in resources/help/<language>/
    const char* anchor; // or nullptr
};

// Pages that do not exist yet are listed too: a request for them does nothing until a page is
// added to the resources.
constexpr TopicPage kPages[] = {
    {HelpTopic::Contents, "index.html", nullptr},
    {HelpTopic::BoardSize, "board.html", nullptr},
    {HelpTopic::Grid, "grid.html", nullptr},
    {HelpTopic::LayerInfo, "layers.html", nullptr},
    {HelpTopic::Arc, "arc.html", nullptr},
    {HelpTopic::Polygon, "polygon.html", nullptr},
    {HelpTopic::LayoutText, "text.html", nullptr},
    {HelpTopic::Router, "router.html", nullptr},
    {HelpTopic::PhotoView, "photoview.html", nullptr},
    {HelpTopic::AutoSave, "autosave.html", nullptr},
    {HelpTopic::Template, "template.html", nullptr},
    {HelpTopic::Print, "print.html", nullptr},
    {HelpTopic::BitmapExport, "images.html", "bitmap"},
    {HelpTopic::GifExport, "images.html", "gif"},
    {HelpTopic::Gerber, "gerber.html", nullptr},
    {HelpTopic::Drill, "drill.html", nullptr},
    {HelpTopic::FabricationSet, "fabset.html", nullptr},
    {HelpTopic::ProjectInfo, "projectinfo.html", nullptr},
    {HelpTopic::Colours, "colours.html", nullptr},
    {HelpTopic::Directories, "directories.html", nullptr},
    {HelpTopic::Milling, "milling.html", nullptr},
    {HelpTopic::Gcode, "milling.html", "gcode"},
    {HelpTopic::DesignCheck, "designcheck.html", nullptr},
    {HelpTopic::Properties, "navigation.html", "properties"},
};

const char* languageFolder(int language)
{
    switch (language) {
    case 0:
        return "de";
    case 2:
        return "fr";
    default:
        return "en";
    }
}

QPointer<HelpWindow> gWindow;

} // namespace

QUrl HelpUrl(int topic, int language)
{
    initHelpResources();
    for (const TopicPage& entry : kPages) {
        if (entry.topic != topic)
            continue;
        for (const char* folder : {languageFolder(language), "en"}) {
            const QString path =
                QStringLiteral(":/help/%1/%2").arg(QLatin1String(folder), QLatin1String(entry.page));
            if (!QFile::exists(path))
                continue;
            QUrl url(QStringLiteral("qrc") + path);
            if (entry.anchor)
                url.setFragment(QString::fromLatin1(entry.anchor));
            return url;
        }
        return {};
    }
    return {};
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(T("Trevok - Hilfe", "Trevok - Help", "Trevok - Aide"));
    resize(640, 560);
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(true);

    auto* contents = new QToolButton(this);
    contents->setText(T("&Inhalt", "&Contents", "&Sommaire"));
    back_ = new QToolButton(this);
    back_->setText(T("&Zurück", "&Back", "&Précédent"));
    back_->setIcon(QIcon::fromTheme(QStringLiteral("go-previous")));
    forward_ = new QToolButton(this);
    forward_->setText(T("&Vor", "&Forward", "&Suivant"));
    forward_->setIcon(QIcon::fromTheme(QStringLiteral("go-next")));
    for (QToolButton* b : {contents, back_, forward_})
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    back_->setEnabled(false);
    forward_->setEnabled(false);

    connect(contents, &QToolButton::clicked, this,
            [this] { showUrl(HelpUrl(HelpTopic::Contents, CurrentLanguage())); });
    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_, 1);
}

void HelpWindow::showUrl(const QUrl& url)
{
    if (url.isValid())
        browser_->setSource(url);
}

void HelpWindow::setOwner(QWidget* owner)
{
    if (parentWidget() == owner)
        return;
    const bool visible = isVisible();
    const QRect place = geometry();
    if (QWidget* old = parentWidget())
        old->removeEventFilter(this);
    setParent(owner, Qt::Window);
    if (owner)
        owner->installEventFilter(this);
    if (visible) {
        setGeometry(place);
        show();
    }
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The Hide event reaches the dialog before its child windows are hidden with it, and after
    // it left the modal stack: a dialog below it, if any, is the next owner.
    if (watched == parentWidget() && event->type() == QEvent::Hide) {
        QWidget* next = QApplication::activeModalWidget();
        setOwner(next == watched ? nullptr : next);
    }
    return QWidget::eventFilter(watched, event);
}

bool ShowHelpTopic(int topic)
{
    const QUrl url = HelpUrl(topic, CurrentLanguage());
    if (!url.isValid())
        return false;
    if (!gWindow) {
        gWindow = new HelpWindow;
        gWindow->setAttribute(Qt::WA_DeleteOnClose);
        // An open help window must not keep the program running after the main window closed.
        gWindow->setAttribute(Qt::WA_QuitOnClose, false);
    }
    gWindow->setOwner(QApplication::activeModalWidget());
    gWindow->showUrl(url);
    gWindow->show();
    gWindow->raise();
    gWindow->activateWindow();
    return true;
}

bool ShowHelpContents()
{
    return ShowHelpTopic(HelpTopic::Contents);
}

HelpWindow* CurrentHelpWindow()
{
    return gWindow.data();
}

} // namespace trevok
