//===- messages.h - Compiler messages as diagnostics ------------*- C++ -*-===//
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace zrep {
class Repository;
}

namespace zevac {

/// One "Utility::CompilerMessages" object as stored.
struct StoredMessage {
  int id = 0;
  bool error = false;
  std::string_view text;
  int element = 0; ///< 0 when the message names no element.
};

/// Visits every stored compiler message, in creation order.
void forEachCompilerMessage(
    const zrep::Repository &repo,
    const std::function<void(const StoredMessage &)> &visit);

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

/// Prints one diagnostic line: "WHERE: SEVERITY: TEXT [LABEL]" when
/// `locate` knows `element`, else "FILE: SEVERITY: TEXT [Class #id path]"
/// (without the brackets for element 0). `text` is printed as it is.
void printDiagnostic(const zrep::Repository &repo, const std::string &file,
                     const char *severity, const std::string &text, int element,
                     const MessageLocator &locate, std::ostream &out);

/// A readable location of an object: the names of it and its owners, outer
/// first, joined by "_" ("lib_copyBooks" for a rule of procedure copyBooks
/// in package lib); empty when none of them has a name.
std::string readablePath(const zrep::Repository &repo, int objectId);

/// The "ZEVA::ZEVAprocedure" that contains an object, found along the same
/// owners as readablePath (the object itself when it is one); 0 when none
/// does.
int owningProcedure(const zrep::Repository &repo, int objectId);

} // namespace zevac
