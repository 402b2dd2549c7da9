#pragma once
// Every German text of the library, in one place.
#include <string>
#include <string_view>

namespace formulux::msg {

// "Fehler: Zeile L, Spalte C: text"
std::string located(int line, int col, std::string_view text);

inline constexpr std::string_view kNoProgram = "Fehler: Kein übersetztes Skript.";
inline constexpr std::string_view kRunning = "Fehler: Das Skript läuft bereits.";
inline constexpr std::string_view kUnexpectedChar = "unerwartetes Zeichen";
inline constexpr std::string_view kTooDeep = "Ausdruck zu tief verschachtelt";
inline constexpr std::string_view kRecursion = "Rekursion zu tief";
inline constexpr std::string_view kTooLarge = "Matrix zu groß";
inline constexpr std::string_view kAborted = "Skript abgebrochen";
inline constexpr std::string_view kSingular = "Matrix ist singulär";
inline constexpr std::string_view kOpenString = "Zeichenkette nicht abgeschlossen";
inline constexpr std::string_view kOpenComment = "Kommentar nicht abgeschlossen";
inline constexpr std::string_view kBadNumber = "ungültige Zahl";
inline constexpr std::string_view kBadEscape = "ungültige Escape-Sequenz";
inline constexpr std::string_view kUnexpectedEnd = "unerwartetes Ende des Skripts";
inline constexpr std::string_view kBreakOutside = "'break' außerhalb einer Schleife";
inline constexpr std::string_view kContinueOutside = "'continue' außerhalb einer Schleife";
inline constexpr std::string_view kNotAssignable = "Zuweisung nur an eine Variable oder ihre Elemente";
inline constexpr std::string_view kFuncNotTop = "Funktionen nur auf oberster Ebene";
inline constexpr std::string_view kIndexNotInteger = "Index ist keine ganze Zahl";
inline constexpr std::string_view kIndexNegative = "Index ist negativ";
inline constexpr std::string_view kIndexCount = "zu viele Indizes";
inline constexpr std::string_view kColonOutside = "':' nur als Index";
inline constexpr std::string_view kNotSquare = "Matrix ist nicht quadratisch";
inline constexpr std::string_view kPowerArgs = "Potenz einer Matrix nur mit ganzzahligem skalarem Exponenten";
inline constexpr std::string_view kSliceShape = "Zuweisung: Form der Werte passt nicht zum Ausschnitt";
inline constexpr std::string_view kNoValue = "Ausdruck hat keinen Wert";
inline constexpr std::string_view kResizeArgs = "resize erwartet zwei nicht negative ganze Zahlen";
inline constexpr std::string_view kMember = "unbekannte Methode (nur resize)";
inline constexpr std::string_view kScalarArg = "Argument muss ein Skalar sein";
inline constexpr std::string_view kIntegerArg = "Argument muss eine nicht negative ganze Zahl sein";
inline constexpr std::string_view kVectorArg = "Argument muss ein Vektor sein";
inline constexpr std::string_view kTextArg = "Argument muss eine Zeichenkette sein";
inline constexpr std::string_view kBadFormat = "ungültiges Format";
inline constexpr std::string_view kOutOfMemory = "nicht genug Speicher";
inline constexpr std::string_view kTooSlow = "Matrix zu groß für diese Rechnung (sie würde zu lange dauern)";
inline constexpr std::string_view kReshape = "reshape: Anzahl der Elemente passt nicht";
inline constexpr std::string_view kFunctionFailed = "Fehler in Funktion";

std::string unexpectedToken(std::string_view token);
std::string expected(std::string_view what);
std::string unknownName(std::string_view name);
std::string didYouMean(std::string_view name);
std::string argCount(std::string_view function, int expected, int given);
std::string argRange(std::string_view function, int min, int max, int given);
std::string duplicateFunction(std::string_view name);
std::string duplicateVariable(std::string_view name);
std::string dimensions(int r1, int c1, int r2, int c2);
std::string indexRange(long long index, long long size);
std::string scalarVariable(std::string_view name, int rows, int cols);
std::string notAFunction(std::string_view name);

} // namespace formulux::msg
