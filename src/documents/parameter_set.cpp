#include "documents/parameter_set.h"

#include <string>

namespace nx {

std::string_view Read_Eigeneparameter(const ProgramState& state, int32_t Parameter,
                                      std::string_view Wert) {
  const XmlDocument& set = state.XMLDocument_Parameter;
  if (!set.active()) return {};
  return set.root().child("PARAMETER").childTextAt(Parameter, Wert);
}

std::string_view Read_Comment(const ProgramState& state) {
  const XmlDocument& set = state.XMLDocument_Parameter;
  if (!set.active()) return {};
  return set.root().child("CRC").child("COMMENT").text();
}

int32_t Parameterindex(const ProgramState& state, int32_t Index, Messages& messages) {
  std::string_view sName =
      state.XMLDocument_Parameter.root().child("PARAMETER").childAt(Index).name();
  // The last template entry of that name wins.
  int64_t iIndex = state.XMLDocument_Vorlage.root().child("PARAMETER").lastChildNamed(sName);
  if (iIndex == -1) messages.plain("The Parameters " + std::string(sName) + " does not match");
  return static_cast<int32_t>(iIndex + 1);
}

}  // namespace nx
