// The unattended-setup answer file written onto a restored partition: one of four fixed templates,
// chosen by the restored system's explorer.exe version and word size.
#pragma once

#include <functional>
#include <string>

namespace qv {

extern const char kAnswerFileStatusText[];   // the status label while the file is written
extern const char kAnswerFileBalloonText[];  // the balloon before the step
extern const char kAnswerFileFailedText[];
extern const char kAnswerFileUnsupportedText[];

enum class UnattendTemplate { A, B, C, D };

// The template's bytes: UTF-8 XML with CRLF line ends, written unchanged.
// A and B: Windows versions 6.0 and 6.1, 32-bit and 64-bit; C and D: 6.2, 6.3, 6.4 and 10.
const std::string& unattend_template(UnattendTemplate which);

enum class AnswerFileChoice { A, B, C, D, UnsupportedSystem, OtherBinaryType };

// The version's first three characters "6.0" or "6.1" choose the first pair, "6.2", "6.3" or
// "6.4" (or its first two "10") the second; any other version is unsupported. Within a pair the
// binary type 0 (32-bit) chooses the first template and 6 (64-bit) the second.
AnswerFileChoice choose_answer_file(const std::string& explorer_version, int binary_type);

// GetBinaryType's code for the file, -1 when it is no executable.
int binary_type_of(const std::string& file);

// "MD " and the target's Windows\Panther folder.
std::string panther_folder_command(const std::string& target_root);
// The answer file's path on the target.
std::string answer_file_path(const std::string& target_root);

struct AnswerFileResult {
    bool written = false;
    std::string report;  // the text to report (balloon, status label, error box); empty for none
};

// The whole step for a target root such as "C:\": creates the Panther folder through the runner
// when it is missing, reads explorer.exe's version and type, writes the template (replacing an
// old file). A write that fails is reported like a missing explorer.exe.
AnswerFileResult write_answer_file(const std::string& target_root,
                                   const std::function<void(const std::string&)>& run_capture);

}  // namespace qv
