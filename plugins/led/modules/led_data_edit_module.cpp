#include "modules/led_data_edit_module.h"

#include "modules/led_data_edit_form.h"

#include "core/clipboard_object.h"
#include "core/module_interface.h"

#include <memory>

LEDDataEditModule::LEDDataEditModule()
    : LEDModuleBase("DataEdit")
{
    ns_param::Paramora& p = getParameters();
    p.addStringParameter("FileName", "", "", "");
    p.addDoubleParameter("XStart", "", 400, 0, 1e99, 400);
    p.addDoubleParameter("XEnd", "", 700, 0, 1e99, 700);
    p.addDoubleParameter("XStep", "", 2, 0.01, 1000000, 2);
    p.addDoubleParameter("ModelTemperature", "", 298.15, 0, 1e99, 298.15);
    p.addStringParameter("LEDsDesc", "", "", "");
    p.addStringParameter("ConditionString", "", "", "");
    p.addStringParameter("ClipboardTargetGroup", "", "", "");
}

LEDDataEditModule::~LEDDataEditModule() = default;

const CRuntimeClass* LEDDataEditModule::GetEditorClass()
{
    return RUNTIME_CLASS(CLEDDataEditForm);
}

std::vector<SAutomationPtrList> LEDDataEditModule::GetAutomationPtr()
{
    using F = SAutomationPtrList::Function;
    return {SAutomationPtrList("load", static_cast<F>(&LEDDataEditModule::load)),
            SAutomationPtrList("save", static_cast<F>(&LEDDataEditModule::save)),
            SAutomationPtrList("export", static_cast<F>(&LEDDataEditModule::ExportList)),
            SAutomationPtrList("import", static_cast<F>(&LEDDataEditModule::ImportList))};
}

bool LEDDataEditModule::load()
{
    return false;
}

bool LEDDataEditModule::save()
{
    return false;
}

bool LEDDataEditModule::Erase()
{
    m_list.DeleteAllEntries();
    return true;
}

bool LEDDataEditModule::ImportList()
{
    RunGuard guard(*this, Numbers::Unread);
    if (!guard)
        return false;
    m_list.DeleteAllEntries();
    ModuleInterface* host = GetModuleInterface();
    ClipboardTree* tree = host ? host->GetClipboardTree() : nullptr;
    if (!tree)
        return true;
    for (ClipboardObject* object : tree->GetInserters(*getParameters().getStringParameter("LEDsDesc"), false))
        m_list.AddEntry(RecordOf(*object));
    return true;
}

bool LEDDataEditModule::ExportList()
{
    RunGuard guard(*this, Numbers::Unread);
    if (!guard)
        return false;
    ModuleInterface* host = GetModuleInterface();
    ClipboardTree* tree = host ? host->GetClipboardTree() : nullptr;
    if (!tree)
        return false;
    const std::string prefix = Prefix(*getParameters().getStringParameter("ClipboardTargetGroup"));
    const int count = m_list.EntryCount();
    for (int i = 0; i < count; ++i) {
        const ParamContainer& record = m_list.EntryAt(i);
        if (m_list.MatchesCondition(record)) {
            std::unique_ptr<ClipboardObject> object(ObjectOf(record, prefix, i, true));
            if (tree->AddInserter(object.get()))
                object.release();
        }
        host->SetProgressBarPercentage(i * 100.0 / count);
        if (host->UserWantsAbort())
            return false;
    }
    return true;
}

void LEDDataEditModule::userAddToXML(ns_xandril::XMLWriteModul& writer)
{
    writer.enterGroup("LEDLists");
    writer.enterGroup("LEDList");
    for (int i = 0; i < m_list.EntryCount(); ++i) {
        const ParamContainer& record = m_list.EntryAt(i);
        writer.enterGroup("LED");
        for (int k = 0; k < record.Count(); ++k) {
            writer.enterGroup("Param");
            writer.writeString("ParamName", "", record.KeyAt(k));
            writer.writeString("ParamValue", "", record.ValueAt(k));
            writer.leaveGroup();
        }
        writer.leaveGroup();
    }
    writer.leaveGroup();
    writer.leaveGroup();
}

void LEDDataEditModule::userUpdateFromXML(ns_xandril::XMLReadModul& reader)
{
    if (!reader.enterGroup("LEDLists"))
        return;
    for (bool list = reader.enterFirstGroup("LEDList"); list; list = reader.enterNextGroup()) {
        for (bool led = reader.enterFirstGroup("LED"); led; led = reader.enterNextGroup()) {
            ParamContainer record;
            for (bool param = reader.enterFirstGroup("Param"); param; param = reader.enterNextGroup()) {
                std::string comment, key, value;
                // A pair without its name or its value is left out.
                const bool hasKey = reader.readString("ParamName", comment, key);
                const bool hasValue = reader.readString("ParamValue", comment, value);
                if (hasKey && hasValue)
                    record.AddValue({key, value});
                reader.leaveGroup();
            }
            m_list.AddEntry(record);
            reader.leaveGroup();
        }
        reader.leaveGroup();
    }
    reader.leaveGroup();
}
