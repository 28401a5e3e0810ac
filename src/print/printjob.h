#pragma once
// Printing to a PDF file as one job: the print dialog (when there is no printer) and
// `trevok-cli print` fill the same record and call the same function.

#include "print/printsheet.h"

#include <QByteArray>
#include <QSizeF>
#include <QString>

#include <array>
#include <string>
#include <vector>

namespace trevok
{

struct PrintJob {
    TBoard* board = nullptr; // drawing marks elements as it goes (see DrawPrintSheet)
    PrintSettings settings;
    std::array<PrintTemplate, 2> templates;
    QSizeF paperMm{210, 297};
    QString title;    // the PDF's title
    std::string path; // the PDF file; empty: a dry run that writes nothing
};

struct PrintJobResult {
    QByteArray pdf;
    std::vector<std::string> files; // the path written; nothing in a dry run
};

/// Draws the sheet as one PDF page (PrintSheetPdf) and writes it atomically. Throws TrevokError
/// PdfNotMade when no PDF came out, and the errors of WriteFileAtomically.
PrintJobResult RunPrintJob(const PrintJob& job);

} // namespace trevok
