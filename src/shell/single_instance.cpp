#include "shell/single_instance.h"

#include "base/helpers.h"
#include "base/state.h"
#include "base/tool_runner.h"
#include "platform/os.h"
#include "ui/runtime.h"

namespace qv {

std::string second_copy_message() {
    return "请勿重复运行" + g_maker_name + "Velquist" + g_edition_word + "！";
}

bool ensure_single_instance(const std::string& name, bool show_message, const std::string& message,
                            int style, bool bring_forward) {
    std::string event_name = name;
    if (event_name.empty()) {
        os::Program& program = *os::os().program;
        event_name = replace_all(program.run_folder() + "\\" + program.file_name(), "\\", "/");
    }
    if (os::os().instance->claim(event_name) != os::InstanceClaim::AlreadyRunning) return true;
    if (show_message)
        show_message_box(message.empty() ? std::string("对不起,该进程已打开!") : message, style,
                         "提示");
    if (bring_forward) {
        std::intptr_t window = find_process_window_by_name(os::os().program->file_name());
        if (window > 0) activate_window(static_cast<std::uintptr_t>(window), false);
    }
    if (ui::Runtime* runtime = os::os().ui) runtime->quit(0);
    return false;
}

int show_message_box(const std::string& text, int style, const std::string& caption) {
    return os::os().notices->message_box(text, caption, style) - 1;
}

int collect_top_windows(std::vector<os::WindowEntry>& out) {
    out = os::os().windows->list();
    return static_cast<int>(out.size());
}

std::uintptr_t find_process_windows(std::uint32_t process_id, const std::string& title_part,
                                    const std::string& class_part) {
    std::vector<os::WindowEntry> windows;
    collect_top_windows(windows);
    for (const os::WindowEntry& w : windows) {
        if (w.process_id != process_id || !w.visible) continue;
        if (!title_part.empty() && !contains_ignore_case(w.title, title_part)) continue;
        if (!class_part.empty() && !contains_ignore_case(w.class_name, class_part)) continue;
        return w.window;
    }
    return 0;
}

std::intptr_t find_process_window_by_name(const std::string& exe_name) {
    std::uint32_t id = find_process_id(exe_name);
    if (id == 0) return -1;
    return static_cast<std::intptr_t>(find_process_windows(id));
}

void activate_window(std::uintptr_t window, bool topmost) {
    os::os().windows->activate(window, topmost);
}

}  // namespace qv
