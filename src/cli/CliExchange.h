#pragma once

// The companion's import and export: records in from a browser bookmark file, CSV or JSON, and
// out to them, through the same formats and import step as the program's File menu; and the
// removal of duplicate addresses, which loads and saves a collection the way an import does.

#include "CliCommands.h"

namespace lh::cli {

int RunImport(const CliArgs& args, const CliStreams& streams);
int RunExport(const CliArgs& args, const CliStreams& streams);
int RunDedupe(const CliArgs& args, const CliStreams& streams);

} // namespace lh::cli
