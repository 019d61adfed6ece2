#pragma once

#include <string>
#include <string_view>

namespace nx {

// The cell colours the program uses (each cell's gradient end colour).
enum class Shade { Silver, White, Red, Window };

// What the core needs of the grid `Tabelle1`: the working store of the values. Row 0 holds the
// titles; data row r (from 1) belongs to the template's entry r - 1. Column 0 is the caption,
// column 1 the value text.
class ValueGrid {
 public:
  virtual ~ValueGrid() = default;
  virtual int rowCount() const = 0;
  virtual void setRowCount(int rows) = 0;
  virtual std::string cell(int col, int row) const = 0;
  virtual void setCell(int col, int row, std::string_view text) = 0;
  virtual void setShade(int col, int row, Shade shade) = 0;
};

// Messages that do not end a command ("The Parameters X does not match", "Tabular value False!"):
// the program shows them as a plain message box and goes on.
class Messages {
 public:
  virtual ~Messages() = default;
  virtual void plain(const std::string& text) = 0;
};

}  // namespace nx
