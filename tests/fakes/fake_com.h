// In-memory COM: a scripted regular-expression object, the code-page crossings through the C
// library's converter, and binary types by path.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/os_com.h"

namespace qv::fakes {

// What one created regular-expression object was told, and what it answers.
struct FakeRegExpScript {
    bool ignore_case = false, multiline = false, global = false;
    std::string pattern;
    std::vector<std::string> subjects;        // every Execute's subject
    std::vector<os::RegexMatchData> matches;  // answered by Execute
    bool refuse = false;                      // Execute and Replace fail, as for a bad pattern
    std::string replaced;                     // answered by Replace
    std::vector<std::string> replacements;    // every Replace's replacement
};

class FakeCom : public os::Com {
public:
    bool class_registered = true;
    bool init_balanced = true;  // what initialize answers
    int initialized = 0, uninitialized = 0;
    // Objects made so far; a test may preset the next object's answers in `next`.
    std::vector<std::shared_ptr<FakeRegExpScript>> made;
    FakeRegExpScript next;
    int alive_objects() const;

    bool initialize() override;
    void uninitialize() override { ++uninitialized; }
    std::unique_ptr<os::RegExpObject> create_regexp() override;

private:
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

// Code page 936 through iconv: what the system's converter does for these texts.
class FakeTextCodec : public os::TextCodec {
public:
    std::string text_to_wide_bytes(const std::string& text, bool cut_terminator) override;
    std::string wide_bytes_to_text(const std::string& wide_bytes) override;
};

class FakeBinaryTypes : public os::BinaryTypes {
public:
    std::map<std::string, int> types;  // upper-cased path -> type
    void set(const std::string& path, int type);
    int binary_type(const std::string& path) override;
};

}  // namespace qv::fakes
