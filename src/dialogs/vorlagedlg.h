#pragma once
// "Eigenschaften der Vorlage": the template pictures of the current board, one page per board
// side: the BMP file, whether it is shown, its resolution, offsets and colour. The dialog lives
// for the whole run and holds the loaded pictures; the main window loads a board's settings into
// it when the board becomes current and writes them back when another board does.

#include "view/colours.h"
#include "view/templateimage.h"

#include <QColor>
#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <set>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace trevok
{

struct TBoard;

/// One side's template as the dialog holds it.
struct TemplateSide {
    QString file; // full path; empty: none
    TemplateImage image;
    bool shown = false;
    int dpi = TemplateDpiDefault;
    int offsetX = 0; // tenths of a millimetre, to the right
    int offsetY = 0; // tenths of a millimetre, downward
    ColourRef colour = Rgb(0, 255, 0);

    /// Where the picture lies on the board.
    TRect rect() const noexcept { return TemplateRect(image.width(), image.height(), dpi, offsetX, offsetY); }
};

class TVorlageDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit TVorlageDlg(QWidget* parent = nullptr);

    /// Side 0 or 1.
    const TemplateSide& side(int s) const { return sides_.at(static_cast<std::size_t>(s)); }
    /// The page shown (0 side 1, 1 side 2).
    int page() const;
    void setPage(int p);
    /// The folder the load button starts in; the folder of the last loaded file afterwards.
    QString folder;

    /// "&Vorlage laden...": reads the file as the side's picture. A file that cannot be read
    /// gives its message and keeps the previous picture and name. A picture whose header gives
    /// no resolution (0 pixels per metre) is taken at 600 dpi, with a message saying so.
    bool loadFile(int s, const QString& path);
    /// "Vorlage entfernen": no picture, no file, not shown.
    void removeTemplate(int s);

    /// A board became current: both pictures are dropped, each named file read again (a file
    /// that cannot be read gives its message once per run and stays empty, keeping its name
    /// so that it is found again when it comes back), then the board's switches and values.
    void loadFromBoard(const TBoard& board);
    /// Writes the settings into the board record (file names cut to 200 bytes).
    void storeToBoard(TBoard& board) const;

    // Replaceable by tests.
    std::function<QString(const QString& folder)> askFile;
    std::function<void(const QString& text)> inform;
    std::function<std::optional<QColor>(const QColor& initial)> pickColour;

    /// The message for a file that cannot be read.
    /// The load error message; `reason` (why, when known) follows on a line of its own.
    static QString loadErrorText(const QString& path, const QString& reason = {});

  signals:
    /// A setting or picture changed; the board view should be repainted.
    void changed();

  private:
    struct Page {
        QLabel* name = nullptr;
        QCheckBox* shown = nullptr;
        QSpinBox* dpi = nullptr;
        QSpinBox* offsetX = nullptr;
        QSpinBox* offsetY = nullptr;
        QPushButton* colour = nullptr;
    };
    QWidget* buildPage(int s);
    void syncPage(int s);
    void readPage(int s);
    bool readFile(int s, const QString& path, bool reportOnce);

    std::array<TemplateSide, 2> sides_;
    std::array<Page, 2> pages_;
    QTabWidget* tabs_ = nullptr;
    bool syncing_ = false;
    std::set<QString> reported_; // unreadable files already reported on a board change
};

} // namespace trevok
