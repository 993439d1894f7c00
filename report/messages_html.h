//===- messages_html.h - Compiler messages in the page ----------*- C++ -*-===//
#pragma once

#include "page_out.h"
#include "report.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace zreport {

using zrep::ObjectId;

struct Message {
  ObjectId element = 0;   ///< 0 when the message names none.
  ObjectId procedure = 0; ///< The ZEVAprocedure holding the element, or 0.
  bool error = false;
  std::string text; ///< As stored.
};

/// Every Utility::CompilerMessages object, in creation order, with the
/// procedure it belongs to.
struct Messages {
  std::vector<Message> all;
  std::unordered_map<ObjectId, std::vector<std::size_t>> byProcedure;
  std::vector<std::size_t> modelLevel; ///< Messages in no procedure.
  int errors = 0, warnings = 0;

  const std::vector<std::size_t> &of(ObjectId procedure) const;
};

Messages collectMessages(const zrep::Repository &repo);

/// The list of messages `which`: each a link to its element (id
/// "z<element>") in the section `p<procedure>`, named by `place` when it
/// knows the element and by class, id and path otherwise.
void writeMessageList(PageOut &out, const zrep::Repository &repo,
                      const Messages &messages,
                      const std::vector<std::size_t> &which,
                      const ElementPlace &place);

} // namespace zreport
