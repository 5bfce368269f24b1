// The UI script driver of the test builds: a UTF-8 file of commands that act on the windows like a
// user would, one line at a time, from a timer on the user-interface thread. Timers run inside
// every message loop (modal windows, message boxes, menus), so a script goes on while a modal
// window waits for it. Each step is written to the notice log before it runs:
//   script <TAB> the line <TAB> <TAB>                 (a step)
//   script <TAB> the line <TAB> failed <TAB> reason   (a step that could not be done; the program
//                                                      then ends with exit code 99)
//   script <TAB> (end)                                (the last line was done)
//
// Commands (WINDOW is a window definition's name, UNIT a control's unit name; blank lines and
// lines starting with '#' are skipped):
// clang-format off
//   wait MS                      go on after MS milliseconds
//   waitwindow WINDOW [MS]       wait until the window is open and visible (10000 ms at most)
//   waitgone WINDOW [MS]         wait until no window of that name is open (10000 ms at most)
//   waitenabled WINDOW UNIT [MS] wait until the control is enabled (10000 ms at most)
//   waitfile PATH [MS]           wait until the file exists (10000 ms at most): a test outside the
//                                program says with it that it has looked at what it wanted to see
//   item WINDOW UNIT INDEX       logs: item <TAB> WINDOW UNIT INDEX <TAB> the item's text, of a
//                                combo or list box; a negative INDEX counts from the end
//   click WINDOW UNIT [ROW]      press a button, check box, radio or label; a list row: select and
//                                click
//   rclick WINDOW UNIT [ROW]     right button on a list, a list-view row or the tray icon
//   dblclick WINDOW UNIT ROW     double click on a list-view row
//   check WINDOW UNIT 0|1        click the box when its state differs
//   select WINDOW UNIT INDEX     choose an item of a combo or list box, or a list-view row
//   settext WINDOW UNIT TEXT     type TEXT (the rest of the line) into an edit box
//   menu WINDOW CAPTION          choose a menu item (the rest of the line, "menu > head > item"
//                                allowed)
//   hotkey WINDOW ID             the hot key of that id is pressed
//   device WINDOW CODE           a device-change notice with that event number (0x8000 arrival)
//   drop WINDOW PATH[|PATH...]   files dropped on the window
//   close WINDOW                 the user closes the window (Alt+F4)
//   state WINDOW UNIT            logs: state <TAB> WINDOW UNIT <TAB> text <TAB> checked=0 enabled=1
//                                visible=1 selected=-1 count=0
//   shot FILE [WINDOW]           a screenshot of the window (the first visible one) as PNG
//   quit [CODE]                  ends the program
// clang-format on
#pragma once

namespace qv::win32 {

class Win32Runtime;

// Starts the script named by QV_UI_SCRIPT, when it is set (test builds only).
void start_ui_script(Win32Runtime& runtime);
// Ends a running script (a test whose runtime goes away).
void stop_ui_script();

}  // namespace qv::win32
