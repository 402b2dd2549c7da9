#pragma once
// The editor form of the plot-script export (layout 6623): objects, init sequence, series
// style and "Speichern", which asks for the file and writes it.
#include "modules/led_form.h"

class CSelectionEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class CGnuplotExportForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(CGnuplotExportForm)

public:
    enum { IDD = 6623 };
    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_SAVE = 6696,
        IDC_OBJECTS = 6703,
        IDC_INIT = 6704,
        IDC_STYLE = 6707,
    };

    CGnuplotExportForm();
    ~CGnuplotExportForm() override;

    void InitModuleEditor() override;
    // "Speichern": the fields into the parameters, a file name from the save dialog (which
    // confirms an overwrite), then the export. A cancelled dialog does nothing.
    void OnSave();

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    CSelectionEdit* m_objects;
    QPlainTextEdit* m_init;
    QLineEdit* m_style;
    QPushButton* m_save;
};
