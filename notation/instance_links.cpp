//===- instance_links.cpp - The links of an instance text, checked --------===//

#include "instance_records.h"

#include "file_text.h"

#include <unordered_map>
#include <unordered_set>

namespace notation {

namespace {

using zrep::TypeId;

std::string quoted(std::string_view text) {
  return "'" + zrep::printable(text, 60) + "'";
}

std::uint64_t pairKey(std::uint64_t a, std::uint32_t b) { return a << 32 | b; }

/// A partner list as loading makes it.
struct Final {
  int object;
  TypeId end;
  std::vector<int> partners;
};

void checkCycles(const std::vector<InstanceRecord> &records,
                 const zrep::Metamodel &mm, const std::vector<Final> &finals,
                 Diagnostics &diags) {
  std::vector<std::vector<int>> owned(records.size());
  for (const Final &f : finals)
    if (mm.endInfo(f.end)->composite)
      for (int p : f.partners)
        owned[static_cast<std::size_t>(f.object)].push_back(p);
  // Depth first from each object in text order; meeting an object that is
  // on the path closes a cycle.
  enum : char { kWhite, kGrey, kBlack };
  std::vector<char> color(records.size(), kWhite);
  std::vector<std::pair<int, std::size_t>> stack; // object, next edge
  for (std::size_t root = 0; root < records.size(); ++root) {
    if (color[root] != kWhite)
      continue;
    color[root] = kGrey;
    stack.emplace_back(static_cast<int>(root), 0);
    while (!stack.empty()) {
      auto &[node, edge] = stack.back();
      const std::vector<int> &next = owned[static_cast<std::size_t>(node)];
      if (edge == next.size()) {
        color[static_cast<std::size_t>(node)] = kBlack;
        stack.pop_back();
        continue;
      }
      int n = next[edge++];
      char &c = color[static_cast<std::size_t>(n)];
      if (c == kWhite) {
        c = kGrey;
        stack.emplace_back(n, 0);
      } else if (c == kGrey) {
        std::size_t k = stack.size();
        while (stack[k - 1].first != n)
          --k;
        std::string path;
        for (std::size_t j = k - 1; j < stack.size(); ++j)
          path +=
              zrep::printable(
                  records[static_cast<std::size_t>(stack[j].first)].name, 60) +
              " -> ";
        const InstanceRecord &r = records[static_cast<std::size_t>(n)];
        diags.error(r.at, quoted(r.name) +
                              " owns itself through composite roles: " + path +
                              zrep::printable(r.name, 60));
      }
    }
  }
}

} // namespace

void checkInstanceLinks(const std::vector<InstanceRecord> &records,
                        const zrep::Metamodel &mm, Diagnostics &diags) {
  // The own lists first, then the links that join the other end.
  std::vector<Final> finals;
  std::unordered_map<std::uint64_t, std::size_t> listOf;
  std::unordered_set<std::uint64_t> listed; // (list, partner)
  auto list = [&](int object, TypeId end) {
    auto [it, fresh] =
        listOf.try_emplace(pairKey(static_cast<std::uint32_t>(object),
                                   static_cast<std::uint32_t>(end)),
                           finals.size());
    if (fresh)
      finals.push_back({object, end, {}});
    return it->second;
  };
  for (std::size_t o = 0; o < records.size(); ++o)
    for (const InstanceListing &l : records[o].links) {
      std::size_t i = list(static_cast<int>(o), l.end);
      for (const InstancePartner &p : l.partners) {
        finals[i].partners.push_back(p.object);
        listed.insert(pairKey(i, static_cast<std::uint32_t>(p.object)));
      }
    }
  for (std::size_t o = 0; o < records.size(); ++o)
    for (const InstanceListing &l : records[o].links) {
      TypeId inverse = mm.endInfo(l.end)->inverse;
      if (!inverse)
        continue;
      for (const InstancePartner &p : l.partners) {
        std::size_t i = list(p.object, inverse);
        if (listed.insert(pairKey(i, static_cast<std::uint32_t>(o))).second)
          finals[i].partners.push_back(static_cast<int>(o));
      }
    }
  for (const Final &f : finals) {
    const zrep::EndInfo &e = *mm.endInfo(f.end);
    if (e.many || f.partners.size() < 2)
      continue;
    const InstanceRecord &r = records[static_cast<std::size_t>(f.object)];
    std::uint32_t at = r.at;
    for (const InstanceListing &l : r.links)
      if (l.end == f.end)
        at = l.at;
    std::string names;
    for (std::size_t k = 0; k < f.partners.size(); ++k)
      names += (k ? ", " : "") +
               quoted(records[static_cast<std::size_t>(f.partners[k])].name);
    diags.error(
        at, quoted(r.name) + " has " + std::to_string(f.partners.size()) +
                " partners at the single-valued role " + quoted(e.role) + ": " +
                names + " (counting the links written from the other end)");
  }
  checkCycles(records, mm, finals, diags);
}

} // namespace notation
