#pragma once
// Xandril: XML files as nested named groups holding keyed values, each with a comment.
// A writer builds a document in memory and writes it to a file; a reader parses a
// file and walks its groups. Group and key names are free text (blanks, ":", umlauts).
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace ns_xandril {

// Groups nest at most this many levels below the root in a document the reader accepts; a
// deeper document is refused while it is parsed, as a file that cannot be read. Every reader
// of nested groups above (parameter containers, project trees) relies on this one bound.
inline constexpr int kMaxNesting = 256;

// Past this many open groups the writer indents no further, so that deep documents do not
// grow with the square of their depth.
inline constexpr int kMaxIndentLevel = 32;

// A text as UTF-8: valid UTF-8 stays as it is, every other byte is taken as Windows-1252
// (text files of the Windows version). The rule the reader and writer apply to names and
// values, for other readers of such files.
std::string TextToUtf8(std::string_view text);

// The other way, for files that must be Windows-1252: the byte of the character at text[i],
// read as TextToUtf8 reads it (a byte that is not part of valid UTF-8 is already a
// Windows-1252 byte), with the bytes it takes in length; -1 when Windows-1252 has no byte
// for the character. Utf8ToCp1252(TextToUtf8(b)) == b for every byte string b.
int Cp1252At(std::string_view text, std::size_t i, std::size_t& length);
// The whole text in Windows-1252; a character without a byte becomes replacement.
std::string Utf8ToCp1252(std::string_view text, char replacement = '?');

// Raised by XMLReadModul::readFromFile for a file that cannot be read as XML.
class XMLException : public std::runtime_error {
public:
    explicit XMLException(const std::string& what);
    ~XMLException() override;
};

class XMLBaseModul {
public:
    XMLBaseModul();
    virtual ~XMLBaseModul();
    XMLBaseModul(const XMLBaseModul&) = delete;
    XMLBaseModul& operator=(const XMLBaseModul&) = delete;
};

class XMLWriteModul : public XMLBaseModul {
public:
    XMLWriteModul();
    // A writer built beside another reader or writer; it starts with an empty document.
    XMLWriteModul(XMLBaseModul& other, bool flag);
    ~XMLWriteModul() override;

    // Opens a new child group of the current group and makes it current.
    bool enterGroup(const std::string& name);
    // Back to the parent group; false at the top.
    bool leaveGroup();

    void writeString(const std::string& key, const std::string& comment, const std::string& value);
    void writeInt(const std::string& key, const std::string& comment, int value);
    void writeInt(const std::string& key, const std::string& comment, int value, int min, int max);
    void writeDouble(const std::string& key, const std::string& comment, double value);
    void write1DDoubleArray(const std::string& key, const std::string& comment, const double* values, int count);

    // From now on the document goes, while it is built, in blocks into a temporary file beside
    // path, so that it never stands whole in memory; writeToFile(path) completes that file.
    // The writer is then written once, to path only. False (the document stays in memory)
    // when the temporary file cannot be created.
    bool streamToFile(const std::string& path);

    // Writes the whole document (to a temporary file, renamed over the target).
    // False when it could not be written; an existing file then stays whole.
    bool writeToFile(const std::string& path);

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

class XMLReadModul : public XMLBaseModul {
public:
    XMLReadModul();
    ~XMLReadModul() override;

    // Parses the file; throws XMLException naming the file and the reason.
    void readFromFile(const std::string& path);
    // Parses a document held in memory; name stands for it in messages. Throws
    // XMLException as readFromFile does.
    void readFromMemory(std::string_view data, const std::string& name);

    // Enters the first child group of that name; false (and stays) when none.
    bool enterGroup(const std::string& name);
    // Walks the child groups of one name in document order. Each group level keeps
    // its own position, so walks nest. A failed enterNextGroup stays where it is.
    bool enterFirstGroup(const std::string& name);
    bool enterNextGroup();
    // Enters the first child group of that name that no earlier call of this function
    // entered from the same parent group: the k-th call for one name under one parent
    // enters the k-th group of that name. False (and stays) when there is none left.
    bool enterUnclaimedGroup(const std::string& name);
    // The names of the child groups of the current group that enterUnclaimedGroup has not
    // entered, in document order: what no reader of claimed groups took.
    std::vector<std::string> unclaimedGroups();
    bool leaveGroup();

    // Each returns true when the key stands in the current group with a value of
    // the right kind; otherwise false and the outputs are unchanged. A key written
    // without min and max leaves those outputs unchanged.
    bool readString(const std::string& key, std::string& value);
    bool readString(const std::string& key, std::string& comment, std::string& value);
    bool readInt(const std::string& key, std::string& comment, int& value);
    bool readInt(const std::string& key, std::string& comment, int& value, int& min, int& max);
    bool readDouble(const std::string& key, std::string& comment, double& value);
    // Allocates the array with new[]; the caller frees it with delete[].
    // On failure values is null and count 0.
    bool read1DDoubleArray(const std::string& key, std::string& comment, double*& values, int& count);
    bool read1DDoubleArray(const std::string& key, std::string& comment, std::vector<double>& values);
    // The fields of an array key one by one, for data that must not be lost whole for one
    // bad field: a field that is no number (another program's text for an undefined value,
    // such as 1.#QNAN, or a number beyond the doubles) reads as NaN, and every field of the
    // text is taken whatever count the key declares. False, and values empty, only when the
    // current group has no array of that key.
    bool read1DDoubleArrayFields(const std::string& key, std::vector<double>& values);

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

// A list of texts with one chosen index, kept by enumeration parameters and shown in combo boxes.
class XMLEnumClass {
public:
    XMLEnumClass();
    virtual ~XMLEnumClass();
    XMLEnumClass(const XMLEnumClass&);
    XMLEnumClass& operator=(const XMLEnumClass&);

    // Appends an entry; its index is the order of adding.
    void addEntry(const std::string& text);
    // False and no change for an index outside 0..count-1.
    bool setIndex(int index);
    int getIndex() const;
    int getEntryCount() const;
    // The text of entry i; empty outside the entries.
    std::string getEntry(int i) const;
    void clearEntries();

private:
    std::vector<std::string> m_entries;
    int m_index = 0;
};

} // namespace ns_xandril
