#pragma once

#include <QString>
#include <optional>

class QDialog;
class QWidget;

namespace nx::ui {

// Every modal message and dialog of the main window goes through here, so that tests answer
// them. Message boxes have one OK button each.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Caption the application title, no icon: refused documents and mismatches.
  virtual void plain(const QString& text) = 0;
  virtual void information(const QString& text) = 0;
  virtual void error(const QString& text) = 0;
  // The box for errors no command handles: caption the application title, stop icon. The text
  // arrives as it is to be shown (full stop already applied).
  virtual void defaultError(const QString& text) = 0;
  // Paths chosen, or "" when the user cancels. `filter` is in Qt's notation.
  virtual QString getOpenFileName(const QString& caption, const QString& folder,
                                  const QString& filter) = 0;
  // `defaultSuffix` without its dot; it is added to a name typed without an extension.
  virtual QString getSaveFileName(const QString& folder, const QString& filter,
                                  const QString& defaultSuffix) = 0;
  // The description dialog: the text entered, or nothing when the user cancels. At most
  // `maxLength` characters. The real dialog starts from today's date, not from `initialText`.
  virtual std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                           const QString& initialText, int maxLength) = 0;
  // Runs `dialog` modally and returns its result code.
  virtual int execDialog(QDialog& dialog) = 0;
};

// The real boxes and dialogs, parented to `parent` (which may be set later).
class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  void setParentWidget(QWidget* parent) { parent_ = parent; }

  void plain(const QString& text) override;
  void information(const QString& text) override;
  void error(const QString& text) override;
  void defaultError(const QString& text) override;
  QString getOpenFileName(const QString& caption, const QString& folder,
                          const QString& filter) override;
  QString getSaveFileName(const QString& folder, const QString& filter,
                          const QString& defaultSuffix) override;
  std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                   const QString& initialText, int maxLength) override;
  int execDialog(QDialog& dialog) override;

 private:
  QWidget* parent_;
};

}  // namespace nx::ui
