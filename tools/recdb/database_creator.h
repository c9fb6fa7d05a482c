#pragma once
// Writes a new, empty database (and its auxiliary file when a field needs one). The program
// itself never creates databases; installers and support do, through this tool.

#include "recdb/layout.h"
#include "runtime/text.h"

#include <string>
#include <vector>

namespace recdb::tool {

struct FieldDefinition {
    runtime::Text name; // GBK
    std::int32_t type;
    std::int32_t width; // text fields only
};

// Checks the definitions (count, type, name, width, duplicates) and writes the files,
// laying the fields one after another from offset 4. Returns 0 or an error code.
int createDatabase(const std::string& nativePath, const std::vector<FieldDefinition>& fields);

} // namespace recdb::tool
