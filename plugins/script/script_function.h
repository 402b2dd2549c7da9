#pragma once
// The base of the script functions the script module registers: the compiler's function with
// the argument checks and error texts they share.
#include <formulux/mc_function.h>

#include <span>
#include <string>

namespace script {

using Args = std::span<CMCVariable* const>;

inline constexpr char kNotFoundSpectrum[] = "Spektrum nicht gefunden";
inline constexpr char kNotFoundModule[] = "Modul nicht gefunden";
inline constexpr char kNotFoundMethod[] = "Methode in Modul nicht gefunden";
inline constexpr char kNotFoundParameter[] = "Parameter in Modul nicht gefunden";
inline constexpr char kStringValue[] = "Stringwert muss 1xX Matrix sein";
inline constexpr char kCannotCreate[] = "Spektrum kann nicht angelegt werden";

// "Parameter N muss 1xX Matrix sein", "... 2xX ...", "... skalarer Wert sein".
std::string RowText(int argument);
std::string TwoRowText(int argument);
std::string ScalarText(int argument);
// "Parameter N enthält ungültige Werte (NaN oder unendlich)".
std::string FiniteText(int argument);

class ScriptFunction : public CMCFunction {
public:
    using CMCFunction::CMCFunction;
    ~ScriptFunction() override;

protected:
    // What execute returns after a reported error.
    static constexpr int kFailed = 2;
    // Reports text as the call's error; returns kFailed.
    int Fail(const std::string& text);
    // True when argument index (0-based) exists and has exactly one row.
    static bool IsRow(Args args, std::size_t index);
    // True when argument index exists and has exactly two rows.
    static bool IsTwoRows(Args args, std::size_t index);
    // True when argument index exists and holds at least one element.
    static bool HasValue(Args args, std::size_t index);
    // True when every element of argument index is a finite number.
    static bool IsFinite(Args args, std::size_t index);
};

} // namespace script
