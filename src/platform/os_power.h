// Power: ending the Windows session with a restart or a shutdown.
#pragma once

namespace qv::os {

// The flags of a session end (the platform's own numbers).
enum : unsigned { kExitShutdown = 1, kExitReboot = 2 };

class Power {
public:
    virtual ~Power() = default;
    // Enables the shutdown privilege in this process's token; failures are not reported, since
    // the session end that follows reports its own.
    virtual void enable_shutdown_privilege() = 0;
    // Asks the system to end the session with these flags and reason; false when it refuses.
    virtual bool exit_windows(unsigned flags, unsigned reason) = 0;
};

}  // namespace qv::os
