#pragma once

#include <string>

namespace brisk::tmpl {

// Declares the package's workbook part macro-enabled, as an .xlsm file's
// must be: the [Content_Types].xml override for /xl/workbook.xml becomes
// application/vnd.ms-excel.sheet.macroEnabled.main+xml. Returns an error
// text, empty on success.
std::string makeMacroEnabled(const std::string& file);

} // namespace brisk::tmpl
