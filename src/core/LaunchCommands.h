#pragma once

// Handing things to the outside world: an entry's address to the browser or mail program, the
// saved collection to the browser, the help document, the home-page files. Nothing here waits
// for or checks what the outside program does.

#include "Document.h"
#include "UserInterface.h"

#include <functional>
#include <string>
#include <vector>

namespace lh {

class LaunchCommands {
public:
    using Opener =
        std::function<bool(const std::string& target, const std::vector<std::string>& parameters)>;
    // Current local date and time as display text, for the access stamp.
    using TimeText = std::function<std::string()>;

    static constexpr const char* kHelpFileName = "Linkhive.html";
    static constexpr const char* kHelpOnHelpAnchor = "usehelp";
    static constexpr const char* kHomePageFile = "Tessella.htm";
    static constexpr const char* kHomeShortcutFile = "Tessella.url";

    // Tells whether the opener would start a target as a program (which is then asked about).
    using ProgramTest = std::function<bool(const std::string& target)>;

    // Defaults: the platform's default handler and program test, the user's short date and long
    // time. Without `messages` nobody can be asked, and no program is started from an address.
    explicit LaunchCommands(Document& document, Opener opener = {}, TimeText timeText = {},
                            MessageBoxService* messages = nullptr, ProgramTest isProgram = {});

    // Opens the address of `record` and stamps its access time; false when there is no address
    // (no such record, as for the entry row, or an empty one) and nothing happened. An address that
    // names a program is started only when the user says Yes to a question naming it and its
    // arguments; arguments that cannot be passed are asked about, never dropped silently.
    bool AccessRecord(TableStore::Row record);
    // Opens the saved collection when the change prompt lets the command go on (asking first
    // when the file is in fact a program).
    void OpenCollectionPage(const std::function<bool()>& changePrompt);
    void ShowHelpTopics();
    void ShowUserGuide();
    // The help document at `anchor` (a section id); an empty anchor opens it at the top.
    void ShowHelpSection(const std::string& anchor);
    void OpenHomePage();
    void OpenHomeShortcut();

    // The help document beside the program, or where an installation put it; empty if none.
    static std::string HelpFilePath();

private:
    bool Open(const std::string& target, const std::vector<std::string>& parameters = {});

    // Opens a target that may name a program, asking first as described at AccessRecord.
    void OpenAsked(const std::string& file, const std::vector<std::string>& parameters);
    bool Ask(const std::string& text, MessageStyle style);
    static std::string ProgramQuestion(const std::string& shownFile,
                                       const std::vector<std::string>& parameters);

    Document& m_document;
    Opener m_opener;
    TimeText m_timeText;
    MessageBoxService* m_messages;
    ProgramTest m_isProgram;
};

// The parameters as one line for a message: each one with a blank, a quote or nothing in it is
// put in double quotes, so the user sees where each begins and ends.
std::string ParametersForDisplay(const std::vector<std::string>& parameters);

// "file://" URL of a local path, with the characters a URL cannot hold percent-encoded.
std::string FileUrl(const std::string& path, const std::string& fragment = {});

} // namespace lh
