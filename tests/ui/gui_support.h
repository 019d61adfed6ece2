#pragma once

#include <QApplication>
#include <QDialog>
#include <QString>
#include <deque>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ui/dialogs.h"

// Failure messages show QStrings as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace nx::test {

// The one application object of a GUI test executable, on the offscreen platform. It is never
// destroyed: at exit Qt's own globals may already be gone.
inline QApplication& guiApp() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "nx_ui_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// Records every message and answers every dialog from its queues; an empty queue answers as a
// user who cancels.
class ScriptedDialogs : public ui::Dialogs {
 public:
  enum Kind { Plain, Information, Error, DefaultError, Dialog };
  struct Shown {
    Kind kind;
    QString text;
    bool operator==(const Shown&) const = default;
  };

  void plain(const QString& text) override { shown.push_back({Plain, text}); }
  void information(const QString& text) override { shown.push_back({Information, text}); }
  void error(const QString& text) override { shown.push_back({Error, text}); }
  void defaultError(const QString& text) override { shown.push_back({DefaultError, text}); }
  QString getOpenFileName(const QString& caption, const QString& folder,
                          const QString& filter) override {
    openCalls.push_back({caption, folder, filter});
    return take(openAnswers);
  }
  QString getSaveFileName(const QString& folder, const QString& filter,
                          const QString& defaultSuffix) override {
    saveCalls.push_back({defaultSuffix, folder, filter});
    return take(saveAnswers);
  }
  std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                   const QString& initialText, int maxLength) override {
    inputCalls.push_back({caption, prompt, initialText, maxLength});
    QString answer = take(inputAnswers);
    if (answer.isNull()) return std::nullopt;
    return answer;
  }
  int execDialog(QDialog& dialog) override {
    shown.push_back({Dialog, dialog.objectName()});
    return QDialog::Accepted;
  }

  struct FileCall {
    QString captionOrSuffix;
    QString folder;
    QString filter;
  };
  struct InputCall {
    QString caption;
    QString prompt;
    QString initialText;
    int maxLength;
  };
  std::vector<Shown> shown;
  std::vector<InputCall> inputCalls;
  std::vector<FileCall> openCalls;
  std::vector<FileCall> saveCalls;
  std::deque<QString> openAnswers;
  std::deque<QString> saveAnswers;
  // A null QString answers as a user who cancels; QString("") as one who enters nothing.
  std::deque<QString> inputAnswers;

 private:
  static QString take(std::deque<QString>& queue) {
    if (queue.empty()) return {};
    QString answer = queue.front();
    queue.pop_front();
    return answer;
  }
};

inline std::ostream& operator<<(std::ostream& out, const ScriptedDialogs::Shown& shown) {
  static const char* kinds[] = {"plain", "information", "error", "default error", "dialog"};
  return out << kinds[shown.kind] << " \"" << shown.text.toStdString() << "\"";
}

// One parameter entry of a template written for a test.
struct Param {
  std::string name;
  std::string type;
  std::string value;  // DEFAULT
  std::string min = "";
  std::string max = "";
  std::string enable = "Yes";
  std::string tooltip = "";
};

// A template with the given entries; the caption of each entry is its name with " caption".
inline std::string templateXml(const std::vector<Param>& params, const std::string& endian = "",
                               const std::string& vendor = "NORVEXA",
                               const std::string& marker = "<DEFAULT>0</DEFAULT>") {
  std::string xml =
      "<T><CRC><VENDOR>" + vendor + "</VENDOR><DEVICE>Dev</DEVICE>" + "<VERSION>1.0</VERSION>";
  if (!endian.empty()) xml += "<ENDIAN>" + endian + "</ENDIAN>";
  xml += marker + "</CRC><PARAMETER>";
  for (const Param& p : params) {
    xml += "<" + p.name + "><CAPTION>" + p.name + " caption</CAPTION><DEFAULT>" + p.value +
           "</DEFAULT><TYPE>" + p.type + "</TYPE><MIN>" + p.min + "</MIN><MAX>" + p.max +
           "</MAX><ENABLE>" + p.enable + "</ENABLE><TOOLTIP>" + p.tooltip + "</TOOLTIP></" +
           p.name + ">";
  }
  return xml + "</PARAMETER></T>";
}

}  // namespace nx::test
