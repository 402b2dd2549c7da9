#include "calculation/svd_selection_events.h"

#include "calculation/calc_common.h"
#include "core/module_interface.h"

SVDSelEventHandler::~SVDSelEventHandler() = default;

void SVDSelEventHandler::OnEvent(int type)
{
    if (!m_host)
        return;
    const unsigned count = GetCount();
    const unsigned index = GetIndex();
    if (m_host->UserWantsAbort()) {
        SetAbort(true);
        m_host->SetProgressBarPercentage(100);
        m_host->AddLogColorMessage(calc::kErrorColour, "%s", "Bitte Warten! Berechnung wird abgebrochen.");
        return;
    }
    switch (type) {
    case 3:
        m_host->SetProgressBarPercentage(0);
        m_host->SetStatusText(calc::FormatText("Optimale algebraische Targetauswahl von %d Targets",
                                               static_cast<int>(count)));
        break;
    case 4:
        m_host->SetProgressBarPercentage(
            static_cast<int>(static_cast<double>(index) / (static_cast<double>(count) + 1) * 100));
        m_host->SetStatusText(calc::FormatText("Optimale algebraische Targetauswahl (Target %d von %d)",
                                               static_cast<int>(index) + 1, static_cast<int>(count)));
        break;
    case 5:
        m_host->SetProgressBarPercentage(100);
        m_host->SetStatusText("Optimale algebraische Targetauswahl fertig");
        break;
    default:
        break;
    }
}

SVDSelectionStreamBuf::~SVDSelectionStreamBuf() = default;

SVDSelectionStreamBuf::int_type SVDSelectionStreamBuf::overflow(int_type ch)
{
    if (traits_type::eq_int_type(ch, traits_type::eof()) || ch == '\n') {
        if (m_host)
            m_host->AddLogMessage("AlgebraicSel: %s", m_line.c_str());
        m_line.clear();
    } else {
        m_line += traits_type::to_char_type(ch);
    }
    return ch;
}
