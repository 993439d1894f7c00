//===- procedures.cpp - The procedures a model can draw -------------------===//

#include "diagram.h"
#include "zeva_model.h"

namespace zdiagram {

std::vector<ProcedureRef> listProcedures(const zrep::Repository &repo) {
  ZevaModel model(repo);
  zrep::TypeId cls = repo.metamodel().classId("ZEVA::ZEVAprocedure");
  std::vector<ProcedureRef> out;
  repo.forEachObject([&](const zrep::Object &o) {
    if (o.cls == cls)
      out.push_back({o.id, model.attr(o.id, "name"), model.unitOf(o.id)});
  });
  return out;
}

} // namespace zdiagram
