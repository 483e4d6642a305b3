#pragma once
// The state behind a Workbook, shared by its opening and its saving code.

#include "platform/workbook/CellAddress.h"
#include "platform/workbook/PackageXml.h"
#include "platform/workbook/Workbook.h"
#include "platform/workbook/ZipPackage.h"

#include <pugixml.hpp>

#include <optional>

namespace brisk {

struct Workbook::Impl {
    struct SheetEntry {
        std::string name;
        std::string part;
        std::unique_ptr<Worksheet> sheet; // loaded on first use
    };
    struct Label {
        std::string name;
        workbook::SheetCell target;
    };

    std::filesystem::path file;
    std::unique_ptr<workbook::ZipPackage> zip;
    std::string workbookPart; // "xl/workbook.xml"
    pugi::xml_document workbookXml;
    std::vector<workbook::Relationship> workbookRels;
    std::vector<SheetEntry> sheets;
    std::vector<Label> labels;
    std::optional<std::vector<std::string>> sharedStrings;
    bool cellsWritten = false;
    bool closed = false;

    SheetEntry* findSheet(std::string_view name);
    const Label* findLabel(std::string_view name) const;
};

} // namespace brisk
