#pragma once
// Cells of a worksheet part (ECMA-376 Part 1, 18.3.1 "Worksheets"):
// <sheetData> holds <row r="n"> elements in ascending order, each holding
// <c r="B3" s="style" t="type"> cells in ascending column order.

#include "platform/workbook/CellAddress.h"
#include "platform/workbook/Workbook.h"

#include <pugixml.hpp>

#include <functional>
#include <string>

namespace brisk::workbook {

using SharedStringLookup = std::function<const std::string&(std::size_t)>;

// Gives every row and cell an explicit "r" (both are optional and then follow
// the previous one), so that later lookups can rely on them. Throws
// WorkbookError when the part has no <sheetData>.
void prepareSheet(pugi::xml_document& sheet, std::string_view part);

pugi::xml_node findCell(const pugi::xml_document& sheet, CellRef ref);
// Finds the cell or inserts it, with its row, in order.
pugi::xml_node ensureCell(pugi::xml_document& sheet, CellRef ref);

// Replaces the cell's content (value, formula, type) and keeps its style.
void writeCellValue(pugi::xml_node cell, const CellValue& value);
CellValue readCellValue(const pugi::xml_node& cell, const SharedStringLookup& sharedString);

// Removes the cached values of formula cells so that readers that do not
// recalculate on load show no stale result. True when anything changed.
bool dropCachedFormulaValues(pugi::xml_document& sheet);

} // namespace brisk::workbook
