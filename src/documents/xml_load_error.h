#pragma once

#include <cstdint>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace nx {

// The parser's reason for a status, in the platform's language.
const char* statusReason(pugi::xml_parse_status status);

// reason + "\nZeile: " + line + "\n" + the first 40 characters of lineText.
std::string loadErrorText(std::string_view reason, int64_t line, std::string_view lineText);

// The load error for a failed parse of `original` (the file's bytes before parsing).
std::string parseErrorText(const pugi::xml_parse_result& result, std::string_view original);

}  // namespace nx
