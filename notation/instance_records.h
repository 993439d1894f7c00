//===- instance_records.h - Instance objects as read from text --*- C++ -*-===//
//
// Internal to the instance import: what the text says of each object, and
// the checks of its links.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "metamodel.h"
#include "source.h"

#include <string>
#include <vector>

namespace notation {

struct InstanceValue {
  zrep::TypeId attr;
  std::string text;
  std::uint32_t at;
};

struct InstancePartner {
  std::string name;
  std::uint32_t at;
  int object = -1; ///< Index of the record, once resolved.
};

struct InstanceListing {
  zrep::TypeId end;
  std::uint32_t at;
  std::vector<InstancePartner> partners;
};

struct InstanceRecord {
  std::string name;
  std::uint32_t at;
  zrep::TypeId cls = 0; ///< 0 when the class is unknown.
  std::vector<InstanceValue> values;
  std::vector<InstanceListing> links;
};

/// Works out the partner lists that loading the records will make, as the
/// repository loader makes them (each object's own lists, then the links
/// written only from the other end, in text order), and reports at the
/// objects a single-valued end with more than one partner and an object
/// that owns itself through composite ends. Every partner is resolved.
void checkInstanceLinks(const std::vector<InstanceRecord> &records,
                        const zrep::Metamodel &mm, Diagnostics &diags);

} // namespace notation
