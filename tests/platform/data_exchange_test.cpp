#include "platform/data_exchange.h"

#include "support/fake_prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <xandril/xandril.h>

#include <limits>

namespace {

// A form with one control of every kind, exchanged in this order.
class Form : public QWidget, public platform::DataExchanger {
public:
    Form()
    {
        auto* layout = new QVBoxLayout(this);
        for (QWidget* w : std::initializer_list<QWidget*>{name, label, notes, count, factor, gain, enabled, combo})
            layout->addWidget(w);
        auto* group = new QGroupBox(this);
        auto* groupLayout = new QVBoxLayout(group);
        for (QRadioButton* r : radios) {
            r->setParent(group);
            groupLayout->addWidget(r);
        }
        layout->addWidget(group);
        combo->addItems({"A", "B", "C"});
    }

    QLineEdit* name = new QLineEdit;
    QLineEdit* label = new QLineEdit;
    QPlainTextEdit* notes = new QPlainTextEdit;
    QLineEdit* count = new QLineEdit;
    QLineEdit* factor = new QLineEdit;
    QLineEdit* gain = new QLineEdit;
    QCheckBox* enabled = new QCheckBox;
    QComboBox* combo = new QComboBox;
    std::vector<QRadioButton*> radios{new QRadioButton, new QRadioButton, new QRadioButton};

    std::string nameValue = "Grün:A;B";
    QString labelValue = "Ä label";
    std::string notesValue = "line 1\nline 2";
    int countValue = 7;
    double factorValue = 0.1;
    float gainValue = 0.1f;
    bool enabledValue = true;
    int comboValue = 1;
    int radioValue = 2;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DataExchanger::DoDataExchange(pDX);
        DDX_Text(pDX, name, nameValue);
        DDX_Text(pDX, label, labelValue);
        DDX_Text(pDX, notes, notesValue);
        DDX_Text(pDX, count, countValue);
        DDV_MinMaxInt(pDX, countValue, 0, 100);
        DDX_Text(pDX, factor, factorValue);
        DDV_MinMaxDouble(pDX, factorValue, -0.5, 1e6);
        DDX_Text(pDX, gain, gainValue);
        DDV_MinMaxFloat(pDX, gainValue, 0.0f, 2.5f);
        DDX_Check(pDX, enabled, enabledValue);
        DDX_CBIndex(pDX, combo, comboValue);
        DDX_Radio(pDX, {radios[0], radios[1], radios[2]}, radioValue);
    }
};

class DataExchangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    FakePrompter prompter;
    Form form;
};

} // namespace

TEST_F(DataExchangeTest, ShowsEveryKindInItsFormat)
{
    form.factorValue = 1.0 / 3.0;
    form.gainValue = 1.0f / 3.0f;
    ASSERT_TRUE(form.UpdateData(false));
    EXPECT_EQ(form.name->text(), QString("Grün:A;B"));
    EXPECT_EQ(form.label->text(), QString("Ä label"));
    EXPECT_EQ(form.notes->toPlainText(), QString("line 1\nline 2"));
    EXPECT_EQ(form.count->text(), QString("7"));
    EXPECT_EQ(form.factor->text(), QString("0.333333333333333"));
    EXPECT_EQ(form.gain->text(), QString("0.333333"));
    EXPECT_TRUE(form.enabled->isChecked());
    EXPECT_EQ(form.combo->currentIndex(), 1);
    EXPECT_TRUE(form.radios[2]->isChecked());
    EXPECT_TRUE(prompter.shown.empty());
}

TEST(DataExchange, NumberFormats)
{
    struct Row {
        double value;
        const char* text;
    };
    for (const Row& row : {Row{0.1, "0.1"}, Row{1e20, "1e+20"}, Row{-2.5e-7, "-2.5e-07"}, Row{123456789012345678.0, "1.23456789012346e+17"},
                           Row{0.0, "0"}}) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(platform::FormatDouble(row.value), QString(row.text));
    }
    EXPECT_EQ(platform::FormatFloat(0.1f), QString("0.1"));
    EXPECT_EQ(platform::FormatFloat(1234567.0f), QString("1.23457e+06"));
    EXPECT_EQ(platform::FormatInt(std::numeric_limits<int>::min()), QString("-2147483648"));
}

TEST_F(DataExchangeTest, SavesEditedControlsBack)
{
    ASSERT_TRUE(form.UpdateData(false));
    form.name->setText("Neu:X");
    form.label->setText("QString");
    form.notes->setPlainText("a\nb\nc");
    form.count->setText(" 42 ");
    form.factor->setText("-2e-1");
    form.gain->setText("2.5");
    form.enabled->setChecked(false);
    form.combo->setCurrentIndex(2);
    form.radios[0]->setChecked(true);

    ASSERT_TRUE(form.UpdateData(true));
    EXPECT_EQ(form.nameValue, "Neu:X");
    EXPECT_EQ(form.labelValue, QString("QString"));
    EXPECT_EQ(form.notesValue, "a\nb\nc");
    EXPECT_EQ(form.countValue, 42);
    EXPECT_EQ(form.factorValue, -0.2);
    EXPECT_EQ(form.gainValue, 2.5f);
    EXPECT_FALSE(form.enabledValue);
    EXPECT_EQ(form.comboValue, 2);
    EXPECT_EQ(form.radioValue, 0);
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(DataExchangeTest, ShownValuesReadBackUnchanged)
{
    // Numbers with more digits than their texts show, and texts longer than an edit's limit:
    // reading back what is shown keeps every one of them exactly.
    form.factorValue = 0.1 + 0.2;
    form.gainValue = 1.23456789f;
    form.nameValue = std::string(40000, 'x') + "Grün";
    form.label->setMaxLength(5);
    form.labelValue = "länger als fünf";
    ASSERT_TRUE(form.UpdateData(false));
    EXPECT_EQ(form.factor->text(), QString("0.3"));
    EXPECT_EQ(form.gain->text(), QString("1.23457"));
    ASSERT_TRUE(form.UpdateData(true));
    EXPECT_EQ(form.factorValue, 0.1 + 0.2);
    EXPECT_EQ(form.gainValue, 1.23456789f);
    EXPECT_TRUE(form.nameValue == std::string(40000, 'x') + "Grün") << form.nameValue.size() << " bytes";
    EXPECT_EQ(form.labelValue, QString("länger als fünf"));
    EXPECT_EQ(form.countValue, 7);

    // A text edited to another number is taken as typed.
    form.factor->setText("0.30");
    ASSERT_TRUE(form.UpdateData(true));
    EXPECT_EQ(form.factorValue, 0.3);
    // A shown value that is no finite number is still refused.
    form.factorValue = std::numeric_limits<double>::infinity();
    ASSERT_TRUE(form.UpdateData(false));
    EXPECT_FALSE(form.UpdateData(true));
    EXPECT_EQ(prompter.Texts().size(), 1u);
}

TEST_F(DataExchangeTest, NoneChosenShowsAsMinusOne)
{
    form.radioValue = -1;
    form.comboValue = 5;
    ASSERT_TRUE(form.UpdateData(false));
    for (QRadioButton* r : form.radios)
        EXPECT_FALSE(r->isChecked());
    EXPECT_EQ(form.combo->currentIndex(), -1);
    ASSERT_TRUE(form.UpdateData(true));
    EXPECT_EQ(form.radioValue, -1);
    EXPECT_EQ(form.comboValue, -1);
}

TEST_F(DataExchangeTest, ParsesWholeTextsOnly)
{
    struct Row {
        const char* text;
        bool ok;
        double value;
    };
    const Row ints[] = {{"42", true, 42},  {" -17\t", true, -17},  {"+7", true, 7},          {"2147483647", true, 2147483647},
                        {"abc", false, 0}, {"", false, 0},         {"   ", false, 0},        {"1,5", false, 0},
                        {"1.0", false, 0}, {"4 2", false, 0},      {"99999999999", false, 0}, {"+-1", false, 0},
                        {"0x10", false, 0}, {"12abc", false, 0}};
    for (const Row& row : ints) {
        SCOPED_TRACE(row.text);
        int value = -99;
        EXPECT_EQ(platform::ParseInt(row.text, value), row.ok);
        EXPECT_EQ(value, row.ok ? static_cast<int>(row.value) : -99);
    }
    const Row doubles[] = {{"1.5", true, 1.5},  {" -2e3 ", true, -2000}, {".5", true, 0.5},    {"5.", true, 5},
                           {"+1", true, 1},     {"1,5", false, 0},       {"abc", false, 0},    {"", false, 0},
                           {"nan", false, 0},   {"inf", false, 0},       {"1e999", false, 0},  {"1.5x", false, 0},
                           {"1.5.2", false, 0}, {"0x1p3", false, 0}};
    for (const Row& row : doubles) {
        SCOPED_TRACE(row.text);
        double value = -99;
        EXPECT_EQ(platform::ParseDouble(row.text, value), row.ok);
        EXPECT_EQ(value, row.ok ? row.value : -99);
    }
    float f = -99;
    EXPECT_FALSE(platform::ParseFloat("1e39", f));
    EXPECT_TRUE(platform::ParseFloat("3.25", f));
    EXPECT_EQ(f, 3.25f);
}

// A refused field: the German message over the form, the focus on that field, false, and
// neither that variable nor any exchanged after it changes.
TEST_F(DataExchangeTest, RefusedFieldStopsTheExchange)
{
    struct Row {
        const char* name;
        QLineEdit* Form::*field;
        const char* text;
        const char* message;
    };
    const Row rows[] = {
        {"int letters", &Form::count, "abc", "Bitte geben Sie eine ganze Zahl ein."},
        {"int empty", &Form::count, "", "Bitte geben Sie eine ganze Zahl ein."},
        {"int comma", &Form::count, "1,5", "Bitte geben Sie eine ganze Zahl ein."},
        {"int overflow", &Form::count, "99999999999", "Bitte geben Sie eine ganze Zahl ein."},
        {"int range", &Form::count, "150", "Bitte geben Sie eine ganze Zahl zwischen 0 und 100 ein."},
        {"double letters", &Form::factor, "x", "Bitte geben Sie eine Zahl ein."},
        {"double comma", &Form::factor, "0,5", "Bitte geben Sie eine Zahl ein."},
        {"double range", &Form::factor, "-1", "Bitte geben Sie eine Zahl zwischen -0.5 und 1000000 ein."},
        {"float range", &Form::gain, "3", "Bitte geben Sie eine Zahl zwischen 0 und 2.5 ein."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Form f;
        f.show();
        f.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
        ASSERT_TRUE(f.UpdateData(false));
        prompter.shown.clear();
        f.count->setText("50");
        f.factor->setText("0.5");
        f.gain->setText("1");
        (f.*row.field)->setText(row.text);
        f.enabled->setChecked(false);
        f.name->setText("changed");

        EXPECT_FALSE(f.UpdateData(true));
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text, QString::fromUtf8(row.message));
        EXPECT_EQ(prompter.shown[0].parent, &f);
        EXPECT_EQ(QApplication::focusWidget(), f.*row.field);
        EXPECT_EQ((f.*row.field)->selectedText(), QString(row.text));
        EXPECT_EQ(f.nameValue, "changed"); // exchanged before the failure
        EXPECT_TRUE(f.enabledValue);       // after it: unchanged
    }
}

TEST_F(DataExchangeTest, RangeChecksOnlyWhenSaving)
{
    form.countValue = 1000;
    EXPECT_TRUE(form.UpdateData(false));
    EXPECT_EQ(form.count->text(), QString("1000"));
    EXPECT_TRUE(prompter.shown.empty());
}

TEST(DataExchange, EnumerationComboExchangesOnlyWhileFilled)
{
    ns_xandril::XMLEnumClass modes;
    for (const char* text : {"Linear", "Spline", "Akima"})
        modes.addEntry(text);
    modes.setIndex(2);
    QComboBox combo;
    CDataExchange load(nullptr, false);
    CDataExchange save(nullptr, true);

    DDX_CBIndex(&load, &combo, modes);
    DDX_CBIndex(&save, &combo, modes);
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(modes.getIndex(), 2);

    platform::FillComboBox(&combo, modes);
    ASSERT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.itemText(0), QString("Linear"));
    EXPECT_EQ(combo.itemText(2), QString("Akima"));
    DDX_CBIndex(&load, &combo, modes);
    EXPECT_EQ(combo.currentIndex(), 2);
    combo.setCurrentIndex(0);
    DDX_CBIndex(&save, &combo, modes);
    EXPECT_EQ(modes.getIndex(), 0);

    ns_xandril::XMLEnumClass two;
    two.addEntry("A");
    two.addEntry("B");
    platform::FillComboBox(&combo, two);
    EXPECT_EQ(combo.count(), 2);
}
