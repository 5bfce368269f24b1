// The images of the main window: the image-file combo that the start-up scan fills, the
// found-images list of the search, and the four detail lines that describe the image chosen in
// either. The finding itself is in app/image_scan.
#pragma once

#include <string>

#include "images/image_scan.h"
#include "ui/runtime.h"

namespace qv::ui {

// Puts the four lines into their labels and shows the size and time labels.
void show_image_details(Window& main, const ImageDetails& details);

// The start-up scan: the hits join the combo's items, small and missing files leave it, and the
// preferred Ghost image (else the first item) is chosen and described.
void scan_images_into_combo(Window& main);

// Chooses the combo's first item that begins with the path (case ignored), adding the path as a
// new item when there is none.
void choose_or_add_image(Window& main, const std::string& path);

// The combo's entries that lie on the drive named by the text's first character (case ignored)
// leave it; when the current one was among them, the first entry left becomes current.
void drop_images_on_drive(Window& main, const std::string& drive);

// The search of the right-hand column: every drive walked for the chosen pattern to the depth in
// the depth box, the hits shown as they come, then the large ones with a summary line, or the
// lines that explain why nothing was found.
void search_image_files(Window& main);

// Handlers.
void show_selected_image_details(Event& event);  // the image combo: an item was chosen
void on_image_selected(Event& event);            // the found-images list: the selection moved
void on_search_button_clicked(Event& event);

void bind_image_list_handlers();

}  // namespace qv::ui
