//===- chains.cpp - Command chains of the program model -------------------===//

#include "chains.h"

using namespace kel;

namespace zeva {

namespace {

/// Appends `item` to a chain held by `owner` through `first` and `last`.
void appendToChain(Kel_Var_2 &item, Kel_Var_2 &owner, const char *first,
                   const char *last, const char *itemClass) {
  Kel_Var_2 tail(itemClass);
  if (FirstByLink(tail, owner, last))
    AddLink(tail, item, "next1");
  else
    AddLink(owner, item, first);
  AddLink(owner, item, last);
}

} // namespace

void AddKomToKomblock(Kel_Var_2 kom, Kel_Var_2 block) {
  appendToChain(kom, block, "start", "lastkom", "Kom");
}

void AddKomToKomblockStart(Kel_Var_2 kom, Kel_Var_2 block) {
  Kel_Var_2 start("Kom");
  if (FirstByLink(start, block, "start"))
    AddLink(kom, start, "next1");
  else
    AddLink(block, kom, "lastkom");
  AddLink(block, kom, "start");
}

void MoveKomsFromKomBlock(Kel_Var_2 from, Kel_Var_2 to) {
  Kel_Var_2 first("Kom"), last("Kom"), tail("Kom");
  if (!FirstByLink(first, from, "start") || !FirstByLink(last, from, "lastkom"))
    return;
  if (FirstByLink(tail, to, "lastkom")) {
    AddLink(tail, first, "next1");
    AddLink(to, last, "lastkom");
    DeleteLink(from, first, "start");
  } else {
    // Both ends are single-valued at the command: the links move over.
    AddLink(to, first, "start");
    AddLink(to, last, "lastkom");
  }
}

void AddKomBeforeKom(Kel_Var_2 kom, Kel_Var_2 newKom) {
  Kel_Var_2 previous("Kom"), block("Komblock");
  if (FirstByLink(previous, kom, "Name")) {
    AddLink(previous, newKom, "next1");
    AddLink(newKom, kom, "next1");
  } else if (FirstByLink(block, kom, "Namekb")) {
    AddLink(block, newKom, "start");
    AddLink(newKom, kom, "next1");
  }
}

void AddKomAfterKom(Kel_Var_2 kom, Kel_Var_2 newKom) {
  Kel_Var_2 next("Kom"), block("Komblock");
  if (FirstByLink(next, kom, "next1")) {
    AddLink(newKom, next, "next1");
    AddLink(kom, newKom, "next1");
  } else if (FirstByLink(block, kom, "komblock")) {
    AddLink(block, newKom, "lastkom");
    AddLink(kom, newKom, "next1");
  }
}

void AddSkomToKomBlock(std::string text, Kel_Var_2 block) {
  Kel_Var_2 skom("Skom");
  AddObj(skom, "Skom");
  SetAttrStr(skom, "text", text);
  AddKomToKomblock(skom, block);
}

void AddEelemToExpression(Kel_Var_2 elem, Kel_Var_2 expression) {
  appendToChain(elem, expression, "start", "lastelem", "Eelem");
}

program::IfThen program::createIfThenAfter(const Kel_Var_2 &label,
                                           const Kel_Var_2 &flowEnd) {
  IfThen b;
  AddObj(b.command, "Ifthenkom");
  AddLink(label, b.command, "next1");
  AddLink(flowEnd, b.command, "kom");
  AddObj(b.condition, "Komblock");
  AddObj(b.then, "Komblock");
  AddObj(b.otherwise, "Komblock");
  AddLink(b.command, b.then, "then1");
  AddLink(b.command, b.condition, "if1");
  AddLink(b.command, b.otherwise, "else1");
  return b;
}

} // namespace zeva
