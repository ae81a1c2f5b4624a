// The process environment.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace comptab {

// The value of a variable, or nothing when it is not set.
std::optional<std::string> lookupEnv(const std::string& name);
// Sets a variable for this process and its children; false on failure.
bool setEnv(const std::string& name, const std::string& value);

// Replaces every $NAME and ${NAME} by the variable's value. A name is a
// letter or '_' followed by letters, digits and '_'; "$$" stands for one
// '$', and a '$' not followed by a name stays as it is. Returns nothing when
// a named variable is not set or a "${" is not closed.
std::optional<std::string> substituteEnv(std::string_view text);

}  // namespace comptab
