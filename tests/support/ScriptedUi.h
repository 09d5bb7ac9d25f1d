#pragma once

// Scripted stand-ins for the user-facing interfaces, so core routines run in tests unchanged.

#include "core/UserInterface.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace lh::test {

// Answers message boxes from a queue and records every box shown.
class ScriptedMessageBox final : public MessageBoxService {
public:
    struct Shown {
        std::string text;
        std::string caption;
        MessageStyle style;
    };

    void Answer(lh::Answer answer) { m_answers.push_back(answer); }
    lh::Answer ShowMessageBox(const std::string& text, const std::string& caption,
                              MessageStyle style) override {
        m_shown.push_back({text, caption, style});
        if (m_answers.empty())
            throw std::logic_error("unexpected message box: " + text);
        const lh::Answer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    const std::vector<Shown>& shown() const { return m_shown; }
    bool AllAnswered() const { return m_answers.empty(); }

private:
    std::deque<lh::Answer> m_answers;
    std::vector<Shown> m_shown;
};

// Records progress calls.
class RecordingProgress final : public ProgressSink {
public:
    void ProgressStart(std::int64_t maximum, const std::string& text) override {
        ++starts;
        max = maximum;
        label = text;
        position = 0;
    }
    void ProgressStep(std::int64_t amount) override {
        ++steps;
        total += amount;
        position += amount;
    }
    void ProgressEnd() override { ++ends; }

    int starts = 0;
    int steps = 0;
    int ends = 0;
    std::int64_t max = 0;
    std::int64_t total = 0;
    std::int64_t position = 0;
    std::string label;
};

class CountingBusyCursor final : public BusyCursor {
public:
    void Begin() override { ++depth, ++begins; }
    void End() override { --depth; }
    int depth = 0;
    int begins = 0;
};

// Answers file dialogs from queues; an empty optional in the queue is a Cancel.
class ScriptedFileChooser final : public FileChooser {
public:
    void AnswerOpen(std::optional<FileDialogResult> r) { m_open.push_back(std::move(r)); }
    void AnswerSave(std::optional<FileDialogResult> r) { m_save.push_back(std::move(r)); }

    std::optional<FileDialogResult> ChooseOpenFile(const FileDialogRequest& request,
                                                   int* lastIndex) override {
        openRequests.push_back(request);
        if (m_open.empty())
            throw std::logic_error("unexpected open dialog");
        auto r = m_open.front();
        m_open.pop_front();
        if (lastIndex)
            *lastIndex = r ? r->filterIndex : request.filterIndex;
        return r;
    }
    std::optional<FileDialogResult> ChooseSaveFile(const FileDialogRequest& request) override {
        saveRequests.push_back(request);
        if (m_save.empty())
            throw std::logic_error("unexpected save dialog");
        auto r = m_save.front();
        m_save.pop_front();
        return r;
    }

    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;

private:
    std::deque<std::optional<FileDialogResult>> m_open;
    std::deque<std::optional<FileDialogResult>> m_save;
};

} // namespace lh::test
