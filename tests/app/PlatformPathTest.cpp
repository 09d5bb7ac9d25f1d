#include "app/PlatformPath.h"

#include "TestEnvironment.h"
#include "app/QtFileChooser.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTimer>
#include <fstream>
#include <gtest/gtest.h>

using namespace lh;

namespace {

const std::string kSeparator(1, static_cast<char>(std::filesystem::path::preferred_separator));

// A folder with a Japanese name inside a scratch folder, and a collection in it.
struct JapaneseFolder {
    test::TempDir temp;
    std::string folder = temp.File("日本語");
    std::string file = folder + kSeparator + "テスト.htm";
    JapaneseFolder() {
        std::filesystem::create_directory(std::filesystem::u8path(folder));
        std::ofstream(std::filesystem::u8path(file)) << "<TITLE>t</TITLE>\r\n";
    }
};

// Accepts the file dialog as soon as it is shown, with `name` typed in.
void AcceptDialogWith(const QString& name) {
    QTimer::singleShot(0, [name] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && dialog->isVisible()) {
                dialog->selectFile(name);
                static_cast<QDialog*>(dialog)->accept(); // the file dialog hides its own
                return;
            }
        }
    });
}

} // namespace

TEST(PlatformPath, toolkitPathsTakeTheSystemSeparatorsAndKeepTheCharacters) {
    const QString toolkit = QStringLiteral("/資料/日本語/テスト.htm");
    const std::string platform = ToPlatformPath(toolkit);
    EXPECT_EQ(platform, QDir::toNativeSeparators(toolkit).toStdString());
    EXPECT_EQ(FromPlatformPath(platform), QDir::toNativeSeparators(toolkit));
    EXPECT_EQ(ToPlatformPath(FromPlatformPath(platform)), platform);
}

TEST(PlatformPath, argumentsTheToolkitLeftKeepThePlatformsWords) {
    char program[] = "linkhive", style[] = "-style", fusion[] = "fusion", name[] = "\x93\xfa.htm",
         other[] = "b.htm";
    struct Case {
        const char* label;
        std::vector<char*> left; // argv after the toolkit
        std::vector<std::string> words;
        std::vector<std::string> expected;
    };
    const std::vector<char*> original{program, style, fusion, name, other};
    const std::vector<std::string> words{"-style", "fusion", "日.htm", "b.htm"};
    const Case cases[] = {
        {"options taken out", {program, name, other}, words, {"日.htm", "b.htm"}},
        {"nothing taken", original, words, words},
        {"no words from the platform", {program, name}, {}, {"\x93\xfa.htm"}},
        {"no arguments", {program}, words, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<char*> argv = c.left;
        EXPECT_EQ(
            ArgumentsLeftByToolkit(original, c.words, static_cast<int>(argv.size()), argv.data()),
            c.expected);
    }
}

TEST(PlatformPath, fileChosenInAJapaneseFolderReachesTheLayerWhole) {
    JapaneseFolder japanese;
    QtFileChooser chooser;
    FileDialogRequest request;
    request.filter = "HTML|*.htm|すべて|*.*";
    request.initialDir = japanese.folder;

    AcceptDialogWith(FromPlatformPath(japanese.file));
    const auto opened = chooser.ChooseOpenFile(request);
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(opened->path, japanese.file);

    const std::string saved = japanese.folder + kSeparator + "保存.htm";
    AcceptDialogWith(QStringLiteral("保存.htm"));
    const auto chosen = chooser.ChooseSaveFile(request);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->path, saved);
}
