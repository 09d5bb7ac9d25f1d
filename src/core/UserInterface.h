#pragma once

// The narrow ways in which core routines reach the user. The program implements them with Qt,
// the companion with the terminal, and tests with scripted answers.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lh {

// The buttons of a message box, in the order the platform places them.
enum class MessageButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class MessageIcon { None, Error, Question, Warning, Information };
// The button Enter presses, counted along MessageButtons.
enum class DefaultButton { First, Second, Third };
// The button that closed a message box.
enum class Answer { Ok, Cancel, Abort, Retry, Ignore, Yes, No };

struct MessageStyle {
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    DefaultButton defaultButton = DefaultButton::First;

    constexpr bool operator==(const MessageStyle&) const = default;
};

// The styles the program's messages use.
inline constexpr MessageStyle kErrorStyle{MessageButtons::Ok, MessageIcon::Error};
inline constexpr MessageStyle kWarningStyle{MessageButtons::Ok, MessageIcon::Warning};
inline constexpr MessageStyle kInformationStyle{MessageButtons::Ok, MessageIcon::Information};
inline constexpr MessageStyle kSavePromptStyle{MessageButtons::YesNoCancel, MessageIcon::Question};
inline constexpr MessageStyle kConfirmStyle{MessageButtons::YesNo, MessageIcon::Question};
inline constexpr MessageStyle kWarnYesNoStyle{MessageButtons::YesNo, MessageIcon::Warning};
// Starting something that may be a program: No is the default, so Enter starts nothing.
inline constexpr MessageStyle kProgramWarningStyle{MessageButtons::YesNo, MessageIcon::Question,
                                                   DefaultButton::Second};

// Caption used when a message box is given none.
inline constexpr const char* kApplicationTitle = "Linkhive for Windows";

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // text and caption are UTF-8; an empty caption shows kApplicationTitle.
    virtual Answer ShowMessageBox(const std::string& text, const std::string& caption,
                                  MessageStyle style) = 0;
};

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // max <= 0 means 1000. 64-bit so files beyond 2 GiB still move the display to its end.
    virtual void ProgressStart(std::int64_t max, const std::string& label) = 0;
    virtual void ProgressStep(std::int64_t amount) = 0;
    virtual void ProgressEnd() = 0;
};

class NullProgress final : public ProgressSink {
public:
    void ProgressStart(std::int64_t, const std::string&) override {}
    void ProgressStep(std::int64_t) override {}
    void ProgressEnd() override {}
};

class BusyCursor {
public:
    virtual ~BusyCursor() = default;
    virtual void Begin() = 0;
    virtual void End() = 0;
};

// Holds the busy cursor for a scope, so every way out (errors included) puts it back.
class BusyScope {
public:
    explicit BusyScope(BusyCursor* cursor) : m_cursor(cursor) {
        if (m_cursor)
            m_cursor->Begin();
    }
    ~BusyScope() {
        if (m_cursor)
            m_cursor->End();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    BusyCursor* m_cursor;
};

// A file dialog request and its answer.
struct FileDialogRequest {
    std::string title;   // UTF-8; empty for the dialog's default
    std::string filter;  // "Label|*.a;*.b|Label2|*.*" as the program writes it
    int filterIndex = 1; // 1-based
    std::string initialDir;
    std::string fileName; // preset name (full path or empty)
    bool showReadOnlyBox = false;
    bool mustExist = true;
};

struct FileDialogResult {
    std::string path;
    int filterIndex = 1; // the entry selected when the dialog closed
    bool readOnlyTicked = false;
};

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // Empty optional when cancelled; filterIndex still reports the last selection via `lastIndex`.
    virtual std::optional<FileDialogResult> ChooseOpenFile(const FileDialogRequest& request,
                                                           int* lastIndex = nullptr) = 0;
    virtual std::optional<FileDialogResult> ChooseSaveFile(const FileDialogRequest& request) = 0;
};

} // namespace lh
