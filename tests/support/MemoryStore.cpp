#include "tests/support/MemoryStore.h"

namespace brisk::test {
namespace {

class Item : public MailItem {
public:
    explicit Item(MemoryItem data) : m(std::move(data)) {}
    const std::string& typeName() override { return check("typeName", m.typeName); }
    double receivedTime() override { return check("receivedTime", m.receivedTime); }
    const std::string& subject() override { return check("subject", m.subject); }
    const std::string& body() override { return check("body", m.body); }
    std::int64_t size() override { return check("size", m.size); }
    int attachmentCount() override { return check("attachments", m.attachments); }
    const std::vector<std::string>& recipients() override { return check("recipients", m.recipients); }
    const std::string& senderName() override { return check("sender", m.sender); }
    std::string messageId() override { return m.messageId; }
    std::vector<std::string> inReplyTo() override { return m.inReplyTo; }
    std::vector<std::string> references() override { return m.references; }

private:
    template <typename T>
    T& check(const char* value, T& field)
    {
        if (m.failingValue == value)
            throw StoreError(std::string("cannot read ") + value);
        return field;
    }
    MemoryItem m;
};

} // namespace

std::string MemoryFolder::path() const
{
    if (!m_parent)
        return "";
    const std::string up = m_parent->path();
    return up.empty() ? m_name : up + "/" + m_name;
}

std::unique_ptr<MailItem> MemoryFolder::item(long index)
{
    if (index < 1 || index > itemCount())
        throw StoreError("no item " + std::to_string(index));
    reads.resize(items.size());
    ++reads[static_cast<std::size_t>(index - 1)];
    const MemoryItem& data = items[static_cast<std::size_t>(index - 1)];
    if (data.unreadable)
        throw StoreError("unreadable item");
    if (data.disconnected)
        throw StoreDisconnected("the connection to test was lost");
    return std::make_unique<Item>(data);
}

void MemoryFolder::scanThreadHeaders(const ThreadHeaderSink& sink)
{
    for (const MemoryItem& data : items)
        if (!data.messageId.empty() && !data.unreadable)
            sink(data.messageId, data.receivedTime);
}

MemoryFolder& MemoryFolder::add(const std::string& name)
{
    m_owned.push_back(std::make_unique<MemoryFolder>(name, this));
    m_children.push_back(m_owned.back().get());
    return *m_owned.back();
}

MemoryFolder& MemoryFolder::addItem(MemoryItem item)
{
    items.push_back(std::move(item));
    return *this;
}

MemoryFolder& MemoryFolder::addItems(int n, const std::string& prefix)
{
    for (int i = 1; i <= n; ++i) {
        MemoryItem item;
        item.subject = prefix + " " + std::to_string(i);
        item.receivedTime = makeDate(2011, 6, 15, 8, 0, 0) + i / 24.0;
        items.push_back(item);
    }
    return *this;
}

MailFolder& MemoryStore::defaultFolder()
{
    for (MailFolder* child : m_root.folders())
        if (child->name() == "Sent Items")
            return *child;
    return m_root;
}

} // namespace brisk::test
