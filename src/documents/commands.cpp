#include "documents/commands.h"

#include "documents/parameter_set.h"
#include "documents/template_reader.h"

namespace nx {

const char* refusalMessage(OpenOutcome outcome) {
  switch (outcome) {
    case OpenOutcome::Opened:
      return "";
    case OpenOutcome::VendorRefused:
      return "This Template is not allowed!";
    case OpenOutcome::NotATemplate:
      return "This Template is a set of parameter!";
    case OpenOutcome::WrongParameterSet:
      return "Wrong parameter set";
    case OpenOutcome::IsATemplate:
      return "This XML file is a Template!";
  }
  return "";
}

OpenOutcome openTemplateDocument(ProgramState& state, const std::string& path) {
  XmlDocument& vorlage = state.XMLDocument_Vorlage;
  vorlage.load(path);
  XmlNode header = vorlage.root().child("CRC");
  if (!vendorMatches(header.child("VENDOR").text())) {
    vorlage.close();
    return OpenOutcome::VendorRefused;
  }
  state.VORLAGEKNOTEN = -2;
  state.VORLAGEKNOTEN = static_cast<int32_t>(vorlage.root().child("PARAMETER").childCount());
  if (!header.child("DEFAULT").hasContent()) {
    vorlage.close();
    return OpenOutcome::NotATemplate;
  }
  return OpenOutcome::Opened;
}

OpenOutcome openParameterSetDocument(ProgramState& state, const std::string& path) {
  XmlDocument& set = state.XMLDocument_Parameter;
  set.load(path);
  XmlNode header = set.root().child("CRC");
  if (!vendorMatches(header.child("VENDOR").text())) return OpenOutcome::VendorRefused;
  state.PARAMETERKNOT = -1;
  state.PARAMETERKNOT = static_cast<int32_t>(set.root().child("PARAMETER").childCount());
  if (state.PARAMETERKNOT != state.VORLAGEKNOTEN) return OpenOutcome::WrongParameterSet;
  if (header.child("DEFAULT").hasContent()) return OpenOutcome::IsATemplate;
  return OpenOutcome::Opened;
}

namespace {

void importTemplate(ProgramState& state, ValueGrid& grid) {
  const XmlDocument& vorlage = state.XMLDocument_Vorlage;
  int32_t n = static_cast<int32_t>(vorlage.root().child("PARAMETER").childCount());
  grid.setRowCount(n + 1);
  for (int32_t r = 1; r <= n; ++r) {
    grid.setShade(0, r, Shade::Silver);
    grid.setShade(1, r, Shade::White);
    grid.setCell(0, r, Read_Vorlagenparameter(vorlage, r - 1, "CAPTION"));
    grid.setCell(1, r, Read_Vorlagenparameter(vorlage, r - 1, "DEFAULT"));
  }
}

void importParameterSet(ProgramState& state, ValueGrid& grid, Messages& messages) {
  const XmlDocument& vorlage = state.XMLDocument_Vorlage;
  XmlNode root = state.XMLDocument_Parameter.root();
  // The entries are counted at the root's second child, where the writer puts PARAMETER. The
  // open command's lookups have made sure CRC and PARAMETER exist, so a root with fewer children
  // than two counts as an empty PARAMETER.
  int32_t n = root.childCount() >= 2 ? static_cast<int32_t>(root.childAt(1).childCount()) : 0;
  for (int32_t i = 0; i <= n + 1 && i < grid.rowCount(); ++i) grid.setShade(1, i, Shade::Red);
  for (int32_t i = 1; i <= n; ++i) {
    int32_t e = Parameterindex(state, i - 1, messages);
    if (e == 0) continue;
    // The BOOL test looks at the matched row e, not at position i: sets whose entries stand in
    // another order than the template's then still read back to the right rows.
    if (Get_Parametertype(vorlage, Get_ParaName(vorlage, e)) == kTypeBool) {
      std::string_view v = Read_Eigeneparameter(state, i - 1, "VALUE");
      grid.setCell(1, e, Read_Vorlagenparameter(vorlage, e - 1, v == "1" ? "MAX" : "MIN"));
    } else {
      grid.setCell(1, e, Read_Eigeneparameter(state, i - 1, "VALUE"));
    }
    grid.setShade(1, e, Shade::Window);
  }
}

}  // namespace

void Import(ProgramState& state, ValueGrid& grid, Messages& messages, int Option) {
  if (Option == 1) importTemplate(state, grid);
  if (Option == 2) importParameterSet(state, grid, messages);
}

}  // namespace nx
