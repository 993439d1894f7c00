//===- source_map.h - Where imported objects were written -------*- C++ -*-===//
#pragma once

#include "repository.h"

#include <cstdint>
#include <string>
#include <unordered_map>
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
  void setNodeName(zrep::ObjectId id, std::string name) {
    nodeNames_[id] = std::move(name);
  }
  const std::string *nodeName(zrep::ObjectId id) const {
    auto it = nodeNames_.find(id);
    return it == nodeNames_.end() ? nullptr : &it->second;
  }

private:
  static constexpr std::uint32_t kNone = UINT32_MAX;
  std::vector<std::uint32_t> offsets_;
  std::unordered_map<zrep::ObjectId, std::string> nodeNames_;
};

} // namespace notation
