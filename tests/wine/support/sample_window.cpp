#include "sample_window.h"

namespace qv::testing {
namespace {

ui::ControlDef make(const char* role, const char* unit, ui::Kind kind, const char* parent, int x,
                    int y, int w, int h, const char* caption) {
    ui::ControlDef c;
    c.role = role;
    c.unit = unit;
    c.kind = kind;
    c.parent = parent;
    c.x = x;
    c.y = y;
    c.w = w;
    c.h = h;
    c.caption = caption;
    return c;
}

}  // namespace

ui::WindowDef sample_window_def() {
    using ui::Kind;
    ui::WindowDef def;
    def.name = "SampleWindow";
    def.w = 420;
    def.h = 360;
    def.caption = "示例窗口 V1.0";
    def.frameless = true;
    auto& c = def.controls;

    c.push_back(make("skin", "图片框2", Kind::PictureBox, "", 0, 0, 420, 360, ""));
    c.back().picture = "test_skin";
    c.back().flags = ui::kSkin;
    c.push_back(make("panel", "图片框1", Kind::PictureBox, "skin", 8, 44, 404, 160, ""));
    c.back().picture = "test_panel.jpg";
    c.push_back(make("title", "透明标签20", Kind::Label, "skin", 10, 12, 0, 0, "示例窗口"));
    c.back().flags = ui::kBold | ui::kWhiteText;

    c.push_back(make("restore_radio", "单选框1", Kind::Radio, "panel", 8, 8, 0, 0, "还原分区(&R)"));
    c.back().checked = true;
    c.push_back(
        make("backup_radio", "单选框2", Kind::Radio, "panel", 110, 8, 0, 0, "备份分区(&B)"));
    c.push_back(
        make("noide_check", "选择框6", Kind::Check, "panel", 8, 32, 0, 0, "禁止访问IDE设备(&D)"));
    c.back().checked = true;
    c.push_back(
        make("password_check", "选择框8", Kind::Check, "panel", 150, 32, 0, 0, "Gho密码："));
    c.push_back(make("image_caption", "透明标签6", Kind::Label, "panel", 8, 56, 207, 16,
                     "请选择Gho、ISO、SWM、WIM映像文件："));
    c.push_back(
        make("refresh_label", "透明标签19", Kind::Label, "panel", 8, 76, 0, 0, "刷新列表(&H)"));
    c.back().flags = ui::kLink;
    c.push_back(make("password_edit", "编辑框1", Kind::Edit, "panel", 100, 76, 110, 20, ""));
    c.back().flags = ui::kPassword;
    c.back().enabled = false;
    c.push_back(make("pattern_combo", "组合框4", Kind::DropList, "panel", 8, 100, 90, 22, ""));
    c.back().items = {"*.Gho", "*.ISO", "*.WIM", "*.SWM"};
    c.back().selected = 0;
    c.push_back(make("compress_combo", "组合框3", Kind::DropList, "panel", 110, 100, 100, 20, ""));
    c.back().items = {"不压缩", "快速压缩", "中等压缩", "最高压缩"};
    c.back().selected = 3;
    c.back().visible = false;
    c.push_back(make("found_list", "列表框1", Kind::ListBox, "panel", 230, 8, 166, 100, ""));
    c.back().items = {"D:\\映像\\系统.GHO", "E:\\备份\\win7.wim"};
    c.push_back(make("depth_edit", "编辑框2", Kind::Edit, "panel", 230, 110, 30, 18, "3"));
    c.push_back(
        make("version_label", "透明标签18", Kind::Label, "panel", 8, 134, 0, 0, "Ver：1.8.2"));
    c.back().flags = ui::kWhiteText;
    c.push_back(make("job_progress", "进度条1", Kind::ProgressBar, "panel", 230, 130, 166, 14, ""));

    c.push_back(make("partition_list", "超级列表框1", Kind::ListView, "skin", 8, 210, 300, 92, ""));
    c.back().items = {"还原", "盘号", "系统"};
    c.back().widths = {60, 60, 150};
    c.push_back(make("console_edit", "编辑框5", Kind::Edit, "skin", 316, 210, 96, 92, ""));
    c.back().flags = ui::kMultiLine | ui::kReadOnly | ui::kVScroll;
    c.push_back(make("logo", "图片1", Kind::Image, "skin", 380, 14, 24, 12, ""));
    c.back().picture = "test_button";

    c.push_back(make("start_button", "按钮2", Kind::PictureButton, "", 8, 318, 82, 26, "确定(&C)"));
    c.back().picture = "test_button";
    c.push_back(
        make("exit_button", "按钮1", Kind::PictureButton, "", 100, 318, 82, 26, "退出(&X)"));
    c.back().picture = "no_such_picture";
    c.push_back(make("alone_radio", "单选框9", Kind::Radio, "", 200, 322, 0, 0, "单独(&S)"));

    c.push_back(make("tray", "托盘图标1", Kind::TrayIcon, "", 0, 0, 0, 0, "VelquistPE版"));
    c.push_back(make("drop", "拖放对象1", Kind::DropTarget, "", 0, 0, 0, 0, ""));
    c.push_back(make("watch_timer", "时钟2", Kind::Timer, "", 0, 0, 0, 0, ""));
    c.push_back(make("image_dialog", "通用对话框1", Kind::OpenDialog, "", 0, 0, 0, 0,
                     "请选择Gho、ISO、SWM、WIM映像文件"));
    c.back().filter =
        "Windows 安装映像(*.Gho;*.ISO)|*.Gho;*.ISO|WinNT5.X安装程序(WinNT32.exe)|WinNT32.exe";
    c.back().default_ext = ".Gho";
    c.push_back(make("save_dialog", "通用对话框2", Kind::SaveDialog, "", 0, 0, 0, 0,
                     "保存Gho、WIM映像文件"));
    c.back().filter = "Windows 安装映像(*.Gho;*.WIM)|*.Gho;*.WIM";
    c.back().default_ext = ".Gho";

    ui::MenuDef main_menu;
    main_menu.name = "菜单";
    main_menu.role = "main_menu";
    main_menu.items = {
        {"about", "关    于(&G)", 0, false},
        {"", "", 0, false},
        {"", "扩展工具(&K)", 0, false},
        {"rebuild_mbr", "重建主引导记录(&M)", 1, false},
        {"", "", 1, false},
        {"virtual_drive", "虚拟光驱(&G)", 1, false},
        {"mount_separator", "", 0, true},
        {"mount_iso", "加载到虚拟光驱(&G)", 0, true},
        {"", "", 0, false},
        {"auto_shutdown", "自动关机(&C)", 0, false},
        {"quit_item", "退    出(&Z)", 0, false},
    };
    ui::MenuDef disk_menu;
    disk_menu.name = "磁盘";
    disk_menu.role = "disk_menu";
    disk_menu.items = {
        {"open_folder", "打    开(&C)", 0, false},
        {"", "自动分区(&F)", 0, false},
        {"three_parts", "一键分3区(&S)", 1, false},
        {"disk_virtual_drive", "虚拟光驱(&G)", 0, false},
    };
    def.menus = {main_menu, disk_menu};
    return def;
}

}  // namespace qv::testing
