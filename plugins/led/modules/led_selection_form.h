#pragma once
// The editor form of the LED selection (layout 24011): candidates, targets, result group,
// the three counts, the start button, "Parameter bearbeiten", and below them one window per
// target with its reconstruction by the best combination found so far.
#include "modules/led_form.h"

#include "engine/led_selector.h"

class CReconstructionSpecWindowList;
class CSelectionEdit;
class QLineEdit;
class QPushButton;

class CLedSelectionForm : public calc::CCalcForm, public LEDSelectorEventHandler {
    Q_OBJECT
    DECLARE_DYNCREATE(CLedSelectionForm)

public:
    enum { IDD = 24011 };
    // The controls' ids: their object names, by which tests find them.
    enum : int {
        IDC_TARGETS = 6645,
        IDC_START = 6647,
        IDC_ITERATIONS = 6648,
        IDC_PROPOSALS = 6649,
        IDC_LED_COUNT = 6650,
        IDC_LEDS = 6653,
        IDC_GROUP = 6659,
        IDC_SETTINGS = 6709,
    };

    CLedSelectionForm();
    ~CLedSelectionForm() override;

    void InitModuleEditor() override;
    // "AUSWAHL STARTEN": the fields into the parameters (a refused entry is shown and the
    // run goes on with the stored values), the list emptied, the run with this form as the
    // module's forwarding handler.
    void OnStart();
    // "Parameter bearbeiten".
    void OnEditSettings();

    // The first better combination of a run lays out one window per target; every one
    // redraws the reconstructions.
    void OnNewCombination(LEDSelector* selector, LEDFitter* fitter, LEDArray* array) override;

    CReconstructionSpecWindowList* GetList() const { return m_list; }

protected:
    void ExchangeFields(CDataExchange* pDX) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CSelectionEdit* m_leds;
    CSelectionEdit* m_targets;
    CSelectionEdit* m_group;
    QLineEdit* m_ledCount;
    QLineEdit* m_proposals;
    QLineEdit* m_iterations;
    QPushButton* m_start;
    QPushButton* m_settings;
    CReconstructionSpecWindowList* m_list; // in place of 6627
};
