#include "script/spectrum_functions.h"

#include "script/script_values.h"

#include "core/spectrum.h"
#include "platform/colorref.h"

#include <algorithm>
#include <cmath>
#include <list>
#include <memory>

using namespace script;

namespace {

// A name under which a new spectrum may be filed: a valid path that a ";"-list, a group
// pattern or a drag text would not read differently.
bool IsNewSpectrumName(const std::string& name)
{
    if (!ns_tree::IsValidPath(name) || name.find_first_of(";|") != std::string::npos)
        return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(name.find(':', start), name.size());
        if (name.compare(start, end - start, "*") == 0)
            return false;
        if (end == name.size())
            return true;
        start = end + 1;
    }
}

void FillPoints(Spectrum& spectrum, const CMCVariable& data)
{
    spectrum.ClearPoints();
    const int count = data.getCols();
    spectrum.ReservePoints(count);
    const double* values = data.data(); // column by column: x, y of each point
    for (int i = 0; i < count; ++i) {
        const double x = values[2 * static_cast<std::size_t>(i)];
        spectrum.AddPoint(SPoint(x < 0 ? 0.0 : x, values[2 * static_cast<std::size_t>(i) + 1]));
    }
}

// The first spectrum of the name gets the points; without one a new spectrum is filed.
// False when a new one cannot be filed (nothing is left behind then).
bool WriteSpectrum(SpectrumTree& tree, const std::string& name, const CMCVariable& data)
{
    const std::list<Spectrum*> found = tree.GetInserters(name, false);
    if (!found.empty()) {
        FillPoints(*found.front(), data);
        return true;
    }
    if (!IsNewSpectrumName(name))
        return false;
    auto spectrum = std::make_unique<Spectrum>();
    spectrum->SetName(name);
    FillPoints(*spectrum, data);
    if (!tree.AddInserter(spectrum.get()))
        return false;
    spectrum.release();
    return true;
}

} // namespace

CompilerGetSpec::CompilerGetSpec(const std::string& name, CMCSharedParameter* shared, SpectrumTree* tree)
    : ScriptFunction(name, shared)
    , m_tree(tree)
{
}

CompilerGetSpec::~CompilerGetSpec() = default;

int CompilerGetSpec::execute(Args args)
{
    if (!IsRow(args, 0))
        return Fail(RowText(1));
    const std::list<Spectrum*> found = m_tree->GetInserters(TextOf(*args[0]), false);
    if (found.empty())
        return Fail(kNotFoundSpectrum);
    const Spectrum& spectrum = *found.front();
    const int count = spectrum.GetPointCount();
    result = CMCVariable(2, count);
    double* out = result.mutableData();
    for (int i = 0; i < count; ++i) {
        const SPoint point = spectrum[i];
        out[2 * static_cast<std::size_t>(i)] = point.x;
        out[2 * static_cast<std::size_t>(i) + 1] = point.y;
    }
    return 0;
}

CompilerSetSpec::CompilerSetSpec(const std::string& name, CMCSharedParameter* shared, SpectrumTree* tree)
    : ScriptFunction(name, shared)
    , m_tree(tree)
{
}

CompilerSetSpec::~CompilerSetSpec() = default;

int CompilerSetSpec::execute(Args args)
{
    if (!IsRow(args, 0))
        return Fail(RowText(1));
    if (!IsTwoRows(args, 1))
        return Fail(TwoRowText(2));
    // A point without a number would be filed as a value nobody can plot or compute with.
    if (!IsFinite(args, 1))
        return Fail(FiniteText(2));
    if (!WriteSpectrum(*m_tree, TextOf(*args[0]), *args[1]))
        return Fail(kCannotCreate);
    return 0;
}

CompilerSetSpecAutoName::CompilerSetSpecAutoName(const std::string& name, CMCSharedParameter* shared,
                                                 SpectrumTree* tree)
    : ScriptFunction(name, shared)
    , m_tree(tree)
{
}

CompilerSetSpecAutoName::~CompilerSetSpecAutoName() = default;

int CompilerSetSpecAutoName::execute(Args args)
{
    if (!IsRow(args, 0))
        return Fail(RowText(1));
    if (!IsTwoRows(args, 2))
        return Fail(TwoRowText(3));
    if (!args[1]->isScalar() || !std::isfinite(args[1]->scalar()))
        return Fail(ScalarText(2));
    if (!IsFinite(args, 2))
        return Fail(FiniteText(3));
    const std::string name = TextOf(*args[0]) + std::to_string(TruncateToInt(args[1]->scalar()));
    if (!WriteSpectrum(*m_tree, name, *args[2]))
        return Fail(kCannotCreate);
    return 0;
}

CompilerSetSpecColor::CompilerSetSpecColor(const std::string& name, CMCSharedParameter* shared, SpectrumTree* tree)
    : ScriptFunction(name, shared)
    , m_tree(tree)
{
}

CompilerSetSpecColor::~CompilerSetSpecColor() = default;

int CompilerSetSpecColor::execute(Args args)
{
    if (!IsRow(args, 0))
        return Fail(RowText(1));
    for (std::size_t i = 1; i <= 3; ++i) {
        if (!HasValue(args, i))
            return Fail(ScalarText(static_cast<int>(i) + 1));
    }
    const COLORREF colour = RGB(LowByte(args[1]->data()[0]), LowByte(args[2]->data()[0]), LowByte(args[3]->data()[0]));
    for (Spectrum* spectrum : m_tree->GetInserters(TextOf(*args[0]), false))
        spectrum->SetColor(colour);
    return 0;
}
