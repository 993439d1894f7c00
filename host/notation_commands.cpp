//===- notation_commands.cpp - zevac import and zevac export --------------===//

#include "commands.h"
#include "listing_file.h"
#include "model_file.h"

#include "export_notation.h"
#include "file_text.h"
#include "repo_file.h"
#include "standard_output.h"

#include <iostream>

namespace zevac {

bool checkNotOverwritten(const std::string &model, const std::string &out) {
  if (!isNotationFile(model) || !sameFile(model, out))
    return true;
  std::cerr << "zevac: error: the repository file would overwrite the "
               "notation file "
            << zrep::printable(model, model.size() + 1)
            << "; name another with -o\n";
  return false;
}

int runImport(const std::string &model, const std::string &output) {
  std::string out = output.empty() ? withEnding(model, ".json") : output;
  if (!checkNotOverwritten(model, out))
    return kExitFailure;
  ModelFile file = readModel(model);
  if (!file.repo)
    return kExitFailure;
  std::string error;
  if (!zrep::saveRepositoryFile(*file.repo, out, error)) {
    std::cerr << zrep::printable(out, out.size() + 1) << ": error: " << error
              << '\n';
    return kExitFailure;
  }
  return kExitOk;
}

int runExport(const std::string &model, const std::string &output) {
  ModelFile file = readModel(model);
  if (!file.repo)
    return kExitFailure;
  notation::ExportResult r = notation::exportNotation(*file.repo);
  std::string shown = zrep::printable(model, model.size() + 1);
  for (const std::string &w : r.warnings)
    std::cerr << shown << ": warning: object " << w << '\n';
  if (r.programObjects)
    std::cerr << shown << ": note: the text leaves out the " << r.programObjects
              << (r.programObjects == 1 ? " object" : " objects")
              << " of the compiled program and its messages; a compilation "
                 "makes them again\n";
  // A notation file is only written when named: its comments would go.
  std::string out = !output.empty()         ? output
                    : isNotationFile(model) ? std::string("-")
                                            : withEnding(model, ".zeva");
  if (out == "-") {
    std::cout << r.text;
    return finishStandardOutput(kExitOk);
  }
  std::string error;
  if (!zrep::writeFileAtomically(out, r.text, error)) {
    std::cerr << zrep::printable(out, out.size() + 1) << ": error: " << error
              << '\n';
    return kExitFailure;
  }
  return kExitOk;
}

} // namespace zevac
