//===- instance_commands.cpp - zevac import and export of instance models -===//
//
// With --metamodel, `zevac import` and `zevac export` read and write
// instance models: the classes, attributes and roles come from the
// metamodel script, and the text is the instance form of the notation.
//
//===----------------------------------------------------------------------===//

#include "commands.h"
#include "model_file.h"

#include "file_text.h"
#include "instances.h"
#include "metamodel_script.h"
#include "repo_file.h"
#include "standard_output.h"

#include <iostream>

namespace zevac {

namespace {

/// The metamodel of a script, after printing its problems; null if any.
std::shared_ptr<const zrep::Metamodel> readScript(const std::string &script) {
  kel::ScriptResult r = kel::readMetamodelScriptFile(script);
  for (const std::string &p : r.problems)
    std::cerr << p << '\n';
  if (r.unreported)
    std::cerr << zrep::printable(script, script.size() + 1)
              << ": error: " << r.unreported << " more problems not shown\n";
  return r.mm;
}

bool writeText(const std::string &out, const std::string &text) {
  std::string error;
  if (zrep::writeFileAtomically(out, text, error))
    return true;
  std::cerr << zrep::printable(out, out.size() + 1) << ": error: " << error
            << '\n';
  return false;
}

} // namespace

int runImportInstances(const std::string &model, const std::string &output,
                       const std::string &script) {
  std::string out = output.empty() ? withEnding(model, ".json") : output;
  if (!checkNotOverwritten(model, out))
    return kExitFailure;
  auto mm = readScript(script);
  if (!mm)
    return kExitFailure;
  auto repo = readInstances(model, mm);
  if (!repo)
    return kExitFailure;
  std::string error;
  if (!zrep::saveRepositoryFile(*repo, out, error)) {
    std::cerr << zrep::printable(out, out.size() + 1) << ": error: " << error
              << '\n';
    return kExitFailure;
  }
  return kExitOk;
}

int runExportInstances(const std::string &model, const std::string &output,
                       const std::string &script) {
  auto mm = readScript(script);
  if (!mm)
    return kExitFailure;
  auto repo = readInstances(model, mm);
  if (!repo)
    return kExitFailure;
  std::string text = notation::exportInstances(*repo);
  // As for models: a notation file is only written when named.
  std::string out = !output.empty()         ? output
                    : isNotationFile(model) ? std::string("-")
                                            : withEnding(model, ".zeva");
  if (out != "-")
    return writeText(out, text) ? kExitOk : kExitFailure;
  std::cout << text;
  return finishStandardOutput(kExitOk);
}

} // namespace zevac
