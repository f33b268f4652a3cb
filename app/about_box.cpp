#include "app/about_box.h"

#include <QDate>
#include <QLabel>
#include <QPushButton>

#include "app/artwork.h"
#include "app/web_address.h"

namespace lumaret {
namespace {

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, const QRect& place) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(place);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

}  // namespace

TAboutBox::TAboutBox(Shell& shell, QWidget* parent) : QDialog(parent), shell_(shell) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("Info"));
  setFixedSize(664, 453);

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setGeometry(8, 8, 649, 385);
  panel->setFrameShape(QFrame::Panel);
  panel->setFrameShadow(QFrame::Raised);
  panel->setAutoFillBackground(true);
  QPalette colors = panel->palette();
  colors.setColor(QPalette::Window, artwork::kHeaderColor);
  panel->setPalette(colors);

  auto* icon = new QLabel(panel);
  icon->setObjectName(QStringLiteral("ProgramIcon"));
  icon->setGeometry(12, 52, 306, 322);
  icon->setPixmap(artwork::AboutPicture());
  icon->setScaledContents(true);

  QLabel* product = AddLabel(panel, "ProductName", QStringLiteral("Lumaret " LUMARET_VERSION),
                             QRect(12, 8, 620, 38));
  QFont big = product->font();
  big.setPixelSize(26);
  big.setBold(true);
  product->setFont(big);
  QPalette title = product->palette();
  title.setColor(QPalette::WindowText, artwork::kTitleColor);
  product->setPalette(title);

  AddLabel(panel, "Version", QStringLiteral("Copyright © XXXX The Lumaret authors"),
           QRect(336, 60, 300, 20));
  AddLabel(panel, "Comments",
           QStringLiteral("Turns your pictures and their captions into a self-running slideshow "
                          "packed into one PDF file."),
           QRect(336, 92, 300, 54));
  QLabel* label1 = AddLabel(panel, "Label1", QStringLiteral("Pictures, captions, one PDF."),
                            QRect(336, 160, 300, 20));
  QFont bold = label1->font();
  bold.setBold(true);
  label1->setFont(bold);
  AddLabel(panel, "Label2",
           QStringLiteral("Reads BMP, GIF, IFF/LBM, JPEG, PCX, PNG, TGA and TIFF."),
           QRect(336, 188, 300, 36));
  AddLabel(panel, "Label3", QStringLiteral("Your shows are kept in project files (*.lmt)."),
           QRect(336, 230, 300, 36));

  auto* web = new QPushButton(artwork::Glyph(artwork::Motif::Web),
                              QString::fromLatin1(kWebAddressShown), panel);
  web->setObjectName(QStringLiteral("BitBtnXP1"));
  web->setGeometry(336, 290, 220, 33);
  web->setCursor(Qt::PointingHandCursor);
  connect(web, &QPushButton::clicked, this, &TAboutBox::BitBtnXP1Click);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("BitBtn1"));
  ok->setGeometry(241, 404, 181, 37);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  FormCreate();
}

void TAboutBox::FormCreate() {
  auto* year = findChild<QLabel*>(QStringLiteral("Version"));
  QString text = year->text();
  const qsizetype at = text.indexOf(QStringLiteral("XXXX"));
  if (at >= 0)
    text.replace(at, 4, QString::number(QDate::currentDate().year()));
  year->setText(text);
}

void TAboutBox::BitBtnXP1Click() {
  shell_.openDocument(kWebAddress);
}

}  // namespace lumaret
