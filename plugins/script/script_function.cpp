#include "script/script_function.h"

#include <formulux/mc_variable.h>

#include <algorithm>
#include <cmath>

namespace script {

std::string RowText(int argument)
{
    return "Parameter " + std::to_string(argument) + " muss 1xX Matrix sein";
}

std::string TwoRowText(int argument)
{
    return "Parameter " + std::to_string(argument) + " muss 2xX Matrix sein";
}

std::string ScalarText(int argument)
{
    return "Parameter " + std::to_string(argument) + " muss skalarer Wert sein";
}

std::string FiniteText(int argument)
{
    return "Parameter " + std::to_string(argument) + " enthält ungültige Werte (NaN oder unendlich)";
}

ScriptFunction::~ScriptFunction() = default;

int ScriptFunction::Fail(const std::string& text)
{
    error.setException(text, -1, -1, "");
    return kFailed;
}

bool ScriptFunction::IsRow(Args args, std::size_t index)
{
    return index < args.size() && args[index] && args[index]->getRows() == 1;
}

bool ScriptFunction::IsTwoRows(Args args, std::size_t index)
{
    return index < args.size() && args[index] && args[index]->getRows() == 2;
}

bool ScriptFunction::HasValue(Args args, std::size_t index)
{
    return index < args.size() && args[index] && !args[index]->isEmpty();
}

bool ScriptFunction::IsFinite(Args args, std::size_t index)
{
    if (index >= args.size() || !args[index])
        return false;
    const CMCVariable& value = *args[index];
    const double* data = value.data();
    return std::all_of(data, data + value.numel(), [](double v) { return std::isfinite(v); });
}

} // namespace script
