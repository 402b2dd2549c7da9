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
    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_INTERPOLATOR = 6645,
        IDC_PORT = 6681,
        IDC_DISPLAY = 6683,
        IDC_CONNECT = 6684,
        IDC_DISCONNECT = 6685,
        IDC_CREATE = 6687,
        IDC_TARGETGROUP = 6688,
        IDC_SPECCOUNT = 6689,
        IDC_INTERVAL = 6690,
        IDC_LIGHTNESSGROUP = 6691,
        IDC_MEASURESGROUP = 6692,
        IDC_LEDINDEX = 6714,
        IDC_SERIES = 6715,
    };

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

    QLineEdit* m_port;
    QPushButton* m_connect;
    QPushButton* m_disconnect;
    CParamShowCtrl* m_display;
    CSelectionEdit* m_interpolator;
    CSelectionEdit* m_targetGroup;
    QLineEdit* m_lightnessGroup;
    QLineEdit* m_measuresGroup;
    QLineEdit* m_specCount;
    QCheckBox* m_series;
    QLineEdit* m_ledIndex;
    QLineEdit* m_interval;
    QPushButton* m_create;
};
