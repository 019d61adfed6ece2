#pragma once

#include <cstdint>
#include <vector>

#include "documents/xml_document.h"

namespace nx {

// The state the program keeps for the whole run, under the names the program uses for it.
// Owned by the main window (or by one nx-ipar command).
struct ProgramState {
  // A template is open exactly while this document is active.
  XmlDocument XMLDocument_Vorlage;
  // The parameter set opened last.
  XmlDocument XMLDocument_Parameter;
  // The parameter set saved last.
  XmlDocument XMLDocument_Parameter_speichern;
  // The CRC buffer: position 0 holds a zero byte the CRC never covers.
  std::vector<uint8_t> Buf;
  // The CRC shown last; only Generate CRC writes it.
  uint32_t CRC32temp = 0;
  // True when the start-up registry check failed.
  bool RegFehler = false;
  // Entries of the template opened last; -2 while a template is being opened.
  int32_t VORLAGEKNOTEN = 0;
  // Entries of the parameter set being opened.
  int32_t PARAMETERKNOT = 0;
};

}  // namespace nx
