// What every stand-in tool shares: the log of its raw command line with start and end times, and
// the switches that tests set through the environment.
//
// The log file is named by QV_STANDIN_LOG (UTF-8, one line per event, appended):
//   TOOL<TAB>start<TAB>YYYY-MM-DD HH:MM:SS.mmm<TAB>raw command line
//   TOOL<TAB>end<TAB>YYYY-MM-DD HH:MM:SS.mmm<TAB>exit code
// Switches common to all tools, read as QV_<TOOL>_<SWITCH> with TOOL upper-cased (for example
// QV_IMAGEX_EXIT=3): EXIT (exit code), DELAY_MS (run time before the work), HANG (never ends until
// killed). A stand-in acts only on folders that a test maps to it and never on a raw disk.
#pragma once

#include <string>
#include <vector>

namespace standin {

// Starts the run: logs the raw command line, then sleeps DELAY_MS and hangs when HANG is set.
void begin(const std::wstring& tool);
// Ends the run: logs the exit code (EXIT when set, else `code`) and returns it for main.
int finish(int code);
// Logs a line of the tool's own between start and end: TOOL<TAB>event<TAB>time<TAB>detail.
void note(const std::wstring& event, const std::wstring& detail);

std::wstring raw_command_line();
// The arguments after the program name, split the way the C runtime splits them.
std::vector<std::wstring> arguments();

std::wstring env(const std::wstring& name);
int env_int(const std::wstring& name, int fallback);
// The tool's own switch QV_<TOOL>_<name>.
std::wstring tool_switch(const std::wstring& name);
int tool_switch_int(const std::wstring& name, int fallback);

// Writes text to standard output in code page 936 (what the real tools print on a Chinese
// system), flushing at once so a reader sees it while the tool runs.
void print(const std::wstring& text);
void print_bytes(const std::string& bytes);

std::wstring upper(std::wstring text);
std::string to_utf8(const std::wstring& text);
std::wstring from_utf8(const std::string& text);
// Reads a whole file; false when it cannot be read.
bool read_file(const std::wstring& path, std::string& bytes);
// Writes a whole file, replacing it; false on any failure.
bool write_file(const std::wstring& path, const std::string& bytes);

}  // namespace standin
