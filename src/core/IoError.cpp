#include "IoError.h"

#include "util/FileHelpers.h"

namespace lh {

std::string IoErrorText(int code) {
    switch (code) {
    case 2:
        return "ﾌｧｲﾙが見つかりません";
    case 3:
        return "不正なﾌｧｲﾙ名です";
    case 4:
        return "ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます";
    case 5:
        return "ﾌｧｲﾙへのｱｸｾｽが拒否されました";
    case 100:
        return "ﾌｧｲﾙの末尾以降を読み込みました";
    case 101:
        return "ﾃﾞｨｽｸがいっぱいです";
    case 106:
        return "入力値が数値ではありません";
    case kIoCannotReplace:
        return "ファイルのオープンに失敗しました。";
    case kIoLineTooLong:
        return "ﾌｧｲﾙの行が長すぎて読み込めません";
    case kIoIsFolder:
        return "ﾌｫﾙﾀﾞはﾌｧｲﾙとして開けません";
    case kIoNotRegularFile:
        return "通常のﾌｧｲﾙではないため開けません";
    case kIoChangedOnDisk:
        return "ﾌｧｲﾙは読み込んだ後に他のﾌﾟﾛｸﾞﾗﾑによって変更されています";
    case kIoDanglingLink:
        return "ﾘﾝｸ先のﾌｧｲﾙがありません";
    case kIoWriterBusy:
        return "他のﾌﾟﾛｸﾞﾗﾑがﾌｧｲﾙを書き込み中です";
    default:
        return "I/O ｴﾗｰ (" + std::to_string(code) + ")";
    }
}

std::string IoErrorMessage(const IoError& error) {
    if (error.path.empty())
        return IoErrorText(error.code);
    return "「" + PathForDisplay(error.path) + "」\n" + IoErrorText(error.code);
}

} // namespace lh
