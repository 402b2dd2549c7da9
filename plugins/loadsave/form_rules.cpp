#include "form_rules.h"

#include <QStringList>

#include <algorithm>

namespace loadsave {

namespace {

bool Contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

// At most max bytes, cut back to a whole UTF-8 character.
std::string Utf8Prefix(const std::string& text, std::size_t max)
{
    if (text.size() <= max)
        return text;
    std::size_t end = max;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace

DescriptionParts SplitDescription(const std::string& description)
{
    const std::size_t at = description.find("Syntax");
    if (at == std::string::npos)
        return {};
    return {description.substr(0, at), description.substr(at, 10000)};
}

LoadFormView LoadFormRules(const std::string& extensions, const std::string& description, bool separatorUsed,
                           bool baseNameUsed, bool namesFromFileOffered)
{
    LoadFormView view;
    if (!Contains(description, "Spektrum") && !Contains(description, "Spektren")) {
        view.baseNameLabel = "Datensatzbezeichner:";
        view.factorShown = false;
    } else {
        view.baseNameLabel = "Spektrenbezeichner:";
        view.factorShown = !Contains(description, "Orvanta");
    }
    const DescriptionParts parts = SplitDescription(description);
    view.description = "Laden von " + parts.head + "Dateiendung(en): " + extensions + "\r\n\r\n" + parts.syntax;
    view.separatorShown = separatorUsed;
    view.baseNameShown = baseNameUsed;
    view.namesFromFileShown = namesFromFileOffered;
    return view;
}

SaveFormView SaveFormRules(const std::string& extensions, const std::string& description, bool separatorUsed,
                           const std::string& objectKind, const std::string& moduleName, bool compactTicked)
{
    SaveFormView view;
    view.dataLabel = "Zu speichernde " + objectKind + ":";
    const DescriptionParts parts = SplitDescription(description);
    view.description = "Speichern " + parts.head + "Dateiendung(en): " + extensions + "\r\n\r\n" + parts.syntax;

    const bool text = Contains(description, "ASCII") && separatorUsed;
    view.separatorShown = text;
    view.compactShown = text;
    view.saveNamesShown = text;
    view.separatorEnabled = true;
    if (!Contains(moduleName, "Clip")) {
        view.compactShown = false;
        return view;
    }
    view.saveNamesShown = false;
    view.noNamesShown = Contains(description, "ASCII");
    // The separator and "ohne Namen speichern" serve the compact form only.
    view.separatorEnabled = compactTicked;
    view.noNamesEnabled = compactTicked;
    view.clearNoNames = !compactTicked;
    return view;
}

std::string FileFilter(const std::string& description, const std::string& extensions)
{
    const std::string title = description.substr(0, description.find("Syntax"));
    std::string patterns = extensions;
    std::replace(patterns.begin(), patterns.end(), ',', ';');
    return title + " (" + extensions + ")|" + patterns + "||";
}

QString QtFileFilter(const std::string& filter)
{
    QStringList entries;
    const QStringList parts = QString::fromStdString(filter).split('|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        name.replace(QStringLiteral("\r"), QStringLiteral(" ")).replace(QStringLiteral("\n"), QStringLiteral(" "));
        name = name.simplified();
        // The name carries the extensions in parentheses; Qt reads the patterns from there.
        if (name.endsWith(')')) {
            const qsizetype open = name.lastIndexOf(QStringLiteral(" ("));
            if (open >= 0)
                name.truncate(open);
        }
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            if (!pattern.trimmed().isEmpty())
                patterns << pattern.trimmed();
        }
        if (patterns.isEmpty())
            continue;
        entries << name + QStringLiteral(" (") + patterns.join(' ') + QStringLiteral(")");
    }
    return entries.join(QStringLiteral(";;"));
}

std::string DefaultSaveFileName(const std::string& selection)
{
    std::string name;
    const std::size_t first = selection.find(':');
    if (first == std::string::npos) {
        name = selection;
    } else {
        const std::size_t last = selection.rfind(':');
        name = "FromFolder_" + Utf8Prefix(selection.substr(0, first), 32) + "_Entry_"
            + Utf8Prefix(selection.substr(last + 1), 32);
    }
    std::replace_if(name.begin(), name.end(), [](char c) { return c == '/' || c == '*' || c == ';'; }, '_');
    return name;
}

SelectionRow SelectionRowFor(int width, int height)
{
    SelectionRow row{};
    row.formWidth = std::max(width, 456);
    row.formHeight = std::max(height, 180);
    row.editX = 10;
    row.editWidth = std::min(row.formWidth - 135, 656);
    row.buttonX = row.editWidth + 20;
    return row;
}

QString DisplayText(const std::string& text)
{
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

} // namespace loadsave
