#include "embrel/apriori_interpolator.h"

const char* MBStatusText(tyMBStatus status)
{
    switch (status) {
    case MB_OK:
        return "";
    case MB_TARGET_POINTS:
        return " Targets stimmen nicht mit den Empfindlichkeiten überein (Anzahl der Punkte)!";
    case MB_MULTIPLE_ILLU:
        return " Es können nicht mehrere Beleuchtungsquellen berücksichtigt werden!";
    case MB_ILLU_POINTS:
        return " Beleuchtungsspektrum stimmt nicht mit den Sensorempfindlichkeiten überein (Anzahl der Punkte)!";
    case MB_ILLU_RANGE:
        return " Sensorempfindlichkeiten stimmen nicht mit dem Spektrum der Beleuchtung überein (Definitionsbereich)!";
    case MB_TARGET_MISMATCH:
        return " Targets stimmen nicht mit den Empfindlichkeiten überein!";
    case MB_NO_NAME_RELATION:
        return "Keine Namen-Beziehungen zwischen gegebenen Sensorantworten und Targets herstellbar!";
    case MB_ABORTED:
        return " Berechnung abgebrochen!";
    case MB_NOT_FINITE:
        return " Eingabedaten enthalten ungültige Werte (NaN oder unendlich)!";
    case MB_EMPTY_INPUT:
        return " Keine Eingabedaten!";
    case MB_BAD_ARGUMENT:
        return " Ungültige Parameter!";
    case MB_NOT_TRAINED:
        return " Keine Verrechnungsvorschrift berechnet!";
    }
    return " Unbekannter Fehler!";
}

void CMBLibEventHandler::OnEvent(int) {}

CMBLibEventHandler::~CMBLibEventHandler() = default;

CAprioriInterpolator::CAprioriInterpolator(const CSpekContainer& sensitivities, const CSpekContainer& targets,
                                           const CMBTarget& illumination, const CMBTarget& errorWeight,
                                           const CSpekContainer& prior, const CMBTarget& priorMean, int systemType,
                                           int measureType)
    : m_responseMode(false), m_sensors(sensitivities), m_targets(targets), m_prior(prior),
      m_illumination(illumination), m_errorWeight(errorWeight), m_priorMean(priorMean), m_systemType(systemType),
      m_measureType(measureType)
{
}

CAprioriInterpolator::CAprioriInterpolator(const CSpekContainer& responses, const CSpekContainer& targets,
                                           const CSpekContainer& prior, const CMBTarget& illumination,
                                           const CMBTarget& errorWeight, int systemType, int measureType)
    : m_responseMode(true), m_sensors(responses), m_targets(targets), m_prior(prior), m_illumination(illumination),
      m_errorWeight(errorWeight), m_systemType(systemType), m_measureType(measureType)
{
}

CAprioriInterpolator::~CAprioriInterpolator() = default;
