#include "main_window/main_window_def.h"

#include <utility>

#include "main_window/partition_columns.h"

namespace qv::ui {
namespace {

constexpr const char* kBuiltInCaption = "QuennixVelquistPE版 V1.7.3";

// Positions are the built-in values, inside the named container: "" is the window, "skin" the skin
// picture box at (1,1), "panel" the background picture box inside the skin. The two layouts
// (main_layout) move and resize some of them again at start-up, and from then on the layout
// values rule where they differ from these: the start button's left (232 here, 230 expanded),
// the menu button's left (576 / 578), the minimise button's left (604 / 606), the window height
// (448 / 446), the skin height (446 / 444) and the partition list's height (100 / 104).
// Sizes that no layout value fixes are chosen so that neighbours do not overlap.

ControlDef& add_dialog(std::vector<ControlDef>& list, std::string role, std::string unit, Kind kind,
                       std::string title, std::string filter, std::string default_ext) {
    ControlDef& c =
        add_control(list, std::move(role), std::move(unit), kind, "", 0, 0, 0, 0, std::move(title));
    c.filter = std::move(filter);
    c.default_ext = std::move(default_ext);
    c.visible = false;
    return c;
}

void add_controls(std::vector<ControlDef>& cs) {
    // Containers first, so that every control finds its container already made.
    ControlDef* c = &add_control(cs, "skin", "图片框2", Kind::PictureBox, "", 1, 1, 664, 446);
    c->picture = "main_skin";
    c->flags = kSkin;
    c = &add_control(cs, "panel", "图片框1", Kind::PictureBox, "skin", 8, 72, 648, 330);
    c->picture = "main_panel";

    // The panel: mode radios, image row, advanced options, search column.
    c = &add_control(cs, "restore_radio", "单选框1", Kind::Radio, "panel", 8, 14, 92, 16,
                     "还原分区(&R)");
    c->checked = true;
    add_control(cs, "backup_radio", "单选框2", Kind::Radio, "panel", 108, 14, 92, 16,
                "备份分区(&B)");
    add_control(cs, "disc_install_radio", "单选框3", Kind::Radio, "panel", 206, 14, 92, 16,
                "光盘安装(&G)");
    add_control(cs, "custom_ghost_check", "选择框1", Kind::Check, "panel", 300, 14, 100, 16,
                "自定义&Ghost32");
    add_control(cs, "image_caption_label", "透明标签6", Kind::Label, "panel", 8, 40, 207, 16,
                "请选择Gho、ISO、SWM、WIM映像文件：");
    add_control(cs, "refresh_label", "透明标签19", Kind::Label, "panel", 327, 40, 74, 16,
                "刷新列表(&H)");
    c = &add_control(cs, "browse_button", "按钮3", Kind::PictureButton, "panel", 327, 63, 74, 26,
                     "打开(O)");
    c->picture = "btn_open";
    add_control(cs, "advanced_label", "透明标签1", Kind::Label, "panel", 7, 208, 64, 16,
                "高级选项：");
    add_control(cs, "manual_ghost_check", "选择框5", Kind::Check, "panel", 8, 232, 160, 16,
                "手动运行Ghost32(&M)");
    // A notice of the maker's remote service; it never does anything and stays disabled. Its
    // text fits the box's width in the program's face.
    c = &add_control(cs, "service_advert_check", "选择框4", Kind::Check, "panel", 176, 231, 223, 16,
                     "远程装机服务 电话：000-0000-0000");
    c->enabled = false;
    c = &add_control(cs, "noide_check", "选择框6", Kind::Check, "panel", 8, 256, 160, 16,
                     "禁止访问IDE设备(&D)");
    c->checked = true;
    add_control(cs, "password_check", "选择框8", Kind::Check, "panel", 176, 256, 70, 16,
                "Gho密码：");
    c = &add_control(cs, "password_edit", "编辑框1", Kind::Edit, "panel", 247, 256, 152, 16);
    c->enabled = false;
    add_control(cs, "integrity_check", "选择框7", Kind::Check, "panel", 8, 280, 160, 16,
                "检查Gho完整性(&E)");
    c = &add_control(cs, "crcignore_check", "选择框10", Kind::Check, "panel", 176, 280, 160, 16,
                     "忽略CRC错误(&F)");
    c->checked = true;
    // The two backup lists share the row of the CRC box; the panel modes show one or the other.
    c = &add_control(cs, "compression_combo", "组合框3", Kind::DropList, "panel", 176, 280, 103,
                     20);
    c->items = {"不压缩", "快速压缩", "中等压缩", "最高压缩"};
    c->selected = 3;
    c->visible = false;
    c = &add_control(cs, "split_combo", "组合框2", Kind::DropList, "panel", 296, 280, 103, 20);
    c->items = {"不分卷", "650 MB", "1950 MB", "3950 MB", "自动检测"};
    c->selected = 0;
    c->visible = false;
    add_control(cs, "restart_after_job_check", "选择框9", Kind::Check, "panel", 8, 304, 160, 16,
                "完成后重启(&R)");
    add_control(cs, "shutdown_after_job_check", "选择框11", Kind::Check, "panel", 176, 304, 160, 16,
                "完成后关机(&X)");
    add_control(cs, "found_images_list", "列表框1", Kind::ListBox, "panel", 407, 8, 232, 175);
    add_control(cs, "depth_label", "透明标签8", Kind::Label, "panel", 408, 200, 60, 16,
                "目录层数：");
    add_control(cs, "depth_edit", "编辑框2", Kind::Edit, "panel", 468, 192, 24, 23, "3");
    // The four lines of an image's details; until an image is described the first two hold a
    // note on the search and the last two are hidden.
    add_control(cs, "image_location_label", "透明标签5", Kind::Label, "panel", 408, 224, 240, 16,
                "说明：程序将搜索磁盘各分区指定目录层数。");
    add_control(cs, "image_type_label", "透明标签10", Kind::Label, "panel", 408, 248, 240, 16,
                "            所有可用映像文件并列表显示。");
    c = &add_control(cs, "image_size_label", "透明标签11", Kind::Label, "panel", 408, 272, 240, 16,
                     "大小：");
    c->visible = false;
    c = &add_control(cs, "image_time_label", "透明标签12", Kind::Label, "panel", 408, 296, 240, 16,
                     "时间：");
    c->visible = false;

    // The skin and the window: the image row's combos, the partition list, the search pattern,
    // the bottom buttons and the title-bar buttons.
    add_control(cs, "image_combo", "组合框1", Kind::DropList, "", 16, 136, 311, 24);
    c = &add_control(cs, "backup_path_combo", "组合框6", Kind::DropList, "skin", 16, 136, 311, 24);
    c->visible = false;
    c = &add_control(cs, "optical_drive_combo", "组合框7", Kind::DropList, "skin", 16, 136, 392,
                     24);
    c->visible = false;
    c = &add_control(cs, "partition_list", "超级列表框1", Kind::ListView, "skin", 16, 167, 391,
                     100);
    for (const PartitionColumn& column : partition_columns(PartitionListMode::Restore)) {
        c->items.push_back(column.caption);
        c->widths.push_back(column.width);
    }
    c = &add_control(cs, "search_pattern_combo", "组合框4", Kind::DropList, "skin", 523, 264, 64,
                     22);
    c->items = {"*.Gho", "*.ISO", "*.WIM", "*.SWM"};
    c->selected = 0;
    c = &add_control(cs, "search_button", "按钮5", Kind::PictureButton, "", 592, 263, 59, 26,
                     "搜索(S)");
    c->picture = "btn_search";
    c = &add_control(cs, "expand_button", "按钮6", Kind::PictureButton, "", 8, 280, 82, 26,
                     "高级(A)");
    c->picture = "btn_expand";
    c = &add_control(cs, "compact_button", "按钮4", Kind::PictureButton, "", 8, 410, 82, 26,
                     "简洁(A)");
    c->picture = "btn_compact";
    c = &add_control(cs, "start_button", "按钮2", Kind::PictureButton, "", 232, 410, 82, 26,
                     "确定(C)");
    c->picture = "btn_ok";
    c = &add_control(cs, "exit_button", "按钮1", Kind::PictureButton, "", 325, 410, 82, 26,
                     "退出(X)");
    c->picture = "btn_exit";
    add_control(cs, "version_label", "透明标签18", Kind::Label, "skin", 592, 415, 64, 16,
                "Ver：1.8.2");
    // The title drawn on the skin, beside the skin's disc mark: the window's caption, which
    // start-up sets on both. Sized to its text, so that the rest of the title band still moves
    // the window.
    c = &add_control(cs, "caption_label", "标题标签", Kind::Label, "skin", 30, 5, 0, 0,
                     kBuiltInCaption);
    c->flags = kBold;
    // The title-bar buttons show only symbols; their captions name them for tools that read
    // the window from outside.
    c = &add_control(cs, "menu_button", "图形按钮2", Kind::PictureButton, "", 576, 1, 29, 24,
                     "菜单");
    c->picture = "btn_menu";
    c = &add_control(cs, "minimize_button", "图形按钮3", Kind::PictureButton, "skin", 604, 0, 31,
                     25, "最小化");
    c->picture = "btn_minimize";
    c = &add_control(cs, "close_button", "图形按钮1", Kind::PictureButton, "", 636, 1, 29, 24,
                     "关闭");
    c->picture = "btn_close";

    // Work fields: below the window's bottom edge and never shown. The five labels hold the
    // partition last picked in the list, the two edit boxes capture tool output, the list box
    // gathers images found on a mounted disc.
    const char* const partition_roles[][2] = {
        {"selected_caption_label", "透明标签2"},         // "C:\(1:1)"
        {"selected_disk_partition_label", "透明标签3"},  // "1:1"
        {"selected_drive_label", "透明标签4"},           // "C:\"
        {"selected_drive_type_label", "透明标签7"},      // drive type name
        {"selected_system_label", "透明标签9"},          // system text
    };
    int y = 470;
    for (const auto& role_unit : partition_roles) {
        c = &add_control(cs, role_unit[0], role_unit[1], Kind::Label, "", 8, y, 200, 16);
        c->visible = false;
        y += 20;
    }
    c = &add_control(cs, "edition_info_edit", "编辑框3", Kind::Edit, "", 216, 470, 200, 96);
    c->flags = kMultiLine | kVScroll;
    c->visible = false;
    c = &add_control(cs, "image_check_output_edit", "编辑框4", Kind::Edit, "", 424, 470, 200, 96);
    c->flags = kMultiLine | kVScroll;
    c->visible = false;
    c = &add_control(cs, "disc_images_list", "列表框2", Kind::ListBox, "", 632, 470, 200, 96);
    c->visible = false;

    // Parts without a place on screen. The tray icon enters the notification area only when
    // start-up adds it (tray_add), so it starts not shown.
    c = &add_control(cs, "tray_icon", "托盘图标1", Kind::TrayIcon, "", 0, 0, 0, 0, "VelquistPE版");
    c->visible = false;
    // The drop target starts accepting files; the backup panel turns it off.
    add_control(cs, "drop_target", "拖放对象1", Kind::DropTarget, "", 0, 0, 0, 0);
    add_timer(cs, "disk_layout_timer", "时钟2");   // whole-disk layout watch
    add_timer(cs, "manual_ghost_timer", "时钟3");  // hand-run Ghost watch
    add_timer(cs, "imagex_left_timer", "时钟4");   // imagex left running by a closed window
    add_dialog(cs, "image_open_dialog", "通用对话框1", Kind::OpenDialog,
               "请选择Gho、ISO、SWM、WIM映像文件",
               "Windows 安装映像(*.Gho;*.ISO;*.SWM;*.WIM)|*.Gho;*.SWM;*.ISO;*.WIM|"
               "WinNT5.X安装程序(WinNT32.exe)|WinNT32.exe",
               ".Gho");
    add_dialog(cs, "backup_save_dialog", "通用对话框2", Kind::SaveDialog, "保存Gho、WIM映像文件",
               "Windows 安装映像(*.Gho;*.WIM)|*.Gho;*.WIM", ".Gho");
    add_dialog(cs, "custom_ghost_dialog", "通用对话框3", Kind::OpenDialog, "自定义Ghost32",
               "Ghost32主程序(*.exe)|*.exe", ".exe");
    // Move and export name their destination here; they set title and filter each time.
    add_dialog(cs, "file_operation_dialog", "通用对话框4", Kind::SaveDialog, "", "", "");
    add_dialog(cs, "bcd_open_dialog", "通用对话框5", Kind::OpenDialog, "打开BCD文件",
               "BCD引导文件(BCD)|BCD", "");
}

MenuItemDef item(std::string role, std::string caption, int level = 0, bool hidden = false) {
    MenuItemDef m;
    m.role = std::move(role);
    m.caption = std::move(caption);
    m.level = level;
    m.hidden = hidden;
    return m;
}

MenuItemDef separator(int level = 0) {
    return item("", "", level);
}

// Opened by the menu button and by the tray icon.
MenuDef main_menu() {
    MenuDef m;
    m.name = "菜单";
    m.role = "main_menu";
    m.items = {
        item("main_menu_about", "关    于(&G)"),
        separator(),
        item("main_menu_customisation", "定制软件(&D)"),
        separator(),
        item("", "扩展工具(&K)"),
        item("main_menu_rebuild_mbr", "重建主引导记录(&M)", 1),
        separator(1),
        item("main_menu_boot_repair", "Windows引导修复(&N)", 1),
        separator(1),
        item("main_menu_edit_bcd", "BCD引导文件编辑(&B)", 1),
        separator(1),
        item("main_menu_virtual_drive", "虚拟光驱(&G)", 1),
        separator(),
        item("", "自动分区(&F)"),
        item("main_menu_three_partitions", "一键分3区(&S)", 1),
        separator(1),
        item("main_menu_four_partitions", "一键分4区(&T)", 1),
        separator(1),
        item("main_menu_five_partitions", "一键分5区(&W)", 1),
        separator(),
        item("", "操作完成(&R)"),
        item("main_menu_auto_shutdown", "自动关机(&C)", 1),
        separator(1),
        item("main_menu_auto_restart", "自动重启(&G)", 1),
        separator(),
        item("", "电源控制(&S)"),
        item("main_menu_restart_now", "立即重启(&R)", 1),
        separator(1),
        item("main_menu_shutdown_now", "立即关机(&G)", 1),
        separator(),
        item("main_menu_help", "帮    助(&H)"),
        separator(),
        item("main_menu_parameter_help", "参数说明(&C)"),
        separator(),
        item("main_menu_exit", "退    出(&Z)"),
    };
    return m;
}

// Opened by a right press on the found-images list. The mount item and its separator show only
// for a disc image, so they carry roles of their own.
MenuDef list_menu() {
    MenuDef m;
    m.name = "列表菜单";
    m.role = "list_menu";
    m.items = {
        item("list_menu_mount", "加载到虚拟光驱(&G)", 0, true),
        item("list_menu_mount_separator", "", 0, true),
        item("list_menu_browse", "浏    览(&L)"),
        separator(),
        item("list_menu_export", "导    出(&E)"),
        separator(),
        item("list_menu_move", "移    动(&T)"),
        separator(),
        item("list_menu_delete", "删    除(&D)"),
        separator(),
        item("list_menu_properties", "属    性(&R)"),
    };
    return m;
}

// Opened by a right click on the partition list. The remove item and its separator show only
// for a removable drive.
MenuDef disk_menu() {
    MenuDef m;
    m.name = "磁盘";
    m.role = "disk_menu";
    m.items = {
        item("disk_menu_open", "打    开(&C)"),
        item("disk_menu_remove_separator", "", 0, true),
        item("disk_menu_remove", "移    除(&J)", 0, true),
        separator(),
        item("disk_menu_format", "格 式 化(&H)"),
        separator(),
        item("disk_menu_volume_label", "更改卷标(&G)"),
        separator(),
        item("disk_menu_partition_info", "分区信息(&F)"),
        separator(),
        item("disk_menu_properties", "属    性(&R)"),
        separator(),
        item("", "自动分区(&F)"),
        item("disk_menu_three_partitions", "一键分3区(&S)", 1),
        separator(1),
        item("disk_menu_four_partitions", "一键分4区(&T)", 1),
        separator(1),
        item("disk_menu_five_partitions", "一键分5区(&W)", 1),
        separator(),
        item("", "电源控制(&S)"),
        item("disk_menu_restart_system", "重启系统(&R)", 1),
        separator(1),
        item("disk_menu_shutdown_system", "关闭系统(&S)", 1),
    };
    return m;
}

WindowDef make_main_window_def() {
    WindowDef def;
    def.name = kMainWindowName;
    def.w = 666;
    def.h = 448;
    def.caption = kBuiltInCaption;
    def.frameless = true;
    def.controls.reserve(80);
    add_controls(def.controls);
    def.menus = {main_menu(), list_menu(), disk_menu()};
    return def;
}

}  // namespace

const WindowDef& main_window_def() {
    static const WindowDef def = make_main_window_def();
    return def;
}

}  // namespace qv::ui
