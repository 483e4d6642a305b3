// The floor for brisk-cli's throughput: the same walk over a Maildir tree
// (the folder's cur/ + new/ files in name order, then its subfolders by name,
// "Deleted Items" skipped), and for every file the least an analysis of it
// needs: read it, parse it with GMime from a memory stream, read the headers
// the analysis uses and visit every part. No text is decoded or converted.
//
// With --threads N (N > 1) the walk lists the files first and N threads
// parse them, each its own share: the ceiling of parsing with GMime on
// several threads of one process, where GObject's shared type data is
// written by every object created and freed.
//
// usage: bare_gmime_loop [--folder PATH] [--threads N] STORE
// prints: messages N seconds S msg/s R

#include <gmime/gmime.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <thread>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Tally {
    long messages = 0;
    long failed = 0;
    std::size_t touched = 0;  // keeps the header reads from being optimised away
};

std::vector<fs::path> messageFiles(const fs::path& folder)
{
    std::vector<fs::path> files;
    for (const char* sub : {"cur", "new"}) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder / sub, ec))
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
                files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
        return a.filename().string() < b.filename().string();
    });
    return files;
}

std::vector<fs::path> subfolders(const fs::path& folder)
{
    std::vector<fs::path> dirs;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory() && name[0] != '.' && name != "cur" && name != "new" && name != "tmp")
            dirs.push_back(entry.path());
    }
    std::sort(dirs.begin(), dirs.end());
    return dirs;
}

void visitPart(GMimeObject*, GMimeObject* part, gpointer data)
{
    auto& tally = *static_cast<Tally*>(data);
    GMimeContentType* type = g_mime_object_get_content_type(part);
    if (type && g_mime_content_type_is_type(type, "text", "calendar"))
        tally.touched += g_mime_object_get_content_type_parameter(part, "method") != nullptr;
    const char* disposition = g_mime_object_get_disposition(part);
    tally.touched += disposition ? std::strlen(disposition) : 0;
    tally.touched += g_mime_object_get_content_type_parameter(part, "name") != nullptr;
}

void touchAddresses(GMimeMessage* message, GMimeAddressType type, Tally& tally)
{
    InternetAddressList* list = g_mime_message_get_addresses(message, type);
    const int count = list ? internet_address_list_length(list) : 0;
    for (int i = 0; i < count; ++i) {
        const char* name = internet_address_get_name(internet_address_list_get_address(list, i));
        tally.touched += name ? std::strlen(name) : 1;
    }
}

void touchMessage(GMimeMessage* message, Tally& tally)
{
    GMimeObject* object = GMIME_OBJECT(message);
    for (const char* header : {"Received", "Date"}) {
        if (const char* value = g_mime_object_get_header(object, header)) {
            const char* semicolon = std::strrchr(value, ';');
            if (GDateTime* date = g_mime_utils_header_decode_date(semicolon ? semicolon + 1 : value)) {
                tally.touched += static_cast<std::size_t>(g_date_time_get_hour(date));
                g_date_time_unref(date);
                break;
            }
        }
    }
    const char* subject = g_mime_message_get_subject(message);
    tally.touched += subject ? std::strlen(subject) : 0;
    for (GMimeAddressType type : {GMIME_ADDRESS_TYPE_TO, GMIME_ADDRESS_TYPE_CC, GMIME_ADDRESS_TYPE_BCC,
                                  GMIME_ADDRESS_TYPE_FROM})
        touchAddresses(message, type, tally);
    g_mime_message_foreach(message, visitPart, &tally);
}

void parseFile(const fs::path& file, Tally& tally)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        ++tally.failed;
        if (fd >= 0)
            ::close(fd);
        return;
    }
    GByteArray* bytes = g_byte_array_sized_new(static_cast<guint>(st.st_size));
    g_byte_array_set_size(bytes, static_cast<guint>(st.st_size));
    const ssize_t got = ::pread(fd, bytes->data, static_cast<size_t>(st.st_size), 0);
    ::close(fd);
    g_byte_array_set_size(bytes, got > 0 ? static_cast<guint>(got) : 0);
    GMimeStream* stream = g_mime_stream_mem_new_with_byte_array(bytes);
    GMimeParser* parser = g_mime_parser_new_with_stream(stream);
    g_mime_parser_set_format(parser, GMIME_FORMAT_MESSAGE);
    GMimeMessage* message = g_mime_parser_construct_message(parser, nullptr);
    if (message) {
        touchMessage(message, tally);
        g_object_unref(message);
    } else {
        ++tally.failed;
    }
    g_object_unref(parser);
    g_object_unref(stream);
    ++tally.messages;
}

// Visits the message files in the walk's order.
template <typename Visit>
void walk(const fs::path& folder, const Visit& visit)
{
    for (const fs::path& file : messageFiles(folder))
        visit(file);
    for (const fs::path& sub : subfolders(folder))
        if (sub.filename() != "Deleted Items")
            walk(sub, visit);
}

// The files of the walk parsed by `threads` threads, file i by thread
// i % threads; the tallies summed.
void parseOnThreads(const fs::path& folder, unsigned threads, Tally& tally)
{
    std::vector<fs::path> files;
    walk(folder, [&](const fs::path& file) { files.push_back(file); });
    std::vector<Tally> tallies(threads);
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t)
        pool.emplace_back([&, t] {
            for (std::size_t i = t; i < files.size(); i += threads)
                parseFile(files[i], tallies[t]);
        });
    for (std::thread& thread : pool)
        thread.join();
    for (const Tally& part : tallies) {
        tally.messages += part.messages;
        tally.failed += part.failed;
        tally.touched += part.touched;
    }
}

bool isSentName(const std::string& name)
{
    for (const char* sent : {"Sent Items", "Sent", "Sent Messages", "Sent Mail", "sent_items", "sent_mail", "_sent_mail"})
        if (::strcasecmp(name.c_str(), sent) == 0)
            return true;
    return false;
}

// The first sent-mail folder depth-first, as the program's default folder.
fs::path defaultFolder(const fs::path& folder)
{
    if (isSentName(folder.filename().string()))
        return folder;
    for (const fs::path& sub : subfolders(folder))
        if (fs::path found = defaultFolder(sub); !found.empty())
            return found;
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    std::string folderArg;
    std::string store;
    unsigned threads = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--folder") == 0 && i + 1 < argc)
            folderArg = argv[++i];
        else if (std::strcmp(argv[i], "--threads") == 0 && i + 1 < argc)
            threads = static_cast<unsigned>(std::max(1, std::atoi(argv[++i])));
        else
            store = argv[i];
    }
    if (store.empty() || !fs::is_directory(store)) {
        std::fprintf(stderr, "usage: bare_gmime_loop [--folder PATH] [--threads N] STORE\n");
        return 2;
    }
    fs::path folder = folderArg.empty() ? defaultFolder(store) : fs::path(store) / folderArg;
    if (folder.empty())
        folder = store;
    g_mime_init();
    Tally tally;
    const auto start = std::chrono::steady_clock::now();
    if (threads > 1)
        parseOnThreads(folder, threads, tally);
    else
        walk(folder, [&](const fs::path& file) { parseFile(file, tally); });
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("messages %ld seconds %.3f msg/s %.0f\n", tally.messages, seconds, tally.messages / seconds);
    if (tally.failed)
        std::fprintf(stderr, "bare_gmime_loop: %ld files could not be parsed\n", tally.failed);
    g_mime_shutdown();
    return tally.touched == 0 && tally.messages > 0 ? 1 : 0;
}
