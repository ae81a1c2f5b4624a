// Regular expressions with grep's search meaning: a pattern matches when it
// matches anywhere in the text, unless it is anchored with ^ or $.
// A pattern that does not compile matches nothing; it never stops the run.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace re2 {
class RE2;
}

namespace comptab {

class Pattern {
 public:
  explicit Pattern(std::string_view pattern);
  ~Pattern();
  Pattern(const Pattern&) = delete;
  Pattern& operator=(const Pattern&) = delete;

  bool ok() const;
  bool matches(std::string_view text) const;

 private:
  std::unique_ptr<re2::RE2> re_;
};

// Compiles each distinct pattern once and hands out the compiled form, so a
// test repeated on every row costs a lookup, not a compilation.
class PatternCache {
 public:
  const Pattern& get(std::string_view pattern);

 private:
  std::map<std::string, std::unique_ptr<Pattern>, std::less<>> patterns_;
};

}  // namespace comptab
