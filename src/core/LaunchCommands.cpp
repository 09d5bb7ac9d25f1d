#include "LaunchCommands.h"

#include "PathText.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/Opener.h"
#include "util/Codec.h"
#include "util/FileHelpers.h"

#include <ctime>
#include <optional>

namespace lh {

namespace {
std::string CurrentTimeText() {
    return platform::ShortDateLongTime(std::time(nullptr));
}

std::string AsciiTimeText() {
    const std::tm tm = platform::LocalTime(std::time(nullptr));
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y/%m/%d %H:%M:%S", &tm);
    return buf;
}
} // namespace

LaunchCommands::LaunchCommands(Document& document, Opener opener, TimeText timeText,
                               MessageBoxService* messages, ProgramTest isProgram)
    : m_document(document), m_opener(std::move(opener)), m_timeText(std::move(timeText)),
      m_messages(messages), m_isProgram(std::move(isProgram)) {
    if (!m_opener)
        m_opener = [](const std::string& target, const std::vector<std::string>& parameters) {
            return platform::OpenWithDefaultHandler(target, parameters);
        };
    if (!m_timeText)
        m_timeText = CurrentTimeText;
    if (!m_isProgram)
        m_isProgram = [](const std::string& target) { return platform::StartsAsProgram(target); };
}

bool LaunchCommands::Open(const std::string& target, const std::vector<std::string>& parameters) {
    // An opener reads a leading '-' as one of its options; as a relative path it is none.
    if (!target.empty() && target.front() == '-')
        return m_opener("./" + target, parameters);
    return m_opener(target, parameters);
}

bool LaunchCommands::Ask(const std::string& text, MessageStyle style) {
    return m_messages && m_messages->ShowMessageBox(text, kApplicationTitle, style) == Answer::Yes;
}

std::string LaunchCommands::ProgramQuestion(const std::string& shownFile,
                                            const std::vector<std::string>& parameters) {
    const std::string shownArgs = parameters.empty() ? "なし" : ParametersForDisplay(parameters);
    return "「" + shownFile + "」\nプログラムを起動します。\n引数: " + shownArgs +
           "\n起動しますか？";
}

void LaunchCommands::OpenAsked(const std::string& file,
                               const std::vector<std::string>& parameters) {
    if (m_isProgram(file)) {
        // A collection may come from anyone; its addresses must not run programs unasked.
        if (!Ask(ProgramQuestion(file, parameters), kProgramWarningStyle))
            return;
        if (!Open(file, parameters) && !parameters.empty() && m_messages)
            m_messages->ShowMessageBox("「" + file + "」\nを引数付きで起動できませんでした。",
                                       kApplicationTitle, kErrorStyle);
        return;
    }
    if (parameters.empty()) {
        Open(file);
        return;
    }
    // A document handler takes the file alone: the user decides whether it opens without them.
    if (Ask("「" + file + "」\nプログラムではないため、引数を渡せません。\n引数: " +
                ParametersForDisplay(parameters) + "\n引数なしで開きますか？",
            kProgramWarningStyle))
        Open(file);
}

bool LaunchCommands::AccessRecord(TableStore::Row record) {
    TableStore& table = m_document.Table();
    if (record < 0 || record >= table.RecordCount())
        return false;
    const std::string_view cell = table.Text(record, TableStore::kAddress);
    if (cell.empty())
        return false;
    // Cells are cp932; the desktop takes UTF-8. A cell that does not decode is passed as well as
    // it can be shown, since the stamp below happens whatever the handler makes of it.
    const std::string address = SjisToUtf8(cell).value_or(SjisToUtf8Lossy(cell));
    if (platform::IsAbsolutePath(address)) {
        // A path on disk, possibly a program followed by its arguments.
        const CommandLineParts parts = SplitCommandLine(address);
        OpenAsked(parts.file, platform::SplitParameters(parts.parameters));
    } else {
        OpenAsked(address, {});
    }
    // A locale whose date text cp932 cannot hold still gets a readable stamp, never an empty one
    // over the previous access time.
    const std::optional<std::string> stamp = Utf8ToSjis(m_timeText());
    table.SetText(record, TableStore::kAccess, stamp ? *stamp : AsciiTimeText());
    m_document.MarkModified();
    return true;
}

void LaunchCommands::OpenCollectionPage(const std::function<bool()>& changePrompt) {
    if (changePrompt && !changePrompt())
        return;
    const std::string& file = m_document.CurrentFile();
    if (PathCharLength(file) <= 3)
        return;
    if (m_isProgram(file) && !Ask(ProgramQuestion(PathForDisplay(file), {}), kProgramWarningStyle))
        return;
    Open(file);
}

std::string LaunchCommands::HelpFilePath() {
    const std::string dir = platform::ProgramDir();
    const std::string beside = platform::JoinPath(dir, kHelpFileName);
    if (platform::IsRegularFile(beside))
        return beside;
    const std::string installed = platform::JoinPath(
        platform::DirectoryPart(dir), std::string("share/doc/linkhive/") + kHelpFileName);
    if (platform::IsRegularFile(installed))
        return installed;
    return {};
}

void LaunchCommands::ShowHelpTopics() {
    ShowHelpSection({});
}

void LaunchCommands::ShowUserGuide() {
    ShowHelpSection(kHelpOnHelpAnchor);
}

void LaunchCommands::ShowHelpSection(const std::string& anchor) {
    const std::string help = HelpFilePath();
    if (!help.empty())
        Open(FileUrl(help, anchor));
}

void LaunchCommands::OpenHomePage() {
    Open(platform::JoinPath(platform::ProgramDir(), kHomePageFile));
}

void LaunchCommands::OpenHomeShortcut() {
    Open(platform::JoinPath(platform::ProgramDir(), kHomeShortcutFile));
}

std::string ParametersForDisplay(const std::vector<std::string>& parameters) {
    std::string out;
    for (const std::string& p : parameters) {
        if (!out.empty())
            out += ' ';
        if (p.empty() || p.find_first_of(" \t\"") != std::string::npos)
            out += "\"" + p + "\"";
        else
            out += p;
    }
    return out;
}

std::string FileUrl(const std::string& path, const std::string& fragment) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    // A URL's path is separated by "/" whatever the system's separator; a drive path
    // ("C:\x") is a local path like "/x" ("file:///C:/x") and a share ("\\host\x") names its
    // host ("file://host/x"). Where "/" is the separator, a "\" is a character of the name.
    const char separator = platform::PathSeparator();
    const bool drive = separator != '/' && path.size() >= 2 && path[1] == ':';
    std::string_view rest = path;
    std::string url = "file://";
    if (drive)
        url += '/';
    else if (separator != '/' && rest.size() >= 2 && rest[0] == separator && rest[1] == separator)
        rest.remove_prefix(2);
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const char ch = rest[i];
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '/' || c == '-' || c == '_' || c == '.' ||
                           c == '~' || (drive && i == 1);
        if (ch == separator) {
            url += '/';
        } else if (plain) {
            url += ch;
        } else {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 0x0F];
        }
    }
    if (!fragment.empty())
        url += "#" + fragment;
    return url;
}

} // namespace lh
