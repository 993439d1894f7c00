//===- run_state.cpp - What one compiler run keeps beside the model -------===//

#include "run_state.h"

namespace zeva {

namespace {

/// The run in progress. Not thread-local: deep recursion of a run goes on
/// on helper threads while the run's own thread waits.
RunState *active = nullptr;

/// One mark's share of the fingerprint (splitmix64 of the pair).
std::uint64_t share(kel::ObjectId target, bool isLink) {
  std::uint64_t x =
      (static_cast<std::uint64_t>(static_cast<std::uint32_t>(target)) << 1) |
      (isLink ? 1u : 0u);
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

} // namespace

void MarkBook::add(kel::ObjectId target, bool isLink) {
  ++count;
  fingerprint += share(target, isLink);
}

void MarkBook::remove(kel::ObjectId target, bool isLink) {
  --count;
  fingerprint -= share(target, isLink);
}

RunState &currentRun() {
  if (!active)
    kel::RepositoryUser::internalError("compiler procedure outside a run");
  return *active;
}

RunScope::RunScope() : outer_(active) { active = &state_; }

RunScope::~RunScope() { active = outer_; }

} // namespace zeva
