#include "CliArgs.h"

#include "platform/Console.h"

#include <optional>

namespace lh::cli {

namespace {

std::optional<Command> CommandNamed(const std::string& word) {
    if (word == "scan-urls")
        return Command::ScanUrls;
    if (word == "scan-emails")
        return Command::ScanEmails;
    if (word == "rewrite")
        return Command::Rewrite;
    if (word == "list")
        return Command::List;
    if (word == "import")
        return Command::Import;
    if (word == "export")
        return Command::Export;
    if (word == "dedupe")
        return Command::Dedupe;
    return std::nullopt;
}

bool IsScan(Command c) {
    return c == Command::ScanUrls || c == Command::ScanEmails;
}

bool IsExchange(Command c) {
    return c == Command::Import || c == Command::Export;
}

ParsedArgs Fail(std::string error, Command command = Command::None) {
    ParsedArgs p;
    p.args.command = command;
    p.error = std::move(error);
    return p;
}

std::string JapaneseUsageText(Command command) {
    // Lines of at most about 38 full-width characters: 76 columns of a terminal.
    switch (command) {
    case Command::ScanUrls:
    case Command::ScanEmails: {
        const bool urls = command == Command::ScanUrls;
        return std::string("使い方: linkhive-cli ") + (urls ? "scan-urls" : "scan-emails") +
               " COLLECTION FILE... [--yes] [--backup none|bak|tilde]\n"
               "       [--encoding NAME] [--https]\n\n" +
               (urls ? "各 FILE から http:// のアドレスを探し、\n"
                     : "各 FILE からメールアドレスを探し (mailto: のリンクとして保存)、\n") +
               "COLLECTION にまだないものを末尾に追加します。\n"
               "COLLECTION があれば読み込み、なければ新しく作ります。\n"
               "書き込むのは、何か追加したときか COLLECTION がなかったときだけです。\n"
               "何かを書き込む前に、すべての FILE を確かめます。\n\n"
               "同じ COLLECTION を更新する linkhive-cli どうしは順番を待ちます。\n"
               "後の方は先の方が書き終えるのを待ち、新しい内容を読み込みます。\n"
               "その間に別のプログラムが COLLECTION を変えたときは、\n"
               "その内容のまま残します (終了コード 1)。\n\n"
               "  --yes          *.exe や *.com という名前のファイルも調べます\n"
               "  --backup KIND  元の COLLECTION を NAME.bak (bak) または\n"
               "                 NAME.~ext (tilde) として残します。既定は none\n"
               "  --encoding NAME  各 FILE の文字コード: auto (既定。BOM、なければ\n"
               "                 先頭が明らかに UTF-8、EUC-JP、ISO-2022-JP ならそれ、\n"
               "                 ほかは cp932)、cp932、utf-8、utf-16、euc-jp、iso-2022-jp\n"
               "  --https        https:// で始まるアドレスも探します (scan-urls)\n\n"
               "最後の行は、追加・検出・登録済み (重複)・1 MiB を超えて\n"
               "読み飛ばしたアドレスの数を示します。\n\n"
               "終了コード: 0 完了、1 ファイルのエラー (何も書き込みません)、\n"
               "2 使い方の誤り\n";
    }
    case Command::Rewrite:
        return "使い方: linkhive-cli rewrite SOURCE TARGET\n\n"
               "コレクション SOURCE を読み込み、プログラムと同じ形で\n"
               "TARGET に書き出します。\n\n"
               "終了コード: 0 完了、1 ファイルのエラー (何も書き込みません)、\n"
               "2 使い方の誤り\n";
    case Command::List:
        return "使い方: linkhive-cli list COLLECTION [--format tsv|json]\n\n"
               "レコードを UTF-8 で出力します。\n"
               "tsv: 1 行に 1 レコード。番号、名前、アドレス、アクセス日時、\n"
               "備考をタブで区切ります。セルの中のタブ、改行、復帰、\n"
               "バックスラッシュは \\t、\\n、\\r、\\\\ と書きます。\n"
               "json: キー no、name、address、access、remark を持つ\n"
               "オブジェクトの配列です。\n"
               "コードページ932 ではないバイトは U+FFFD で表示します\n"
               "(標準エラーに注意を出します)。\n\n"
               "終了コード: 0 完了、1 ファイルのエラー、2 使い方の誤り\n";
    case Command::Import:
        return "使い方: linkhive-cli import COLLECTION FILE [--format bookmarks|csv|json]\n"
               "                           [--keep-duplicates] [--backup none|bak|tilde]\n\n"
               "ブラウザーのブックマークファイル、CSV または JSON の FILE の\n"
               "レコードを COLLECTION の末尾に追加します。--format がなければ\n"
               "名前で決めます (.csv、.json、ほかはブックマーク)。\n"
               "COLLECTION にあるアドレスは、--keep-duplicates がない限り\n"
               "追加しません。コードページ932 にない文字は、アドレスでは %XX、\n"
               "名前と備考では「〓」にして、その数を知らせます。\n\n"
               "終了コード: 0 完了、1 ファイルのエラー (何も書き込みません)、\n"
               "2 使い方の誤り\n";
    case Command::Export:
        return "使い方: linkhive-cli export COLLECTION FILE --format bookmarks|csv|json\n\n"
               "COLLECTION のレコードを FILE に書き出します。\n"
               "bookmarks: ブラウザーが取り込めるブックマークファイル (UTF-8)。\n"
               "  コレクションのタイトルのフォルダーに全レコードが入ります。\n"
               "csv: 表計算ソフト用 (UTF-8、BOM 付き、見出し行あり)。\n"
               "json: list --format json と同じ形の配列です。\n\n"
               "終了コード: 0 完了、1 ファイルのエラー、2 使い方の誤り\n";
    case Command::Dedupe:
        return "使い方: linkhive-cli dedupe COLLECTION [--backup none|bak|tilde]\n\n"
               "アドレスが前のレコードと同じレコードを COLLECTION から削除し、\n"
               "それぞれのアドレスの最初のレコードを残します。英字の大文字と\n"
               "小文字の違いは同じとみなします。アドレスが空のレコードは残します。\n"
               "書き込むのは、何か削除したときだけです。\n\n"
               "終了コード: 0 完了、1 ファイルのエラー (何も書き込みません)、\n"
               "2 使い方の誤り\n";
    case Command::None:
        break;
    }
    return "使い方: linkhive-cli COMMAND ...\n\n"
           "コマンド:\n"
           "  scan-urls   COLLECTION FILE... [--yes] [--backup none|bak|tilde]\n"
           "  scan-emails COLLECTION FILE... [--yes] [--backup none|bak|tilde]\n"
           "  rewrite     SOURCE TARGET\n"
           "  list        COLLECTION [--format tsv|json]\n"
           "  import      COLLECTION FILE [--format bookmarks|csv|json]\n"
           "  export      COLLECTION FILE --format bookmarks|csv|json\n"
           "  dedupe      COLLECTION [--backup none|bak|tilde]\n\n"
           "各コマンドの説明は 'linkhive-cli COMMAND --help' で表示します。\n";
}

} // namespace

ParsedArgs ParseCliArgs(const std::vector<std::string>& words, Language language) {
    ParsedArgs parsed;
    CliArgs& a = parsed.args;
    if (words.empty())
        return Fail(Say(language, msg::kNoCommand));
    if (words[0] == "--help" || words[0] == "-h") {
        a.help = true;
        parsed.ok = true;
        return parsed;
    }
    const std::optional<Command> command = CommandNamed(words[0]);
    if (!command)
        return Fail(Say(language, msg::kUnknownCommand, {words[0]}));
    a.command = *command;

    bool optionsEnded = false;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (optionsEnded || w.size() < 2 || w[0] != '-') {
            // No shell expands "*.txt" on Windows; the system's pattern rules do it here.
            for (std::string& name : platform::ExpandWildcards(w))
                a.operands.push_back(std::move(name));
            continue;
        }
        if (w == "--") {
            optionsEnded = true;
            continue;
        }
        if (w == "--help" || w == "-h") {
            a.help = true;
            continue;
        }
        // "--name value" or "--name=value".
        std::string name = w;
        std::optional<std::string> value;
        if (const auto eq = w.find('='); eq != std::string::npos) {
            name = w.substr(0, eq);
            value = w.substr(eq + 1);
        }
        const auto takeValue = [&]() -> std::optional<std::string> {
            if (value)
                return value;
            if (i + 1 < words.size())
                return words[++i];
            return std::nullopt;
        };
        if (name == "--yes" && IsScan(a.command) && !value) {
            a.yes = true;
        } else if (name == "--format" && IsExchange(a.command)) {
            const std::optional<std::string> v = takeValue();
            if (v != "bookmarks" && v != "csv" && v != "json")
                return Fail(Say(language, msg::kExchangeFormatValues), a.command);
            a.exchangeFormat = *v;
        } else if (name == "--keep-duplicates" && a.command == Command::Import && !value) {
            a.keepDuplicates = true;
        } else if (name == "--backup" && (IsScan(a.command) || a.command == Command::Import ||
                                          a.command == Command::Dedupe)) {
            const std::optional<std::string> v = takeValue();
            if (v == "none")
                a.backup = BackupKind::None;
            else if (v == "bak")
                a.backup = BackupKind::Bak;
            else if (v == "tilde")
                a.backup = BackupKind::Tilde;
            else
                return Fail(Say(language, msg::kBackupValues), a.command);
        } else if (name == "--encoding" && IsScan(a.command)) {
            const std::optional<std::string> v = takeValue();
            const std::optional<EncodingChoice> choice = v ? EncodingChoiceNamed(*v) : std::nullopt;
            if (!choice)
                return Fail(Say(language, msg::kEncodingValues), a.command);
            a.scan.encoding = *choice;
        } else if (name == "--https" && IsScan(a.command) && !value) {
            a.scan.https = true;
        } else if (name == "--format" && a.command == Command::List) {
            const std::optional<std::string> v = takeValue();
            if (v == "tsv")
                a.format = ListFormat::Tsv;
            else if (v == "json")
                a.format = ListFormat::Json;
            else
                return Fail(Say(language, msg::kFormatValues), a.command);
        } else {
            return Fail(Say(language, msg::kUnknownOption, {w}), a.command);
        }
    }
    if (a.help) {
        parsed.ok = true;
        return parsed;
    }
    const std::size_t n = a.operands.size();
    switch (a.command) {
    case Command::ScanUrls:
    case Command::ScanEmails:
        if (n < 2)
            return Fail(Say(language, msg::kScanOperands), a.command);
        break;
    case Command::Rewrite:
        if (n != 2)
            return Fail(Say(language, msg::kRewriteOperands), a.command);
        break;
    case Command::List:
        if (n != 1)
            return Fail(Say(language, msg::kListOperands), a.command);
        break;
    case Command::Dedupe:
        if (n != 1)
            return Fail(Say(language, msg::kDedupeOperands), a.command);
        break;
    case Command::Import:
    case Command::Export:
        if (n != 2)
            return Fail(Say(language, msg::kExchangeOperands), a.command);
        if (a.command == Command::Export && a.exchangeFormat.empty())
            return Fail(Say(language, msg::kExchangeFormatValues), a.command);
        break;
    case Command::None:
        break;
    }
    parsed.ok = true;
    return parsed;
}

std::string UsageText(Command command, Language language) {
    if (language == Language::Japanese)
        return JapaneseUsageText(command);
    switch (command) {
    case Command::ScanUrls:
    case Command::ScanEmails: {
        const bool urls = command == Command::ScanUrls;
        return std::string("usage: linkhive-cli ") + (urls ? "scan-urls" : "scan-emails") +
               " COLLECTION FILE... [--yes] [--backup none|bak|tilde]\n"
               "       [--encoding NAME] [--https]\n\n" +
               (urls ? "Scans each FILE for http:// addresses"
                     : "Scans each FILE for e-mail addresses (stored as mailto: links)") +
               " and appends those COLLECTION\n"
               "does not hold yet at its end. COLLECTION is read when it exists, else a new\n"
               "collection is started; it is written only when something was added or when it\n"
               "did not exist. Every FILE is checked before anything is written.\n\n"
               "Companions updating the same COLLECTION take turns: a second one waits until\n"
               "the first has written it, then reads the new version. When another program\n"
               "changes COLLECTION meanwhile, it is left as that program wrote it (exit 1).\n\n"
               "  --yes          scan files named *.exe or *.com too\n"
               "  --backup KIND  keep the previous COLLECTION as NAME.bak (bak) or\n"
               "                 NAME.~ext (tilde); default none\n"
               "  --encoding NAME  read each FILE as auto (default: a byte order mark, else\n"
               "                 UTF-8, EUC-JP or ISO-2022-JP when the start of the file is\n"
               "                 plainly that, else cp932), cp932, utf-8, utf-16, euc-jp or\n"
               "                 iso-2022-jp\n"
               "  --https        also take addresses that begin with https:// (scan-urls)\n\n"
               "The summary line counts the addresses added, found, found again (duplicates)\n"
               "and passed over for being longer than 1 MiB.\n\n"
               "Exit status: 0 done, 1 file error (nothing written), 2 usage error.\n";
    }
    case Command::Rewrite:
        return "usage: linkhive-cli rewrite SOURCE TARGET\n\n"
               "Reads the collection SOURCE and writes it to TARGET as the program does.\n"
               "TARGET is not replaced when another program changes it meanwhile (exit 1).\n\n"
               "Exit status: 0 done, 1 file error (nothing written), 2 usage error.\n";
    case Command::List:
        return "usage: linkhive-cli list COLLECTION [--format tsv|json]\n\n"
               "Prints the records in UTF-8. tsv: one record a line, number, name, address,\n"
               "access time and remark separated by tabs; inside a cell a tab, line feed,\n"
               "carriage return or backslash is written \\t, \\n, \\r or \\\\, any other control\n"
               "character or DEL \\xHH (ESC is \\x1b), U+0080 to U+009F \\u0080 to \\u009f.\n"
               "json: an array of objects with the keys no, name, address, access and remark.\n"
               "Bytes that are not code page 932 show as U+FFFD (with a note on stderr).\n\n"
               "Exit status: 0 done, 1 file error, 2 usage error.\n";
    case Command::Import:
        return "usage: linkhive-cli import COLLECTION FILE [--format bookmarks|csv|json]\n"
               "                           [--keep-duplicates] [--backup none|bak|tilde]\n\n"
               "Appends the records of FILE, a browser bookmark file, CSV or JSON, at the end of\n"
               "COLLECTION. Without --format the name decides (.csv, .json, else bookmarks).\n"
               "Addresses COLLECTION holds already are skipped unless --keep-duplicates.\n"
               "Characters code page 932 cannot hold are percent-encoded in addresses and\n"
               "replaced by \"〓\" in names and remarks; the summary counts them.\n\n"
               "Exit status: 0 done, 1 file error (nothing written), 2 usage error.\n";
    case Command::Export:
        return "usage: linkhive-cli export COLLECTION FILE --format bookmarks|csv|json\n\n"
               "Writes the records of COLLECTION to FILE. bookmarks: a bookmark file browsers\n"
               "import (UTF-8), every record in one folder named after the collection's title.\n"
               "csv: for spreadsheets (UTF-8 with BOM, header row). json: an array as\n"
               "list --format json prints it.\n\n"
               "Exit status: 0 done, 1 file error, 2 usage error.\n";
    case Command::Dedupe:
        return "usage: linkhive-cli dedupe COLLECTION [--backup none|bak|tilde]\n\n"
               "Removes from COLLECTION every record whose address repeats that of an earlier\n"
               "record, keeping the first of each address. Letter case does not count; records\n"
               "with no address stay. COLLECTION is written only when something was removed.\n\n"
               "Exit status: 0 done, 1 file error (nothing written), 2 usage error.\n";
    case Command::None:
        break;
    }
    return "usage: linkhive-cli COMMAND ...\n\n"
           "Commands:\n"
           "  scan-urls   COLLECTION FILE... [--yes] [--backup none|bak|tilde]\n"
           "              [--encoding auto|cp932|utf-8|utf-16|euc-jp|iso-2022-jp] [--https]\n"
           "  scan-emails COLLECTION FILE... (the same options)\n"
           "  rewrite     SOURCE TARGET\n"
           "  list        COLLECTION [--format tsv|json]\n"
           "  import      COLLECTION FILE [--format bookmarks|csv|json]\n"
           "  export      COLLECTION FILE --format bookmarks|csv|json\n"
           "  dedupe      COLLECTION [--backup none|bak|tilde]\n\n"
           "'linkhive-cli COMMAND --help' describes a command.\n";
}

} // namespace lh::cli
