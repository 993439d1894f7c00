//===- forked_batch.h - Work done in a forked copy of the process -*- C++
//-*-===//
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace zdiagram {

/// Makes the texts of items 0 .. count-1 in a forked copy of this process,
/// which sends them back through a pipe and ends: whatever memory the work
/// keeps, or a crash in it, stays in the copy. An item whose copy died
/// before sending it comes back empty, and the items after it are made by
/// a fresh copy. Where no copy can be forked, the items are made here.
/// The process must have no other thread running when this is called.
std::vector<std::string>
makeInForkedCopy(std::size_t count,
                 const std::function<std::string(std::size_t)> &make);

} // namespace zdiagram
