#pragma once

// The program's record of its own use in section "Setup": first start, number of starts, total
// running time and the last completed run.

#include <ctime>
#include <functional>
#include <string>
#include <string_view>

namespace lh {

class SettingsStore;

// A date-time as days since 30 December 1899 with the time of day as the fraction, the form the
// usage record's arithmetic has always used.
using DayTime = double;

DayTime ToDayTime(std::time_t t);
std::time_t FromDayTime(DayTime d);

// The user's short date, a blank and the long time; the time is left out at exactly midnight.
std::string DateTimeText(DayTime d);

// A number rounded to 15 significant digits without trailing zeros: fixed-point from 0.00001 up
// to 15 integer digits, scientific ("1.5E-6", "1E20") otherwise. `decimalSeparator` is the
// locale's.
std::string GeneralNumberFormat(double value, std::string_view decimalSeparator = ".");
// Parses what GeneralNumberFormat writes (either separator accepted); false when it is not a
// number, so a damaged value can count as missing.
bool ParseGeneralNumber(std::string_view text, double& out,
                        std::string_view decimalSeparator = ".");

class UsageRecord {
public:
    using Clock = std::function<DayTime()>;

    // The record lives in `settings`, which must outlive it. The clock defaults to the system's
    // local time.
    explicit UsageRecord(SettingsStore& settings, Clock clock = {});

    void RecordStart();
    void RecordExit();

    // The moment this instance recorded its start; 0 until then.
    DayTime StartTime() const noexcept { return m_startTime; }

private:
    DayTime Now() const;

    SettingsStore& m_settings;
    Clock m_clock;
    DayTime m_startTime = 0;
};

} // namespace lh
