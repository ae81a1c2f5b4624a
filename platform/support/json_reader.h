// Checked reading of a parsed JSON document, for the file readers of this
// folder: every value is checked for its type and range as it is read, and
// the first fault becomes one line that names the value's place, such as
// "components[3].pins[1].properties[0][1]: expected a string, found null".
// It shows the JSON parser's types, so only platform/ sources include it.
#pragma once

#include <simdjson.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace comptab {

// The parser's error code in words. `text` is what was parsed (structure
// errors are located by a scan of it, since the parser does not say where);
// `kind` names the file for the depth limit ("a sheet file").
std::string jsonSyntaxReason(simdjson::error_code code, std::string_view text, size_t maxDepth, const char* kind);

// Parses `text`, read with simdjson's padding after it, into `root`, which
// `parser` holds, at most `maxDepth` deep. A byte-order mark at the start is
// skipped: editors on some systems write one. False, with jsonSyntaxReason's
// words in `reason`, when the text is not JSON.
bool parseJsonText(simdjson::dom::parser& parser, std::string_view text, size_t maxDepth, const char* kind,
                   simdjson::dom::element& root, std::string* reason);

class JsonReader {
 public:
  // Faults are written to `why`; texts longer than `maxTextBytes` are faults.
  JsonReader(std::string* reason, size_t maxTextBytes) : reason_(reason), maxTextBytes_(maxTextBytes) {}

 private:
  // A field name, or an index when the name is empty.
  struct Step {
    std::string_view key;
    size_t index;
  };

 protected:
  // Adds one step to the place of the values read while it lives.
  class Enter {
   public:
    Enter(JsonReader& reader, std::string_view key) : path_(reader.path_) { path_.push_back({key, 0}); }
    Enter(JsonReader& reader, size_t index) : path_(reader.path_) { path_.push_back({{}, index}); }
    ~Enter() { path_.pop_back(); }
    Enter(const Enter&) = delete;
    Enter& operator=(const Enter&) = delete;

   private:
    std::vector<Step>& path_;
  };

  // Each returns false after fail() when the value is not what is asked.
  bool fail(const std::string& what);
  bool wrongType(const char* expected, simdjson::dom::element value);
  bool integer(simdjson::dom::element value, int64_t low, int64_t high, int64_t& out);
  template <typename T>
  bool integer(simdjson::dom::element value, T& out) {
    int64_t wide = 0;
    if (!integer(value, std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), wide)) return false;
    out = static_cast<T>(wide);
    return true;
  }
  bool number(simdjson::dom::element value, double& out);
  bool boolean(simdjson::dom::element value, bool& out);
  bool text(simdjson::dom::element value, std::string_view& out);
  // An array of exactly `count` 32-bit integers.
  bool ints(simdjson::dom::element value, int32_t* out, size_t count);
  // The top-level object of a document whose "formatVersion" must be
  // `version`; `kind` names the document when the field is missing.
  bool versionedTop(simdjson::dom::element root, int64_t version, const char* kind, simdjson::dom::object& top);

  // `value` as an array; else a fault that names what was `expected` ("an
  // array of nets").
  bool array(simdjson::dom::element value, const char* expected, simdjson::dom::array& out);
  // Calls read(i, item) for each item of `items`, inside the item's step,
  // until one fails: the walk every array of records takes.
  template <typename Read>
  bool eachItem(simdjson::dom::array items, Read&& read) {
    size_t i = 0;
    for (simdjson::dom::element item : items) {
      const Enter step(*this, i);
      if (!read(i, item)) return false;
      ++i;
    }
    return true;
  }
  // `value` as an object, its fields read by fields().
  template <size_t N, typename Handle>
  bool record(simdjson::dom::element value, const std::string_view (&names)[N], uint32_t required, Handle&& handle) {
    simdjson::dom::object object;
    if (value.get(object) != simdjson::SUCCESS) return wrongType("an object", value);
    return fields(object, names, required, handle);
  }

  // Calls handle(i, value) for each field whose name is names[i], inside
  // the field's step. Fields whose names start with '#' are comments.
  // Unknown and repeated fields are faults; so are missing required ones
  // (bit i of `required` for names[i]).
  template <size_t N, typename Handle>
  bool fields(simdjson::dom::object object, const std::string_view (&names)[N], uint32_t required, Handle&& handle);

 private:
  std::string* reason_;
  size_t maxTextBytes_;
  std::vector<Step> path_;
};

template <size_t N, typename Handle>
bool JsonReader::fields(simdjson::dom::object object, const std::string_view (&names)[N], uint32_t required,
                        Handle&& handle) {
  static_assert(N <= 32);
  uint32_t seen = 0;
  for (simdjson::dom::key_value_pair field : object) {
    if (!field.key.empty() && field.key.front() == '#') continue;
    size_t i = 0;
    while (i < N && names[i] != field.key) ++i;
    if (i == N) return fail("unknown field \"" + std::string(field.key) + "\"");
    const uint32_t bit = uint32_t{1} << i;
    if (seen & bit) return fail("the field \"" + std::string(field.key) + "\" appears twice");
    seen |= bit;
    const Enter step(*this, names[i]);
    if (!handle(i, field.value)) return false;
  }
  for (size_t i = 0; i < N; ++i)
    if ((required & ~seen) & (uint32_t{1} << i))
      return fail("the required field \"" + std::string(names[i]) + "\" is missing");
  return true;
}

}  // namespace comptab
