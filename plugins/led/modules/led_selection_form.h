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
    CSelectionEdit* m_leds;                // 6653
    CSelectionEdit* m_targets;             // 6645
    CSelectionEdit* m_group;               // 6659
    QLineEdit* m_ledCount;                 // 6650
    QLineEdit* m_proposals;                // 6649
    QLineEdit* m_iterations;               // 6648
    QPushButton* m_start;                  // 6647
    QPushButton* m_settings;               // 6709
    CReconstructionSpecWindowList* m_list; // in place of 6627
};
