#pragma once

#include "page_creation.h"

#include <QStringList>
#include <QTextStream>
#include <optional>

namespace vantor::utilities {

// The command-line forms of "Save" and "View Player Rankings":
//   page FILE --by KEY [--comment TEXT] [--coop]   as "Save", histories included
//   rankings [--by KEY] [--coop]                   writes "Rankings.html" without opening it
// `args` excludes the program name. Returns the exit status, or nullopt when the first
// argument names neither command. Messages go to out, failures and usage to err.
std::optional<int> runPageCommand(const QStringList& args, const SettingsStore& store,
                                  const Ranker& ranker, QTextStream& out, QTextStream& err);

} // namespace vantor::utilities
