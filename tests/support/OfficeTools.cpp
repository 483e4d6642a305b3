#include "tests/support/OfficeTools.h"

#include "tests/support/TestSupport.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace brisk::test {
namespace {

// Prints one tab-separated line per query: the query, the value's Python
// type, the cell's data type, its text and number format hex-encoded as UTF-8
// so that any character survives the trip.
constexpr const char* kReader = R"(import sys
try:
    import openpyxl
except ImportError:
    print("python3-openpyxl is missing: run scripts/install-deps", file=sys.stderr)
    sys.exit(3)
h = lambda s: s.encode("utf-8").hex()
wb = openpyxl.load_workbook(sys.argv[1])
def out(q, kind, text, data="", fmt=""):
    print(q, kind, data, h(text), h(fmt), sep="\t")
def cell(q, c):
    v = c.value
    text = repr(v) if isinstance(v, (int, float)) else ("" if v is None else str(v))
    out(q, type(v).__name__, text, c.data_type, c.number_format)
def target(name):
    d = wb.defined_names.get(name)
    for sheet, ref in (d.destinations if d is not None else []):
        return sheet, ref
    return None
for q in open(sys.argv[2], encoding="utf-8").read().split("\n"):
    if not q:
        continue
    kind, _, arg = q.partition(":")
    if kind in ("label", "ref"):
        t = target(arg)
        if t is None:
            out(q, "missing", "")
        elif kind == "ref":
            out(q, "str", t[0] + "!" + t[1])
        else:
            cell(q, wb[t[0]][t[1].replace("$", "")])
    elif kind == "name":
        d = wb.defined_names.get(arg)
        out(q, "str", d.attr_text if d is not None else "")
    elif kind == "sheets":
        out(q, "str", ",".join(wb.sheetnames))
    elif kind == "active":
        out(q, "str", wb.active.title)
    elif kind == "cf":
        rules = [str(r.sqref) + " " + rule.type for r in wb[arg].conditional_formatting for rule in r.rules]
        out(q, "str", ";".join(rules))
    elif kind == "fmt":
        sheet, _, addr = arg.rpartition("!")
        out(q, "str", wb[sheet][addr].number_format)
    else:
        sheet, _, addr = (arg if kind == "cell" else q).rpartition("!")
        cell(q, wb[sheet][addr])
)";

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
    if (!std::filesystem::exists("/usr/bin/python3"))
        throw std::runtime_error("/usr/bin/python3 is missing: run scripts/install-deps");
    TempDir scratch;
    std::string list;
    for (const auto& q : queries)
        list += q + "\n";
    writeFile(scratch / "queries.txt", list);
    std::string output;
    try {
        output = runPython(kReader, {file.string(), (scratch / "queries.txt").string()});
    } catch (const std::exception& e) {
        throw std::runtime_error("openpyxl could not read " + file.string() + ": " + e.what());
    }
    std::map<std::string, ReadValue> values;
    std::stringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');)
            f.push_back(field);
        if (f.size() == 4 && line.back() == '\t')
            f.emplace_back(); // getline gives no empty last field
        if (f.size() != 5)
            throw std::runtime_error("unexpected reader output: " + line);
        values[f[0]] = {f[1], fromHex(f[3]), f[2], fromHex(f[4])};
    }
    for (const auto& q : queries)
        if (!values.count(q))
            throw std::runtime_error("the reader gave no answer for " + q);
    return values;
}

std::filesystem::path findOffice()
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(std::string(path ? path : "") + ":/usr/lib/libreoffice/program");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const auto candidate = std::filesystem::path(folder.empty() ? "." : folder) / "soffice";
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

bool officeConvert(const std::filesystem::path& office, const std::filesystem::path& file, const std::string& filter,
                   const std::filesystem::path& out)
{
    // A profile of its own inside the output folder: no user's settings, no
    // lock shared with another test.
    const std::string command = shellQuote(office.string()) + " --headless --norestore -env:UserInstallation=file://" +
                                (out / ".lo-profile").string() + " --convert-to " + shellQuote(filter) +
                                " --outdir " + shellQuote(out.string()) + " " + shellQuote(file.string()) +
                                " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return status == 0;
}

} // namespace brisk::test
