#include "SettingsBatch.h"

namespace lh {

SettingsBatch::SettingsBatch(SettingsStore& store) : m_store(store) {
    m_store.BeginBatch();
}

SettingsBatch::~SettingsBatch() {
    Finish();
}

platform::StoreResult SettingsBatch::Finish() {
    if (!m_open)
        return platform::StoreResult::Saved;
    m_open = false;
    return m_store.EndBatch();
}

} // namespace lh
