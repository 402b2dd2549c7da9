// A module's form in the editor pane while the project ends: a new project (the save question
// answered "Nein" or "Ja"), another project opened, and the program's end. The form goes
// before the modules it edits and never touches them afterwards; the plug-ins' forms and
// modules come from the built plug-ins, loaded as the program loads them.
#include "app/module_loader.h"
#include "app/velmont_doc.h"
#include "core/module.h"
#include "core/module_editor.h"
#include "platform/runtime_class.h"
#include "ui/main_frame.h"
#include "ui/module_view.h"
#include "ui/velmont_view.h"

#include "support/fake_file_chooser.h"
#include "support/fake_prompter.h"
#include "support/plugin_suite.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct FormKind {
    const char* module; // the module's name as the module view shows it
    const char* form;   // the form's class
};

const FormKind kForms[] = {
    {"LED-Daten bearbeiten", "CLEDDataEditForm"},
    {"Beleuchtungsquelle", "CLumirefCommForm"},
    {"LED-Auswahl", "CLedSelectionForm"},
    {"Spektren filtern", "SpectralFilterForm"},
    {"Farbwerte berechnen", "CColorCalculationForm"},
    {"Spektren-Compiler", "CCompilerForm"},
};

enum class End { NewNo, NewYes, Open };

std::string EndName(End end)
{
    switch (end) {
    case End::NewNo:
        return "NeuNein";
    case End::NewYes:
        return "NeuJa";
    case End::Open:
        return "Oeffnen";
    }
    return {};
}

// Deferred deletions run, as when the event loop gets back.
void LetEventsThrough()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class FormTeardown : public test_support::PluginSuite<::testing::TestWithParam<std::tuple<std::size_t, End>>> {
protected:

    // Selects the module in the module view, which puts its form into the editor pane.
    static CModuleEditor* Show(CMainFrame& frame, const FormKind& kind)
    {
        frame.GetModuleView()->SetReselectName(QString::fromUtf8(kind.module));
        frame.GetModuleView()->Reselect();
        auto* form = dynamic_cast<CModuleEditor*>(frame.GetEditorPane());
        if (!form || !form->GetModule() || form->GetModule()->GetEditorClass() != CRuntimeClass::FromName(kind.form))
            return nullptr;
        return form;
    }

};

TEST_P(FormTeardown, TheFormGoesBeforeItsModule)
{
    const FormKind& kind = kForms[std::get<0>(GetParam())];
    const End end = std::get<1>(GetParam());
    ASSERT_FALSE(s_libraries->empty());
    FakePrompter prompter;
    FakeFileChooser chooser;
    QTemporaryDir dir;
    {
        auto frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(frame->BuildLayout());
        CVelmontDoc doc;
        doc.SetMainFrame(frame.get());
        doc.SetModuleLibraries(s_libraries);
        doc.OnFileNew();

        CModuleEditor* form = Show(*frame, kind);
        ASSERT_NE(form, nullptr) << kind.module;
        ASSERT_NE(form->GetModule(), nullptr);
        const QPointer<QWidget> shownForm(form);
        doc.SetModifiedFlag();

        switch (end) {
        case End::NewNo:
            prompter.answers = {platform::PromptAnswer::No};
            doc.OnFileNew();
            break;
        case End::NewYes:
            prompter.answers = {platform::PromptAnswer::Yes};
            chooser.answer = dir.filePath(QStringLiteral("projekt.pxml"));
            doc.OnFileNew();
            EXPECT_TRUE(QFileInfo::exists(chooser.answer));
            break;
        case End::Open:
            prompter.answers = {platform::PromptAnswer::No};
            chooser.answer = QStringLiteral(ORVANTA_SOURCE_DIR "/tests/data/led/data_edit.pxml");
            doc.OnFileOpen();
            EXPECT_EQ(doc.GetPathName(), chooser.answer);
            break;
        }
        EXPECT_FALSE(doc.IsModified());
        // The form ended with the old project, before its modules went.
        EXPECT_TRUE(shownForm.isNull());
        LetEventsThrough();

        // The program's end with the form on screen: panes first, then the document.
        ASSERT_NE(Show(*frame, kind), nullptr);
        doc.SetMainFrame(nullptr);
        frame.reset();
    }
    LetEventsThrough();
}

INSTANTIATE_TEST_SUITE_P(EveryEnd, FormTeardown,
                         ::testing::Combine(::testing::Range<std::size_t>(0, std::size(kForms)),
                                            ::testing::Values(End::NewNo, End::NewYes, End::Open)),
                         [](const auto& info) {
                             std::string name = kForms[std::get<0>(info.param)].form;
                             return name + "_" + EndName(std::get<1>(info.param));
                         });

} // namespace
