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
    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_INTERPOLATORS = 6692,
        IDC_LEDS = 6693,
        IDC_FILE_NAME = 6694,
        IDC_CHOOSE = 6695,
        IDC_SAVE = 6696,
        IDC_TARGETS = 6697,
    };

    CCreateSourceForm();
    ~CCreateSourceForm() override;

    void InitModuleEditor() override;
    // "Dateiauswahl": a file to write; on OK "Filename" takes it and the form shows it.
    void OnChooseFile();
    void OnSave();

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    CSelectionEdit* m_targets;
    CSelectionEdit* m_leds;
    CSelectionEdit* m_interpolators;
    QLineEdit* m_fileName;
    QPushButton* m_choose;
    QPushButton* m_save;
};
