#include "engine/MailStore.h"

namespace brisk {

void MailFolder::scanThreadHeaders(const ThreadHeaderSink& sink)
{
    const long n = itemCount();
    for (long i = 1; i <= n; ++i) {
        try {
            const std::unique_ptr<MailItem> item = this->item(i);
            const std::string id = item->messageId();
            if (!id.empty())
                sink(id, item->receivedTime());
        } catch (const StoreError&) {
            // An unreadable item has no id to index; the walk reports it.
        }
    }
}

MailFolder* MailStore::findFolder(std::string_view path)
{
    MailFolder* folder = &root();
    while (!path.empty()) {
        const auto slash = path.find('/');
        const std::string_view part = path.substr(0, slash);
        path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
        if (part.empty())
            continue;
        MailFolder* next = nullptr;
        for (MailFolder* child : folder->folders()) {
            if (child->name() == part) {
                next = child;
                break;
            }
        }
        if (!next)
            return nullptr;
        folder = next;
    }
    return folder;
}

} // namespace brisk
