//===- metamodel_script.h - Read a metamodel script -------------*- C++ -*-===//
//
// A compiled program names the class model it works on with `useMM
// "MMscript.txt"`; the compiler writes that script. Reading it gives the
// repository metamodel of the instance models the program runs on. The
// grammar and what each statement means: docs/metamodel-script.md.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zrep {
class Metamodel;
}

namespace kel {

struct ScriptResult {
  /// Null when there were problems.
  std::shared_ptr<const zrep::Metamodel> mm;
  /// One line per problem, "FILE:LINE:COL: error: WHAT", in text order;
  /// columns count characters.
  std::vector<std::string> problems;
  std::size_t unreported = 0; ///< Problems beyond the reporting limit.
};

/// Reads a script held in memory; `fileName` names it in problems.
ScriptResult readMetamodelScript(std::string_view text,
                                 std::string_view fileName);
/// Reads the script file at `path`.
ScriptResult readMetamodelScriptFile(const std::string &path);

} // namespace kel
