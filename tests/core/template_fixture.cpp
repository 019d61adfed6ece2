#include "template_fixture.h"

#include "documents/commands.h"

namespace nx::test {

namespace {
class IgnoredMessages : public Messages {
 public:
  void plain(const std::string&) override {}
};
}  // namespace

void openTemplate(ProgramState& state, MemoryGrid& grid, const std::string& xml) {
  state.XMLDocument_Vorlage.loadFromBuffer(xml, "t.xml");
  IgnoredMessages messages;
  Import(state, grid, messages, 1);
}

}  // namespace nx::test
