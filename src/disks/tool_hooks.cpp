#include "disks/tool_hooks.h"

namespace qv {

ToolHooks& tool_hooks() {
    static ToolHooks hooks;
    return hooks;
}

}  // namespace qv
