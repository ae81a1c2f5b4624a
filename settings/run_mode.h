// The bits of the run mode: the -mode words, the resource switches that
// mirror them, and the circuit-target bit.
#pragma once

#include <cstdint>

namespace comptab::mode {

inline constexpr uint32_t kCircuit = 0x0001;
inline constexpr uint32_t kNoHeader = 0x0002;
inline constexpr uint32_t kNoAdjust = 0x0004;
inline constexpr uint32_t kExecute = 0x0008;
inline constexpr uint32_t kSearch = 0x0010;
inline constexpr uint32_t kDestination = 0x0020;
inline constexpr uint32_t kAlignSep = 0x0040;
inline constexpr uint32_t kForce = 0x0080;
inline constexpr uint32_t kCompDest = 0x0100;
inline constexpr uint32_t kPackage = 0x0200;
inline constexpr uint32_t kCompKind = 0x0400;
inline constexpr uint32_t kPnPackage = 0x0800;
inline constexpr uint32_t kCheckKcdbProp = 0x1000;
inline constexpr uint32_t kCheckOpenGate = 0x2000;
inline constexpr uint32_t kPropSpec = 0x4000;

}  // namespace comptab::mode
