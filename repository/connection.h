//===- connection.h - The repository the C interface works on ---*- C++ -*-===//
//
// The host connects one repository before it calls the compiler; every
// function of qta_rep.h works on it. With none connected they fail.
//
//===----------------------------------------------------------------------===//
#pragma once

namespace zrep {

class Repository;

/// Connects `repo` (or nothing, with nullptr); returns the previous one.
Repository *connect(Repository *repo);
Repository *connected();

/// Test hook: makes the next transaction start or commit fail.
void failNextTransactionStep(bool start, bool commit);

} // namespace zrep
