#pragma once
// A mail store held in memory, for tests of the analysis, the walk, the
// window and the export: folders and items are built in a few lines, and an
// item can be made to fail on any of its values. Every field has a default,
// so an item is made from the fields that matter: {.subject = "Re: x"}.

#include "engine/MailStore.h"
#include "dates/DateValue.h"

#include <memory>
#include <string>
#include <vector>

namespace brisk::test {

struct MemoryItem {
    std::string typeName = "MailItem";
    DateValue receivedTime = makeDate(2011, 6, 15, 10, 0, 0);
    std::string subject = "Hello";
    std::string body = "Hi there\r\n";
    std::int64_t size = 2000;
    int attachments = 0;
    std::vector<std::string> recipients = {"Bob"};
    std::string sender = "Alice";
    std::string messageId{};
    std::vector<std::string> inReplyTo{}, references{};
    // Makes the store's item(i) throw StoreError.
    bool unreadable = false;
    // Makes the store's item(i) throw StoreDisconnected (a server gone).
    bool disconnected = false;
    // Makes this value's accessor throw StoreError ("subject", "body", ...).
    std::string failingValue{};
};

class MemoryFolder : public MailFolder {
public:
    MemoryFolder(std::string name, MemoryFolder* parent) : m_name(std::move(name)), m_parent(parent) {}

    const std::string& name() const override { return m_name; }
    std::string path() const override;
    MailFolder* parent() const override { return m_parent; }
    long itemCount() override { return static_cast<long>(items.size()); }
    std::unique_ptr<MailItem> item(long index) override;
    const std::vector<MailFolder*>& folders() override { return m_children; }
    bool isTrash() const override { return trash; }
    // Straight from the items' data: item(i) and its read count stay untouched.
    void scanThreadHeaders(const ThreadHeaderSink& sink) override;
    // Hands out `scanJob` once; without one the index is built before the walk.
    std::unique_ptr<ThreadHeaderScan> threadHeaderScan() override { return std::move(scanJob); }

    MemoryFolder& add(const std::string& name);
    MemoryFolder& addItem(MemoryItem item);
    // n plain items with distinct subjects "<prefix> 1".. and times an hour apart.
    MemoryFolder& addItems(int n, const std::string& prefix = "Item");

    std::vector<MemoryItem> items;
    // How often item(i) was asked for, by index - 1.
    std::vector<int> reads;
    bool trash = false;
    std::unique_ptr<ThreadHeaderScan> scanJob;

private:
    std::string m_name;
    MemoryFolder* m_parent;
    std::vector<std::unique_ptr<MemoryFolder>> m_owned;
    std::vector<MailFolder*> m_children;
};

class MemoryStore : public MailStore {
public:
    MemoryStore() : m_root("Mailbox", nullptr) {}
    MailFolder& root() override { return m_root; }
    MailFolder& defaultFolder() override;
    std::string currentUser() const override { return user; }
    std::string location() const override { return "memory"; }

    MemoryFolder& top() { return m_root; }
    std::string user = "Test User";

private:
    MemoryFolder m_root;
};

} // namespace brisk::test
