#pragma once
// The editor form of the light-source device module (layout 6618): port and the two link
// buttons, the live value display, and the recording fields with "ERZEUGEN". The form
// follows the module's events: it fills its display and sets its buttons itself.
#include "modules/led_form.h"

#include <string>
#include <vector>

class CParamShowCtrl;
class CSelectionEdit;
class QCheckBox;
class QPushButton;

class CLumirefCommForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(CLumirefCommForm)

public:
    enum { IDD = 6618 };

    CLumirefCommForm();

    void InitModuleEditor() override;
    CParamShowCtrl* Display() const { return m_display; }
    // "Verbinden" enabled exactly while the module is not connected, "Trennen" while it is.
    void UpdateButtons();

    void OnConnect();
    void OnDisconnect();
    void OnCreateValues();

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    // The display shows a new table whole, later only its values.
    void ShowTable(const std::vector<std::string>& names, const std::vector<double>& values,
                   const std::vector<bool>& readOnly);
    void ShowValues(const std::vector<double>& values);
    void RunAndFollow(bool (Module::*operation)());

    QLineEdit* m_port;                // 6681
    QPushButton* m_connect;           // 6684
    QPushButton* m_disconnect;        // 6685
    CParamShowCtrl* m_display;        // 6683
    CSelectionEdit* m_interpolator;   // 6645
    CSelectionEdit* m_targetGroup;    // 6688
    QLineEdit* m_lightnessGroup;      // 6691
    QLineEdit* m_measuresGroup;       // 6692
    QLineEdit* m_specCount;           // 6689
    QCheckBox* m_series;              // 6715
    QLineEdit* m_ledIndex;            // 6714
    QLineEdit* m_interval;            // 6690
    QPushButton* m_create;            // 6687
};
