#pragma once

// The companion speaks one language per run: Japanese under a Japanese locale, English
// otherwise. Every text it prints has both forms here, except the file-error texts, which the
// core keeps in both languages beside the program's own.

#include "core/IoError.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace lh::cli {

enum class Language { English, Japanese };

// The language of the messages from the locale variables, in the C library's order of
// precedence (LC_ALL, LC_MESSAGES, LANG): Japanese when the first one set begins with "ja";
// `unset` when none is set.
Language LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang,
                            Language unset = Language::English);
// The same from this process's variables; with none set, the user's display language where the
// system has one (Windows, where the variables are seldom set).
Language LanguageFromEnvironment();

MessageLanguage IoLanguage(Language language);

// A text in both languages.
struct Text {
    const char* english;
    const char* japanese;
};

const char* Say(Language language, const Text& text);

// The text with %1, %2, ... replaced by the arguments in order.
std::string Say(Language language, const Text& text, std::initializer_list<std::string> args);

namespace msg {

inline constexpr Text kNoCommand{"no command given", "コマンドが指定されていません"};
inline constexpr Text kUnknownCommand{"unknown command '%1'", "不明なコマンドです: '%1'"};
inline constexpr Text kUnknownOption{"unknown option '%1'", "不明なオプションです: '%1'"};
inline constexpr Text kBackupValues{"--backup takes none, bak or tilde",
                                    "--backup には none、bak、tilde のいずれかを指定してください"};
inline constexpr Text kEncodingValues{
    "--encoding takes auto, cp932, utf-8, utf-16, euc-jp or iso-2022-jp",
    "--encoding には auto、cp932、utf-8、utf-16、euc-jp、iso-2022-jp のいずれかを指定してください"};
inline constexpr Text kFormatValues{"--format takes tsv or json",
                                    "--format には tsv か json を指定してください"};
inline constexpr Text kScanOperands{"a collection and at least one file to scan are needed",
                                    "コレクションと、調べるファイルを 1 つ以上指定してください"};
inline constexpr Text kRewriteOperands{
    "rewrite takes a source and a target",
    "rewrite には読み込むファイルと書き出すファイルを指定してください"};
inline constexpr Text kExchangeFormatValues{
    "--format takes bookmarks, csv or json",
    "--format には bookmarks、csv、json のいずれかを指定してください"};
inline constexpr Text kExchangeOperands{"a collection and a file are needed",
                                        "コレクションとファイルを 1 つずつ指定してください"};
inline constexpr Text kDedupeOperands{"dedupe takes one collection",
                                      "dedupe にはコレクションを 1 つ指定してください"};
inline constexpr Text kDedupeResult{
    "%1 duplicate record(s) removed, %2 records in %3",
    "重複した %1 件のレコードを削除しました。%3 のレコードは %2 件"};
inline constexpr Text kListOperands{"list takes one collection",
                                    "list にはコレクションを 1 つ指定してください"};

inline constexpr Text kNotACollection{
    "%1: not a collection (no title line, no record line); nothing written",
    "%1: コレクションではありません (タイトル行もレコード行もありません)。何も書き込みません"};
inline constexpr Text kWaitingForWriter{"%1: waiting for another writer to finish",
                                        "%1: 他の書き込みが終わるのを待っています"};
inline constexpr Text kChangedOnDisk{
    "%1: changed by another program since it was read; not overwritten",
    "%1: 読み込んだ後に他のプログラムが変更しました。上書きしません"};
inline constexpr Text kMayBeProgram{
    "%1: may be a program; not scanned without --yes",
    "%1: プログラムの可能性があります。--yes を付けない限り調べません"};
inline constexpr Text kTooLongPassed{"%1: %2 address(es) longer than 1 MiB passed over",
                                     "%1: 1 MiB を超えるアドレス %2 件を読み飛ばしました"};
inline constexpr Text kLossyCells{
    "%1 cell(s) hold bytes that are not code page 932; shown as U+FFFD",
    "%1 個のセルにコードページ932 ではないバイトがあります。U+FFFD で表示しました"};
inline constexpr Text kCannotWriteListing{"cannot write the listing", "一覧を出力できません"};

inline constexpr Text kScanResult{
    "%1 added, %2 found, %3 duplicates, %4 too long, %5 records in %6",
    "%1 件追加、%2 件検出、%3 件は登録済み、%4 件は長すぎるため除外、%6 のレコードは %5 件"};
inline constexpr Text kReadAs{"%1: read as %2", "%1: %2 として読み込みました"};
inline constexpr Text kRewriteResult{"%1 records written to %2",
                                     "%2 に %1 件のレコードを書き出しました"};

inline constexpr Text kExportResult{"%1 records written to %2",
                                    "%2 に %1 件のレコードを書き出しました"};
inline constexpr Text kExportLossy{
    "%1 byte(s) that are not code page 932 written as U+FFFD",
    "コードページ932 として読めない %1 バイトを U+FFFD で書きました"};
inline constexpr Text kProgressImport{"Import", "取り込み"};
inline constexpr Text kProgressExport{"Export", "書き出し"};
inline constexpr Text kProgressOpen{"File Open", "読み込み"};
inline constexpr Text kProgressOverWrite{"Over Write", "上書き保存"};
inline constexpr Text kProgressNewWrite{"New Write", "新規保存"};
inline constexpr Text kProgressUrls{"URL Add", "URL 追加"};
inline constexpr Text kProgressEmails{"E-Mail Add", "E-Mail 追加"};

} // namespace msg

} // namespace lh::cli
