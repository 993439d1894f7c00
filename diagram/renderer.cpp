#include "diagram.h"
namespace zdiagram {
std::vector<ProcedureRef> listProcedures(const zrep::Repository &) { return {}; }
struct Renderer::Impl {};
Renderer::Renderer() : impl_(new Impl) {}
Renderer::~Renderer() { delete impl_; }
std::string Renderer::procedureSvg(const zrep::Repository &, ObjectId, const DiagramOptions &) { return {}; }
}
