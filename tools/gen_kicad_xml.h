// The KiCad XML net list of the benchmark (gen_kicad_xml.cpp).
#pragma once

#include <string>

// Writes DIR/design.xml with `n` components and prints n; 0 on success.
int writeKicadXml(long n, const std::string& dir);
