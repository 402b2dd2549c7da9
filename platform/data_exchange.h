#pragma once
// Data exchange between a form's controls and its variables, in the manner of the
// DoDataExchange/UpdateData pattern: a form overrides DoDataExchange and calls the DDX_
// helpers for each control; UpdateData(false) shows the variables, UpdateData(true) reads
// the controls back and checks them. A failed check tells the user (through the Prompter),
// puts the focus on the field, and stops the exchange; UpdateData then returns false and
// the variables after the failed field keep their values.
//
// Numbers are shown and read in the C locale: int as decimal, double as "%.15g", float as
// "%.6g". Reading takes the whole text (blanks around it allowed, "." as the only decimal
// separator); anything else is refused, so "1,5" never becomes 1. A text that still shows the
// variable's value keeps the value with all its digits. A line edit shows a text whole, also
// one longer than the edit's length limit (which then holds for typing only).
#include <QString>

#include <string>
#include <vector>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;
class CDataExchange;

namespace ns_xandril {
class XMLEnumClass;
}

namespace platform {

// The German texts of the checks, kept in one place. %1 and %2 are the limits.
namespace dx_text {
inline constexpr char kInteger[] = "Bitte geben Sie eine ganze Zahl ein.";
inline constexpr char kNumber[] = "Bitte geben Sie eine Zahl ein.";
inline constexpr char kIntegerRange[] = "Bitte geben Sie eine ganze Zahl zwischen %1 und %2 ein.";
inline constexpr char kNumberRange[] = "Bitte geben Sie eine Zahl zwischen %1 und %2 ein.";
} // namespace dx_text

// Thrown by CDataExchange::Fail to stop an exchange; caught by UpdateData only.
// Deliberately not a std::exception, so a form's own handlers do not swallow it.
class DataExchangeStop {
public:
    virtual ~DataExchangeStop();
};

// A form or dialog that exchanges data with its controls mixes this in beside QWidget.
class DataExchanger {
public:
    DataExchanger() = default;
    DataExchanger(const DataExchanger&) = default;
    DataExchanger& operator=(const DataExchanger&) = default;
    virtual ~DataExchanger();

    // saveAndValidate false: variables to controls. True: controls to variables with checks;
    // false when a check failed.
    bool UpdateData(bool saveAndValidate = true);

protected:
    // The base exchanges nothing.
    virtual void DoDataExchange(CDataExchange* pDX);
};

// The text and number conversions of the helpers, also for callers without a form.
QString FormatInt(int value);
QString FormatDouble(double value); // "%.15g"
QString FormatFloat(float value);   // "%.6g"
// The whole text must be the number (blanks around it allowed); false leaves value unchanged.
bool ParseInt(const QString& text, int& value);
bool ParseDouble(const QString& text, double& value); // finite values only
bool ParseFloat(const QString& text, float& value);

// Fills the combo box with the entry texts in index order.
void FillComboBox(QComboBox* combo, const ns_xandril::XMLEnumClass& entries);

} // namespace platform

// The state of one exchange, passed to DoDataExchange and the helpers.
class CDataExchange {
public:
    CDataExchange(QWidget* form, bool saveAndValidate);

    const bool m_bSaveAndValidate; // true: controls to variables
    QWidget* const m_pDlgWnd;      // the form (parent of messages); may be null

    // The field that later checks (DDV_) and failures refer to; the DDX_ helpers set it.
    void PrepareCtrl(QWidget* field);
    QWidget* GetLastField() const { return m_lastField; }

    // Shows the message, gives the last field the focus (an edit's text selected) and stops
    // the exchange.
    [[noreturn]] void Fail(const QString& message);

private:
    QWidget* m_lastField = nullptr;
};

// Text of a line or multi-line edit.
void DDX_Text(CDataExchange* pDX, QLineEdit* edit, std::string& value);
void DDX_Text(CDataExchange* pDX, QLineEdit* edit, QString& value);
void DDX_Text(CDataExchange* pDX, QPlainTextEdit* edit, std::string& value);
void DDX_Text(CDataExchange* pDX, QPlainTextEdit* edit, QString& value);
// Numbers in a line edit; a text that is not one fails with a German message.
void DDX_Text(CDataExchange* pDX, QLineEdit* edit, int& value);
void DDX_Text(CDataExchange* pDX, QLineEdit* edit, double& value);
void DDX_Text(CDataExchange* pDX, QLineEdit* edit, float& value);
// Check box state.
void DDX_Check(CDataExchange* pDX, QAbstractButton* box, bool& value);
// Index of the checked button of a radio group in the given order; -1 for none.
void DDX_Radio(CDataExchange* pDX, const std::vector<QAbstractButton*>& group, int& value);
// Selected index of a combo box; -1 for none.
void DDX_CBIndex(CDataExchange* pDX, QComboBox* combo, int& value);
// Selected index of a combo box filled with the entries (FillComboBox) and the chosen index
// of the enumeration; nothing is exchanged while the combo box is empty.
void DDX_CBIndex(CDataExchange* pDX, QComboBox* combo, ns_xandril::XMLEnumClass& value);

// Range checks of the value just exchanged (only when saving); they fail on the last field.
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minValue, int maxValue);
void DDV_MinMaxDouble(CDataExchange* pDX, double value, double minValue, double maxValue);
void DDV_MinMaxFloat(CDataExchange* pDX, float value, float minValue, float maxValue);
