//===- messages.h - Compiler messages as diagnostics ------------*- C++ -*-===//
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

namespace zrep {
class Repository;
}

namespace zevac {

struct MessageCounts {
  int errors = 0;
  int warnings = 0;
  /// The `zevac explain` topic of the first printed message that has one.
  std::string explainTopic;
};

/// Where an element was written in a source text ("FILE:LINE:COL") and
/// what it is there; false for an element that has no place in it.
using MessageLocator =
    std::function<bool(int objectId, std::string &where, std::string &label)>;

/// Prints every "Utility::CompilerMessages" object in creation order as
/// "FILE: error: TEXT [Class #id path]" (unless `quiet`) and counts them;
/// the texts are made printable (file_text.h). With `locate`, a message on
/// an element it knows is "WHERE: error: TEXT [LABEL]".
MessageCounts printCompilerMessages(const zrep::Repository &repo,
                                    const std::string &file, bool quiet,
                                    std::ostream &out,
                                    const MessageLocator &locate = {});

/// A readable location of an object: the names of it and its owners, outer
/// first, joined by "_" ("lib_copyBooks" for a rule of procedure copyBooks
/// in package lib); empty when none of them has a name.
std::string readablePath(const zrep::Repository &repo, int objectId);

/// The "ZEVA::ZEVAprocedure" that contains an object, found along the same
/// owners as readablePath (the object itself when it is one); 0 when none
/// does.
int owningProcedure(const zrep::Repository &repo, int objectId);

} // namespace zevac
