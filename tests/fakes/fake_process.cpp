#include "fakes/fake_process.h"

#include <algorithm>

#include "base/helpers.h"
#include "platform/os.h"

namespace qv::fakes {
namespace {

// The file name of the command's program: the first word, or the quoted first part.
std::string program_name(const std::string& command_line) {
    std::string first;
    if (!command_line.empty() && command_line[0] == '"') {
        first = command_line.substr(1, command_line.find('"', 1) - 1);
    } else {
        first = command_line.substr(0, command_line.find(' '));
    }
    return get_file_title(first, true);
}

// A process as the program holds it. `launch` is the index of the launch that started it, or -1
// for a process opened by its id.
class FakeWatch : public os::ProcessWatch {
public:
    FakeWatch(FakeProcesses& owner, std::uint32_t id, long launch)
        : owner_(owner), id_(id), launch_(launch) {}
    bool ended() override { return owner_.poll(id_); }
    int exit_code() override {
        FakeProcesses::Proc* p = owner_.find(id_);
        return p == nullptr || !p->ended ? os::kStillActive : p->exit_code;
    }
    bool wait(int timeout_ms, os::Wake wake) override {
        owner_.wakes.push_back(wake);
        if (launch_ >= 0 && static_cast<std::size_t>(launch_) < owner_.launches.size())
            owner_.launches[static_cast<std::size_t>(launch_)].wait = true;
        return owner_.wait_on(id_, timeout_ms);
    }
    bool input_idle() override {
        FakeProcesses::Proc* p = owner_.find(id_);
        if (p == nullptr || p->busy_for_input == 0) return true;
        if (p->busy_for_input > 0) --p->busy_for_input;
        return false;
    }

private:
    FakeProcesses& owner_;
    std::uint32_t id_;
    long launch_;
};

class FakeCaptured : public os::CapturedProcess {
public:
    FakeCaptured(FakeProcesses& owner, std::uint32_t id, long launch)
        : owner_(owner), id_(id), process_(owner, id, launch) {}
    std::size_t bytes_waiting() override {
        FakeProcesses::Proc* p = owner_.find(id_);
        return p == nullptr ? 0 : p->pipe.size();
    }
    std::string read(std::size_t max_bytes) override {
        owner_.read_sizes.push_back(max_bytes);
        FakeProcesses::Proc* p = owner_.find(id_);
        if (p == nullptr) return {};
        std::string chunk = p->pipe.substr(0, max_bytes);
        p->pipe.erase(0, chunk.size());
        return chunk;
    }
    bool ended() override { return process_.ended(); }
    int exit_code() override { return process_.exit_code(); }
    bool wait(int timeout_ms, os::Wake wake) override { return process_.wait(timeout_ms, wake); }
    bool input_idle() override { return process_.input_idle(); }

private:
    FakeProcesses& owner_;
    std::uint32_t id_;
    FakeWatch process_;
};

int wait_step(int timeout_ms) {
    return timeout_ms < 0 ? FakeProcesses::kWaitStepMs
                          : std::min(timeout_ms, FakeProcesses::kWaitStepMs);
}

void pass_time(int ms) {
    if (os::Clock* clock = os::os().clock) clock->sleep_ms(ms);
}

}  // namespace

std::uint32_t FakeProcesses::add_process(const std::string& name, int polls) {
    Script s;
    s.name = name;
    s.polls = polls;
    return spawn(name, &s);
}

bool FakeProcesses::running(const std::string& name) const {
    for (const auto& [id, p] : procs_)
        if (!p.ended && equals_ignore_case(p.name, name)) return true;
    return false;
}

std::vector<std::string> FakeProcesses::commands() const {
    std::vector<std::string> out;
    for (const Launch& l : launches) out.push_back(l.command_line);
    return out;
}

const FakeProcesses::Script* FakeProcesses::script_for(const std::string& command_line) const {
    for (const Script& s : scripts)
        if (s.match.empty() || contains_ignore_case(command_line, s.match)) return &s;
    return nullptr;
}

std::uint32_t FakeProcesses::spawn(const std::string& command_line, const Script* script) {
    Proc p;
    p.name = script != nullptr && !script->name.empty() ? script->name : program_name(command_line);
    if (script != nullptr) {
        p.pipe = script->output;
        p.last_output = script->last_output;
        p.exit_code = script->exit_code;
        p.polls = script->polls;
        p.busy_for_input = script->busy_for_input;
    }
    std::uint32_t id = next_id_++;
    procs_[id] = p;
    return id;
}

FakeProcesses::Proc* FakeProcesses::find(std::uint32_t id) {
    auto found = procs_.find(id);
    return found == procs_.end() ? nullptr : &found->second;
}

bool FakeProcesses::poll(std::uint32_t id) {
    Proc* p = find(id);
    if (p == nullptr || p->ended) return true;
    if (p->polls == 0) {
        p->ended = true;
        p->pipe += p->last_output;
        return true;
    }
    if (p->polls > 0) --p->polls;
    return false;
}

bool FakeProcesses::wait_on(std::uint32_t id, int timeout_ms) {
    if (poll(id)) return true;
    pass_time(wait_step(timeout_ms));
    return false;
}

std::unique_ptr<os::ProcessWatch> FakeProcesses::start(const std::string& command_line, int show) {
    if (on_launch) on_launch(command_line);
    launches.push_back({command_line, false, false, show});
    const long launch = static_cast<long>(launches.size() - 1);
    const Script* script = script_for(command_line);
    if (script != nullptr && script->fails) return nullptr;
    return std::make_unique<FakeWatch>(*this, spawn(command_line, script), launch);
}

std::unique_ptr<os::CapturedProcess> FakeProcesses::start_captured(
    const std::string& command_line) {
    if (on_launch) on_launch(command_line);
    launches.push_back({command_line, true, false, os::kShowHidden});
    const long launch = static_cast<long>(launches.size() - 1);
    const Script* script = script_for(command_line);
    if (script != nullptr && script->fails) return nullptr;
    return std::make_unique<FakeCaptured>(*this, spawn(command_line, script), launch);
}

std::vector<os::ProcessEntry> FakeProcesses::snapshot() {
    ++snapshots;
    std::vector<os::ProcessEntry> out;
    for (auto& [id, p] : procs_)
        if (!poll(id)) out.push_back({id, p.name});
    return out;
}

std::unique_ptr<os::ProcessWatch> FakeProcesses::open(std::uint32_t id) {
    Proc* p = find(id);
    if (open_fails || p == nullptr || p->ended) return nullptr;
    return std::make_unique<FakeWatch>(*this, id, -1);
}

bool FakeProcesses::terminate(std::uint32_t id, int exit_code) {
    Proc* p = find(id);
    if (p == nullptr || p->ended) return false;
    p->ended = true;
    p->exit_code = exit_code;
    return true;
}

void FakeProcesses::wait_for_message(int timeout_ms, os::Wake wake) {
    wakes.push_back(wake);
    pass_time(wait_step(timeout_ms));
}

}  // namespace qv::fakes
