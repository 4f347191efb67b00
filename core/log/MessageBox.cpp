#include "core/log/MessageBox.h"

#include <cstdio>
#include <utility>

namespace tw {
namespace {
MessageBoxHandler& Handler() {
    static MessageBoxHandler handler;
    return handler;
}
}  // namespace

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

void ShowMessageBox(std::string_view text) {
    if (Handler()) {
        Handler()(text);
        return;
    }
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}

}  // namespace tw
