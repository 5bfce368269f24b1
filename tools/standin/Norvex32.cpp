// Stand-in for the Ghost cloning tool. It takes the two command lines the program builds:
//
//   Norvex32.exe   -CHKIMG,<image> -sure  -fx -BATCH
//       checks a stand-in image (make_ghost_image.py describes the format): prints nothing for a
//       sound image, a line naming the fault for a damaged one (exit code 1).
//   Norvex32.exe -clone,mode=pload,src="<image>":1,dst=<disk>:<partition> [-crcignore] [-noide]
//                [-pwd=<password>] -sure  -fx
//       restores the image's files into the folder that stands for the partition.
//   Norvex32.exe -clone,mode=pdump,src=<disk>:<partition>,dst="<image>" -z<level>
//                [-span [-split=<MB> -auto]] [-noide] [-pwd=<password>] -sure -fx
//       writes the files of the folder that stands for the partition into one image of the same
//       format at the given path, with the password when one is given. The compression level and
//       the split choice are taken and written into the image's header ("compression 9",
//       "span 650" or "span auto"); the image stays one file.
//   Norvex32.exe -nousb -clone,mode=load,src=<layout image>,dst=<disk> -fx -sure
//       loads a whole-disk layout: writes "whole-disk-layout.txt" into the folder that stands for
//       the disk, naming the layout image (UTF-8, as the command line gave it, then CR LF).
//   Norvex32.exe
//       the hand-run Ghost: stays open for its DELAY_MS (or until it is closed) and ends.
//
// Disks and partitions are never touched: QV_GHOST_MAP names a map file (UTF-8), one
// "disk:partition=folder" or "disk=folder" per line ("1:3=C:\qv\e2e\target", "1:3=G:\",
// "1=C:\qv\e2e\disk1"; "#" starts a comment), and a destination without a line is refused. A
// restore writes only below the mapped folder: image paths that are absolute or climb out with ".."
// make the image damaged. Files of the image replace files of the same name; nothing else in the
// folder is removed. A dump only reads the mapped folder and writes only the image file it is
// given, into a folder that must exist.
//
// Switches besides the common ones (QV_NORVEX32_DELAY_MS, _EXIT, _HANG): QV_NORVEX32_REFUSE=1
// makes the tool give up at once after its start, as a Ghost that cannot run here would.
//
// Exit codes: 0 done, 1 damaged image, 2 image missing or unreadable, 3 wrong password,
// 4 disk or partition not mapped or missing, 5 refused by the switch, 6 a write failed, 10 a
// command line this tool does not understand.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "standin.h"

namespace {

enum ExitCode : int {
    kDone = 0,
    kDamaged = 1,
    kUnreadable = 2,
    kWrongPassword = 3,
    kNotMapped = 4,
    kRefused = 5,
    kWriteFailed = 6,
    kBadCommand = 10,
};

const char kMagic[] = "QVGHO 1";

std::string fnv1a64(const std::string& data) {
    std::uint64_t h = 0xCBF29CE484222325ull;
    for (unsigned char b : data) {
        h ^= b;
        h *= 0x100000001B3ull;
    }
    const char digits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, h >>= 4) text[static_cast<std::size_t>(i)] = digits[h & 0xF];
    return text;
}

bool starts_with_ci(const std::wstring& text, const std::wstring& prefix) {
    return text.size() >= prefix.size() &&
           standin::upper(text.substr(0, prefix.size())) == standin::upper(prefix);
}

// Reads an image from its start up to its end entry; the padding after it is never read.
class ImageReader {
public:
    explicit ImageReader(const std::wstring& path)
        : file_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~ImageReader() {
        if (open()) CloseHandle(file_);
    }
    ImageReader(const ImageReader&) = delete;
    ImageReader& operator=(const ImageReader&) = delete;

    bool open() const { return file_ != INVALID_HANDLE_VALUE; }

    // A line without its LF; false at the end of the file.
    bool line(std::string& out) {
        out.clear();
        for (;;) {
            if (at_ == buffer_.size() && !fill()) return !out.empty();
            char c = buffer_[at_++];
            if (c == '\n') return true;
            out += c;
            if (out.size() > 4096) return false;  // no header line is that long
        }
    }

    bool bytes(std::size_t count, std::string& out) {
        out.clear();
        while (out.size() < count) {
            if (at_ == buffer_.size() && !fill()) return false;
            std::size_t take = std::min(count - out.size(), buffer_.size() - at_);
            out.append(buffer_, at_, take);
            at_ += take;
        }
        return true;
    }

private:
    bool fill() {
        char chunk[65536];
        DWORD got = 0;
        if (!ReadFile(file_, chunk, sizeof chunk, &got, nullptr) || got == 0) return false;
        buffer_.assign(chunk, got);
        at_ = 0;
        return true;
    }

    HANDLE file_;
    std::string buffer_;
    std::size_t at_ = 0;
};

struct Entry {
    bool folder = false;
    std::string path;  // UTF-8, "/" between parts
    std::string data;
    bool sound = true;  // the data matches its checksum
};

struct Image {
    std::string password;
    std::vector<Entry> entries;
    std::string fault;  // the first structural fault, empty when none
    bool checksums_ok = true;
};

// A path that stays below the folder it is written to.
bool safe_relative(const std::string& path) {
    if (path.empty() || path[0] == '/' || path.find('\\') != std::string::npos ||
        path.find(':') != std::string::npos) {
        return false;
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t slash = path.find('/', start);
        std::string part =
            path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (part.empty() || part == "." || part == "..") return false;
        if (slash == std::string::npos) return true;
        start = slash + 1;
    }
}

// False when the image cannot be opened at all; a damaged image reads as far as it can and names
// its fault.
bool read_image(const std::wstring& path, Image& image) {
    ImageReader in(path);
    if (!in.open()) return false;
    std::string line;
    if (!in.line(line) || line != kMagic) {
        image.fault = "not a Ghost image";
        return true;
    }
    for (;;) {
        if (!in.line(line)) {
            image.fault = "the header is cut short";
            return true;
        }
        if (line.empty()) break;
        if (line.compare(0, 9, "password ") == 0) image.password = line.substr(9);
    }
    for (;;) {
        if (!in.line(line)) {
            image.fault = "the image ends before its last entry";
            return true;
        }
        if (line == "end") return true;
        Entry e;
        if (line.compare(0, 4, "dir ") == 0) {
            e.folder = true;
            e.path = line.substr(4);
        } else if (line.compare(0, 5, "file ") == 0) {
            // "file <size> <checksum> <path>"
            std::size_t size_end = line.find(' ', 5);
            std::size_t sum_end =
                size_end == std::string::npos ? size_end : line.find(' ', size_end + 1);
            std::string size_text =
                line.substr(5, size_end == std::string::npos ? 0 : size_end - 5);
            if (sum_end == std::string::npos || size_text.empty() ||
                size_text.find_first_not_of("0123456789") != std::string::npos ||
                size_text.size() > 12) {
                image.fault = "an entry cannot be read";
                return true;
            }
            std::size_t size = static_cast<std::size_t>(std::stoull(size_text));
            std::string sum = line.substr(size_end + 1, sum_end - size_end - 1);
            e.path = line.substr(sum_end + 1);
            std::string newline;
            if (!in.bytes(size, e.data) || !in.bytes(1, newline) || newline != "\n") {
                image.fault = "the data of " + e.path + " is cut short";
                return true;
            }
            e.sound = fnv1a64(e.data) == sum;
            if (!e.sound) image.checksums_ok = false;
        } else {
            image.fault = "an entry cannot be read";
            return true;
        }
        if (!safe_relative(e.path)) {
            image.fault = "an entry names a place outside the partition: " + e.path;
            return true;
        }
        image.entries.push_back(std::move(e));
    }
}

std::string check_report(const Image& image) {
    if (!image.fault.empty()) return image.fault;
    for (const Entry& e : image.entries)
        if (!e.sound) return "CRC error in " + e.path;
    return {};
}

std::wstring trimmed(const std::wstring& text) {
    std::size_t first = text.find_first_not_of(L" \t");
    std::size_t last = text.find_last_not_of(L" \t");
    return first == std::wstring::npos ? std::wstring() : text.substr(first, last - first + 1);
}

// The folder that stands for "disk:partition", or empty.
std::wstring mapped_folder(const std::wstring& disk_partition) {
    std::wstring map_path = standin::env(L"QV_GHOST_MAP");
    std::string bytes;
    if (map_path.empty() || !standin::read_file(map_path, bytes)) return {};
    std::wstring text = standin::from_utf8(bytes);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(L'\n', start);
        std::wstring line =
            text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        start = end == std::wstring::npos ? text.size() : end + 1;
        while (!line.empty() && line.back() == L'\r') line.pop_back();
        if (line.empty() || line[0] == L'#') continue;
        std::size_t eq = line.find(L'=');
        if (eq == std::wstring::npos) continue;
        if (trimmed(line.substr(0, eq)) == disk_partition) return trimmed(line.substr(eq + 1));
    }
    return {};
}

// The mapped folder of "disk:partition" or "disk" with a trailing backslash, or empty when there
// is no line for it or its folder is missing.
std::wstring mapped_existing_folder(const std::wstring& key) {
    std::wstring folder = mapped_folder(key);
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    DWORD attributes =
        folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    if (folder.back() != L'\\') folder += L'\\';
    return folder;
}

bool make_folders_to(const std::wstring& path) {
    for (std::size_t at = path.find(L'\\', 3); at != std::wstring::npos;
         at = path.find(L'\\', at + 1)) {
        std::wstring folder = path.substr(0, at);
        if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return true;
}

int say(const std::string& utf8, int code) {
    standin::print(standin::from_utf8(utf8) + L"\r\n");
    return code;
}

struct Command {
    bool check = false;
    bool restore = false;
    bool dump = false;
    bool load = false;    // a whole-disk layout
    std::wstring source;  // a dump's disk:partition
    std::wstring compression;
    std::wstring span;  // empty, "auto" or the part size in MB
    std::wstring image;
    std::wstring image_partition;
    std::wstring destination;  // a restore's disk:partition, a load's disk
    bool has_password = false;
    std::wstring password;
    bool crcignore = false;
};

// "mode=pdump,src=<disk>:<partition>,dst=<image>" (the quotes around the image are gone).
bool parse_dump(const std::wstring& spec, Command& c) {
    std::wstring mode = L"mode=pdump,src=";
    std::size_t dst = spec.find(L",dst=");
    if (dst == std::wstring::npos || dst < mode.size()) return false;
    c.source = spec.substr(mode.size(), dst - mode.size());
    c.image = spec.substr(dst + 5);
    c.dump = true;
    return !c.source.empty() && !c.image.empty();
}

// "mode=load,src=<image>,dst=<disk>" (the quotes around the image are gone).
bool parse_load(const std::wstring& spec, Command& c) {
    std::wstring mode = L"mode=load,src=";
    std::size_t dst = spec.rfind(L",dst=");
    if (dst == std::wstring::npos || dst < mode.size()) return false;
    c.image = spec.substr(mode.size(), dst - mode.size());
    c.destination = spec.substr(dst + 5);
    c.load = true;
    return !c.image.empty() && !c.destination.empty() &&
           c.destination.find_first_not_of(L"0123456789") == std::wstring::npos;
}

// "mode=pload,src=<image>:<n>,dst=<disk>:<partition>" (the quotes around the image are gone).
bool parse_clone(const std::wstring& spec, Command& c) {
    if (starts_with_ci(spec, L"mode=pdump,src=")) return parse_dump(spec, c);
    if (starts_with_ci(spec, L"mode=load,src=")) return parse_load(spec, c);
    std::wstring mode = L"mode=pload,src=";
    if (!starts_with_ci(spec, mode)) return false;
    std::size_t dst = spec.rfind(L",dst=");
    if (dst == std::wstring::npos || dst < mode.size()) return false;
    std::wstring source = spec.substr(mode.size(), dst - mode.size());
    std::size_t colon = source.rfind(L':');
    if (colon == std::wstring::npos || colon < 2) return false;
    c.image = source.substr(0, colon);
    c.image_partition = source.substr(colon + 1);
    c.destination = spec.substr(dst + 5);
    c.restore = true;
    return !c.image.empty() && !c.destination.empty();
}

bool parse_arguments(const std::vector<std::wstring>& args, Command& c, std::wstring& bad) {
    for (const std::wstring& a : args) {
        std::wstring u = standin::upper(a);
        if (starts_with_ci(a, L"-clone,")) {
            if (!parse_clone(a.substr(7), c)) {
                bad = a;
                return false;
            }
        } else if (starts_with_ci(a, L"-chkimg,")) {
            c.check = true;
            c.image = a.substr(8);
        } else if (starts_with_ci(a, L"-pwd=")) {
            c.has_password = true;
            c.password = a.substr(5);
        } else if (u == L"-CRCIGNORE") {
            c.crcignore = true;
        } else if (u.size() == 3 && u.compare(0, 2, L"-Z") == 0 && u[2] >= L'1' && u[2] <= L'9') {
            c.compression = u.substr(2);
        } else if (u == L"-SPAN") {
            if (c.span.empty()) c.span = L"auto";
        } else if (starts_with_ci(a, L"-split=") && a.size() > 7 &&
                   a.find_first_not_of(L"0123456789", 7) == std::wstring::npos) {
            c.span = a.substr(7);
        } else if (u == L"-SURE" || u == L"-FX" || u == L"-BATCH" || u == L"-NOIDE" ||
                   u == L"-AUTO" || u == L"-NOUSB") {
        } else {
            bad = a;
            return false;
        }
    }
    if (int(c.check) + int(c.restore) + int(c.dump) + int(c.load) != 1) {
        bad = L"(one of -clone and -CHKIMG)";
        return false;
    }
    return true;
}

int run_check(const Command& c) {
    Image image;
    if (!read_image(c.image, image))
        return say("Unable to open image file " + standin::to_utf8(c.image), kUnreadable);
    std::string fault = check_report(image);
    if (!fault.empty())
        return say("Image file " + standin::to_utf8(c.image) + " is damaged: " + fault, kDamaged);
    return kDone;
}

int run_restore(const Command& c) {
    if (c.image_partition != L"1")
        return say("The image holds no partition " + standin::to_utf8(c.image_partition),
                   kBadCommand);
    Image image;
    if (!read_image(c.image, image))
        return say("Unable to open image file " + standin::to_utf8(c.image), kUnreadable);
    if (!image.fault.empty() || (!image.checksums_ok && !c.crcignore))
        return say("Image file is damaged: " + check_report(image), kDamaged);
    if (!image.password.empty() &&
        (!c.has_password || standin::to_utf8(c.password) != image.password))
        return say("Invalid password", kWrongPassword);
    std::wstring folder = mapped_existing_folder(c.destination);
    if (folder.empty())
        return say("Destination partition " + standin::to_utf8(c.destination) + " is not available",
                   kNotMapped);
    for (const Entry& e : image.entries) {
        std::wstring target = folder + standin::from_utf8(e.path);
        for (wchar_t& ch : target)
            if (ch == L'/') ch = L'\\';
        bool ok = e.folder ? make_folders_to(target + L"\\")
                           : make_folders_to(target) && standin::write_file(target, e.data);
        if (!ok) return say("Unable to write " + e.path, kWriteFailed);
    }
    return kDone;
}

// The folder's entries as the image maker lists them: each folder (below the top) before its
// files, files and folders by name.
bool add_entries(const std::wstring& folder, const std::string& relative, std::string& out) {
    std::vector<std::wstring> files, folders;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? folders : files).push_back(name);
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    std::sort(files.begin(), files.end());
    std::sort(folders.begin(), folders.end());
    if (!relative.empty()) out += "dir " + relative + "\n";
    for (const std::wstring& name : files) {
        std::string bytes;
        if (!standin::read_file(folder + name, bytes)) return false;
        std::string path = (relative.empty() ? "" : relative + "/") + standin::to_utf8(name);
        out += "file " + std::to_string(bytes.size()) + " " + fnv1a64(bytes) + " " + path + "\n";
        out += bytes + "\n";
    }
    for (const std::wstring& name : folders) {
        std::string path = (relative.empty() ? "" : relative + "/") + standin::to_utf8(name);
        if (!add_entries(folder + name + L"\\", path, out)) return false;
    }
    return true;
}

int run_dump(const Command& c) {
    std::wstring folder = mapped_existing_folder(c.source);
    if (folder.empty())
        return say("Source partition " + standin::to_utf8(c.source) + " is not available",
                   kNotMapped);
    std::string image = std::string(kMagic) + "\n";
    if (!c.compression.empty()) image += "compression " + standin::to_utf8(c.compression) + "\n";
    if (!c.span.empty()) image += "span " + standin::to_utf8(c.span) + "\n";
    if (c.has_password) image += "password " + standin::to_utf8(c.password) + "\n";
    image += "\n";
    if (!add_entries(folder, "", image))
        return say("Unable to read partition " + standin::to_utf8(c.source), kWriteFailed);
    image += "end\n";
    if (!standin::write_file(c.image, image))
        return say("Unable to write image file " + standin::to_utf8(c.image), kWriteFailed);
    return kDone;
}

// The layout image is only named, never read beyond its being there.
int run_load(const Command& c) {
    std::string bytes;
    if (!standin::read_file(c.image, bytes))
        return say("Unable to open image file " + standin::to_utf8(c.image), kUnreadable);
    std::wstring folder = mapped_existing_folder(c.destination);
    if (folder.empty())
        return say("Destination disk " + standin::to_utf8(c.destination) + " is not available",
                   kNotMapped);
    if (!standin::write_file(folder + L"whole-disk-layout.txt", standin::to_utf8(c.image) + "\r\n"))
        return say("Unable to write disk " + standin::to_utf8(c.destination), kWriteFailed);
    return kDone;
}

}  // namespace

int wmain() {
    standin::begin(L"norvex32");
    if (standin::tool_switch_int(L"REFUSE", 0) != 0)
        return standin::finish(say("Ghost cannot run on this system", kRefused));
    const std::vector<std::wstring> args = standin::arguments();
    // Started by hand it has run for its DELAY_MS (begin waited), unless it was closed first.
    if (args.empty()) return standin::finish(kDone);
    Command command;
    std::wstring bad;
    if (!parse_arguments(args, command, bad))
        return standin::finish(say("Invalid switch: " + standin::to_utf8(bad), kBadCommand));
    if (command.dump) return standin::finish(run_dump(command));
    if (command.load) return standin::finish(run_load(command));
    return standin::finish(command.check ? run_check(command) : run_restore(command));
}
