#include "platform/rsc/data_resource.h"

#include <optional>
#include <string_view>

#include "platform/rsc/rsc_file.h"
#include "platform/rsc/side_file_keys.h"
#include "platform/support/environment.h"
#include "platform/support/path.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

constexpr std::string_view kDesignDirWord = "$CIR";

// Only a "$CIR" that is the whole first path component stands for the design
// directory, as in the resource file's output name; "$CIRCUIT" is an
// ordinary environment reference.
bool startsWithDesignDir(std::string_view text) {
  return text.substr(0, kDesignDirWord.size()) == kDesignDirWord &&
         (text.size() == kDesignDirWord.size() || text[kDesignDirWord.size()] == '/');
}

// Sets the KCDB path or the problem that keeps it empty. A name that cannot
// be expanded here does not make the whole file unusable: only the packaging
// modes ask for the KCDB, and they report that it cannot be opened.
void resolveKcdb(const RscValue& value, const std::string& path, const std::string& designDir, std::string& kcdbPath,
                 std::string& problem) {
  const std::string& text = *value.text();
  const bool inDesign = startsWithDesignDir(text);
  const std::string_view rest =
      inDesign ? std::string_view(text).substr(kDesignDirWord.size()) : std::string_view(text);
  const auto expanded = substituteEnv(rest);
  if (!expanded) {
    problem = path + ": kcdb, " + describeValue(value) +
              ", names an environment variable that is not set, or leaves a \"${\" open";
  } else if (inDesign) {
    if (designDir.empty())
      problem = path + ": kcdb, " + describeValue(value) + ", starts with $CIR but there is no design directory";
    else
      kcdbPath = packPath(joinPath(designDir, *expanded));
  } else if (!expanded->empty() && expanded->front() == '/') {
    kcdbPath = packPath(*expanded);
  } else {
    kcdbPath = packPath(joinPath(directoryPart(path), *expanded));
  }
}

}  // namespace

std::unique_ptr<DataResource> DataResource::open(const std::string& path, int mode, const std::string& designDir,
                                                 std::string* reason) {
  const SideFileFailure fail(path, reason);
  if (mode != kReadOnly)
    return fail(
        strprintf("open mode %d is not supported (data resources open with mode %d, to read)", mode, kReadOnly));
  const std::optional<RscFile> file = openSideFile(path, fail);
  if (!file) return nullptr;

  std::unique_ptr<DataResource> resource(new DataResource());
  resource->path_ = path;
  const auto units = file->lookup("unitsPerUserUnit");
  if (!units) return fail("unitsPerUserUnit is missing");
  if (units->kind() != RscValue::Integer || units->integer() <= 0)
    return fail("unitsPerUserUnit must be an integer from 1 to 2147483647, not " + describeValue(*units));
  resource->unitsPerUserUnit_ = units->integer();

  if (const auto kcdb = file->lookup("kcdb")) {
    if (kcdb->kind() != RscValue::Text)
      return fail("kcdb must be a string (the path of the KCDB), not " + describeValue(*kcdb));
    if (!kcdb->text()->empty()) resolveKcdb(*kcdb, path, designDir, resource->kcdbPath_, resource->kcdbProblem_);
  }
  return resource;
}

const std::string& DataResource::kcdbPath(std::string* reason) const {
  if (reason != nullptr && !kcdbProblem_.empty()) *reason = kcdbProblem_;
  return kcdbPath_;
}

}  // namespace comptab
