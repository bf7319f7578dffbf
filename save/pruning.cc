#include "save/pruning.h"

#include <unordered_set>

#include "platform/platform.h"

namespace {

constexpr uint64_t kTicksPerHour = 36000000000ull;  // FILETIME counts 100 ns
constexpr uint64_t kBytesPerMB = 1048576;

// `a` / `b` rounded down, for negative `a` too (days before 1970).
int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

// Stores in `*day` the number of the local calendar day of `time`, counted
// from 1970-01-01 (day 0). Returns false when the time is unknown or has
// no local time.
bool localDayOf(uint64_t time, int64_t* day) {
  PlatformLocalTime local;
  if (time == 0 || platformLocalTimeOf(time, &local) != 1) return false;
  const int64_t year = local.year - (local.month <= 2 ? 1 : 0);
  const int64_t era = floorDiv(year, 400);
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * ((local.month + 9) % 12) + 2) / 5 + local.day - 1;  // from March 1
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  *day = era * 146097 + dayOfEra - 719468;
  return true;
}

// The number of the ISO week (Monday first) that holds `day`; 1970-01-01
// was a Thursday.
int64_t weekOf(int64_t day) { return floorDiv(day + 3, 7); }

// Each day is a period of its own.
int64_t sameDay(int64_t day) { return day; }

// Keeps, for each of the `periods` periods counting back from the save's
// (its own is period 1, and a time after the save counts in it), the
// newest backup whose local day falls in it; and every backup whose time
// is unknown. `days` holds each backup's local day, `known` whether it has one.
void keepOnePerPeriod(const std::vector<int64_t>& days, const std::vector<char>& known, int64_t saveDay,
                      int32_t periods, int64_t (*periodOf)(int64_t), std::vector<char>* kept) {
  std::unordered_set<int64_t> taken;
  const int64_t savePeriod = periodOf(saveDay);
  for (size_t i = days.size(); i-- > 0;) {
    if (!known[i]) {
      (*kept)[i] = 1;
      continue;
    }
    const int64_t period = periodOf(days[i]);
    if (savePeriod - period + 1 <= periods && taken.insert(period < savePeriod ? period : savePeriod).second)
      (*kept)[i] = 1;
  }
}

// Marks in `kept` what the day and week rules keep.
void keepByCalendar(const std::vector<BackupFacts>& series, const SaveProfile& profile, uint64_t saveTime,
                    std::vector<char>* kept) {
  if (profile.keepDays <= 0 && profile.keepWeeks <= 0) return;
  int64_t saveDay = 0;
  if (!localDayOf(saveTime, &saveDay)) {
    kept->assign(series.size(), 1);
    return;
  }
  std::vector<int64_t> days(series.size(), 0);
  std::vector<char> known(series.size(), 0);
  for (size_t i = 0; i < series.size(); ++i) known[i] = localDayOf(series[i].time, &days[i]) ? 1 : 0;
  if (profile.keepDays > 0) keepOnePerPeriod(days, known, saveDay, profile.keepDays, sameDay, kept);
  if (profile.keepWeeks > 0) keepOnePerPeriod(days, known, saveDay, profile.keepWeeks, weekOf, kept);
}

// Marks in `kept` what the count limit and the keep rules keep.
void keepByCountAndAge(const std::vector<BackupFacts>& series, const SaveProfile& profile, uint64_t saveTime,
                       std::vector<char>* kept) {
  const size_t n = series.size();
  if (profile.maxFiles == 0 && !profile.keepsByAge()) {
    kept->assign(n, 1);
    return;
  }
  const size_t counted = profile.maxFiles;
  for (size_t i = n > counted ? n - counted : 0; i < n; ++i) (*kept)[i] = 1;
  if (!profile.keepsByAge()) return;
  if (n > 0) (*kept)[n - 1] = 1;
  const uint64_t window = static_cast<uint64_t>(profile.keepHours > 0 ? profile.keepHours : 0) * kTicksPerHour;
  for (size_t i = 0; i < n; ++i) {
    const uint64_t time = series[i].time;
    if (time == 0 || time > saveTime || saveTime - time < window) (*kept)[i] = 1;
  }
  keepByCalendar(series, profile, saveTime, kept);
}

// Unmarks the oldest backups in `kept` until those kept, but the newest,
// take no more than the profile's cap.
void capSize(const std::vector<BackupFacts>& series, const SaveProfile& profile, std::vector<char>* kept) {
  if (profile.maxTotalMB <= 0) return;
  const uint64_t cap = static_cast<uint64_t>(profile.maxTotalMB) * kBytesPerMB;
  const size_t others = series.empty() ? 0 : series.size() - 1;
  uint64_t total = 0;
  for (size_t i = 0; i < others; ++i)
    if ((*kept)[i]) total += series[i].bytes;
  for (size_t i = 0; i < others && total > cap; ++i)
    if ((*kept)[i]) {
      (*kept)[i] = 0;
      total -= series[i].bytes;
    }
}

}  // namespace

void choosePrunes(const std::vector<BackupFacts>& series, const SaveProfile& profile, uint64_t saveTime,
                  std::vector<size_t>* doomed) {
  std::vector<char> kept(series.size(), 0);
  keepByCountAndAge(series, profile, saveTime, &kept);
  capSize(series, profile, &kept);
  for (size_t i = 0; i < series.size(); ++i)
    if (!kept[i]) doomed->push_back(i);
}
