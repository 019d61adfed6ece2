#include "ui/string_grid.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <vector>

#include "ui/balloon.h"

namespace nx::ui {

// Data rows only: program row r is model row r - 1, and the titles live in the header.
class StringGridModel : public QAbstractTableModel {
 public:
  StringGridModel(int columns, QObject* parent)
      : QAbstractTableModel(parent), columns_(columns), titles_(columns) {}

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : rows_;
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : columns_;
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    const Cell& c = at(index.column(), index.row());
    if (role == Qt::DisplayRole || role == Qt::EditRole) return c.text;
    if (role == Qt::BackgroundRole && c.shade.isValid()) return c.shade;
    return {};
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columns_)
      return titles_[static_cast<size_t>(section)];
    return QAbstractTableModel::headerData(section, orientation, role);
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
  }

  void resize(int rows) {
    if (rows == rows_) return;
    if (rows > rows_) {
      beginInsertRows({}, rows_, rows - 1);
      cells_.resize(static_cast<size_t>(rows) * static_cast<size_t>(columns_));
      rows_ = rows;
      endInsertRows();
    } else {
      beginRemoveRows({}, rows, rows_ - 1);
      cells_.resize(static_cast<size_t>(rows) * static_cast<size_t>(columns_));
      cells_.shrink_to_fit();
      rows_ = rows;
      endRemoveRows();
    }
  }

  const QString& title(int col) const { return titles_[static_cast<size_t>(col)]; }
  void setTitle(int col, const QString& text) {
    titles_[static_cast<size_t>(col)] = text;
    emit headerDataChanged(Qt::Horizontal, col, col);
  }
  const QString& text(int col, int row) const { return at(col, row).text; }
  void setText(int col, int row, const QString& text) {
    at(col, row).text = text;
    changed(col, row);
  }
  QColor shade(int col, int row) const { return at(col, row).shade; }
  void setShade(int col, int row, const QColor& colour) {
    at(col, row).shade = colour;
    changed(col, row);
  }

  void beginBulk() { ++bulk_; }
  void endBulk() {
    if (--bulk_ == 0 && rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
  }

 private:
  struct Cell {
    QString text;
    QColor shade;
  };

  Cell& at(int col, int row) {
    return cells_[static_cast<size_t>(row) * static_cast<size_t>(columns_) +
                  static_cast<size_t>(col)];
  }
  const Cell& at(int col, int row) const {
    return cells_[static_cast<size_t>(row) * static_cast<size_t>(columns_) +
                  static_cast<size_t>(col)];
  }
  void changed(int col, int row) {
    if (bulk_ == 0) {
      QModelIndex i = index(row, col);
      emit dataChanged(i, i);
    }
  }

  int columns_;
  int rows_ = 0;
  std::vector<QString> titles_;
  std::vector<Cell> cells_;
  int bulk_ = 0;
};

// Opens the editor kind the grid's hook asks for and hands every finished edit to the grid.
class GridDelegate : public QStyledItemDelegate {
 public:
  explicit GridDelegate(StringGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex& index) const override {
    StringGrid* grid = grid_;
    QWidget* editor = nullptr;
    if (grid->editorKindFor(index) == EditorKind::DropDownList) {
      auto* box = new QComboBox(parent);
      box->setObjectName("DropDownEditor");
      box->setEditable(false);
      box->addItems(grid->choices());
      auto* self = const_cast<GridDelegate*>(this);
      // Picking a choice ends the edit at once, as a list editor should.
      connect(box, &QComboBox::activated, grid, [self, box, grid] {
        grid->hideBalloon();
        emit self->commitData(box);
        emit self->closeEditor(box, QAbstractItemDelegate::NoHint);
      });
      editor = box;
    } else {
      auto* line = new QLineEdit(parent);
      line->setObjectName("PlainEditor");
      line->setFrame(false);
      connect(line, &QLineEdit::textEdited, grid, [grid] { grid->hideBalloon(); });
      editor = line;
    }
    grid->editor_ = editor;
    return editor;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* box = qobject_cast<QComboBox*>(editor))
      box->setCurrentIndex(box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    else if (auto* line = qobject_cast<QLineEdit*>(editor))
      line->setText(text);
  }

  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
      // Nothing picked: a text the list does not offer never reaches the cell.
      if (box->currentIndex() < 0) return;
      grid_->commitEdit(index, box->currentText());
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
      grid_->commitEdit(index, line->text());
    }
  }

  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                            const QModelIndex&) const override {
    editor->setGeometry(option.rect);
  }

 private:
  StringGrid* grid_;
};

StringGrid::StringGrid(int columns, QWidget* parent) : QTableView(parent) {
  model_ = new StringGridModel(columns, this);
  setModel(model_);
  setItemDelegate(new GridDelegate(this));

  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setDefaultSectionSize(18);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->setStyleSheet(
      "QHeaderView::section { font-weight: bold; padding-left: 3px; border: none;"
      " border-right: 1px solid gray; border-bottom: 1px solid gray;"
      " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 white, stop:1 silver); }");
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setTabKeyNavigation(false);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  // No delayed edit on a click into the current cell: it would swallow the key pressed within
  // the double-click time and open an editor on its own later.
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);

  setRowCount(2);
  QScopedValueRollback<bool> quiet(silent_, true);
  selectionModel()->setCurrentIndex(model_->index(0, 0), QItemSelectionModel::ClearAndSelect);
}

StringGrid::~StringGrid() = default;

int StringGrid::rowCount() const { return model_->rowCount() + 1; }
int StringGrid::columnCount() const { return model_->columnCount(); }

void StringGrid::setRowCount(int rows) {
  // Qt moves the current cell off removed rows; that clamp is no move of the program's.
  QScopedValueRollback<bool> quiet(silent_, true);
  model_->resize(std::max(rows, 1) - 1);
}

QString StringGrid::cell(int col, int row) const {
  if (col < 0 || col >= columnCount() || row < 0 || row >= rowCount()) return {};
  return row == 0 ? model_->title(col) : model_->text(col, row - 1);
}

void StringGrid::setCell(int col, int row, const QString& text) {
  if (col < 0 || col >= columnCount() || row < 0 || row >= rowCount()) return;
  if (row == 0)
    model_->setTitle(col, text);
  else
    model_->setText(col, row - 1, text);
}

QColor StringGrid::shade(int col, int row) const {
  if (col < 0 || col >= columnCount() || row < 1 || row >= rowCount()) return {};
  return model_->shade(col, row - 1);
}

void StringGrid::setShade(int col, int row, const QColor& colour) {
  if (col < 0 || col >= columnCount() || row < 1 || row >= rowCount()) return;
  model_->setShade(col, row - 1, colour);
}

int StringGrid::col() const {
  QModelIndex current = currentIndex();
  return current.isValid() ? current.column() : 0;
}

int StringGrid::row() const {
  QModelIndex current = currentIndex();
  return current.isValid() ? current.row() + 1 : 0;
}

void StringGrid::setCol(int col) {
  if (col < 0 || col >= columnCount() || row() < 1) return;
  moveTo(col, row());
}

void StringGrid::setRow(int row) {
  if (row < 1 || row >= rowCount()) return;
  moveTo(col(), row);
}

void StringGrid::moveTo(int col, int row) {
  QModelIndex target = model_->index(row - 1, col);
  if (target == currentIndex()) return;
  selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
}

QWidget* StringGrid::editor() const {
  return state() == QAbstractItemView::EditingState ? editor_.data() : nullptr;
}

StringGrid::BulkUpdate::BulkUpdate(StringGrid& grid) : grid_(grid) { grid_.model_->beginBulk(); }
StringGrid::BulkUpdate::~BulkUpdate() { grid_.model_->endBulk(); }

EditorKind StringGrid::editorKindFor(const QModelIndex& index) {
  EditorKind kind = EditorKind::Plain;
  if (onGetEditorType) onGetEditorType(index.column(), index.row() + 1, kind);
  return kind;
}

bool StringGrid::commitEdit(const QModelIndex& index, const QString& value) {
  if (value == model_->text(index.column(), index.row())) return true;
  QString text = value;
  bool valid = true;
  if (onCellValidate) onCellValidate(index.column(), index.row() + 1, text, valid);
  if (valid) {
    model_->setText(index.column(), index.row(), text);
    return true;
  }
  // The model never took the new text, so the old one is still there to be shown again.
  rejected_ = QPersistentModelIndex(index);
  ++rejections_;
  return false;
}

void StringGrid::reopenRejected() {
  const QModelIndex cell = rejected_;
  rejected_ = QPersistentModelIndex();
  if (!cell.isValid()) return;
  if (currentIndex() != cell) {
    // The user never left the cell, so going back to it is no move.
    QScopedValueRollback<bool> quiet(silent_, true);
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
  }
  QTableView::edit(cell, QAbstractItemView::AllEditTriggers, nullptr);
  if (!balloon_) balloon_ = new Balloon(window());
  QWidget* area = balloon_->parentWidget();
  QRect rect = visualRect(cell);
  rect.moveTopLeft(viewport()->mapTo(area, rect.topLeft()));
  balloon_->showBeside(rect, invalidTitle_, invalidText_);
}

void StringGrid::hideBalloon() {
  if (balloon_) balloon_->hide();
}

void StringGrid::raiseClick() {
  ++clicks_;
  if (onClick) onClick();
}

void StringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  const int rejectionsBefore = rejections_;
  ++moveDepth_;
  QTableView::currentChanged(current, previous);
  --moveDepth_;
  if (rejections_ != rejectionsBefore && rejected_.isValid()) {
    // The value of the cell being left was rejected: the user stays on that cell.
    reopenRejected();
    return;
  }
  if (silent_ || !current.isValid() || current == previous) return;
  hideBalloon();
  raiseClick();
}

void StringGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // Where Tab leads from an editor is up to the key-release hook, not to the editor.
  if (hint == QAbstractItemDelegate::EditNextItem ||
      hint == QAbstractItemDelegate::EditPreviousItem)
    hint = QAbstractItemDelegate::NoHint;
  QTableView::closeEditor(editor, hint);
  if (editor == editor_) editor_ = nullptr;
  if (rejected_.isValid()) {
    if (moveDepth_ == 0) reopenRejected();
  } else {
    hideBalloon();
  }
}

bool StringGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  // The in-place editor only ever opens on the current cell.
  if (!editing_ || index != currentIndex()) return false;
  return QTableView::edit(index, trigger, event);
}

void StringGrid::mousePressEvent(QMouseEvent* event) {
  // This press took the focus from an editor whose value was just rejected: the user stays.
  if (balloon_ && balloon_->isVisible()) {
    event->accept();
    return;
  }
  const int clicksBefore = clicks_;
  const QModelIndex pressed = indexAt(event->position().toPoint());
  QTableView::mousePressEvent(event);
  if (event->button() == Qt::LeftButton && pressed.isValid() && clicks_ == clicksBefore)
    raiseClick();
  // The click hook may have moved the current cell away from the pressed one.
  if (currentIndex().isValid() && currentIndex() != pressed)
    selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect);
}

void StringGrid::keyReleaseEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) {
    QTableView::keyReleaseEvent(event);
    return;
  }
  event->accept();
  if (onKeyUp) onKeyUp(virtualKey(event->key()));
}

bool StringGrid::focusNextPrevChild(bool next) {
  if (row() + 1 < rowCount()) return true;
  return QTableView::focusNextPrevChild(next);
}

int StringGrid::virtualKey(int qtKey) {
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return 0x30 + (qtKey - Qt::Key_0);
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 0x41 + (qtKey - Qt::Key_A);
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 0x70 + (qtKey - Qt::Key_F1);
  switch (qtKey) {
    case Qt::Key_Backspace:
      return 0x08;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 0x0D;
    case Qt::Key_Shift:
      return 0x10;
    case Qt::Key_Control:
      return 0x11;
    case Qt::Key_Alt:
      return 0x12;
    case Qt::Key_Escape:
      return 0x1B;
    case Qt::Key_Space:
      return 0x20;
    case Qt::Key_PageUp:
      return 0x21;
    case Qt::Key_PageDown:
      return 0x22;
    case Qt::Key_End:
      return 0x23;
    case Qt::Key_Home:
      return 0x24;
    case Qt::Key_Left:
      return 0x25;
    case Qt::Key_Up:
      return 0x26;
    case Qt::Key_Right:
      return 0x27;
    case Qt::Key_Down:
      return 0x28;
    case Qt::Key_Insert:
      return 0x2D;
    case Qt::Key_Delete:
      return 0x2E;
    default:
      return 0;
  }
}

}  // namespace nx::ui
