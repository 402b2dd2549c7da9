#include "digitiser_checks.h"

#include "core/number_text.h"
#include "core/string_helpers.h"

#include <cmath>

namespace {

// A number the form accepts: isNumber's characters and a finite value.
bool ReadNumber(const std::string& text, double& value)
{
    const std::string t = trim(text, " \t\r\n");
    value = number_text::ToDouble(t.c_str());
    return isNumber(t) && std::isfinite(value);
}

} // namespace

DigitiserInput CheckDigitiserForm(const DigitiserForm& form)
{
    DigitiserInput in;
    DigitiserAxes& a = in.axes;
    a.xLog = form.xLog;
    a.yLog = form.yLog;
    const bool xStartOk = ReadNumber(form.xStart, a.xStart);
    const bool yStartOk = ReadNumber(form.yStart, a.yStart);
    const bool xEndOk = ReadNumber(form.xEnd, a.xEnd);
    const bool yEndOk = ReadNumber(form.yEnd, a.yEnd);
    const bool borderOk = ReadNumber(form.picOff, in.border);
    a.valueDecimals = Nachkommastellen(a.yStart);

    struct Check {
        bool passed;
        const char* message;
    };
    const Check checks[] = {
        {xStartOk, "Bitte für Startwellenlänge in nm eine gültige Zahl (Dezimalpunkt, max. 1 Vorzeichen) eingeben!"},
        {!a.xLog || static_cast<float>(a.xStart) > 0, "Bitte für Startwellenlänge in nm eine Zahl > 0 eingeben!"},
        {yStartOk,
         "Bitte für untere Wertebereichsgrenze eine gültige Zahl (Dezimalpunkt, max. 1 Vorzeichen) eingeben!"},
        {!a.yLog || static_cast<float>(a.yStart) > 0, "Bitte für untere Wertebereichsgrenze eine Zahl > 0 eingeben!"},
        {xEndOk, "Bitte für Endwellenlänge eine gültige Zahl (Dezimalpunkt, max. 1 Vorzeichen) eingeben!"},
        {yEndOk, "Bitte für obere Wertebereichsgrenze eine gültige Zahl (Dezimalpunkt, max. 1 Vorzeichen) eingeben!"},
        {borderOk, "Bitte für Bildrand eine gültige Zahl (Dezimalpunkt, max. 1 Vorzeichen) eingeben!"},
        {in.border >= 0, "Bitte eine positive Zahl zur Festlegung des Bildrandes eingeben!"},
        {a.xLog || a.xStart != 0, "Bitte für Startwellenlänge in nm eine korrekte Gleitkommazahl eingeben!"},
        {a.xLog || a.xEnd != 0, "Bitte für Endwellenlänge in nm eine korrekte Gleitkommazahl eingeben!"},
        {a.yLog || a.yEnd != 0, "Bitte für Maximaler Diagrammwert eine korrekte Gleitkommazahl eingeben!"},
        {a.xStart <= a.xEnd, "Die Eingaben für Startwellenlänge und Endwellenlänge sind vertauscht!"},
        {a.yEnd >= a.yStart, "Die Eingaben für Minimaler Diagrammwert und Maximaler Diagrammwert sind vertauscht!"},
        {!trim(form.file, " \t\r\n").empty(), "Bitte Bild auswählen"},
    };
    for (const Check& check : checks) {
        if (!check.passed) {
            in.message = check.message;
            break;
        }
    }
    return in;
}
