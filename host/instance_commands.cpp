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
#include "repo_file.h"
#include "script_file.h"
#include "standard_output.h"

#include <iostream>

namespace zevac {

namespace {

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
  auto mm = readScriptFile(script);
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
  auto mm = readScriptFile(script);
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
