// make-template OUTPUT.xlsm
// Writes the results workbook template: libxlsxwriter makes the .xlsx
// package, which is then declared macro-enabled (it holds no macros).

#include "tools/make-template/MacroEnable.h"
#include "tools/make-template/TemplateLayout.h"

#include <xlsxwriter.h>

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-template OUTPUT.xlsm\n");
        return 2;
    }
    const std::filesystem::path target = argv[1];
    // Built beside the target and renamed at the end, so that an interrupted
    // run never leaves a half-written template behind.
    const std::filesystem::path partial = target.string() + ".partial";
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);
    std::filesystem::remove(partial, ec);

    lxw_workbook* book = workbook_new(partial.c_str());
    if (!book) {
        std::fprintf(stderr, "make-template: cannot create %s\n", partial.c_str());
        return 1;
    }
    const bool built = brisk::tmpl::buildTemplate(book);
    const lxw_error closed = workbook_close(book);
    if (!built || closed != LXW_NO_ERROR) {
        std::fprintf(stderr, "make-template: %s\n", lxw_strerror(closed));
        std::filesystem::remove(partial, ec);
        return 1;
    }
    const std::string error = brisk::tmpl::makeMacroEnabled(partial.string());
    if (!error.empty()) {
        std::fprintf(stderr, "make-template: %s\n", error.c_str());
        std::filesystem::remove(partial, ec);
        return 1;
    }
    std::filesystem::rename(partial, target, ec);
    if (ec) {
        std::fprintf(stderr, "make-template: cannot write %s: %s\n", target.c_str(), ec.message().c_str());
        return 1;
    }
    return 0;
}
