#include "platform/workbook/SheetCells.h"

#include "platform/workbook/CellText.h"
#include "platform/workbook/PackageXml.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace brisk::workbook {
namespace {

std::uint32_t numberAttribute(const pugi::xml_node& node, const char* name)
{
    return node.attribute(name).as_uint(0);
}

pugi::xml_node sheetData(const pugi::xml_document& sheet)
{
    return childNamed(sheet.document_element(), "sheetData");
}

bool isElement(const pugi::xml_node& node, std::string_view local)
{
    return node.type() == pugi::node_element && localName(node) == local;
}

// Widens <dimension ref="A1:H20"/> to cover a newly written cell.
void coverInDimension(pugi::xml_document& sheet, CellRef ref)
{
    const pugi::xml_node dimension = childNamed(sheet.document_element(), "dimension");
    if (!dimension)
        return;
    const auto range = parseRange(dimension.attribute("ref").value());
    if (!range)
        return;
    const CellRef first{std::min(range->first.row, ref.row), std::min(range->first.column, ref.column)};
    const CellRef last{std::max(range->last.row, ref.row), std::max(range->last.column, ref.column)};
    const std::string text = first == last ? cellName(first) : cellName(first) + ":" + cellName(last);
    dimension.attribute("ref").set_value(text.c_str());
}

// Widens a row's optional spans="2:8" hint to cover a new cell.
void coverInSpans(pugi::xml_node row, std::uint32_t column)
{
    pugi::xml_attribute spans = row.attribute("spans");
    if (!spans)
        return;
    const std::string_view text = spans.value();
    const std::size_t colon = text.find(':');
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    if (colon == std::string_view::npos ||
        std::from_chars(text.data(), text.data() + colon, low).ec != std::errc() ||
        std::from_chars(text.data() + colon + 1, text.data() + text.size(), high).ec != std::errc()) {
        row.remove_attribute(spans);
        return;
    }
    const std::string widened = std::to_string(std::min(low, column)) + ":" + std::to_string(std::max(high, column));
    spans.set_value(widened.c_str());
}

pugi::xml_node ensureRow(pugi::xml_node data, std::uint32_t rowNumber)
{
    pugi::xml_node before;
    for (pugi::xml_node row = data.first_child(); row; row = row.next_sibling()) {
        if (!isElement(row, "row"))
            continue;
        const std::uint32_t r = numberAttribute(row, "r");
        if (r == rowNumber)
            return row;
        if (r > rowNumber) {
            before = row;
            break;
        }
    }
    const std::string name = nameLike(data, "row");
    pugi::xml_node row = before ? data.insert_child_before(name.c_str(), before) : data.append_child(name.c_str());
    row.append_attribute("r").set_value(rowNumber);
    return row;
}

void removeChildren(pugi::xml_node cell)
{
    while (pugi::xml_node child = cell.first_child())
        cell.remove_child(child);
}

} // namespace

void prepareSheet(pugi::xml_document& sheet, std::string_view part)
{
    const pugi::xml_node data = sheetData(sheet);
    if (!data)
        throw WorkbookError("broken worksheet " + std::string(part) + ": no sheetData");
    std::uint32_t rowNumber = 0;
    for (pugi::xml_node row = data.first_child(); row; row = row.next_sibling()) {
        if (!isElement(row, "row"))
            continue;
        rowNumber = row.attribute("r") ? numberAttribute(row, "r") : rowNumber + 1;
        if (!row.attribute("r"))
            row.append_attribute("r").set_value(rowNumber);
        std::uint32_t column = 0;
        for (pugi::xml_node cell = row.first_child(); cell; cell = cell.next_sibling()) {
            if (!isElement(cell, "c"))
                continue;
            column = cell.attribute("r") ? columnOf(cell.attribute("r").value()) : column + 1;
            if (!cell.attribute("r"))
                cell.append_attribute("r").set_value(cellName({rowNumber, column}).c_str());
        }
    }
}

pugi::xml_node findCell(const pugi::xml_document& sheet, CellRef ref)
{
    for (pugi::xml_node row = sheetData(sheet).first_child(); row; row = row.next_sibling()) {
        if (!isElement(row, "row") || numberAttribute(row, "r") != ref.row)
            continue;
        for (pugi::xml_node cell = row.first_child(); cell; cell = cell.next_sibling()) {
            if (isElement(cell, "c") && columnOf(cell.attribute("r").value()) == ref.column)
                return cell;
        }
        break;
    }
    return {};
}

pugi::xml_node ensureCell(pugi::xml_document& sheet, CellRef ref)
{
    if (pugi::xml_node found = findCell(sheet, ref))
        return found;
    pugi::xml_node row = ensureRow(sheetData(sheet), ref.row);
    pugi::xml_node before;
    for (pugi::xml_node cell = row.first_child(); cell; cell = cell.next_sibling()) {
        // Cells come before the row's extLst, in column order.
        if ((isElement(cell, "c") && columnOf(cell.attribute("r").value()) > ref.column) ||
            isElement(cell, "extLst")) {
            before = cell;
            break;
        }
    }
    const std::string name = nameLike(row, "c");
    pugi::xml_node cell = before ? row.insert_child_before(name.c_str(), before) : row.append_child(name.c_str());
    cell.append_attribute("r").set_value(cellName(ref).c_str());
    // A new cell takes the row's style when the row has one (customFormat).
    if (row.attribute("customFormat").as_bool() && row.attribute("s"))
        cell.append_attribute("s").set_value(row.attribute("s").value());
    coverInSpans(row, ref.column);
    coverInDimension(sheet, ref);
    return cell;
}

// FIXME: overwriting the master cell of a shared formula (<f t="shared"
// ref=...>) leaves the other cells of its group without their formula text;
// the template holds none.
void writeCellValue(pugi::xml_node cell, const CellValue& value)
{
    removeChildren(cell);
    for (const char* attr : {"t", "cm", "vm", "ph"})
        cell.remove_attribute(attr);
    if (const auto* number = std::get_if<double>(&value)) {
        if (std::isfinite(*number)) {
            cell.append_child(nameLike(cell, "v").c_str()).text().set(formatCellNumber(*number).c_str());
        } else {
            // A cell cannot hold an infinite or undefined number.
            cell.append_attribute("t").set_value("e");
            cell.append_child(nameLike(cell, "v").c_str()).text().set("#NUM!");
        }
    } else if (const auto* text = std::get_if<std::string>(&value)) {
        cell.append_attribute("t").set_value("inlineStr");
        pugi::xml_node t = cell.append_child(nameLike(cell, "is").c_str()).append_child(nameLike(cell, "t").c_str());
        t.append_attribute("xml:space").set_value("preserve");
        t.text().set(toCellXmlText(*text).c_str());
    }
}

CellValue readCellValue(const pugi::xml_node& cell, const SharedStringLookup& sharedString)
{
    if (!cell)
        return {};
    const std::string_view type = cell.attribute("t").value();
    if (type == "inlineStr") {
        std::string text;
        for (const pugi::xpath_node& t :
             cell.select_nodes(".//*[local-name()='t' and not(ancestor::*[local-name()='rPh'])]"))
            text += t.node().text().get();
        return fromCellXmlText(text);
    }
    const pugi::xml_node v = childNamed(cell, "v");
    if (!v)
        return {};
    const std::string text = v.text().get();
    if (type == "s")
        return sharedString(static_cast<std::size_t>(std::strtoull(text.c_str(), nullptr, 10)));
    if (type == "str" || type == "e")
        return fromCellXmlText(text);
    // from_chars reads the XML number whatever the process's locale is.
    double number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

bool dropCachedFormulaValues(pugi::xml_document& sheet)
{
    bool changed = false;
    for (pugi::xml_node row = sheetData(sheet).first_child(); row; row = row.next_sibling()) {
        for (pugi::xml_node cell = row.first_child(); cell; cell = cell.next_sibling()) {
            if (!isElement(cell, "c") || !childNamed(cell, "f"))
                continue;
            while (pugi::xml_node v = childNamed(cell, "v")) {
                cell.remove_child(v);
                changed = true;
            }
            if (cell.attribute("t") && std::string_view(cell.attribute("t").value()) != "inlineStr")
                changed = cell.remove_attribute("t") || changed;
        }
    }
    return changed;
}

} // namespace brisk::workbook
