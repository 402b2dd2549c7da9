#pragma once
// Selected spectra or clipboard objects as plain text with a chosen separator, lines ended by
// CR LF. The factory lists this module twice; an instance whose tree name holds "Clip" writes
// clipboard objects, any other spectra.
#include "save_module_base.h"

#include <optional>

class SaveTabbedDataModule : public SaveModuleBase {
public:
    SaveTabbedDataModule();
    ~SaveTabbedDataModule() override;

    void GetFileDescription(std::string& extensions, std::string& description, bool* separatorUsed, bool* flag2,
                            bool* flag3, bool* flag4) override;
    void GetObjectKind(std::string& kind) override;
    // Refuses (no file) an empty selection and spectra on different x values.
    bool SaveSpectra(const std::string& fileName, const SpectrumList& spectra) override;
    bool SaveClipboardObjects(const std::string& fileName, const std::list<ClipboardObject*>& objects) override;

    // The decimal mark numbers are written with: the user's (QLocale::system()) unless set.
    char GetDecimalMark() const;
    void SetDecimalMark(char mark) { m_decimalMark = mark; }

private:
    std::optional<char> m_decimalMark;
};

namespace loadsave {

// The text layouts, as pure functions. mark is the user's decimal mark; where the field
// separator holds it, the other mark is written.
std::string SpectraText(const SpectrumList& spectra, const std::string& separator, bool saveNames, char mark);
std::string ClipboardText(const std::list<ClipboardObject*>& objects, const std::string& separator, bool compact,
                          bool noNames, char mark);
// ".txt" appended to a path without any ".".
std::string WithTxtExtension(const std::string& path);

} // namespace loadsave
