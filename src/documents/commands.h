#pragma once

#include <string>

#include "documents/program_state.h"
#include "documents/value_grid.h"

namespace nx {

// How the document checks of the two open commands end.
enum class OpenOutcome {
  Opened,
  VendorRefused,      // "This Template is not allowed!"
  NotATemplate,       // "This Template is a set of parameter!"
  WrongParameterSet,  // "Wrong parameter set"
  IsATemplate,        // "This XML file is a Template!"
};

// The plain message of a refusal; "" for Opened.
const char* refusalMessage(OpenOutcome outcome);

// Steps 3–6 of "Open XML template": closes any open template, loads `path` (XmlLoadError passes
// through), runs the vendor and template-marker tests and sets VORLAGEKNOTEN. A refused file is
// closed again.
OpenOutcome openTemplateDocument(ProgramState& state, const std::string& path);

// Steps 4–7 of "Open parameter set": loads `path` into XMLDocument_Parameter, then the vendor,
// count and template tests. A refused file stays loaded. Expects an open template.
OpenOutcome openParameterSetDocument(ProgramState& state, const std::string& path);

// Option 1 fills the grid from the template; option 2 lays the open parameter set over it;
// any other option does nothing.
void Import(ProgramState& state, ValueGrid& grid, Messages& messages, int Option);

}  // namespace nx
