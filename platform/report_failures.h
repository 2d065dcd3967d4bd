#pragma once

#include <functional>

namespace vantor {

class Dialogs;

// Runs f and shows any failure it throws in the error box of dialogs; true when f succeeded.
bool reportFailures(Dialogs& dialogs, const std::function<void()>& f);

} // namespace vantor
