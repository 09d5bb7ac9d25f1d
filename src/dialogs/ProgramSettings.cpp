#include "ProgramSettings.h"

#include "core/UsageRecord.h"
#include "util/RegistrySettingsStore.h"

namespace lh {

SettingsStore& ProgramSettings() {
    static RegistrySettingsStore store;
    return store;
}

UsageRecord& ProcessUsageRecord() {
    static UsageRecord record(ProgramSettings());
    return record;
}

} // namespace lh
