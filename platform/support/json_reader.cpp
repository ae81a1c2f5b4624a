#include "platform/support/json_reader.h"

#include "platform/support/json_syntax.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

namespace dom = simdjson::dom;

const char* typeText(dom::element_type type) {
  switch (type) {
    case dom::element_type::ARRAY:
      return "an array";
    case dom::element_type::OBJECT:
      return "an object";
    case dom::element_type::INT64:
    case dom::element_type::UINT64:
      return "an integer";
    case dom::element_type::DOUBLE:
      return "a number with a fraction or an exponent";
    case dom::element_type::STRING:
      return "a string";
    case dom::element_type::BOOL:
      return "true or false";
    case dom::element_type::NULL_VALUE:
      return "null";
  }
  return "an unknown value";
}

}  // namespace

bool parseJsonText(simdjson::dom::parser& parser, std::string_view text, size_t maxDepth, const char* kind,
                   simdjson::dom::element& root, std::string* reason) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  simdjson::error_code error = parser.allocate(text.size(), maxDepth);
  if (error == simdjson::SUCCESS) error = parser.parse(text.data(), text.size(), false).get(root);
  if (error == simdjson::SUCCESS) return true;
  if (reason != nullptr) *reason = jsonSyntaxReason(error, text, maxDepth, kind);
  return false;
}

std::string jsonSyntaxReason(simdjson::error_code code, std::string_view text, size_t maxDepth, const char* kind) {
  // A hand-edited file is mended at a place: the parser's kind of fault is
  // given with where this check first sees the text go wrong.
  const auto placed = [text](std::string reason) {
    const GrammarFault fault = locateGrammarError(text);
    if (!fault.what.empty()) reason += " at " + textPosition(text, fault.offset);
    return reason;
  };
  switch (code) {
    case simdjson::EMPTY:
      return text.empty() ? "the file is empty" : "the file holds no JSON value";
    case simdjson::UTF8_ERROR:
      return "the file is not valid UTF-8 text";
    case simdjson::DEPTH_ERROR:
      return strprintf("nested deeper than the %zu levels %s may have", maxDepth, kind);
    case simdjson::UNCLOSED_STRING:
      return "not valid JSON: a string is not closed (is the file cut short?)";
    case simdjson::NUMBER_ERROR:
      return placed("not valid JSON: a malformed number, or one too large to read");
    case simdjson::T_ATOM_ERROR:
    case simdjson::F_ATOM_ERROR:
    case simdjson::N_ATOM_ERROR:
      return placed("not valid JSON: a word that is not true, false or null");
    case simdjson::STRING_ERROR:
      return placed("not valid JSON: a string with a malformed escape");
    case simdjson::UNESCAPED_CHARS:
      return placed("not valid JSON: a string holds a control character that is not escaped");
    case simdjson::MEMALLOC:
    case simdjson::CAPACITY:
      return "not enough memory to read the file";
    default:
      break;
  }
  const std::string where = locateStructureError(text);
  if (!where.empty()) return "not valid JSON: " + where;
  if (const GrammarFault fault = locateGrammarError(text); !fault.what.empty())
    return "not valid JSON: " + fault.what + " at " + textPosition(text, fault.offset);
  return std::string("not valid JSON: ") + simdjson::error_message(code);
}

bool JsonReader::wrongType(const char* expected, dom::element value) {
  return fail(std::string("expected ") + expected + ", found " + typeText(value.type()));
}

bool JsonReader::versionedTop(simdjson::dom::element root, int64_t version, const char* kind,
                              simdjson::dom::object& top) {
  if (root.get(top) != simdjson::SUCCESS) return wrongType("a JSON object at the top", root);
  simdjson::dom::element field;
  if (top.at_key("formatVersion").get(field) != simdjson::SUCCESS)
    return fail(std::string("the required field \"formatVersion\" is missing: this is not ") + kind);
  const Enter step(*this, "formatVersion");
  int64_t got = 0;
  if (!integer(field, 0, std::numeric_limits<int64_t>::max(), got)) return false;
  if (got != version)
    return fail(strprintf("format version %lld is not supported; this library reads version %lld",
                          static_cast<long long>(got), static_cast<long long>(version)));
  return true;
}

bool JsonReader::fail(const std::string& what) {
  std::string where;
  for (const Step& step : path_) {
    if (step.key.empty()) {
      where += strprintf("[%zu]", step.index);
    } else {
      if (!where.empty()) where += '.';
      where += step.key;
    }
  }
  *reason_ = where.empty() ? what : where + ": " + what;
  return false;
}

bool JsonReader::integer(dom::element value, int64_t low, int64_t high, int64_t& out) {
  switch (value.type()) {
    case dom::element_type::INT64: {
      int64_t got = 0;
      if (value.get(got) == simdjson::SUCCESS && got >= low && got <= high) {
        out = got;
        return true;
      }
      return fail(strprintf("%lld is out of range (%lld to %lld)", static_cast<long long>(got),
                            static_cast<long long>(low), static_cast<long long>(high)));
    }
    case dom::element_type::UINT64: {  // only numbers above the int64 range are kept as uint64
      uint64_t got = 0;
      if (value.get(got) != simdjson::SUCCESS) got = 0;
      return fail(strprintf("%llu is out of range (%lld to %lld)", static_cast<unsigned long long>(got),
                            static_cast<long long>(low), static_cast<long long>(high)));
    }
    default:
      return wrongType("an integer", value);
  }
}

bool JsonReader::number(dom::element value, double& out) {
  if (value.is_number() && value.get(out) == simdjson::SUCCESS) return true;
  return wrongType("a number", value);
}

bool JsonReader::boolean(dom::element value, bool& out) {
  if (value.get(out) == simdjson::SUCCESS) return true;
  return wrongType("true or false", value);
}

bool JsonReader::text(dom::element value, std::string_view& out) {
  if (value.get(out) != simdjson::SUCCESS) return wrongType("a string", value);
  if (out.size() > maxTextBytes_)
    return fail(
        strprintf("a text of %zu bytes is longer than the %zu bytes a text may have", out.size(), maxTextBytes_));
  return true;
}

bool JsonReader::array(dom::element value, const char* expected, dom::array& out) {
  return value.get(out) == simdjson::SUCCESS || wrongType(expected, value);
}

bool JsonReader::ints(dom::element value, int32_t* out, size_t count) {
  dom::array items;
  if (!array(value, count == 2 ? "an array [x, y]" : "an array [x1, y1, x2, y2]", items)) return false;
  if (items.size() != count) return fail(strprintf("expected %zu integers, found %zu", count, items.size()));
  return eachItem(items, [&](size_t i, dom::element item) { return integer(item, out[i]); });
}

}  // namespace comptab
