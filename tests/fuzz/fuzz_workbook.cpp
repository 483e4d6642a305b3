// The workbook package reader: a zip of XML parts in, sheets, cells and
// labels out, then one cell written and the copy saved and reopened.

#include "platform/workbook/Workbook.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace brisk;

void brisk::fuzz::fuzzOne(std::string_view input)
{
    static ScratchFile file(".xlsm");
    static const std::filesystem::path copy = file.write({}).string() + ".copy.xlsm";
    try {
        auto book = Workbook::open(file.write(input));
        for (const std::string& name : book->sheetNames()) {
            Worksheet& sheet = book->sheet(name);
            for (const char* cell : {"A1", "B2", "C4", "AA10"})
                (void)sheet.cell(cell);
            sheet.setRange("B3:B5", {1.0, std::string("x"), {}});
        }
        for (const char* label : {"OutputUsernameLabel", "OutputMailboxLabel", "OutputPeriodFromLabel"})
            if (book->hasLabel(label))
                book->setLabel(label, std::string("text"));
        book->saveCopyAs(copy);
        Workbook::open(copy)->sheetNames();
    } catch (const WorkbookError&) {
        // A broken package is refused with an error, not a crash.
    }
    std::error_code ec;
    std::filesystem::remove(copy, ec);
}
