#pragma once

// The companion's command line:
//   linkhive-cli scan-urls   COLLECTION FILE... [--yes] [--backup none|bak|tilde]
//                            [--encoding NAME] [--https]
//   linkhive-cli scan-emails COLLECTION FILE... (the same options)
//   linkhive-cli rewrite     SOURCE TARGET
//   linkhive-cli list        COLLECTION [--format tsv|json]
//   linkhive-cli import      COLLECTION FILE [--format bookmarks|csv|json] [--keep-duplicates]
//                            [--backup none|bak|tilde]
//   linkhive-cli export      COLLECTION FILE --format bookmarks|csv|json
//   linkhive-cli dedupe      COLLECTION [--backup none|bak|tilde]
// Options may stand anywhere after the command; "--" ends them.

#include "CliLanguage.h"
#include "core/CollectionFile.h"
#include "core/MainOptions.h"

#include <string>
#include <vector>

namespace lh::cli {

enum class Command { None, ScanUrls, ScanEmails, Rewrite, List, Import, Export, Dedupe };
enum class ListFormat { Tsv, Json };

struct CliArgs {
    Command command = Command::None;
    bool help = false;
    std::vector<std::string> operands;
    bool yes = false;
    BackupKind backup = BackupKind::None;
    ListFormat format = ListFormat::Tsv;
    ScanOptions scan;
    // import and export: "bookmarks", "csv" or "json"; empty: import goes by the file's name.
    std::string exchangeFormat;
    bool keepDuplicates = false;
};

struct ParsedArgs {
    bool ok = false;
    CliArgs args;
    std::string error; // what was wrong, when !ok, in the run's language
};

// `words` are the arguments after the program name.
ParsedArgs ParseCliArgs(const std::vector<std::string>& words,
                        Language language = Language::English);

// Help text of one command, or of the program for Command::None.
std::string UsageText(Command command, Language language = Language::English);

} // namespace lh::cli
