// Opening a module's editor form changes none of its stored parameters. Every plug-in is loaded
// through the program's loader into a document; each module of each factory gets unusual
// values that a script or a project file may store (numbers beyond the registered ranges, long
// texts, doubles with 17 significant digits), and its form is made, set up, shown and given
// its events as the editor pane does, then left as the pane leaves it (the fields taken back as
// they show, the form closed). After opening, and again after leaving, every parameter holds
// what was stored, except the few that a form derives on showing (listed below with the
// reason); opening shows no message.
#include "app/module_loader.h"
#include "app/velmont_doc.h"

#include "core/module.h"
#include "core/module_editor.h"
#include "core/module_factory.h"
#include "core/plugin_entry.h"
#include "platform/runtime_class.h"

#include "support/fake_prompter.h"
#include "support/plugin_suite.h"

#include <paramora/parameter_types.h>
#include <xandril/xandril.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

struct Derived {
    const char* parameter;
    const char* reason;
};

// What a form sets on showing (or its set-up, or every exchange, sets), by the module's type
// name: parameter and why.
const std::map<std::string, std::vector<Derived>> kDerivedOnShowing = {
    {"SpectralIntegralVarModule",
     {{"EvoRecomb", "every exchange sets it to two thirds of EvoCount"},
      {"EvoPopul", "every exchange sets it to 4"}}},
    {"CreateInterpolatorModule", {{"ProcOk", "the set-up clears the test flag"}}},
    {"NormalizeModule",
     {{"XShift", "the set-up resets the value changes of the last run to 0"},
      {"SigScale", "the set-up resets it to 1"},
      {"SigOffset", "the set-up resets it to 0"},
      {"UseAutoMaxNorm", "the set-up clears it"},
      {"UseNoNegValues", "the set-up clears it"},
      {"IntPrec", "every exchange derives it from the digits of the grid's numbers"},
      {"InterpolatorSel", "every exchange sets it to the enumeration's index"},
      {"ExtrapolatorSel", "every exchange sets it to the enumeration's index"},
      {"Interpolator", "a selection number in range is taken into the enumeration before it shows"},
      {"Extrapolator", "a selection number in range is taken into the enumeration before it shows"}}},
    {"SpectralFilterModule",
     {{"FilterSel", "every exchange sets it to the filter's index"},
      {"Filter", "a selection number in range is taken into the enumeration before it shows"}}},
    {"Calculation_RemTransSpec",
     {{"AritmetikfuncSel", "every exchange sets it to the function's index"},
      {"Aritmetikfunc", "a selection number in range is taken into the enumeration before it shows"}}},
    {"Calculation_PlanckianSource", {{"IntPrec", "every exchange derives it from the digits of the grid's numbers"}}},
    {"LED_CreateSpecs", {{"IntPrec", "every exchange derives it from the digits of the grid's numbers"}}},
    {"LED_CreateESpecs", {{"IntPrec", "every exchange derives it from the digits of the grid's numbers"}}},
    {"LED_ContinuousFitting",
     {{"AddTargetDrivenOptimization", "every exchange sets it by whether target or observer spectra are named"}}},
    {"Color_ColorCalculation", {{"ObserverIsQE", "in colour mode the form clears the quantum-efficiency box"}}},
    {"Color_IntCalculation", {{"ObserverIsQE", "in colour mode the form clears the quantum-efficiency box"}}},
    {"Color_ShowColors",
     {{"MiddleX", "closing reads the diagram's view back (one it cannot show becomes its fitted view)"},
      {"MiddleY", "closing reads the diagram's view back"},
      {"ScaleX", "closing reads the diagram's view back"},
      {"ScaleY", "closing reads the diagram's view back"}}},
};

// How one row stores a value of each kind, from the parameter's registered range.
struct Store {
    const char* what;
    int (*integer)(double min, double max);
    double (*real)(double min, double max);
    std::string text;
    bool switches;  // every bool on or off
    bool lastEntry; // enumerations on their last entry
};

int Saturate(double v)
{
    return static_cast<int>(std::clamp(v, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

// A finite value: where the range reaches the largest double, its limit.
double Finite(double v, double limit)
{
    return std::isfinite(v) ? v : limit;
}

int IntAbove(double, double max) { return Saturate(max + std::abs(max) + 1); }
int IntBelow(double min, double) { return Saturate(min - std::abs(min) - 1); }
int IntWithin(double min, double max) { return Saturate(min / 2 + max / 2); }
double RealAbove(double, double max) { return Finite(max + std::abs(max) + 1.2345678901234567, max); }
double RealBelow(double min, double) { return Finite(min - std::abs(min) - 1.2345678901234567, min); }
// 17 significant digits, within the range (near 0 where the range holds it).
double RealWithin(double min, double max)
{
    if (min <= 0.1 && 0.2 <= max)
        return 0.12345678901234567;
    return max > min ? min + (max / 8 - min / 8) * 0.98765432109876543 : 0.30000000000000004;
}

std::string LongText()
{
    std::string text;
    while (text.size() < 40000)
        text += "Gruppe " + std::to_string(text.size()) + ":Unter\xc3\xa4; ";
    return text;
}

const std::string kBlanksAround = "  Gruppe \xc3\xb6:Unter ;\tZweite ";

// Integers and doubles beyond their ranges in separate rows, so that a check the form makes of
// one kind cannot hide what it does to the other.
const Store kStores[] = {
    {"integers above their ranges, doubles with 17 digits, long texts, switches on", IntAbove, RealWithin,
     LongText(), true, true},
    {"integers below their ranges, doubles with 17 digits, texts with blanks around, switches off", IntBelow,
     RealWithin, kBlanksAround, false, false},
    {"doubles above their ranges, switches on", IntWithin, RealAbove, "Gruppe", true, false},
    {"doubles below their ranges, switches off", IntWithin, RealBelow, "Gruppe", false, true},
};

// Stores the row's value in every parameter of p.
void StoreUnusual(ns_param::Paramora& p, const Store& store)
{
    std::vector<std::pair<std::string, const ns_param::BaseParameterType*>> parameters;
    for (auto it = p.getFirstParameter(); it != p.getLastParameter(); ++it)
        parameters.emplace_back(it->first, it->second.get());
    for (const auto& [name, parameter] : parameters) {
        const double min = parameter->getMin(), max = parameter->getMax();
        switch (parameter->getType()) {
        case ns_param::TYPE_BYTE:
            p.setByteParameter(name, static_cast<unsigned char>(std::clamp(store.integer(min, max), 0, 255)));
            break;
        case ns_param::TYPE_INT:
            p.setIntParameter(name, store.integer(min, max));
            break;
        case ns_param::TYPE_FLOAT:
            p.setFloatParameter(name, static_cast<float>(store.real(min, max)));
            break;
        case ns_param::TYPE_DOUBLE:
            p.setDoubleParameter(name, store.real(min, max));
            break;
        case ns_param::TYPE_STRING:
            p.setStringParameter(name, store.text);
            break;
        case ns_param::TYPE_BOOL:
            p.setBoolParameter(name, store.switches);
            break;
        case ns_param::TYPE_ENUM:
            if (store.lastEntry) {
                ns_xandril::XMLEnumClass* entries = p.getEnumParameter(name);
                entries->setIndex(entries->getEntryCount() - 1);
            }
            break;
        default:
            break;
        }
    }
}

std::map<std::string, std::string> Values(const ns_param::Paramora& p)
{
    std::map<std::string, std::string> values;
    for (auto it = p.getFirstParameter(); it != p.getLastParameter(); ++it)
        values[it->first] = it->second->getValueText('.');
    return values;
}

std::string Shortened(const std::string& text)
{
    return text.size() <= 80 ? text : text.substr(0, 60) + "... (" + std::to_string(text.size()) + " bytes)";
}

// Lets the shown form handle what its showing posted (layouts, zero timers, paints).
void DeliverEvents()
{
    for (int i = 0; i < 3; ++i) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
        QCoreApplication::sendPostedEvents();
    }
}

class OpeningForms : public test_support::PluginSuite<::testing::Test> {
protected:

};

TEST_F(OpeningForms, ChangeNoStoredParameterOfAnyModule)
{
    const std::set<std::string> plugins = {"Tessarine.so", "Varenth.so", "Pellitor.so", "Quorvel.so", "Mervolt.so"};
    std::set<std::string> loaded;
    int opened = 0;
    for (const Store& store : kStores) {
        SCOPED_TRACE(store.what);
        FakePrompter prompter;
        CVelmontDoc doc;
        doc.SetModuleLibraries(s_libraries);
        doc.BuildModuleTree();
        for (const ModuleLibrary& library : *s_libraries) {
            if (!plugins.count(library.name))
                continue;
            loaded.insert(library.name);
            auto entry = reinterpret_cast<GetModuleFactoryFn>(dlsym(library.handle, kGetModuleFactoryName));
            ModuleFactory* factory = entry ? entry() : nullptr;
            ASSERT_NE(factory, nullptr) << library.name;
            for (int index = 0; index < factory->GetModuleCount(); ++index) {
                const std::string path = factory->GetModuleName(index);
                SCOPED_TRACE(path);
                Module* module = doc.GetModuleTree()->GetInserter(ns_tree::NormalizePath(path));
                ASSERT_NE(module, nullptr);
                const CRuntimeClass* record = module->GetEditorClass();
                if (!record)
                    continue;
                ns_param::Paramora& p = module->getParameters();
                StoreUnusual(p, store);
                std::set<std::string> derived;
                if (const auto listed = kDerivedOnShowing.find(module->getClassName());
                    listed != kDerivedOnShowing.end())
                    for (const Derived& d : listed->second)
                        derived.insert(d.parameter);
                const std::map<std::string, std::string> stored = Values(p);
                const auto expectKept = [&](const char* step) {
                    const std::map<std::string, std::string> now = Values(p);
                    for (const auto& [name, value] : stored) {
                        if (derived.count(name))
                            continue;
                        EXPECT_TRUE(now.at(name) == value)
                            << module->getClassName() << ": " << step << " changed " << name << " from "
                            << Shortened(value) << " to " << Shortened(now.at(name));
                    }
                };
                const std::size_t messages = prompter.shown.size() + prompter.dialogs.size();
                {
                    // As the editor pane opens a form.
                    QWidget pane;
                    auto* layout = new QVBoxLayout(&pane);
                    std::unique_ptr<QWidget> widget(record->CreateObject(nullptr));
                    auto* form = dynamic_cast<CModuleEditor*>(widget.get());
                    ASSERT_NE(form, nullptr) << record->m_lpszClassName;
                    layout->addWidget(widget.get());
                    form->SetModule(module);
                    form->InitModuleEditor();
                    form->UpdateData(false);
                    pane.resize(900, 700);
                    pane.show();
                    DeliverEvents();
                    ++opened;
                    expectKept("opening");
                    EXPECT_EQ(prompter.shown.size() + prompter.dialogs.size(), messages)
                        << module->getClassName() << ": a message on opening: "
                        << (prompter.shown.empty() ? std::string() : prompter.shown.back().text.toStdString());
                    // Choosing another module: the pane takes the fields back as they show,
                    // then the form goes. A refused check may say so; nothing changes.
                    form->UpdateData(true);
                }
                expectKept("leaving");
            }
        }
        // Forms and modules go before the libraries close.
    }
    EXPECT_EQ(loaded, plugins) << "a plug-in was not loaded";
    EXPECT_GT(opened, 0);
}

} // namespace
