#include "ui/info_window.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <string>

#include "platform/version_info.h"

namespace {

const char* const kHistory[] = {
    "Version 1.0.0.0 => First public version",
    "Version 2.0.0.0 => Complete in English, Include template and parameter check",
    "Version 2.0.0.1 => Bugfix-Update",
    "Version 2.0.0.2 => Text reworked",
};

// A shield with a check mark and "iPar": the parameters' checksum guards the device.
QPixmap logo(QSize size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal w = size.width();
  const qreal h = size.height();
  QPainterPath shield;
  shield.moveTo(w / 2, 2);
  shield.lineTo(w - 4, h * 0.16);
  shield.cubicTo(w - 4, h * 0.62, w * 0.72, h * 0.84, w / 2, h - 2);
  shield.cubicTo(w * 0.28, h * 0.84, 4, h * 0.62, 4, h * 0.16);
  shield.closeSubpath();
  QLinearGradient fill(0, 0, 0, h);
  fill.setColorAt(0, QColor(30, 92, 168));
  fill.setColorAt(1, QColor(14, 46, 96));
  p.setPen(QPen(QColor(10, 30, 70), 1.5));
  p.setBrush(fill);
  p.drawPath(shield);

  p.setPen(QPen(QColor(255, 204, 0), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  QPainterPath check;
  check.moveTo(w * 0.28, h * 0.40);
  check.lineTo(w * 0.44, h * 0.55);
  check.lineTo(w * 0.74, h * 0.24);
  p.drawPath(check);

  QFont font = p.font();
  font.setBold(true);
  font.setPixelSize(static_cast<int>(h * 0.18));
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRectF(0, h * 0.60, w, h * 0.2), Qt::AlignCenter, "iPar");
  return pixmap;
}

QLabel* labelAt(const QString& text, int left, int top, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->move(left, top);
  label->adjustSize();
  return label;
}

}  // namespace

TForm_Info_nx::TForm_Info_nx(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName("Form_Info_nx");
  setWindowTitle("Info");
  setFixedSize(384, 240);
  QFont tahoma("Tahoma");
  tahoma.setPointSize(8);
  setFont(tahoma);

  Image1 = new QLabel(this);
  Image1->setObjectName("Image1");
  Image1->setGeometry(155, 8, 62, 65);
  Image1->setPixmap(logo(Image1->size()));

  EditVersion_nx = new QLineEdit(this);
  EditVersion_nx->setObjectName("EditVersion_nx");
  EditVersion_nx->setGeometry(271, 52, 57, 21);
  auto* versionLabel = new QLabel("Version", this);
  versionLabel->setObjectName("EditVersion_nxLabel");
  versionLabel->setBuddy(EditVersion_nx);
  versionLabel->adjustSize();
  versionLabel->move(271 - 3 - versionLabel->width(), 52 + (21 - versionLabel->height()) / 2);

  Label1 = labelAt("Program name: NX_iParameter.exe", 93, 96, this);
  Label1->setObjectName("Label1");
  Label2 = labelAt("Description: Program for CRC-calculation of iParameter", 37, 112, this);
  Label2->setObjectName("Label2");

  Memo_nx = new QPlainTextEdit(this);
  Memo_nx->setObjectName("Memo_nx");
  Memo_nx->setGeometry(8, 131, 368, 78);
  Memo_nx->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo_nx->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo_nx->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  Button1 = new QPushButton("Close", this);
  Button1->setObjectName("Button1");
  Button1->setGeometry(145, 212, 75, 25);
  Button1->setAutoDefault(false);
  Button1->setDefault(false);
  connect(Button1, &QPushButton::clicked, this, &TForm_Info_nx::Button1Click);

  setTabOrder(Button1, EditVersion_nx);
  setTabOrder(EditVersion_nx, Memo_nx);

  FormCreate();
}

void TForm_Info_nx::FormCreate() {
  std::u16string internalName;
  std::u16string fileVersion;
  nx::platform::GetFileInfo(internalName, fileVersion, nx::platform::kProgramFileName);

  Memo_nx->setReadOnly(true);
  Memo_nx->clear();
  for (const char* line : kHistory) Memo_nx->appendPlainText(line);

  EditVersion_nx->setReadOnly(true);
  EditVersion_nx->setText(QString::fromStdU16String(fileVersion));
}

void TForm_Info_nx::Button1Click() { close(); }

// Every showing starts on "Close", wherever the focus was when the window was last closed.
void TForm_Info_nx::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Button1->setFocus(Qt::ActiveWindowFocusReason);
}

// "Close" is no cancel button, so Escape does not end the showing; the close box and "Close" do.
void TForm_Info_nx::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->ignore();
    return;
  }
  QDialog::keyPressEvent(event);
}
