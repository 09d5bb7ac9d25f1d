#pragma once

// Runs the companion's commands inside the test process, with the folder as the current one
// and standard output and error going to files: where starting a program costs seconds (an
// emulator), the same commands are checked without a process start each.

#include "TestEnvironment.h"
#include "cli/CliCommands.h"
#include "cli/CliLanguage.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace lh::test {

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline CliResult RunCliInProcess(const TempDir& dir, const std::vector<std::string>& args,
                                 cli::Language language = cli::Language::English) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    const std::string outFile = dir.File("cli.out");
    const std::string errFile = dir.File("cli.err");
    CliResult r;
    {
        std::FILE* out = std::fopen(outFile.c_str(), "wb");
        std::FILE* err = std::fopen(errFile.c_str(), "wb");
        cli::CliStreams streams;
        streams.out = out;
        streams.err = err;
        streams.language = language;
        r.status = cli::RunCli(args, streams);
        std::fclose(out);
        std::fclose(err);
    }
    std::filesystem::current_path(previous);
    r.out = ReadFileBytes(outFile);
    r.err = ReadFileBytes(errFile);
    std::filesystem::remove(outFile);
    std::filesystem::remove(errFile);
    return r;
}

} // namespace lh::test
