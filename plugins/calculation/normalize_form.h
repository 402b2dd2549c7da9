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

    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_SPECDESC = 2001,
        IDC_TARGETGROUP = 2002,
        IDC_XSTART = 2003,
        IDC_XEND = 2005,
        IDC_XSTEP = 2007,
        IDC_INTERPOLATOR = 2009,
        IDC_EXTRAPOLATOR = 2011,
        IDC_START = 2013,
        IDC_USETARGETGROUP = 2015,
        IDC_SELECTIONBOX = 2017,
        IDC_RANGEBOX = 2018,
        IDC_OUTPUTBOX = 2019,
        IDC_VALUESBOX = 2020,
        IDC_AUTOMAXNORM = 2023,
        IDC_REFSPEC = 2026,
        IDC_NONEGVALUES = 2029,
        IDC_RANDOMCOUNT = 2077,
        IDC_OFFSET = 2084,
        IDC_SCALE = 2088,
        IDC_SEARCHTEXT = 15043,
        IDC_AUTONAME = 15050,
        IDC_XSHIFT = 15054,
        IDC_AUTONAMESHIFT = 15055,
        IDC_CLEANFOLDER = 15057,
        IDC_AUTONAMESHIFTLABEL = 15058,
        IDC_AUTONAMELABEL = 15059,
        IDC_SORTSPECS = 15061,
        IDC_AUTONAMESEARCH = 20003,
        IDC_AUTONAMESEARCHLABEL = 20004,
        IDC_SEARCHMODE = 20011,
        IDC_SEARCHLABEL = 20012,
    };

    CNormalizeForm();
    ~CNormalizeForm() override;

    // Resets the value-modifying parameters, fills the combo boxes, shows the parameters and
    // sets the fields' drop kinds and bindings.
    void InitModuleEditor() override;

    void OnBnClickedStart();
    void OnBnClickedUseTargetGroup();
    void OnBnClickedCleanFolder();
    void OnBnClickedAutoMaxNorm();
    void OnBnClickedSearchMode();
    void OnEnChangeSearchText();
    void OnEnChangeShift();

protected:
    void ExchangeFields(CDataExchange* pDX) override;

private:
    CSelectionEdit* m_specDesc;
    CSelectionEdit* m_targetGroup;
    CNormalizeFormSelectionEdit* m_refSpec;
    CNormalizeFormSelectionEdit* m_searchText;
    QLabel* m_searchLabel;
    QLineEdit* m_xStart;
    QLineEdit* m_xEnd;
    QLineEdit* m_xStep;
    QLineEdit* m_xShift;
    QLineEdit* m_scale;
    QLineEdit* m_offset;
    QLineEdit* m_randomCount;
    QCheckBox* m_useTargetGroup;
    QCheckBox* m_autoMaxNorm;
    QCheckBox* m_noNegValues;
    QCheckBox* m_cleanFolder;
    QCheckBox* m_sortSpecs;
    QCheckBox* m_autoName;
    QLabel* m_autoNameLabel;
    QCheckBox* m_autoNameSearch;
    QLabel* m_autoNameSearchLabel;
    QCheckBox* m_autoNameShift;
    QLabel* m_autoNameShiftLabel;
    QCheckBox* m_searchMode;
    QComboBox* m_interpolator;
    QComboBox* m_extrapolator;
    QPushButton* m_start;
};
