#include "documents/cell_rules.h"

#include <cmath>
#include <cstdio>

#include "crc/number_text.h"
#include "documents/errors.h"
#include "documents/template_reader.h"

namespace nx {

namespace {

int32_t typeOf(const ProgramState& state, int row) {
  const XmlDocument& vorlage = state.XMLDocument_Vorlage;
  return Get_Parametertype(vorlage, Get_ParaName(vorlage, row));
}

std::string_view field(const ProgramState& state, int row, std::string_view name) {
  return Read_Vorlagenparameter(state.XMLDocument_Vorlage, row - 1, name);
}

// Limits of FLOAT rows are shown as whole numbers, halves going to the even neighbour.
std::string roundedLimit(double v) {
  char text[400];
  std::snprintf(text, sizeof text, "%.0f", std::nearbyint(v));
  std::string s = text;
  return s == "-0" ? "0" : s;
}

CellVerdict reject(CellVerdict verdict, const char* title, std::string text) {
  verdict.valid = false;
  verdict.title = title;
  verdict.text = std::move(text);
  return verdict;
}

}  // namespace

EditorChoice editorFor(const ProgramState& state, int col, int row) {
  EditorChoice choice;
  if (col != 1 || row < 1) return choice;
  if (typeOf(state, row) != kTypeBool) return choice;
  if (field(state, row, "ENABLE") != "Yes") return choice;
  choice.kind = EditorKind::List;
  choice.choices = {std::string(field(state, row, "MAX")), std::string(field(state, row, "MIN"))};
  return choice;
}

CellVerdict validateCell(const ProgramState& state, int row, std::string_view value,
                         std::string_view decimalSeparator) {
  CellVerdict verdict;
  if (!state.XMLDocument_Vorlage.active() || row < 1) return verdict;
  int32_t type = typeOf(state, row);

  if (type == kTypeInteger || type == kTypeFloat) {
    verdict.shadeWhite = true;
    verdict.emptyCrc = true;
    bool isFloat = type == kTypeFloat;
    try {
      double entry, min, max;
      auto convert = [&](std::string_view text) -> std::optional<double> {
        if (isFloat) return tryStrToFloat(text, decimalSeparator);
        if (auto v = tryStrToInt(text)) return static_cast<double>(*v);
        return std::nullopt;
      };
      auto e = convert(value);
      auto lo = e ? convert(field(state, row, "MIN")) : std::nullopt;
      auto hi = lo ? convert(field(state, row, "MAX")) : std::nullopt;
      if (!e || !lo || !hi) throw ConversionError("");
      entry = *e;
      min = *lo;
      max = *hi;
      if (field(state, row, "ENABLE") != "Yes")
        return reject(verdict, "Error", "Is not allowed to change the value");
      if (entry < min || entry > max) {
        std::string range = "Value is not in valid range. Min: ";
        if (isFloat) {
          range += roundedLimit(min) + " Max: " + roundedLimit(max);
        } else {
          range += std::to_string(static_cast<int32_t>(min)) +
                   " Max: " + std::to_string(static_cast<int32_t>(max));
        }
        return reject(verdict, isFloat ? "Entry error" : "Input error", range);
      }
      return verdict;
    } catch (const Error&) {
      // A text that is no number, or a template that cannot be read, fails the same way.
      return reject(verdict, isFloat ? "Entry Error" : "Entry error", "Only integer are allowed");
    }
  }

  if (type == kTypeBool) {
    verdict.shadeWhite = true;
    if (field(state, row, "ENABLE") != "Yes")
      return reject(verdict, "Error", "Is not allowed to change the value");
  }
  return verdict;
}

bool editingAfterClick(const ProgramState& state, int row) {
  if (row < 1 || !state.XMLDocument_Vorlage.active()) return true;
  std::string_view enable = field(state, row, "ENABLE");
  // Only a BOOL row locked with exactly "No" loses its editor on a click.
  return !(enable != "Yes" && typeOf(state, row) == kTypeBool && enable == "No");
}

std::optional<bool> editingAfterKeyUp(const ProgramState& state, int col, int row) {
  if (col != 1) return false;
  if (row < 1 || !state.XMLDocument_Vorlage.active()) return std::nullopt;
  if (field(state, row, "ENABLE") == "Yes") return true;
  if (typeOf(state, row) == kTypeBool) return false;
  return std::nullopt;
}

std::string tooltipFor(const ProgramState& state, int row) {
  if (row < 1) return {};
  return std::string(field(state, row, "TOOLTIP"));
}

}  // namespace nx
