#include "windows/reconstruction_spec_window_list.h"

#include "windows/spec_window.h"

#include "engine/grid.h"
#include "engine/led_array.h"
#include "engine/led_fitter.h"
#include "engine/ls_matrix.h"

#include <cstdio>

CReconstructionSpecWindowList::CReconstructionSpecWindowList(QWidget* parent) : CSpecWindowList(parent) {}

CReconstructionSpecWindowList::~CReconstructionSpecWindowList()
{
    // The windows refer to the reconstructions: they go first.
    RemoveAll();
}

std::string CReconstructionSpecWindowList::DriveText(const std::vector<double>& drives)
{
    std::string text;
    char buf[64];
    for (double d : drives) {
        std::snprintf(buf, sizeof buf, "%0.3f ", d);
        text += buf;
    }
    return text;
}

void CReconstructionSpecWindowList::SetTargetSpectra(const SpectraSet& targets)
{
    SetSpectra(targets);
    ResetReconstructions();
}

void CReconstructionSpecWindowList::CreateReconstructionWindows(int count)
{
    CreateWindows(count);
    ResetReconstructions();
}

void CReconstructionSpecWindowList::ResetReconstructions()
{
    // The windows let go of the old reconstructions before the set frees them.
    for (int i = 0; i < WindowCount() && i < m_reconstructions.GetCount(); ++i)
        WindowAt(i)->RemoveSpectrum(m_reconstructions.GetSpectrum(i));
    m_reconstructions.Clear();
    const int n = GridPointCount();
    char name[64];
    for (int i = 0; i < WindowCount(); ++i) {
        LSMatrixHandle zero(n, 1);
        MatZero(zero);
        std::snprintf(name, sizeof name, "LED_%03d_Reconstruction", i);
        m_reconstructions.AddSpectrum(name, zero);
        WindowAt(i)->AddSpectrum(m_reconstructions.GetSpectrum(i), RGB(0, 255, 0));
    }
}

void CReconstructionSpecWindowList::ShowReconstructions(const LEDArray& leds, const LEDFitter& fitter)
{
    std::vector<double> drives;
    for (int i = 0; i < WindowCount(); ++i) {
        fitter.GetDriveValues(i, drives);
        ShowReconstruction(i, leds, drives);
    }
}

void CReconstructionSpecWindowList::ShowReconstruction(int i, const LEDArray& leds, const std::vector<double>& drives)
{
    if (i < 0 || i >= WindowCount())
        return;
    if (LSMatrix spectrum = m_reconstructions.GetSpectrum(i))
        leds.ComputeSpectrum(spectrum, drives, nullptr);
    CSpecWindow* w = WindowAt(i);
    const std::string& title = w->GetTitle();
    w->SetTitle(title.substr(0, title.find('\n')) + "\n" + DriveText(drives));
    w->repaint();
}

void CReconstructionSpecWindowList::Clear()
{
    RemoveAll();
    m_reconstructions.Clear();
}
