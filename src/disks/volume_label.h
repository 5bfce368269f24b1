// VolumeLabelWindow: shows the label of the partition chosen in the partition list and sets a new
// one through g_disk. It opens from the partition menu "磁盘" and stays open until it is closed.
#pragma once

#include <string>

#include "ui/runtime.h"

namespace qv {

inline constexpr const char* kVolumeLabelWindowName = "VolumeLabelWindow";
const ui::WindowDef& volume_label_window_def();

// The label read when the window was loaded.
extern std::string g_old_volume_label;

// "原卷标： " followed by the label, or "原卷标： 无" for none.
std::string old_label_line(const std::string& label);
// The reports of a change, by the caption of the selected partition ("C:\(1:1)").
std::string label_changed_text(const std::string& caption);
std::string label_not_changed_text(const std::string& caption);

// Handlers.
void open_volume_label_window(ui::Event& event);  // "更改卷标(&G)"
void volume_label_window_load(ui::Event& event);
void change_volume_label(ui::Event& event);
void on_volume_label_cancel_clicked(ui::Event& event);
void on_volume_label_close_clicked(ui::Event& event);

void bind_volume_label_handlers();

}  // namespace qv
