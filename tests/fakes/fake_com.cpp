#include "fakes/fake_com.h"

#include <iconv.h>

#include <cerrno>

namespace qv::fakes {
namespace {

class FakeRegExp : public os::RegExpObject {
public:
    FakeRegExp(std::shared_ptr<FakeRegExpScript> script, std::shared_ptr<int> alive)
        : script_(std::move(script)), alive_(std::move(alive)) {
        ++*alive_;
    }
    ~FakeRegExp() override { --*alive_; }
    void set_ignore_case(bool on) override { script_->ignore_case = on; }
    void set_multiline(bool on) override { script_->multiline = on; }
    void set_global(bool on) override { script_->global = on; }
    void set_pattern(const std::string& pattern) override { script_->pattern = pattern; }
    std::string pattern() override { return script_->pattern; }
    bool execute(const std::string& subject, std::vector<os::RegexMatchData>& matches) override {
        script_->subjects.push_back(subject);
        if (script_->refuse) return false;
        matches = script_->matches;
        return true;
    }
    bool replace(const std::string&, const std::string& replacement, std::string& result) override {
        script_->replacements.push_back(replacement);
        if (script_->refuse) return false;
        result = script_->replaced;
        return true;
    }

private:
    std::shared_ptr<FakeRegExpScript> script_;
    std::shared_ptr<int> alive_;
};

// One converter for a whole text, used character by character so that a character without a
// form in the target becomes "?" as on the system.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    bool convert(const std::string& in, std::string& out) {
        if (!ok()) return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string source = in;
        char* src = source.data();
        std::size_t src_left = source.size();
        char buffer[16];
        char* dst = buffer;
        std::size_t dst_left = sizeof buffer;
        std::size_t r = iconv(cd_, &src, &src_left, &dst, &dst_left);
        if (r == static_cast<std::size_t>(-1) || src_left != 0) return false;
        out.assign(buffer, sizeof buffer - dst_left);
        return true;
    }

private:
    iconv_t cd_;
};

}  // namespace

int FakeCom::alive_objects() const {
    return *alive_;
}

bool FakeCom::initialize() {
    ++initialized;
    return init_balanced;
}

std::unique_ptr<os::RegExpObject> FakeCom::create_regexp() {
    if (!class_registered) return nullptr;
    auto script = std::make_shared<FakeRegExpScript>(next);
    made.push_back(script);
    return std::make_unique<FakeRegExp>(script, alive_);
}

std::string FakeTextCodec::text_to_wide_bytes(const std::string& text, bool cut_terminator) {
    if (text.empty()) return {};
    std::string wide;
    // Opened once per thread: opening a conversion costs far more than converting a text.
    static thread_local Converter converter("UTF-16LE", "CP936");
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {  // ASCII is itself in both
            wide += text[i++];
            wide += '\0';
            continue;
        }
        std::size_t n = static_cast<unsigned char>(text[i]) >= 0x81 && i + 1 < text.size() ? 2 : 1;
        std::string unit;
        if (!converter.convert(text.substr(i, n), unit)) unit = std::string("?\0", 2);
        wide += unit;
        i += n;
    }
    if (!cut_terminator) wide.append(2, '\0');
    return wide;
}

std::string FakeTextCodec::wide_bytes_to_text(const std::string& wide_bytes) {
    std::string text;
    static thread_local Converter converter("CP936", "UTF-16LE");
    for (std::size_t i = 0; i + 1 < wide_bytes.size();) {
        unsigned unit = static_cast<unsigned char>(wide_bytes[i]) |
                        static_cast<unsigned>(static_cast<unsigned char>(wide_bytes[i + 1])) << 8;
        if (unit < 0x80) {
            text += static_cast<char>(unit);
            i += 2;
            continue;
        }
        std::size_t n = unit >= 0xD800 && unit <= 0xDBFF && i + 3 < wide_bytes.size() ? 4 : 2;
        std::string bytes;
        if (!converter.convert(wide_bytes.substr(i, n), bytes)) bytes = "?";
        text += bytes;
        i += n;
    }
    std::size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
    return text;
}

void FakeBinaryTypes::set(const std::string& path, int type) {
    std::string key = path;
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    types[key] = type;
}

int FakeBinaryTypes::binary_type(const std::string& path) {
    std::string key = path;
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    auto found = types.find(key);
    return found == types.end() ? -1 : found->second;
}

}  // namespace qv::fakes
