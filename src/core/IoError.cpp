#include "IoError.h"

#include "util/FileHelpers.h"

namespace lh {

namespace {

struct IoErrorTexts {
    IoErrorKind kind;
    const char* japanese;
    const char* english;
};

// Both languages side by side, so a kind never has a text in one and not the other. Every kind
// but None and Other has one.
constexpr IoErrorTexts kTexts[] = {
    {IoErrorKind::NotFound, "ﾌｧｲﾙが見つかりません", "file not found"},
    {IoErrorKind::BadName, "不正なﾌｧｲﾙ名です", "invalid file name"},
    {IoErrorKind::TooManyOpenFiles, "ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます", "too many open files"},
    {IoErrorKind::AccessDenied, "ﾌｧｲﾙへのｱｸｾｽが拒否されました", "access denied"},
    {IoErrorKind::ReadPastEnd, "ﾌｧｲﾙの末尾以降を読み込みました", "read past the end of the file"},
    {IoErrorKind::DiskFull, "ﾃﾞｨｽｸがいっぱいです", "disk full"},
    {IoErrorKind::NotANumber, "入力値が数値ではありません", "input is not a number"},
    {IoErrorKind::CannotReplace, "ファイルのオープンに失敗しました。",
     "cannot open the file for writing"},
    {IoErrorKind::LineTooLong, "ﾌｧｲﾙの行が長すぎて読み込めません",
     "a line of the file is too long to read"},
    {IoErrorKind::IsFolder, "ﾌｫﾙﾀﾞはﾌｧｲﾙとして開けません", "is a folder, not a file"},
    {IoErrorKind::NotRegularFile, "通常のﾌｧｲﾙではないため開けません", "not a regular file"},
    {IoErrorKind::ChangedOnDisk, "ﾌｧｲﾙは読み込んだ後に他のﾌﾟﾛｸﾞﾗﾑによって変更されています",
     "changed by another program since it was read"},
    {IoErrorKind::DanglingLink, "ﾘﾝｸ先のﾌｧｲﾙがありません", "the link leads to no file"},
    {IoErrorKind::WriterBusy, "他のﾌﾟﾛｸﾞﾗﾑがﾌｧｲﾙを書き込み中です",
     "another program is writing the file"},
    {IoErrorKind::FileTooLarge, "ﾌｧｲﾙが大きすぎて取り込めません",
     "the file is too large to import"},
    {IoErrorKind::NotThisFormat, "ﾌｧｲﾙの形式が正しくありません",
     "the file is not in the expected format"},
};

} // namespace

std::string IoErrorText(IoCode code, MessageLanguage language) {
    const bool english = language == MessageLanguage::English;
    for (const IoErrorTexts& t : kTexts)
        if (t.kind == code.kind)
            return english ? t.english : t.japanese;
    return (english ? "I/O error (" : "I/O ｴﾗｰ (") +
           std::to_string(code.kind == IoErrorKind::Other ? code.systemCode : 0) + ")";
}

std::string IoErrorMessage(const IoError& error) {
    if (error.path.empty())
        return IoErrorText(error.code);
    return "「" + PathForDisplay(error.path) + "」\n" + IoErrorText(error.code);
}

} // namespace lh
