//===- run_trace.cpp - Print the flow ends a run passes -------------------===//

#include "run_trace.h"

#include "file_text.h"
#include "repository.h"

#include <ostream>

namespace zevac {

void RunTrace::reached(
    const kel::TracePoint &point,
    const std::function<const kel::Kel_Var_2 &(kel::VarRef)> &read) {
  const std::string &procedure = program_.procedures[point.procedure].name;
  out_ << "trace: " << procedure << ": ";
  std::string cls;
  if (point.element && compiled_.exists(point.element)) {
    cls =
        compiled_.metamodel().classInfo(compiled_.classOf(point.element))->name;
    if (cls.rfind("ZEVA::", 0) == 0)
      cls.erase(0, 6);
    out_ << cls << " #" << point.element;
  } else {
    out_ << "(no source element)";
  }
  bool rule = cls == "Rule";
  switch (point.kind) {
  case kel::TracePoint::FlowEnd:
    break;
  case kel::TracePoint::RuleFailed:
    out_ << (rule ? ": no match" : ": condition fails");
    break;
  case kel::TracePoint::RuleMatched:
  case kel::TracePoint::LoopIteration:
    out_ << (point.kind == kel::TracePoint::LoopIteration ? ": iteration"
             : rule                                       ? ": matched"
                    : ": condition holds");
    for (std::size_t i = 0; i < point.bound.size(); ++i) {
      const kel::Kel_Var_2 &v = read(point.bound[i].second);
      out_ << (i ? ", " : " ") << zrep::printable(point.bound[i].first) << '=';
      if (kel::IsNull(v))
        out_ << "null";
      else
        out_ << '#' << kel::CurId(v);
    }
    break;
  }
  out_ << '\n';
}

} // namespace zevac
