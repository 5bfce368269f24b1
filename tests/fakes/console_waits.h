// Waits on the program's console in the native tests: its reader runs on a thread of its own, so
// a test waits (briefly, with a bound) until what it printed has been read, or the readers left.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fakes/fake_console.h"

namespace qv::fakes {

// Polls the condition for up to two seconds; its last value.
bool eventually(const std::function<bool()>& condition);
// Prints into the fake interpreter's output and waits until the program's reader has taken it
// in (a failure of the test otherwise).
void print_and_wait_for_reader(FakeConsoleState& console, const std::string& text);
// Stops the program's console; its readers must all have left within the wait.
void stop_console_expecting_no_readers();

bool contains(const std::vector<std::string>& lines, const std::string& text);

}  // namespace qv::fakes
