// Reading the catalogue file, and the model behind every query. Failures name the
// operation that asked, as the queries' sources do.
#pragma once

#include <cstdint>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "nemro/catalogue_model.h"

namespace nemro {

// Whitespace-only text is no node; comments, processing instructions and other text are.
inline constexpr unsigned kCatalogueParseOptions =
    pugi::parse_default | pugi::parse_comments | pugi::parse_pi;

// The bytes of the catalogue file at path; a missing, unreadable or non-regular file
// fails with the parser's status and reason, source `operation`.
std::string readCatalogueFile(const std::string& path, const char* operation);

// The catalogue at path ("" means FormulaSet.xml in GetAppPath()), kept per file identity;
// a file that does not parse fails with the parser's status and reason, source `operation`.
std::shared_ptr<const Catalogue> loadCatalogue(const std::string& path, const char* operation);

// The model of a parsed document.
std::shared_ptr<const Catalogue> readCatalogue(const pugi::xml_document& document);

// MaxArgNum as a 16-bit integer: a decimal number, rounded half to even. Fails with the
// platform's type mismatch or overflow error number, or 0 when it converts.
std::int32_t parseInt16(std::string_view text, std::int16_t& number);

}  // namespace nemro
