#pragma once
// Script functions on the spectrum tree: read a spectrum as a 2xN matrix (row 0 the
// wavelengths, row 1 the values), write one under a name or a name with a number, colour
// the spectra of a name.
#include "script/script_function.h"

class SpectrumTree;

// getSpectrum(name): the first spectrum the name selects.
class CompilerGetSpec : public script::ScriptFunction {
public:
    CompilerGetSpec(const std::string& name, CMCSharedParameter* shared, SpectrumTree* tree);
    ~CompilerGetSpec() override;
    int execute(script::Args args) override;

private:
    SpectrumTree* m_tree;
};

// setSpectrum(name, data): the first spectrum the name selects gets the points of data;
// without one, a new spectrum of that name is filed.
class CompilerSetSpec : public script::ScriptFunction {
public:
    CompilerSetSpec(const std::string& name, CMCSharedParameter* shared, SpectrumTree* tree);
    ~CompilerSetSpec() override;
    int execute(script::Args args) override;

private:
    SpectrumTree* m_tree;
};

// setSpectrumAutoName(name, number, data): as setSpectrum under name + the number's
// integer text ("Laser:Spek" and 7.9 give "Laser:Spek7").
class CompilerSetSpecAutoName : public script::ScriptFunction {
public:
    CompilerSetSpecAutoName(const std::string& name, CMCSharedParameter* shared, SpectrumTree* tree);
    ~CompilerSetSpecAutoName() override;
    int execute(script::Args args) override;

private:
    SpectrumTree* m_tree;
};

// setSpectrumColor(name, r, g, b): every spectrum the name selects; each channel's low 8 bits.
class CompilerSetSpecColor : public script::ScriptFunction {
public:
    CompilerSetSpecColor(const std::string& name, CMCSharedParameter* shared, SpectrumTree* tree);
    ~CompilerSetSpecColor() override;
    int execute(script::Args args) override;

private:
    SpectrumTree* m_tree;
};
