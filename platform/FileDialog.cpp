#include <platform/FileDialog.h>

#include <mutex>

namespace platform {

namespace {
std::mutex handlerMutex;
FileDialogHandler& handlerSlot()
{
    static FileDialogHandler handler;
    return handler;
}
}  // namespace

FileDialogHandler setFileDialogHandler(FileDialogHandler handler)
{
    std::lock_guard lock(handlerMutex);
    FileDialogHandler previous = std::move(handlerSlot());
    handlerSlot() = std::move(handler);
    return previous;
}

std::optional<std::string> askFile(const FileDialogRequest& request)
{
    FileDialogHandler handler;
    {
        std::lock_guard lock(handlerMutex);
        handler = handlerSlot();
    }
    // Without a handler there is nobody to ask: the same as Cancel.
    if (!handler) return std::nullopt;
    return handler(request);
}

}  // namespace platform
