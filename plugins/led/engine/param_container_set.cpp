#include "engine/param_container_set.h"

#include "core/char_stream.h"
#include "core/number_text.h"
#include "engine/engine_log.h"
#include "platform/file_contents.h"

#include <new>

namespace {

const char kBeginEntry[] = "[BeginEntry]";
const char kEndEntry[] = "[EndEntry]";

bool IsFileSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The set file's words: white-space separated, each at most kMaxWordBytes long.
class SetFileReader {
public:
    explicit SetFileReader(CCharStream& in) : m_in(in) {}

    bool AtEnd() const { return m_in.IsEOF(); }
    // True once a word or value was cut at kMaxWordBytes.
    bool TooLong() const { return m_tooLong; }

    void SkipSpace()
    {
        while (!m_in.IsEOF() && IsFileSpace(m_in.Peek()))
            m_in.Get();
    }

    // The next word; empty at the end of the file. The white space behind it stays, so that
    // a value can start right behind an "=".
    std::string Word()
    {
        SkipSpace();
        std::string word;
        while (!m_in.IsEOF() && !IsFileSpace(m_in.Peek()) && Room(word))
            word += m_in.Get();
        return word;
    }

    // The rest of the line without its leading blanks and tabs; the line end (LF, CR LF or
    // CR) and the white space behind it are taken too.
    std::string RestOfLine()
    {
        while (!m_in.IsEOF() && (m_in.Peek() == ' ' || m_in.Peek() == '\t'))
            m_in.Get();
        std::string value;
        while (!m_in.IsEOF() && m_in.Peek() != '\r' && m_in.Peek() != '\n' && Room(value))
            value += m_in.Get();
        SkipSpace();
        return value;
    }

private:
    bool Room(const std::string& text)
    {
        if (text.size() < ParamContainerSet::kMaxWordBytes)
            return true;
        m_tooLong = true;
        return false;
    }

    CCharStream& m_in;
    bool m_tooLong = false;
};

bool IsBinary(const std::string& text)
{
    return text.find('\0') != std::string::npos;
}

enum class Parse { Ok, Refused, TooLong };

// Parses the whole file into records; Refused on a block without its "=" or end marker, and
// for a binary file (one with a zero byte), which is no set file even without blocks.
Parse ParseSetFile(CCharStream& in, std::deque<ParamContainer>& records)
{
    SetFileReader reader(in);
    auto refused = [&] { return reader.TooLong() ? Parse::TooLong : Parse::Refused; };
    while (!reader.AtEnd()) {
        const std::string word = reader.Word();
        if (reader.TooLong() || IsBinary(word))
            return refused();
        if (word != kBeginEntry)
            continue; // text between blocks is ignored
        ParamContainer record;
        for (std::string key = reader.Word(); key != kEndEntry; key = reader.Word()) {
            if (reader.TooLong() || IsBinary(key) || reader.Word() != "=")
                return refused(); // also the end of the file inside a block
            const std::string value = reader.RestOfLine();
            if (reader.TooLong() || IsBinary(value))
                return refused();
            record.AddKeyValue(key, value); // a repeated key keeps its first value
        }
        records.push_back(std::move(record));
    }
    return reader.TooLong() ? Parse::TooLong : Parse::Ok;
}

bool KeyReadsBack(const std::string& key)
{
    if (key.empty() || key == kEndEntry)
        return false;
    for (char c : key)
        if (IsFileSpace(c))
            return false;
    return true;
}

bool ValueReadsBack(const std::string& value)
{
    return value.find_first_of("\r\n") == std::string::npos;
}

bool IsConditionSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n'; // a CR is part of a word here
}

// lhs op rhs for the six comparison operators; any other operator is no test and passes.
template <class T>
bool Compare(const std::string& op, const T& lhs, const T& rhs)
{
    if (op == "==")
        return lhs == rhs;
    if (op == "!=")
        return lhs != rhs;
    if (op == ">")
        return lhs > rhs;
    if (op == "<")
        return lhs < rhs;
    if (op == ">=")
        return lhs >= rhs;
    if (op == "<=")
        return lhs <= rhs;
    return true;
}

} // namespace

ParamContainer& ParamContainerSet::EntryAt(int i)
{
    if (i < 0 || i >= EntryCount()) {
        m_emptyEntry = ParamContainer(); // whatever a caller wrote into it last time
        return m_emptyEntry;
    }
    return m_entries[static_cast<std::size_t>(i)];
}

const ParamContainer& ParamContainerSet::EntryAt(int i) const
{
    if (i < 0 || i >= EntryCount())
        return m_emptyEntry;
    return m_entries[static_cast<std::size_t>(i)];
}

void ParamContainerSet::AddKey(const std::string& key)
{
    if (m_keySet.insert(key).second)
        m_keys.push_back(key);
}

void ParamContainerSet::AddEntry(const ParamContainer& record)
{
    m_entries.push_back(record);
    ParamContainer& entry = m_entries.back();
    entry.SetEventHandler(m_eventHandler);
    NotifyObservers(kEventEntryAdded, this, &entry);
    for (int i = 0; i < entry.Count(); ++i)
        AddKey(entry.KeyAt(i));
}

void ParamContainerSet::DeleteAllEntries()
{
    NotifyObservers(kEventSetCleared, this, nullptr);
    m_entries.clear();
}

void ParamContainerSet::SetCondition(const std::string& text)
{
    m_condition.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start); // a ';' inside quotes splits too
        if (end == std::string::npos)
            end = text.size();
        const std::string segment = text.substr(start, end - start);
        start = end + 1;

        std::size_t p = 0;
        const std::size_t n = segment.size();
        auto skipSpace = [&] {
            while (p < n && IsConditionSpace(segment[p]))
                ++p;
        };
        auto field = [&] {
            const std::size_t from = p;
            while (p < n && !IsConditionSpace(segment[p]))
                ++p;
            return segment.substr(from, p - from);
        };
        skipSpace();
        if (p == n)
            continue;
        Condition c;
        c.key = field();
        skipSpace();
        c.op = field();
        skipSpace();
        if (p < n && segment[p] == '"') {
            const std::size_t close = segment.find('"', p + 1);
            c.value = segment.substr(p + 1, close == std::string::npos ? std::string::npos : close - p - 1);
            c.quoted = true;
        } else {
            c.value = field(); // anything behind the value is ignored
        }
        m_condition.push_back(std::move(c));
    }
}

bool ParamContainerSet::MatchesCondition(const ParamContainer& record) const
{
    for (const Condition& c : m_condition) {
        // A copy: further lookups may move the record's pairs.
        const std::string E = record.FindValue(c.key).second;
        bool pass;
        if (c.quoted && c.op == "==")
            pass = E.find(c.value) != std::string::npos; // containment, not equality
        else if (c.quoted)
            pass = Compare(c.op, E, c.value); // bytes as unsigned, like memcmp
        else
            pass = Compare(c.op, number_text::ToDouble(E.c_str()), number_text::ToDouble(c.value.c_str()));
        if (!pass)
            return false;
    }
    return true;
}

bool ParamContainerSet::SaveToFile(const std::string& path) const
{
    EngineLog("Speichere Daten...");
    EngineLog("Schreibe Datei...");
    std::string text;
    for (const ParamContainer& entry : m_entries) {
        text += kBeginEntry;
        text += "\r\n";
        for (int i = 0; i < entry.Count(); ++i) {
            const std::string& key = entry.KeyAt(i);
            if (!KeyReadsBack(key) || !ValueReadsBack(entry.ValueAt(i))) {
                EngineLog("Fehler: Ungültiger Eintrag '%s' - Datei nicht gespeichert.", key.c_str());
                return false;
            }
            text += key;
            text += " = ";
            text += entry.ValueAt(i);
            text += "\r\n";
        }
        text += kEndEntry;
        text += "\r\n\r\n";
    }
    if (!platform::ReplaceFileContents(path, text)) {
        EngineLog("Datei konnte nicht zum Schreiben geöffnet werden: '%s'", path.c_str());
        return false;
    }
    return true;
}

bool ParamContainerSet::LoadFromFile(const std::string& path)
{
    EngineLog("Lade Daten...");
    EngineLog("Lese Datei ein...");
    CCharStream in(1024);
    if (!in.Open(path.c_str())) {
        EngineLog("Datei konnte nicht geöffnet werden: '%s'", path.c_str());
        return false;
    }
    // The old entries go only once the whole file has been read.
    std::deque<ParamContainer> records;
    Parse parsed;
    try {
        parsed = ParseSetFile(in, records);
    } catch (const std::bad_alloc&) {
        records.clear();
        EngineLog("Fehler: Nicht genug Speicher, um die Datei '%s' zu laden.", path.c_str());
        return false;
    }
    if (parsed == Parse::TooLong)
        EngineLog("Fehler: Die Datei '%s' ist keine Parameterdatei (ein Wort ist länger als %zu MB).", path.c_str(),
                  kMaxWordBytes >> 20);
    if (parsed != Parse::Ok)
        return false;

    EngineLog("Lösche alte Einträge...");
    DeleteAllEntries();
    for (const ParamContainer& record : records)
        AddEntry(record);
    NotifyObservers(kEventSetLoaded, this, nullptr);
    return true;
}

bool ParamContainerSet::LoadFromDataTable(const std::string&, const std::string&)
{
    EngineLog("Fehler: ODBC-Datentabellen werden nicht unterstützt.");
    return false;
}

bool ParamContainerSet::SaveToDataTable(const std::string&, const std::string&) const
{
    EngineLog("Fehler: ODBC-Datentabellen werden nicht unterstützt.");
    return false;
}
