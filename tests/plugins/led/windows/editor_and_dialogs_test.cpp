// The list editor with its commands, the load/save flows and their remembered choice, the
// view settings and the text prompt, all through the fake prompter and file chooser.
#include "windows/editor_win.h"
#include "windows/param_container_edit_wnd.h"
#include "windows/param_db_load_save_dlg.h"
#include "windows/text_enter_dlg.h"
#include "windows/view_settings_dlg.h"

#include "engine/engine_log.h"
#include "engine/led_db.h"
#include "support/fake_file_chooser.h"
#include "support/fake_prompter.h"
#include "support/recording_host.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const QString kLeds = QStringLiteral(ORVANTA_TEST_DATA_DIR "/led/leds.txt");

template <class W>
W* Child(QWidget& parent, int id)
{
    W* w = parent.findChild<W*>(QString::number(id));
    EXPECT_NE(w, nullptr) << id;
    return w;
}

std::vector<std::string> Column(const CEditorWin& list, const char* key)
{
    std::vector<std::string> values;
    for (int i = 0; i < list.RowCount(); ++i)
        values.push_back(list.RowAt(i)->FindValue(key).second);
    return values;
}

// The remembered choice is per process: each test starts from the first-use values.
class ListEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        CParamDBLoadSaveDlg::GetRemembered() = CParamDBLoadSaveDlg::Remembered();
        list.SetRecordEditor(&record);
        list.SetHost(&host);
        list.resize(500, 200);
        record.resize(300, 300);
        list.show();
        record.show();
    }
    void TearDown() override { CParamDBLoadSaveDlg::GetRemembered() = CParamDBLoadSaveDlg::Remembered(); }

    // Loads the fixture through the list's own command and the load dialog.
    void LoadFixture()
    {
        prompter.onModal = [](QDialog& dlg) {
            Child<QLineEdit>(dlg, CParamDBLoadSaveDlg::IDC_FILEPATH)->setText(kLeds);
            dlg.accept();
            return dlg.result();
        };
        list.OnLoadData();
        prompter.onModal = nullptr;
    }

    FakePrompter prompter;
    FakeFileChooser chooser;
    RecordingHost host;
    LedDB db;
    CParamContainerEditWnd record;
    CEditorWin list;
};

TEST_F(ListEditor, RowsColumnsAndCellColours)
{
    list.SetParamContainerSet(&db);
    EXPECT_EQ(list.GetColumnKeys().size(), 65u);
    EXPECT_EQ(list.RowCount(), 0);
    LoadFixture();
    EXPECT_EQ(Column(list, "Name"), (std::vector<std::string>{"LED_Blau", "LED_Gruen", "LED_Rot", "LED_Amber"}));
    EXPECT_EQ(list.model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("PeakWavelength"));
    EXPECT_EQ(list.model()->data(list.model()->index(2, 3)).toString(), QStringLiteral("0.630"));
    EXPECT_EQ(list.columnWidth(0), 100);
    // The command logged to the owner's host, though no module run was under way.
    EXPECT_NE(std::find(host.LogTexts().begin(), host.LogTexts().end(), "Erstelle Elementliste..."),
              host.LogTexts().end());
    EXPECT_EQ(CurrentHost.load(), nullptr);

    // Stored green, derived yellow (Material from the peak), missing red; selected navy.
    list.SetColumnKeys({"Name", "Material", "Shape"});
    list.setColumnWidth(0, 100);
    const QImage image = list.viewport()->grab().toImage();
    const int y = list.rowViewportPosition(0) + list.rowHeight(0) - 2;
    EXPECT_EQ(image.pixelColor(95, y), QColor(196, 255, 196));
    EXPECT_EQ(image.pixelColor(195, y), QColor(255, 255, 196));
    EXPECT_EQ(image.pixelColor(295, y), QColor(255, 196, 196));
    list.SelectRow(1);
    const int y1 = list.rowViewportPosition(1) + list.rowHeight(1) / 2;
    EXPECT_EQ(list.viewport()->grab().toImage().pixelColor(95, y1), QColor(0, 0, 128));

    // A condition that rejects every entry shows no rows; the columns stay.
    db.SetCondition("PeakWavelength > 5");
    list.RebuildRows();
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(list.GetColumnKeys().size(), 3u);
}

TEST_F(ListEditor, KeysOfAnyLengthAreLookedUpWhole)
{
    // Two keys that agree in their first 1100 characters.
    const std::string stem(1100, 'k');
    ParamContainerSet set;
    ParamContainer r;
    r.AddKeyValue(stem + "A", "erster");
    r.AddKeyValue(stem + "B", "zweiter");
    set.AddEntry(r);
    list.SetParamContainerSet(&set);
    ASSERT_EQ(list.model()->columnCount(), 2);
    EXPECT_EQ(list.model()->data(list.model()->index(0, 1)).toString(), QStringLiteral("zweiter"));
    EXPECT_EQ(list.model()->headerData(1, Qt::Horizontal).toString().size(), 1101);
    list.SetParamContainerSet(nullptr);
}

TEST_F(ListEditor, SelectionShowsTheRecordAndARightPressOnlyOpensTheMenu)
{
    list.SetParamContainerSet(&db);
    LoadFixture();
    list.SelectRow(2);
    EXPECT_EQ(record.GetParamContainer(), list.RowAt(2));

    const QPoint p(10, list.rowViewportPosition(0) + 2);
    QMouseEvent right(QEvent::MouseButtonPress, p, list.viewport()->mapToGlobal(p), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &right);
    EXPECT_TRUE(list.GetContextMenu()->isVisible());
    list.GetContextMenu()->hide();
    EXPECT_EQ(list.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(list.selectionModel()->selectedRows().front().row(), 2);

    QStringList texts;
    for (QAction* a : list.GetContextMenu()->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text() + QLatin1Char('=') + a->data().toString());
    EXPECT_EQ(texts, (QStringList{"Neuer Eintrag=5003", "Eintrag duplizieren=5004", "-", "Daten laden=5001",
                                  "Daten speichern=5002", "Anzeige-Einstellungen=5000"}));
}

TEST_F(ListEditor, NewDuplicateAndTheirRefusals)
{
    // Without a set the commands do nothing; loading and saving say so.
    list.OnNewEntry();
    list.OnDuplicateEntry();
    list.OnLoadData();
    list.OnSaveData();
    EXPECT_EQ(host.LogTexts(), (std::vector<std::string>{"Es ist kein Datenobjekt mit der Liste verknüpft.",
                                                          "Es ist kein Datenobjekt mit der Liste verknüpft."}));
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_TRUE(prompter.dialogs.empty());

    list.SetParamContainerSet(&db);
    LoadFixture();
    list.OnNewEntry();
    ASSERT_EQ(list.RowCount(), 5);
    EXPECT_EQ(list.RowAt(4)->Count(), 0);

    // Duplicating needs exactly one selected row.
    list.SelectRow(-1);
    list.OnDuplicateEntry();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].caption, QStringLiteral("Achtung"));
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("Bitte wählen Sie genau eine Zeile aus."));
    EXPECT_EQ(prompter.shown[0].icon, platform::PromptIcon::Information);
    EXPECT_EQ(list.RowCount(), 5);
    list.SelectRow(1);
    list.OnDuplicateEntry();
    EXPECT_EQ(Column(list, "Name").back(), "LED_Gruen");
    EXPECT_EQ(db.EntryCount(), 6);
}

TEST_F(ListEditor, ASetEmptiedElsewhereLeavesNoRowsOnFreedEntries)
{
    list.SetParamContainerSet(&db);
    LoadFixture();
    list.SelectRow(0);
    ASSERT_NE(record.GetParamContainer(), nullptr);
    db.DeleteAllEntries();
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(record.GetParamContainer(), nullptr);
    list.viewport()->grab(); // paints without touching freed entries (ASan watches)
    record.viewport()->grab();
}

TEST_F(ListEditor, ViewSettingsChooseColumnsInSetOrderAndTheCondition)
{
    list.SetParamContainerSet(&db);
    LoadFixture();
    list.SetColumnKeys({"Name"});
    prompter.onModal = [](QDialog& dlg) {
        auto& settings = dynamic_cast<CViewSettingsDlg&>(dlg);
        EXPECT_EQ(settings.windowTitle(), QStringLiteral("Anzeige-/Auswahl-Einstellungen"));
        QListWidget* keys = settings.GetKeyList();
        EXPECT_EQ(keys->count(), 65);
        EXPECT_TRUE(keys->item(0)->isSelected());
        EXPECT_FALSE(keys->item(1)->isSelected());
        keys->item(0)->setSelected(false);
        keys->findItems(QStringLiteral("FWHM"), Qt::MatchExactly).front()->setSelected(true);
        keys->findItems(QStringLiteral("Company"), Qt::MatchExactly).front()->setSelected(true);
        Child<QLineEdit>(dlg, CViewSettingsDlg::IDC_CONDITION)->setText(QStringLiteral("Company == \"Werk2\""));
        dlg.accept();
        return dlg.result();
    };
    list.OnViewSettings();
    EXPECT_EQ(list.GetColumnKeys(), (std::vector<std::string>{"Company", "FWHM"}));
    EXPECT_EQ(list.GetConditionText(), "Company == \"Werk2\"");
    EXPECT_EQ(Column(list, "Name"), (std::vector<std::string>{"LED_Rot", "LED_Amber"}));

    // Cancel keeps columns and condition.
    prompter.onModal = [](QDialog& dlg) {
        dynamic_cast<CViewSettingsDlg&>(dlg).GetKeyList()->clearSelection();
        dlg.reject();
        return dlg.result();
    };
    list.OnViewSettings();
    EXPECT_EQ(list.GetColumnKeys(), (std::vector<std::string>{"Company", "FWHM"}));
    EXPECT_EQ(list.GetConditionText(), "Company == \"Werk2\"");
}

TEST_F(ListEditor, LoadKeepsChosenColumnsAndFillsEmptyOnes)
{
    list.SetParamContainerSet(&db);
    list.SetColumnKeys({});
    LoadFixture();
    EXPECT_EQ(list.GetColumnKeys().size(), 65u);
    list.SetColumnKeys({"Name"});
    LoadFixture();
    EXPECT_EQ(list.GetColumnKeys(), std::vector<std::string>{"Name"});
}

TEST_F(ListEditor, LoadSaveFlowsRememberTheChoiceUntilTheProcessEnds)
{
    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("saved.txt"));
    list.SetParamContainerSet(&db);
    LoadFixture();

    // The first use shows the defaults; the save chooser is asked through the browse button.
    chooser.answer = saved;
    prompter.onModal = [](QDialog& dlg) {
        EXPECT_TRUE(Child<QRadioButton>(dlg, CParamDBLoadSaveDlg::IDC_FILEOPTION)->isChecked());
        EXPECT_EQ(Child<QRadioButton>(dlg, CParamDBLoadSaveDlg::IDC_FILEOPTION)->text(),
                  QStringLiteral("Daten in eine Datei speichern"));
        EXPECT_EQ(Child<QLineEdit>(dlg, CParamDBLoadSaveDlg::IDC_FILEPATH)->text(), kLeds);
        EXPECT_EQ(Child<QLineEdit>(dlg, CParamDBLoadSaveDlg::IDC_DATASOURCE)->text(), QStringLiteral("DSN="));
        EXPECT_EQ(Child<QLineEdit>(dlg, CParamDBLoadSaveDlg::IDC_TABLENAME)->text(), QStringLiteral("DataTable"));
        EXPECT_FALSE(Child<QLineEdit>(dlg, CParamDBLoadSaveDlg::IDC_DATASOURCE)->isEnabled());
        Child<QAbstractButton>(dlg, CParamDBLoadSaveDlg::IDC_BROWSE)->click();
        dlg.accept();
        return dlg.result();
    };
    list.OnSaveData();
    EXPECT_EQ(chooser.saveRequests, 1);
    EXPECT_EQ(chooser.openRequests, 0);
    EXPECT_TRUE(QFileInfo::exists(saved));
    EXPECT_EQ(CParamDBLoadSaveDlg::GetRemembered().filePath, saved.toStdString());

    // Cancel after editing changes nothing remembered.
    prompter.onModal = [](QDialog& dlg) {
        Child<QLineEdit>(dlg, CParamDBLoadSaveDlg::IDC_FILEPATH)->setText(QStringLiteral("/anders.txt"));
        Child<QAbstractButton>(dlg, CParamDBLoadSaveDlg::IDC_TABLEOPTION)->click();
        dlg.reject();
        return dlg.result();
    };
    list.OnLoadData();
    EXPECT_EQ(CParamDBLoadSaveDlg::GetRemembered().filePath, saved.toStdString());
    EXPECT_TRUE(CParamDBLoadSaveDlg::GetRemembered().useFile);
    EXPECT_EQ(list.RowCount(), 4);

    // The data-table option: the set logs that tables are not supported, and the next use of
    // either flow starts with that option.
    host.log.clear();
    prompter.onModal = [](QDialog& dlg) {
        EXPECT_EQ(Child<QRadioButton>(dlg, CParamDBLoadSaveDlg::IDC_TABLEOPTION)->text(),
                  QStringLiteral("Daten aus einer ODBC-Datentabelle importieren"));
        Child<QAbstractButton>(dlg, CParamDBLoadSaveDlg::IDC_TABLEOPTION)->click();
        EXPECT_TRUE(Child<QLineEdit>(dlg, CParamDBLoadSaveDlg::IDC_TABLENAME)->isEnabled());
        EXPECT_FALSE(Child<QLineEdit>(dlg, CParamDBLoadSaveDlg::IDC_FILEPATH)->isEnabled());
        dlg.accept();
        return dlg.result();
    };
    list.OnLoadData();
    EXPECT_EQ(host.LogTexts().front(), "Fehler: ODBC-Datentabellen werden nicht unterstützt.");
    prompter.onModal = [](QDialog& dlg) {
        EXPECT_TRUE(Child<QRadioButton>(dlg, CParamDBLoadSaveDlg::IDC_TABLEOPTION)->isChecked());
        dlg.reject();
        return dlg.result();
    };
    list.OnSaveData();

    // A file that fails to load keeps the set and its rows; the set logs why.
    CParamDBLoadSaveDlg::GetRemembered() = CParamDBLoadSaveDlg::Remembered();
    host.log.clear();
    prompter.onModal = [](QDialog& dlg) {
        Child<QLineEdit>(dlg, CParamDBLoadSaveDlg::IDC_FILEPATH)->setText(QStringLiteral("/gibt/es/nicht.txt"));
        dlg.accept();
        return dlg.result();
    };
    list.OnLoadData();
    EXPECT_EQ(list.RowCount(), 4);
    EXPECT_FALSE(host.log.empty());
}

TEST_F(ListEditor, BrowseNamesANewFileWhenSavingAndAnyFileWhenLoading)
{
    QTemporaryDir dir;
    list.SetParamContainerSet(&db);
    LoadFixture();
    const struct {
        const char* name;
        bool save;
        QString chosen;
        int saveRequests, openRequests;
        bool fileAfter; // the chosen file exists after the flow
    } cases[] = {
        // A name that no file has yet: the save chooser offers it, the set writes it.
        {"save under a new name", true, dir.filePath(QStringLiteral("neu.txt")), 1, 0, true},
        // The open chooser lets a missing name through; the set's load names it and keeps the rows.
        {"load a missing file", false, dir.filePath(QStringLiteral("fehlt.txt")), 0, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        chooser.saveRequests = chooser.openRequests = chooser.uncheckedOpenRequests = 0;
        chooser.answer = c.chosen;
        host.log.clear();
        prompter.onModal = [&](QDialog& dlg) {
            Child<QAbstractButton>(dlg, CParamDBLoadSaveDlg::IDC_BROWSE)->click();
            EXPECT_EQ(Child<QLineEdit>(dlg, CParamDBLoadSaveDlg::IDC_FILEPATH)->text(), c.chosen);
            dlg.accept();
            return dlg.result();
        };
        if (c.save)
            list.OnSaveData();
        else
            list.OnLoadData();
        EXPECT_EQ(chooser.saveRequests, c.saveRequests);
        EXPECT_EQ(chooser.uncheckedOpenRequests, c.openRequests);
        EXPECT_EQ(chooser.openRequests, 0) << "no chooser that insists on an existing file";
        EXPECT_EQ(QFileInfo::exists(c.chosen), c.fileAfter);
        EXPECT_EQ(CParamDBLoadSaveDlg::GetRemembered().filePath, c.chosen.toStdString());
        EXPECT_EQ(list.RowCount(), 4);
    }
    const std::vector<std::string> log = host.LogTexts();
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "Datei konnte nicht geöffnet werden: '" + dir.filePath(QStringLiteral("fehlt.txt")).toStdString() + "'"),
              log.end());
}

TEST(SmallDialogs, ViewSettingsShowAndReturnTheSelection)
{
    FakePrompter prompter;
    CViewSettingsDlg dlg;
    dlg.allKeys = {"A", "B", "C"};
    dlg.visibleKeys = {"C", "A"};
    prompter.onModal = [](QDialog& d) {
        auto& s = dynamic_cast<CViewSettingsDlg&>(d);
        QListWidget* keys = s.GetKeyList();
        EXPECT_EQ(keys->count(), 3);
        EXPECT_EQ(keys->item(0)->text(), QStringLiteral("A"));
        EXPECT_TRUE(keys->item(0)->isSelected());
        EXPECT_FALSE(keys->item(1)->isSelected());
        EXPECT_TRUE(keys->item(2)->isSelected());
        keys->item(0)->setSelected(false);
        d.accept();
        return d.result();
    };
    EXPECT_EQ(dlg.DoModal(), QDialog::Accepted);
    EXPECT_EQ(dlg.visibleKeys, std::set<std::string>{"C"});
}

TEST(SmallDialogs, AskTextKeepsThePresetOnCancel)
{
    FakePrompter prompter;
    std::string text = "vorher";
    AskText("Name:", text); // dismissed
    EXPECT_EQ(text, "vorher");
    EXPECT_EQ(prompter.dialogs.back().caption, QStringLiteral("Eingabe"));
    prompter.onModal = [](QDialog& d) {
        EXPECT_EQ(Child<QLabel>(d, CTextEnterDlg::IDC_PROMPT)->text(), QStringLiteral("Name:"));
        EXPECT_EQ(Child<QLineEdit>(d, CTextEnterDlg::IDC_TEXT)->text(), QStringLiteral("vorher"));
        Child<QLineEdit>(d, CTextEnterDlg::IDC_TEXT)->setText(QStringLiteral("nachher"));
        d.accept();
        return d.result();
    };
    AskText("Name:", text);
    EXPECT_EQ(text, "nachher");
    prompter.onModal = nullptr;
    EXPECT_EQ(AskText("Name:"), "");
}

} // namespace
