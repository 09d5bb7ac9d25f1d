#include "platform/RegFile.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>

using namespace lh::platform;

namespace {

constexpr auto kCu = RootHive::CurrentUser;
constexpr const char* kOther = "\\Software\\Tessella\\Linkhive\\OtherSet";

std::string InOtherSet(const std::string& lines) {
    return "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tessella\\Linkhive\\OtherSet]\n" + lines;
}

} // namespace

TEST(RegFile, parse_readsEveryValueForm) {
    struct Case {
        const char* line;
        std::uint32_t type;
        std::string data;
    };
    const Case cases[] = {
        {"\"V\"=\"plain text\"", regtype::kSz, "plain text"},
        {"\"V\"=\"C:\\\\dir\\\\\"", regtype::kSz, "C:\\dir\\"},
        {"\"V\"=\"say \\\"hi\\\"\"", regtype::kSz, "say \"hi\""},
        {"\"V\"=\"\"", regtype::kSz, ""},
        {"\"V\"=\"名前\"", regtype::kSz, "名前"},
        {"\"V\"=dword:0000000a", regtype::kDword, std::string("\x0a\0\0\0", 4)},
        {"\"V\"=dword:FFFFFFFF", regtype::kDword, std::string("\xff\xff\xff\xff", 4)},
        {"\"V\"=dword:1", regtype::kDword, std::string("\x01\0\0\0", 4)},
        {"\"V\"=hex(2):25,00,41,00", regtype::kExpandSz, std::string("%\0A\0", 4)},
        {"\"V\"=hex:01,02,ff", regtype::kBinary, "\x01\x02\xff"},
        {"\"V\"=hex(b):", 11u, ""},
        {"\"V\"=hex(1):41,42,\\\n  43,00", regtype::kSz, std::string("ABC\0", 4)},
        {"\"V\" = \"spaced\"  ", regtype::kSz, "spaced"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const RegFile f = RegFile::Parse(InOtherSet(std::string(c.line) + "\n"));
        const RegValue* v = f.Find(kCu, kOther, "V");
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->type, c.type);
        EXPECT_EQ(v->data, c.data);
        EXPECT_FALSE(f.IsDamaged());
    }
}

TEST(RegFile, parse_acceptsCrLfBomUnnamedValueAndLocalMachine) {
    const RegFile f =
        RegFile::Parse("\xEF\xBB\xBFREGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\X]\r\n"
                       "@=\"unnamed\"\r\n\"N\"=dword:00000002\r\n");
    EXPECT_FALSE(f.IsDamaged());
    ASSERT_NE(f.Find(RootHive::LocalMachine, "\\Software\\X", ""), nullptr);
    EXPECT_EQ(f.Find(RootHive::LocalMachine, "\\Software\\X", "")->data, "unnamed");
    EXPECT_EQ(RegValueInteger(*f.Find(RootHive::LocalMachine, "Software\\X\\", "N")), 2);
    EXPECT_EQ(f.Find(kCu, "\\Software\\X", "N"), nullptr);
    EXPECT_EQ(f.Serialize().rfind("\xEF\xBB\xBFREGEDIT4\r\n", 0), 0u);
}

TEST(RegFile, find_ignoresLetterCaseAndTakesTheLastDuplicate) {
    const RegFile f =
        RegFile::Parse("REGEDIT4\n[hkey_current_user\\SOFTWARE\\tessella\\LINKHIVE\\otherset]\n"
                       "\"endmsg\"=dword:00000001\n"
                       "[HKEY_CURRENT_USER\\Software\\Tessella\\Linkhive\\OtherSet]\n"
                       "\"EndMsg\"=dword:00000002\n");
    const RegValue* v = f.Find(kCu, kOther, "EndMsg");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(RegValueInteger(*v), 2);
}

TEST(RegFile, damagedLines_areIgnoredOnReadAndKeptVerbatimOnWrite) {
    const std::string bad[] = {
        "\"A\"=dword:000000000001", // twelve digits
        "\"B\"=qword:1",
        "\"C\"=\"unterminated",
        "\"D\"=hex:1,zz",
        "\"E\"=hex(2:00",
        "\"F\"=\"x\" trailing",
        "not a value line at all",
        "\"G\"",
    };
    for (const std::string& line : bad) {
        SCOPED_TRACE(line);
        RegFile f = RegFile::Parse(InOtherSet(line + "\n\"Good\"=dword:00000007\n"));
        EXPECT_TRUE(f.IsDamaged());
        EXPECT_EQ(f.Find(kCu, kOther, "A"), nullptr);
        EXPECT_EQ(RegValueInteger(*f.Find(kCu, kOther, "Good")), 7);
        EXPECT_EQ(f.Set(kCu, kOther, "New", RegValue::Dword(1)), RegFile::SetResult::Changed);
        const std::string out = f.Serialize();
        EXPECT_NE(out.find("\n" + line + "\n"), std::string::npos) << out;
        EXPECT_NE(out.find("\"Good\"=dword:00000007\n"), std::string::npos);
    }
}

TEST(RegFile, damagedHeaderOrSection_keepsEverythingAndStillAddsValues) {
    const std::string original = "garbage first line\n[HKEY_CURRENT_USER\\Software\\Broken\n"
                                 "\"X\"=\"inside broken section\"\n" +
                                 std::string("\x01\x02\x00\xff\n", 5);
    RegFile f = RegFile::Parse(original);
    EXPECT_TRUE(f.IsDamaged());
    EXPECT_EQ(f.Find(kCu, "\\Software\\Broken", "X"), nullptr);
    EXPECT_EQ(f.Set(kCu, kOther, "EndMsg", RegValue::Dword(1)), RegFile::SetResult::Changed);
    const std::string out = f.Serialize();
    EXPECT_EQ(out.substr(0, 9 + original.size()), "REGEDIT4\n" + original);
    const RegFile back = RegFile::Parse(out);
    EXPECT_EQ(RegValueInteger(*back.Find(kCu, kOther, "EndMsg")), 1);
}

TEST(RegFile, set_replacesDamagedLineAndDuplicatesOfTheSameName) {
    RegFile f = RegFile::Parse(InOtherSet("\"EndMsg\"=\"1\"\n\"EndMsg\"=dword:000000000001\n"
                                          "\"Other\"=dword:00000003\n"));
    EXPECT_EQ(f.Set(kCu, kOther, "ENDMSG", RegValue::Dword(1)), RegFile::SetResult::Changed);
    EXPECT_EQ(f.Serialize(), InOtherSet("\"ENDMSG\"=dword:00000001\n\"Other\"=dword:00000003\n"));
}

TEST(RegFile, set_onEmptyFileWritesHeaderAndSection) {
    RegFile f = RegFile::Parse("");
    EXPECT_FALSE(f.IsDamaged());
    f.Set(kCu, kOther, "EndMsg", RegValue::Dword(10));
    f.Set(kCu, "\\Software\\Tessella\\Linkhive\\History", "EndFile", RegValue::Text("/a b/c.htm"));
    f.Set(kCu, kOther, "Later", RegValue::Dword(-1));
    EXPECT_EQ(f.Serialize(), "REGEDIT4\n"
                             "\n"
                             "[HKEY_CURRENT_USER\\Software\\Tessella\\Linkhive\\OtherSet]\n"
                             "\"EndMsg\"=dword:0000000a\n"
                             "\"Later\"=dword:ffffffff\n"
                             "\n"
                             "[HKEY_CURRENT_USER\\Software\\Tessella\\Linkhive\\History]\n"
                             "\"EndFile\"=\"/a b/c.htm\"\n");
}

TEST(RegFile, set_reportsUnchangedAndRefusesUnwritableNames) {
    RegFile f = RegFile::Parse(InOtherSet("\"EndMsg\"=dword:00000001\n"));
    EXPECT_EQ(f.Set(kCu, kOther, "EndMsg", RegValue::Dword(1)), RegFile::SetResult::Unchanged);
    EXPECT_EQ(f.Set(kCu, kOther, "Bad\nName", RegValue::Dword(1)), RegFile::SetResult::Refused);
    EXPECT_EQ(f.Set(kCu, "\\Software\\Bad\rKey", "N", RegValue::Dword(1)),
              RegFile::SetResult::Refused);
    EXPECT_EQ(f.Serialize(), InOtherSet("\"EndMsg\"=dword:00000001\n"));
}

TEST(RegFile, texts_roundTripAnyBytes) {
    const std::string texts[] = {
        "plain",
        "quote \" and backslash \\ and \\\\",
        "名前 in UTF-8",
        "\x93\xFA\x96\x7B\x8C\xEA", // cp932 bytes: not UTF-8
        "line\r\nbreak",
        "tab\there",
        "\xC0\xAF overlong",
        std::string(300, 'x') + "\x01",
        "name=\"x\"\n[HKEY_CURRENT_USER\\Injected]",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        RegFile f = RegFile::Parse("");
        f.Set(kCu, kOther, "T", RegValue::Text(text));
        f.Set(kCu, kOther, "Name \"quoted\" \\", RegValue::Text(text));
        const std::string out = f.Serialize();
        const RegFile back = RegFile::Parse(out);
        EXPECT_FALSE(back.IsDamaged()) << out;
        EXPECT_EQ(RegValueText(*back.Find(kCu, kOther, "T")), text);
        EXPECT_EQ(RegValueText(*back.Find(kCu, kOther, "Name \"quoted\" \\")), text);
        EXPECT_FALSE(back.HasSubKeys(kCu, kOther));
    }
}

TEST(RegFile, readRules_followTheRegistryTypes) {
    EXPECT_EQ(RegValueText({regtype::kExpandSz, std::string("%HOME%\\x\0", 9)}), "%HOME%\\x");
    EXPECT_EQ(RegValueText({regtype::kSz, std::string("cut\0here", 8)}), "cut");
    EXPECT_EQ(RegValueText({regtype::kSz, std::string("\0x", 2)}), std::nullopt);
    EXPECT_EQ(RegValueText(RegValue::Text("")), std::nullopt);
    EXPECT_EQ(RegValueText(RegValue::Dword(5)), std::nullopt);
    EXPECT_EQ(RegValueText({regtype::kBinary, "abc"}), std::nullopt);

    EXPECT_EQ(RegValueInteger(RegValue::Dword(-1)), -1);
    EXPECT_EQ(RegValueInteger(RegValue::Dword(INT32_MIN)), INT32_MIN);
    EXPECT_EQ(RegValueInteger(RegValue::Dword(0)), 0);
    EXPECT_EQ(RegValueInteger(RegValue::Text("5")), std::nullopt);
    EXPECT_EQ(RegValueInteger({regtype::kDword, "abc"}), std::nullopt);
    EXPECT_EQ(RegValueInteger({regtype::kBinary, "abcd"}), std::nullopt);
    EXPECT_EQ(RegValueInteger({5u, "abcd"}), std::nullopt); // big-endian DWORD is another type
}

TEST(RegFile, hasSubKeys_seesSectionsBelowTheKeyOnly) {
    const RegFile f = RegFile::Parse("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Tessella\\Linkhive]\n"
                                     "[HKEY_CURRENT_USER\\Software\\Tessella\\LinkhiveOld\\A]\n"
                                     "[HKEY_CLASSES_ROOT\\Software\\Other\\B]\n");
    struct Case {
        const char* path;
        bool expected;
    };
    const Case cases[] = {
        {"\\Software\\Tessella\\Linkhive", false},
        {"\\Software\\Tessella", true},
        {"\\Software\\Tessella\\", true},
        {"\\Software\\Other", false},
        {"\\Software\\Tessella\\LinkhiveOld", true},
        {"", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(f.HasSubKeys(kCu, c.path), c.expected) << c.path;
    EXPECT_FALSE(f.HasSubKeys(RootHive::LocalMachine, ""));
}

TEST(RegFile, longHexValues_wrapAndReadBack) {
    RegFile f = RegFile::Parse("");
    const std::string text(1000, '\x81');
    f.Set(kCu, kOther, "Long", RegValue::Text(text));
    const std::string out = f.Serialize();
    std::size_t longest = 0;
    for (std::size_t start = 0; start < out.size();) {
        const auto nl = out.find('\n', start);
        longest = std::max(longest, nl - start);
        start = nl + 1;
    }
    EXPECT_LE(longest, 80u);
    EXPECT_EQ(RegValueText(*RegFile::Parse(out).Find(kCu, kOther, "Long")), text);
}

TEST(RegFile, extraCarriageReturns_areBlanksAndRewritesKeepEveryLineByteForByte) {
    // CR CR LF: a CR LF file passed once more through a converter that adds a CR.
    const std::string original =
        "REGEDIT4\r\r\n\r\r\n[HKEY_CURRENT_USER\\Software\\Tessella\\Linkhive\\OtherSet]\r\r\n"
        "\"EndMsg\"=dword:00000001\r\r\n\"Name\"=\"x\"\r\r\n\"Blob\"=hex:01,\\\r\r\n  02\r\r\n"
        "; a comment\r\r\n";
    RegFile f = RegFile::Parse(original);
    EXPECT_FALSE(f.IsDamaged());
    EXPECT_EQ(RegValueInteger(*f.Find(kCu, kOther, "EndMsg")), 1);
    EXPECT_EQ(RegValueText(*f.Find(kCu, kOther, "Name")), "x");
    EXPECT_EQ(f.Find(kCu, kOther, "Blob")->data, "\x01\x02");
    EXPECT_EQ(f.Serialize(), original);

    // A new value takes the file's line end; every other line stays as it was, save after save.
    EXPECT_EQ(f.Set(kCu, kOther, "New", RegValue::Dword(2)), RegFile::SetResult::Changed);
    const std::string once = f.Serialize();
    EXPECT_NE(once.find("\"New\"=dword:00000002\r\n"), std::string::npos) << once;
    for (const char* kept : {"\"EndMsg\"=dword:00000001\r\r\n", "; a comment\r\r\n"})
        EXPECT_NE(once.find(kept), std::string::npos) << kept;
    RegFile again = RegFile::Parse(once);
    EXPECT_EQ(again.Set(kCu, kOther, "New", RegValue::Dword(2)), RegFile::SetResult::Unchanged);
    EXPECT_EQ(again.Serialize(), once);
    EXPECT_EQ(RegValueInteger(*again.Find(kCu, kOther, "EndMsg")), 1);
}

TEST(RegFile, danglingHexContinuation_doesNotSwallowTheNextValue) {
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"last line", InOtherSet("\"Blob\"=hex:01,02,\\")},
        {"last line with LF", InOtherSet("\"Blob\"=hex:01,02,\\\n")},
        {"before a blank line", InOtherSet("\"Blob\"=hex:01,02,\\\n\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegFile f = RegFile::Parse(c.text);
        EXPECT_EQ(f.Set(kCu, kOther, "Next", RegValue::Dword(5)), RegFile::SetResult::Changed);
        const RegFile back = RegFile::Parse(f.Serialize());
        ASSERT_NE(back.Find(kCu, kOther, "Next"), nullptr) << f.Serialize();
        EXPECT_EQ(RegValueInteger(*back.Find(kCu, kOther, "Next")), 5);
        EXPECT_NE(back.Serialize().find("\"Blob\"=hex:01,02,\\\n"), std::string::npos);
    }
    // What an earlier writer left: the value right under the dangling line is read again.
    const RegFile left =
        RegFile::Parse(InOtherSet("\"Blob\"=hex:01,\\\n\"Next\"=dword:00000005\n"));
    ASSERT_NE(left.Find(kCu, kOther, "Next"), nullptr);
    EXPECT_EQ(RegValueInteger(*left.Find(kCu, kOther, "Next")), 5);
}
