// The reader parses a whole file with libxml2 and walks the element tree that the
// writer's layout describes (see xml_writer.cpp). libxml2 reads the file itself, block by
// block, so the text never stands whole in memory and a file that is no XML is refused at
// its first bytes. Documents with a document type declaration are refused: no entity is
// ever expanded or fetched. Elements nested deeper than the groups may nest are refused
// while parsing, before any reader above could recurse into them.
#include "xandril.h"
#include "xml_text.h"

#include "platform/regular_file.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace ns_xandril {

namespace {

// The root element, kMaxNesting groups and the key elements inside the deepest of them.
constexpr int kMaxElementDepth = kMaxNesting + 2;

// What the current parse met that stopped it (parses run one per thread).
struct ParseState {
    bool dtdSeen = false;
    bool tooDeep = false;
    int depth = 0;      // open elements
    int groupDepth = 0; // open groups
};
thread_local ParseState t_parse;

bool isGroupName(const xmlChar* name)
{
    return std::strcmp(reinterpret_cast<const char*>(name), "group") == 0;
}

void refuseDtd(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*)
{
    t_parse.dtdSeen = true;
    xmlStopParser(static_cast<xmlParserCtxtPtr>(ctx));
}

void startElement(void* ctx, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri, int nbNamespaces,
                  const xmlChar** namespaces, int nbAttributes, int nbDefaulted, const xmlChar** attributes)
{
    const bool group = isGroupName(localName);
    if (++t_parse.depth > kMaxElementDepth || (group && ++t_parse.groupDepth > kMaxNesting)) {
        t_parse.tooDeep = true;
        xmlStopParser(static_cast<xmlParserCtxtPtr>(ctx));
        return;
    }
    xmlSAX2StartElementNs(ctx, localName, prefix, uri, nbNamespaces, namespaces, nbAttributes, nbDefaulted,
                          attributes);
}

void endElement(void* ctx, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri)
{
    --t_parse.depth;
    if (isGroupName(localName))
        --t_parse.groupDepth;
    xmlSAX2EndElementNs(ctx, localName, prefix, uri);
}

// libxml2 prints some errors (failed encoding conversions) through its generic handler,
// whatever the parse options say; the reader reports errors itself.
void silentError(void*, const char*, ...) {}

void initLibxml()
{
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

struct DocDeleter {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocDeleter>;

struct CtxtDeleter {
    void operator()(xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }
};

struct FdCloser {
    int fd;
    ~FdCloser()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

[[noreturn]] void fail(const std::string& path, const std::string& reason)
{
    throw XMLException("cannot read XML file '" + path + "': " + reason);
}

std::string describe(const xmlError* err)
{
    if (err == nullptr || err->message == nullptr)
        return "not well-formed XML";
    std::string msg = err->message;
    while (!msg.empty() && (msg.back() == '\n' || msg.back() == ' '))
        msg.pop_back();
    if (err->line > 0)
        msg = "line " + std::to_string(err->line) + ": " + msg;
    return msg;
}

bool isElement(const xmlNode* node, const char* tag)
{
    return node->type == XML_ELEMENT_NODE && std::strcmp(reinterpret_cast<const char*>(node->name), tag) == 0;
}

// The text of the children of node (text and CDATA); a view without copying when
// there is a single text child.
std::string_view childText(const xmlNode* first, std::string& scratch)
{
    if (first == nullptr)
        return {};
    if (first->next == nullptr && (first->type == XML_TEXT_NODE || first->type == XML_CDATA_SECTION_NODE))
        return first->content ? std::string_view(reinterpret_cast<const char*>(first->content)) : std::string_view();
    scratch.clear();
    for (const xmlNode* c = first; c != nullptr; c = c->next)
        if ((c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) && c->content)
            scratch += reinterpret_cast<const char*>(c->content);
    return scratch;
}

const xmlAttr* findAttribute(const xmlNode* node, const char* name)
{
    for (const xmlAttr* a = node->properties; a != nullptr; a = a->next)
        if (a->ns == nullptr && std::strcmp(reinterpret_cast<const char*>(a->name), name) == 0)
            return a;
    return nullptr;
}

std::optional<std::string_view> attribute(const xmlNode* node, const char* name, std::string& scratch)
{
    const xmlAttr* a = findAttribute(node, name);
    if (a == nullptr)
        return std::nullopt;
    return childText(a->children, scratch);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A whole number text (blanks around it allowed); nullopt for anything else.
template <typename T>
std::optional<T> parseNumber(std::string_view text)
{
    text = trimmed(text);
    T value{};
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || res.ec != std::errc() || res.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

// Calls on(value, whole) for every blank-separated field of an array text, in order, until on
// returns false; whole tells whether the field is a number as a whole (value NaN otherwise).
// True when every field was taken.
template <typename OnNumber>
bool forEachNumber(std::string_view text, OnNumber&& on)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    for (;;) {
        while (p != end && isBlank(*p))
            ++p;
        if (p == end)
            return true;
        double v = 0;
        const auto res = std::from_chars(p, end, v);
        const bool whole = res.ec == std::errc() && (res.ptr == end || isBlank(*res.ptr));
        if (whole) {
            p = res.ptr;
        } else {
            v = std::numeric_limits<double>::quiet_NaN();
            while (p != end && !isBlank(*p))
                ++p;
        }
        if (!on(v, whole))
            return false;
    }
}

// The numbers of an array text separated by blanks; false for any other text.
bool parseArray(std::string_view text, std::vector<double>& out)
{
    return forEachNumber(text, [&out](double v, bool whole) {
        if (whole)
            out.push_back(v);
        return whole;
    });
}

// Exactly count numbers separated by blanks into out; false for any other text.
bool parseArray(std::string_view text, double* out, std::size_t count)
{
    std::size_t n = 0;
    return forEachNumber(text, [&](double v, bool whole) {
        if (!whole || n == count)
            return false;
        out[n++] = v;
        return true;
    }) && n == count;
}

// Every blank-separated field of an array text; a field that is no number whole gives NaN.
void parseFields(std::string_view text, std::vector<double>& out)
{
    forEachNumber(text, [&out](double v, bool) {
        out.push_back(v);
        return true;
    });
}

} // namespace

struct XMLReadModul::Impl {
    struct Frame {
        xmlNode* node;
        std::string walkName;       // name of the walk started here by enterFirstGroup
        xmlNode* walkPos = nullptr; // group of that walk entered last
    };

    DocPtr doc;
    std::vector<Frame> frames;
    // Per parent group and name: the group enterUnclaimedGroup entered last.
    std::unordered_map<const xmlNode*, std::unordered_map<std::string, xmlNode*>> claims;
    std::string scratch;
    std::string nameScratch;

    bool isGroup(const xmlNode* node, std::string_view name)
    {
        if (!isElement(node, "group"))
            return false;
        const auto n = attribute(node, "name", scratch);
        return n && *n == name;
    }

    // The first group of that name among the siblings from node on.
    xmlNode* groupFrom(xmlNode* node, const std::string& name)
    {
        const std::string_view want = detail::toDocumentForm(name, nameScratch);
        for (; node != nullptr; node = node->next)
            if (isGroup(node, want))
                return node;
        return nullptr;
    }

    // The first key element of the current group with that key.
    xmlNode* findKey(const std::string& key)
    {
        if (frames.empty())
            return nullptr;
        const std::string_view want = detail::toDocumentForm(key, nameScratch);
        for (xmlNode* c = frames.back().node->children; c != nullptr; c = c->next) {
            if (c->type != XML_ELEMENT_NODE || isElement(c, "group"))
                continue;
            const auto k = attribute(c, "key", scratch);
            if (k && *k == want)
                return c;
        }
        return nullptr;
    }

    xmlNode* findKey(const std::string& key, const char* tag)
    {
        xmlNode* node = findKey(key);
        return node != nullptr && isElement(node, tag) ? node : nullptr;
    }

    std::string comment(const xmlNode* node)
    {
        const auto c = attribute(node, "comment", scratch);
        return c ? detail::fromDocumentForm(*c) : std::string();
    }

    void enter(xmlNode* group) { frames.push_back(Frame{group, {}, nullptr}); }

    // Takes a parsed document; the walk starts at its root element.
    void install(DocPtr parsed)
    {
        xmlNode* root = xmlDocGetRootElement(parsed.get());
        doc = std::move(parsed);
        frames.clear();
        claims.clear();
        enter(root);
    }

    template <typename T>
    bool readNumber(const char* tag, const std::string& key, std::string& comment, T& value)
    {
        const xmlNode* node = findKey(key, tag);
        if (node == nullptr)
            return false;
        const auto v = parseNumber<T>(childText(node->children, scratch));
        if (!v)
            return false;
        comment = this->comment(node);
        value = *v;
        return true;
    }

    // The text of the array key and the count it declares (nullopt when it declares none);
    // false for a missing key or a count that cannot be right. A count is checked against
    // the text before anything is allocated for it: every number takes a character and a
    // blank, so a declared count beyond that is refused however large it is.
    bool arrayText(const std::string& key, const xmlNode*& node, std::string_view& text,
                   std::optional<std::size_t>& count)
    {
        node = findKey(key, "doubles");
        if (node == nullptr)
            return false;
        std::optional<long long> declared;
        if (const auto c = attribute(node, "count", scratch)) {
            declared = parseNumber<long long>(*c);
            if (!declared || *declared < 0 || *declared > INT_MAX)
                return false;
        }
        text = childText(node->children, scratch);
        if (declared) {
            if (static_cast<unsigned long long>(*declared) > text.size() / 2 + 1)
                return false;
            count = static_cast<std::size_t>(*declared);
        }
        return true;
    }

    bool readArray(const std::string& key, std::string& comment, std::vector<double>& values)
    {
        const xmlNode* node = nullptr;
        std::string_view text;
        std::optional<std::size_t> count;
        if (!arrayText(key, node, text, count))
            return false;
        std::vector<double> parsed;
        if (count)
            parsed.reserve(*count);
        if (!parseArray(text, parsed) || parsed.size() > INT_MAX)
            return false;
        if (count && parsed.size() != *count)
            return false;
        comment = this->comment(node);
        values = std::move(parsed);
        return true;
    }

    // As readArray, into an array of new[] that the caller frees.
    bool readArray(const std::string& key, std::string& comment, double*& values, int& size)
    {
        const xmlNode* node = nullptr;
        std::string_view text;
        std::optional<std::size_t> count;
        if (!arrayText(key, node, text, count))
            return false;
        if (!count) {
            std::vector<double> parsed;
            if (!readArray(key, comment, parsed))
                return false;
            values = new double[parsed.size()];
            std::copy(parsed.begin(), parsed.end(), values);
            size = static_cast<int>(parsed.size());
            return true;
        }
        std::unique_ptr<double[]> parsed(new double[*count]);
        if (!parseArray(text, parsed.get(), *count))
            return false;
        comment = this->comment(node);
        values = parsed.release();
        size = static_cast<int>(*count);
        return true;
    }
};

XMLReadModul::XMLReadModul()
    : m_impl(std::make_unique<Impl>())
{
}

XMLReadModul::~XMLReadModul() = default;

namespace {

// Large arrays exceed libxml2's default limit for one text (10 MB): XML_PARSE_HUGE lifts it.
// Entities stay unexpanded (no XML_PARSE_NOENT), nothing is loaded from outside, and a
// document type declaration stops the parse before any entity.
constexpr int kParseOptions =
    XML_PARSE_HUGE | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT;

// Parses with read(ctxt, encoding), which runs one libxml2 parse from the start of the input;
// the document, or XMLException naming name and the reason. empty tells whether the input
// had no bytes at all.
template <typename ReadFn>
DocPtr parseDocument(const std::string& name, bool empty, ReadFn read)
{
    initLibxml();
    xmlSetGenericErrorFunc(nullptr, silentError); // per thread in libxml2

    std::unique_ptr<xmlParserCtxt, CtxtDeleter> ctxt(xmlNewParserCtxt());
    if (!ctxt)
        fail(name, "out of memory");
    ctxt->sax->internalSubset = refuseDtd;
    ctxt->sax->startElementNs = startElement;
    ctxt->sax->endElementNs = endElement;

    const auto parse = [&](const char* encoding) {
        t_parse = ParseState{};
        DocPtr parsed(read(ctxt.get(), encoding));
        if (t_parse.dtdSeen)
            fail(name, "document type declarations are not accepted");
        if (t_parse.tooDeep)
            fail(name, "groups nest deeper than " + std::to_string(kMaxNesting) + " levels");
        return parsed;
    };
    DocPtr doc = parse(nullptr);
    // A file of the Windows version may hold Windows-1252 bytes without saying so.
    const xmlError* first = xmlCtxtGetLastError(ctxt.get());
    if (!doc && first != nullptr && first->code == XML_ERR_INVALID_CHAR)
        doc = parse("WINDOWS-1252");
    if (!doc || !ctxt->wellFormed) {
        const xmlError* err = xmlCtxtGetLastError(ctxt.get());
        fail(name, empty && (err == nullptr || err->message == nullptr) ? "the file is empty" : describe(err));
    }
    if (xmlDocGetRootElement(doc.get()) == nullptr)
        fail(name, "the document has no element");
    return doc;
}

} // namespace

void XMLReadModul::readFromFile(const std::string& path)
{
    // A pipe is refused, not waited on.
    platform::FileRefusal refusal = platform::FileRefusal::None;
    const int fd = platform::OpenRegularFile(path.c_str(), &refusal);
    if (fd < 0 && refusal == platform::FileRefusal::NotRegular)
        fail(path, errno == EISDIR ? "it is a folder" : "it is not a regular file");
    if (fd < 0)
        fail(path, std::strerror(errno));
    FdCloser closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        fail(path, std::strerror(errno));
    if (st.st_size > INT_MAX)
        fail(path, "it is too large");

    // libxml2 reads the file itself (and leaves the descriptor open); each parse starts
    // at the beginning.
    DocPtr doc = parseDocument(path, st.st_size == 0, [&](xmlParserCtxt* ctxt, const char* encoding) -> xmlDoc* {
        if (::lseek(fd, 0, SEEK_SET) != 0)
            fail(path, std::strerror(errno));
        return xmlCtxtReadFd(ctxt, fd, path.c_str(), encoding, kParseOptions);
    });
    m_impl->install(std::move(doc));
}

void XMLReadModul::readFromMemory(std::string_view data, const std::string& name)
{
    if (data.size() > INT_MAX)
        fail(name, "it is too large");
    DocPtr doc = parseDocument(name, data.empty(), [&](xmlParserCtxt* ctxt, const char* encoding) {
        return xmlCtxtReadMemory(ctxt, data.data(), static_cast<int>(data.size()), name.c_str(), encoding,
                                 kParseOptions);
    });
    m_impl->install(std::move(doc));
}

bool XMLReadModul::enterGroup(const std::string& name)
{
    Impl& d = *m_impl;
    xmlNode* group = d.frames.empty() ? nullptr : d.groupFrom(d.frames.back().node->children, name);
    if (group == nullptr)
        return false;
    d.enter(group);
    return true;
}

bool XMLReadModul::enterFirstGroup(const std::string& name)
{
    Impl& d = *m_impl;
    xmlNode* group = d.frames.empty() ? nullptr : d.groupFrom(d.frames.back().node->children, name);
    if (group == nullptr)
        return false;
    Impl::Frame& here = d.frames.back();
    here.walkName = name;
    here.walkPos = group;
    d.enter(group);
    return true;
}

bool XMLReadModul::enterNextGroup()
{
    Impl& d = *m_impl;
    if (d.frames.empty() || d.frames.back().walkPos == nullptr)
        return false;
    xmlNode* group = d.groupFrom(d.frames.back().walkPos->next, d.frames.back().walkName);
    if (group == nullptr)
        return false;
    d.frames.back().walkPos = group;
    d.enter(group);
    return true;
}

bool XMLReadModul::enterUnclaimedGroup(const std::string& name)
{
    Impl& d = *m_impl;
    if (d.frames.empty())
        return false;
    xmlNode* parent = d.frames.back().node;
    xmlNode*& last = d.claims[parent][name];
    xmlNode* group = d.groupFrom(last ? last->next : parent->children, name);
    if (group == nullptr)
        return false;
    last = group;
    d.enter(group);
    return true;
}

std::vector<std::string> XMLReadModul::unclaimedGroups()
{
    Impl& d = *m_impl;
    std::vector<std::string> names;
    if (d.frames.empty())
        return names;
    xmlNode* parent = d.frames.back().node;
    // Per name as it stands in the document: the group claimed last. Groups of that name up to
    // it are claimed (claims go in document order), later ones are not.
    std::unordered_map<std::string, const xmlNode*> lastClaimed;
    if (const auto claims = d.claims.find(parent); claims != d.claims.end())
        for (const auto& [name, last] : claims->second)
            if (last != nullptr)
                lastClaimed.emplace(std::string(detail::toDocumentForm(name, d.nameScratch)), last);
    for (xmlNode* node = parent->children; node != nullptr; node = node->next) {
        if (!isElement(node, "group"))
            continue;
        const std::string name(attribute(node, "name", d.scratch).value_or(std::string_view()));
        const auto claimed = lastClaimed.find(name);
        if (claimed == lastClaimed.end()) {
            names.push_back(detail::fromDocumentForm(name));
        } else if (claimed->second == node) {
            lastClaimed.erase(claimed); // later groups of this name are unclaimed
        }
    }
    return names;
}

bool XMLReadModul::leaveGroup()
{
    Impl& d = *m_impl;
    if (d.frames.size() <= 1)
        return false;
    d.frames.pop_back();
    return true;
}

bool XMLReadModul::readString(const std::string& key, std::string& value)
{
    std::string comment;
    return readString(key, comment, value);
}

bool XMLReadModul::readString(const std::string& key, std::string& comment, std::string& value)
{
    Impl& d = *m_impl;
    const xmlNode* node = d.findKey(key, "string");
    if (node == nullptr)
        return false;
    std::string text = detail::fromDocumentForm(childText(node->children, d.scratch));
    comment = d.comment(node);
    value = std::move(text);
    return true;
}

bool XMLReadModul::readInt(const std::string& key, std::string& comment, int& value)
{
    return m_impl->readNumber("int", key, comment, value);
}

bool XMLReadModul::readInt(const std::string& key, std::string& comment, int& value, int& min, int& max)
{
    Impl& d = *m_impl;
    const xmlNode* node = d.findKey(key, "int");
    if (node == nullptr)
        return false;
    const auto v = parseNumber<int>(childText(node->children, d.scratch));
    std::optional<int> lo;
    std::optional<int> hi;
    if (const auto a = attribute(node, "min", d.scratch); a && !(lo = parseNumber<int>(*a)))
        return false;
    if (const auto a = attribute(node, "max", d.scratch); a && !(hi = parseNumber<int>(*a)))
        return false;
    if (!v)
        return false;
    comment = d.comment(node);
    value = *v;
    if (lo)
        min = *lo;
    if (hi)
        max = *hi;
    return true;
}

bool XMLReadModul::readDouble(const std::string& key, std::string& comment, double& value)
{
    return m_impl->readNumber("double", key, comment, value);
}

bool XMLReadModul::read1DDoubleArray(const std::string& key, std::string& comment, double*& values, int& count)
{
    values = nullptr;
    count = 0;
    return m_impl->readArray(key, comment, values, count);
}

bool XMLReadModul::read1DDoubleArray(const std::string& key, std::string& comment, std::vector<double>& values)
{
    return m_impl->readArray(key, comment, values);
}

bool XMLReadModul::read1DDoubleArrayFields(const std::string& key, std::vector<double>& values)
{
    values.clear();
    const xmlNode* node = m_impl->findKey(key, "doubles");
    if (node == nullptr)
        return false;
    parseFields(childText(node->children, m_impl->scratch), values);
    return true;
}

} // namespace ns_xandril
