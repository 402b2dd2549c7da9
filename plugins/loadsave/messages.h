#pragma once
// The log texts of the load and save modules, byte for byte as users know them, and their
// colours. They are passed to the log as "%s" arguments.
#include "platform/colorref.h"

#include <string>

namespace loadsave::msg {

inline constexpr COLORREF kErrorColour = 0x000070;
inline constexpr COLORREF kHintColour = 0x007000;

inline constexpr char kSeparatorRefused[] = "Fehler: Laden fehlgeschlagen! Dieses Trennzeichen ist nicht erlaubt!";
inline constexpr char kFileTooLarge[] = "Fehler: Laden fehlgeschlagen! Die Datei ist größer als 1 GB.";
inline constexpr char kOutOfMemory[] = "Fehler: Laden fehlgeschlagen! Nicht genug Speicher für diese Datei.";
inline constexpr char kNotRegularFile[] =
    "Fehler: Laden fehlgeschlagen! Dies ist keine gewöhnliche Datei (sondern ein Ordner, eine Pipe oder ein Gerät).";
inline constexpr char kFileMaybeOpen[] = "Fehler: Laden fehlgeschlagen! Die Datei ist möglicherweise noch geöffnet.";
// The spectra loader says "offenbar"; the clipboard loader does not.
inline constexpr char kSeparatorNotUsedSpectra[] =
    "Fehler: Laden fehlgeschlagen! Das gewählte Trennzeichen wird offenbar nicht verwendet!";
inline constexpr char kSeparatorNotUsedClipboard[] =
    "Fehler: Laden fehlgeschlagen! Das gewählte Trennzeichen wird nicht verwendet!";
inline constexpr char kDataLineUnreadable[] =
    "Fehler: Laden fehlgeschlagen! Datenzeile nicht lesbar (Abweichende Formatierung, unterschiedliche "
    "Trennzeichen oder Datenzeile länger als 120000 Zeichen?).";
inline constexpr char kValueUnreadable[] =
    "Fehler: Laden fehlgeschlagen! Zeile %d: Der Wert '%s' ist keine Zahl (Dezimalzeichen und Trennzeichen "
    "prüfen).";
inline constexpr char kMissingValues[] =
    "Hinweis: Einige Datenzeilen enthalten weniger Werte als Spektren; für die fehlenden Werte wurden keine "
    "Punkte angelegt.";

inline std::string FileNotLoaded(const std::string& path)
{
    return "Fehler: Datei '" + path + "' konnte nicht geladen werden!";
}
inline std::string FileLoaded(const std::string& path)
{
    return "Datei '" + path + "' wurde erfolgreich geladen.";
}

inline constexpr char kCannotOpen[] = "Fehler: Die gewählte Datei konnte nicht geöffnet werden !";
inline constexpr char kDifferentGrids[] =
    "Fehler: In diesem Format können nur Spektren mit einheitlich verteilten Stützstellen gespeichert werden!";
inline std::string FileSaved(const std::string& path)
{
    return "Datei '" + path + "' wurde erfolgreich gespeichert!";
}
inline constexpr char kSaveHint[] = "Hinweis: Überprüfen Sie, die zu speichernden Daten auf Eignung für das "
                                    "gewählte Datenformat und ob die Datei gespeichert wurde!";

} // namespace loadsave::msg
