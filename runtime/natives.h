//===- natives.h - Native function library ----------------------*- C++ -*-===//
//
// Functions that Kel programs and the compiler call natively: text handling,
// conversions, files, timers and dialogs. Texts are 8-bit strings holding
// UTF-8; indices and lengths count whole characters, from 0. "Aborts the
// run" means throwing Kel_Var_2_Exception, which the run frame catches.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "export.h"
#include "kel_var.h"

#include <string>

namespace kel {

// Dialogs.
void showMsg(std::string text) KEL_FUNC(showMsg);
void ext_showMsg(std::string text) KEL_FUNC(ext_showMsg);
void ext_showMsgYesNo(std::string text, bool &yes) KEL_FUNC(ext_showMsgYesNo);
void ext_showMsgInputBox(std::string prompt, std::string &answer,
                         bool &confirmed) KEL_FUNC(ext_showMsgInputBox);

/// True for a null variable, an attribute unknown to the object's class or
/// not of a value type, and an empty value.
bool IsAttrValEmpty(Kel_Var_2 variable, std::string attr)
    KEL_FUNC(IsAttrValEmpty);

// Texts.
std::string toUpper(std::string text) KEL_FUNC(toUpper);
std::string toLower(std::string text) KEL_FUNC(toLower);
/// Index of `pattern` in `text` at or after `start`; -1 if none.
int Pos(std::string text, std::string pattern, int start) KEL_FUNC(Pos);
/// Without leading and trailing blanks (character 32 only).
std::string Trim(std::string text) KEL_FUNC(Trim);
int Length(std::string text) KEL_FUNC(Length);
int Size(std::string text) KEL_FUNC(Size);
/// Characters `from` to `to` inclusive, cut at the end; a `from` past the
/// end aborts the run.
std::string SubString(std::string text, int from, int to) KEL_FUNC(SubString);
std::string Substring(std::string text, int from, int to) KEL_FUNC(Substring);
/// The character at `index`; an index past the end aborts the run.
std::string Char(std::string text, int index) KEL_FUNC(Char);

// Conversions.
std::string IntToStr(int value) KEL_FUNC(IntToStr);
std::string IntToString(int value) KEL_FUNC(IntToString);
std::string BoolToStr(bool value) KEL_FUNC(BoolToStr);
/// At most 15 significant digits, an exponent only where needed.
std::string RealToStr(double value) KEL_FUNC(RealToStr);
int StrToInt(std::string text) KEL_FUNC(StrToInt);
double StrToReal(std::string text) KEL_FUNC(StrToReal);
bool StrToBool(std::string text) KEL_FUNC(StrToBool);
bool IsInt(std::string text) KEL_FUNC(IsInt);
bool IsReal(std::string text) KEL_FUNC(IsReal);
bool IsBool(std::string text) KEL_FUNC(IsBool);
std::string StrToEnum(std::string typeName, std::string literal)
    KEL_FUNC(StrToEnum);
std::string EnumToStr(std::string text) KEL_FUNC(EnumToStr);

// Files: the text is written as it is, in one piece.
void writeToFile(std::string text, std::string fileName) KEL_FUNC(writeToFile);
void appendToFile(std::string text, std::string fileName)
    KEL_FUNC(appendToFile);

/// Aborts the run.
[[noreturn]] void STOP() KEL_FUNC(STOP);

// Timers: elapsed times formatted as " hh:mm s z".
void startTimer() KEL_FUNC(startTimer);
void stopTimer() KEL_FUNC(stopTimer);
std::string elapsedTimeString() KEL_FUNC(elapsedTimeString);
void startNthTimer(int n) KEL_FUNC(startNthTimer);
void stopNthTimer(int n) KEL_FUNC(stopNthTimer);
std::string elapsedNthTimeString(int n) KEL_FUNC(elapsedNthTimeString);

namespace timers {
/// Formats a duration given in days as " hh:mm s z".
std::string format(double days);
/// Zeroes the unnamed timer; clears the numbered ones.
void resetUnnamed();
void destroyNumbered();
} // namespace timers

} // namespace kel
