#pragma once
// A spectrum window list that shows, in each target's window, the target in black and its
// reconstruction by an LED combination in green; the combination's drive values become the
// second line of the window's title ("0.500 1.000 ").

#include "windows/spec_window_list.h"

#include "engine/spectra_set.h"

#include <string>
#include <vector>

class LEDArray;
class LEDFitter;

class CReconstructionSpecWindowList : public CSpecWindowList {
    Q_OBJECT

public:
    explicit CReconstructionSpecWindowList(QWidget* parent = nullptr);
    ~CReconstructionSpecWindowList() override;

    // One window per target, each with a flat zero reconstruction.
    void SetTargetSpectra(const SpectraSet& targets);
    void CreateReconstructionWindows(int count);
    // Every window gets a zero reconstruction "LED_%03d_Reconstruction".
    void ResetReconstructions();
    // The fitter's drive values of every target, shown through ShowReconstruction.
    void ShowReconstructions(const LEDArray& leds, const LEDFitter& fitter);
    // Recomputes reconstruction i from the drive values (no thermal model) and puts the
    // drive values under the window's first title line. Nothing outside the windows.
    void ShowReconstruction(int i, const LEDArray& leds, const std::vector<double>& drives);
    // No windows, no reconstructions.
    void Clear();

    const SpectraSet& GetReconstructions() const { return m_reconstructions; }

    // "%0.3f " per drive value.
    static std::string DriveText(const std::vector<double>& drives);

private:
    SpectraSet m_reconstructions;
};
