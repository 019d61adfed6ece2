// Times the main window the way a user meets it: start-up until the window is shown, opening a
// 100,000-parameter template, Generate CRC over all its rows, scrolling, moving the selection,
// committing a value, saving a parameter set and opening it again, and the memory in use.
//   gui_bench [--rows N] [--grab DIR]   (--grab saves PNGs of the window for a look by eye)
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "gui_support.h"
#include "ui/startup.h"
#include "ui/string_grid.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Resident and peak resident set size in MB, from the kernel's view of this process.
std::pair<double, double> memoryMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  double rss = 0, peak = 0;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) rss = std::stod(line.substr(6)) / 1024.0;
    if (line.rfind("VmHWM:", 0) == 0) peak = std::stod(line.substr(6)) / 1024.0;
  }
  return {rss, peak};
}

// A template with `rows` entries of the common types, as a device vendor would write it.
void writeTemplate(const QString& path, int rows) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<IPAR_TEMPLATE>\n  <CRC>\n"
      "    <VENDOR>NORVEXA</VENDOR>\n    <DEVICE>Bench unit</DEVICE>\n"
      "    <VERSION>1.0</VERSION>\n    <ENDIAN>BigEndian</ENDIAN>\n    <DEFAULT>0</DEFAULT>\n"
      "  </CRC>\n  <PARAMETER>\n";
  const char* types[] = {"INT", "BOOL", "BYTE", "LONG", "UINT", "STRING"};
  for (int i = 0; i < rows; ++i) {
    const std::string type = types[i % 6];
    const std::string name = "P" + std::to_string(i);
    const std::string value = type == "BOOL"     ? "On"
                              : type == "STRING" ? "text"
                                                 : std::to_string(i % 100);
    xml += "    <" + name + ">\n      <CAPTION>Parameter " + std::to_string(i) +
           "</CAPTION>\n      <DEFAULT>" + value + "</DEFAULT>\n      <TYPE>" + type +
           "</TYPE>\n      <MIN>" + (type == "BOOL" ? "Off" : "0") + "</MIN>\n      <MAX>" +
           (type == "BOOL" ? "On" : "100") +
           "</MAX>\n      <ENABLE>Yes</ENABLE>\n      <TOOLTIP>Tooltip of parameter " +
           std::to_string(i) + "</TOOLTIP>\n    </" + name + ">\n";
  }
  xml += "  </PARAMETER>\n</IPAR_TEMPLATE>\n";
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) std::abort();
  file.write(xml.data(), static_cast<qint64>(xml.size()));
}

void grab(QWidget& window, const QString& dir, const char* name) {
  if (dir.isEmpty()) return;
  window.grab().save(QDir(dir).filePath(name));
  std::printf("  saved %s\n", qPrintable(QDir(dir).filePath(name)));
}

}  // namespace

int main(int argc, char** argv) {
  const auto processStart = Clock::now();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int rows = 100000;
  QString grabDir;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string(argv[i]) == "--rows")
      rows = std::stoi(argv[++i]);
    else if (std::string(argv[i]) == "--grab")
      grabDir = argv[++i];
  }

  QApplication app(argc, argv);
  const auto windowStart = Clock::now();
  MainWindowServices services;
  auto scripted = std::make_unique<nx::test::ScriptedDialogs>();
  nx::test::ScriptedDialogs& dialogs = *scripted;
  services.dialogs = std::move(scripted);
  nx::ui::ApplicationWindows windows = nx::ui::createApplicationWindows(std::move(services));
  TForm_Main_nx& window = *windows.mainWindow;
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  window.repaint();
  std::printf("start-up to window shown:        %8.1f ms (from process start %.1f ms)\n",
              msSince(windowStart), msSince(processStart));
  grab(window, grabDir, "startup.png");
  std::printf("memory after start-up:           %8.1f MB resident\n", memoryMb().first);

  QTemporaryDir dir;
  const QString path = dir.filePath("bench_template.xml");
  writeTemplate(path, rows);
  std::printf("template: %d parameters, %.1f MB\n", rows, QFileInfo(path).size() / 1e6);

  auto* open = window.findChild<QAction*>("Vorlageoeffnen");
  auto* button = window.findChild<QPushButton*>("Button_berechnen");
  auto* grid = window.findChild<nx::ui::StringGrid*>("Tabelle1");
  auto* crc = window.findChild<QLineEdit*>("Edit_CRC");

  for (int run = 1; run <= 3; ++run) {
    dialogs.openAnswers.push_back(path);
    auto start = Clock::now();
    open->trigger();
    const double filled = msSince(start);
    window.repaint();
    std::printf(
        "open template + fill grid, run %d: %8.1f ms (%.1f ms with the repaint), %d rows,"
        " %.1f MB resident\n",
        run, filled, msSince(start), grid->rowCount() - 1, memoryMb().first);
  }
  if (!dialogs.shown.empty()) {
    std::printf("unexpected message: %s\n", qPrintable(dialogs.shown.front().text));
    return 1;
  }
  grab(window, grabDir, "opened.png");

  for (int run = 1; run <= 3; ++run) {
    auto start = Clock::now();
    button->click();
    std::printf("Generate CRC, run %d:             %8.1f ms -> %s\n", run, msSince(start),
                qPrintable(crc->text()));
  }

  QScrollBar* bar = grid->verticalScrollBar();
  const int steps = 200;
  auto start = Clock::now();
  for (int i = 0; i < steps; ++i) {
    bar->setValue(static_cast<int>(static_cast<long long>(bar->maximum()) * i / steps));
    grid->viewport()->repaint();
  }
  std::printf("scroll + repaint, mean of %d:     %8.3f ms per step\n", steps,
              msSince(start) / steps);
  start = Clock::now();
  grid->setRow(grid->rowCount() - 1);
  grid->viewport()->repaint();
  std::printf("jump to the last row + repaint:  %8.3f ms\n", msSince(start));
  grab(window, grabDir, "scrolled.png");

  // Every move of the current cell runs the selection rule, which reads the template for its row.
  const int dataRows = grid->rowCount() - 1;
  const int moves = 2000;
  start = Clock::now();
  for (int i = 0; i < moves; ++i) grid->setRow(1 + static_cast<int>((i * 7919LL) % dataRows));
  std::printf("selection move by the program, mean of %d: %8.4f ms\n", moves,
              msSince(start) / moves);
  window.activateWindow();
  grid->setFocus();
  const int from = dataRows / 2;
  grid->setRow(from);
  start = Clock::now();
  for (int i = 0; i < moves / 2; ++i) QTest::keyClick(grid, Qt::Key_Down);
  const int reached = grid->row();
  for (int i = 0; i < moves / 2; ++i) QTest::keyClick(grid, Qt::Key_Up);
  std::printf("arrow key (selection + key rule), mean of %d: %8.4f ms (row %d -> %d -> %d)\n",
              moves, msSince(start) / moves, from, reached, grid->row());

  // Committing a changed value on an integer row near the end: editor, validation, cell.
  const int intRow = (dataRows - 1) / 6 * 6 + 1;  // entries 0, 6, 12 ... are INT rows
  grid->setRow(intRow);
  const int commits = 500;
  int rejected = 0;
  start = Clock::now();
  for (int i = 0; i < commits; ++i) {
    QTest::keyClick(grid, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(grid->editor());
    if (!editor) break;
    editor->setText(QString::number(i % 2 ? 40 : 60));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // Enter commits from the event loop
    if (grid->editor()) ++rejected;
  }
  std::printf("commit of a changed value (row %d), mean of %d: %8.4f ms, %d rejected, cell %s\n",
              intRow, commits, msSince(start) / commits, rejected,
              qPrintable(grid->cell(1, intRow)));

  // A parameter set of every row, saved and opened again over the same template.
  auto* saveSet = window.findChild<QAction*>("Parametersatzspeichern1");
  auto* openSet = window.findChild<QAction*>("Parametersatzoeffnen");
  auto* comment = window.findChild<QLabel*>("Label_Comment");
  const QString setPath = dir.filePath("bench_set.xml");
  for (int run = 1; run <= 3; ++run) {
    dialogs.inputAnswers.push_back("bench run " + QString::number(run));
    dialogs.saveAnswers.push_back(setPath);
    start = Clock::now();
    saveSet->trigger();
    std::printf("save parameter set, run %d:       %8.1f ms, %.1f MB\n", run, msSince(start),
                QFileInfo(setPath).size() / 1e6);
  }
  for (int run = 1; run <= 3; ++run) {
    dialogs.openAnswers.push_back(setPath);
    start = Clock::now();
    openSet->trigger();
    const double opened = msSince(start);
    window.repaint();
    std::printf("open parameter set, run %d:       %8.1f ms (%.1f ms with the repaint) -> %s\n",
                run, opened, msSince(start), qPrintable(comment->text()));
  }
  if (!dialogs.shown.empty()) {
    std::printf("unexpected message: %s\n", qPrintable(dialogs.shown.front().text));
    return 1;
  }
  grab(window, grabDir, "set_opened.png");

  const auto [rss, peak] = memoryMb();
  // By now the set saved last and the set opened last are held too, beside the template.
  std::printf("memory with template and both sets: %8.1f MB resident, %.1f MB peak\n", rss, peak);
  return 0;
}
