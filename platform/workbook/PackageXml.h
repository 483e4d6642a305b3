#pragma once
// XML and relationship helpers for the parts of an Open Packaging Conventions
// package (ECMA-376 Part 2). Part names are kept without their leading "/",
// as zip entries name them ("xl/workbook.xml").

#include <pugixml.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace brisk::workbook {

// Keep declarations and whitespace-only text (a cell text may be " ").
constexpr unsigned kParseFlags = pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata;

// Parses a part; throws WorkbookError naming the part when it is not XML.
void parseXml(pugi::xml_document& doc, const std::string& text, std::string_view part);
// Writes a part back without reformatting.
std::string serializeXml(const pugi::xml_document& doc);

// Element names without their namespace prefix: some writers use "x:row".
std::string_view localName(const pugi::xml_node& node);
pugi::xml_node childNamed(const pugi::xml_node& parent, std::string_view local);
// The qualified name for a new element beside or under `like`, reusing its prefix.
std::string nameLike(const pugi::xml_node& like, std::string_view local);
// The value of a namespaced attribute ("r:id") by its local name.
pugi::xml_attribute prefixedAttribute(const pugi::xml_node& node, std::string_view local);

bool endsWith(std::string_view text, std::string_view suffix);
bool equalsIgnoreCase(std::string_view a, std::string_view b);

struct Relationship {
    std::string id;
    std::string type;
    std::string target; // resolved part name; empty for external targets
};

// "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels"; "" -> "_rels/.rels".
std::string relationshipsPartOf(std::string_view part);
// Resolves a relationship target against its source part (RFC 3986 section
// 5.2 with "." and ".." segments removed).
std::string resolveTarget(std::string_view sourcePart, std::string_view target);
std::vector<Relationship> readRelationships(const pugi::xml_document& rels, std::string_view sourcePart);
// Relationship types are matched by their last segment ("/worksheet"), which
// covers the transitional and the strict namespaces alike.
const Relationship* findByType(const std::vector<Relationship>& rels, std::string_view typeSuffix);

} // namespace brisk::workbook
