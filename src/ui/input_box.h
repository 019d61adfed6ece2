#pragma once

#include <QSize>
#include <QString>

class QFont;
class QWidget;

namespace nx::ui {

// The average width of a letter ("A" to "Z" and "a" to "z", integer division) and the letter
// height of `font`, in pixels: the unit the description dialog is laid out in.
QSize GetAveCharSize(const QFont& font);

// The description dialog, built for this call and destroyed before it returns: title `ACaption`,
// label `APrompt`, an edit box holding today's date in the system's short format, selected, and
// at most `maxLength` characters; OK is the default button, Esc cancels. True on OK, with `Value`
// set to the edited text; on Cancel `Value` is left as it was.
bool MyInputBox(const QString& ACaption, const QString& APrompt, QString& Value,
                QWidget* owner = nullptr, int maxLength = 255);

}  // namespace nx::ui
