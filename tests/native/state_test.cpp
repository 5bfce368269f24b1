#include <gtest/gtest.h>

#include "base/state.h"

namespace qv {
namespace {

TEST(ProgramState, ResetGivesConstructionValues) {
    g_busy = true;
    g_ghost_noide_switch = " -noide";
    g_command_args = {"/q"};
    g_finish_action = 1;
    g_preferred_image = "D:\\a.gho";
    // A target left over from an earlier run would point the next job at that partition.
    g_target_disk_partition = "1:2";
    g_target_row_key = "D:\\";
    g_target_drive = "D";
    g_ui_locked = true;
    reset_program_state();
    EXPECT_FALSE(g_busy);
    EXPECT_TRUE(g_ghost_noide_switch.empty());
    EXPECT_TRUE(g_command_args.empty());
    EXPECT_EQ(g_finish_action, 0);
    EXPECT_TRUE(g_preferred_image.empty());
    EXPECT_EQ(g_target_disk_partition + g_target_row_key + g_target_drive, "");
    EXPECT_FALSE(g_ui_locked);
}

}  // namespace
}  // namespace qv
