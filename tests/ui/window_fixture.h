#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "gui_support.h"
#include "ui/main_window.h"
#include "ui/string_grid.h"

namespace nx::test {

// The real main window, shown offscreen, with every dialog answered from a script and a temporary
// folder as the program's folder.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    guiApp();
    ASSERT_TRUE(dir.isValid());
    window = create();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }

  MainWindowServices services(nx::platform::RegistryFactory registry = {}, bool wow64 = false) {
    MainWindowServices s;
    auto scripted = std::make_unique<ScriptedDialogs>();
    dialogs = scripted.get();
    s.dialogs = std::move(scripted);
    s.registry = registry ? std::move(registry) : [](uint32_t) {
      return std::make_unique<nx::platform::MemoryRegistry>();
    };
    s.isWow64 = [wow64] { return wow64; };
    s.programFolder = [this] { return dir.path(); };
    return s;
  }
  std::unique_ptr<TForm_Main_nx> create(nx::platform::RegistryFactory registry = {},
                                        bool wow64 = false) {
    return std::make_unique<TForm_Main_nx>(services(std::move(registry), wow64));
  }

  QString write(const QString& name, const std::string& content) {
    QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content.data(), static_cast<qint64>(content.size()));
    return path;
  }
  static QByteArray read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
  }
  void trigger(const char* action) {
    auto* a = window->findChild<QAction*>(action);
    ASSERT_NE(a, nullptr) << action;
    a->trigger();
  }
  void openTemplate(const QString& path) {
    dialogs->openAnswers.push_back(path);
    trigger("Vorlageoeffnen");
  }
  void openTemplateXml(const std::string& xml, const QString& name = "template.xml") {
    openTemplate(write(name, xml));
  }
  void generate() { QTest::mouseClick(child<QPushButton>("Button_berechnen"), Qt::LeftButton); }
  // Picks a format the way a user does, which runs the list's click handler.
  void pickFormat(const QString& format) {
    auto* combo = child<QComboBox>("ComboBox_Format");
    if (combo->currentText() != format)
      QTest::keyClick(combo, format == "HEX" ? Qt::Key_Down : Qt::Key_Up);
    ASSERT_EQ(combo->currentText(), format);
  }

  template <class W>
  W* child(const char* name) {
    W* w = window->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  ui::StringGrid* grid() { return child<ui::StringGrid>("Tabelle1"); }
  QString crcField() { return child<QLineEdit>("Edit_CRC")->text(); }
  QString tooltip() { return child<QLineEdit>("Edit_Tooltip")->text(); }
  QString status() { return child<QLabel>("StatusBarPanel")->text(); }
  QString comment() { return child<QLabel>("Label_Comment")->text(); }
  ProgramState& state() { return window->state(); }
  std::vector<QString> column(int col) {
    std::vector<QString> texts;
    for (int r = 0; r < grid()->rowCount(); ++r) texts.push_back(grid()->cell(col, r));
    return texts;
  }

  QTemporaryDir dir;
  ScriptedDialogs* dialogs = nullptr;
  std::unique_ptr<TForm_Main_nx> window;
};

}  // namespace nx::test
