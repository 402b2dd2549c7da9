#include "calculation/form_helpers.h"

#include "calculation/calc_common.h"

#include "platform/data_exchange.h"

#include <xandril/xandril.h>

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>

#include <algorithm>
#include <string>

namespace calc {

SpinEdit::SpinEdit(QWidget* parent)
    : QAbstractSpinBox(parent)
{
}

void SpinEdit::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
}

void SpinEdit::stepBy(int steps)
{
    int value = m_minimum;
    if (platform::ParseInt(lineEdit()->text(), value))
        value = static_cast<int>(std::clamp(static_cast<long long>(value) + steps, static_cast<long long>(m_minimum),
                                            static_cast<long long>(m_maximum)));
    lineEdit()->setText(platform::FormatInt(value));
}

QSize SpinEdit::sizeHint() const
{
    ensurePolished();
    const qsizetype digits =
        std::max(platform::FormatInt(m_minimum).size(), platform::FormatInt(m_maximum).size()) + 1;
    // As a spin box measures its text: the digits, a blank and room for the cursor.
    const QSize text(fontMetrics().horizontalAdvance(QString(digits, u'8') + u' ') + 2,
                     lineEdit()->sizeHint().height());
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option, text, this);
}

QSize SpinEdit::minimumSizeHint() const
{
    return sizeHint();
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const
{
    int value = 0;
    if (!platform::ParseInt(lineEdit()->text(), value))
        return StepUpEnabled | StepDownEnabled;
    StepEnabled enabled = StepNone;
    if (value < m_maximum)
        enabled |= StepUpEnabled;
    if (value > m_minimum)
        enabled |= StepDownEnabled;
    return enabled;
}

int ExchangeEnumAndSel(CDataExchange* pDX, QComboBox* combo, ns_param::Paramora& p, const char* name)
{
    if (!pDX->m_bSaveAndValidate)
        SyncEnumFromSel(p, name);
    ns_xandril::XMLEnumClass& entries = *p.getEnumParameter(name);
    DDX_CBIndex(pDX, combo, entries);
    p.setIntParameter(std::string(name) + "Sel", entries.getIndex());
    return entries.getIndex();
}

} // namespace calc
