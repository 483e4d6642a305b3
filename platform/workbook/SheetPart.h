#pragma once
// The in-memory XML of one worksheet part.

#include <pugixml.hpp>

#include <string>

namespace brisk::workbook {

struct SheetPart {
    std::string name; // the sheet's name in the workbook
    std::string part; // "xl/worksheets/sheet1.xml"
    pugi::xml_document xml;
    bool dirty = false; // to be written into the saved copy
};

} // namespace brisk::workbook
