#include "platform/workbook/Workbook.h"

#include "platform/workbook/CellText.h"
#include "platform/workbook/SheetCells.h"
#include "platform/workbook/SheetPart.h"
#include "platform/workbook/WorkbookImpl.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace brisk {

using workbook::childNamed;
using workbook::localName;

namespace {

std::string readWholeFile(const std::filesystem::path& file)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        throw WorkbookError("workbook not found: " + file.string());
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in)
        throw WorkbookError("cannot read workbook " + file.string());
    return bytes.str();
}

std::vector<workbook::Relationship> readRelsOf(const workbook::ZipPackage& zip, std::string_view part)
{
    const std::string relsPart = workbook::relationshipsPartOf(part);
    if (!zip.has(relsPart))
        return {};
    pugi::xml_document rels;
    workbook::parseXml(rels, zip.read(relsPart), relsPart);
    return workbook::readRelationships(rels, part);
}

// <sheets><sheet name="Summary" r:id="rId1"/> -> worksheet parts; chart
// sheets and other kinds of sheet are left out.
void readSheets(Workbook::Impl& d)
{
    const pugi::xml_node sheets = childNamed(d.workbookXml.document_element(), "sheets");
    for (pugi::xml_node sheet = sheets.first_child(); sheet; sheet = sheet.next_sibling()) {
        if (sheet.type() != pugi::node_element || localName(sheet) != "sheet")
            continue;
        const std::string_view id = workbook::prefixedAttribute(sheet, "id").value();
        for (const auto& rel : d.workbookRels) {
            if (rel.id == id && workbook::endsWith(rel.type, "/worksheet") && !rel.target.empty())
                d.sheets.push_back({sheet.attribute("name").value(), rel.target, nullptr});
        }
    }
}

// Workbook-level defined names that point at a cell; names scoped to one
// sheet (localSheetId) and names holding constants or formulas are no labels.
void readLabels(Workbook::Impl& d)
{
    const pugi::xml_node names = childNamed(d.workbookXml.document_element(), "definedNames");
    for (pugi::xml_node name = names.first_child(); name; name = name.next_sibling()) {
        if (name.type() != pugi::node_element || localName(name) != "definedName" ||
            name.attribute("localSheetId"))
            continue;
        if (const auto target = workbook::parseSheetReference(name.text().get()))
            d.labels.push_back({name.attribute("name").value(), *target});
    }
}

} // namespace

Workbook::Impl::SheetEntry* Workbook::Impl::findSheet(std::string_view name)
{
    for (auto& entry : sheets) {
        if (workbook::equalsIgnoreCase(entry.name, name))
            return &entry;
    }
    return nullptr;
}

const Workbook::Impl::Label* Workbook::Impl::findLabel(std::string_view name) const
{
    for (const auto& label : labels) {
        if (workbook::equalsIgnoreCase(label.name, name))
            return &label;
    }
    return nullptr;
}

std::unique_ptr<Workbook> Workbook::open(const std::filesystem::path& file)
{
    auto d = std::make_unique<Impl>();
    d->file = file;
    d->zip = std::make_unique<workbook::ZipPackage>(readWholeFile(file), file);
    const auto rootRels = readRelsOf(*d->zip, "");
    const workbook::Relationship* document = workbook::findByType(rootRels, "/officeDocument");
    if (!document || !d->zip->has(document->target))
        throw WorkbookError("not a workbook: " + file.string() + " has no workbook part");
    d->workbookPart = document->target;
    workbook::parseXml(d->workbookXml, d->zip->read(d->workbookPart), d->workbookPart);
    if (localName(d->workbookXml.document_element()) != "workbook")
        throw WorkbookError("not a workbook: " + file.string());
    d->workbookRels = readRelsOf(*d->zip, d->workbookPart);
    readSheets(*d);
    readLabels(*d);
    return std::unique_ptr<Workbook>(new Workbook(std::move(d)));
}

Workbook::Workbook(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

Workbook::~Workbook() = default;

Workbook::Impl& Workbook::impl() const
{
    if (m_impl->closed)
        throw WorkbookError("the workbook " + m_impl->file.string() + " is closed");
    return *m_impl;
}

const std::filesystem::path& Workbook::path() const { return m_impl->file; }

std::vector<std::string> Workbook::sheetNames() const
{
    std::vector<std::string> names;
    for (const auto& entry : impl().sheets)
        names.push_back(entry.name);
    return names;
}

bool Workbook::hasSheet(std::string_view name) const { return impl().findSheet(name) != nullptr; }

Worksheet& Workbook::sheet(std::string_view name)
{
    Impl::SheetEntry* entry = impl().findSheet(name);
    if (!entry)
        throw WorkbookError("no sheet named \"" + std::string(name) + "\" in " + m_impl->file.string());
    if (!entry->sheet) {
        auto part = std::make_unique<workbook::SheetPart>();
        part->name = entry->name;
        part->part = entry->part;
        workbook::parseXml(part->xml, m_impl->zip->read(entry->part), entry->part);
        workbook::prepareSheet(part->xml, entry->part);
        entry->sheet.reset(new Worksheet(*this, std::move(part)));
    }
    return *entry->sheet;
}

bool Workbook::hasLabel(std::string_view name) const { return impl().findLabel(name) != nullptr; }

void Workbook::setLabel(std::string_view name, const CellValue& value)
{
    const Impl::Label* label = impl().findLabel(name);
    if (!label)
        throw WorkbookError("no label named \"" + std::string(name) + "\" in " + m_impl->file.string());
    sheet(label->target.sheet).setCell(workbook::cellName(label->target.cell), value);
}

CellValue Workbook::label(std::string_view name) const
{
    const Impl::Label* label = impl().findLabel(name);
    if (!label)
        throw WorkbookError("no label named \"" + std::string(name) + "\" in " + m_impl->file.string());
    return const_cast<Workbook*>(this)->sheet(label->target.sheet).cell(workbook::cellName(label->target.cell));
}

void Workbook::noteCellWritten() { impl().cellsWritten = true; }

const std::string& Workbook::sharedString(std::size_t index) const
{
    Impl& d = impl();
    if (!d.sharedStrings) {
        d.sharedStrings.emplace();
        const auto* rel = workbook::findByType(d.workbookRels, "/sharedStrings");
        if (rel && d.zip->has(rel->target)) {
            pugi::xml_document sst;
            workbook::parseXml(sst, d.zip->read(rel->target), rel->target);
            // <si> holds a plain <t> or rich-text runs <r><t>; phonetic runs
            // (<rPh>) are not part of the text.
            for (const pugi::xpath_node& si : sst.select_nodes("/*/*[local-name()='si']")) {
                std::string text;
                for (const pugi::xpath_node& t : si.node().select_nodes(
                         ".//*[local-name()='t' and not(ancestor::*[local-name()='rPh'])]"))
                    text += t.node().text().get();
                d.sharedStrings->push_back(workbook::fromCellXmlText(text));
            }
        }
    }
    if (index >= d.sharedStrings->size())
        throw WorkbookError("broken workbook " + d.file.string() + ": shared string " + std::to_string(index) +
                            " is missing");
    return (*d.sharedStrings)[index];
}

void Workbook::close()
{
    if (m_impl->closed)
        return;
    m_impl->closed = true;
    m_impl->zip.reset();
    m_impl->sharedStrings.reset();
}

} // namespace brisk
