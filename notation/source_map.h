//===- source_map.h - Where imported objects were written -------*- C++ -*-===//
#pragma once

#include "repository.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace notation {

/// The source offset of each object an import made, and the names of the
/// flow ends, which the repository does not keep.
class SourceMap {
public:
  void add(zrep::ObjectId id, std::uint32_t offset) {
    if (static_cast<std::size_t>(id) >= offsets_.size())
      offsets_.resize(static_cast<std::size_t>(id) + 1, kNone);
    offsets_[static_cast<std::size_t>(id)] = offset;
  }
  /// False for an object the import did not make.
  bool find(zrep::ObjectId id, std::uint32_t &offset) const {
    if (id <= 0 || static_cast<std::size_t>(id) >= offsets_.size() ||
        offsets_[static_cast<std::size_t>(id)] == kNone)
      return false;
    offset = offsets_[static_cast<std::size_t>(id)];
    return true;
  }
  /// Names are given in the order in which the import makes the nodes,
  /// which is the order of their ids.
  void setNodeName(zrep::ObjectId id, std::string name) {
    nodeNames_.emplace_back(id, std::move(name));
  }
  const std::string *nodeName(zrep::ObjectId id) const {
    auto it = std::lower_bound(nodeNames_.begin(), nodeNames_.end(), id,
                               [](const auto &entry, zrep::ObjectId key) {
                                 return entry.first < key;
                               });
    return it == nodeNames_.end() || it->first != id ? nullptr : &it->second;
  }

private:
  static constexpr std::uint32_t kNone = UINT32_MAX;
  std::vector<std::uint32_t> offsets_;
  std::vector<std::pair<zrep::ObjectId, std::string>> nodeNames_;
};

} // namespace notation
