#pragma once
// The editor form of the normalising module (layout 2000).
#include "calculation/calc_common.h"
#include "core/selection_edit.h"

class NormalizeModule;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// A drop field bound to the module. Mode 0 (reference field): the dropped spectrum's grid
// is taken over at once ("setrefspec" between StartCalculation and EndCalculation). Mode 1
// (search field): the dropped spectra become their short names, joined by ";".
class CNormalizeFormSelectionEdit : public CSelectionEdit {
    Q_OBJECT

public:
    explicit CNormalizeFormSelectionEdit(QWidget* parent = nullptr);
    ~CNormalizeFormSelectionEdit() override;

    void SetModule(NormalizeModule* module) { m_module = module; }
    void SetMode(int mode) { m_mode = mode; }
    int GetMode() const { return m_mode; }

    void OnDropSpecs(const std::string& names) override;

private:
    NormalizeModule* m_module = nullptr;
    int m_mode = 0;
};

class CNormalizeForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(CNormalizeForm)

public:
    enum { IDD = 2000 };

    CNormalizeForm();
    ~CNormalizeForm() override;

    // Resets the value-modifying parameters, fills the combo boxes, shows the parameters and
    // sets the fields' drop kinds and bindings.
    void InitModuleEditor() override;

    void OnBnClickedStart();             // 2013
    void OnBnClickedUseTargetGroup();    // 2015
    void OnBnClickedCleanFolder();       // 15057
    void OnBnClickedAutoMaxNorm();       // 2023
    void OnBnClickedSearchMode();        // 20011
    void OnEnChangeSearchText();         // 15043
    void OnEnChangeShift();              // 15054

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    CSelectionEdit* m_specDesc;                  // 2001
    CSelectionEdit* m_targetGroup;               // 2002
    CNormalizeFormSelectionEdit* m_refSpec;      // 2026
    CNormalizeFormSelectionEdit* m_searchText;   // 15043
    QLabel* m_searchLabel;                       // 20012
    QLineEdit* m_xStart;                         // 2003
    QLineEdit* m_xEnd;                           // 2005
    QLineEdit* m_xStep;                          // 2007
    QLineEdit* m_xShift;                         // 15054
    QLineEdit* m_scale;                          // 2088
    QLineEdit* m_offset;                         // 2084
    QLineEdit* m_randomCount;                    // 2077
    QCheckBox* m_useTargetGroup;                 // 2015
    QCheckBox* m_autoMaxNorm;                    // 2023
    QCheckBox* m_noNegValues;                    // 2029
    QCheckBox* m_cleanFolder;                    // 15057
    QCheckBox* m_sortSpecs;                      // 15061
    QCheckBox* m_autoName;                       // 15050
    QLabel* m_autoNameLabel;                     // 15059
    QCheckBox* m_autoNameSearch;                 // 20003
    QLabel* m_autoNameSearchLabel;               // 20004
    QCheckBox* m_autoNameShift;                  // 15055
    QLabel* m_autoNameShiftLabel;                // 15058
    QCheckBox* m_searchMode;                     // 20011
    QComboBox* m_interpolator;                   // 2009
    QComboBox* m_extrapolator;                   // 2011
    QPushButton* m_start;                        // 2013
};
