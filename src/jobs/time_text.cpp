#include "jobs/time_text.h"

namespace qv {
namespace {

std::string two_digits(int value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

// One part of a form: its text and what follows it in each style.
struct Part {
    const std::string* text;
    const char* after[4];  // by style; the last part of a form ends with its style-0 word only
};

std::string join(std::initializer_list<Part> parts, int style) {
    std::string out;
    std::size_t i = 0;
    for (const Part& part : parts) {
        out += *part.text;
        bool last = ++i == parts.size();
        if (style == 0 || !last) out += part.after[style];
    }
    return out;
}

}  // namespace

DatePartTexts date_parts_text(const os::LocalTime& when) {
    return {std::to_string(when.year), two_digits(when.month),  two_digits(when.day),
            two_digits(when.hour),     two_digits(when.minute), two_digits(when.second)};
}

std::string time_to_text(const os::LocalTime& when, int style, int kind) {
    if (style < 0 || style > 3 || kind < 0 || kind > 5) return "时间_到文本() 命令参数填写有误";
    DatePartTexts t = date_parts_text(when);
    // In the date-and-time forms the date ends with a blank, not with its own separator.
    const Part year{&t.year, {"年", "-", "/", ""}};
    const Part month{&t.month, {"月", "-", "/", ""}};
    const Part day_in_date{&t.day, {"日", "-", "/", ""}};
    const Part day_before_time{&t.day, {"日", " ", " ", ""}};
    const Part hour{&t.hour, {"时", ":", "/", ""}};
    const Part minute{&t.minute, {"分", ":", "/", ""}};
    const Part second{&t.second, {"秒", ":", "/", ""}};
    switch (kind) {
        case 0:
            return join({year, month, day_before_time, hour, minute, second}, style);
        case 1:
            return join({year, month, day_in_date}, style);
        case 2:
            return join({month, day_in_date}, style);
        case 3:
            return join({hour, minute, second}, style);
        case 4:
            return join({hour, minute}, style);
        default:
            return join({minute, second}, style);
    }
}

std::string time_to_text(int style, int kind) {
    return time_to_text(os::os().clock->now(), style, kind);
}

}  // namespace qv
