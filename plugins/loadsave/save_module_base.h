#pragma once
// The base of every module that writes project data to a file: the parameters all savers
// share, the command "save", the editor form, and the gathering of the selected spectra or
// clipboard objects for the concrete module's saving operation.
#include "core/module.h"

#include <list>
#include <string>

class ClipboardObject;
class SpectrumList;

class SaveModuleBase : public Module {
public:
    // The module's type name is "Save_" + typeText.
    explicit SaveModuleBase(const std::string& typeText);
    ~SaveModuleBase() override;

    const CRuntimeClass* GetEditorClass() override;
    // One command: "save" runs RunSave.
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // The file kind: extensions, description (title, empty line, "Syntax" and the layout, lines
    // ended by CR LF) and whether the separator is used. Every flag pointer must be valid.
    virtual void GetFileDescription(std::string& extensions, std::string& description, bool* separatorUsed,
                                    bool* flag2, bool* flag3, bool* flag4);
    // "Spektrenobjekte", "Clipboardobjekte", or (the base) "Spektren- oder Clipboardobjekte".
    virtual void GetObjectKind(std::string& kind);
    // Saves the objects of the ";"-separated selection (paths, "group:*" for a whole group)
    // between the host's start and end of a calculation: spectra for a "Spektrenobjekte"
    // module (also none), else the clipboard objects found (false when there are none).
    virtual bool SaveObjects(const std::string& fileName, const std::string& selection);
    // The base writes nothing and fails.
    virtual bool SaveSpectra(const std::string& fileName, const SpectrumList& spectra);
    virtual bool SaveClipboardObjects(const std::string& fileName, const std::list<ClipboardObject*>& objects);

    // "save": SaveObjects with "FileName" and "SpecListDesc", without a dialog.
    bool RunSave();

    // True when the module's tree name (its menu path) holds "Clip": it saves clipboard data.
    bool IsClipboardModule() const;
};
