#pragma once
// The editor form of the point-wise arithmetic module (layout 2010).
#include "calculation/calc_common.h"
#include "core/selection_edit.h"

class QCheckBox;
class QComboBox;
class QPushButton;

class CRemTransSpecForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(CRemTransSpecForm)

public:
    enum { IDD = 2010 };

    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_B = 2001,
        IDC_TARGET = 2042,
        IDC_CALCULATE = 2044,
        IDC_A = 2048,
        IDC_USEINPUTNAMES = 2068,
        IDC_FUNCTION = 15034,
        IDC_SAMENAMES = 15042,
        IDC_AUTONAME = 15050,
        IDC_CHECKSPECS = 15051,
        IDC_GROUPED = 15056,
        IDC_ADDARITH = 15062,
        IDC_RANDOM = 15067,
    };

    CRemTransSpecForm();
    ~CRemTransSpecForm() override;

    void InitModuleEditor() override;

    void OnBnClickedCalculate();  // 2044
    void OnCbnSelchangeFunction(); // 15034
    void OnEnChangeB();           // 2001

    // B is a number for the form: not empty, and the C conversion reads all of it.
    static bool IsNumberText(const std::string& text);

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    // 15067 is offered for the functions 1 to 4 with a number in field B.
    void UpdateRandom(int index);

    CSelectionEdit* m_a;           // 2048
    CSelectionEdit* m_b;           // 2001
    CSelectionEdit* m_target;      // 2042
    QComboBox* m_function;         // 15034
    QCheckBox* m_useInputNames;    // 2068
    QCheckBox* m_random;           // 15067
    QCheckBox* m_sameNames;        // 15042
    QCheckBox* m_autoName;         // 15050
    QCheckBox* m_checkSpecs;       // 15051
    QCheckBox* m_grouped;          // 15056
    QCheckBox* m_addArith;         // 15062
    QPushButton* m_calculate;      // 2044
};
