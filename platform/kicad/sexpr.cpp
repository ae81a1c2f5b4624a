#include "platform/kicad/sexpr.h"

#include <algorithm>
#include <array>

#include "platform/support/text.h"

namespace comptab {

namespace {

// What a byte is to the tokenizer, looked up once per byte: white space,
// a byte that ends a word ('(', ')', '"'), a control character.
enum : uint8_t { kSpaceByte = 1, kEndsWord = 2, kControlByte = 4 };
constexpr std::array<uint8_t, 256> kByteKinds = [] {
  std::array<uint8_t, 256> kinds{};
  for (size_t c = 0; c < 0x20; ++c) kinds[c] = kControlByte;
  kinds[0x7F] = kControlByte;
  for (const char c : {' ', '\t', '\n', '\r'}) kinds[static_cast<unsigned char>(c)] = kSpaceByte;
  for (const char c : {'(', ')', '"'}) kinds[static_cast<unsigned char>(c)] = kEndsWord;
  return kinds;
}();
uint8_t kindOf(char c) { return kByteKinds[static_cast<unsigned char>(c)]; }

// The character an escape stands for; KiCad writes the C escapes.
bool simpleEscape(char c, char& out) {
  switch (c) {
    case '"':
    case '\\':
    case '\'':
      out = c;
      return true;
    case 'n':
      out = '\n';
      return true;
    case 't':
      out = '\t';
      return true;
    case 'r':
      out = '\r';
      return true;
    case 'a':
      out = '\a';
      return true;
    case 'b':
      out = '\b';
      return true;
    case 'f':
      out = '\f';
      return true;
    case 'v':
      out = '\v';
      return true;
    default:
      return false;
  }
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Where a read stops and why, for SexprDocument::fail.
struct Failure {
  size_t offset = 0;
  std::string what;
};

bool failAt(size_t offset, std::string what, Failure& failure) {
  failure = {offset, std::move(what)};
  return false;
}

// String unescaping: `raw` is a string's text between its quotes, which
// begin at `quote`. KiCad writes the C escapes; the text they make must be
// UTF-8 and hold no NUL.
bool unescape(std::string_view raw, size_t quote, std::string& out, Failure& failure) {
  out.clear();
  out.reserve(raw.size());
  for (size_t k = 0; k < raw.size(); ++k) {
    if (raw[k] != '\\') {
      out += raw[k];
      continue;
    }
    const size_t at = quote + 1 + k;
    const char e = raw[++k];
    char plain = 0;
    if (simpleEscape(e, plain)) {
      out += plain;
    } else if (e == 'x' && k + 1 < raw.size() && hexValue(raw[k + 1]) >= 0) {
      int value = hexValue(raw[++k]);
      if (k + 1 < raw.size() && hexValue(raw[k + 1]) >= 0) value = value * 16 + hexValue(raw[++k]);
      // Texts end up in C strings (SQL, messages): no NUL inside.
      if (value == 0) return failAt(at, "a NUL character in a string", failure);
      out += static_cast<char>(value);
    } else if (e >= '0' && e <= '7') {
      int value = e - '0';
      for (int digits = 1; digits < 3 && k + 1 < raw.size() && raw[k + 1] >= '0' && raw[k + 1] <= '7'; ++digits)
        value = value * 8 + (raw[++k] - '0');
      if (value > 0xFF) return failAt(at, "an octal escape beyond \\377", failure);
      if (value == 0) return failAt(at, "a NUL character in a string", failure);
      out += static_cast<char>(value);
    } else {
      return failAt(at, std::string("an unknown escape '\\") + e + "' in a string", failure);
    }
  }
  if (invalidUtf8At(out) != out.size())
    return failAt(quote, "the escapes of this string make text that is not UTF-8", failure);
  return true;
}

// The tokenizer's part for atoms: the atom that begins at `start` (a
// quoted string, a |data| block or a bare word), its text in `atom` and the
// offset after it in `end`. A string with escapes is unescaped into
// `unescaped`, and `escaped` is set. The scans note what the checks after
// them look for (a NUL, a byte beyond ASCII) so that plain ASCII, nearly
// all of a schematic, is read once.
bool readAtom(std::string_view text, size_t start, std::string_view& atom, size_t& end, bool& escaped,
              std::string& unescaped, Failure& failure) {
  const size_t n = text.size();
  const char* const s = text.data();
  const size_t i = start;
  escaped = false;
  if (s[i] == '"') {
    size_t j = i + 1;
    size_t nul = std::string_view::npos;
    unsigned high = 0;  // any byte with its top bit set
    while (j < n) {
      const char c = s[j];
      if (c == '"') break;
      if (c == '\\') {
        escaped = true;
        if (++j >= n) break;
      }
      const char d = s[j];
      high |= static_cast<unsigned char>(d);
      if (d == '\0' && nul == std::string_view::npos) nul = j;
      ++j;
    }
    if (j >= n) return failAt(i, "this string is not closed (is the file cut short?)", failure);
    const std::string_view raw = text.substr(i + 1, j - i - 1);
    if (raw.size() > SexprDocument::kMaxTokenBytes) return failAt(i, "a string longer than 16 MiB", failure);
    // Refused as the escaped forms are: a raw NUL would cut the text short
    // wherever it becomes a C string.
    if (nul != std::string_view::npos) return failAt(nul, "a NUL character in a string", failure);
    atom = raw;
    if (escaped && !unescape(raw, i, unescaped, failure)) return false;
    if ((high & 0x80) != 0) {
      if (const size_t bad = invalidUtf8At(raw); bad != raw.size())
        return failAt(i + 1 + bad, "a string that is not UTF-8 text", failure);
    }
    end = j + 1;
    return true;
  }
  if (s[i] == '|') {
    // Embedded data (fonts, files) is written between bars.
    const size_t close = text.find('|', i + 1);
    if (close == std::string_view::npos) return failAt(i, "this |data| block is not closed", failure);
    if (close - i - 1 > SexprDocument::kMaxTokenBytes) return failAt(i, "a data block longer than 16 MiB", failure);
    atom = text.substr(i + 1, close - i - 1);
    end = close + 1;
    return true;
  }
  size_t j = i;
  unsigned high = 0;
  while (j < n) {
    const uint8_t kind = kindOf(s[j]);
    if (kind != 0) {
      if (kind != kControlByte) break;
      return failAt(j, strprintf("a control character (0x%02X)", static_cast<unsigned char>(s[j])), failure);
    }
    high |= static_cast<unsigned char>(s[j]);
    ++j;
  }
  if (j - i > SexprDocument::kMaxTokenBytes) return failAt(i, "a word longer than 16 MiB", failure);
  atom = text.substr(i, j - i);
  if ((high & 0x80) != 0) {
    if (const size_t bad = invalidUtf8At(atom); bad != atom.size())
      return failAt(i + bad, "a word that is not UTF-8 text", failure);
  }
  end = j;
  return true;
}

}  // namespace

size_t invalidUtf8At(std::string_view text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char c = s[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t extra = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      if (c == 0xE0) low = 0xA0;   // no overlong forms
      if (c == 0xED) high = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;  // nothing past U+10FFFF
    } else {
      return i;
    }
    if (i + extra >= n) return i;  // cut short
    if (s[i + 1] < low || s[i + 1] > high) return i;
    for (size_t k = 2; k <= extra; ++k)
      if (s[i + k] < 0x80 || s[i + k] > 0xBF) return i;
    i += extra + 1;
  }
  return n;
}

bool SexprView::isList() const { return doc_ != nullptr && (doc_->nodes_[index_].size & SexprDocument::kList) != 0; }

std::string_view SexprView::text() const { return doc_ != nullptr ? doc_->textOf(doc_->nodes_[index_]) : std::string_view(); }

std::string_view SexprView::head() const {
  if (!isList()) return {};
  const uint32_t first = doc_->nodes_[index_].first;
  return first != 0 ? doc_->textOf(doc_->nodes_[first]) : std::string_view();
}

SexprView SexprView::at(size_t i) const {
  if (!isList()) return {};
  uint32_t at = doc_->nodes_[index_].first;
  for (; at != 0 && i > 0; --i) at = doc_->nodes_[at].next;
  return SexprView(doc_, at);
}

SexprView SexprView::find(std::string_view name) const {
  for (const SexprView element : *this)
    if (element.isList() && element.head() == name) return element;
  return {};
}

SexprView SexprView::next() const { return doc_ != nullptr ? SexprView(doc_, doc_->nodes_[index_].next) : SexprView(); }

uint32_t SexprView::offset() const { return doc_ != nullptr ? doc_->nodes_[index_].offset : 0; }

SexprView::Iterator& SexprView::Iterator::operator++() {
  index_ = doc_->nodes_[index_].next;
  return *this;
}

SexprView::Iterator SexprView::begin() const {
  return Iterator(doc_, isList() ? doc_->nodes_[index_].first : 0);
}

void SexprDocument::position(uint32_t offset, size_t& line, size_t& column) const {
  line = 1;
  column = 1;
  const size_t end = offset < text_.size() ? offset : text_.size();
  for (size_t i = 0; i < end; ++i) {
    const unsigned char c = static_cast<unsigned char>(text_[i]);
    if (c == '\n') {
      ++line;
      column = 1;
    } else if ((c & 0xC0) != 0x80) {
      ++column;  // a continuation byte is part of the character before it
    }
  }
}

std::string SexprDocument::where(uint32_t offset) const {
  size_t line = 0;
  size_t column = 0;
  position(offset, line, column);
  return strprintf("line %zu, column %zu", line, column);
}

std::string SexprDocument::place(uint32_t offset) const {
  size_t line = 0;
  size_t column = 0;
  position(offset, line, column);
  return strprintf("%zu:%zu", line, column);
}

std::string SexprDocument::tooManyNodes() {
  return strprintf("more than %zu lists, words and strings in one file", kMaxNodes);
}

bool SexprDocument::fail(size_t offset, const std::string& what, std::string* reason) const {
  if (reason) *reason = place(static_cast<uint32_t>(offset)) + ": " + what;
  return false;
}

bool SexprDocument::parse(std::string_view text, std::string* reason) {
  bool textFailed = false;
  return run(text, nullptr, textFailed, reason);
}

bool SexprDocument::parseItems(std::string_view text, const std::function<bool(SexprView)>& item, bool& textFailed,
                               std::string* reason) {
  return run(text, &item, textFailed, reason);
}

// Tree building: the tokens in turn, '(' opening a list, ')' closing the
// innermost open one, and an atom added to it. With `item`, each list of
// the top-level list is handed over once closed and its nodes dropped: they
// are the last ones of the array.
bool SexprDocument::run(std::string_view text, const std::function<bool(SexprView)>* item, bool& textFailed,
                        std::string* reason) {
  text_ = text;
  nodes_.clear();
  unescaped_.clear();
  nodes_.emplace_back();
  nodes_.reserve(item != nullptr ? 4096 : std::min(text.size() / 6, kMaxNodes) + 2);
  textFailed = true;
  std::vector<uint32_t> open;  // the lists not yet closed, outermost first
  std::vector<uint32_t> last;  // the last element of each of them so far
  uint32_t topAtom = 0;        // the top-level list's last atom so far
  bool itemFailed = false;     // `item` returned false
  bool closed = false;         // the top-level list is complete
  std::string unescaped;
  Failure failure;
  const size_t n = text.size();
  const char* const s = text.data();
  // Links a new node into the innermost open list.
  const auto link = [&](uint32_t index) {
    if (!open.empty()) {
      if (last.back() != 0)
        nodes_[last.back()].next = index;
      else
        nodes_[open.back()].first = index;
      last.back() = index;
    }
  };
  size_t i = 0;
  while (i < n) {
    const char c = s[i];
    if (kindOf(c) == kSpaceByte) {
      ++i;
      continue;
    }
    if (c == ')' && open.empty()) return fail(i, "')' closes no list", reason);
    if (closed) return fail(i, "text after the end of the top-level list", reason);
    if (c == '(') {
      if (open.size() >= kMaxDepth) return fail(i, strprintf("lists nest deeper than %zu levels", kMaxDepth), reason);
      const auto index = static_cast<uint32_t>(nodes_.size());
      if (index > kMaxNodes) return fail(i, tooManyNodes(), reason);
      nodes_.push_back({static_cast<uint32_t>(i), kList, 0, 0});
      link(index);
      open.push_back(index);
      last.push_back(0);
      ++i;
      continue;
    }
    if (c == ')') {
      const uint32_t done = open.back();
      open.pop_back();
      last.pop_back();
      closed = open.empty();
      ++i;
      if (item != nullptr && open.size() == 1) {
        if (!itemFailed && !(*item)(SexprView(this, done))) itemFailed = true;
        nodes_.resize(done);
        last.back() = topAtom;
        if (topAtom != 0)
          nodes_[topAtom].next = 0;
        else
          nodes_[open.back()].first = 0;
      }
      continue;
    }
    if (open.empty()) return fail(i, "expected '(' to open the top-level list", reason);

    const auto offset = static_cast<uint32_t>(i);
    std::string_view atom;
    bool escaped = false;
    if (!readAtom(text, i, atom, i, escaped, unescaped, failure)) return fail(failure.offset, failure.what, reason);
    const auto index = static_cast<uint32_t>(nodes_.size());
    if (index > kMaxNodes) return fail(offset, tooManyNodes(), reason);
    if (escaped) {
      nodes_.push_back({offset, kUnescaped | static_cast<uint32_t>(unescaped_.size()), 0, 0});
      unescaped_.push_back(std::move(unescaped));
    } else {
      nodes_.push_back({offset, static_cast<uint32_t>(atom.size()), static_cast<uint32_t>(atom.data() - s), 0});
    }
    link(index);
    if (open.size() == 1) topAtom = index;
  }
  if (!open.empty()) {
    // The innermost open list is the one a cut-short file was writing.
    return fail(n, "the list opened at " + where(nodes_[open.back()].offset) +
                       " is not closed (is the file cut short?)",
                reason);
  }
  if (!closed) return fail(0, "the file holds no list", reason);
  textFailed = false;
  return !itemFailed;
}

}  // namespace comptab
