#include "documents/template_reader.h"

namespace nx {

namespace {

XmlNode entries(const XmlDocument& vorlage) { return vorlage.root().child("PARAMETER"); }

}  // namespace

bool vendorMatches(std::string_view vendor) {
  if (vendor.size() != PROGRAMMTYP.size()) return false;
  for (size_t i = 0; i < vendor.size(); ++i) {
    char c = vendor[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != PROGRAMMTYP[i]) return false;
  }
  return true;
}

std::string_view Read_Vorlagenparameter(const XmlDocument& vorlage, int32_t Parameter,
                                        std::string_view Wert) {
  if (!vorlage.active()) return {};
  return entries(vorlage).childTextAt(Parameter, Wert);
}

std::string_view Read_Vorlagen_CRC(const XmlDocument& vorlage, std::string_view Parameter) {
  if (!vorlage.active()) return {};
  return vorlage.root().child("CRC").child(Parameter).text();
}

std::string_view Get_ParaName(const XmlDocument& vorlage, int32_t Index) {
  if (!vorlage.active()) return {};
  return entries(vorlage).childNameAt(static_cast<int64_t>(Index) - 1);
}

std::string_view Get_Datatype(const XmlDocument& vorlage, std::string_view Parameter) {
  if (!vorlage.active()) return {};
  return entries(vorlage).childTextByName(Parameter, "TYPE");
}

int32_t Get_Parametertype(const XmlDocument& vorlage, std::string_view Parameter) {
  if (!vorlage.active()) return kTypeNone;
  std::string_view type = Get_Datatype(vorlage, Parameter);
  for (std::string_view t : {"BYTE", "UBYTE", "INT", "UINT", "LONG", "ULONG", "DOUBLE", "UDOUBLE"})
    if (type == t) return kTypeInteger;
  if (type == "FLOAT") return kTypeFloat;
  if (type == "STRING") return kTypeString;
  if (type == "BOOL") return kTypeBool;
  return kTypeNone;
}

bool Get_Endian(const XmlDocument& vorlage) {
  if (!vorlage.active()) return false;
  return Read_Vorlagen_CRC(vorlage, "ENDIAN") == "BigEndian";
}

std::string_view Get_DatatypeOf(const XmlDocument& vorlage, int32_t Index) {
  if (!vorlage.active()) return {};
  return entries(vorlage).sameNamedChildTextAt(static_cast<int64_t>(Index) - 1, "TYPE");
}

int32_t Vorlagenindex(const XmlDocument& vorlage, int32_t Index) {
  return static_cast<int32_t>(entries(vorlage).lastSameNamedAt(static_cast<int64_t>(Index) - 1) +
                              1);
}

int32_t entryCount(const XmlDocument& doc) {
  if (!doc.active()) return 0;
  return static_cast<int32_t>(doc.root().child("PARAMETER").childCount());
}

}  // namespace nx
