// The progress parser and the between-markers search over arbitrary console text: never a crash,
// every member a piece of the subject, the bar within its range, the searches resumed over the
// text as it grows in pieces agreeing with the whole-text ones, and the end-of-job decision
// concluding only on what it was shown.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text_between_all.h"
#include "fuzz_setup.h"
#include "jobs/imagex_progress.h"

namespace {

// Bytes of input beyond these are not read: the parsers walk their text in one pass, so a longer
// text adds time, not paths. scripts/test.sh keeps libFuzzer's inputs within the same length.
constexpr std::size_t kMaxInput = 1024;

// Markers that look at the end of the text are searched over the whole text at every update, so
// the search of markers of the input's choosing gets a shorter text.
constexpr std::size_t kMaxSubject = 256;

// The resumed searches take every piece as it arrives; the whole-text searches they are compared
// with cost as much as the text is long, so they are taken at no more than kComparisons points,
// spread over the text by its bytes, the last one where the text is complete.
constexpr std::size_t kComparisons = 8;

class ComparisonPoints {
public:
    explicit ComparisonPoints(std::size_t size) : size_(size) {}
    // True when a comparison is due now that `at` bytes of the text have arrived.
    bool due(std::size_t at) {
        if (at * kComparisons < next_ * size_) return false;
        while (next_ <= kComparisons && next_ * size_ <= at * kComparisons) ++next_;
        return true;
    }

private:
    std::size_t size_;
    std::size_t next_ = 1;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qv::fuzz::install_codec();
    if (size == 0) return 0;
    size = std::min(size, kMaxInput);
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
        std::string subject = text.substr(b + 1, kMaxSubject);
        std::vector<std::string> texts;
        int n = qv::text_between_all(subject, left, right, texts);
        qv::fuzz::require(n == static_cast<int>(texts.size()));
        qv::fuzz::require(n <= static_cast<int>(subject.size()) + 1);
        for (const std::string& t : texts) qv::fuzz::require(subject.find(t) != std::string::npos);

        qv::TextBetweenSearch search(left, right);
        ComparisonPoints points(subject.size());
        std::string grown;
        grown.reserve(subject.size());
        std::uint32_t seed = flags;
        for (std::size_t at = 0; at < subject.size();) {
            seed = seed * 1103515245u + 12345u;
            std::size_t piece = std::min<std::size_t>(1 + (seed >> 16) % 7, subject.size() - at);
            bool restart = (seed >> 8) % 23 == 0;
            if (restart) grown.clear();
            grown.append(subject, at, piece);
            at += piece;
            search.update(grown, restart);
            if (!points.due(at)) continue;
            std::vector<std::string> all;
            qv::fuzz::require(search.count() == qv::text_between_all(grown, left, right, all));
            std::string mine;
            qv::fuzz::require(search.last(grown, mine) == !all.empty());
            qv::fuzz::require(all.empty() || mine == all.back());
            if (at < subject.size()) continue;
            // The last member alone, found by its own search, is the last of them all.
            std::string theirs;
            qv::fuzz::require(qv::last_text_between(grown, left, right, theirs) == !all.empty());
            qv::fuzz::require(all.empty() || theirs == all.back());
        }
    }

    // The progress tick over the text arriving in pieces, against a read of the whole box. The
    // read is taken where the tick's searches are about to start again, just before the box is
    // emptied, and at the end, at most kComparisons times. A value stays while the box shows none,
    // so each read starts from the values of the one before.
    qv::ConsoleBoxText box;
    box.text.reserve(text.size());
    qv::ImagexProgress ticked, whole;
    std::size_t compared = 0;
    auto compare = [&] {
        ++compared;
        qv::parse_imagex_progress(box.text, qv::kApplyingMarker, whole);
        qv::fuzz::require(ticked.percent == whole.percent && ticked.remaining == whole.remaining);
    };
    std::uint32_t seed = flags * 7u + 1u;
    for (std::size_t at = 0; at < text.size();) {
        seed = seed * 1103515245u + 12345u;
        std::size_t piece = std::min<std::size_t>(1 + (seed >> 16) % 40, text.size() - at);
        if ((seed >> 8) % 17 == 0) {
            if (compared + 1 < kComparisons) {
                compare();
            } else {
                // Past the last read but one the values are carried over as the tick has them.
                whole.percent = ticked.percent;
                whole.remaining = ticked.remaining;
            }
            box.text.clear();
            ++box.emptied;
        }
        box.text.append(text, at, piece);
        at += piece;
        qv::update_imagex_progress(box, qv::kApplyingMarker, ticked);
    }
    compare();

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
