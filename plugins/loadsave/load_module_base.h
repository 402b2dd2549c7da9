#pragma once
// The base of every module that brings data from a file into the project: the parameters all
// loaders share, the command "load", the editor form, and the two operations each loader
// supplies (what its files look like, and the loading itself).
#include "core/module.h"
#include "platform/file_contents.h"

#include <optional>
#include <string>

class ClipboardObject;
class Spectrum;

namespace loadsave {
class ClipboardValues;
}

class LoadModuleBase : public Module {
public:
    // The module's type name is "Load_" + typeText.
    explicit LoadModuleBase(const std::string& typeText);
    ~LoadModuleBase() override;

    const CRuntimeClass* GetEditorClass() override;
    // One command: "load" runs RunLoad.
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // The file kind: its extensions ("*.txt, *.csv, *.*"), its description (title, empty line,
    // "Syntax" and the layout, lines ended by CR LF) and which of the form's fields it uses.
    // Each flag is written only through a pointer that is not null.
    virtual void GetFileDescription(std::string& extensions, std::string& description, bool* separatorUsed,
                                    bool* baseNameUsed, bool* namesFromFileOffered);
    // Loads one file into the host's trees; the base loads nothing and fails.
    virtual bool LoadFile(const std::string& fileName, const std::string& targetGroup);

    // LoadFile, but a file there is no memory for is refused with an error line.
    bool Load(const std::string& fileName, const std::string& targetGroup);
    // "load": Load with "FileName" and "PreName", without a dialog.
    bool RunLoad();

protected:
    // The field separator of the text loaders ("Trennzeichen" cleaned); nothing, after the
    // error line, when it is "." or ",".
    std::optional<std::string> TextSeparator();
    // The group of loaded objects: "PreName" trimmed, or else the group of the file name.
    std::string TargetGroup(const std::string& fileName);
    // Every byte of the file; a file that cannot be read gives no bytes. Nothing, after the
    // error line, for a file beyond platform::FileBytes::kMaxBytes (1 GiB) and for a folder,
    // pipe or device (refused at once, never waited on).
    std::optional<platform::FileBytes> ReadText(const std::string& fileName);
    // Inserts into the host's tree, which then owns the object; an object the tree does not
    // take (its handler refused to replace) is deleted. False then, or without a host.
    bool InsertSpectrum(Spectrum* spectrum);
    bool InsertClipboardObject(ClipboardObject* object);
    // A new clipboard object at path holding the record's values (if any), inserted.
    bool InsertClipboardRecord(const std::string& path, const loadsave::ClipboardValues& record);
};
