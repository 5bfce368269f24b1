#include "fakes/fake_console.h"

#include <algorithm>
#include <cstring>

namespace qv::fakes {
namespace {

class FakeConsoleProcess : public os::ConsoleProcess {
public:
    explicit FakeConsoleProcess(std::shared_ptr<FakeConsoleState> state)
        : state_(std::move(state)) {}
    std::uint32_t process_id() override { return state_->pid; }
    int write_input(const std::string& bytes) override { return state_->write_input(bytes); }
    int write_output(const std::string& bytes) override { return state_->write_output(bytes); }
    int read_output(char* buffer, int max) override { return state_->read(buffer, max); }
    bool stop(std::uint32_t exit_code) override { return state_->stop(exit_code); }

private:
    std::shared_ptr<FakeConsoleState> state_;
};

}  // namespace

void FakeConsoleState::print(const std::string& bytes) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!bytes.empty()) output_.push_back(bytes);
    changed_.notify_all();
}

void FakeConsoleState::end_output() {
    std::lock_guard<std::mutex> guard(mutex_);
    ended_ = true;
    changed_.notify_all();
}

std::vector<std::string> FakeConsoleState::inputs() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return inputs_;
}

bool FakeConsoleState::stopped() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return stopped_;
}

std::uint32_t FakeConsoleState::exit_code() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return exit_code_;
}

int FakeConsoleState::largest_read() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return largest_read_;
}

int FakeConsoleState::read(char* buffer, int max) {
    std::unique_lock<std::mutex> guard(mutex_);
    largest_read_ = std::max(largest_read_, max);
    changed_.wait(guard, [&] { return stopped_ || !output_.empty() || ended_; });
    if (stopped_ || output_.empty()) return 0;
    std::string& front = output_.front();
    std::size_t n = std::min(front.size(), static_cast<std::size_t>(max));
    std::memcpy(buffer, front.data(), n);
    front.erase(0, n);
    if (front.empty()) output_.pop_front();
    return static_cast<int>(n);
}

int FakeConsoleState::write_input(const std::string& bytes) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (stopped_) return -1;
    inputs_.push_back(bytes);
    return static_cast<int>(bytes.size());
}

int FakeConsoleState::write_output(const std::string& bytes) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (stopped_) return -1;
    output_.push_back(bytes);
    changed_.notify_all();
    return static_cast<int>(bytes.size());
}

bool FakeConsoleState::stop(std::uint32_t code) {
    std::lock_guard<std::mutex> guard(mutex_);
    stopped_ = true;
    changed_.notify_all();
    if (stop_fails) return false;
    exit_code_ = code;
    return true;
}

std::unique_ptr<os::ConsoleProcess> FakeConsoles::start_hidden(const std::string& command_line,
                                                               const std::string& current_folder) {
    starts.push_back({command_line, current_folder});
    if (fail_start) return nullptr;
    last = std::make_shared<FakeConsoleState>();
    last->pid = next_pid++;
    return std::make_unique<FakeConsoleProcess>(last);
}

}  // namespace qv::fakes
