#pragma once
// One list of LED records kept inside the project: imported from clipboard objects, edited
// and filtered in the form, exported back as clipboard objects, and written with the
// module's parameters into the project file (groups "LEDLists" > "LEDList" > "LED" >
// "Param" with "ParamName" and "ParamValue").
#include "modules/led_module_base.h"

#include "engine/led_db.h"

class LEDDataEditModule : public LEDModuleBase {
public:
    LEDDataEditModule();
    ~LEDDataEditModule() override;

    const CRuntimeClass* GetEditorClass() override;
    // "load", "save", "export", "import", in this order.
    std::vector<SAutomationPtrList> GetAutomationPtr() override;

    // Loading and saving set files is the list editor's: these fail and change nothing.
    bool load();
    bool save();
    // The records that pass the list's condition as clipboard objects under
    // "ClipboardTargetGroup"; false when the user aborts (objects filed so far stay).
    bool ExportList();
    // Replaces the list by one record per clipboard object under "LEDsDesc".
    bool ImportList();
    // Empties the list (its keys stay).
    bool Erase();

    LedDB& GetLEDList() { return m_list; }

protected:
    void userAddToXML(ns_xandril::XMLWriteModul& writer) override;
    void userUpdateFromXML(ns_xandril::XMLReadModul& reader) override;

private:
    LedDB m_list;
};
