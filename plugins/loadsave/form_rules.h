#pragma once
// What the load and save forms show, as pure functions of what their module reports: the
// description text, labels, which fields are shown and enabled, the file-dialog filter, the
// proposed file name and the layout of the selection row.
#include <QString>

#include <string>

namespace loadsave {

// A description split at its first "Syntax": the text before it, and the text from "Syntax"
// on (at most 10000 characters). Both are empty when it has no "Syntax".
struct DescriptionParts {
    std::string head;
    std::string syntax;
};
DescriptionParts SplitDescription(const std::string& description);

// The load form for a loader's file description and flags.
struct LoadFormView {
    std::string description;   // "Laden von %sDateiendung(en): %s\r\n\r\n%s"
    std::string baseNameLabel; // "Datensatzbezeichner:" or "Spektrenbezeichner:"
    bool factorShown = false;
    bool separatorShown = false;
    bool baseNameShown = false;
    bool namesFromFileShown = false;
};
LoadFormView LoadFormRules(const std::string& extensions, const std::string& description, bool separatorUsed,
                           bool baseNameUsed, bool namesFromFileOffered);

// The save form for a saver's file description, separator flag, object kind and module name
// (its menu path), and the state of the "kompaktes Speichern" box.
struct SaveFormView {
    std::string description; // "Speichern %sDateiendung(en): %s\r\n\r\n%s"
    std::string dataLabel;   // "Zu speichernde %s:"
    bool separatorShown = false;
    bool separatorEnabled = false;
    bool compactShown = false;
    bool noNamesShown = false;
    bool noNamesEnabled = false;
    bool saveNamesShown = false;
    bool clearNoNames = false; // the compact box is not ticked: "ohne Namen speichern" is cleared
};
SaveFormView SaveFormRules(const std::string& extensions, const std::string& description, bool separatorUsed,
                           const std::string& objectKind, const std::string& moduleName, bool compactTicked);

// The dialog filter of a file kind: "title (extensions)|extensions with ";" for ","||", the
// title being the description up to "Syntax".
std::string FileFilter(const std::string& description, const std::string& extensions);
// That filter for Qt's file dialogs: "title (*.txt *.csv *.*)", line ends removed.
QString QtFileFilter(const std::string& filter);

// The proposed name of a saved file: the selection itself when it has no ":", else
// "FromFolder_" + its text before the first ":" (32 characters at most) + "_Entry_" + its text
// after the last ":" (32 at most); "/", "*" and ";" become "_".
std::string DefaultSaveFileName(const std::string& selection);

// The selection row of both forms for a requested form size.
struct SelectionRow {
    int formWidth;  // at least 456
    int formHeight; // at least 180
    int editX;      // 10
    int editWidth;  // form width - 135, at most 656
    int buttonX;    // edit width + 20
};
SelectionRow SelectionRowFor(int width, int height);

// A text with CR LF line ends as a label shows it.
QString DisplayText(const std::string& text);

} // namespace loadsave
