// The date-and-time text of the backup reports ("2015-05-04 09:07:03") and the other forms of the
// same routine.
#pragma once

#include <string>

#include "platform/os.h"

namespace qv {

// The six parts of a date-time as texts: the year as it is, the others padded with "0" on the
// left to two digits.
struct DatePartTexts {
    std::string year, month, day, hour, minute, second;
};
DatePartTexts date_parts_text(const os::LocalTime& when);

// Kinds: 0 date and time, 1 date, 2 month and day, 3 time, 4 hour and minute, 5 minute and
// second. Styles: 0 in words (年月日, 时分秒), 1 "-" and ":", 2 "/" throughout, 3 run together.
// A kind or style outside these gives "时间_到文本() 命令参数填写有误".
std::string time_to_text(const os::LocalTime& when, int style = 1, int kind = 0);
// The same for the current local time.
std::string time_to_text(int style = 1, int kind = 0);

}  // namespace qv
