#pragma once
// The project file (".pxml"): every module's parameters, every spectrum, every clipboard
// object, the project description and the workspace settings, as XML groups:
//
//   VelmontEnvironment
//     Modules            one group per module (its ParameterIO), then the key LastModule
//     Spectrums          one group Spectrum per spectrum
//     ClipboardObjects   one group ClipboardObject per object: the key ObjectName, its container
//     Comments
//       Comment          the key ComDescr, the escaped description
//     WorkspaceParams    the workspace container (holding the plot's "MainSpecViewContainer")
//
// Modules, spectra and clipboard objects are written and read in the order of their trees'
// object lists. Saving and opening report through the log, the status pane and the wait cursor
// of the program around them, reached through ProjectDocument.
#include "platform/colorref.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

class ModuleInterface;
class QWidget;

namespace ns_param {
class Paramora;
}

// Description escaping, each pass over the whole text in this order:
// "&" -> "&amp;", CR LF -> "[BR]", '"' -> "&quot;", "'" -> "&apos;".
std::string EscapeCommentText(const std::string& text);
// The passes back, in this order: "&amp;", "[BR]", "&quot;", "&apos;". A description holding
// the literal text "&quot;" was stored as "&amp;quot;" and so comes back as a double quote.
std::string UnescapeCommentText(const std::string& text);
// Lines split at LF; a CR ending a line is dropped; a final LF gives no empty last line.
std::vector<std::string> SplitLines(const std::string& text);

// The path a project is written to: ".pxml" appended when the file name has no ".".
std::string ProjectSavePath(const std::string& path);
// The file name (after the last "/") has a "." and its extension is not exactly "pxml".
bool HasForeignExtension(const std::string& path);
// The last module A:B:C as "'C' im Ordner 'B' > 'A'"; a path X without ":" gives
// "'X' im Ordner 'X'".
std::string LastModuleText(const std::string& lastModule);

// The project and the program around it, as saving and opening need them.
class ProjectDocument {
public:
    static constexpr COLORREF kGreen = 0x007000;
    static constexpr COLORREF kRed = 0x000070;
    static constexpr COLORREF kBlue = 0x700000;
    static constexpr COLORREF kBlack = 0x000000;
    static constexpr COLORREF kGrey = 0x303030;

    virtual ~ProjectDocument();

    // The module host: the three trees, and AddLogColorMessage for the one line that goes
    // through the document.
    virtual ModuleInterface& Host() = 0;
    virtual ns_param::Paramora& WorkspaceParams() = 0;
    // The ":"-path of the module used last, without "|" marks.
    virtual std::string& LastModule() = 0;
    virtual std::string GetProjectDescription() = 0;
    virtual void SetProjectDescription(const std::string& text) = 0;

    // Status pane 0.
    virtual void SetStatusState(const QString& text) = 0;
    // One line straight into the log window: the printf format it was made from, and the text.
    virtual void LogToWindow(COLORREF colour, const std::string& format, const std::string& line) = 0;
    // Owner of message boxes (may be null).
    virtual QWidget* MessageParent() = 0;
    // The framework's open step: false (after telling the user) when the file cannot be read.
    virtual bool OpenFileStep(const std::string& path) = 0;
    // The reset of a new project: main panel in the editor pane, module tree rebuilt, plot
    // emptied, spectrum and clipboard trees cleared.
    virtual void ResetProject() = 0;
    // Hands the module tree view the name of the module to select again.
    virtual void SelectModule(const std::string& name) = 0;
    // The open editor form stores its fields into its module.
    virtual void StoreOpenForm() = 0;
};

// Writes the project to ProjectSavePath(path) (a temporary file renamed over the target).
// The path written on success; nothing after a failure, which is logged and shown and leaves
// an old file whole.
std::optional<std::string> SaveProject(ProjectDocument& document, const std::string& path);

enum class OpenResult {
    Failed,  // the file could not be opened; the project is untouched
    Loaded,  // the project is what the file holds
    Damaged, // not a project file: the project is empty now and should have no file name
};
OpenResult OpenProject(ProjectDocument& document, const std::string& path);
