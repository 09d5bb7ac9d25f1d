#pragma once

// The narrow ways in which core routines reach the user. The program implements them with Qt,
// the companion with the terminal, and tests with scripted answers.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lh {

// Message-box styles (platform flag sets) and results.
namespace mb {
constexpr int kOk = 0x0;
constexpr int kOkCancel = 0x1;
constexpr int kYesNoCancel = 0x3;
constexpr int kYesNo = 0x4;
constexpr int kIconHand = 0x10;
constexpr int kIconQuestion = 0x20;
constexpr int kIconExclamation = 0x30;
constexpr int kIconAsterisk = 0x40;
constexpr int kDefButton2 = 0x100;
constexpr int kDefButton3 = 0x200;

constexpr int kStyleError = kOk | kIconHand;                               // 16
constexpr int kStyleSavePrompt = kYesNoCancel | kIconQuestion;             // 35
constexpr int kStyleConfirm = kYesNo | kIconQuestion;                      // 36
constexpr int kStyleWarnYesNo = kYesNo | kIconExclamation;                 // 52
constexpr int kStyleProgramWarning = kYesNo | kIconQuestion | kDefButton2; // 292

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;
} // namespace mb

// Caption used when a message box is given none.
inline constexpr const char* kApplicationTitle = "Linkhive for Windows";

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // text and caption are UTF-8; an empty caption shows kApplicationTitle. Returns mb::kId*.
    virtual int ShowMessageBox(const std::string& text, const std::string& caption, int style) = 0;
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
