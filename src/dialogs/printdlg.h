#pragma once
// "Drucken": the print dialog with its live preview. It keeps its settings for the whole run
// (layers and colours, masks, drill plans, mirror, negative, scale, tiles, calibration, the
// board's place on the page); the main window hands it the board and the printer before it
// opens and prints on "&Drucken".
//
// Without a usable printer the dialog prints to a PDF file instead, and its caption says so.

#include "print/printsheet.h"

#include <QColor>
#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QPrinter;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace trevok
{

class PrintPreview;

class TPrint_Dlg : public QDialog
{
    Q_OBJECT
  public:
    explicit TPrint_Dlg(QWidget* parent = nullptr);

    /// The values handed in before the dialog opens: the board, its templates and the printer
    /// (null or unusable: printing goes to a PDF file).
    void prepare(TBoard* board, std::array<PrintTemplate, 2> templates, QPrinter* printer,
                 bool printerUsable);
    bool printsToPdf() const noexcept { return !usable_; }

    PrintSettings& settings() noexcept { return set_; }
    PrintPreview* preview() const noexcept { return preview_; }
    /// A control by its name (CB_K1, P_K1, S_Frei, S_Wert, KachelBtn, ...).
    template <class W> W* control(const char* name) const { return findChild<W*>(QString::fromLatin1(name)); }

    // What the buttons do; public so that tests and the main window can call them.
    void chooseColour(int panel); // 0..3 layers K1, B1, K2, B2; 4, 5 masks; 6, 7 drill plans
    void centre();
    void copyToClipboard();
    void editTiles();
    void editCalibration();
    void editOptions();
    /// "&Setup...": the printer's page setup; then the caption and the preview follow it.
    void printerSetup();

    // Replaceable by tests.
    std::function<std::optional<QColor>(const QColor& initial)> pickColour;
    std::function<bool(QDialog& dialog)> runDialog;
    std::function<void(const QString& text)> inform;
    /// The system page setup of the printer; true when accepted.
    std::function<bool(QPrinter& printer)> pageSetup;

    /// The caption when printing goes to a PDF file.
    static QString pdfCaption();

  private:
    void build();
    void readControls();
    void updateScale();
    void updatePaper();
    void updatePanels();
    ColourRef& panelColour(int panel);

    PrintSettings set_;
    TBoard* board_ = nullptr;
    std::array<PrintTemplate, 2> templates_;
    QPrinter* printer_ = nullptr;
    bool usable_ = false;

    PrintPreview* preview_ = nullptr;
    std::array<QPushButton*, 8> panels_{};
    QRadioButton* oneToOne_ = nullptr;
    QRadioButton* free_ = nullptr;
    QScrollBar* scale_ = nullptr;
    QLabel* scaleLabel_ = nullptr;
    bool syncing_ = false;
};

/// The paper and printable area of a printer in millimetres (printable relative to the paper).
struct PaperArea {
    QSizeF paper;
    QRectF printable;
};
PaperArea PrinterPaper(const QPrinter& printer);

} // namespace trevok
