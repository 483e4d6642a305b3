#include "engine/MailStore.h"

namespace brisk {

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
