#include "base/message_pacer.h"

#include <utility>

#include "base/tool_runner.h"
#include "platform/os.h"

namespace qv {

MessagePacer::MessagePacer(std::function<void()> before_pump)
    : before_pump_(std::move(before_pump)) {}

bool MessagePacer::pace() {
    // Unsigned difference: the tick counter may wrap around during a long walk.
    if (pumped_ && os::os().clock->tick_ms() - last_ms_ < kIntervalMs) return false;
    pump();
    return true;
}

void MessagePacer::pump() {
    if (before_pump_) before_pump_();
    pump_messages();
    // The interval counts from the end of the pump: a handler that ran inside it was not the
    // work's time.
    last_ms_ = os::os().clock->tick_ms();
    pumped_ = true;
}

}  // namespace qv
