// The edition-list parser over arbitrary tool output: never a crash, and every item carries its
// own number.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_setup.h"
#include "jobs/imagex_commands.h"
#include "jobs/wim_editions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qv::fuzz::install_codec();
    std::string text(reinterpret_cast<const char*>(data), size);

    std::vector<std::string> items = qv::parse_wim_info_xml(text);
    for (std::size_t i = 0; i < items.size(); ++i)
        qv::fuzz::require(items[i].rfind(std::to_string(i + 1) + ": ", 0) == 0);

    qv::WimEditionInputs in;
    std::size_t line_end = text.find('\n');
    in.image_path = text.substr(0, line_end == std::string::npos ? 64 : line_end);
    in.optical_drive_text = in.image_path;
    in.from_install_disc = size % 2 == 1;
    in.info_output = text;
    qv::WimEditionWindow w = qv::prepare_wim_edition_window(in);
    qv::fuzz::require(w.image_index == static_cast<int>(w.editions.size()));
    qv::fuzz::require(w.editions == items);

    std::string line = qv::imagex_info_command("Imagex.exe", in.image_path);
    qv::fuzz::require(line.rfind("Imagex.exe /INFO ", 0) == 0);
    qv::url_decode(in.image_path);
    return 0;
}
