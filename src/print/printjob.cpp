#include "print/printjob.h"

#include "document/atomicfile.h"
#include "document/messages.h"

namespace trevok
{

PrintJobResult RunPrintJob(const PrintJob& job)
{
    PrintJobResult r;
    r.pdf = PrintSheetPdf(*job.board, job.settings, job.templates, job.paperMm, job.title);
    // An empty file would pass for a written printout.
    if (r.pdf.isEmpty())
        throw TrevokError(MsgId::PdfNotMade);
    if (job.path.empty())
        return r;
    WriteFileAtomically(job.path, {reinterpret_cast<const std::uint8_t*>(r.pdf.constData()),
                                   static_cast<std::size_t>(r.pdf.size())});
    r.files.push_back(job.path);
    return r;
}

} // namespace trevok
