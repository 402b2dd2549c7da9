#pragma once
// What the LED plug-in's editor forms share: the controls on a content widget, the exchange
// of a field with a parameter, and the run of a module operation between the host's
// StartCalculation and EndCalculation (nothing while an operation of the module runs, and
// nothing when the fields do not pass their checks).
#include "core/module_editor.h"

class LEDModuleBase;
class QAbstractButton;
class QLineEdit;
class QScrollArea;

namespace ns_param {
class Paramora;
}

namespace led {

class CLEDForm : public CModuleEditor {
    Q_OBJECT

public:
    ~CLEDForm() override;

protected:
    // The controls sit on a content widget of at least minWidth x minHeight inside a scroll
    // area, so a small editor pane scrolls instead of squeezing them.
    CLEDForm(int templateId, int minWidth, int minHeight);

    QWidget* Content() const { return m_content; }

    LEDModuleBase* LEDModule() const;

    // Exchanges the form's fields with the module's parameters, in both directions.
    virtual void ExchangeFields(CDataExchange* pDX) = 0;
    // Runs ExchangeFields; a check that fails while saving puts every parameter back.
    void DoDataExchange(CDataExchange* pDX) final;

    // Reads the fields, then runs operation bracketed by the host's calculation calls.
    // False when nothing ran.
    bool RunOperation(bool (LEDModuleBase::*operation)());

private:
    QScrollArea* m_scroll;
    QWidget* m_content;
};

void ExchangeString(CDataExchange* pDX, QLineEdit* edit, ns_param::Paramora& p, const char* name);
void ExchangeDouble(CDataExchange* pDX, QLineEdit* edit, ns_param::Paramora& p, const char* name);
void ExchangeInt(CDataExchange* pDX, QLineEdit* edit, ns_param::Paramora& p, const char* name);
void ExchangeCheck(CDataExchange* pDX, QAbstractButton* box, ns_param::Paramora& p, const char* name);

// Names a control by its id, so tests and layouts find it.
template <class W>
W* Named(W* widget, int id)
{
    widget->setObjectName(QString::number(id));
    return widget;
}

} // namespace led
