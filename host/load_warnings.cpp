//===- load_warnings.cpp - Values that load but mislead -------------------===//

#include "load_warnings.h"

#include "file_text.h"
#include "repository.h"
#include "suspect_values.h"

#include <ostream>
#include <vector>

namespace zevac {

namespace {

using zrep::Metamodel;

/// The attributes of a class that are checked, by slot.
struct Checked {
  std::uint32_t slot;
  const zrep::AttrInfo *attr;
  bool isBoolean; ///< Otherwise an expression text.
};

std::vector<std::vector<Checked>> checkedByClass(const Metamodel &mm) {
  std::vector<std::vector<Checked>> all;
  for (const zrep::ClassInfo &c : mm.classes()) {
    std::vector<Checked> &checked = all.emplace_back();
    for (std::uint32_t slot = 0; slot < c.attrs.size(); ++slot) {
      const zrep::AttrInfo *a = mm.attrInfo(c.attrs[slot]);
      if (a->kind == zrep::AttrKind::Boolean)
        checked.push_back({slot, a, true});
      else if (a->kind == zrep::AttrKind::String &&
               zlint::isExpressionAttribute(a->name))
        checked.push_back({slot, a, false});
    }
  }
  return all;
}

} // namespace

int printLoadWarnings(const zrep::Repository &repo, const std::string &file,
                      std::ostream &out) {
  const Metamodel &mm = repo.metamodel();
  std::vector<std::vector<Checked>> checked = checkedByClass(mm);
  int count = 0;
  repo.forEachObject([&](const zrep::Object &o) {
    if (!o.values)
      return;
    for (const Checked &k : checked[o.cls - Metamodel::kFirstClassId]) {
      std::string_view v = repo.slotValue(o, k.slot);
      std::string what;
      if (k.isBoolean) {
        if (!zlint::isMisleadingBoolean(v))
          continue;
        what = "\"" + zrep::printable(v) +
               "\" is neither \"true\" nor \"false\" and reads as false";
      } else {
        auto [line, lost] = zlint::lostBeforeLineFeed(v);
        if (!line)
          continue;
        what = "line " + std::to_string(line) +
               " ends in a line feed without a carriage return; the "
               "expression lexer takes a line feed together with the "
               "character before it (the carriage return of a CR LF pair), "
               "so \"" +
               zrep::printable(lost) + "\" is lost: end the lines with CR LF";
      }
      out << file << ": warning: object #" << o.id << " ("
          << mm.classInfo(o.cls)->name << ") attribute " << k.attr->name << ": "
          << what << '\n';
      ++count;
    }
  });
  return count;
}

} // namespace zevac
