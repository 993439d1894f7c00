//===- run_trace.cpp - Print the flow ends a run passes -------------------===//

#include "run_trace.h"

#include "file_text.h"

#include <ostream>

namespace zevac {

void RunTrace::reached(
    const kel::TracePoint &point,
    const std::function<const kel::Kel_Var_2 &(kel::VarRef)> &read) {
  std::string label = label_(static_cast<int>(point.element));
  out_ << "trace: " << label;
  bool rule = label.rfind("rule ", 0) == 0 || label.rfind("Rule ", 0) == 0;
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
  // Lines of the program's own natives go to the same stream unbuffered.
  out_ << '\n' << std::flush;
}

} // namespace zevac
