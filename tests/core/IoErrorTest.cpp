#include "core/IoError.h"

#include "IoCodeOutput.h"

#include <gtest/gtest.h>

using namespace lh;

namespace {

// The texts users and the companion's callers see for each kind, byte for byte.
TEST(IoErrorText, eachKindKeepsItsTextInBothLanguages) {
    struct Case {
        IoCode code;
        const char* japanese;
        const char* english;
    };
    const Case cases[] = {
        {IoErrorKind::NotFound, "ﾌｧｲﾙが見つかりません", "file not found"},
        {IoErrorKind::BadName, "不正なﾌｧｲﾙ名です", "invalid file name"},
        {IoErrorKind::AccessDenied, "ﾌｧｲﾙへのｱｸｾｽが拒否されました", "access denied"},
        {IoErrorKind::ReadPastEnd, "ﾌｧｲﾙの末尾以降を読み込みました",
         "read past the end of the file"},
        {IoErrorKind::DiskFull, "ﾃﾞｨｽｸがいっぱいです", "disk full"},
        {IoErrorKind::CannotReplace, "ファイルのオープンに失敗しました。",
         "cannot open the file for writing"},
        {IoErrorKind::WriterBusy, "他のﾌﾟﾛｸﾞﾗﾑがﾌｧｲﾙを書き込み中です",
         "another program is writing the file"},
        // A system error without a kind of its own shows its number.
        {{IoErrorKind::Other, 1005}, "I/O ｴﾗｰ (1005)", "I/O error (1005)"},
        {{IoErrorKind::Other, 1392}, "I/O ｴﾗｰ (1392)", "I/O error (1392)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.code));
        EXPECT_EQ(IoErrorText(c.code), c.japanese);
        EXPECT_EQ(IoErrorText(c.code, MessageLanguage::English), c.english);
    }
}

TEST(IoErrorMessage, namesTheFileAboveTheText) {
    EXPECT_EQ(IoErrorMessage({IoErrorKind::NotFound, "/home/u/a.htm"}),
              "「/home/u/a.htm」\nﾌｧｲﾙが見つかりません");
    EXPECT_EQ(IoErrorMessage({IoErrorKind::DiskFull, ""}), "ﾃﾞｨｽｸがいっぱいです");
}

TEST(IoCode, comparesByKindAndSystemNumber) {
    EXPECT_FALSE(IoCode{});
    EXPECT_TRUE(IoCode{IoErrorKind::NotFound});
    EXPECT_EQ(IoCode(IoErrorKind::Other, 7), IoErrorKind::Other);
    EXPECT_NE(IoCode(IoErrorKind::Other, 7), IoCode(IoErrorKind::Other, 8));
}

} // namespace
