#include "tests/support/OfficeTools.h"

#include "tests/support/TestSupport.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace brisk::test {
namespace {

// Prints five words per query: the query, the value's Python type, the cell's
// data type, its text and number format, each hex-encoded UTF-8 behind an "x"
// so that any character (and an empty text) survives the trip.
constexpr const char* kReader = R"(import sys
try:
    import openpyxl
except ImportError:
    sys.exit("python3-openpyxl is missing: run scripts/install-deps")
wb = openpyxl.load_workbook(sys.argv[1])
def out(q, kind, text, data="", fmt=""):
    print(*("x" + s.encode("utf-8").hex() for s in (q, kind, data, text, fmt)))
def cell(q, c):
    v = c.value
    text = repr(v) if isinstance(v, (int, float)) else ("" if v is None else str(v))
    out(q, type(v).__name__, text, c.data_type, c.number_format)
for q in sys.argv[2:]:
    kind, _, arg = q.partition(":")
    d = wb.defined_names.get(arg)
    t = next(iter(d.destinations), None) if d is not None and kind == "label" else None
    if kind == "label" and t is None:
        out(q, "missing", "")
    elif kind == "label":
        cell(q, wb[t[0]][t[1].replace("$", "")])
    elif kind == "name":
        out(q, "str", d.attr_text if d is not None else "")
    elif kind == "sheets":
        out(q, "str", ",".join(wb.sheetnames))
    elif kind == "active":
        out(q, "str", wb.active.title)
    elif kind == "cf":
        out(q, "str", ";".join(str(r.sqref) + " " + u.type for r in wb[arg].conditional_formatting for u in r.rules))
    else:
        sheet, _, addr = (arg if kind == "cell" else q).rpartition("!")
        cell(q, wb[sheet][addr])
)";

// Bytes written as hexadecimal digits.
std::string fromHex(const std::string& hex)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

} // namespace

double ReadValue::number() const
{
    if (!isNumber())
        throw std::runtime_error("not a number: " + type + " " + text);
    return std::strtod(text.c_str(), nullptr);
}

std::map<std::string, ReadValue> readWorkbook(const std::filesystem::path& file,
                                              const std::vector<std::string>& queries)
{
    std::vector<std::string> args = {file.string()};
    args.insert(args.end(), queries.begin(), queries.end());
    std::stringstream output;
    try {
        output.str(runPython(kReader, args));
    } catch (const std::exception& e) {
        throw std::runtime_error("openpyxl could not read " + file.string() + ": " + e.what());
    }
    std::map<std::string, ReadValue> values;
    auto word = [](const std::string& w) { return fromHex(w.substr(1)); };
    for (std::string q, type, data, text, fmt; output >> q >> type >> data >> text >> fmt;)
        values[word(q)] = {word(type), word(text), word(data), word(fmt)};
    for (const auto& q : queries)
        if (!values.count(q))
            throw std::runtime_error("the reader gave no answer for " + q);
    return values;
}

std::filesystem::path findOffice()
{
    for (const char* candidate : {"/usr/bin/soffice", "/usr/lib/libreoffice/program/soffice"})
        if (::access(candidate, X_OK) == 0)
            return candidate;
    return {};
}

bool officeConvert(const std::filesystem::path& office, const std::filesystem::path& file, const std::string& filter,
                   const std::filesystem::path& out)
{
    // A profile of its own inside the output folder: no user's settings, no
    // lock shared with another test.
    const std::string command = shellQuote(office.string()) + " --headless --norestore -env:UserInstallation=file://" +
        (out / ".lo-profile").string() + " --convert-to " + shellQuote(filter) + " --outdir " +
        shellQuote(out.string()) + " " + shellQuote(file.string()) + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

} // namespace brisk::test
