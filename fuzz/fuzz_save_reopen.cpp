// Save and reopen. The input holds a template, the separator "@@VALUES@@", then texts separated by
// the byte 0x1F: first the description, then one text per row. Every text the cell rules accept
// goes into its row (an unlocked BOOL row picks one of its two choices, as its list editor
// offers no other text); the set is saved, then the template and the set are opened again. A save
// that succeeds must reopen to the same values and the same CRC; one that fails must leave no
// file behind.

#include <dirent.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "crc/encoding.h"
#include "documents/cell_rules.h"
#include "documents/commands.h"
#include "documents/errors.h"
#include "documents/memory_grid.h"
#include "documents/parameter_set.h"
#include "documents/parameter_set_writer.h"
#include "documents/program_state.h"
#include "documents/template_reader.h"
#include "fuzz_support.h"

using namespace nx;
using fuzz::require;

namespace {

constexpr std::string_view kSeparator = "@@VALUES@@";
constexpr char kTextSeparator = '\x1F';

std::vector<std::string_view> splitTexts(std::string_view s) {
  std::vector<std::string_view> texts;
  for (size_t cut; (cut = s.find(kTextSeparator)) != std::string_view::npos;
       s.remove_prefix(cut + 1))
    texts.push_back(s.substr(0, cut));
  texts.push_back(s);
  return texts;
}

// The folder the sets go to, removed at exit: memory-backed where there is one, since every save
// syncs.
class SetFolder {
 public:
  SetFolder() {
    std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    path_ = base + "/nx_fuzz_save_XXXXXX";
    if (::mkdtemp(path_.data()) == nullptr) fuzz::MemFile::die("mkdtemp failed");
  }
  ~SetFolder() {
    ::unlink((path_ + "/set.xml").c_str());
    ::rmdir(path_.c_str());
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const std::string& setFolder() {
  static const SetFolder folder;
  return folder.path();
}

std::vector<std::string> folderEntries() {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(setFolder().c_str())) {
    while (dirent* e = ::readdir(d)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(d);
  }
  return names;
}

// Puts every accepted text into its row, as editing would.
void edit(const ProgramState& state, MemoryGrid& grid, const std::vector<std::string_view>& texts) {
  for (int row = 1; row < grid.rowCount() && static_cast<size_t>(row) < texts.size(); ++row) {
    std::string_view text = texts[static_cast<size_t>(row)];
    try {
      EditorChoice editor = editorFor(state, 1, row);
      if (editor.kind == EditorKind::List) {
        grid.setCell(1, row, editor.choices[text.size() % editor.choices.size()]);
      } else if (validateCell(state, row, text, ".").valid) {
        grid.setCell(1, row, text);
      }
    } catch (const Error&) {
      // A row whose template entry cannot be read keeps its default.
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::MemFile templateFile("template");
  static fuzz::CountingMessages messages;
  static const std::string setPath = setFolder() + "/set.xml";

  std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t cut = input.find(kSeparator);
  if (cut == std::string_view::npos) return -1;
  const std::string& templatePath = templateFile.hold(input.substr(0, cut));
  std::vector<std::string_view> texts = splitTexts(input.substr(cut + kSeparator.size()));
  std::string description(texts[0]);
  if (characterCount(description) < 2 || characterCount(description) > kDescriptionMaxLength)
    description = "fuzz run";

  ProgramState state;
  MemoryGrid grid;
  try {
    if (openTemplateDocument(state, templatePath) != OpenOutcome::Opened) return 0;
    Import(state, grid, messages, 1);
  } catch (const Error&) {
    return 0;
  }
  edit(state, grid, texts);

  try {
    saveParameterSet(state, grid, messages, setPath, description);
  } catch (const Error&) {
    require(folderEntries().empty(), "a failed save left a file behind");
    return 0;
  }
  require(folderEntries() == std::vector<std::string>{"set.xml"}, "a save left a temporary file");
  uint32_t savedCrc = state.CRC32temp;

  // What reopening must show: every row its own value, except that a BOOL row holding neither
  // limit text reads back as its MIN text, and entries that share a name all land in the last
  // of their rows (the earlier ones keep their defaults).
  const XmlDocument& vorlage = state.XMLDocument_Vorlage;
  int rows = grid.rowCount();
  std::map<std::string_view, int> lastRow;
  for (int row = 1; row < rows; ++row) lastRow[Get_ParaName(vorlage, row)] = row;
  bool sharedNames = static_cast<int>(lastRow.size()) != rows - 1;

  ProgramState other;
  MemoryGrid otherGrid;
  fuzz::CountingMessages otherMessages;
  require(openTemplateDocument(other, templatePath) == OpenOutcome::Opened, "template reopens");
  Import(other, otherGrid, otherMessages, 1);
  OpenOutcome reopened = openParameterSetDocument(other, setPath);
  require(reopened == OpenOutcome::Opened, "the saved set is refused", refusalMessage(reopened));
  Import(other, otherGrid, otherMessages, 2);
  require(otherGrid.rowCount() == rows, "the reopened grid has other rows");
  require(Read_Comment(other) == description, "description differs", description);
  require(other.XMLDocument_Parameter.root().child("CRC").child("VALUE").text() ==
              std::to_string(savedCrc),
          "stored CRC differs from the CRC of the values");

  for (int row = 1; row < rows; ++row) {
    std::string_view name = Get_ParaName(vorlage, row);
    std::string want = grid.cell(1, row);
    if (lastRow[name] != row) {
      want = Read_Vorlagenparameter(vorlage, row - 1, "DEFAULT");
    } else if (Get_Parametertype(vorlage, name) == kTypeBool &&
               want != Read_Vorlagenparameter(vorlage, row - 1, "MAX")) {
      want = Read_Vorlagenparameter(vorlage, row - 1, "MIN");
    }
    std::string got = otherGrid.cell(1, row);
    require(got == want, "a value reads back changed",
            "row " + std::to_string(row) + ": saved [" + want + "] reopened [" + got + "]");
  }
  if (!sharedNames) require(generateCrc(other, otherGrid) == savedCrc, "the reopened CRC differs");
  ::unlink(setPath.c_str());
  return 0;
}
