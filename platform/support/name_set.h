// Sets of names, and of library objects by their names, that own what they
// hold. Names compare as exact text; lookups take any string view without
// building a std::string.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace comptab {

class NameSet {
 public:
  int contains(std::string_view name) const { return names_.find(name) != names_.end() ? 1 : 0; }
  void attach(std::string name) { names_.insert(std::move(name)); }
  void deleteAll() { names_.clear(); }
  size_t size() const { return names_.size(); }

 private:
  std::set<std::string, std::less<>> names_;
};

// Objects held by the name that `Name` gives. A held object stays at its
// address until deleteAll(), so pointers to it may be kept that long.
template <class Object, const std::string& (Object::*Name)() const>
class NamedObjectSet {
 public:
  const Object* search(std::string_view name) const {
    const auto found = objects_.find(name);
    return found == objects_.end() ? nullptr : &found->second;
  }
  // Keeps the object under its name and returns the held one. A name
  // already held keeps its first object.
  const Object* attach(Object object) {
    std::string name = (object.*Name)();
    return &objects_.try_emplace(std::move(name), std::move(object)).first->second;
  }
  void deleteAll() { objects_.clear(); }
  size_t size() const { return objects_.size(); }

 private:
  std::map<std::string, Object, std::less<>> objects_;
};

}  // namespace comptab
