//===- builtin_metamodel.cpp - The repository's built-in metamodel --------===//
//
// Every class, enumeration and association the repository knows, as plain
// tables. The order of the class table fixes the order of direct subclasses
// and so every extent order; keep it when adding classes.
//
// Role names are unique among all ends usable from a class (own, inherited
// and the universal "compilerMessage"), because ends are looked up by
// (class, role). Single-valued ends replace their old link when linked again;
// the compiler relies on that for its chains and its links from the source
// model, so an end that may legitimately hold several partners is many.
// An end is composite (`{owner, role, many, true}`) where an object owns its
// partners: ownedMember, ownedElement, ownedElem, ownedLink, ownedFlowEnd.
// A file in which an object owns itself through them is refused.
//
//===----------------------------------------------------------------------===//

#include "metamodel_tables.h"

namespace zrep {

const std::vector<ClassSpec> &builtinClasses() {
  static const std::vector<ClassSpec> classes = {
      // --- Kernel: the class model that transformations work on --------------
      {"Kernel::NamedElement", "", true, {{"name", "String"}}},
      {"Kernel::Package", "Kernel::NamedElement", false, {}},
      {"Kernel::Model", "Kernel::Package", false, {}},
      {"Kernel::Type", "Kernel::NamedElement", true, {}},
      {"Kernel::Class", "Kernel::Type", false, {{"isAbstract", "Boolean"}}},
      {"Kernel::PrimitiveType", "Kernel::Type", false, {}},
      {"Kernel::Enumeration", "Kernel::Type", false, {}},
      {"Kernel::Association", "Kernel::NamedElement", false, {}},
      {"Kernel::Property",
       "Kernel::NamedElement",
       false,
       {{"lower", "Integer"},
        {"upper", "Integer"},
        {"isOrdered", "Boolean"},
        {"isComposite", "Boolean"}}},
      {"Kernel::EnumerationLiteral", "Kernel::NamedElement", false, {}},
      {"Kernel::Generalization", "", false, {}},

      // --- ZEVA: packages, procedures and their diagrams ---------------------
      {"ZEVA::PackageableElement",
       "",
       true,
       {{"name", "String"}, {"doNotCompile", "Boolean"}}},
      {"ZEVA::Package",
       "ZEVA::PackageableElement",
       false,
       {{"isUnit", "Boolean"}, {"compileThis", "Boolean"}}},
      {"ZEVA::Model", "ZEVA::Package", false, {}},
      {"ZEVA::Procedure", "ZEVA::PackageableElement", true, {}},
      {"ZEVA::ZEVAprocedure",
       "ZEVA::Procedure",
       false,
       {{"debugOn", "Boolean"}, {"isMain", "Boolean"}}},
      {"ZEVA::ExternalProcedure", "ZEVA::Procedure", false, {}},
      {"ZEVA::ProcedureElement", "", true, {}},
      {"ZEVA::ReferencableElement",
       "ZEVA::ProcedureElement",
       true,
       {{"refName", "String"}}},
      {"ZEVA::Parameter",
       "ZEVA::ReferencableElement",
       false,
       {{"paramNumber", "Integer"}, {"inOut", "Boolean"}}},
      {"ZEVA::Variable", "ZEVA::ReferencableElement", false, {}},
      {"ZEVA::ClassElementDef", "ZEVA::ReferencableElement", false, {}},
      {"ZEVA::ClassElement",
       "ZEVA::ReferencableElement",
       false,
       {{"ElemType", "ElemType"},
        {"CardConstraint", "CardConstraint"},
        {"constraint", "String"}}},
      {"ZEVA::FlowEnd", "ZEVA::ProcedureElement", true, {}},
      {"ZEVA::Start", "ZEVA::FlowEnd", false, {}},
      {"ZEVA::End", "ZEVA::FlowEnd", false, {}},
      {"ZEVA::CallStatement", "ZEVA::FlowEnd", false, {}},
      {"ZEVA::DecisionStatement", "ZEVA::FlowEnd", true, {}},
      {"ZEVA::Rule", "ZEVA::DecisionStatement", false, {}},
      {"ZEVA::TextStatement",
       "ZEVA::DecisionStatement",
       false,
       {{"constraint", "String"}}},
      {"ZEVA::FlowEndContainer", "ZEVA::FlowEnd", true, {}},
      {"ZEVA::Loop", "ZEVA::FlowEndContainer", true, {}},
      {"ZEVA::ForeachLoop", "ZEVA::Loop", false, {{"notFixed", "Boolean"}}},
      {"ZEVA::WhileLoop", "ZEVA::Loop", false, {}},
      {"ZEVA::Flow", "ZEVA::ProcedureElement", false, {{"isElse", "Boolean"}}},
      // A diagram connector between class elements; only AssocLink is
      // traversed by the compiler.
      {"ZEVA::Link", "ZEVA::ProcedureElement", false, {}},
      {"ZEVA::AssocLink",
       "ZEVA::Link",
       false,
       {{"AssocLinkType", "AssocLinkType"},
        {"CardConstraint", "CardConstraint"}}},
      {"ZEVA::Annotation", "", false, {{"text", "String"}}},
      {"ZEVA::CallParam",
       "",
       false,
       {{"paramNumber", "Integer"}, {"expr", "String"}}},
      {"ZEVA::Assignment", "", false, {{"expr", "String"}}},

      // --- Project and compiler messages -------------------------------------
      {"project::Project", "", false, {{"path", "String"}, {"name", "String"}}},
      {"Utility::CompilerMessages",
       "",
       false,
       {{"text", "String"}, {"CompilerMessageType", "CompilerMessageType"}}},

      // --- Kel program model: program structure ------------------------------
      {"Transformation", "", false, {{"name1", "String"}}},
      {"Directive", "", false, {{"val", "String"}, {"file_name", "String"}}},
      // "name" is set on native declarations only, equal to "name1".
      {"ProcFunct",
       "",
       false,
       {{"name1", "String"},
        {"name", "String"},
        {"is_main", "Boolean"},
        {"debug_mode", "Boolean"},
        {"is_native", "Boolean"},
        {"return_type", "String"}}},
      {"Parameter",
       "",
       false,
       {{"name1", "String"},
        {"type1", "String"},
        {"byRef", "Boolean"},
        {"name", "String"}}},
      {"Defblock", "", false, {}},
      {"Defin", "", true, {{"name1", "String"}, {"type1", "String"}}},
      {"Va", "Defin", false, {}},
      {"Po", "Defin", false, {}},

      // --- Kel program model: commands ---------------------------------------
      {"Komblock", "", false, {}},
      {"Kom", "", true, {}},
      // A label is a Skom whose text is "label " + its name.
      {"Skom", "Kom", false, {{"text", "String"}, {"name", "String"}}},
      {"Gotokom", "Kom", false, {{"labname", "String"}}},
      {"Ifthenkom", "Kom", false, {}},
      {"Foreachkom", "Kom", false, {{"name1", "String"}, {"text", "String"}}},
      // "else1" of FNkom and Ekom is a label name, not a block.
      {"FNkom",
       "Kom",
       false,
       {{"name1", "String"},
        {"type1", "String"},
        {"text", "String"},
        {"else1", "String"}}},
      {"Ekom", "Kom", false, {{"text", "String"}, {"else1", "String"}}},

      // --- Kel program model: expressions ------------------------------------
      {"Expression", "", false, {}},
      {"Eelem", "", true, {}},
      {"Atr",
       "Eelem",
       false,
       {{"name1", "String"}, {"classPointer", "String"}, {"type1", "String"}}},
      {"Vari",
       "Eelem",
       false,
       {{"name1", "String"}, {"type1", "String"}, {"isPointer", "Boolean"}}},
      {"Const", "Eelem", false, {{"val", "String"}, {"type1", "String"}}},
      {"Op", "Eelem", false, {{"val", "String"}}},
      {"Brack", "Eelem", false, {{"val", "String"}}},
      // "name" is set on the StrToEnum call only.
      {"Funct",
       "Eelem",
       false,
       {{"name1", "String"}, {"type1", "String"}, {"name", "String"}}},
      // An actual parameter of a Funct; not an element of the expression
      // chain itself, it hangs from the Funct.
      {"Param", "", false, {{"name1", "String"}, {"type1", "String"}}},

      // --- Kel program model: lexems and compiler scratch objects ------------
      {"Le", "", false, {{"val", "String"}, {"sort", "String"}}},
      // Counter shared by every generated name of a run.
      {"LabelGenerator", "", false, {{"id", "Integer"}}},
      {"PatternElementMarker", "", false, {}},
  };
  return classes;
}

const std::vector<EnumSpec> &builtinEnums() {
  static const std::vector<EnumSpec> enums = {
      {"ElemType", {"Normal", "Delete", "Create", "LoopVariable"}},
      {"CardConstraint", {"None", "NOT"}},
      {"AssocLinkType", {"Normal", "Delete", "Create"}},
      {"CompilerMessageType", {"Error", "Warning"}},
  };
  return enums;
}

const std::vector<AssocSpec> &builtinAssociations() {
  static const std::vector<AssocSpec> assocs = {
      // --- Kernel ------------------------------------------------------------
      {{"Kernel::Package", "ownedMember", true, true},
       {"Kernel::NamedElement", "owningPackage", false}},
      {{"Kernel::Class", "ownedAttribute", true},
       {"Kernel::Property", "class", false}},
      {{"Kernel::Class", "generalization", true},
       {"Kernel::Generalization", "specific", false}},
      {{"Kernel::Class", "specialization", true},
       {"Kernel::Generalization", "general", false}},
      {{"Kernel::Property", "type", false}, {"Kernel::Type", "typed", true}},
      {{"Kernel::Association", "memberEnd", true},
       {"Kernel::Property", "association", false}},
      {{"Kernel::Enumeration", "ownedLiteral", true},
       {"Kernel::EnumerationLiteral", "enumeration", false}},

      // --- ZEVA --------------------------------------------------------------
      {{"ZEVA::Package", "ownedMember", true, true},
       {"ZEVA::PackageableElement", "owningPackage", false}},
      {{"ZEVA::ZEVAprocedure", "ownedElement", true, true},
       {"ZEVA::ProcedureElement", "owningProcedure", false}},
      {{"ZEVA::ZEVAprocedure", "returnType", false},
       {"Kernel::Type", "returningProcedure", true}},
      {{"ZEVA::Procedure", "params", true},
       {"ZEVA::Parameter", "procedure", false}},
      {{"ZEVA::ZEVAprocedure", "defines", true},
       {"ZEVA::ReferencableElement", "definedIn", false}},
      {{"ZEVA::ZEVAprocedure", "flowend", true},
       {"ZEVA::FlowEnd", "flowendOf", false}},
      {{"ZEVA::ReferencableElement", "type", false},
       {"Kernel::Type", "typedElement", true}},
      {{"ZEVA::ReferencableElement", "assignment", true},
       {"ZEVA::Assignment", "assignedElement", false}},
      {{"ZEVA::ClassElement", "def", false},
       {"ZEVA::ClassElementDef", "classElement", true}},
      {{"ZEVA::ClassElement", "referElem", false},
       {"ZEVA::ReferencableElement", "referencedBy", true}},
      {{"ZEVA::ProcedureElement", "annotation", true},
       {"ZEVA::Annotation", "annotatedElement", false}},
      {{"ZEVA::ClassElement", "source", true}, {"ZEVA::Link", "from", false}},
      {{"ZEVA::ClassElement", "destination", true},
       {"ZEVA::Link", "to", false}},
      {{"ZEVA::AssocLink", "sourceProp", false},
       {"Kernel::Property", "sourceOfLink", true}},
      {{"ZEVA::AssocLink", "destProp", false},
       {"Kernel::Property", "destOfLink", true}},
      {{"ZEVA::Rule", "ownedElem", true, true},
       {"ZEVA::ClassElement", "owningRule", false}},
      {{"ZEVA::Rule", "ownedLink", true, true},
       {"ZEVA::Link", "owningRule", false}},
      {{"ZEVA::FlowEnd", "source", true}, {"ZEVA::Flow", "from", false}},
      {{"ZEVA::FlowEnd", "destination", true}, {"ZEVA::Flow", "to", false}},
      {{"ZEVA::FlowEndContainer", "ownedFlowEnd", true, true},
       {"ZEVA::FlowEnd", "owningContainer", false}},
      {{"ZEVA::Loop", "loophead", false}, {"ZEVA::Rule", "loop", false}},
      {{"ZEVA::CallStatement", "proc", false},
       {"ZEVA::Procedure", "calledBy", true}},
      {{"ZEVA::CallStatement", "params", true},
       {"ZEVA::CallParam", "call", false}},
      {{"ZEVA::DecisionStatement", "ownedAssign", true},
       {"ZEVA::Assignment", "owningDecision", false}},
      {{"ZEVA::Assignment", "attribute", false},
       {"Kernel::Property", "assignedBy", true}},

      // --- Compiler messages: any element may carry messages -----------------
      {{"Utility::CompilerMessages", "element", false},
       {"*", "compilerMessage", true}},

      // --- Kel program model: program structure ------------------------------
      {{"Transformation", "pf", true}, {"ProcFunct", "transformation", false}},
      {{"Transformation", "dir", true}, {"Directive", "transformation", false}},
      // The Defblock of the unit's global definitions.
      {{"Transformation", "block", false},
       {"Defblock", "transformation", false}},
      // Formal parameters: the first from "param", the rest along "next1".
      {{"ProcFunct", "param", false}, {"Parameter", "paramOf", false}},
      {{"Parameter", "next1", false}, {"Parameter", "prevParameter", false}},
      {{"ProcFunct", "pfblock", false}, {"Defblock", "pfblockOf", false}},
      {{"ProcFunct", "block", false}, {"Komblock", "procfunct", false}},
      {{"Defblock", "def", true}, {"Defin", "defblock", false}},

      // --- Kel program model: commands ---------------------------------------
      // Command chains: single-valued at both ends, so that re-linking moves
      // a block's first or last command or a successor without a delete.
      {{"Komblock", "start", false}, {"Kom", "Namekb", false}},
      {{"Komblock", "lastkom", false}, {"Kom", "komblock", false}},
      {{"Kom", "next1", false}, {"Kom", "Name", false}},
      {{"Skom", "expr2", false}, {"Expression", "skom", false}},
      {{"Ifthenkom", "if1", false}, {"Komblock", "NameIf", false}},
      {{"Ifthenkom", "then1", false}, {"Komblock", "thenOf", false}},
      {{"Ifthenkom", "else1", false}, {"Komblock", "elseOf", false}},
      {{"Foreachkom", "foreach1", false}, {"Komblock", "foreachOf", false}},
      {{"Foreachkom", "suchthat2", false}, {"Komblock", "suchthat2Of", false}},
      {{"FNkom", "suchthat1", false}, {"Komblock", "suchthat1Of", false}},

      // --- Kel program model: expressions ------------------------------------
      // Element chains: single-valued at both ends, like command chains.
      {{"Expression", "start", false}, {"Eelem", "startOf", false}},
      {{"Expression", "lastelem", false}, {"Eelem", "lastelemOf", false}},
      {{"Eelem", "next1", false}, {"Eelem", "prevElem", false}},
      {{"Funct", "start", false}, {"Param", "funct", false}},
      {{"Param", "next1", false}, {"Param", "prevParam", false}},

      // --- Kel program model: lexems and compiler scratch objects ------------
      {{"Le", "next1", false}, {"Le", "prev1", false}},
      // One element or link may be marked by the pattern marker and by a
      // search marker at the same time: many at both ends.
      {{"PatternElementMarker", "markedel", true},
       {"ZEVA::ClassElement", "markedelOf", true}},
      {{"PatternElementMarker", "markedlink", true},
       {"ZEVA::Link", "markedlinkOf", true}},

      // --- Compiler links from the source model ------------------------------
      // Each source element has at most one product per role; linking again
      // replaces it. The program side is many so that no product can lose
      // its link when two source elements point at the same object.
      {{"ZEVA::Package", "transf", false},
       {"Transformation", "transfOf", true}},
      {{"ZEVA::Procedure", "procfunct", false},
       {"ProcFunct", "procfunctOf", true}},
      {{"ZEVA::Parameter", "pfparam", false}, {"Parameter", "pfparamOf", true}},
      {{"ZEVA::ReferencableElement", "defin", false},
       {"Defin", "definOf", true}},
      // A flow end's entry label. Each label is made for one flow end, so
      // "stflowend", which leads from a label back to it, is single-valued.
      {{"ZEVA::FlowEnd", "label", false}, {"Skom", "stflowend", false}},
      // The principal command; for a loop, its continuation label.
      {{"ZEVA::FlowEnd", "kom", false}, {"Kom", "komOf", true}},
      {{"ZEVA::FlowEnd", "lastkom", false}, {"Kom", "lastkomOf", true}},
      {{"ZEVA::Loop", "endlabel", false}, {"Skom", "endlabelOf", true}},
      // Deletions collected while the rule's pattern is compiled.
      {{"ZEVA::Rule", "tempblock", false}, {"Komblock", "tempblockOf", true}},
      // The search command of a pattern element.
      {{"ZEVA::ClassElement", "kom", false}, {"FNkom", "komOfElement", true}},
  };
  return assocs;
}

} // namespace zrep
