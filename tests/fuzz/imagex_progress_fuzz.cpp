// The progress parser and the between-markers search over arbitrary console text: never a crash,
// every member a piece of the subject, the bar within its range, the searches resumed over the
// text as it grows in pieces agreeing with the whole-text ones after every piece, and the
// end-of-job decision concluding only on what it was shown.
#include <algorithm>
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

        qv::TextBetweenSearch search(left, right);
        std::string grown;
        std::uint32_t seed = flags;
        for (std::size_t at = 0; at < subject.size();) {
            seed = seed * 1103515245u + 12345u;
            std::size_t piece = std::min<std::size_t>(1 + (seed >> 16) % 7, subject.size() - at);
            bool restart = (seed >> 8) % 23 == 0;
            if (restart) grown.clear();
            grown.append(subject, at, piece);
            at += piece;
            search.update(grown, restart);
            std::vector<std::string> all;
            qv::fuzz::require(search.count() == qv::text_between_all(grown, left, right, all));
            std::string mine, theirs;
            qv::fuzz::require(search.last(grown, mine) ==
                              qv::last_text_between(grown, left, right, theirs));
            qv::fuzz::require(mine == theirs);
        }
    }

    // The progress tick over the text arriving in pieces, against a read of the whole box.
    qv::ConsoleBoxText box;
    qv::ImagexProgress ticked, whole;
    std::uint32_t seed = flags * 7u + 1u;
    for (std::size_t at = 0; at < text.size();) {
        seed = seed * 1103515245u + 12345u;
        std::size_t piece = std::min<std::size_t>(1 + (seed >> 16) % 40, text.size() - at);
        if ((seed >> 8) % 17 == 0) {
            box.text.clear();
            ++box.emptied;
        }
        box.text.append(text, at, piece);
        at += piece;
        qv::update_imagex_progress(box, qv::kApplyingMarker, ticked);
        qv::parse_imagex_progress(box.text, qv::kApplyingMarker, whole);
        qv::fuzz::require(ticked.percent == whole.percent && ticked.remaining == whole.remaining);
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
