#include "Portable.h"
#include "ScriptedUi.h"
#include "TestEnvironment.h"
#include "core/LaunchCommands.h"
#include "platform/FileSystem.h"
#include "util/Codec.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <utility>

using namespace lh;

namespace {

// The program beside this test that writes down the arguments it receives.
std::string Recorder() {
    return platform::JoinPath(platform::ProgramDir(), "linkhive_arg_recorder.exe");
}

// Opens the address of a one-record collection the way a double click does and returns what
// the started program received, one argument a line. `questions` answers the message boxes
// (a program is started only after a Yes); an unexpected box fails the test.
std::string ArgumentsReceived(const std::string& cellUtf8, const std::string& opener,
                              test::ScriptedMessageBox&& questions = {}) {
    test::TempDir dir;
    const std::string record = dir.File("args.txt");
    test::SetEnv("LINKHIVE_TEST_RECORD", record);
    if (!opener.empty())
        test::SetEnv("LINKHIVE_OPENER", opener);
    Document doc;
    doc.Table().AppendRecord("", *Utf8ToSjis(cellUtf8), "", "");
    LaunchCommands(doc, {}, {}, &questions).AccessRecord(0);
    EXPECT_TRUE(questions.AllAnswered());
    test::UnsetEnv("LINKHIVE_OPENER");
    // The shell starts the program and returns at once; its record appears when it is done.
    for (int i = 0; i < 600 && !platform::FileExists(record); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return test::ReadFileBytes(record);
}

// A cell in code page 932 reaches the program as the same characters, not as the UTF-8 bytes
// read in the system code page.
TEST(LaunchWindows, addressOutsideAsciiArrivesAsItsCharacters) {
    EXPECT_EQ(ArgumentsReceived("C:\\資料\\メモ.txt", Recorder()), "C:\\資料\\メモ.txt\n");
}

// A program path with arguments: each argument arrives on its own, a folder ending in "\" and
// a quoted name with a blank intact.
TEST(LaunchWindows, programArgumentsArriveOneByOne) {
    test::ScriptedMessageBox questions;
    questions.Answer(Answer::Yes);
    EXPECT_EQ(ArgumentsReceived(Recorder() + " -a -b C:\\out\\ \"C:\\my dir\\\"", {},
                                std::move(questions)),
              "-a\n-b\nC:\\out\\\nC:\\my dir\\\n");
}

} // namespace
