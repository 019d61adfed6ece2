#pragma once

#include <QColor>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStringList>
#include <QTableView>
#include <functional>

namespace nx::ui {

class Balloon;
class StringGridModel;

// The in-place editors the grid can open.
enum class EditorKind { Plain, DropDownList };

// A grid of texts with a fixed title row, one colour per cell and hooks for the program's editing
// rules. Rows are counted as the program sees them: row 0 holds the titles (shown as the frozen
// header), data rows start at 1. Row heights are fixed, so a grid of any size scrolls without
// per-row layout work.
class StringGrid : public QTableView {
  Q_OBJECT

 public:
  explicit StringGrid(int columns, QWidget* parent = nullptr);
  ~StringGrid() override;

  // Title row included; never below 1. Growing adds empty, unshaded rows.
  int rowCount() const;
  void setRowCount(int rows);
  int columnCount() const;

  // Row 0 addresses the titles. Out-of-range cells read "" and ignore writes.
  QString cell(int col, int row) const;
  void setCell(int col, int row, const QString& text);
  // An invalid colour paints the grid's background.
  QColor shade(int col, int row) const;
  void setShade(int col, int row, const QColor& colour);

  // The current cell. Setting it to another cell raises `onClick` before returning; setting it
  // to the cell it already is raises nothing. Out-of-range values are ignored.
  int col() const;
  int row() const;
  void setCol(int col);
  void setRow(int row);

  // When off, no in-place editor opens; an open one stays open.
  bool editing() const { return editing_; }
  void setEditing(bool on) { editing_ = on; }

  // The choices of the drop-down list editor.
  const QStringList& choices() const { return choices_; }
  void clearChoices() { choices_.clear(); }
  void appendChoice(const QString& choice) { choices_.append(choice); }

  // What the balloon says when a value is rejected; the validation hook sets them.
  void setInvalidEntryTitle(const QString& title) { invalidTitle_ = title; }
  void setInvalidEntryText(const QString& text) { invalidText_ = text; }
  QString invalidEntryTitle() const { return invalidTitle_; }
  QString invalidEntryText() const { return invalidText_; }

  // The open in-place editor, or nullptr.
  QWidget* editor() const;
  // The warning balloon; visible while a rejection is being shown.
  const Balloon* balloon() const { return balloon_; }

  // While one of these lives, cell writes repaint nothing; the whole grid repaints at its end.
  class BulkUpdate {
   public:
    explicit BulkUpdate(StringGrid& grid);
    ~BulkUpdate();
    BulkUpdate(const BulkUpdate&) = delete;
    BulkUpdate& operator=(const BulkUpdate&) = delete;

   private:
    StringGrid& grid_;
  };

  // A mouse click on a cell, and every change of the current cell.
  std::function<void()> onClick;
  // A key released while the grid itself has the focus; `key` is the Windows virtual key code
  // (9 Tab, 13 Enter, 37..40 arrows ...), 0 for keys without one. Modifiers are not passed. An
  // open editor keeps its own keys, so a Tab whose value was rejected there moves nowhere. Tab
  // keeps the focus in the grid so that its release arrives here, except on the last row, where
  // it passes the focus on to the next control.
  std::function<void(int key)> onKeyUp;
  // Asked before an editor opens on (col, row); `kind` arrives as Plain.
  std::function<void(int col, int row, EditorKind& kind)> onGetEditorType;
  // Asked when an edit ends with a changed text; `valid` arrives true. On false the cell keeps
  // its old text, the editor opens again and the balloon shows the invalid-entry title and text.
  std::function<void(int col, int row, QString& value, bool& valid)> onCellValidate;

  // Windows virtual key code of a Qt key; 0 when there is none.
  static int virtualKey(int qtKey);

 protected:
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void keyboardSearch(const QString&) override {}

 private:
  friend class GridDelegate;
  EditorKind editorKindFor(const QModelIndex& index);
  // False when the value was rejected.
  bool commitEdit(const QModelIndex& index, const QString& value);
  void reopenRejected();
  void moveTo(int col, int row);
  void hideBalloon();
  void raiseClick();

  StringGridModel* model_;
  Balloon* balloon_ = nullptr;
  QPointer<QWidget> editor_;
  bool editing_ = true;
  QStringList choices_;
  QString invalidTitle_;
  QString invalidText_;
  QPersistentModelIndex rejected_;
  int rejections_ = 0;
  int moveDepth_ = 0;
  bool silent_ = false;
  int clicks_ = 0;
};

}  // namespace nx::ui
