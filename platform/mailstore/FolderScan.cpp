#include "platform/mailstore/FolderScan.h"

#include "platform/mailstore/StoreFolder.h"

#include <algorithm>
#include <map>
#include <set>

namespace brisk::mailstore {
namespace {

constexpr int subfolderSearchDepth = 4;

bool hasDir(const std::vector<DirEntry>& entries, const std::string& name)
{
    return std::any_of(entries.begin(), entries.end(),
                       [&](const DirEntry& e) { return e.isDir && e.name == name; });
}

bool isEml(const DirEntry& entry)
{
    return entry.isFile && entry.name[0] != '.' && hasSuffixIgnoringCase(entry.name, ".eml");
}

// Files no mail client stores messages in, skipped without opening them.
bool isKnownNonMessage(const std::string& name)
{
    return name[0] == '.' || hasSuffixIgnoringCase(name, ".msf") || hasSuffixIgnoringCase(name, ".eml")
        || name.rfind("dovecot", 0) == 0 || name.rfind("courier", 0) == 0 || name == "maildirfolder"
        || name == "subscriptions";
}

std::string withoutSuffix(const std::string& name, size_t length)
{
    return name.substr(0, name.size() - length);
}

// Maildir++ (Courier, Dovecot): subfolders are directories ".Sent",
// ".Sent.Archive" in the root, "." separating the levels of the name.
void addMaildirPlusFolders(StoreFolder& root, const std::filesystem::path& dir,
                           const std::vector<DirEntry>& entries)
{
    std::vector<std::string> names;
    for (const DirEntry& e : entries) {
        if (e.isDir && e.name.size() > 1 && e.name[0] == '.' && e.name != ".." && isMaildir(dir / e.name))
            names.push_back(e.name);
    }
    std::sort(names.begin(), names.end());
    std::map<std::string, StoreFolder*> made; // full dot name -> folder
    for (const std::string& name : names) {
        StoreFolder* parent = &root;
        size_t start = 1;
        while (start <= name.size()) {
            size_t dot = name.find('.', start);
            if (dot == std::string::npos)
                dot = name.size();
            const std::string prefix = name.substr(0, dot);
            auto found = made.find(prefix);
            if (found == made.end()) {
                const bool real = prefix == name;
                FolderSource source{real ? FolderKind::MaildirPlus : FolderKind::Virtual, dir / prefix, {}};
                found = made.emplace(prefix, &parent->addChild(name.substr(start, dot - start), source)).first;
            }
            parent = found->second;
            start = dot + 1;
        }
    }
}

bool canList(const std::filesystem::path& dir)
{
    try {
        listDirectory(dir);
        return true;
    } catch (const StoreError&) {
        return false;
    }
}

void addDirectoryEntry(StoreFolder& folder, const std::filesystem::path& dir, const DirEntry& entry,
                       const std::set<std::string>& fileNames)
{
    const std::filesystem::path full = dir / entry.name;
    if (hasSuffixIgnoringCase(entry.name, ".sbd")) {
        // Thunderbird: Name.sbd/ holds the subfolders of the mbox file Name;
        // without that file it is a folder that only holds subfolders.
        const std::string base = withoutSuffix(entry.name, 4);
        if (!fileNames.count(base) || !isMboxFile(dir / base, true))
            folder.addChild(base, {FolderKind::Virtual, full, full});
        return;
    }
    // A directory that cannot be read may hold mail all the same: it is shown,
    // so that reading it reports why it cannot be read instead of the folder
    // silently missing from the tree.
    if (!canList(full) || holdsMail(full, subfolderSearchDepth))
        folder.addChild(entry.name, {FolderKind::Directory, full, full});
}

} // namespace

bool isMaildir(const std::vector<DirEntry>& entries)
{
    return hasDir(entries, "cur") || hasDir(entries, "new");
}

FileList maildirMessages(const std::filesystem::path& dir)
{
    FileList files(dir);
    for (const char* sub : {"cur", "new"}) {
        if (!isDirectory(dir / sub))
            continue;
        std::string relative = std::string(sub) + "/";
        visitDirectory(dir / sub, [&](const DirEntry& e) {
            if (e.isFile && e.name[0] != '.') {
                relative.resize(4);
                files.add(relative += e.name);
            }
        });
    }
    files.sortByName();
    return files;
}

bool isMaildir(const std::filesystem::path& dir)
{
    return isDirectory(dir / "cur") || isDirectory(dir / "new");
}

FileList emlMessages(const std::filesystem::path& dir)
{
    // Read entry by entry: a folder of a million .eml files holds only
    // their names, in the list's one buffer.
    FileList files(dir);
    visitDirectory(dir, [&](const DirEntry& e) {
        if (isEml(e))
            files.add(e.name);
    });
    files.sortByName();
    return files;
}

void addSubfolders(StoreFolder& folder, const std::filesystem::path& dir)
{
    // Every entry but the .eml messages, which are neither folders nor mbox
    // files: a folder of many messages is not held twice to find its few
    // subfolders.
    std::vector<DirEntry> entries;
    visitDirectory(dir, [&](const DirEntry& e) {
        if (!isEml(e))
            entries.push_back(e);
    });
    const bool maildir = isMaildir(entries);
    std::set<std::string> fileNames;
    for (const DirEntry& e : entries) {
        if (e.isFile)
            fileNames.insert(e.name);
    }
    for (const DirEntry& e : entries) {
        if (e.name[0] == '.')
            continue;
        if (e.isDir) {
            if (!(maildir && (e.name == "cur" || e.name == "new")) && e.name != "tmp")
                addDirectoryEntry(folder, dir, e, fileNames);
        } else if (e.isFile && !isKnownNonMessage(e.name)) {
            const std::filesystem::path sbd = dir / (e.name + ".sbd");
            const bool companion = fileNames.count(e.name + ".msf") || isDirectory(sbd);
            if (isMboxFile(dir / e.name, companion))
                folder.addChild(e.name, {FolderKind::Mbox, dir / e.name, isDirectory(sbd) ? sbd : std::filesystem::path()});
        }
    }
    if (maildir)
        addMaildirPlusFolders(folder, dir, entries);
}

bool holdsMail(const std::filesystem::path& dir, int depth)
{
    std::vector<DirEntry> entries;
    try {
        entries = listDirectory(dir);
    } catch (const StoreError&) {
        return false; // an unreadable directory is not shown as a folder
    }
    if (isMaildir(entries))
        return true;
    for (const DirEntry& e : entries) {
        if (e.name[0] == '.')
            continue;
        if (isEml(e) || (e.isDir && hasSuffixIgnoringCase(e.name, ".sbd")))
            return true;
        if (e.isFile && !isKnownNonMessage(e.name) && isMboxFile(dir / e.name, false))
            return true;
    }
    if (depth <= 0)
        return false;
    return std::any_of(entries.begin(), entries.end(), [&](const DirEntry& e) {
        return e.isDir && e.name[0] != '.' && e.name != "tmp" && holdsMail(dir / e.name, depth - 1);
    });
}

bool isMboxFile(const std::filesystem::path& file, bool hasCompanion)
{
    if (startsWithFromLine(file))
        return true;
    if (!hasCompanion)
        return false;
    try {
        return fileInfo(file).size == 0;
    } catch (const StoreError&) {
        return false;
    }
}

} // namespace brisk::mailstore
