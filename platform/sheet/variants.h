// The variation manager (docs/variants.md). A design can be built in several
// variants, its destinations; a component's value for one destination is a
// property named after the base property, the separator and the destination
// ("value@PRO"). The suite's system spec ("vmsys") gives the separator and
// the to-board property; the design's data spec ("vmdata") lists the
// destinations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/sheet/design_db.h"

namespace comptab {

// The destination name that stands for the board itself: the design as
// built, with no variant's values.
inline constexpr std::string_view kBoardDestination = "_TOBOARD";

class VariantSysSpec {
 public:
  // Null when the file cannot be read or does not hold a valid spec; then
  // `reason`, when given, says why in one line with the file name. The
  // file is only read, whatever the mode.
  static std::unique_ptr<VariantSysSpec> open(const std::string& path, int mode, std::string* reason = nullptr);

  char separator() const { return separator_; }
  // The property that tells whether a component is fitted on the board
  // itself, and the value of a component that lacks it.
  const std::string& toBoardProperty() const { return toBoardProperty_; }
  const std::string& toBoardDefault() const { return toBoardDefault_; }

 private:
  char separator_ = '@';
  std::string toBoardProperty_ = "fitted";
  std::string toBoardDefault_ = "YES";
};

class Destination {
 public:
  Destination(std::string name, size_t index) : name_(std::move(name)), index_(index) {}
  const std::string& name() const { return name_; }
  // Its place in the data spec's list.
  size_t index() const { return index_; }

 private:
  std::string name_;
  size_t index_;
};

class VariantDataSpec {
 public:
  // As VariantSysSpec::open.
  static std::unique_ptr<VariantDataSpec> open(const std::string& path, int mode, std::string* reason = nullptr);
  // `base`'s destinations (none when null), then each of `more` it lacks, in
  // order: a KiCad project's design variants join the data spec this way.
  static std::unique_ptr<VariantDataSpec> extended(const VariantDataSpec* base, const std::vector<std::string>& more);

  size_t count() const { return destinations_.size(); }
  // Names in stored order; i < count().
  const std::string& name(size_t i) const { return destinations_[i].name(); }
  const Destination& destination(size_t i) const { return destinations_[i]; }
  // The destination of exactly that name (letter case counts), or null.
  const Destination* lookup(std::string_view name) const;

 private:
  std::vector<Destination> destinations_;
  std::unordered_map<std::string_view, size_t> byName_;  // views of destinations_' names
};

class VariationValue {
 public:
  explicit VariationValue(std::string value) : value_(std::move(value)) {}
  const std::string& value() const { return value_; }

 private:
  std::string value_;
};

// One component seen through the specs. It keeps views of the component's
// texts: assign a component, ask, and drop it before the component's
// database closes or the component's properties change.
class VariantComponent {
 public:
  // getProperty's flag: the value came from the destination's own property.
  static constexpr unsigned kFromDestination = 1;

  // Both specs must outlive the evaluator.
  VariantComponent(const VariantSysSpec& sysSpec, const VariantDataSpec& dataSpec);

  // Reads the component's properties once; replaces what an earlier assign
  // gave.
  void assign(const ComponentRef& component);

  // With null: whether the component has a variant property for any
  // destination that the data spec knows. With a destination: for that one.
  bool hasDestination(const Destination* destination) const;

  // What hasDestination(null) would say after assign(component), without
  // gathering its properties: most components have no variant at all.
  bool anyDestination(const ComponentRef& component) const;

  // The value of property `name` for `destination`: the destination's own
  // variant property when there is one (flag kFromDestination), else the
  // property `name` itself (flag 0). Null means the board itself, which
  // always takes the property itself. False, with an empty value and flag 0,
  // when neither exists. A destination of another data spec counts as null.
  bool getProperty(std::string_view name, std::string& value, unsigned& flag, const Destination* destination) const;

  // Whether the component is fitted on the board itself: its to-board
  // property, or the system spec's default when it has none.
  VariationValue toBoard() const;

 private:
  struct Entry {
    std::string_view base;
    int64_t destination;  // -1: the property itself
    std::string_view value;
  };
  const Entry* find(std::string_view name, int64_t destination) const;

  const VariantSysSpec& sysSpec_;
  const VariantDataSpec& dataSpec_;
  std::vector<Entry> entries_;  // sorted by (base, destination)
  size_t variantCount_ = 0;
};

}  // namespace comptab
