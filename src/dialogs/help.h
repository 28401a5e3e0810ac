#pragma once
// The in-program help: HTML pages compiled into the program, one page (or anchor) per help topic
// number, shown in a small browser window. A topic without a page does nothing.

#include <QString>
#include <QUrl>
#include <QWidget>

class QTextBrowser;
class QToolButton;

namespace trevok
{

/// Help topic numbers of the dialogs.
namespace HelpTopic
{
inline constexpr int Contents = 0;
inline constexpr int BoardSize = 4000;
inline constexpr int Grid = 5000;
inline constexpr int LayerInfo = 5500;
inline constexpr int Arc = 10000;
inline constexpr int Polygon = 12000;
inline constexpr int LayoutText = 13000;
inline constexpr int Router = 19100;
inline constexpr int PhotoView = 19300;
inline constexpr int AutoSave = 25000;
inline constexpr int Template = 29000;
inline constexpr int Print = 30000;
inline constexpr int BitmapExport = 32000;
inline constexpr int GifExport = 32100;
inline constexpr int Gerber = 33000;
inline constexpr int Drill = 34000;
inline constexpr int FabricationSet = 34500;
inline constexpr int ProjectInfo = 35100;
inline constexpr int Colours = 35200;
inline constexpr int Directories = 35300;
inline constexpr int Milling = 35500;
inline constexpr int Gcode = 35600;
inline constexpr int DesignCheck = 35700;
inline constexpr int Properties = 36000;
} // namespace HelpTopic

/// The page of a topic in a language (0 German, 1 English, 2 French), falling back to the
/// English page; an invalid URL when the topic has no page.
QUrl HelpUrl(int topic, int language);

/// The help window: a browser with contents, back and forward buttons.
class HelpWindow : public QWidget
{
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);
    QTextBrowser* browser() const { return browser_; }
    void showUrl(const QUrl& url);
    /// Makes the window belong to owner (a modal dialog, or nullptr for none), keeping its place
    /// and visibility. A modal dialog blocks every window but its own, so help asked for from
    /// inside one must be the dialog's window to be usable; when the dialog goes away, the
    /// window becomes free again and stays open.
    void setOwner(QWidget* owner);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QTextBrowser* browser_;
    QToolButton* back_;
    QToolButton* forward_;
};

/// Shows the page of a topic in the one help window of the run (created on first use), in the
/// current language. Returns false, showing nothing, when the topic has no page.
bool ShowHelpTopic(int topic);
/// "&Hilfethemen...": the contents page.
bool ShowHelpContents();
/// The help window of the run, or nullptr before the first request.
HelpWindow* CurrentHelpWindow();

} // namespace trevok
