// The page's script and style, kept as readable files under output/html/
// and built into the program (cmake/embed_text.cmake).
#pragma once

#include <string_view>

namespace comptab {

std::string_view bomPageScript();
std::string_view bomPageStyle();

}  // namespace comptab
