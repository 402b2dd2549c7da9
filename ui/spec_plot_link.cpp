#include "ui/spec_plot_link.h"

#include "controls/spectrum_plot.h"

SpecPlotLink::~SpecPlotLink() = default;

CSpecDisplayLink::CSpecDisplayLink(CSpecDisplay* display) : m_display(display) {}

CSpecDisplayLink::~CSpecDisplayLink() = default;

void CSpecDisplayLink::SetFromSpectrumList(std::list<Spectrum*>& spectra)
{
    if (m_display)
        m_display->SetFromSpectrumList(spectra);
}

void CSpecDisplayLink::RemoveFromShownList(const Spectrum* spectrum)
{
    if (m_display)
        m_display->RemoveFromShownList(spectrum);
}

bool CSpecDisplayLink::IsDensView() const
{
    return m_display && m_display->IsDensView();
}

void CSpecDisplayLink::RequestRedraw()
{
    if (m_display)
        m_display->NeedRedraw(true);
}
