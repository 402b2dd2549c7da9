// The load and save forms, headless: what each module's form shows, the file dialogs through
// the chooser seam, the log lines and the calculation bracket, and the pure rules behind them.
#include "form_rules.h"
#include "load_ascii_module.h"
#include "load_clip_ascii_module.h"
#include "load_form.h"
#include "load_module_base.h"
#include "load_ovclp_module.h"
#include "load_xml_module.h"
#include "loadsave_test_support.h"
#include "save_form.h"
#include "save_tabbed_data_module.h"
#include "save_xml_module.h"

#include "support/fake_file_chooser.h"
#include "support/fake_prompter.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <memory>

using namespace loadsave_test;

namespace {


// The module's form, created from its run-time class as the program does.
template <class F>
std::unique_ptr<F> FormFor(Module& module)
{
    QWidget* widget = module.GetEditorClass()->CreateObject(nullptr);
    auto* form = dynamic_cast<F*>(widget);
    EXPECT_NE(form, nullptr);
    form->SetModule(&module);
    form->InitModuleEditor();
    return std::unique_ptr<F>(form);
}

template <class W>
W* Field(QWidget& form, const char* name)
{
    W* field = form.findChild<W*>(name);
    EXPECT_NE(field, nullptr) << name;
    return field;
}

bool Shown(QWidget& form, const char* name)
{
    return !Field<QWidget>(form, name)->isHidden();
}

bool Enabled(QWidget& form, const char* name)
{
    return Field<QWidget>(form, name)->isEnabled();
}

} // namespace

TEST(LoadForm, WhatEachLoaderShows)
{
    RecordingHost host;
    const struct {
        const char* name;
        Module* module;
        bool separator, baseName, names, factor;
        const char* label;
        const char* description;
    } rows[] = {
        {"column text", &AddModule<LoadASCIIModule>(host, "a"), true, true, true, true, "Spektrenbezeichner:",
         "Laden von Spektren aus ASCII-Text-Datei\n\nDateiendung(en): *.txt, *.csv, *.*\n\nSyntax:\nSpektrenblock"},
        {"clipboard text", &AddModule<LoadClipASCIIModule>(host, "b"), true, true, false, false,
         "Datensatzbezeichner:",
         "Laden von Clipboard-Daten aus ASCII-Text-Datei\n\nDateiendung(en): *.txt, *.csv, *.*\n\nSyntax:\n"},
        {"own clipboard text", &AddModule<LoadOVClpModule>(host, "c"), false, true, false, false,
         "Datensatzbezeichner:",
         "Laden von Clipboard-Daten aus ASCII-Text-Datei\n\nDateiendung(en): *.txt, *.*\n\nSyntax: "
         "Orvanta-internes Format\n\n"},
        {"XML", &AddModule<LoadXMLModule>(host, "d"), false, false, false, false, "Spektrenbezeichner:",
         "Laden von Spektren aus XML-Datei\n\nDateiendung(en): *.xml, *.*\n\nSyntax: Orvanta-internes Format\n\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto form = FormFor<LoadForm>(*row.module);
        EXPECT_EQ(Shown(*form, "Trennzeichen"), row.separator);
        EXPECT_EQ(Shown(*form, "SeparatorLabel"), row.separator);
        EXPECT_EQ(Shown(*form, "ObjBaseName"), row.baseName);
        EXPECT_EQ(Shown(*form, "ObjBaseNameLabel"), row.baseName);
        EXPECT_EQ(Shown(*form, "UseNamesFromFile"), row.names);
        EXPECT_EQ(Shown(*form, "WavelengthNorm2nm"), row.factor);
        EXPECT_EQ(Shown(*form, "WavelengthNorm2nmLabel"), row.factor);
        EXPECT_EQ(Field<QLabel>(*form, "ObjBaseNameLabel")->text().toStdString(), row.label);
        EXPECT_TRUE(Field<QLabel>(*form, "Description")->text().startsWith(QString::fromUtf8(row.description)))
            << Field<QLabel>(*form, "Description")->text().toStdString();
    }
}

TEST(LoadForm, LoadsEveryChosenFileBetweenOneStartAndOneEnd)
{
    test_support::TempDir dir;
    WriteBytes(dir.file("eins.txt"), "380;1\r\n");
    WriteBytes(dir.file("drei.txt"), "380;3\r\n");
    RecordingHost host;
    auto& loader = AddModule<LoadASCIIModule>(host, kLoadAsciiPath);
    const auto form = FormFor<LoadForm>(loader);
    FakeFileChooser chooser;
    FakePrompter prompter;

    // Cancelled: nothing happens, the host is not told.
    form->OnLoad();
    EXPECT_EQ(chooser.openRequests, 1);
    EXPECT_EQ(chooser.lastFilter, "Spektren aus ASCII-Text-Datei (*.txt *.csv *.*)");
    EXPECT_TRUE(host.calls.empty());

    const std::string missing = dir.file("zwei.txt");
    chooser.answers = {QString::fromStdString(dir.file("eins.txt")), QString::fromStdString(missing),
                          QString::fromStdString(dir.file("drei.txt"))};
    Field<QLineEdit>(*form, "PreName")->setText("Import");
    Field<QPushButton>(*form, "Load")->click();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"StartCalculation", "EndCalculation"}));
    EXPECT_EQ(Log(host), (std::vector<std::string>{
                             "Datei '" + dir.file("eins.txt") + "' wurde erfolgreich geladen.",
                             "[000070] Fehler: Laden fehlgeschlagen! Die Datei ist möglicherweise noch geöffnet.",
                             "[000070] Fehler: Datei '" + missing + "' konnte nicht geladen werden!",
                             "Datei '" + dir.file("drei.txt") + "' wurde erfolgreich geladen.",
                         }));
    EXPECT_EQ(Spectra(host).size(), 1u) << "both files load into Import:Spec0";
    EXPECT_EQ(*loader.getParameters().getStringParameter("PreName"), "Import");
    EXPECT_EQ(*loader.getParameters().getStringParameter("FileName"), "") << "the form never sets FileName";
    EXPECT_TRUE(prompter.shown.empty());
}

TEST(LoadForm, FieldsReachTheParametersAndBadNumbersStopTheLoad)
{
    RecordingHost host;
    auto& loader = AddModule<LoadASCIIModule>(host, kLoadAsciiPath);
    const auto form = FormFor<LoadForm>(loader);
    FakeFileChooser chooser;
    FakePrompter prompter;
    ns_param::Paramora& p = loader.getParameters();
    EXPECT_EQ(Field<QLineEdit>(*form, "Trennzeichen")->text(), ";");
    EXPECT_EQ(Field<QLineEdit>(*form, "WavelengthNorm2nm")->text(), "1");

    Field<QLineEdit>(*form, "Trennzeichen")->setText(" | ");
    Field<QLineEdit>(*form, "ObjBaseName")->setText("Probe");
    Field<QCheckBox>(*form, "UseNamesFromFile")->setChecked(true);
    Field<QLineEdit>(*form, "WavelengthNorm2nm")->setText("1000");
    EXPECT_TRUE(form->UpdateData(true));
    EXPECT_EQ(*p.getStringParameter("Trennzeichen"), " | ");
    EXPECT_EQ(*p.getStringParameter("ObjBaseName"), "Probe");
    EXPECT_TRUE(*p.getBoolParameter("UseNamesFromFile"));
    EXPECT_EQ(*p.getDoubleParameter("WavelengthNorm2nm"), 1000.0);

    for (const char* factor : {"1,5", "abc", "-1"}) {
        SCOPED_TRACE(factor);
        prompter.shown.clear();
        Field<QLineEdit>(*form, "WavelengthNorm2nm")->setText(factor);
        form->OnLoad();
        EXPECT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(chooser.openRequests, 0) << "no dialog after a refused field";
        EXPECT_EQ(*p.getDoubleParameter("WavelengthNorm2nm"), 1000.0);
    }
}

TEST(SaveForm, WhatEachSaverShows)
{
    RecordingHost host;
    auto& spectraText = AddModule<SaveTabbedDataModule>(host, kSaveSpectraTextPath);
    auto& clipText = AddModule<SaveTabbedDataModule>(host, kSaveClipTextPath);
    auto& spectraXml = AddModule<SaveXMLModule>(host, kSaveSpectraXmlPath);
    auto& clipXml = AddModule<SaveXMLModuleClp>(host, kSaveClipXmlPath);
    const struct {
        const char* name;
        Module& module;
        bool compactTicked;
        bool separatorShown, separatorEnabled, compact, noNamesShown, noNamesEnabled, noNamesChecked, saveNames;
        const char* label;
    } rows[] = {
        {"spectra text", spectraText, false, true, true, false, false, false, true, true,
         "Zu speichernde Spektrenobjekte:"},
        {"clipboard text", clipText, false, true, false, true, true, false, false, false,
         "Zu speichernde Clipboardobjekte:"},
        {"clipboard text, compact", clipText, true, true, true, true, true, true, true, false,
         "Zu speichernde Clipboardobjekte:"},
        {"spectra XML", spectraXml, false, false, true, false, false, false, true, false,
         "Zu speichernde Spektrenobjekte:"},
        {"clipboard XML", clipXml, true, false, true, false, false, true, true, false,
         "Zu speichernde Clipboardobjekte:"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        row.module.getParameters().setBoolParameter("CompactFile", row.compactTicked);
        row.module.getParameters().setBoolParameter("NoNames", true);
        const auto form = FormFor<SaveForm>(row.module);
        EXPECT_EQ(Shown(*form, "Trennzeichen"), row.separatorShown);
        EXPECT_EQ(Shown(*form, "SeparatorLabel"), row.separatorShown);
        EXPECT_EQ(Enabled(*form, "Trennzeichen"), row.separatorEnabled);
        EXPECT_EQ(Shown(*form, "CompactFile"), row.compact);
        EXPECT_EQ(Shown(*form, "NoNames"), row.noNamesShown);
        EXPECT_EQ(Enabled(*form, "NoNames"), row.noNamesEnabled);
        EXPECT_EQ(Field<QCheckBox>(*form, "NoNames")->isChecked(), row.noNamesChecked);
        EXPECT_EQ(Shown(*form, "SaveNames"), row.saveNames);
        EXPECT_EQ(Field<QLabel>(*form, "DataLabel")->text().toStdString(), row.label);
    }

    // Ticking "kompaktes Speichern" offers the separator and "ohne Namen speichern".
    clipText.getParameters().setBoolParameter("CompactFile", false);
    const auto form = FormFor<SaveForm>(clipText);
    Field<QCheckBox>(*form, "CompactFile")->click();
    EXPECT_TRUE(Enabled(*form, "Trennzeichen"));
    EXPECT_TRUE(Enabled(*form, "NoNames"));
    Field<QCheckBox>(*form, "NoNames")->setChecked(true);
    Field<QCheckBox>(*form, "CompactFile")->click();
    EXPECT_FALSE(Enabled(*form, "NoNames"));
    EXPECT_FALSE(Field<QCheckBox>(*form, "NoNames")->isChecked());
}

TEST(SaveForm, SavesThroughTheDialogAndLogsTheOutcome)
{
    test_support::TempDir dir;
    RecordingHost host;
    auto& writer = AddModule<SaveTabbedDataModule>(host, kSaveSpectraTextPath);
    writer.SetDecimalMark('.');
    auto* spectrum = new Spectrum;
    spectrum->SetName("Messung:Probe 1");
    spectrum->AddPoint(SPoint(380, 1));
    host.spectra.AddInserter(spectrum);
    const auto form = FormFor<SaveForm>(writer);
    FakeFileChooser chooser;

    Field<QLineEdit>(*form, "SpecListDesc")->setText("Messung:Probe 1");
    Field<QLineEdit>(*form, "Trennzeichen")->setText(";");
    chooser.answer = QString::fromStdString(dir.file("export.csv"));
    Field<QPushButton>(*form, "Save")->click();
    EXPECT_EQ(chooser.lastName, "FromFolder_Messung_Entry_Probe 1");
    EXPECT_EQ(chooser.lastFilter, "eines Spektrenblocks aus n Spektren mit k Wellenlängen, optionaler Namenszeile in "
                                  "ASCII-Datei (*.txt *.csv *.*)");
    EXPECT_EQ(ReadBytes(dir.file("export.csv")), "    380.00000000;      1.00000000\r\n");
    EXPECT_EQ(*writer.getParameters().getStringParameter("FileName"), "") << "the form never sets FileName";

    Field<QLineEdit>(*form, "SpecListDesc")->setText("Fehlt");
    Field<QPushButton>(*form, "Save")->click();
    chooser.answer.clear();
    Field<QPushButton>(*form, "Save")->click(); // cancelled: no line
    EXPECT_EQ(Log(host), (std::vector<std::string>{
                             "Datei '" + dir.file("export.csv") + "' wurde erfolgreich gespeichert!",
                             "[007000] Hinweis: Überprüfen Sie, die zu speichernden Daten auf Eignung für das gewählte "
                             "Datenformat und ob die Datei gespeichert wurde!",
                         }));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"StartCalculation", "EndCalculation", "StartCalculation",
                                                    "EndCalculation"}));
}

// Every loader's and saver's description shows whole at any pane width: the label is as tall
// as its wrapped text needs, the controls below it start under it, and the scrolled page
// reaches them all.
TEST(LoadSaveForms, DescriptionsShowWhole)
{
    RecordingHost host;
    const struct {
        const char* name;
        Module& module;
    } rows[] = {
        {"load column text", AddModule<LoadASCIIModule>(host, kLoadAsciiPath)},
        {"load clipboard text", AddModule<LoadClipASCIIModule>(host, kLoadClipAsciiPath)},
        {"load own clipboard text", AddModule<LoadOVClpModule>(host, kLoadOwnClipPath)},
        {"load XML", AddModule<LoadXMLModule>(host, kLoadXmlPath)},
        {"save spectra text", AddModule<SaveTabbedDataModule>(host, kSaveSpectraTextPath)},
        {"save clipboard text", AddModule<SaveTabbedDataModule>(host, kSaveClipTextPath)},
        {"save spectra XML", AddModule<SaveXMLModule>(host, kSaveSpectraXmlPath)},
        {"save clipboard XML", AddModule<SaveXMLModuleClp>(host, kSaveClipXmlPath)},
    };
    for (const auto& row : rows) {
        const bool loader = dynamic_cast<LoadModuleBase*>(&row.module) != nullptr;
        std::unique_ptr<CModuleEditor> form;
        if (loader)
            form = FormFor<LoadForm>(row.module);
        else
            form = FormFor<SaveForm>(row.module);
        form->show();
        for (const QSize size : {QSize(456, 180), QSize(640, 480), QSize(1200, 900)}) {
            SCOPED_TRACE(std::string(row.name) + " at " + std::to_string(size.width()) + " x "
                         + std::to_string(size.height()));
            form->resize(size);
            QCoreApplication::processEvents();
            auto* label = Field<QLabel>(*form, "Description");
            auto* page = Field<QWidget>(*form, "Page");
            EXPECT_EQ(Field<QScrollArea>(*form, "PageScroll")->widget(), page);
            EXPECT_TRUE(label->text().contains(QStringLiteral("Syntax")));
            EXPECT_GE(label->height(), label->heightForWidth(label->width())) << label->text().toStdString();
            EXPECT_LE(label->geometry().bottom(), page->height());
            for (QWidget* control : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (control == label || control->isHidden() || control->y() < label->y())
                    continue;
                SCOPED_TRACE(control->objectName().toStdString());
                EXPECT_GT(control->y(), label->geometry().bottom()) << "below the whole description";
                EXPECT_LE(control->geometry().bottom(), page->height()) << "reachable in the scrolled page";
            }
        }
    }
}

TEST(FormRules, FiltersNamesAndGeometry)
{
    EXPECT_EQ(loadsave::FileFilter("Spektren aus ASCII-Text-Datei\r\n\r\nSyntax:\r\n...", "*.txt, *.csv, *.*"),
              "Spektren aus ASCII-Text-Datei\r\n\r\n (*.txt, *.csv, *.*)|*.txt; *.csv; *.*||");
    EXPECT_EQ(loadsave::QtFileFilter("Spektren aus ASCII-Text-Datei\r\n\r\n (*.txt, *.csv, *.*)|*.txt; *.csv; *.*||"),
              "Spektren aus ASCII-Text-Datei (*.txt *.csv *.*)");
    EXPECT_EQ(loadsave::QtFileFilter(loadsave::FileFilter("Datenobjekt", "*.xml")), "Datenobjekt (*.xml)");

    const struct {
        const char* selection;
        const char* name;
    } names[] = {
        {"Messung:Probe 1", "FromFolder_Messung_Entry_Probe 1"},
        {"Probe", "Probe"},
        {"Messung:*", "FromFolder_Messung_Entry__"},
        {"A:x;B:y", "FromFolder_A_Entry_y"},
        {"a/b;c", "a_b_c"},
        {"", ""},
        {"Eine sehr lange Gruppe mit vielen Zeichen:Ende", "FromFolder_Eine sehr lange Gruppe mit viele_Entry_Ende"},
        {"x\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"
         "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4:e",
         "FromFolder_x\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"
         "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4_Entry_e"},
    };
    for (const auto& row : names)
        EXPECT_EQ(loadsave::DefaultSaveFileName(row.selection), row.name) << row.selection;

    RecordingHost host;
    auto& loader = AddModule<LoadASCIIModule>(host, kLoadAsciiPath);
    const auto form = FormFor<LoadForm>(loader);
    form->show();
    form->resize(300, 100);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->size(), QSize(456, 180)) << "never below the minimum";
    EXPECT_EQ(Field<QWidget>(*form, "PreName")->width(), 456 - 135);
    // The controls below the pane's edge stay reachable.
    EXPECT_TRUE(Field<QScrollArea>(*form, "PageScroll")->verticalScrollBar()->isVisible());
    form->resize(2000, 600);
    QCoreApplication::processEvents();
    EXPECT_EQ(Field<QWidget>(*form, "PreName")->width(), 656);
    EXPECT_EQ(Field<QWidget>(*form, "Load")->x(), 676);
}
