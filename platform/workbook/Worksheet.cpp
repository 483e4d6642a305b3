#include "platform/workbook/Workbook.h"

#include "platform/workbook/CellAddress.h"
#include "platform/workbook/SheetCells.h"
#include "platform/workbook/SheetPart.h"

namespace brisk {

using workbook::CellRef;

namespace {

CellRef requireCell(std::string_view address)
{
    const auto ref = workbook::parseCell(address);
    if (!ref)
        throw WorkbookError("not a cell address: \"" + std::string(address) + "\"");
    return *ref;
}

} // namespace

Worksheet::Worksheet(Workbook& book, std::unique_ptr<workbook::SheetPart> part)
    : m_book(book), m_part(std::move(part))
{
}

Worksheet::~Worksheet() = default;

const std::string& Worksheet::name() const { return m_part->name; }

void Worksheet::setRange(std::string_view address, const std::vector<CellValue>& column)
{
    m_book.impl();
    const auto range = workbook::parseRange(address);
    if (!range || range->first.column != range->last.column)
        throw WorkbookError("not a one-column range: \"" + std::string(address) + "\"");
    const std::size_t rows = range->last.row - range->first.row + 1;
    for (std::size_t i = 0; i < rows && i < column.size(); ++i) {
        const CellRef ref{range->first.row + static_cast<std::uint32_t>(i), range->first.column};
        workbook::writeCellValue(workbook::ensureCell(m_part->xml, ref), column[i]);
    }
    m_part->dirty = true;
    m_book.noteCellWritten();
}

void Worksheet::setCell(std::string_view address, const CellValue& value)
{
    m_book.impl();
    const CellRef ref = requireCell(address);
    workbook::writeCellValue(workbook::ensureCell(m_part->xml, ref), value);
    m_part->dirty = true;
    m_book.noteCellWritten();
}

CellValue Worksheet::cell(std::string_view address) const
{
    m_book.impl();
    const pugi::xml_node node = workbook::findCell(m_part->xml, requireCell(address));
    return workbook::readCellValue(node, [this](std::size_t index) -> const std::string& {
        return m_book.sharedString(index);
    });
}

} // namespace brisk
