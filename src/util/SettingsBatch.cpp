#include "SettingsBatch.h"

namespace lh {

SettingsBatch::SettingsBatch() {
    platform::RegBeginGroup();
}

SettingsBatch::~SettingsBatch() {
    Finish();
}

platform::StoreResult SettingsBatch::Finish() {
    if (!m_open)
        return platform::StoreResult::Saved;
    m_open = false;
    return platform::RegEndGroup();
}

} // namespace lh
