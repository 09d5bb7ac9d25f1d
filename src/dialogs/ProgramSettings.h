#pragma once

// The program's one settings store (the user's registry) and its usage record, for the window
// and its dialogs. Core code never reaches these: it takes the store from its caller.

namespace lh {

class SettingsStore;
class UsageRecord;

SettingsStore& ProgramSettings();

// The process's usage record in ProgramSettings (the start-up records the start, the close
// records the exit).
UsageRecord& ProcessUsageRecord();

} // namespace lh
