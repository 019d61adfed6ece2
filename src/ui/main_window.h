#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "documents/program_state.h"
#include "platform/registry.h"
#include "ui/dialogs.h"

class QAction;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;

namespace nx::ui {
class StringGrid;
enum class EditorKind;
}  // namespace nx::ui

// What the main window asks of the system; every part left empty is the real one.
struct MainWindowServices {
  std::unique_ptr<nx::ui::Dialogs> dialogs;
  nx::platform::RegistryFactory registry;
  std::function<bool()> isWow64;
  // The folder of the program file: where the file dialogs start and the help file lies.
  std::function<QString()> programFolder;
};

// The main window: menu, the grid `Tabelle1`, the CRC row and the status bar. It owns the
// program-wide state. Creating it runs the start-up registry check; when that failed, the window
// closes as soon as it is shown.
class TForm_Main_nx : public QMainWindow {
  Q_OBJECT

 public:
  explicit TForm_Main_nx(MainWindowServices services = {}, QWidget* parent = nullptr);
  ~TForm_Main_nx() override;

  nx::ProgramState& state() { return state_; }
  nx::ui::Dialogs& dialogs() { return *dialogs_; }
  // The info window that "about NX_iParameter" shows; owned by whoever created it.
  void setInfoWindow(QDialog* info) { infoWindow_ = info; }

  // Command handlers; each runs inside the error wrapper when reached from the window.
  void VorlageoeffnenClick();
  void ParametersatzoeffnenClick();
  void Parametersatzspeichern1Click();
  void beenden1Click();
  void Hilfe1Click();
  void anzeigen1Click();
  void Button_berechnenClick();
  void ComboBox_FormatClick();
  void Tabelle1Click();
  void Tabelle1KeyUp(int Key);
  // `ARow` is not used: the rules work on the grid's current row.
  void Tabelle1GetEditorType(int ACol, int ARow, nx::ui::EditorKind& AEditor);
  void Tabelle1CellValidate(int ACol, int ARow, QString& Value, bool& Valid);

  // The decimal separator of FLOAT entries: the user's locale, through QLocale's default so that
  // tests can set it.
  static std::string decimalSeparator();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormCreate();
  void FormShow();
  void createMenu();
  void createGrid();
  void createControls();
  void createStatusBar();
  // Runs a handler; an error it raises ends it and shows the default error box. False when the
  // handler ended with an error.
  bool guarded(const std::function<void()>& handler);
  bool guarded(void (TForm_Main_nx::*handler)());
  void connectGridRules();
  // Import with `option`, the grid repainted once at the end.
  void importIntoGrid(int option);

  nx::ProgramState state_;
  std::unique_ptr<nx::ui::Dialogs> dialogs_;
  nx::platform::RegistryFactory registryFactory_;
  std::function<bool()> isWow64_;
  std::function<QString()> programFolder_;
  std::unique_ptr<nx::platform::Registry> regist;
  QDialog* infoWindow_ = nullptr;
  int guardDepth_ = 0;
  std::optional<QString> pendingError_;

  nx::ui::StringGrid* Tabelle1 = nullptr;
  QLineEdit* Edit_Tooltip = nullptr;
  QLabel* Label_Comment = nullptr;
  QComboBox* ComboBox_Format = nullptr;
  QLineEdit* Edit_CRC = nullptr;
  QPushButton* Button_berechnen = nullptr;
  QLabel* StatusPanel = nullptr;
};
