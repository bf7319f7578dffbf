// Which backups pruning lets go under the count limit, the keep rules and
// the size cap, in a time zone with daylight saving (Berlin: clocks go
// forward on 2026-03-29 at 02:00, back on 2026-10-25 at 03:00).
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include <string>
#include <vector>

#include "backups/save_profile.h"
#include "save/pruning.h"

namespace qktest {
namespace {

constexpr uint64_t kKB = 1024;

// Runs the test body in the Berlin time zone, then restores the one before.
class BerlinTime {
 public:
  BerlinTime() {
    const char* saved = getenv("TZ");
    hadZone_ = saved != nullptr;
    if (hadZone_) previous_ = saved;
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
  }
  ~BerlinTime() {
    hadZone_ ? setenv("TZ", previous_.c_str(), 1) : unsetenv("TZ");
    tzset();
  }

 private:
  bool hadZone_ = false;
  std::string previous_;
};

// The FILETIME of the local time "2026-06-10 12:00"; 0 for null.
uint64_t at(const char* local) {
  if (local == nullptr) return 0;
  struct tm parts = {};
  if (sscanf(local, "%d-%d-%d %d:%d", &parts.tm_year, &parts.tm_mon, &parts.tm_mday, &parts.tm_hour,
             &parts.tm_min) != 5)
    ADD_FAILURE() << "bad time " << local;
  parts.tm_year -= 1900;
  parts.tm_mon -= 1;
  parts.tm_isdst = -1;
  return (static_cast<uint64_t>(mktime(&parts)) + 11644473600ull) * 10000000ull;
}

struct Backup {
  int32_t number;
  const char* time;  // local; null: cannot be read
  uint64_t bytes;
};

struct Rules {
  uint32_t maxFiles;
  int32_t hours, days, weeks, capMB;
};

struct Row {
  const char* label;
  Rules rules;
  const char* save;
  std::vector<Backup> series;  // oldest first; the last is the newest
  std::vector<int32_t> gone;
};

TEST(PruningTest, EachRuleAloneTogetherAndWithTheCountLimit) {
  BerlinTime zone;
  const std::vector<Row> rows = {
      {"hours: younger than the window stays, its edge goes", {0, 2, 0, 0, 0}, "2026-06-10 12:00",
       {{1, "2026-06-10 09:59", 1}, {2, "2026-06-10 10:00", 1}, {3, "2026-06-10 10:01", 1}, {4, "2026-06-10 11:00", 1}},
       {1, 2}},
      {"hours in real time across the spring change", {0, 3, 0, 0, 0}, "2026-03-29 04:00",
       {{1, "2026-03-29 00:30", 1}, {2, "2026-03-29 03:30", 1}}, {}},
      {"days: the newest of each day in the window", {0, 0, 2, 0, 0}, "2026-06-10 12:00",
       {{1, "2026-06-08 10:00", 1}, {2, "2026-06-09 09:00", 1}, {3, "2026-06-09 18:00", 1},
        {4, "2026-06-10 08:00", 1}, {5, "2026-06-10 11:00", 1}},
       {1, 2, 4}},
      {"days without backups still count", {0, 0, 3, 0, 0}, "2026-06-10 12:00",
       {{1, "2026-06-07 10:00", 1}, {2, "2026-06-08 10:00", 1}, {3, "2026-06-10 10:00", 1}}, {1}},
      {"newest of a day is by number, not by time", {0, 0, 1, 0, 0}, "2026-06-10 12:00",
       {{1, "2026-06-09 10:00", 1}, {2, "2026-06-09 09:00", 1}, {3, "2026-06-10 10:00", 1}}, {1, 2}},
      {"weeks begin on Monday", {0, 0, 0, 2, 0}, "2026-06-10 12:00",
       {{1, "2026-05-31 20:00", 1}, {2, "2026-06-01 08:00", 1}, {3, "2026-06-07 23:00", 1},
        {4, "2026-06-08 01:00", 1}},
       {1, 2}},
      {"weeks across a new year (ISO week 1 of 2027 holds 2026-12-28)", {0, 0, 0, 1, 0}, "2027-01-03 12:00",
       {{1, "2026-12-27 12:00", 1}, {2, "2026-12-28 12:00", 1}, {3, "2027-01-02 12:00", 1}}, {1, 2}},
      {"day of the spring change by its own offset", {0, 0, 2, 0, 0}, "2026-03-30 12:00",
       {{1, "2026-03-28 23:30", 1}, {2, "2026-03-30 09:00", 1}}, {1}},
      {"day of the autumn change by its own offset", {0, 0, 2, 0, 0}, "2026-10-26 12:00",
       {{1, "2026-10-25 00:30", 1}, {2, "2026-10-26 09:00", 1}}, {}},
      {"a time that cannot be read is kept", {0, 0, 1, 0, 0}, "2026-06-10 12:00",
       {{1, nullptr, 1}, {2, "2026-06-01 10:00", 1}, {3, "2026-06-10 10:00", 1}}, {2}},
      {"the newest stays however old", {0, 1, 0, 0, 0}, "2026-06-10 12:00",
       {{1, "2026-06-01 10:00", 1}, {2, "2026-06-02 10:00", 1}}, {1}},
      {"a save whose day cannot be told keeps all by days", {0, 0, 1, 0, 0}, nullptr,
       {{1, "2026-06-01 10:00", 1}, {2, "2026-06-02 10:00", 1}}, {}},
      {"count limit keeps at least the newest N", {3, 0, 1, 0, 0}, "2026-06-10 12:00",
       {{1, "2026-06-01 10:00", 1}, {2, "2026-06-02 10:00", 1}, {3, "2026-06-03 10:00", 1},
        {4, "2026-06-04 10:00", 1}, {5, "2026-06-05 10:00", 1}},
       {1, 2}},
      {"count limit is no cap with keep rules", {2, 24, 0, 0, 0}, "2026-06-10 12:00",
       {{1, "2026-06-10 10:00", 1}, {2, "2026-06-10 10:10", 1}, {3, "2026-06-10 10:20", 1},
        {4, "2026-06-10 10:30", 1}},
       {}},
      {"no count limit keeps nothing by itself", {0, 1, 0, 0, 0}, "2026-06-10 12:00",
       {{1, "2026-06-10 10:00", 1}, {2, "2026-06-10 11:30", 1}, {3, "2026-06-10 11:40", 1}}, {1}},
      {"weeks with the count limit", {2, 0, 0, 1, 0}, "2026-06-10 12:00",
       {{1, "2026-06-08 10:00", 1}, {2, "2026-06-09 10:00", 1}, {3, "2026-06-01 10:00", 1}, {4, "2026-06-02 10:00", 1},
        {5, "2026-06-03 10:00", 1}},
       {1, 3}},
      {"hours, days and weeks each keep their own", {0, 1, 2, 2, 0}, "2026-06-10 12:00",
       {{1, "2026-05-25 10:00", 1}, {2, "2026-06-02 10:00", 1}, {3, "2026-06-05 10:00", 1},
        {4, "2026-06-09 09:00", 1}, {5, "2026-06-09 10:00", 1}, {6, "2026-06-10 10:00", 1},
        {7, "2026-06-10 11:30", 1}, {8, "2026-06-10 11:40", 1}},
       {1, 2, 4, 6}},
      {"cap: all but the newest fit, oldest go first", {0, 0, 0, 0, 1}, "2026-06-10 12:00",
       {{1, "2026-06-10 09:00", 400 * kKB}, {2, "2026-06-10 10:00", 400 * kKB}, {3, "2026-06-10 11:00", 400 * kKB},
        {4, "2026-06-10 11:30", 400 * kKB}},
       {1}},
      {"cap of exactly 1,048,576 bytes fits", {0, 0, 0, 0, 1}, "2026-06-10 12:00",
       {{1, "2026-06-10 09:00", 524288}, {2, "2026-06-10 10:00", 524288}, {3, "2026-06-10 11:00", 5}}, {}},
      {"cap: the newest alone exceeds it and stays", {0, 0, 0, 0, 1}, "2026-06-10 12:00",
       {{1, "2026-06-10 09:00", 2048 * kKB}, {2, "2026-06-10 10:00", 5120 * kKB}}, {1}},
      {"cap after the count limit", {3, 0, 0, 0, 1}, "2026-06-10 12:00",
       {{1, "2026-06-10 09:00", 600 * kKB}, {2, "2026-06-10 10:00", 600 * kKB}, {3, "2026-06-10 11:00", 600 * kKB},
        {4, "2026-06-10 11:30", 600 * kKB}},
       {1, 2}},
      {"cap over what the keep rules keep", {0, 24, 0, 0, 1}, "2026-06-10 12:00",
       {{1, "2026-06-10 09:00", 600 * kKB}, {2, "2026-06-10 10:00", 600 * kKB}, {3, "2026-06-10 11:00", 600 * kKB}},
       {1}},
      {"cap passes over what already goes", {0, 1, 0, 0, 1}, "2026-06-10 12:00",
       {{1, "2026-06-09 09:00", 900 * kKB}, {2, "2026-06-10 11:30", 600 * kKB}, {3, "2026-06-10 11:40", 300 * kKB},
        {4, "2026-06-10 11:50", 1}},
       {1}},
  };
  for (const Row& row : rows) {
    SaveProfile profile;
    profile.maxFiles = row.rules.maxFiles;
    profile.keepHours = row.rules.hours;
    profile.keepDays = row.rules.days;
    profile.keepWeeks = row.rules.weeks;
    profile.maxTotalMB = row.rules.capMB;
    std::vector<BackupFacts> series;
    for (const Backup& b : row.series) series.push_back({b.number, at(b.time), b.bytes});
    std::vector<size_t> doomed;
    choosePrunes(series, profile, at(row.save), &doomed);
    std::vector<int32_t> gone;
    for (size_t index : doomed) gone.push_back(series[index].number);
    EXPECT_EQ(gone, row.gone) << row.label;
  }
}

}  // namespace
}  // namespace qktest
