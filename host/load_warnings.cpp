//===- load_warnings.cpp - Values that load but mislead -------------------===//

#include "load_warnings.h"

#include "doubtful_values.h"
#include "file_text.h"
#include "repository.h"

#include <ostream>
#include <vector>

namespace zevac {

using zrep::Metamodel;

int printLoadWarnings(const zrep::Repository &repo, const std::string &file,
                      std::ostream &out) {
  const Metamodel &mm = repo.metamodel();
  std::vector<std::vector<zlint::DoubtfulAttribute>> checked =
      zlint::doubtfulAttributesByClass(mm);
  int count = 0;
  repo.forEachObject([&](const zrep::Object &o) {
    if (!o.values)
      return;
    for (const zlint::DoubtfulAttribute &k :
         checked[o.cls - Metamodel::kFirstClassId]) {
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
