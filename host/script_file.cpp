//===- script_file.cpp - A metamodel script read for a command ------------===//

#include "script_file.h"

#include "file_text.h"
#include "metamodel_script.h"

#include <iostream>

namespace zevac {

std::shared_ptr<const zrep::Metamodel> readScriptFile(const std::string &path) {
  kel::ScriptResult r = kel::readMetamodelScriptFile(path);
  for (const std::string &p : r.problems)
    std::cerr << p << '\n';
  if (r.unreported)
    std::cerr << zrep::printable(path, path.size() + 1)
              << ": error: " << r.unreported << " more problems not shown\n";
  return r.mm;
}

} // namespace zevac
