#include "tests/support/TestSupport.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace brisk::test {

TempDir::TempDir()
{
    std::random_device rd;
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
        const auto candidate = std::filesystem::temp_directory_path() / ("brisk-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(candidate))
            m_path = candidate;
    }
    if (m_path.empty())
        throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Read-only files or folders made by a test must not stop the clean-up.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ec);
    std::filesystem::remove_all(m_path, ec);
}

std::optional<std::filesystem::path> corporaDir()
{
    const auto dir = sourceDir() / ".." / "shared" / "corpora";
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec))
        return std::nullopt;
    return std::filesystem::weakly_canonical(dir);
}

void writeFile(const std::filesystem::path& file, const std::string& content)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!(out << content))
        throw std::runtime_error("cannot write " + file.string());
}

std::string readFile(const std::filesystem::path& file)
{
    std::ostringstream ss;
    ss << std::ifstream(file, std::ios::binary).rdbuf();
    return ss.str();
}

std::string shellQuote(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string runPython(const std::string& script, const std::vector<std::string>& args)
{
    TempDir scratch;
    writeFile(scratch / "script.py", script);
    std::string command = "/usr/bin/python3 " + shellQuote((scratch / "script.py").string());
    for (const auto& arg : args)
        command += " " + shellQuote(arg);
    command += " >" + shellQuote((scratch / "out").string()) + " 2>" + shellQuote((scratch / "errors").string());
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("python3 failed: " + readFile(scratch / "errors"));
    return readFile(scratch / "out");
}

} // namespace brisk::test
