#pragma once
// Small helpers of the plug-in's editor forms: control ids as object names, and a combo box
// bound to an enumeration parameter and its Sel number.
#include "core/module.h"
#include "core/module_editor.h"
#include "core/widget_names.h"

#include <QAbstractSpinBox>
#include <QString>

class QComboBox;

namespace calc {

// An edit with spin arrows beside it, as an edit with a spin button for its buddy: the edit
// holds whatever number is shown or typed (the form's exchange reads and checks its text),
// and only the arrows (the buttons, the cursor keys, the wheel) keep to the range. They step
// from the number shown; while the text is not a number they show the minimum.
class SpinEdit : public QAbstractSpinBox {
public:
    explicit SpinEdit(QWidget* parent = nullptr);

    void setRange(int minimum, int maximum);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    // The edit, for the exchange.
    using QAbstractSpinBox::lineEdit;

    void stepBy(int steps) override;
    // Wide enough for a number one digit longer than the range's limits.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    StepEnabled stepEnabled() const override;

private:
    int m_minimum = 0;
    int m_maximum = 99;
};

// Before showing, a Sel number set by a script is taken into the enumeration (the number
// wins); the combo box's index is exchanged only while it holds entries; afterwards, in both
// directions, the Sel number is the enumeration's index, which is returned.
int ExchangeEnumAndSel(CDataExchange* pDX, QComboBox* combo, ns_param::Paramora& p, const char* name);

} // namespace calc
