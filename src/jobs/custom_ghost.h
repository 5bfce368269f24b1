// The custom Ghost: "自定义&Ghost32" lets the user put another Ghost executable in place of the
// carried one. A chosen file whose version resource describes Ghost is copied into the system
// folder under a fixed name, and every Ghost command line uses that copy until the box is
// unticked and the carried Ghost is taken back. The box is ticked exactly while the copy is in use.
#pragma once

#include <string>

#include "ui/runtime.h"

namespace qv {

inline constexpr const char kCustomGhostFileName[] = "TesvaneGhostZDY.exe";

// The system folder + kCustomGhostFileName: g_ghost_exe_path while a custom Ghost is in use.
std::string custom_ghost_path();
// The carried Ghost: the Windows folder + g_instance_name + "32.exe".
std::string default_ghost_path();

// CopyFile; true when the copy was made.
bool copy_file(const std::string& source, const std::string& destination, bool fail_if_exists);
// True for a 32-bit Windows program, and when the type cannot be read (the system's answer then
// stays at its starting value, the 32-bit type).
bool is_32bit_binary(const std::string& path);
// The version resource's file description names Ghost (case ignored).
bool describes_ghost(const std::string& file_description);

// The box's Click handler, reading the box's state after the click.
void on_custom_ghost_toggled(ui::Event& event);

void bind_custom_ghost_handlers();

}  // namespace qv
