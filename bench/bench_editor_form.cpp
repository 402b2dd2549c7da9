// Switching the editor pane to another module: create a 40-field form from its run-time
// class, bind it to the module, set it up, show the values and read them back, destroy it.
// This is what a user waits for on every click in the module tree.
#include "qt_bench_main.h"

#include "core/module.h"
#include "core/module_editor.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>

#include <string>
#include <vector>

namespace {

constexpr int kFieldsPerKind = 10; // int, double, text, check box: 40 fields

std::string FieldName(char kind, int i) { return std::string(1, kind) + std::to_string(i); }

class BenchModule : public Module {
public:
    BenchModule()
        : Module("Bench_Form")
    {
        ns_param::Paramora& p = getParameters();
        for (int i = 0; i < kFieldsPerKind; ++i) {
            p.addIntParameter(FieldName('i', i), "Ganzzahl", i, 0, 1000, i);
            p.addDoubleParameter(FieldName('d', i), "Zahl", i * 0.125, -1e6, 1e6, 0.0);
            p.addStringParameter(FieldName('s', i), "Text", "Gruppe:Spektrum " + std::to_string(i), "");
            p.addBoolParameter(FieldName('b', i), "Schalter", i % 2 == 0, false);
        }
    }
    const CRuntimeClass* GetEditorClass() override;
};

class CBenchForm : public CModuleEditor {
    DECLARE_DYNCREATE(CBenchForm)

public:
    CBenchForm()
        : CModuleEditor(1)
    {
        auto* layout = new QFormLayout(this);
        for (int i = 0; i < kFieldsPerKind; ++i) {
            m_ints.push_back(new QLineEdit(this));
            m_doubles.push_back(new QLineEdit(this));
            m_texts.push_back(new QLineEdit(this));
            m_checks.push_back(new QCheckBox("Schalter", this));
            layout->addRow("Ganzzahl", m_ints.back());
            layout->addRow("Zahl", m_doubles.back());
            layout->addRow("Text", m_texts.back());
            layout->addRow(m_checks.back());
        }
    }

    void InitModuleEditor() override
    {
        for (QLineEdit* text : m_texts)
            text->setToolTip("Spektren hierher ziehen");
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        CModuleEditor::DoDataExchange(pDX);
        ns_param::Paramora& p = GetModule()->getParameters();
        for (int i = 0; i < kFieldsPerKind; ++i) {
            int n = *p.getIntParameter(FieldName('i', i));
            DDX_Text(pDX, m_ints[i], n);
            DDV_MinMaxInt(pDX, n, 0, 1000);
            p.setIntParameter(FieldName('i', i), n);
            double d = *p.getDoubleParameter(FieldName('d', i));
            DDX_Text(pDX, m_doubles[i], d);
            p.setDoubleParameter(FieldName('d', i), d);
            std::string s = *p.getStringParameter(FieldName('s', i));
            DDX_Text(pDX, m_texts[i], s);
            p.setStringParameter(FieldName('s', i), s);
            bool b = *p.getBoolParameter(FieldName('b', i));
            DDX_Check(pDX, m_checks[i], b);
            p.setBoolParameter(FieldName('b', i), b);
        }
    }

private:
    std::vector<QLineEdit*> m_ints, m_doubles, m_texts;
    std::vector<QCheckBox*> m_checks;
};

IMPLEMENT_DYNCREATE(CBenchForm, CModuleEditor)

const CRuntimeClass* BenchModule::GetEditorClass() { return RUNTIME_CLASS(CBenchForm); }

void BM_EditorFormSwitch(benchmark::State& state)
{
    BenchModule module;
    QWidget pane;
    pane.show();
    for (auto _ : state) {
        auto* form = static_cast<CModuleEditor*>(module.GetEditorClass()->CreateObject(&pane));
        form->SetModule(&module);
        form->InitModuleEditor();
        form->UpdateData(false);
        form->show();
        if (!form->UpdateData(true))
            state.SkipWithError("exchange failed");
        delete form;
    }
}
BENCHMARK(BM_EditorFormSwitch)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return RunBenchmarksWithApplication(argc, argv); }
