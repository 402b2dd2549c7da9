#pragma once
// The seam for handing a document (a PDF manual, a folder) to the desktop's own program. The
// default one uses QDesktopServices; tests install a fake that records the paths.
#include <QString>

namespace platform {

class DocumentOpener {
public:
    virtual ~DocumentOpener();
    // Opens path with the program the desktop associates with it; false when that failed.
    virtual bool Open(const QString& path) = 0;
};

DocumentOpener& GetDocumentOpener();
// Installs an opener (null: the QDesktopServices one again) and returns the one it replaces.
DocumentOpener* SetDocumentOpener(DocumentOpener* opener);

// The folder of the program's PDF manuals: "Orvanta/Doc" in the first shared data folder that
// has it (else in the first shared one), without a trailing "/".
QString ManualFolder();

} // namespace platform
