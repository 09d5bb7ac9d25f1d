#include "IoError.h"

#include "util/FileHelpers.h"

namespace lh {

namespace {

struct IoErrorTexts {
    int code;
    const char* japanese;
    const char* english;
};

// Both languages side by side, so a code never has a text in one and not the other.
constexpr IoErrorTexts kTexts[] = {
    {2, "ﾌｧｲﾙが見つかりません", "file not found"},
    {3, "不正なﾌｧｲﾙ名です", "invalid file name"},
    {4, "ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます", "too many open files"},
    {5, "ﾌｧｲﾙへのｱｸｾｽが拒否されました", "access denied"},
    {100, "ﾌｧｲﾙの末尾以降を読み込みました", "read past the end of the file"},
    {101, "ﾃﾞｨｽｸがいっぱいです", "disk full"},
    {106, "入力値が数値ではありません", "input is not a number"},
    {kIoCannotReplace, "ファイルのオープンに失敗しました。", "cannot open the file for writing"},
    {kIoLineTooLong, "ﾌｧｲﾙの行が長すぎて読み込めません", "a line of the file is too long to read"},
    {kIoIsFolder, "ﾌｫﾙﾀﾞはﾌｧｲﾙとして開けません", "is a folder, not a file"},
    {kIoNotRegularFile, "通常のﾌｧｲﾙではないため開けません", "not a regular file"},
    {kIoChangedOnDisk, "ﾌｧｲﾙは読み込んだ後に他のﾌﾟﾛｸﾞﾗﾑによって変更されています",
     "changed by another program since it was read"},
    {kIoDanglingLink, "ﾘﾝｸ先のﾌｧｲﾙがありません", "the link leads to no file"},
    {kIoWriterBusy, "他のﾌﾟﾛｸﾞﾗﾑがﾌｧｲﾙを書き込み中です", "another program is writing the file"},
    {kIoFileTooLarge, "ﾌｧｲﾙが大きすぎて取り込めません", "the file is too large to import"},
    {kIoNotThisFormat, "ﾌｧｲﾙの形式が正しくありません", "the file is not in the expected format"},
};

} // namespace

std::string IoErrorText(int code, MessageLanguage language) {
    const bool english = language == MessageLanguage::English;
    for (const IoErrorTexts& t : kTexts)
        if (t.code == code)
            return english ? t.english : t.japanese;
    return (english ? "I/O error (" : "I/O ｴﾗｰ (") + std::to_string(code) + ")";
}

std::string IoErrorMessage(const IoError& error) {
    if (error.path.empty())
        return IoErrorText(error.code);
    return "「" + PathForDisplay(error.path) + "」\n" + IoErrorText(error.code);
}

} // namespace lh
