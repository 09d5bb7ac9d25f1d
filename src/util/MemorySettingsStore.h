#pragma once

// Settings held in memory only, for tests and tools that must not touch the user's store. Reads
// follow the registry's rules: names compare without regard to ASCII letter case, an integer
// reads only from an integer value and a text only from a text, and an empty text is missing.

#include "SettingsStore.h"

#include <map>
#include <string>
#include <variant>

namespace lh {

class MemorySettingsStore final : public SettingsStore {
public:
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t def) const override;
    bool WriteInteger(std::string_view section, std::string_view key, std::int32_t value) override;
    std::string ReadText(std::string_view section, std::string_view key,
                         const std::string& def) const override;
    bool WriteText(std::string_view section, std::string_view key, std::string_view value) override;
    std::string ReadPath(std::string_view section, std::string_view key,
                         const std::string& def) const override;
    bool WritePath(std::string_view section, std::string_view key, std::string_view value) override;
    bool HoldsAnySection() const override { return !m_values.empty(); }
    void BeginBatch() override;
    platform::StoreResult EndBatch() override;

    // The next outermost batch ends with `result`; anything but Saved drops its writes, as a
    // store that could not be replaced keeps its old content.
    void FailNextBatch(platform::StoreResult result) { m_nextBatchResult = result; }
    // How many values are stored.
    std::size_t Count() const noexcept { return m_values.size(); }

private:
    using Value = std::variant<std::int32_t, std::string>;
    using Values = std::map<std::string, Value>;

    static std::string NameOf(std::string_view section, std::string_view key);
    const Value* Find(std::string_view section, std::string_view key) const;

    Values m_values;
    Values m_beforeBatch;
    int m_batchDepth = 0;
    platform::StoreResult m_nextBatchResult = platform::StoreResult::Saved;
};

} // namespace lh
