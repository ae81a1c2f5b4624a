#include "platform/support/pattern.h"

#include <re2/re2.h>

namespace comptab {

namespace {
RE2::Options quietOptions() {
  RE2::Options options;
  options.set_log_errors(false);
  // Patterns and values are UTF-8. A value with stray bytes is still
  // searched (RE2 never reads past the text); a pattern with them fails to
  // compile and so matches nothing.
  return options;
}
}  // namespace

Pattern::Pattern(std::string_view pattern)
    : re_(std::make_unique<re2::RE2>(re2::StringPiece(pattern.data(), pattern.size()), quietOptions())) {}

Pattern::~Pattern() = default;

bool Pattern::ok() const { return re_->ok(); }

bool Pattern::matches(std::string_view text) const {
  if (!re_->ok()) return false;
  return RE2::PartialMatch(re2::StringPiece(text.data(), text.size()), *re_);
}

const Pattern& PatternCache::get(std::string_view pattern) {
  auto it = patterns_.find(pattern);
  if (it == patterns_.end())
    it = patterns_.emplace(std::string(pattern), std::make_unique<Pattern>(pattern)).first;
  return *it->second;
}

}  // namespace comptab
