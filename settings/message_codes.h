// Every message code the program raises. The texts live in the message
// catalogue of the suite root (system/<lang>/comptab.msg). The codes sit
// with the settings, the lowest layer that raises one (the resource
// reader), so that every layer that reports can include them.
#pragma once

namespace comptab::msg {

inline constexpr int kOutputExistsWritable = 38601;
inline constexpr int kExecuteCommandBad = 38602;
inline constexpr int kInstanceDbOpen = 38603;
inline constexpr int kInstanceDbCreate = 38604;
inline constexpr int kOutputMissing = 38605;
inline constexpr int kOutputOpen = 38606;
inline constexpr int kInputPathEmpty = 38607;
inline constexpr int kLibrariesInit = 38608;
inline constexpr int kDataResourceOpen = 38609;
inline constexpr int kSheetOpen = 38610;
inline constexpr int kSheetIncomplete = 38611;
inline constexpr int kVariantDataOpen = 38612;
inline constexpr int kVariantSysOpen = 38613;
inline constexpr int kInputMissing = 38614;
inline constexpr int kInputReadable = 38615;
inline constexpr int kUnknownDestination = 38616;
inline constexpr int kOutputPathEmpty = 38617;
inline constexpr int kNoTarget = 38618;
inline constexpr int kNoSearchTerms = 38619;
inline constexpr int kVariantSpecsNeeded = 38620;
inline constexpr int kDetail = 38621;
inline constexpr int kOutputExists = 38622;
inline constexpr int kInputNotReadable = 38623;
inline constexpr int kOutputNotWritable = 38624;
inline constexpr int kTargetMissing = 38625;
inline constexpr int kResourceNotFound = 38627;
inline constexpr int kResourceNotReadable = 38628;
inline constexpr int kResourceBadContent = 38629;
inline constexpr int kNoInstanceDbOrNetList = 38631;
inline constexpr int kInstanceDbLocked = 38632;
inline constexpr int kKicadProjectOpen = 38645;
inline constexpr int kDefaultFileUsed = 38670;
inline constexpr int kKcdbOpen = 38671;
inline constexpr int kKcdbEntryMissing = 38672;
inline constexpr int kKcdbPropertyValue = 38673;
inline constexpr int kPackageConflict = 38674;
inline constexpr int kGateNumberMissing = 38675;
inline constexpr int kOpenGate = 38676;
inline constexpr int kOpenPowerGate = 38677;
inline constexpr int kPowerBoxAlone = 38678;
inline constexpr int kOutOfMemory = 38679;

}  // namespace comptab::msg
