#include "platform/workbook/PackageXml.h"

#include "platform/workbook/Workbook.h"

#include <algorithm>
#include <sstream>

namespace brisk::workbook {

void parseXml(pugi::xml_document& doc, const std::string& text, std::string_view part)
{
    const pugi::xml_parse_result result =
        doc.load_buffer(text.data(), text.size(), kParseFlags, pugi::encoding_auto);
    if (!result)
        throw WorkbookError("broken workbook part " + std::string(part) + ": " + result.description());
}

std::string serializeXml(const pugi::xml_document& doc)
{
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    return out.str();
}

std::string_view localName(const pugi::xml_node& node)
{
    const std::string_view name = node.name();
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node childNamed(const pugi::xml_node& parent, std::string_view local)
{
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && localName(child) == local)
            return child;
    }
    return {};
}

std::string nameLike(const pugi::xml_node& like, std::string_view local)
{
    const std::string_view name = like.name();
    const std::size_t colon = name.find(':');
    if (colon == std::string_view::npos)
        return std::string(local);
    return std::string(name.substr(0, colon + 1)) + std::string(local);
}

pugi::xml_attribute prefixedAttribute(const pugi::xml_node& node, std::string_view local)
{
    for (pugi::xml_attribute attr = node.first_attribute(); attr; attr = attr.next_attribute()) {
        const std::string_view name = attr.name();
        const std::size_t colon = name.find(':');
        if (colon != std::string_view::npos && name.substr(colon + 1) == local &&
            name.substr(0, colon) != "xmlns")
            return attr;
    }
    return {};
}

bool endsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::string relationshipsPartOf(std::string_view part)
{
    const std::size_t slash = part.rfind('/');
    if (slash == std::string_view::npos)
        return "_rels/" + std::string(part) + ".rels";
    return std::string(part.substr(0, slash + 1)) + "_rels/" + std::string(part.substr(slash + 1)) + ".rels";
}

std::string resolveTarget(std::string_view sourcePart, std::string_view target)
{
    std::string joined;
    if (!target.empty() && target.front() == '/') {
        joined = target.substr(1);
    } else {
        const std::size_t slash = sourcePart.rfind('/');
        joined = (slash == std::string_view::npos ? std::string() : std::string(sourcePart.substr(0, slash + 1))) +
                 std::string(target);
    }
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= joined.size()) {
        const std::size_t end = std::min(joined.find('/', start), joined.size());
        const std::string segment = joined.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string resolved;
    for (const auto& segment : segments)
        resolved += (resolved.empty() ? "" : "/") + segment;
    return resolved;
}

std::vector<Relationship> readRelationships(const pugi::xml_document& rels, std::string_view sourcePart)
{
    std::vector<Relationship> out;
    const pugi::xml_node root = rels.document_element();
    for (pugi::xml_node rel = root.first_child(); rel; rel = rel.next_sibling()) {
        if (rel.type() != pugi::node_element || localName(rel) != "Relationship")
            continue;
        const bool external = std::string_view(rel.attribute("TargetMode").value()) == "External";
        out.push_back({rel.attribute("Id").value(), rel.attribute("Type").value(),
                       external ? std::string() : resolveTarget(sourcePart, rel.attribute("Target").value())});
    }
    return out;
}

const Relationship* findByType(const std::vector<Relationship>& rels, std::string_view typeSuffix)
{
    for (const auto& rel : rels) {
        if (endsWith(rel.type, typeSuffix) && !rel.target.empty())
            return &rel;
    }
    return nullptr;
}

} // namespace brisk::workbook
