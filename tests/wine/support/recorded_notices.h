// Message boxes recorded instead of shown, for the Wine tests that run the program's handlers on
// the real Win32 set.
#pragma once

#include <string>
#include <vector>

#include "platform/os.h"

namespace qv::wine_support {

// Answered from `answers` in order; once they are used up a yes/no question gets Yes and any
// other box OK.
class RecordedNotices : public os::Notices {
public:
    struct Box {
        std::string text;
        std::string caption;
        int style = 0;
    };
    std::vector<Box> boxes;
    std::vector<int> answers;

    int message_box(const std::string& text, const std::string& caption, int style) override {
        boxes.push_back({text, caption, style});
        if (answers.empty()) return (style & 0x0F) == 4 ? os::kIdYes : os::kIdOk;
        int answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    // Each box as "text|caption|style".
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (const Box& b : boxes)
            out.push_back(b.text + "|" + b.caption + "|" + std::to_string(b.style));
        return out;
    }
    // Each box as "text|style".
    std::vector<std::string> texts_and_styles() const {
        std::vector<std::string> out;
        for (const Box& b : boxes) out.push_back(b.text + "|" + std::to_string(b.style));
        return out;
    }
};

}  // namespace qv::wine_support
