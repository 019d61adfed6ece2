#pragma once

#include <string>
#include <vector>

#include "documents/value_grid.h"

namespace nx {

// A grid held in memory, for nx-ipar and the tests. Shading is recorded so tests can read it.
class MemoryGrid : public ValueGrid {
 public:
  // Captions are not needed to compute a CRC; a command that only computes may drop them.
  explicit MemoryGrid(bool keepCaptions = true) : keepCaptions_(keepCaptions) { setRowCount(2); }

  int rowCount() const override { return static_cast<int>(values_.size()); }
  void setRowCount(int rows) override {
    values_.resize(static_cast<size_t>(rows));
    shades_.resize(static_cast<size_t>(rows) * 2, Shade::Window);
    if (keepCaptions_) captions_.resize(static_cast<size_t>(rows));
  }
  std::string cell(int col, int row) const override {
    if (row < 0 || row >= rowCount()) return {};
    if (col == 1) return values_[static_cast<size_t>(row)];
    return keepCaptions_ && col == 0 ? captions_[static_cast<size_t>(row)] : std::string();
  }
  void setCell(int col, int row, std::string_view text) override {
    if (row < 0 || row >= rowCount()) return;
    if (col == 1) values_[static_cast<size_t>(row)].assign(text);
    if (col == 0 && keepCaptions_) captions_[static_cast<size_t>(row)].assign(text);
  }
  void setShade(int col, int row, Shade shade) override {
    if (row >= 0 && row < rowCount() && (col == 0 || col == 1))
      shades_[static_cast<size_t>(row) * 2 + static_cast<size_t>(col)] = shade;
  }
  Shade shade(int col, int row) const {
    return shades_[static_cast<size_t>(row) * 2 + static_cast<size_t>(col)];
  }

 private:
  bool keepCaptions_;
  std::vector<std::string> values_;
  std::vector<std::string> captions_;
  std::vector<Shade> shades_;
};

}  // namespace nx
