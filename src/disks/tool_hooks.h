// The tools this subsystem runs belong to other parts of the program: the carried-file table and
// the runners. They are handed over here once at start-up (and by tests), so that the drive code
// depends on nothing but these three calls. A call not handed over fails quietly: no file is
// written, the output is empty, nothing starts.
#pragma once

#include <string>

namespace qv {

struct ToolHooks {
    // Writes the carried tool of that file name to the path; false when it could not.
    bool (*write_carried_file)(const std::string& name, const std::string& path) = nullptr;
    // The one-shot capture runner: runs the command hidden and returns its whole output.
    std::string (*capture_output)(const std::string& command) = nullptr;
    // Starts the command hidden and does not wait for it.
    bool (*start_hidden)(const std::string& command) = nullptr;
};

ToolHooks& tool_hooks();

}  // namespace qv
