// What the classic queries need of an entry, shared with the list filling of the classic
// dialogs; not installed.
#pragma once

#include <string>
#include <string_view>

#include "nemro/catalogue_model.h"

namespace nemro {

// The attribute of that name. A missing node, or one that is no element, fails as the
// platform does for an unset object or a missing member (source `source`); a missing
// attribute fails with the catalogue error and `message`.
const std::string& requiredAttribute(const CatalogueNode* node, std::string_view name,
                                     const char* source, const std::string& message);

}  // namespace nemro
