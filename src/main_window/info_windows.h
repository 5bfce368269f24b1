// The four windows that only inform: AboutWindow, HelpWindow, ParameterHelpWindow and
// PeOnlyNoticeWindow, their openers and closers, and the main menu's customisation notice.
// All are modal. In automatic mode the Ghost restore window stays always on top, so every
// opening path takes it off always-on-top and every closing path puts it back.
#pragma once

#include <string>

#include "ui/runtime.h"

namespace qv::ui {

inline constexpr const char* kAboutWindowName = "AboutWindow";
inline constexpr const char* kHelpWindowName = "HelpWindow";
inline constexpr const char* kParameterHelpWindowName = "ParameterHelpWindow";
inline constexpr const char* kPeOnlyNoticeWindowName = "PeOnlyNoticeWindow";
inline constexpr const char* kGhostRestoreWindowName = "GhostRestoreWindow";

const WindowDef& about_window_def();
const WindowDef& help_window_def();
const WindowDef& parameter_help_window_def();
const WindowDef& pe_only_notice_window_def();

// The automatic-mode Ghost restore window off and back on always-on-top. Each does nothing
// outside automatic mode or while that window is not open.
void lower_ghost_restore_window();
void raise_ghost_restore_window();

// Openers.
void open_about_window(Event& event);              // main menu "关    于(&G)"
void open_help_from_menu(Event& event);            // main menu "帮    助(&H)"
void open_parameter_help_from_menu(Event& event);  // main menu "参数说明(&C)"
void on_help_window_parameters_clicked(Event& event);
void open_help_window();            // Alt+E: modal, without a parent
void open_parameter_help_window();  // Alt+R and start-up: modal, without a parent
void open_pe_only_notice_window();  // start-up outside Windows PE: modal, without a parent
void show_customisation_notice(Event& event);  // main menu "定制软件(&D)"

// Created handlers.
void show_about(Event& event);
void help_window_load(Event& event);
void parameter_help_window_load(Event& event);
void pe_only_notice_window_load(Event& event);

// Closers.
void on_about_ok_clicked(Event& event);
void on_about_close_clicked(Event& event);
void on_help_window_ok_clicked(Event& event);
void on_help_window_close_clicked(Event& event);
// End the program when the parameter help was shown for a wrong option (g_end_after_help).
void on_parameter_help_ok_clicked(Event& event);
void on_parameter_help_close_clicked(Event& event);
// The notice ends the program however it is closed.
void on_pe_only_notice_ok_clicked(Event& event);
void on_pe_only_notice_close_clicked(Event& event);

// "欢迎使用 " + the product title + " V" + the first five characters of the file version.
std::string about_welcome_text(const std::string& file_version);
// The texts of the customisation notice.
std::string customisation_notice_text();

void bind_info_window_handlers();

}  // namespace qv::ui
