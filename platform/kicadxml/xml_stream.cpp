#include "platform/kicadxml/xml_stream.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <system_error>
#include <vector>

#include "platform/support/file_handle.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

constexpr size_t kChunkBytes = size_t{1} << 20;

struct ParserFree {
  void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

std::string errnoText(int code) { return std::generic_category().message(code); }

std::string_view xmlText(const xmlChar* text) {
  return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

// The handler's known names as the parser's dictionary holds them. The
// parser hands every element and attribute name over as its dictionary
// entry, one pointer for each distinct name, so a name is found by its
// pointer in a small table (open addressing) without reading its bytes.
class KnownNames {
 public:
  void load(xmlParserCtxt* parser, std::span<const std::string_view> names) {
    names_ = names;
    for (size_t i = 0; i < names.size() && i < kSlots / 2; ++i) {
      const xmlChar* entry = xmlDictLookup(parser->dict, reinterpret_cast<const xmlChar*>(names[i].data()),
                                           static_cast<int>(names[i].size()));
      if (entry == nullptr) continue;
      size_t slot = place(entry);
      while (slots_[slot].name != nullptr && slots_[slot].name != entry) slot = (slot + 1) & (kSlots - 1);
      if (slots_[slot].name == nullptr) slots_[slot] = {entry, static_cast<int>(i)};
    }
  }
  int find(const xmlChar* name) const {
    for (size_t slot = place(name);; slot = (slot + 1) & (kSlots - 1)) {
      if (slots_[slot].name == name) return slots_[slot].index;
      if (slots_[slot].name == nullptr) return -1;
    }
  }
  // The name's text: a known one's from the handler's table, which spares
  // measuring it, any other measured.
  std::string_view text(const xmlChar* name, int index) const {
    return index >= 0 ? names_[static_cast<size_t>(index)] : xmlText(name);
  }

 private:
  static constexpr size_t kSlots = 128;
  static size_t place(const xmlChar* name) {
    const auto bits = reinterpret_cast<uintptr_t>(name);
    return static_cast<size_t>((bits >> 3) ^ (bits >> 10)) & (kSlots - 1);
  }
  struct Slot {
    const xmlChar* name = nullptr;
    int index = -1;
  };
  Slot slots_[kSlots];
  std::span<const std::string_view> names_;
};

// What the callbacks share: the handler, the parser, and the first
// failure, whoever found it.
struct Session {
  explicit Session(XmlHandler& h) : handler(h) {}
  XmlHandler& handler;
  xmlParserCtxt* parser = nullptr;
  size_t depth = 0;
  std::vector<XmlAttribute> attributes;
  KnownNames known;
  std::string failure;  // with its place
  bool stopped = false;
  // What the library said outside the parser's own errors (a conversion
  // from the file's encoding that failed), first line only.
  std::string libraryError;

  std::string place() const {
    const long line = parser ? xmlSAX2GetLineNumber(parser) : 0;
    const long column = parser ? xmlSAX2GetColumnNumber(parser) : 0;
    return strprintf("line %ld, column %ld: ", line, column);
  }
  // Ends the reading with `why` unless an earlier failure was recorded.
  void stop(const std::string& why) {
    if (!stopped) failure = place() + why;
    stopped = true;
    xmlStopParser(parser);
  }
  bool check(bool ok) {
    if (!ok) stop(handler.failure.empty() ? "the reading was stopped" : handler.failure);
    return ok;
  }
};

Session& sessionOf(void* data) { return *static_cast<Session*>(data); }

void onStart(void* data, const xmlChar* localName, const xmlChar*, const xmlChar*, int, const xmlChar**,
             int attributeCount, int, const xmlChar** attributes) {
  Session& s = sessionOf(data);
  if (s.stopped) return;
  if (++s.depth > kMaxXmlDepth) {
    s.stop(strprintf("elements nest deeper than %zu levels", kMaxXmlDepth));
    return;
  }
  if (s.depth > s.handler.reportDepth) return;
  // Five pointers an attribute: name, prefix, namespace, value, value end.
  s.attributes.clear();
  for (int i = 0; i < attributeCount; ++i) {
    const xmlChar* const* a = attributes + 5 * i;
    const int known = s.known.find(a[0]);
    s.attributes.push_back(
        {s.known.text(a[0], known),
         std::string_view(reinterpret_cast<const char*>(a[3]), static_cast<size_t>(a[4] - a[3])), known});
  }
  const int known = s.known.find(localName);
  s.check(s.handler.startElement(s.known.text(localName, known), known, s.attributes));
}

void onEnd(void* data, const xmlChar* localName, const xmlChar*, const xmlChar*) {
  Session& s = sessionOf(data);
  if (s.stopped) return;
  if (s.depth-- > s.handler.reportDepth) return;
  s.check(s.handler.endElement(s.known.text(localName, s.known.find(localName))));
}

void onText(void* data, const xmlChar* text, int length) {
  Session& s = sessionOf(data);
  if (s.stopped || !s.handler.wantsText || s.depth > s.handler.reportDepth) return;
  s.check(s.handler.text(std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(length))));
}

// Called when "<!DOCTYPE name ..." has been read and before its internal
// subset is: stopping here means no entity is ever declared.
void onDoctype(void* data, const xmlChar*, const xmlChar*, const xmlChar*) {
  sessionOf(data).stop("a DOCTYPE is not allowed (a KiCad net list has none, and entities are never expanded)");
}

void onError(void* data, xmlError* error) {
  Session& s = sessionOf(data);
  if (s.stopped || error == nullptr || error->level < XML_ERR_ERROR) return;
  std::string message = error->message ? error->message : "unknown error";
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
  s.failure = strprintf("line %d, column %d: not valid XML: ", error->line, error->int2) + message;
  s.stopped = true;
}

// Errors raised where no parser is at hand (the conversion from a
// declared encoding) go to the library's global handlers, which print to
// standard error; while a file is read they are kept for its reason.
void onLibraryError(void* data, xmlError* error) {
  Session& s = sessionOf(data);
  if (error == nullptr || error->level < XML_ERR_ERROR || !s.libraryError.empty()) return;
  std::string message = error->message ? error->message : "unknown error";
  message = message.substr(0, message.find('\n'));
  s.libraryError = message.empty() ? "unknown error" : message;
}

void ignoreGenericError(void*, const char*, ...) {}

class LibraryErrorsCaught {
 public:
  explicit LibraryErrorsCaught(Session& session) {
    xmlSetStructuredErrorFunc(&session, onLibraryError);
    xmlSetGenericErrorFunc(nullptr, ignoreGenericError);
  }
  ~LibraryErrorsCaught() {
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    xmlSetGenericErrorFunc(nullptr, nullptr);
  }
  LibraryErrorsCaught(const LibraryErrorsCaught&) = delete;
  LibraryErrorsCaught& operator=(const LibraryErrorsCaught&) = delete;
};

xmlSAXHandler saxHandler() {
  xmlSAXHandler sax;
  std::memset(&sax, 0, sizeof sax);
  sax.initialized = XML_SAX2_MAGIC;
  sax.startElementNs = onStart;
  sax.endElementNs = onEnd;
  sax.characters = onText;
  sax.ignorableWhitespace = onText;
  sax.cdataBlock = onText;
  sax.internalSubset = onDoctype;
  sax.serror = onError;
  return sax;
}

// The parser checks each attribute of a start tag against every one
// before it, so one tag of a million attributes would take hours. No net
// list needs more than a handful; a start tag of more than
// kMaxXmlAttributes is refused before the parser sees it. The '=' signs
// of a start tag are counted outside its quoted values, which may hold
// '=' and '>' alike; text, end tags, comments, declarations and
// instructions count nothing. The state carries from one chunk to the next.
//
// Only five bytes can change the state ('<', '>', '=' and the quotes),
// and a net list has one of them every few bytes: the chunk is taken
// sixteen bytes at a time, the places of those bytes found at once, and
// the state moved at each of them alone.
class AttributeGuard {
 public:
  // False at the attribute too many, with its place in the file in `at`.
  bool scan(std::string_view chunk, size_t chunkOffset, size_t& at) {
    const char* const p = chunk.data();
    const size_t size = chunk.size();
    // A '<' at the end of the last chunk: this one's first byte tells.
    if (state_ == State::TagOpen && size > 0) openTag(p[0]);
    for (size_t block = 0; block < size; block += 16) {
      uint32_t marks = block + 16 <= size ? marksOf16(p + block) : marksOfTail(p + block, size - block);
      while (marks != 0) {
        const size_t i = block + static_cast<size_t>(__builtin_ctz(marks));
        marks &= marks - 1;
        const char c = p[i];
        switch (state_) {
          case State::Text:
            // The byte after it ('!', '?', '/' or another) is no mark.
            if (c != '<') break;
            if (i + 1 < size)
              openTag(p[i + 1]);
            else
              state_ = State::TagOpen;
            break;
          case State::Other:
            if (c == '>') state_ = State::Text;
            break;
          case State::Quoted:
            if (c == quote_) state_ = State::Tag;
            break;
          case State::Tag:
            if (c == '"' || c == '\'') {
              quote_ = c;
              state_ = State::Quoted;
            } else if (c == '>') {
              state_ = State::Text;
            } else if (c == '=' && ++equals_ > kMaxXmlAttributes) {
              at = chunkOffset + i;
              return false;
            }
            break;
          case State::TagOpen:
            break;  // handled before the loop and at each '<'
        }
      }
    }
    return true;
  }

 private:
  enum class State { Text, TagOpen, Tag, Quoted, Other };
  static bool isMark(char c) { return c == '<' || c == '>' || c == '=' || c == '"' || c == '\''; }
  // The byte after '<': "<!--", "<![CDATA[", "<!DOCTYPE", "<?xml" and
  // "</name" hold no attributes.
  void openTag(char next) {
    equals_ = 0;
    state_ = next == '!' || next == '?' || next == '/' ? State::Other : State::Tag;
  }
  // Bit n set when byte n of the (up to) sixteen is a mark.
  static uint32_t marksOfTail(const char* p, size_t n) {
    uint32_t marks = 0;
    for (size_t i = 0; i < n; ++i) marks |= isMark(p[i]) ? uint32_t{1} << i : 0;
    return marks;
  }
#if defined(__SSE2__)
  static uint32_t marksOf16(const char* p) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i hit = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('<'));
    hit = _mm_or_si128(hit, _mm_cmpeq_epi8(bytes, _mm_set1_epi8('>')));
    hit = _mm_or_si128(hit, _mm_cmpeq_epi8(bytes, _mm_set1_epi8('=')));
    hit = _mm_or_si128(hit, _mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')));
    hit = _mm_or_si128(hit, _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\'')));
    return static_cast<uint32_t>(_mm_movemask_epi8(hit));
  }
#else
  static uint32_t marksOf16(const char* p) { return marksOfTail(p, 16); }
#endif
  State state_ = State::Text;
  char quote_ = '"';
  size_t equals_ = 0;
};

// The parser's word for a file that is some other text is "Document is
// empty", which misleads; say what the file begins with instead. A UTF-16
// file starts with its byte-order mark and is left to the parser.
bool startsLikeXml(std::string_view head, std::string& why) {
  if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
  if (head.starts_with("\xFE\xFF") || head.starts_with("\xFF\xFE")) return true;
  long line = 1;
  long column = 1;
  for (const char c : head) {
    if (c == '<') return true;
    if (c == '\n') {
      ++line;
      column = 1;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      ++column;
    } else {
      why = strprintf("line %ld, column %ld: not XML: the text begins with '%c' where XML begins with '<'", line,
                      column, c);
      if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
        why = strprintf("line %ld, column %ld: not XML: the text begins with byte 0x%02X where XML begins with '<'",
                        line, column, static_cast<unsigned>(static_cast<unsigned char>(c)));
      return false;
    }
  }
  return true;
}

bool readXml(const std::string& path, size_t maxBytes, XmlHandler& handler, std::string& why) {
  // A FIFO or a device is refused without blocking, and the file counts
  // among the run's inputs, which no output may overwrite.
  FileHandle file;
  uint64_t size = 0;
  if (!openInputFile(path, file, &why, &size)) return false;
  if (size == 0) {
    why = "the file is empty";
    return false;
  }
  if (size > maxBytes) {
    why = strprintf("the file is larger than %zu bytes", maxBytes);
    return false;
  }

  xmlSAXHandler sax = saxHandler();
  Session session(handler);
  const LibraryErrorsCaught caught(session);
  std::unique_ptr<xmlParserCtxt, ParserFree> parser(xmlCreatePushParserCtxt(&sax, &session, nullptr, 0, path.c_str()));
  if (!parser) {
    why = "the XML parser cannot be started";
    return false;
  }
  session.parser = parser.get();
  session.known.load(parser.get(), handler.knownNames());
  // No network, and neither entity substitution nor DTD loading, which
  // are off unless asked for; the DOCTYPE refusal above makes sure.
  xmlCtxtUseOptions(parser.get(), XML_PARSE_NONET);

  std::unique_ptr<char[]> chunk(new char[kChunkBytes]);
  size_t total = 0;
  AttributeGuard guard;
  int status = 0;
  for (;;) {
    const ssize_t got = ::read(file.get(), chunk.get(), kChunkBytes);
    if (got < 0) {
      if (errno == EINTR) continue;
      why = "cannot read the file: " + errnoText(errno);
      return false;
    }
    total += static_cast<size_t>(got);
    // The file may grow while it is read.
    if (total > maxBytes) {
      why = strprintf("the file is larger than %zu bytes", maxBytes);
      return false;
    }
    if (total == static_cast<size_t>(got) && !startsLikeXml({chunk.get(), total}, why)) return false;
    size_t at = 0;
    if (!guard.scan({chunk.get(), static_cast<size_t>(got)}, total - static_cast<size_t>(got), at)) {
      why = strprintf("offset %zu: a start tag of more than %zu attributes is refused", at, kMaxXmlAttributes);
      return false;
    }
    const int end = got == 0 ? 1 : 0;
    status = xmlParseChunk(parser.get(), chunk.get(), static_cast<int>(got), end);
    if (session.stopped || status != 0) break;
    if (end) break;
  }
  if (!session.stopped && !parser->wellFormed) {
    const xmlError* error = xmlCtxtGetLastError(parser.get());
    session.failure = error ? strprintf("line %d, column %d: not valid XML: %s", error->line, error->int2,
                                        error->message ? error->message : "unknown error")
                            : "not valid XML";
    while (!session.failure.empty() && session.failure.back() == '\n') session.failure.pop_back();
    session.stopped = true;
  }
  // A conversion that failed halts the parser without an error of its own
  // and leaves the document well-formed as far as it got: the rest of the
  // file would be lost without a word.
  if (!session.stopped && (status != 0 || !session.libraryError.empty())) {
    session.failure = session.place() + "not valid XML: the bytes do not fit the file's encoding (" +
                      (session.libraryError.empty() ? std::string("the parser stopped") : session.libraryError) + ")";
    session.stopped = true;
  }
  if (session.stopped) {
    why = session.failure;
    return false;
  }
  return true;
}

}  // namespace

bool readXmlFile(const std::string& path, size_t maxBytes, XmlHandler& handler, std::string* reason) {
  std::string why;
  if (readXml(path, maxBytes, handler, why)) return true;
  if (reason != nullptr) *reason = why;
  return false;
}

}  // namespace comptab
