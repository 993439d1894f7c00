//===- timers.cpp - The numbered and unnamed timers -----------------------===//
//
// Times are date-time values counted in days, as real numbers; a timer holds
// its start and its elapsed time.
//
//===----------------------------------------------------------------------===//

#include "natives.h"

#include "dialogs.h"

#include <chrono>
#include <cmath>
#include <map>
#include <memory>

namespace kel {

namespace {

struct Timer {
  double start = 0;
  double elapsed = 0;
};

Timer gUnnamed;
std::unique_ptr<std::map<int, Timer>> gNumbered;

double now() {
  using namespace std::chrono;
  auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
  return static_cast<double>(ms.count()) / 86'400'000.0;
}

std::map<int, Timer> &numbered() {
  if (!gNumbered)
    gNumbered = std::make_unique<std::map<int, Timer>>();
  return *gNumbered;
}

} // namespace

namespace timers {

std::string format(double days) {
  long long ms = std::llround(days * 86'400'000.0);
  if (ms < 0)
    ms = 0;
  long long h = ms / 3'600'000 % 24, m = ms / 60'000 % 60;
  long long s = ms / 1000 % 60, z = ms % 1000;
  char buf[64];
  std::snprintf(buf, sizeof buf, " %02lld:%02lld %lld %lld", h, m, s, z);
  return buf;
}

void resetUnnamed() { gUnnamed = Timer{}; }
void destroyNumbered() { gNumbered.reset(); }

} // namespace timers

void startTimer() { gUnnamed.start = now(); }
void stopTimer() { gUnnamed.elapsed = now() - gUnnamed.start; }
std::string elapsedTimeString() { return timers::format(gUnnamed.elapsed); }

void startNthTimer(int n) { numbered()[n].start = now(); }

void stopNthTimer(int n) {
  auto it = numbered().find(n);
  if (it == numbered().end()) {
    showMessage("Timer " + std::to_string(n) + " does not exist.");
    return;
  }
  it->second.elapsed = now() - it->second.start;
}

std::string elapsedNthTimeString(int n) {
  auto it = numbered().find(n);
  if (it == numbered().end()) {
    showMessage("Timer " + std::to_string(n) + " does not exist ");
    return "";
  }
  return timers::format(it->second.elapsed);
}

} // namespace kel
