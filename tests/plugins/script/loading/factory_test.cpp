// bin/Mervolt.so loaded by the program's loader beside bin/Tessarine.so: its one module in the
// document's module tree, a script that drives the Planck module, and its form made from the
// record the plug-in registered.
#include "app/module_loader.h"
#include "app/velmont_doc.h"
#include "core/module.h"
#include "core/module_editor.h"
#include "core/plugin_entry.h"
#include "core/spectrum.h"
#include "platform/runtime_class.h"
#include "script/compiler_form.h"

#include <QPushButton>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kScriptPath = "Spek|tren-|Arith|me|tik:Spek|tren-|Com|pi|ler";
const std::string kPlanckPath = "Spek|tren-|Arith|me|tik:Da|ten|mo|del|le:Planck-|Ver|tei|lung be|rech|nen";

// Spectral exitance of a black body (W / (m^2 nm)) at a wavelength in nm, from the radiation
// constants of the law.
double Planck(double nm, double kelvin)
{
    const double h = 6.62607015e-34, c = 2.99792458e8, k = 1.380649e-23;
    const double l = nm * 1e-9;
    return 2 * M_PI * h * c * c / std::pow(l, 5) / std::expm1(h * c / (l * k * kelvin)) * 1e-9;
}

ModuleFactory* FactoryOf(const std::vector<ModuleLibrary>& libraries, const std::string& name)
{
    const auto it = std::find_if(libraries.begin(), libraries.end(),
                                 [&](const ModuleLibrary& library) { return library.name == name; });
    if (it == libraries.end())
        return nullptr;
    auto entry = reinterpret_cast<GetModuleFactoryFn>(dlsym(it->handle, kGetModuleFactoryName));
    return entry ? entry() : nullptr;
}

TEST(MervoltFactory, TheLoadedScriptModuleDrivesThePlanckModule)
{
    ASSERT_EQ(CRuntimeClass::FromName("CCompilerForm"), nullptr);
    std::vector<ModuleLibrary> libraries = LoadModuleLibraries(QStringLiteral(MERVOLT_PLUGIN_DIR), nullptr, 0);
    ModuleFactory* factory = FactoryOf(libraries, "Mervolt.so");
    ASSERT_NE(factory, nullptr) << "the loader did not take Mervolt.so";
    ASSERT_NE(FactoryOf(libraries, "Tessarine.so"), nullptr);
    ASSERT_EQ(factory->GetModuleCount(), 1);
    EXPECT_EQ(factory->GetModuleName(0), kScriptPath);
    for (int index : {-1, 1, 1000}) {
        EXPECT_EQ(factory->CreateModule(index), nullptr);
        EXPECT_EQ(factory->GetModuleName(index), "");
    }
    {
        std::unique_ptr<Module> own(factory->CreateModule(0));
        ASSERT_NE(own, nullptr);
        EXPECT_EQ(own->getClassName(), "Mervolt");
    }

    {
        CVelmontDoc doc;
        doc.SetModuleLibraries(&libraries);
        doc.BuildModuleTree();
        Module* script = doc.GetModuleTree()->GetInserter(kScriptPath);
        ASSERT_NE(script, nullptr);
        ASSERT_NE(doc.GetModuleTree()->GetInserter(kPlanckPath), nullptr);

        const std::string source = "p = \"" + kPlanckPath + "\";\n"
                                   "setParameter(p, \"Temperature\", 6500);\n"
                                   "setParameter(p, \"TargetGroup\", \"Skript\");\n"
                                   "ok = run(p, \"calculate\");\n"
                                   "double s[];\n"
                                   "s = getSpectrum(\"Skript:Planckian_6500\");\n"
                                   "s[1][:] = s[1][:] * 3;\n"
                                   "setSpectrum(\"Skript:Dreifach\", s);\n";
        script->getParameters().setStringParameter("SourceCode", source);
        // Two compiles in a row, as "compile" twice from the outside.
        ASSERT_EQ(script->RunAutomation("compile"), std::optional<bool>(true));
        ASSERT_EQ(script->RunAutomation("compile"), std::optional<bool>(true));
        ASSERT_EQ(script->RunAutomation("interprete"), std::optional<bool>(true));

        Spectrum* planck = doc.GetSpectrumTree()->GetInserter("Skript:Planckian_6500");
        Spectrum* copy = doc.GetSpectrumTree()->GetInserter("Skript:Dreifach");
        ASSERT_NE(planck, nullptr);
        ASSERT_NE(copy, nullptr);
        ASSERT_EQ(copy->GetPointCount(), 201); // 380 to 780 nm in steps of 2
        double maximum = 0;
        for (int i = 0; i < copy->GetPointCount(); ++i)
            maximum = std::max(maximum, Planck((*copy)[i].x, 6500));
        for (int i = 0; i < copy->GetPointCount(); ++i) {
            const SPoint point = (*copy)[i];
            EXPECT_EQ(point.x, 380 + 2 * i);
            EXPECT_NEAR(point.y, 3 * Planck(point.x, 6500) / maximum, 1e-5) << point.x;
        }

        const CRuntimeClass* record = CRuntimeClass::FromName("CCompilerForm");
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(script->GetEditorClass(), record);
        std::unique_ptr<QWidget> form(record->CreateObject(nullptr));
        auto* editor = dynamic_cast<CModuleEditor*>(form.get());
        ASSERT_NE(editor, nullptr);
        editor->SetModule(script);
        editor->InitModuleEditor();
        editor->UpdateData(false);
        EXPECT_TRUE(editor->UpdateData(true));
        EXPECT_EQ(*script->getParameters().getStringParameter("SourceCode"), source);

        // The demo through the form's buttons, with the real spectral filter module.
        form->findChild<QPushButton*>(QString::number(CCompilerForm::IDC_DEMO))->click();
        form->findChild<QPushButton*>(QString::number(CCompilerForm::IDC_RUN))->click();
        const Spectrum* laser = doc.GetSpectrumTree()->GetInserter("Laser:Laser940");
        const Spectrum* filtered = doc.GetSpectrumTree()->GetInserter("Laser:Laser940gefiltert:Laser940");
        ASSERT_NE(laser, nullptr);
        ASSERT_NE(filtered, nullptr);
        EXPECT_EQ(laser->GetColor(), RGB(0, 255, 0));
        EXPECT_EQ(filtered->GetColor(), RGB(128, 128, 0));
        EXPECT_EQ(filtered->GetPointCount(), 301);
        // Forms and modules go before the libraries close.
    }
    FreeModuleLibraries(libraries);
    EXPECT_EQ(CRuntimeClass::FromName("CCompilerForm"), nullptr);
    EXPECT_EQ(dlopen(MERVOLT_PLUGIN, RTLD_NOW | RTLD_NOLOAD), nullptr) << "the plug-in stayed loaded";
}

} // namespace
