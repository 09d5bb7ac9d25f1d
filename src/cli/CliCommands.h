#pragma once

// The companion's commands over the program's own core: the same reader, writer, safe save,
// scanners and duplicate test. Each returns the exit status: 0 done, 1 file error (nothing
// written), 2 usage error.

#include "CliArgs.h"

#include <cstdio>

namespace lh::cli {

struct CliStreams {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    bool progressOnTerminal = false;
    Language language = Language::English; // of every message of the run
};

int RunScan(const CliArgs& args, const CliStreams& streams);
int RunRewrite(const CliArgs& args, const CliStreams& streams);
int RunList(const CliArgs& args, const CliStreams& streams);

// Parses and runs; `words` are the arguments after the program name.
int RunCli(const std::vector<std::string>& words, const CliStreams& streams);

} // namespace lh::cli
