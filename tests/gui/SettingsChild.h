#pragma once

#include <QStringList>

namespace kalvo::test {

// The test binary started with this flag runs as a separate program that works on the
// settings store, so that a test sees what a fresh process reads from it, not what
// QSettings still caches in the process that wrote it.
inline constexpr char settingsChildFlag[] = "--settings-child";

// Runs actions from left to right on one ProgrammSettings over a QtSettingsStore:
// "set E T" (E, T: 0 or 1) sets the options in memory, "load" and "save" call loadAll and
// saveAll, "print" writes "ShowExitConfirmation=E ShowTip=T" as a line to stdout.
// Returns the process exit code: 2 for actions it does not understand.
int runSettingsChild(const QStringList& actions);

}  // namespace kalvo::test
