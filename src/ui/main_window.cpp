#include "ui/main_window.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QSaveFile>
#include <QShowEvent>
#include <QStatusBar>
#include <cerrno>
#include <optional>
#include <system_error>
#include <utility>

#include "crc/encoding.h"
#include "documents/cell_rules.h"
#include "documents/commands.h"
#include "documents/errors.h"
#include "documents/parameter_set.h"
#include "documents/parameter_set_writer.h"
#include "documents/template_reader.h"
#include "platform/help_viewer.h"
#include "platform/system_info.h"
#include "ui/dialogs.h"
#include "ui/string_grid.h"

using nx::ui::StringGrid;

namespace {

constexpr uint32_t kRegistryAccess = 0x20119;  // KEY_READ | KEY_WOW64_64KEY
constexpr const char* kExplorerAdvanced =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
constexpr int kClientWidth = 489;
constexpr int kClientHeight = 395;
constexpr int kStatusBarHeight = 19;

QString fromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor colourOf(nx::Shade shade) {
  switch (shade) {
    case nx::Shade::Silver:
      return QColor(192, 192, 192);
    case nx::Shade::White:
      return QColor(255, 255, 255);
    case nx::Shade::Red:
      return QColor(255, 0, 0);
    case nx::Shade::Window:
      break;
  }
  return QPalette().color(QPalette::Base);
}

// The core's view of `Tabelle1`.
class Tabelle1Values : public nx::ValueGrid {
 public:
  explicit Tabelle1Values(StringGrid& grid) : grid_(grid) {}
  int rowCount() const override { return grid_.rowCount(); }
  void setRowCount(int rows) override { grid_.setRowCount(rows); }
  std::string cell(int col, int row) const override { return grid_.cell(col, row).toStdString(); }
  void setCell(int col, int row, std::string_view text) override {
    grid_.setCell(col, row, fromView(text));
  }
  void setShade(int col, int row, nx::Shade shade) override {
    grid_.setShade(col, row, colourOf(shade));
  }

 private:
  StringGrid& grid_;
};

class PlainMessages : public nx::Messages {
 public:
  explicit PlainMessages(nx::ui::Dialogs& dialogs) : dialogs_(dialogs) {}
  void plain(const std::string& text) override { dialogs_.plain(QString::fromStdString(text)); }

 private:
  nx::ui::Dialogs& dialogs_;
};

// The file is either the complete `content` or, after any failure, exactly what it was before;
// a failed save leaves no temporary file behind.
void writeAtomically(const QString& path, const std::string& content) {
  QSaveFile file(path);
  const auto size = static_cast<qint64>(content.size());
  QString reason;
  if (file.open(QIODevice::WriteOnly) && file.write(content.data(), size) == size) {
    // The explicit flush matters: when the system cuts a write short (a full disk, a file-size
    // limit), commit() alone would put the truncated file in place.
    // Such a cut-short write leaves Qt without a reason of its own; the system's is in errno.
    errno = 0;
    if (file.flush()) {
      if (file.commit()) return;
    } else if (const int error = errno; error != 0) {
      reason = QString::fromStdString(std::generic_category().message(error));
    }
  }
  if (reason.isEmpty()) reason = file.errorString();
  file.cancelWriting();
  throw nx::FileError("The file \"" + QDir::toNativeSeparators(path).toStdString() +
                      "\" could not be saved: " + reason.toStdString());
}

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->move(left, top);
  label->resize(label->sizeHint().width(), 13);
  return label;
}

}  // namespace

TForm_Main_nx::TForm_Main_nx(MainWindowServices services, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(std::move(services.dialogs)),
      registryFactory_(std::move(services.registry)),
      isWow64_(std::move(services.isWow64)),
      programFolder_(std::move(services.programFolder)) {
  if (!dialogs_) dialogs_ = std::make_unique<nx::ui::QtDialogs>(this);
  if (!registryFactory_) registryFactory_ = nx::platform::createRegistry;
  if (!isWow64_) isWow64_ = nx::platform::IsWow64;
  if (!programFolder_) programFolder_ = &QCoreApplication::applicationDirPath;

  setObjectName("Form_Main_nx");
  setWindowTitle("NX_iParameter");
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  // Tahoma where it exists; otherwise a face of about its width, so the captions fit their
  // fixed-size controls.
  QFont font;
  font.setFamilies({"Tahoma", "Liberation Sans", "Arial", "DejaVu Sans Condensed"});
  font.setPointSize(8);
  setFont(font);

  auto* client = new QWidget(this);
  client->setObjectName("Client");
  client->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
  setCentralWidget(client);

  createMenu();
  createGrid();
  createControls();
  createStatusBar();
  setTabOrder(Tabelle1, Edit_CRC);
  setTabOrder(Edit_CRC, ComboBox_Format);

  setFixedSize(kClientWidth, menuBar()->sizeHint().height() + kClientHeight);
  move(0, 0);

  FormCreate();
}

TForm_Main_nx::~TForm_Main_nx() = default;

void TForm_Main_nx::createMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("MainMenu1");
  auto add = [this](QMenu* menu, const char* text, const char* name,
                    void (TForm_Main_nx::*handler)()) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [this, handler] { guarded(handler); });
  };
  QMenu* file = bar->addMenu("File");
  file->setObjectName("Datei1");
  add(file, "Open XML template", "Vorlageoeffnen", &TForm_Main_nx::VorlageoeffnenClick);
  add(file, "Open parameter set", "Parametersatzoeffnen",
      &TForm_Main_nx::ParametersatzoeffnenClick);
  add(file, "Save parameter set", "Parametersatzspeichern1",
      &TForm_Main_nx::Parametersatzspeichern1Click);
  add(file, "End", "beenden1", &TForm_Main_nx::beenden1Click);
  QMenu* info = bar->addMenu("Info");
  info->setObjectName("Info1");
  add(info, "Help", "Hilfe1", &TForm_Main_nx::Hilfe1Click);
  add(info, "about NX_iParameter", "anzeigen1", &TForm_Main_nx::anzeigen1Click);
}

void TForm_Main_nx::createGrid() {
  Tabelle1 = new StringGrid(2, centralWidget());
  Tabelle1->setObjectName("Tabelle1");
  Tabelle1->setGeometry(0, 0, 489, 249);
  Tabelle1->setCell(0, 0, "Feature");
  Tabelle1->setCell(1, 0, "Value");
  Tabelle1->setColumnWidth(0, 367);
  Tabelle1->setColumnWidth(1, 100);
  Tabelle1->horizontalHeader()->setFixedHeight(22);
  Tabelle1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Tabelle1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QPalette palette = Tabelle1->palette();
  palette.setColor(QPalette::Base, QColor(160, 160, 164));
  Tabelle1->setPalette(palette);
  connectGridRules();
}

void TForm_Main_nx::connectGridRules() {
  Tabelle1->onClick = [this] { guarded(&TForm_Main_nx::Tabelle1Click); };
  Tabelle1->onKeyUp = [this](int key) { guarded([this, key] { Tabelle1KeyUp(key); }); };
  Tabelle1->onGetEditorType = [this](int col, int row, nx::ui::EditorKind& kind) {
    guarded([&] { Tabelle1GetEditorType(col, row, kind); });
  };
  Tabelle1->onCellValidate = [this](int col, int row, QString& value, bool& valid) {
    QString failure;
    const bool checked = guarded([&] {
      try {
        Tabelle1CellValidate(col, row, value, valid);
      } catch (const std::exception& e) {
        failure = QString::fromStdString(nx::withFullStop(e.what()));
        throw;
      }
    });
    // A value the rules could not check never reaches the cell; the balloon repeats why.
    if (!checked) {
      Tabelle1->setInvalidEntryTitle("Error");
      Tabelle1->setInvalidEntryText(failure);
      valid = false;
    }
  };
}

void TForm_Main_nx::createControls() {
  QWidget* client = centralWidget();
  addLabel(client, "Label1", "Tool information:", 2, 256);

  Edit_Tooltip = new QLineEdit("-", client);
  Edit_Tooltip->setObjectName("Edit_Tooltip");
  Edit_Tooltip->setGeometry(0, 270, 486, 21);
  Edit_Tooltip->setReadOnly(true);
  Edit_Tooltip->setFocusPolicy(Qt::ClickFocus);

  addLabel(client, "Label3", "Parameter set description", 3, 302);
  Label_Comment = addLabel(client, "Label_Comment", "-", 2, 318);
  Label_Comment->setFixedWidth(kClientWidth - 4);

  ComboBox_Format = new QComboBox(client);
  ComboBox_Format->setObjectName("ComboBox_Format");
  ComboBox_Format->addItems({"DEC", "HEX"});
  ComboBox_Format->setCurrentIndex(0);
  ComboBox_Format->setGeometry(220, 348, 49, 21);
  connect(ComboBox_Format, &QComboBox::activated, this,
          [this] { guarded(&TForm_Main_nx::ComboBox_FormatClick); });

  Edit_CRC = new QLineEdit(client);
  Edit_CRC->setObjectName("Edit_CRC");
  Edit_CRC->setGeometry(275, 348, 121, 21);
  Edit_CRC->setReadOnly(true);
  QLabel* crcLabel = addLabel(client, "Edit_CRCLabel", "F_iPar_CRC", 275, 348 - 13 - 3);
  QFont bold = crcLabel->font();
  bold.setBold(true);
  crcLabel->setFont(bold);
  crcLabel->resize(crcLabel->sizeHint().width(), 13);
  crcLabel->setBuddy(Edit_CRC);

  Button_berechnen = new QPushButton("Generate CRC", client);
  Button_berechnen->setObjectName("Button_berechnen");
  Button_berechnen->setGeometry(402, 345, 76, 25);
  Button_berechnen->setFocusPolicy(Qt::ClickFocus);
  connect(Button_berechnen, &QPushButton::clicked, this,
          [this] { guarded(&TForm_Main_nx::Button_berechnenClick); });
}

void TForm_Main_nx::createStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("StatusBar");
  bar->setSizeGripEnabled(false);
  bar->setFixedHeight(kStatusBarHeight);
  StatusPanel = new QLabel("Open XML template!");
  StatusPanel->setObjectName("StatusBarPanel");
  bar->addWidget(StatusPanel, 1);
}

bool TForm_Main_nx::guarded(void (TForm_Main_nx::*handler)()) {
  return guarded([this, handler] { (this->*handler)(); });
}

bool TForm_Main_nx::guarded(const std::function<void()>& handler) {
  // Handlers nest (a move of the grid inside a click, a button clicked by the format list); the
  // user action as a whole shows one box, with the error that arose first.
  const bool outermost = guardDepth_ == 0;
  bool completed = false;
  ++guardDepth_;
  try {
    handler();
    completed = true;
  } catch (const std::exception& e) {
    if (!pendingError_) pendingError_ = QString::fromStdString(nx::withFullStop(e.what()));
  }
  --guardDepth_;
  if (outermost && pendingError_) {
    const QString text = *std::exchange(pendingError_, std::nullopt);
    dialogs_->defaultError(text);
  }
  return completed;
}

void TForm_Main_nx::FormCreate() {
  // A 32-bit process on 64-bit Windows 7 would read the redirected view: skip the check there.
  if (isWow64_()) return;
  try {
    regist = registryFactory_(kRegistryAccess);
    regist->openKey(kExplorerAdvanced, true);
    // The values are read only to prove the registry answers; none of them is acted on.
    regist->readString("DisplayName");
    regist->readString("DisplayVersion");
    if (regist->valueExists("EnableBalloonTips")) regist->readInteger("EnableBalloonTips");
    state_.RegFehler = false;
  } catch (const std::exception&) {
    dialogs_->error("Windowsregistry acces Error");
    state_.RegFehler = true;
  }
}

void TForm_Main_nx::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TForm_Main_nx::FormShow() {
  // Closing from inside the show event would leave the platform window half shown; the close
  // runs as the first thing the event loop does instead.
  if (state_.RegFehler) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TForm_Main_nx::VorlageoeffnenClick() {
  Edit_CRC->clear();
  const QString path =
      dialogs_->getOpenFileName(QString(), programFolder_(), "iParameter-Template (.xml) (*.xml)");
  if (path.isEmpty()) return;

  nx::OpenOutcome outcome = nx::openTemplateDocument(state_, path.toStdString());
  if (outcome != nx::OpenOutcome::Opened) {
    dialogs_->plain(nx::refusalMessage(outcome));
    return;
  }
  Label_Comment->setText("-");
  importIntoGrid(1);
  state_.XMLDocument_Parameter.close();
  StatusPanel->setText(QString::fromStdString(nx::statusText(
      state_.XMLDocument_Vorlage.fileName(), state_.XMLDocument_Parameter.fileName())));
  const nx::XmlDocument& vorlage = state_.XMLDocument_Vorlage;
  setWindowTitle("NX_iParameter  <" + fromView(nx::Read_Vorlagen_CRC(vorlage, "DEVICE")) + "> " +
                 "Release " + fromView(nx::Read_Vorlagen_CRC(vorlage, "VERSION")));
  Tabelle1->setRow(1);
  Tabelle1->setCol(1);
}

void TForm_Main_nx::importIntoGrid(int option) {
  StringGrid::BulkUpdate bulk(*Tabelle1);
  Tabelle1Values grid(*Tabelle1);
  PlainMessages messages(*dialogs_);
  nx::Import(state_, grid, messages, option);
}

void TForm_Main_nx::ParametersatzoeffnenClick() {
  Edit_CRC->clear();
  if (!state_.XMLDocument_Vorlage.active()) {
    dialogs_->information("At first open the template!");
    return;
  }
  const QString path =
      dialogs_->getOpenFileName(QString(), programFolder_(), "iParameter-Parameter (.xml) (*.xml)");
  if (path.isEmpty()) return;

  nx::OpenOutcome outcome = nx::openParameterSetDocument(state_, path.toStdString());
  if (outcome != nx::OpenOutcome::Opened) {
    dialogs_->plain(nx::refusalMessage(outcome));
    return;
  }
  importIntoGrid(2);
  StatusPanel->setText(QString::fromStdString(nx::statusText(
      state_.XMLDocument_Vorlage.fileName(), state_.XMLDocument_Parameter.fileName())));
  Label_Comment->setText(fromView(nx::Read_Comment(state_)));
  Tabelle1->setRow(1);
  Tabelle1->setCol(1);
}

void TForm_Main_nx::Parametersatzspeichern1Click() {
  Edit_CRC->clear();
  const QString folder = programFolder_();
  if (!state_.XMLDocument_Vorlage.active()) {
    dialogs_->information("At first open the template!");
    return;
  }
  const std::optional<QString> description =
      dialogs_->inputText("Parameter set description", "Please enter a description", QString(),
                          static_cast<int>(nx::kDescriptionMaxLength));
  if (!description) return;
  const std::string descriptionText = description->toStdString();
  if (!nx::descriptionAccepted(descriptionText)) {
    dialogs_->plain(fromView(nx::kDescriptionTooShort));
    return;
  }
  const QString chosen = dialogs_->getSaveFileName(folder, "iParameter (.xml) (*.xml)", "xml");
  if (chosen.isEmpty()) return;
  if (!nx::fileNameAccepted(chosen.toStdString())) {
    dialogs_->plain(fromView(nx::kFileNameTooShort));
    return;
  }
  const std::string target = nx::withXmlExtension(chosen.toStdString());

  // Built whole before the disk is touched: a value that cannot be encoded writes nothing.
  Tabelle1Values grid(*Tabelle1);
  PlainMessages messages(*dialogs_);
  const std::string document = nx::buildParameterSet(state_, grid, messages, descriptionText);
  writeAtomically(QString::fromStdString(target), document);
  nx::rememberSavedSet(state_, document, target);

  StatusPanel->setText(
      QString::fromStdString(nx::statusText(state_.XMLDocument_Vorlage.fileName(), target)));
  Label_Comment->setText(*description);
}

void TForm_Main_nx::beenden1Click() { close(); }

void TForm_Main_nx::Hilfe1Click() {
  const QString path = programFolder_() + "/help/NX_iParameter.chm";
  if (!QFileInfo::exists(path)) {
    dialogs_->information("No Help available");
    return;
  }
  nx::platform::displayHelpTopic(path.toStdString());
}

void TForm_Main_nx::anzeigen1Click() {
  if (infoWindow_) dialogs_->execDialog(*infoWindow_);
}

void TForm_Main_nx::Button_berechnenClick() {
  if (!state_.XMLDocument_Vorlage.active()) {
    dialogs_->information("Please first open the template!");
    return;
  }
  Tabelle1Values grid(*Tabelle1);
  const uint32_t crc = nx::generateCrc(state_, grid);
  Edit_CRC->setText(
      QString::fromStdString(nx::crcText(crc, ComboBox_Format->currentText() == "HEX")));
}

void TForm_Main_nx::ComboBox_FormatClick() {
  if (!Edit_CRC->text().isEmpty()) Button_berechnen->click();
}

std::string TForm_Main_nx::decimalSeparator() { return QLocale().decimalPoint().toStdString(); }

void TForm_Main_nx::Tabelle1Click() {
  // Column 0 never keeps the current cell; moving off it runs this rule once more, nested.
  Tabelle1->setCol(1);
  const int y_wert = Tabelle1->row();
  if (y_wert < 1) return;
  Edit_Tooltip->setText(QString::fromStdString(nx::tooltipFor(state_, y_wert)));
  if (Tabelle1->col() == 1) Tabelle1->setEditing(nx::editingAfterClick(state_, y_wert));
  Tabelle1->setShade(1, y_wert, colourOf(nx::Shade::White));
}

void TForm_Main_nx::Tabelle1KeyUp(int Key) {
  constexpr int kTab = 9;
  if (Key == kTab && Tabelle1->row() + 1 < Tabelle1->rowCount()) {
    Tabelle1->setCol(1);
    Tabelle1->setRow(Tabelle1->row() + 1);
  }
  const int x_wert = Tabelle1->col();
  const int y_wert = Tabelle1->row();
  if (y_wert < 1) return;
  Edit_Tooltip->setText(QString::fromStdString(nx::tooltipFor(state_, y_wert)));
  if (std::optional<bool> on = nx::editingAfterKeyUp(state_, x_wert, y_wert))
    Tabelle1->setEditing(*on);
  const nx::XmlDocument& vorlage = state_.XMLDocument_Vorlage;
  if (nx::Get_Parametertype(vorlage, nx::Get_ParaName(vorlage, y_wert)) == nx::kTypeBool)
    Tabelle1->setShade(1, y_wert, colourOf(nx::Shade::White));
}

void TForm_Main_nx::Tabelle1GetEditorType(int ACol, int, nx::ui::EditorKind& AEditor) {
  nx::EditorChoice choice = nx::editorFor(state_, ACol, Tabelle1->row());
  if (choice.kind != nx::EditorKind::List) return;
  AEditor = nx::ui::EditorKind::DropDownList;
  Tabelle1->clearChoices();
  for (const std::string& text : choice.choices)
    Tabelle1->appendChoice(QString::fromStdString(text));
}

void TForm_Main_nx::Tabelle1CellValidate(int, int, QString& Value, bool& Valid) {
  const int r = Tabelle1->row();
  const nx::CellVerdict verdict =
      nx::validateCell(state_, r, Value.toStdString(), decimalSeparator());
  if (verdict.shadeWhite) Tabelle1->setShade(1, r, colourOf(nx::Shade::White));
  if (verdict.emptyCrc) Edit_CRC->clear();
  if (verdict.valid) return;
  Tabelle1->setInvalidEntryTitle(QString::fromStdString(verdict.title));
  Tabelle1->setInvalidEntryText(QString::fromStdString(verdict.text));
  Valid = false;
}
