#include <map>
#include <tuple>

#include "ui/runtime.h"

namespace qv::ui {
namespace {

using Key = std::tuple<std::string, std::string, EventKind>;

std::map<Key, Handler>& table() {
    static std::map<Key, Handler> handlers;
    return handlers;
}

}  // namespace

void bind_handler(const std::string& window, const std::string& role, EventKind kind,
                  Handler handler) {
    table()[Key{window, role, kind}] = handler;
}

Handler bound_handler(const std::string& window, const std::string& role, EventKind kind) {
    auto found = table().find(Key{window, role, kind});
    return found == table().end() ? nullptr : found->second;
}

void clear_bindings() {
    table().clear();
}

bool dispatch(Event& event) {
    if (event.window == nullptr) return false;
    Handler handler = bound_handler(event.window->def().name, event.role, event.kind);
    if (handler == nullptr) return false;
    handler(event);
    return true;
}

}  // namespace qv::ui
