#pragma once
// Trains a calculation rule that turns the responses of a multispectral sensor into spectra,
// and files it as spectra (and sensor descriptions) under a result group.
#include "calculation/calc_common.h"

#include <embrel/apriori_interpolator.h>
#include <matrevo/matrix.h>

#include <cstdint>
#include <functional>
#include <streambuf>
#include <string>

// Collects characters into a line and logs each finished line as "QSpec: <line>".
class CreateInterpolatorStreamBuf : public std::basic_streambuf<char> {
public:
    Module* module = nullptr;
    ModuleInterface* host = nullptr;

protected:
    int_type overflow(int_type ch) override;

private:
    std::string m_line;
};

// Turns the training's events into progress and status text and passes the user's abort on.
class CreateInterpolatorEventHandler : public CMBLibEventHandler {
public:
    explicit CreateInterpolatorEventHandler(ModuleInterface* host) : m_host(host) {}
    void OnEvent(int event) override;
    ~CreateInterpolatorEventHandler() override;

private:
    ModuleInterface* m_host;
};

class CreateInterpolatorModule : public calc::CalcModule {
public:
    CreateInterpolatorModule();
    ~CreateInterpolatorModule() override;

    const CRuntimeClass* GetEditorClass() override;
    std::vector<SAutomationPtrList> GetAutomationPtr() override;
    // A count below 1 trains once; the regularisation weights count by their absolute value;
    // the Wiener weights and the stop threshold go to the training as they stand; "RegI2min"
    // is not read.
    calc::OwnRange OwnRangeOf(const std::string& name) override;

    // "createinterpolator": trains and files the rule; false, with a log line, when it fails.
    bool createinterpolator();

    // Writes the matrix of the last training as text to path (empty: asks for a file). False
    // when there is no matrix, the dialog was cancelled or the write failed (the old file stays).
    // The dialog proposes proposal as the file name.
    bool SaveAsText(const std::string& path, const std::string& configText, const std::string& proposal = {});

    // The text SaveAsText writes: the configuration line, the heading and one block per row.
    static std::string FormatRule(const TMatrix& matrix, const std::string& configText);

    const TMatrix& GetMatrix() const { return m_matrix; }
    // The seed of the run's random numbers (the run mark, the colours); the clock by default.
    void SetSeedSource(std::function<std::uint32_t()> source) { m_seedSource = std::move(source); }
    // The folder AutoSave writes into; the working folder by default (empty).
    void SetAutoSaveFolder(std::string folder) { m_autoSaveFolder = std::move(folder); }

    // The taper of the rule's ends: factor of point j of n.
    static double TaperFactor(int j, int n);

private:
    struct Group;
    bool TrainGroup(const Group& group, const std::string& prefix, int runMark);

    TMatrix m_matrix;
    std::string m_text;
    std::function<std::uint32_t()> m_seedSource;
    std::string m_autoSaveFolder;
};
