#include "platform/workbook/Workbook.h"

#include "platform/workbook/SafeFile.h"
#include "platform/workbook/SheetCells.h"
#include "platform/workbook/SheetPart.h"
#include "platform/workbook/WorkbookImpl.h"

#include <array>

namespace brisk {

using workbook::childNamed;
using workbook::localName;
using workbook::nameLike;

namespace {

constexpr const char* kContentTypesPart = "[Content_Types].xml";

// <calcPr> comes after these children of <workbook> and before the rest
// (ECMA-376 Part 1, 18.2.28 "workbook" sequence).
constexpr std::array<std::string_view, 9> kAfterCalcPr = {
    "oleSize",       "customWorkbookViews", "pivotCaches", "smartTagPr", "smartTagTypes",
    "webPublishing", "fileRecoveryPr",      "webPublishObjects", "extLst"};

// fullCalcOnLoad asks the spreadsheet application to recompute every formula
// when the file is opened, since the cells they read have changed.
void requestFullCalculation(pugi::xml_document& workbookXml)
{
    pugi::xml_node root = workbookXml.document_element();
    pugi::xml_node calcPr = childNamed(root, "calcPr");
    if (!calcPr) {
        pugi::xml_node before;
        for (pugi::xml_node child = root.first_child(); child && !before; child = child.next_sibling()) {
            for (std::string_view later : kAfterCalcPr) {
                if (child.type() == pugi::node_element && localName(child) == later)
                    before = child;
            }
        }
        const std::string name = nameLike(root, "calcPr");
        calcPr = before ? root.insert_child_before(name.c_str(), before) : root.append_child(name.c_str());
    }
    if (!calcPr.attribute("fullCalcOnLoad"))
        calcPr.append_attribute("fullCalcOnLoad");
    calcPr.attribute("fullCalcOnLoad").set_value("1");
}

// Removes the element of `xml` whose attribute equals `value`; true when found.
bool removeElementWith(pugi::xml_document& xml, const char* attribute, std::string_view value, bool ignoreCase)
{
    pugi::xml_node root = xml.document_element();
    for (pugi::xml_node child = root.first_child(); child; child = child.next_sibling()) {
        const std::string_view found = child.attribute(attribute).value();
        if (ignoreCase ? workbook::equalsIgnoreCase(found, value) : found == value) {
            root.remove_child(child);
            return true;
        }
    }
    return false;
}

// The calculation chain lists formula cells in their last order of
// evaluation; with cells rewritten it may no longer match, and the
// spreadsheet application then reports the file as damaged. Without it, the
// chain is rebuilt on load.
void removeCalcChain(Workbook::Impl& d, workbook::PackageEdits& edits)
{
    const workbook::Relationship* chain = workbook::findByType(d.workbookRels, "/calcChain");
    if (!chain)
        return;
    edits.removed.push_back(chain->target);

    const std::string relsPart = workbook::relationshipsPartOf(d.workbookPart);
    pugi::xml_document rels;
    workbook::parseXml(rels, d.zip->read(relsPart), relsPart);
    if (removeElementWith(rels, "Id", chain->id, false))
        edits.replaced[relsPart] = workbook::serializeXml(rels);

    pugi::xml_document types;
    workbook::parseXml(types, d.zip->read(kContentTypesPart), kContentTypesPart);
    if (removeElementWith(types, "PartName", "/" + chain->target, true))
        edits.replaced[kContentTypesPart] = workbook::serializeXml(types);
}

} // namespace

// Every part the edits changed, and, once any cell was written, what makes
// the copy recalculate on load.
workbook::PackageEdits Workbook::collectEdits()
{
    Impl& d = impl();
    workbook::PackageEdits edits;
    if (d.cellsWritten) {
        // Formula cells anywhere may read the written cells.
        for (auto& entry : d.sheets)
            sheet(entry.name);
    }
    for (auto& entry : d.sheets) {
        if (!entry.sheet)
            continue;
        workbook::SheetPart& part = *entry.sheet->m_part;
        if (d.cellsWritten && workbook::dropCachedFormulaValues(part.xml))
            part.dirty = true;
        if (part.dirty)
            edits.replaced[part.part] = workbook::serializeXml(part.xml);
    }
    if (d.cellsWritten) {
        requestFullCalculation(d.workbookXml);
        edits.replaced[d.workbookPart] = workbook::serializeXml(d.workbookXml);
        removeCalcChain(d, edits);
    }
    return edits;
}

void Workbook::saveCopyAs(const std::filesystem::path& target)
{
    Impl& d = impl();
    std::error_code ec;
    if (std::filesystem::symlink_status(target, ec).type() != std::filesystem::file_type::not_found && !ec)
        throw WorkbookError("cannot save " + target.string() + ": file exists");
    const workbook::PackageEdits edits = collectEdits();
    workbook::PendingFile pending(target);
    pending.write(d.zip->bytes());
    if (!edits.empty())
        workbook::applyEdits(pending.path(), edits);
    pending.publish();
}

} // namespace brisk
