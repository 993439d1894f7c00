//===- listing_html.h - Kel listings in the page ----------------*- C++ -*-===//
#pragma once

#include "page_out.h"
#include "repository.h"

#include <unordered_map>
#include <vector>

namespace zreport {

using zrep::ObjectId;

/// For each command of a procedure's program, the source elements compiled
/// into it: the flow ends whose chain (from their "label" along "next1" to
/// their "lastkom") holds it, and the class elements whose search it is.
using CommandSources = std::unordered_map<ObjectId, std::vector<ObjectId>>;

/// The commands of the ZEVAprocedure `procedure`'s flow ends and class
/// elements.
CommandSources commandSources(const zrep::Repository &repo, ObjectId procedure);

/// The listing of the ProcFunct `procFunct`: one element a line, each
/// command an element of its own (id "k<command id>", its sources in
/// "data-src") holding its lines and those of the commands nested in it.
void writeProcFunctListing(PageOut &out, const zrep::Repository &repo,
                           ObjectId procFunct, const CommandSources &sources);

/// The name, directives and global definitions of a Transformation, as
/// listing lines.
void writeTransformationHead(PageOut &out, const zrep::Repository &repo,
                             ObjectId transformation);

} // namespace zreport
