#pragma once
// The editor form of the C source export (layout 6620): targets, LED spectra, interpolators,
// the file name with "Dateiauswahl", and "Speichern".
#include "modules/led_form.h"

class CSelectionEdit;
class QLineEdit;
class QPushButton;

class CCreateSourceForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(CCreateSourceForm)

public:
    enum { IDD = 6620 };

    CCreateSourceForm();
    ~CCreateSourceForm() override;

    void InitModuleEditor() override;
    // "Dateiauswahl": a file to write; on OK "Filename" takes it and the form shows it.
    void OnChooseFile();
    void OnSave();

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    CSelectionEdit* m_targets;       // 6697
    CSelectionEdit* m_leds;          // 6693
    CSelectionEdit* m_interpolators; // 6692
    QLineEdit* m_fileName;           // 6694
    QPushButton* m_choose;           // 6695
    QPushButton* m_save;             // 6696
};
