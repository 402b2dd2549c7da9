#pragma once
// "LED-Fit-Parameter (Levenberg-Marquardt-NNLS)": edits the optimiser options, the
// optimisation target with its parameter, the target-driven second pass and its two spectra
// sets, each shown as thumbnails and loadable from a "Speks:" file.
//
// Callers: SetSettings, DoModal, GetSettings. OK checks every field against its range and
// keeps the dialog open on a failure; any other close exchanges nothing.

#include "engine/spectra_set.h"
#include "platform/data_exchange.h"

#include <QDialog>

class CSpecWindowList;
class LEDFitterSettings;
class ModuleInterface;
class QCheckBox;
class QComboBox;
class QLineEdit;

class CLedFitterParamsEditDlg : public QDialog, public platform::DataExchanger {
    Q_OBJECT

public:
    // The ids of the single controls: their object names, by which tests find them.
    enum : int {
        IDC_FUNCTION = 6619,
        IDC_TARGETDRIVEN = 6630,
        IDC_FUNCTIONPARAM = 6631,
    };

    explicit CLedFitterParamsEditDlg(QWidget* parent = nullptr);
    ~CLedFitterParamsEditDlg() override;

    // Takes the settings into the members and the two sets; shows them while the dialog runs.
    void SetSettings(const LEDFitterSettings& settings);
    // While the dialog runs the fields are checked first (nothing is copied on a failure);
    // then the members and the two sets go into settings. False when a check failed.
    bool GetSettings(LEDFitterSettings& settings);

    // The lists show the two sets, the fields the members.
    void OnInitDialog();
    // Runs the dialog modally (OnInitDialog first); QDialog::Accepted after a valid "OK".
    int DoModal();

    // "Durchsuchen" of the target set (6624) and of the observer set (6629).
    void OnBnClickedBrowseTargets();
    void OnBnClickedBrowseObservers();

    // The host the loaders log to (not owned; null: the lines are dropped).
    void SetHost(ModuleInterface* host) { m_host = host; }

    CSpecWindowList* GetTargetList() const { return m_targetList; }
    CSpecWindowList* GetObserverList() const { return m_observerList; }

    void accept() override;

    int ConvergenceSteps = 0;
    double MinStep = 0;
    double KDownsizeOffset = 0;
    double KUpsizeOffset = 0;
    double MaxStep = 0;
    double MinConvergence = 0;
    double MinGradient = 0;
    double MinValue = 0;
    double StepDownsizeFactor = 0;
    double StepUpsizeFactor = 0;
    int MaxIterations = 0;
    int OptimizationFunction = 0;
    bool AddTargetDrivenOptimization = false;
    double FunctionParam = 1.0;

    SpectraSet targetSet;
    SpectraSet observerSet;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    void Browse(SpectraSet& set, CSpecWindowList* list);
    void ShowSets();

    QComboBox* m_function;
    QLineEdit* m_maxIterations;
    QLineEdit* m_minGradient;
    QLineEdit* m_minValue;
    QLineEdit* m_minStep;
    QLineEdit* m_maxStep;
    QLineEdit* m_upsize;
    QLineEdit* m_downsize;
    QLineEdit* m_kUpsize;
    QLineEdit* m_kDownsize;
    QLineEdit* m_convergence;
    QLineEdit* m_convergenceSteps;
    QLineEdit* m_functionParam;
    QCheckBox* m_targetDriven;
    CSpecWindowList* m_targetList;
    CSpecWindowList* m_observerList;
    ModuleInterface* m_host = nullptr;
    bool m_running = false;
};
