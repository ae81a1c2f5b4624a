// Test support: KCDB files built from SQL text in a scratch directory, so no
// test depends on a binary fixture.
#pragma once

#include <string>

#include "platform/support/scratch_dir.h"

namespace comptab {

// The current schema, with its version; tests append their rows.
extern const std::string kKcdbSchemaSql;

}  // namespace comptab
