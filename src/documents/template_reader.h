#pragma once

#include <cstdint>
#include <string_view>

#include "documents/xml_document.h"

namespace nx {

// The vendor text every template and parameter set must carry.
inline constexpr std::string_view PROGRAMMTYP = "NORVEXA";

// True when `vendor`, upper-cased in the letters a to z only, equals PROGRAMMTYP.
bool vendorMatches(std::string_view vendor);

// Type codes of Get_Parametertype.
enum TypeCode : int32_t {
  kTypeNone = 0,
  kTypeInteger = 1,
  kTypeFloat = 2,
  kTypeString = 3,
  kTypeBool = 4
};

// The template readers. All read the open template afresh; with no template open (`vorlage` not
// active) they answer "", 0 or false. Texts stay valid while the template stays loaded.
// Errors of the access rules (ListIndexError, ElementAccessError) pass through.

// root / PARAMETER / entry at `Parameter` (from 0) / `Wert` — its text.
std::string_view Read_Vorlagenparameter(const XmlDocument& vorlage, int32_t Parameter,
                                        std::string_view Wert);
// root / CRC / `Parameter` — its text.
std::string_view Read_Vorlagen_CRC(const XmlDocument& vorlage, std::string_view Parameter);
// The node name of the entry at `Index` (from 1).
std::string_view Get_ParaName(const XmlDocument& vorlage, int32_t Index);
// TYPE text of the first entry named `Parameter`.
std::string_view Get_Datatype(const XmlDocument& vorlage, std::string_view Parameter);
int32_t Get_Parametertype(const XmlDocument& vorlage, std::string_view Parameter);
// Get_Datatype(Get_ParaName(Index)) in one step, for the per-row loops.
std::string_view Get_DatatypeOf(const XmlDocument& vorlage, int32_t Index);
// True exactly when CRC/ENDIAN reads "BigEndian".
bool Get_Endian(const XmlDocument& vorlage);
// The position (from 1) of the last entry that shares the name of the entry at `Index` (from 1).
// With shared names every one maps to the last, on purpose: the value encoding relies on it.
int32_t Vorlagenindex(const XmlDocument& vorlage, int32_t Index);

// The number of child nodes of the template's PARAMETER element.
int32_t entryCount(const XmlDocument& doc);

}  // namespace nx
