#pragma once

// Many settings written as one change of the store: the values written while a batch is open
// reach the store together when it finishes, or none of them do. Reads inside the batch see its
// writes. For callers that write many values at once, such as the close of the main window.

#include "SettingsStore.h"

namespace lh {

class SettingsBatch {
public:
    explicit SettingsBatch(SettingsStore& store);
    // Finishes the batch when Finish was not called.
    ~SettingsBatch();
    SettingsBatch(const SettingsBatch&) = delete;
    SettingsBatch& operator=(const SettingsBatch&) = delete;

    // Stores what was written; later calls answer Saved and store nothing.
    platform::StoreResult Finish();

private:
    SettingsStore& m_store;
    bool m_open = true;
};

} // namespace lh
