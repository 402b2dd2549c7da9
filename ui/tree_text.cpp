#include "ui/tree_text.h"

#include "core/string_helpers.h"

#include <QStringView>
#include <QTextDocument>

#include <algorithm>

QString StripHyphenMarks(const QString& text)
{
    QString out = text;
    out.remove(QLatin1Char('|'));
    return out;
}

std::string StripHyphenMarks(const std::string& text)
{
    std::string out = text;
    strremove(&out, '|');
    return out;
}

QString PlainTipText(const QString& text)
{
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpacePre) : text;
}

QString ReplaceLastCharacters(const QString& text, int count, const QString& with)
{
    qsizetype end = text.size();
    for (int i = 0; i < count && end > 0; ++i) {
        --end;
        if (end > 0 && text.at(end).isLowSurrogate() && text.at(end - 1).isHighSurrogate())
            --end;
    }
    return text.left(end) + with;
}

QString HyphenateLabel(const QString& text, int width, const std::function<int(const QString&)>& measure)
{
    QString label = StripHyphenMarks(text);
    if (measure(label) > width) {
        qsizetype chosen = -1;
        for (qsizetype mark = text.indexOf(QLatin1Char('|')); mark >= 0; mark = text.indexOf(QLatin1Char('|'), mark + 1)) {
            if (measure(StripHyphenMarks(text.left(mark)) + QLatin1Char('-')) > width)
                break;
            chosen = mark;
        }
        if (chosen >= 0) {
            QString rest = StripHyphenMarks(text.mid(chosen + 1));
            if (measure(rest) > width)
                rest = ReplaceLastCharacters(rest, 4, QStringLiteral("..."));
            label = StripHyphenMarks(text.left(chosen)) + QStringLiteral("-\n") + rest;
        }
    }
    label.replace(QStringLiteral("--"), QStringLiteral("-"));
    return label;
}

std::string CutToCharacters(const std::string& utf8, std::size_t maxCharacters)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        // Every byte that is not a continuation byte (10xxxxxx) starts a character.
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80 && characters++ == maxCharacters)
            return utf8.substr(0, i);
    }
    return utf8;
}

bool IsValidItemName(const std::string& name)
{
    if (name.find_first_of(":;") != std::string::npos)
        return false;
    return !QString::fromStdString(name).trimmed().isEmpty();
}
