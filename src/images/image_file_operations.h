// The found-images list's menu and what its items do to the chosen image file: Explorer on its
// folder, export (copy) and move to a name the user picks, delete, the properties sheet. Also the
// disk menu's item that opens the chosen partition in Explorer.
#pragma once

#include <string>

#include "ui/runtime.h"

namespace qv::ui {

// The entries the menu acts on: Ghost, disc, WIM and split WIM images. Anything else in the list
// (the search's summary and explanation lines) is ignored.
bool is_found_image_kind(const std::string& path);
// The filter of the move and export dialogs for the entry's kind; empty for other entries.
std::string image_file_filter(const std::string& path);

std::string missing_file_text(const std::string& path);
std::string delete_image_question(const std::string& path);
std::string explorer_command_line(const std::string& root);

// Handlers.
void on_image_list_right_click(Event& event);  // RButtonDown on the found-images list
void open_image_location(Event& event);
void export_image_file(Event& event);
void move_image_file(Event& event);
void delete_found_image(Event& event);
void show_image_properties(Event& event);
void open_folder(Event& event);  // the disk menu

void bind_image_file_operation_handlers();

}  // namespace qv::ui
