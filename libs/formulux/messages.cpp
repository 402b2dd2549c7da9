#include "formulux/messages.h"

namespace formulux::msg {

namespace {
std::string quoted(std::string_view name) { return "'" + std::string(name) + "'"; }
} // namespace

std::string located(int line, int col, std::string_view text)
{
    return "Fehler: Zeile " + std::to_string(line) + ", Spalte " + std::to_string(col) + ": " + std::string(text);
}

std::string unexpectedToken(std::string_view token) { return "unerwartetes Symbol " + quoted(token); }
std::string expected(std::string_view what) { return quoted(what) + " erwartet"; }
std::string unknownName(std::string_view name) { return "unbekannter Name " + quoted(name); }
std::string didYouMean(std::string_view name) { return ", meinten Sie " + quoted(name) + "?"; }
std::string argCount(std::string_view function, int expected, int given)
{
    return "falsche Anzahl von Argumenten für " + quoted(function) + " (erwartet " + std::to_string(expected)
        + ", gegeben " + std::to_string(given) + ")";
}
std::string argRange(std::string_view function, int min, int max, int given)
{
    return "falsche Anzahl von Argumenten für " + quoted(function) + " (erwartet " + std::to_string(min) + " bis "
        + std::to_string(max) + ", gegeben " + std::to_string(given) + ")";
}
std::string duplicateFunction(std::string_view name) { return "Funktion " + quoted(name) + " ist bereits definiert"; }
std::string duplicateVariable(std::string_view name) { return "Variable " + quoted(name) + " ist bereits deklariert"; }
std::string dimensions(int r1, int c1, int r2, int c2)
{
    return "Matrixdimensionen passen nicht (" + std::to_string(r1) + "x" + std::to_string(c1) + ", "
        + std::to_string(r2) + "x" + std::to_string(c2) + ")";
}
std::string indexRange(long long index, long long size)
{
    return "Index " + std::to_string(index) + " außerhalb des Bereichs (0 bis " + std::to_string(size - 1) + ")";
}
std::string scalarVariable(std::string_view name, int rows, int cols)
{
    return "Variable " + quoted(name) + " ist skalar, Wert ist " + std::to_string(rows) + "x" + std::to_string(cols);
}
std::string notAFunction(std::string_view name) { return quoted(name) + " ist keine Funktion"; }

} // namespace formulux::msg
