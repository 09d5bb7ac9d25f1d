#include "CliCommands.h"
#include "CliLanguage.h"
#include "TerminalProgress.h"
#include "platform/Console.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> words = lh::platform::ProgramArguments(argc, argv);
    lh::cli::CliStreams streams;
    streams.progressOnTerminal = lh::cli::TerminalProgress::StandardErrorIsTerminal();
    streams.language = lh::cli::LanguageFromEnvironment();
    return lh::cli::RunCli(words, streams);
}
