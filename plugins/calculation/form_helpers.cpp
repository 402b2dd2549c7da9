#include "calculation/form_helpers.h"

#include "calculation/calc_common.h"

#include <xandril/xandril.h>

#include <string>

namespace calc {

int ExchangeEnumAndSel(CDataExchange* pDX, QComboBox* combo, ns_param::Paramora& p, const char* name)
{
    if (!pDX->m_bSaveAndValidate)
        SyncEnumFromSel(p, name);
    ns_xandril::XMLEnumClass& entries = *p.getEnumParameter(name);
    DDX_CBIndex(pDX, combo, entries);
    p.setIntParameter(std::string(name) + "Sel", entries.getIndex());
    return entries.getIndex();
}

} // namespace calc
