#include "platform/data_exchange.h"

#include "platform/prompter.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <xandril/xandril.h>

#include <charconv>
#include <cmath>
#include <type_traits>

namespace platform {

namespace {

template <typename T, typename... Format>
QString ToText(T value, Format... format)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format...);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

// The trimmed text as bytes, without one leading "+" (from_chars takes only "-").
template <typename T, typename... Format>
bool FromText(const QString& text, T& value, Format... format)
{
    const QByteArray bytes = text.trimmed().toUtf8();
    const char* first = bytes.constData();
    const char* last = first + bytes.size();
    if (first != last && *first == '+' && last - first > 1 && first[1] != '-' && first[1] != '+')
        ++first;
    T parsed{};
    const auto result = std::from_chars(first, last, parsed, format...);
    if (first == last || result.ec != std::errc() || result.ptr != last)
        return false;
    if constexpr (std::is_floating_point_v<T>) {
        if (!std::isfinite(parsed))
            return false;
    }
    value = parsed;
    return true;
}

template <typename T>
void CheckRange(CDataExchange* pDX, T value, T minValue, T maxValue, const char* message, QString (*format)(T))
{
    if (!pDX->m_bSaveAndValidate || (value >= minValue && value <= maxValue))
        return;
    pDX->Fail(QString::fromUtf8(message).arg(format(minValue), format(maxValue)));
}

template <typename T>
void ExchangeNumber(CDataExchange* pDX, QLineEdit* edit, T& value, const char* message,
                    bool (*parse)(const QString&, T&), QString (*format)(T))
{
    pDX->PrepareCtrl(edit);
    if (!pDX->m_bSaveAndValidate) {
        edit->setText(format(value));
        return;
    }
    const QString text = edit->text();
    T parsed{};
    if (!parse(text, parsed))
        pDX->Fail(QString::fromUtf8(message));
    // A text that still shows the variable keeps it: the digits the text leaves out are not lost.
    if (text != format(value))
        value = parsed;
}

template <typename Edit>
void ExchangeText(CDataExchange* pDX, Edit* edit, QString& value, QString (Edit::*get)() const,
                  void (Edit::*set)(const QString&))
{
    pDX->PrepareCtrl(edit);
    if (pDX->m_bSaveAndValidate) {
        value = (edit->*get)();
        return;
    }
    // An edit's length limit holds for typing; a text shown is shown whole.
    if constexpr (std::is_same_v<Edit, QLineEdit>) {
        if (value.size() > edit->maxLength())
            edit->setMaxLength(static_cast<int>(value.size()));
    }
    (edit->*set)(value);
}

// Texts of std::string variables are UTF-8.
template <typename Edit>
void ExchangeStdText(CDataExchange* pDX, Edit* edit, std::string& value)
{
    QString text = QString::fromStdString(value);
    DDX_Text(pDX, edit, text);
    if (pDX->m_bSaveAndValidate)
        value = text.toStdString();
}

} // namespace

DataExchangeStop::~DataExchangeStop() = default;

DataExchanger::~DataExchanger() = default;

bool DataExchanger::UpdateData(bool saveAndValidate)
{
    CDataExchange dx(dynamic_cast<QWidget*>(this), saveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const DataExchangeStop&) {
        return false;
    }
    return true;
}

void DataExchanger::DoDataExchange(CDataExchange*) {}

QString FormatInt(int value) { return ToText(value); }
QString FormatDouble(double value) { return ToText(value, std::chars_format::general, 15); }
QString FormatFloat(float value) { return ToText(value, std::chars_format::general, 6); }

bool ParseInt(const QString& text, int& value) { return FromText(text, value); }
bool ParseDouble(const QString& text, double& value) { return FromText(text, value, std::chars_format::general); }
bool ParseFloat(const QString& text, float& value) { return FromText(text, value, std::chars_format::general); }

void FillComboBox(QComboBox* combo, const ns_xandril::XMLEnumClass& entries)
{
    combo->clear();
    for (int i = 0; i < entries.getEntryCount(); ++i)
        combo->addItem(QString::fromStdString(entries.getEntry(i)));
}

} // namespace platform

CDataExchange::CDataExchange(QWidget* form, bool saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate)
    , m_pDlgWnd(form)
{
}

void CDataExchange::PrepareCtrl(QWidget* field) { m_lastField = field; }

void CDataExchange::Fail(const QString& message)
{
    platform::ShowMessage(m_pDlgWnd, QGuiApplication::applicationDisplayName(), message,
                          platform::PromptIcon::Warning);
    if (m_lastField) {
        m_lastField->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(m_lastField))
            edit->selectAll();
        else if (auto* text = qobject_cast<QPlainTextEdit*>(m_lastField))
            text->selectAll();
    }
    throw platform::DataExchangeStop();
}

void DDX_Text(CDataExchange* pDX, QLineEdit* edit, QString& value)
{
    platform::ExchangeText(pDX, edit, value, &QLineEdit::text, &QLineEdit::setText);
}

void DDX_Text(CDataExchange* pDX, QLineEdit* edit, std::string& value)
{
    platform::ExchangeStdText(pDX, edit, value);
}

void DDX_Text(CDataExchange* pDX, QPlainTextEdit* edit, QString& value)
{
    platform::ExchangeText(pDX, edit, value, &QPlainTextEdit::toPlainText, &QPlainTextEdit::setPlainText);
}

void DDX_Text(CDataExchange* pDX, QPlainTextEdit* edit, std::string& value)
{
    platform::ExchangeStdText(pDX, edit, value);
}

void DDX_Text(CDataExchange* pDX, QLineEdit* edit, int& value)
{
    platform::ExchangeNumber(pDX, edit, value, platform::dx_text::kInteger, &platform::ParseInt, &platform::FormatInt);
}

void DDX_Text(CDataExchange* pDX, QLineEdit* edit, double& value)
{
    platform::ExchangeNumber(pDX, edit, value, platform::dx_text::kNumber, &platform::ParseDouble,
                             &platform::FormatDouble);
}

void DDX_Text(CDataExchange* pDX, QLineEdit* edit, float& value)
{
    platform::ExchangeNumber(pDX, edit, value, platform::dx_text::kNumber, &platform::ParseFloat,
                             &platform::FormatFloat);
}

void DDX_Check(CDataExchange* pDX, QAbstractButton* box, bool& value)
{
    pDX->PrepareCtrl(box);
    if (pDX->m_bSaveAndValidate)
        value = box->isChecked();
    else
        box->setChecked(value);
}

void DDX_Radio(CDataExchange* pDX, const std::vector<QAbstractButton*>& group, int& value)
{
    if (group.empty())
        return;
    pDX->PrepareCtrl(group.front());
    const int count = static_cast<int>(group.size());
    if (pDX->m_bSaveAndValidate) {
        value = -1;
        for (int i = 0; i < count; ++i) {
            if (group[i]->isChecked()) {
                value = i;
                break;
            }
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        QAbstractButton* button = group[i];
        const bool checked = i == value;
        if (button->isChecked() == checked)
            continue;
        // An auto-exclusive button cannot be unchecked directly; -1 shows no choice.
        const bool exclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(checked);
        button->setAutoExclusive(exclusive);
    }
}

void DDX_CBIndex(CDataExchange* pDX, QComboBox* combo, int& value)
{
    pDX->PrepareCtrl(combo);
    if (pDX->m_bSaveAndValidate)
        value = combo->currentIndex();
    else
        combo->setCurrentIndex(value >= 0 && value < combo->count() ? value : -1);
}

void DDX_CBIndex(CDataExchange* pDX, QComboBox* combo, ns_xandril::XMLEnumClass& value)
{
    pDX->PrepareCtrl(combo);
    if (combo->count() == 0)
        return;
    if (pDX->m_bSaveAndValidate) {
        if (combo->currentIndex() >= 0)
            value.setIndex(combo->currentIndex());
    } else {
        combo->setCurrentIndex(value.getIndex() < combo->count() ? value.getIndex() : -1);
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minValue, int maxValue)
{
    platform::CheckRange(pDX, value, minValue, maxValue, platform::dx_text::kIntegerRange, &platform::FormatInt);
}

void DDV_MinMaxDouble(CDataExchange* pDX, double value, double minValue, double maxValue)
{
    platform::CheckRange(pDX, value, minValue, maxValue, platform::dx_text::kNumberRange, &platform::FormatDouble);
}

void DDV_MinMaxFloat(CDataExchange* pDX, float value, float minValue, float maxValue)
{
    platform::CheckRange(pDX, value, minValue, maxValue, platform::dx_text::kNumberRange, &platform::FormatFloat);
}
