// The progress parser and the between-markers search over arbitrary console text: never a crash,
// every member a piece of the subject, the bar within its range, and the end-of-job decision
// concluding only on what it was shown.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text_between_all.h"
#include "fuzz_setup.h"
#include "jobs/imagex_progress.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qv::fuzz::install_codec();
    if (size == 0) return 0;
    const std::uint8_t flags = data[0];
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    qv::ImagexProgress progress;
    qv::parse_imagex_progress(text, flags & 1 ? qv::kCapturingMarker : qv::kApplyingMarker,
                              progress);
    int bar = qv::progress_bar_position(progress);
    qv::fuzz::require(bar >= 0 && bar <= 100);
    qv::fuzz::require(progress.percent.empty() || text.find(progress.percent) != std::string::npos);
    qv::percent_label_text(progress);
    qv::remaining_label_text(progress);

    // Markers of the input's own choosing: its first two lines.
    std::size_t a = text.find('\n');
    std::size_t b = a == std::string::npos ? std::string::npos : text.find('\n', a + 1);
    if (b != std::string::npos && a <= 16 && b - a <= 17) {
        std::string left = text.substr(0, a), right = text.substr(a + 1, b - a - 1);
        std::string subject = text.substr(b + 1);
        std::vector<std::string> texts;
        int n = qv::text_between_all(subject, left, right, texts);
        qv::fuzz::require(n == static_cast<int>(texts.size()));
        qv::fuzz::require(n <= static_cast<int>(subject.size()) + 1);
        for (const std::string& t : texts) qv::fuzz::require(subject.find(t) != std::string::npos);
    }

    qv::ImagexEndWatch watch;
    qv::begin_imagex_end_watch(watch, 0);
    std::uint32_t now = 0;
    for (int tick = 0; tick < 8; ++tick) {
        now += 500u * static_cast<std::uint32_t>((flags >> 4) + 1);
        bool running = (flags >> (tick % 8)) & 2;
        qv::ImagexJobEnd end = qv::decide_imagex_end(watch, now, running, (flags & 4) != 0, text,
                                                     qv::kApplySuccessMarker);
        if (running) qv::fuzz::require(end == qv::ImagexJobEnd::Wait);
        if (end == qv::ImagexJobEnd::Succeeded)
            qv::fuzz::require(text.find(qv::kApplySuccessMarker) != std::string::npos);
    }
    return 0;
}
