#pragma once
// Brackets a module operation in a form handler: StartCalculation now, EndCalculation when the
// scope ends, also when the operation throws.
//
//   void CMyForm::OnBnClickedRun()
//   {
//       CalculationGuard busy(GetModule()->GetModuleInterface());
//       GetModule()->Run();
//   }
#include "core/module_interface.h"

class CalculationGuard {
public:
    explicit CalculationGuard(ModuleInterface* host) : m_host(host)
    {
        if (m_host)
            m_host->StartCalculation();
    }
    ~CalculationGuard()
    {
        if (m_host)
            m_host->EndCalculation();
    }
    CalculationGuard(const CalculationGuard&) = delete;
    CalculationGuard& operator=(const CalculationGuard&) = delete;

private:
    ModuleInterface* m_host;
};
