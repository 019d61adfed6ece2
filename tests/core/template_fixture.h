#pragma once

#include <string>
#include <vector>

#include "documents/memory_grid.h"
#include "documents/program_state.h"

namespace nx::test {

// One parameter entry of a template written for a test.
struct Entry {
  std::string name;
  std::string type;
  std::string value;  // DEFAULT
  std::string min = "";
  std::string max = "";
  std::string enable = "Yes";
  std::string caption = "";
  std::string tooltip = "";
};

// A template document with the given header values and entries.
inline std::string templateXml(const std::vector<Entry>& entries, const std::string& endian,
                               const std::string& vendor = "NORVEXA") {
  std::string xml =
      "<T><CRC><VENDOR>" + vendor + "</VENDOR><DEVICE>Dev</DEVICE><VERSION>1.0</VERSION>";
  if (!endian.empty()) xml += "<ENDIAN>" + endian + "</ENDIAN>";
  xml += "<DEFAULT>0</DEFAULT></CRC><PARAMETER>";
  for (const Entry& e : entries) {
    xml += "<" + e.name + "><CAPTION>" + (e.caption.empty() ? e.name : e.caption) +
           "</CAPTION><DEFAULT>" + e.value + "</DEFAULT><TYPE>" + e.type + "</TYPE><MIN>" + e.min +
           "</MIN><MAX>" + e.max + "</MAX><ENABLE>" + e.enable + "</ENABLE><TOOLTIP>" + e.tooltip +
           "</TOOLTIP></" + e.name + ">";
  }
  return xml + "</PARAMETER></T>";
}

// Loads a template into the state and fills the grid with its defaults, as opening it does.
void openTemplate(ProgramState& state, MemoryGrid& grid, const std::string& xml);

}  // namespace nx::test
