// What every fuzzer installs: the code-page converter of the fakes (the parsers need nothing else).
#pragma once

#include <cstdlib>

#include "fakes/fake_com.h"
#include "platform/os.h"

namespace qv::fuzz {

inline void install_codec() {
    static fakes::FakeTextCodec codec;
    static bool done = false;
    if (done) return;
    os::Os set;
    set.codec = &codec;
    os::install(set);
    done = true;
}

// A broken promise of the parsers is a finding, like a crash.
inline void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace qv::fuzz
