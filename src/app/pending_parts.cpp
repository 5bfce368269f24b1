#include "app/pending_parts.h"

#include "app/helpers.h"
#include "ui/main_window.h"

namespace qv {

void open_ghost_restore_window_modal() {}
void open_virtual_drive_window() {}
void quick_restore_hd3() {}
void quick_restore_hd4() {}
void quick_restore_hd5() {}
void show_selected_partition() {}

std::vector<std::string> list_drive_roots() {
    std::vector<std::string> roots;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        std::string root = std::string(1, letter) + ":\\";
        if (drive_exists(root)) roots.push_back(root);
    }
    return roots;
}

std::string drive_to_disk_partition(const std::string& letter) {
    ui::Window* main = ui::main_window();
    if (main == nullptr || letter.empty()) return {};
    std::string root = upper_ascii(letter.substr(0, 1)) + ":\\";
    for (int row = 0; row < main->row_count("partition_list"); ++row)
        if (equals_ignore_case(main->cell("partition_list", row, 0), root))
            return main->cell("partition_list", row, 1);
    return {};
}

}  // namespace qv
