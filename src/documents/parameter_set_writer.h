#pragma once

#include <cstddef>
#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "documents/atomic_file.h"
#include "documents/errors.h"
#include "documents/program_state.h"
#include "documents/value_grid.h"

namespace nx {

// A set that would not be well-formed XML: a template entry that is no element with a valid
// name (a comment or a text among the entries), or a text XML cannot hold (a control character,
// bytes that are not UTF-8). Thrown before anything is written.
class UnsavableError : public Error {
 public:
  using Error::Error;
};

// --- The writers. They build the set in memory; nothing touches the disk. -----------------------

// The skeleton: the declaration (version "1.0", encoding "UTF-8"), the comment
// " Actual XML file to set the parameters" and the empty root "IPAR_CRC". Replaces what `doc` held.
void create_xml(pugi::xml_document& doc);

// CRC/VALUE := CRC32temp as unsigned decimal, then PARAMETER with one entry per template entry,
// in template order, each holding its grid row's value. A BOOL row stores "1" for its MAX text
// and "0" for its MIN text (MAX tested first); any other text shows "Tabular value False!" and its
// entry gets no VALUE. Expects an open template and checkSavable() passed.
void save_Parameter(pugi::xml_document& doc, const ProgramState& state, const ValueGrid& grid,
                    Messages& messages);

// CRC/VERSION, DEVICE and VENDOR copied unchanged from the template's header. Nothing without an
// open template.
void save_Vendor(pugi::xml_document& doc, const ProgramState& state);

// CRC/COMMENT := the description; it follows VALUE, VERSION, DEVICE and VENDOR.
void saveComment(pugi::xml_document& doc, std::string_view description);

// The document as stored: UTF-8 without byte-order mark, indented by two blanks, LF line ends.
std::string documentText(const pugi::xml_document& doc);

// --- The save command's core. -------------------------------------------------------------------

// Throws UnsavableError naming the entry (position from 1 and name) or the text at fault, and
// the access errors of the template readers. Changes nothing.
void checkSavable(const ProgramState& state, const ValueGrid& grid, std::string_view description);

// The complete document text of the grid's current values: checkSavable, then the CRC computed
// exactly as Generate CRC computes it (kept in CRC32temp, so the stored CRC always belongs to the
// stored values), then the writers and the description. A ConversionError of the CRC ends it
// with CRC32temp unchanged. "Tabular value False!" goes to `messages` and does not end it.
std::string buildParameterSet(ProgramState& state, const ValueGrid& grid, Messages& messages,
                              std::string_view description);

// After the text is on disk as `path`: XMLDocument_Parameter_speichern holds the set saved last.
void rememberSavedSet(ProgramState& state, std::string_view text, const std::string& path);

// buildParameterSet, writeFileAtomically, rememberSavedSet. On any error nothing is written and
// an earlier file at `path` is unchanged. Expects an open template.
void saveParameterSet(ProgramState& state, const ValueGrid& grid, Messages& messages,
                      const std::string& path, std::string_view description,
                      const FaultInjector& inject = {});

// --- The rules of the save command, as the user meets them.
// ---------------------------------------

inline constexpr std::string_view kDescriptionTooShort =
    "You must enter at least more then one character for the description";
inline constexpr std::string_view kFileNameTooShort =
    "You must enter at least more then one character for the filename";
// The description dialog takes no more.
inline constexpr size_t kDescriptionMaxLength = 255;

// Characters (code points) of a UTF-8 text.
size_t characterCount(std::string_view text);

// At least 2 characters; blanks count.
bool descriptionAccepted(std::string_view description);

// The file name without its folder, less the 4 characters from its first "." on, keeps at least
// 2 characters: "ab.xml" passes, "a.xml" and "a" do not.
bool fileNameAccepted(std::string_view path);

// The path with the file name's extension (from its last "." on) replaced by ".xml" unless it is
// exactly ".xml"; a name without one gets ".xml". "Set.XML" becomes "Set.xml"; folders are never
// touched.
std::string withXmlExtension(std::string_view path);

// The file name of `path` without its folder.
std::string_view fileNameOf(std::string_view path);

// "Template: " + template file name + "  /  Parameter set: " + set file name, both without folder.
std::string statusText(std::string_view templatePath, std::string_view setPath);

}  // namespace nx
