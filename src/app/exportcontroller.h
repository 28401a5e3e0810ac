#pragma once
// The manufacturing data of the current board as the editor writes it: Gerber and drill files,
// the fabrication set and pictures (Export menu), the isolation milling in HPGL and G-code with
// their progress window, the board contour file, and printing (to PDF without a printer). The
// dialogs fill the same job records as the command-line tool, and the same core functions write
// the files.

#include "document/messages.h"
#include "print/boardimage.h"

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPrinter;

namespace trevok
{

class ChecksController;
class EditSession;
class FilesController;
class Shell;
class TGcodeDlg;
class TGerberDlg;
class TKonturFraesenDlg;
class TLochDlg;
class TPrint_Dlg;
class TProject;
class TUmrissDlg;
class ViewModel;
class WindowViews;
struct IsolationResult;
struct MillingJob;
struct MillingJobResult;
struct Settings;
struct TBoard;
struct WorkingFolders;

class ExportController
{
  public:
    /// What the exports touch besides the project: the settings (the milling dialogs' values),
    /// the folders of this run's file dialogs, the view (its zoom for EMF) and the session (its
    /// running operation ends first).
    struct Parts {
        TProject& project;
        Settings& settings;
        WorkingFolders& folders;
        ViewModel& view;
        EditSession& session;
    };
    /// files: offers to convert old font texts first; checks: the design check before a
    /// manufacturing export.
    ExportController(const Parts& parts, FilesController& files, ChecksController& checks, Shell& shell,
                     WindowViews& views);
    ~ExportController();

    // Manufacturing data and images
    /// "&Gerber-Format...": the old font-text question, the dialog, the save dialog, the file.
    void gerber();
    /// "&Bohrdaten (Excellon)...": the dialog, the save dialog, the file.
    void drill();
    /// The Export menu's images: bitmap and GIF (and PNG) through the image dialog, EMF at the
    /// view's zoom, SVG and PDF at 300 dpi; then the save dialog in the graphics folder.
    void image(ImageFormat format);
    /// "Fertigungssatz...": folder and zip choice, the files of the set, then the folder is
    /// opened in the file manager (or named in a message without one).
    void fabricationSet();
    /// The long-lived export dialogs (made on first use).
    TGerberDlg* gerberDialog();
    TLochDlg* drillDialog();

    // Milling files
    /// "Isolationsfräsen...": the dialog, the contours with their progress window, the HPGL
    /// files, and a warning listing the places where the mill cannot pass.
    void isolationMilling();
    /// "Platinenkontur...": the board contour file of the selected tracks and circles on B1/B2.
    void outlineMilling();
    /// "G-Code...": the G-code dialog, the contours with their progress window, the isolation
    /// file with the drill and outline files beside it, and the isolation warning.
    void gcodeMilling();

    // Printing
    /// "&Drucken...": the print dialog with the current board; prints on "&Drucken", to the
    /// printer or, without a usable printer, to a PDF file the user names.
    void print();
    /// "D&rucker einrichten...": the printer's page setup.
    void printerSetup();
    /// The printer of the run, made on first use; without any printer it writes PDF.
    QPrinter& printer();
    bool printerUsable() const noexcept { return printerUsable_; }
    TPrint_Dlg* printDialog();

    /// Where a save dialog of an export starts: the name chosen last for this kind of file with
    /// the extension; the first time, the board's name in the project's folder (in folder while
    /// the project has no file).
    QString exportSuggestion(const QString& last, const QString& folder, const QString& extension) const;

  private:
    /// The save dialog of an export: starts at exportSuggestion, adds the extension when the
    /// name has none. Empty when cancelled.
    QString askExportName(const QString& caption, const QString& last, const QString& folder,
                          const QString& filter, const QString& extension);
    /// The folder of the project's file, or fallback while the project has none.
    QString projectFolderOr(const QString& fallback) const;
    /// Writes the bytes atomically; a failure is shown with its reason. True when written.
    bool writeExport(const QString& path, const std::string& bytes);
    /// The status line names what an export wrote.
    void reportWritten(const QStringList& paths);
    /// Draws an image with a progress window that can cancel; false when cancelled or failed
    /// (a failure is shown).
    bool makeImage(TBoard& board, const ImageOptions& options, std::string& bytes);

    QString askMillingFile(const QString& caption, const QString& filter, const QString& suffix);
    QString askHpglFile(const QString& caption);
    bool writeMillingFile(const QString& path, const std::string& bytes);
    /// The files of a milling job as one set; false after showing the failure.
    bool writeMillingFiles(const QString& path, const MillingJobResult& result);
    /// Clears the overlay, runs the job without writing (with the progress window) and draws the
    /// contours over the board; nullopt after showing why there are none, or when cancelled.
    std::optional<MillingJobResult> runMillingJob(const MillingJob& job);
    void warnIsolationProblems(const TBoard& board, const IsolationResult& result);

    void showMessage(MsgId id, const std::vector<std::string>& args, QMessageBox::Icon icon);
    QMessageBox::StandardButton ask(QMessageBox::Icon icon, const QString& caption, const QString& text,
                                    QMessageBox::StandardButtons buttons);

    Parts p_;
    FilesController& files_;
    ChecksController& checks_;
    Shell& shell_;
    WindowViews& views_;

    QPointer<TGerberDlg> gerberDlg_;
    QPointer<TLochDlg> drillDlg_;
    QPointer<TUmrissDlg> umrissDlg_;
    QPointer<TKonturFraesenDlg> konturDlg_;
    QPointer<TGcodeDlg> gcodeDlg_;
    QPointer<TPrint_Dlg> printDlg_;
    std::unique_ptr<QPrinter> printer_;
    bool printerUsable_ = false;
    QString lastGerberPath_; // the names chosen last in the save dialogs of this run
    QString lastDrillPath_;
    QString lastImagePath_;
    QString lastHpglFolder_; // the folder of the last HPGL file written in this run
    QString lastFabFolder_;
    bool lastFabZip_ = false;
};

} // namespace trevok
