#include "MemorySettingsStore.h"

#include "Mbcs.h"

namespace lh {

std::string MemorySettingsStore::NameOf(std::string_view section, std::string_view key) {
    // A control character cannot stand in a section name, so the two parts never run together.
    std::string name = AsciiUpper(section);
    name += '\n';
    name += AsciiUpper(key);
    return name;
}

const MemorySettingsStore::Value* MemorySettingsStore::Find(std::string_view section,
                                                            std::string_view key) const {
    const auto it = m_values.find(NameOf(section, key));
    return it == m_values.end() ? nullptr : &it->second;
}

std::int32_t MemorySettingsStore::ReadInteger(std::string_view section, std::string_view key,
                                              std::int32_t def) const {
    const Value* v = Find(section, key);
    const std::int32_t* n = v ? std::get_if<std::int32_t>(v) : nullptr;
    return n ? *n : def;
}

bool MemorySettingsStore::WriteInteger(std::string_view section, std::string_view key,
                                       std::int32_t value) {
    m_values[NameOf(section, key)] = value;
    return true;
}

std::string MemorySettingsStore::ReadText(std::string_view section, std::string_view key,
                                          const std::string& def) const {
    const Value* v = Find(section, key);
    const std::string* text = v ? std::get_if<std::string>(v) : nullptr;
    return text && !text->empty() ? *text : def;
}

bool MemorySettingsStore::WriteText(std::string_view section, std::string_view key,
                                    std::string_view value) {
    m_values[NameOf(section, key)] = std::string(value);
    return true;
}

std::string MemorySettingsStore::ReadPath(std::string_view section, std::string_view key,
                                          const std::string& def) const {
    return ReadText(section, key, def);
}

bool MemorySettingsStore::WritePath(std::string_view section, std::string_view key,
                                    std::string_view value) {
    return WriteText(section, key, value);
}

void MemorySettingsStore::BeginBatch() {
    if (m_batchDepth++ == 0)
        m_beforeBatch = m_values;
}

platform::StoreResult MemorySettingsStore::EndBatch() {
    if (m_batchDepth == 0 || --m_batchDepth > 0)
        return platform::StoreResult::Saved;
    const platform::StoreResult result = m_nextBatchResult;
    m_nextBatchResult = platform::StoreResult::Saved;
    if (result != platform::StoreResult::Saved)
        m_values = std::move(m_beforeBatch);
    m_beforeBatch.clear();
    return result;
}

} // namespace lh
