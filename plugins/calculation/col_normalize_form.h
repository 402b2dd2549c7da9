#pragma once
// The editor form of the recolouring module (layout 1999).
#include "calculation/calc_common.h"
#include "core/selection_edit.h"

class ColNormalizeModule;
class QPushButton;

// The reference field. Mode 0 (the form's): a drop is taken as it is. Mode 1: the dropped
// spectra become their trimmed short names, joined by ";".
class CColNormalizeFormSelectionEdit : public CSelectionEdit {
    Q_OBJECT

public:
    explicit CColNormalizeFormSelectionEdit(QWidget* parent = nullptr);
    ~CColNormalizeFormSelectionEdit() override;

    void SetModule(ColNormalizeModule* module) { m_module = module; }
    void SetMode(int mode) { m_mode = mode; }
    int GetMode() const { return m_mode; }

    void OnDropSpecs(const std::string& names) override;

private:
    ColNormalizeModule* m_module = nullptr;
    int m_mode = 0;
};

class CColNormalizeForm : public calc::CCalcForm {
    Q_OBJECT
    DECLARE_DYNCREATE(CColNormalizeForm)

public:
    enum { IDD = 1999 };

    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_SPECDESC = 2001,
        IDC_START = 2013,
        IDC_SELECTIONBOX = 2017,
        IDC_REFSPECBOX = 2018,
        IDC_REFSPEC = 2026,
    };

    CColNormalizeForm();
    ~CColNormalizeForm() override;

    void InitModuleEditor() override;
    void OnBnClickedStart(); // 2013

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    CSelectionEdit* m_specDesc;                // 2001
    CColNormalizeFormSelectionEdit* m_refSpec; // 2026
    QPushButton* m_start;                      // 2013
};
