// Long work on the user-interface thread (a walk over every drive, thousands of list items) that
// must leave the window answering: the work asks pace() after each small piece, and the waiting
// window messages are processed whenever 50 ms of work have passed since they last were. Asking is
// one look at the clock, cheap enough for every folder entry.
#pragma once

#include <cstdint>
#include <functional>

namespace qv {

class MessagePacer {
public:
    static constexpr std::uint32_t kIntervalMs = 50;

    // `before_pump` runs just before the messages are processed: the work hands over what it has
    // gathered, so that the window repaints with it.
    explicit MessagePacer(std::function<void()> before_pump = {});
    // Processes the waiting messages when the interval has passed (at once on the first call);
    // true when it did.
    bool pace();
    // Processes them now.
    void pump();

private:
    std::function<void()> before_pump_;
    std::uint32_t last_ms_ = 0;
    bool pumped_ = false;
};

}  // namespace qv
