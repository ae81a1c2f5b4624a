// Construction of the App: options, version, usage, error file, resource
// file, and the merge of the settings into the run mode.
#include <algorithm>
#include <charconv>
#include <cstdio>

#include "app/app.h"
#include "app/run_rows.h"
#include "platform/kicad/kicad_project.h"
#include "platform/support/file_locators.h"
#include "platform/support/parameter_set.h"
#include "platform/support/path.h"
#include "platform/support/text.h"
#include "platform/support/version_banner.h"
#include "settings/message_codes.h"
#include "settings/resource_reader.h"
#include "settings/run_mode.h"

namespace comptab {

namespace {

// The argument table holds the program name and at most this many words.
constexpr int kMaxWords = 127;

struct ModeWord {
  const char* word;
  const char* shortWord;
  uint32_t bit;
};

constexpr ModeWord kModeWords[] = {
    {"noheader", "nh", mode::kNoHeader},       {"noadjust", "na", mode::kNoAdjust},
    {"execute", "e", mode::kExecute},          {"search", "s", mode::kSearch},
    {"destination", "d", mode::kDestination},  {"alignsep", "a", mode::kAlignSep},
    {"force", "f", mode::kForce},              {"compdest", "cd", mode::kCompDest},
    {"package", "p", mode::kPackage},          {"compkind", "ck", mode::kCompKind},
    {"pnpackage", "pn", mode::kPnPackage},     {"chkkcdbprop", "chkp", mode::kCheckKcdbProp},
    {"chkopengate", "chkg", mode::kCheckOpenGate}, {"propspec", "ps", mode::kPropSpec},
};

const ModeWord* findModeWord(std::string_view word) {
  for (const ModeWord& m : kModeWords)
    if (equalsNoCase(word, m.word) || equalsNoCase(word, m.shortWord)) return &m;
  return nullptr;
}

// Adds a mode bit with the one interaction between bits: part-name packaging
// replaces the component-destination listing.
void addModeBit(uint32_t& runMode, uint32_t bit) {
  if (bit == mode::kCompDest && (runMode & mode::kPnPackage)) return;
  runMode |= bit;
  if (bit == mode::kPnPackage) runMode &= ~mode::kCompDest;
}

// The level as a decimal integer from the start of the text; a text that
// does not begin with a number, or one out of range, gives 0.
int leadingInt(std::string_view text) {
  size_t start = 0;
  while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
  if (start < text.size() && text[start] == '+') ++start;
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data() + start, text.data() + text.size(), value);
  (void)end;
  return ec == std::errc() ? value : 0;
}

bool isHelpWord(std::string_view word) { return word == "-h" || word == "-help" || word == "--help"; }

constexpr const char* kUsageLines[] = {
    "\nUsage   : ",
    "comptab.exe",
    " [options] file_name\n",
    "options :\n",
    "  [-p:resource Resource_File_Name]\n",
    "  [-p:destination Destination]\n",
    "  [-p:execute Program_Name]\n",
    "  [-p:level Hierarchy_Level]\n",
    "  [-p:package Property_Name]\n",
    "  [-output Output_File_Name]\n",
    "  [-mode noadjust] --- Not adjust width of cell\n",
    "  [-mode execute] --- Execute a command specified in resource file\n",
    "  [-mode search] --- Search components using terms specified in resource file\n",
    "  [-mode destination] --- Output components which have destinations specified in resource file\n",
    "  [-mode alignsep] --- Align separators\n",
    "  [-mode force] --- Overwrite existing file\n",
    "  [-mode compdest] --- Change the way to list components which have destinations\n",
    "  [-mode compkind] --- Output componentKind as the string referring CompKind\n",
    "  [-mode package] --- Gate packaging mode\n",
    "  [-mode pnpackage] --- Partname packaging mode (Option 'compdest' will be ignored) \n",
    "  [-mode chkkcdbprop] --- Check properties of components referring KCDB (enable only at package/pnpackage mode)\n",
    "  [-mode chkopengate] --- Check open gate of packaged components referring KCDB (enable only at package/pnpackage mode)\n",
    "  [-mode crlf] --- Output newline character of CR+LF (default on PC)\n",
    "  [-mode lf] --- Output newline character of LF (default on UNIX)\n",
    "  [-mode noheader] --- Not to output property name row\n",
    "  [-V] --- Output version number\n",
    "file_name: Target_File_Name (.sht or .cir)\n",
};

// What comptab adds to the usage above, on the terminal only: the error
// file keeps the usage as the suite's other tools expect it.
constexpr const char* kOwnUsageLines[] = {
    "comptab's own options:\n",
    "  [-p:format text|csv|tsv|json|html] --- Table format (over the resource file's tableFormat)\n",
    "  [-p:boards N] --- Add _QTY, the quantity for a build of N boards\n",
    "  [-p:strict] --- A property name that no component has is an error (status 1)\n",
    "  [-p:bom] --- Begin CSV, TSV and JSON output with a UTF-8 byte-order mark\n",
    "  [-output -] --- Write to standard output (also over the resource file's output)\n",
    "targets:\n",
    "  a sheet file (.sht), a circuit directory (.cir), a KiCad project (.kicad_pro)\n",
    "  or schematic (.kicad_sch), a KiCad XML net list (.xml)\n",
    "  example: comptab -p:resource examples/kicad-project-bom.rsc board.kicad_pro\n",
    "KiCad's own BOM export, the same options and the same bytes as kicad-cli:\n",
    "  comptab sch export bom [OPTIONS] INPUT (see comptab sch export bom --help)\n",
    "  comptab board.kicad_pro --- the BOM the project's saved BOM settings describe\n",
};

// The -p: names comptab reads, long and short, for "did you mean".
constexpr const char* kParameterNames[] = {"resource", "destination", "execute", "level", "package",
                                           "format",   "boards",      "strict",  "bom"};
// Every other option word.
constexpr const char* kOptionWords[] = {"-output", "-mode", "-V", "-h", "-help", "--help"};

// The known word closest to `word` ignoring case, when it is near enough
// to be a slip: at most two edits, and fewer than half the word's length,
// so that "-x" is not taken for "-V".
template <typename Words, typename Text>
std::string closestWord(std::string_view word, const Words& words, Text text) {
  std::string best;
  size_t bestDistance = std::min<size_t>(3, word.size() / 2);
  for (const auto& entry : words) {
    const std::string_view candidate = text(entry);
    const size_t distance = editDistanceNoCase(word, candidate);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = candidate;
    }
  }
  return best;
}

std::string didYouMean(const std::string& suggestion) {
  return suggestion.empty() ? std::string() : strprintf(" (did you mean %s?)", suggestion.c_str());
}

}  // namespace

void tellTerminal(const std::string& line) {
  constexpr size_t kMaxLineBytes = 4096;
  std::fprintf(stderr, "comptab: %s\n", printableLine(line, kMaxLineBytes).c_str());
}

App::App(int argc, const char* const* argv) {
  reporter_.setMessageSource("KDXROOT/comptab");
  reporter_.setUpErrorFile(std::nullopt);
  // The argument table of the suite's entry point holds 127 words; a longer
  // command line is refused rather than cut short.
  if (argc < 2) {
    refuseWithUsage("no target named: give a sheet file (.sht) or a circuit directory (.cir)");
    return;
  }
  if (argc - 1 > kMaxWords) {
    refuseWithUsage(strprintf("%d words are more than the %d the command line may have", argc - 1, kMaxWords));
    return;
  }
  const ParameterSet words(argc, argv);
  bool eolGiven = false;
  if (!parseOptions(words, eolGiven)) return;
  if (!words.target())
    reporter_.reportError(ReportKind::General, "", 1, msg::kNoTarget);
  else
    setTarget(*words.target());
  if (!loadResource()) {
    reporter_.exitState = 1;
    return;
  }
  mergeSettings(eolGiven);
  reporter_.exitState = 0;
}

bool App::parseOptions(const ParameterSet& words, bool& eolGiven) {
  for (const Parameter& p : words.parameters()) {
    const std::string value = p.value.value_or("");
    switch (p.kind) {
      case Parameter::Version: {
        VersionBanner banner;
        banner.setProgramName("comptab.exe");
        banner.setVersion(strprintf("V%d.%03d", COMPTAB_VERSION_MAJOR, COMPTAB_VERSION_MINOR));
        banner.setDate("2003/02/28");
        banner.print();
        reporter_.exitState = 3;
        return false;
      }
      case Parameter::Output:
        options_.outputPath = p.value;
        break;
      case Parameter::Mode:
        if (equalsNoCase(value, "crlf") || equalsNoCase(value, "lf")) {
          options_.eol = equalsNoCase(value, "crlf") ? "\r\n" : "\n";
          eolGiven = true;
        } else if (const ModeWord* m = findModeWord(value)) {
          addModeBit(options_.runMode, m->bit);
        } else if (!p.value) {
          return refuseWithUsage("-mode without a word after it");
        } else {
          std::string reason = strprintf("unknown -mode word \"%s\"", value.c_str());
          // The table formats are a parameter, not a mode: point there.
          if (tableFormatNamed(value)) {
            reason += strprintf(" (a %s table is asked for with -p:format %s)", value.c_str(), value.c_str());
          } else {
            std::vector<std::string_view> modeWords = {"crlf", "lf"};
            for (const ModeWord& known : kModeWords) modeWords.push_back(known.word);
            reason += didYouMean(closestWord(value, modeWords, [](std::string_view w) { return w; }));
          }
          return refuseWithUsage(reason);
        }
        break;
      case Parameter::Named:
        if (equalsNoCase(p.name, "resource") || equalsNoCase(p.name, "r")) {
          options_.resourceFile = value;
        } else if (equalsNoCase(p.name, "destination") || equalsNoCase(p.name, "d")) {
          options_.destinations.push_back(value);
        } else if (equalsNoCase(p.name, "execute") || equalsNoCase(p.name, "e")) {
          options_.executeProgram = value;
          options_.runMode |= mode::kExecute;
        } else if (equalsNoCase(p.name, "level") || equalsNoCase(p.name, "l")) {
          options_.hierarchyLevel = p.value ? leadingInt(*p.value) : -1;
          if (int whole = 0; p.value && !parseInt(*p.value, whole))
            tellTerminal(strprintf("note: -p:level \"%s\" is not a whole number; level %d is used", p.value->c_str(),
                                   options_.hierarchyLevel));
        } else if (equalsNoCase(p.name, "package") || equalsNoCase(p.name, "p")) {
          options_.packageProperty = value;
        } else if (equalsNoCase(p.name, "format")) {
          formatOption = tableFormatNamed(value);
          if (!formatOption) return refuseParameter("format", value, "text, csv, tsv, json or html");
        } else if (equalsNoCase(p.name, "strict")) {
          strictOption = true;
        } else if (equalsNoCase(p.name, "bom")) {
          byteOrderMarkOption = true;
        } else if (equalsNoCase(p.name, "boards")) {
          if (!parseInt(value, boards) || boards < 1)
            return refuseParameter("boards", value, "a whole number of boards from 1 up, as in -p:boards 25");
        } else {
          const std::string near =
              closestWord(p.name, kParameterNames, [](const char* w) { return std::string_view(w); });
          return refuseWithUsage(strprintf("unknown parameter \"-p:%s\"", p.name.c_str()) +
                                 didYouMean(near.empty() ? near : "-p:" + near));
        }
        break;
      case Parameter::Surplus: {
        std::string reason =
            strprintf("a second target \"%s\" (name one sheet file or circuit, after the options)", p.name.c_str());
        // The resource file given as the first target: -p:resource forgotten.
        if (const std::optional<std::string>& first = words.target();
            first && first->size() > 4 && equalsNoCase(first->substr(first->size() - 4), ".rsc"))
          reason += strprintf("; \"%s\" is a resource file: give it as -p:resource %s", first->c_str(), first->c_str());
        return refuseWithUsage(reason);
      }
      default:
        if (isHelpWord(p.name)) {
          // Someone asking for help is at a terminal: the usage goes there
          // as well as into the error file.
          for (const char* line : kUsageLines) std::fputs(line, stdout);
          for (const char* line : kOwnUsageLines) std::fputs(line, stdout);
          return refuseWithUsage("");
        }
        std::string near = closestWord(p.name, kOptionWords, [](const char* w) { return std::string_view(w); });
        // "-format csv" for "-p:format csv".
        if (near.empty() && p.name.size() > 1)
          if (const std::string named = closestWord(std::string_view(p.name).substr(p.name[1] == '-' ? 2 : 1),
                                                    kParameterNames, [](const char* w) { return std::string_view(w); });
              !named.empty())
            near = "-p:" + named;
        return refuseWithUsage(strprintf("unknown option \"%s\"", p.name.c_str()) + didYouMean(near));
    }
  }
  return true;
}

bool App::refuseParameter(std::string_view name, std::string_view value, std::string_view wanted) {
  const std::string given = "-p:" + std::string(name) + " " + std::string(value);
  reporter_.writeError(msg::kDetail, {given});
  reporter_.writeNote(given + ": wants " + std::string(wanted));
  reporter_.exitState = 1;
  return false;
}

void App::setTarget(const std::string& word) {
  const std::string path = expandPath(word);
  // A folder named like a KiCad file is taken for one, so that its reader
  // says it is a folder, rather than for a circuit folder without a net list.
  if (pathKind(path) == PathKind::Directory && !KicadProject::isTarget(path)) {
    options_.designFile.clear();
    options_.designDir = path;
    options_.runMode |= mode::kCircuit;
  } else {
    options_.designFile = path;
    options_.designDir = directoryPart(path);
    // A KiCad project is a circuit whose sheets its root schematic names.
    if (KicadProject::isTarget(path)) options_.runMode |= mode::kCircuit;
  }
}

bool App::loadResource() {
  ResourceOutcome outcome;
  std::unique_ptr<Settings> settings = loadSettings(options_.resourceFile, outcome);
  // A misspelt key may be the reason a required one is missing, so these
  // come before the error.
  for (const std::string& note : outcome.notes) tellTerminal("note: " + note);
  if (settings) {
    options_.settings = std::move(*settings);
    return csvSettingsSound();
  }
  // When the file did not parse, the place the parser stopped is the one
  // thing to mend; every key after it only seems missing. A file that could
  // not be read at all says why after the report, as every input file does.
  const bool unreadable = outcome.failure == ReadFailure::NotReadable;
  if (!outcome.parseError.empty() && !unreadable) reporter_.writeNote(outcome.parseError);
  reporter_.reportError(ReportKind::InputFile, options_.resourceFile, 1, failureCode(outcome.failure));
  if (!outcome.currentKey.empty()) reporter_.writeError(msg::kDetail, {outcome.currentKey});
  if (unreadable && !outcome.parseError.empty())
    reporter_.writeNote(outcome.parseError);
  else if (outcome.parseError.empty() && !outcome.keyReason.empty())
    reporter_.writeNote(outcome.keyReason);
  return false;
}

// Checked once the format is known, since -p:format may ask for CSV where
// the file does not: a CSV table that could not be read back is refused
// like a key of the wrong form.
bool App::csvSettingsSound() {
  if (formatOption.value_or(options_.settings.tableFormat) != TableFormat::Csv) return true;
  std::string key;
  const std::string fault = csvSettingsFault(options_.settings, &key);
  if (fault.empty()) return true;
  reporter_.reportError(ReportKind::InputFile, options_.resourceFile, 1, msg::kResourceBadContent);
  reporter_.writeError(msg::kDetail, {key});
  reporter_.writeNote(options_.resourceFile + ": " + fault);
  return false;
}

void App::mergeSettings(bool eolGiven) {
  const Settings& s = options_.settings;
  const std::pair<bool, uint32_t> flags[] = {
      {s.forceOverwrite, mode::kForce},
      {s.alignSeparator, mode::kAlignSep},
      {s.noAdjust, mode::kNoAdjust},
      {s.useCompKind, mode::kCompKind},
      {s.usePropSpec, mode::kPropSpec},
      {s.checkKCDBProperty, mode::kCheckKcdbProp},
      {s.checkOpenGate, mode::kCheckOpenGate},
      {s.noHeader, mode::kNoHeader},
      {s.destinationOutputMode == DestinationOutput::Component, mode::kCompDest},
      {s.referencePackage, mode::kPackage},
      {s.partNamePackage, mode::kPnPackage},
  };
  for (const auto& [on, bit] : flags)
    if (on) addModeBit(options_.runMode, bit);
  // comptab's own switch: the search terms filter as -mode search makes them.
  if (s.useTermTable) options_.runMode |= mode::kSearch;
  if (options_.hierarchyLevel == -1) options_.hierarchyLevel = s.hierarchyLevel;
  if (!eolGiven && !s.endOfLineStyle.empty()) {
    if (equalsNoCase(s.endOfLineStyle, "crlf"))
      options_.eol = "\r\n";
    else if (equalsNoCase(s.endOfLineStyle, "lf"))
      options_.eol = "\n";
  }
  if (options_.eol.empty()) options_.eol = "\r\n";
}

bool App::refuseWithUsage(const std::string& why) {
  showUsage();
  reporter_.exitState = 5;
  // The usage itself sits in a file the person may never have seen; say
  // what was wrong and where to look.
  const std::string where = reporter_.logPath().empty() ? std::string("could not be written to an error file")
                                                        : "is in " + reporter_.logPath();
  if (why.empty())
    tellTerminal("the usage " + where);
  else
    tellTerminal(why + "; the usage " + where);
  return false;
}

void App::showUsage() {
  std::fputs("See a error file for usage.\n", stderr);
  for (const char* line : kUsageLines) reporter_.writeText(line);
}

}  // namespace comptab
