// The script form without a window system: texts, layout, data exchange, the run bracket and
// loading and saving script files.
#include "fixture.h"

#include "script/compiler_form.h"
#include "script/compiler_form_rules.h"
#include "script/script_file.h"
#include "script/syntax_edit.h"

#include "platform/data_exchange.h"
#include "support/fake_file_chooser.h"
#include "support/fake_prompter.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using script_test::ScriptHost;

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(CompilerFormRules, TheHelpTextStandsExactly)
{
    const QString expected = QStringLiteral(
        "Spektren, Modulfunktionen und -parameter können per Drag+Drop funktional in das Quelltextfenster übernommen "
        "werden.\n"
        "Durch Betätigen der CTRL-Taste beim Markieren und Ziehen aus dem Spektrenbaum wird bei Spektren nur der Name "
        "übernommen.\n"
        "Syntaxbeispiele:\n"
        "Ausführen von Modulfunktionen:\t\t\t\t\t\t\trun(\"Gruppe:Modulname\",\"Funktionsname\") \n"
        "Setzen von Modulparametern (numerische Datentypen oder Zeichenketten):\t"
        "setParameter(\"Gruppe:Modulname\",\"Parametername\",Wert) \n"
        "Holen von Modulparametern (numerische Datentypen oder Zeichenketten):\t"
        "getParameter(\"Gruppe:Modulname\",\"Parametername\") \n"
        "Setzen von Spektrenfarben:\t\t\t\t\t\t\tsetSpectrumColor(\"Spektrengruppe:Spektrenname\",r,g,b) \n"
        "Erzeugen von Spektren im Spektrenbaum:\t\t\t\t\tsetSpectrum(\"Spektrengruppe:Spektrenname\",2xN Matrix)\n"
        "Erzeugen von Spektren im Spektrenbaum mit automatischer Numerierung:\t"
        "setSpectrumAutoName(\"Spektrengruppe:Spektrenname\",Wert, 2xN Matrix)\n"
        "Holen von Spektren aus Spektrenbaum:\t\t\t\t\t\tgetSpectrum(\"Spektrengruppe:Spektrenname\") \n"
        "Ausgeben von Nachrichten:\t\t\t\t\t\t\tmsgOut(\"Text\")");
    EXPECT_EQ(script::CompilerHelpText(), expected);
}

TEST(CompilerFormRules, LayoutForASize)
{
    struct Row {
        QSize size;
        script::CompilerFormRects r;
    };
    const script::CompilerFormRects small{
        QRect(10, 60, 296, 180),  QRect(186, 250, 120, 20), QRect(10, 250, 296, 180), QRect(316, 60, 130, 240),
        QRect(326, 80, 120, 40),  QRect(326, 140, 120, 40), QRect(326, 190, 120, 40), QRect(326, 240, 120, 40),
        QRect(326, 305, 120, 20), QRect(326, 330, 120, 20)};
    const script::CompilerFormRects large{
        QRect(10, 60, 840, 420),  QRect(730, 490, 120, 20), QRect(10, 490, 840, 315), QRect(860, 60, 130, 240),
        QRect(870, 80, 120, 40),  QRect(870, 140, 120, 40), QRect(870, 190, 120, 40), QRect(870, 240, 120, 40),
        QRect(870, 305, 120, 20), QRect(870, 330, 120, 20)};
    for (const Row& row : {Row{{456, 300}, small}, Row{{300, 200}, small}, Row{{1000, 700}, large}}) {
        SCOPED_TRACE(row.size.width());
        const script::CompilerFormRects r = script::CompilerFormLayout(row.size);
        EXPECT_EQ(r.edit, row.r.edit);
        EXPECT_EQ(r.status, row.r.status);
        EXPECT_EQ(r.help, row.r.help);
        EXPECT_EQ(r.group, row.r.group);
        EXPECT_EQ(r.run, row.r.run);
        EXPECT_EQ(r.load, row.r.load);
        EXPECT_EQ(r.save, row.r.save);
        EXPECT_EQ(r.demo, row.r.demo);
        EXPECT_EQ(r.smartError, row.r.smartError);
        EXPECT_EQ(r.clipping, row.r.clipping);
    }
}

TEST(ScriptFile, LineEndsAndEncodings)
{
    struct Row {
        const char* name;
        std::string bytes;
        std::string text;
    };
    const Row rows[] = {
        {"CR LF", "a\r\nb\r\n", "a\nb\n"},
        {"CR only", "a\rb\r\rc", "a\nb\n\nc"},
        {"LF", "a\nb", "a\nb"},
        {"Windows-1252", "gr\xfcn \x80", "grün €"},
        {"UTF-8 stays", "grün", "grün"},
        {"NUL bytes stay", std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(script::ScriptFromFile(row.bytes), row.text);
    }
    EXPECT_EQ(script::ScriptToFile("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd");
}

class FormTest : public testing::Test {
protected:
    void SetUp() override
    {
        form.SetModule(s.script);
        form.InitModuleEditor();
        form.UpdateData(false);
        form.resize(600, 500);
        form.show();
    }
    template <class W>
    W* Control(int id)
    {
        return form.findChild<W*>(QString::number(id));
    }
    std::string Source() { return *s.script->getParameters().getStringParameter("SourceCode"); }

    ScriptHost s;
    CCompilerForm form;
};

TEST_F(FormTest, ShowsItsControlsAndTexts)
{
    const std::pair<int, const char*> captions[] = {{CCompilerForm::IDC_RUN, "AUSFÜHREN"},
                                                    {CCompilerForm::IDC_LOAD, "SKRIPT\nLADEN"},
                                                    {CCompilerForm::IDC_SAVE, "SKRIPT SPEICHERN"},
                                                    {CCompilerForm::IDC_DEMO, "DEMO- \nSKRIPT"}};
    for (const auto& [id, caption] : captions) {
        ASSERT_NE(Control<QPushButton>(id), nullptr) << id;
        EXPECT_EQ(Control<QPushButton>(id)->text(), QString::fromUtf8(caption));
    }
    EXPECT_EQ(Control<QCheckBox>(CCompilerForm::IDC_SMARTERROR)->text(), "SmartError");
    EXPECT_EQ(Control<QCheckBox>(CCompilerForm::IDC_CLIPPING)->text(), "Clipping");
    EXPECT_EQ(Control<QLabel>(CCompilerForm::IDC_DESCRIPTION)->text(), QString::fromUtf8(script::kDescription));
    EXPECT_EQ(Control<QLabel>(CCompilerForm::IDC_HELP)->text(), script::CompilerHelpText());
    EXPECT_EQ(Control<QLabel>(CCompilerForm::IDC_STATUS)->text(), "Pos.:1, 0");
    EXPECT_EQ(form.GetEdit(), Control<CSyntaxEdit>(CCompilerForm::IDC_EDIT));
    const int bar = form.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    EXPECT_EQ(form.GetEdit()->geometry(), script::CompilerFormLayout(QSize(600 - bar, 500)).edit);
}

TEST_F(FormTest, ExchangesBothWays)
{
    ns_param::Paramora& p = s.script->getParameters();
    p.setStringParameter("SourceCode", "msgOut(\"Grün\");\n");
    p.setBoolParameter("Clipping", true);
    form.UpdateData(false);
    EXPECT_EQ(form.GetEdit()->toPlainText(), "msgOut(\"Grün\");\n");
    EXPECT_TRUE(Control<QCheckBox>(CCompilerForm::IDC_CLIPPING)->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(CCompilerForm::IDC_SMARTERROR)->isChecked());

    form.GetEdit()->setPlainText("x = 1;\ny = 2;");
    Control<QCheckBox>(CCompilerForm::IDC_CLIPPING)->setChecked(false);
    Control<QCheckBox>(CCompilerForm::IDC_SMARTERROR)->setChecked(true);
    ASSERT_TRUE(form.UpdateData(true));
    EXPECT_EQ(Source(), "x = 1;\ny = 2;");
    EXPECT_FALSE(*p.getBoolParameter("Clipping"));
    EXPECT_TRUE(*p.getBoolParameter("SmartError"));
    // The status line follows the caret.
    QTextCursor c = form.GetEdit()->textCursor();
    c.setPosition(9);
    form.GetEdit()->setTextCursor(c);
    EXPECT_EQ(Control<QLabel>(CCompilerForm::IDC_STATUS)->text(), "Pos.:2, 2");
}

// A host that notes, with each log line, whether the run button and the editor were enabled;
// with throwAtPoll its abort query throws what is no standard exception (as a stopped data
// exchange is).
class WatchingHost : public RecordingHost {
public:
    bool UserWantsAbort() override
    {
        if (throwAtPoll)
            throw platform::DataExchangeStop();
        return RecordingHost::UserWantsAbort();
    }
    void AddLogMessageV(const char* format, va_list args) override __attribute__((format(printf, 2, 0)))
    {
        if (form)
            enabledAtLog.push_back(form->findChild<QWidget*>(QString::number(CCompilerForm::IDC_RUN))->isEnabled() ||
                                   form->findChild<QWidget*>(QString::number(CCompilerForm::IDC_EDIT))->isEnabled());
        RecordingHost::AddLogMessageV(format, args);
    }
    QWidget* form = nullptr;
    std::vector<bool> enabledAtLog;
    bool throwAtPoll = false;
};

TEST(CompilerForm, RunBracketsCompileAndRunAndDisablesItsControls)
{
    struct Row {
        const char* name;
        const char* source;
        std::vector<std::string> log;
        bool throwAtPoll = false;
    };
    const Row rows[] = {
        {"a good script", "msgOut(\"läuft\");", {"läuft"}},
        {"a compile error, then the run reports", "x = ;", {"", "Fehler: Kein übersetztes Skript."}},
        {"a run left by an exception", "while (1) { }", {}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WatchingHost host;
        Mervolt script;
        script.SetName("Skript");
        script.SetModuleInterface(&host);
        CCompilerForm form;
        form.SetModule(&script);
        form.InitModuleEditor();
        form.GetEdit()->setPlainText(row.source);
        host.form = &form;
        host.throwAtPoll = row.throwAtPoll;
        // An exception must not pass Qt's own frames: the throwing run calls the handler itself.
        if (row.throwAtPoll)
            EXPECT_THROW(form.OnRun(), platform::DataExchangeStop);
        else
            form.findChild<QPushButton*>(QString::number(CCompilerForm::IDC_RUN))->click();
        EXPECT_EQ(host.calls.front(), "StartCalculation");
        EXPECT_EQ(host.calls.back(), "EndCalculation");
        EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "EndCalculation"), 1);
        EXPECT_EQ(*script.getParameters().getStringParameter("SourceCode"), row.source);
        const std::vector<std::string> lines = host.LogTexts();
        ASSERT_EQ(lines.size(), row.log.size());
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (!row.log[i].empty()) {
                EXPECT_EQ(lines[i], row.log[i]);
            }
        EXPECT_EQ(host.enabledAtLog, std::vector<bool>(lines.size(), false));
        EXPECT_TRUE(form.findChild<QWidget*>(QString::number(CCompilerForm::IDC_RUN))->isEnabled());
        EXPECT_TRUE(form.findChild<QWidget*>(QString::number(CCompilerForm::IDC_EDIT))->isEnabled());
    }
}

TEST_F(FormTest, DemoFillsTheEditor)
{
    form.GetEdit()->OnDropModule("M"); // a kept text that the demo forgets
    Control<QPushButton>(CCompilerForm::IDC_DEMO)->click();
    EXPECT_EQ(Source(), script::DemoScript());
    EXPECT_EQ(form.GetEdit()->toPlainText().toStdString(), script::DemoScript());
    EXPECT_TRUE(form.GetEdit()->GetUndoText().isEmpty());
    EXPECT_TRUE(Control<QPushButton>(CCompilerForm::IDC_RUN)->isEnabled());
}

TEST_F(FormTest, LoadAndSaveScriptFiles)
{
    test_support::TempDir dir;
    FakeFileChooser chooser;
    FakePrompter prompter;
    const std::string file = dir.file("skript.mcc");
    WriteBytes(file, "// Gr\xfc\x65\x21\r\nx = 1;\ry = 2;\n");

    chooser.answer = QString::fromStdString(file);
    Control<QPushButton>(CCompilerForm::IDC_LOAD)->click();
    EXPECT_EQ(chooser.lastFilter, "MCC (*.mcc)");
    EXPECT_EQ(Source(), "// Grüe!\nx = 1;\ny = 2;\n");
    EXPECT_EQ(form.GetEdit()->toPlainText().toStdString(), Source());

    // Saving writes the source with CR LF and nothing else.
    form.GetEdit()->setPlainText("a = 1;\nmsgOut(\"ö\");");
    const std::string saved = dir.file("neu.mcc");
    chooser.answer = QString::fromStdString(saved);
    Control<QPushButton>(CCompilerForm::IDC_SAVE)->click();
    EXPECT_EQ(chooser.lastName, "*.mcc");
    EXPECT_EQ(ReadBytes(saved), "a = 1;\r\nmsgOut(\"ö\");");
    EXPECT_TRUE(prompter.shown.empty());

    // Cancelled: nothing changes.
    chooser.answer.clear();
    Control<QPushButton>(CCompilerForm::IDC_LOAD)->click();
    EXPECT_EQ(Source(), "a = 1;\nmsgOut(\"ö\");");
}

TEST_F(FormTest, AFailedLoadOrSaveSaysSoAndLosesNothing)
{
    test_support::TempDir dir;
    FakeFileChooser chooser;
    FakePrompter prompter;
    form.GetEdit()->setPlainText("behalten");

    chooser.answer = QString::fromStdString(dir.file("fehlt.mcc"));
    Control<QPushButton>(CCompilerForm::IDC_LOAD)->click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].caption, "Fehler");
    EXPECT_EQ(prompter.shown[0].text, "Die Datei '" + chooser.answer + "' kann nicht gelesen werden.");
    EXPECT_EQ(Source(), "behalten");
    EXPECT_EQ(form.GetEdit()->toPlainText(), "behalten");

    // A folder cannot be replaced by a file: the write fails, the folder stays.
    const std::string folder = dir.file("ordner.mcc");
    std::filesystem::create_directory(folder);
    chooser.answer = QString::fromStdString(folder);
    Control<QPushButton>(CCompilerForm::IDC_SAVE)->click();
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[1].text, "Die Datei '" + chooser.answer + "' kann nicht geschrieben werden.");
    EXPECT_TRUE(std::filesystem::is_directory(folder));

    // An existing file in a folder that cannot be written keeps its bytes.
    const std::string old = dir.file("alt.mcc");
    WriteBytes(old, "alt\r\n");
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    chooser.answer = QString::fromStdString(old);
    Control<QPushButton>(CCompilerForm::IDC_SAVE)->click();
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    if (prompter.shown.size() == 3u) { // root may write anyway
        EXPECT_EQ(ReadBytes(old), "alt\r\n");
    }
    EXPECT_EQ(Source(), "behalten");
}

TEST_F(FormTest, OddFilesLoad)
{
    test_support::TempDir dir;
    FakeFileChooser chooser;
    const std::string file = dir.file("seltsam.mcc");
    std::string bytes;
    for (int i = 0; bytes.size() < 200'000; ++i)
        bytes += "x = " + std::to_string(i) + "; // \xe4\r" + std::string(i % 1000 == 999 ? 1 : 0, '\0');
    WriteBytes(file, bytes);
    chooser.answer = QString::fromStdString(file);
    Control<QPushButton>(CCompilerForm::IDC_LOAD)->click();
    EXPECT_EQ(Source(), script::ScriptFromFile(bytes));
    EXPECT_EQ(Source().find('\r'), std::string::npos);
    EXPECT_EQ(form.GetEdit()->document()->blockCount(), std::count(bytes.begin(), bytes.end(), '\r') + 1);
    // It compiles to an error at worst.
    EXPECT_FALSE(s.script->Compile());
    ASSERT_EQ(s.host.log.size(), 1u);
    EXPECT_NE(s.host.log[0].text.find("unerwartetes Zeichen"), std::string::npos) << s.host.log[0].text;
}

TEST(ScriptFile, TenMegabytesLoadAndCompile)
{
    test_support::TempDir dir;
    const std::string file = dir.file("gross.mcc");
    std::string bytes;
    for (int i = 0; bytes.size() < 10'000'000; ++i)
        bytes += "x = " + std::to_string(i) + "; // gr\xfcn\r\n";
    WriteBytes(file, bytes);
    std::string text = "unverändert";
    ASSERT_TRUE(script::LoadScriptFile(file, text));
    EXPECT_EQ(text.find('\r'), std::string::npos);
    ScriptHost s;
    s.script->getParameters().setStringParameter("SourceCode", text);
    EXPECT_TRUE(s.script->Compile());
    EXPECT_FALSE(script::LoadScriptFile(dir.file("fehlt.mcc"), text));
    // Each CR LF became LF, each Windows-1252 "ü" two UTF-8 bytes; the failed read left the text.
    const auto lines = std::count(bytes.begin(), bytes.end(), '\r');
    EXPECT_EQ(text.size(), bytes.size() - static_cast<std::size_t>(lines) + static_cast<std::size_t>(lines));
}

} // namespace
