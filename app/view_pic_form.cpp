#include "app/view_pic_form.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/float_spin_edit.h"
#include "app/paint_box.h"
#include "app/print_form.h"
#include "app/widget_names.h"
#include "imaging/paint_dib.h"
#include "imaging/qt/painter_device.h"
#include "imagora/pixel_access.h"

namespace lumaret {

TViewPicForm::TViewPicForm(ViewerServices services, QWidget* parent)
    : QDialog(parent), services_(services) {
  setObjectName(QStringLiteral("ViewPicForm"));
  setWindowTitle(QStringLiteral("View picture..."));
  resize(532, 420);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  auto* bar = new QWidget(this);
  bar->setFixedHeight(41);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(6, 6, 6, 6);
  ReadyBtn = Named(new QPushButton(QStringLiteral("Back..."), bar), "ReadyBtn");
  PrintBrn = Named(new QPushButton(QStringLiteral("Print"), bar), "PrintBrn");
  OpenBtn = Named(new QPushButton(QStringLiteral("Open..."), bar), "OpenBtn");
  ZoomEd = Named(new TFloatSpinEdit(bar), "ZoomEd");
  ZoomEd->setRange(5, 9000);
  ZoomEd->setSingleStep(10);
  ZoomEd->setValue(100);
  ZoomEd->setMinimumWidth(80);
  for (QPushButton* button : {ReadyBtn, PrintBrn, OpenBtn}) {
    button->setAutoDefault(false);
    row->addWidget(button);
  }
  row->addSpacing(12);
  auto* zoomLabel = new QLabel(QStringLiteral("Zoom:"), bar);
  zoomLabel->setBuddy(ZoomEd);
  row->addWidget(zoomLabel);
  row->addWidget(ZoomEd);
  row->addStretch(1);
  column->addWidget(bar);

  ScrollBox1 = Named(new QScrollArea(this), "ScrollBox1");
  ScrollBox1->setBackgroundRole(QPalette::Dark);
  QPalette workspace = ScrollBox1->palette();
  workspace.setColor(QPalette::Dark, kWorkspaceColor);
  ScrollBox1->setPalette(workspace);
  ScrollBox1->setWidgetResizable(false);
  PaintBox1 = Named(new TPaintBox, "PaintBox1");
  // A box of no size would never be painted, and so never sized.
  PaintBox1->resize(100, 100);
  PaintBox1->setCursor(Qt::PointingHandCursor);
  ScrollBox1->setWidget(PaintBox1);
  column->addWidget(ScrollBox1, 1);

  StatusBar1 = Named(new QStatusBar(this), "StatusBar1");
  column->addWidget(StatusBar1);

  PaintBox1->onPaint = [this](QPainter& canvas, const QRect&) { PaintBox1Paint(canvas); };
  PaintBox1->onMouseDown = [this](QPoint point) { PaintBox1MouseDown(point); };
  PaintBox1->onMouseMove = [this](QPoint point) { PaintBox1MouseMove(point); };
  PaintBox1->onMouseUp = [this](QPoint) { PaintBox1MouseUp(); };
  connect(ZoomEd, &QDoubleSpinBox::valueChanged, this, [this] { ZoomEdChange(); });
  connect(ReadyBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(PrintBrn, &QPushButton::clicked, this, [this] { PrintBrnClick(); });
  connect(OpenBtn, &QPushButton::clicked, this, [this] { OpenBtnClick(); });

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

double TViewPicForm::Zoom() const {
  return ZoomEd->value();
}

void TViewPicForm::ZoomEdChange() {
  PaintBox1->update();
}

void TViewPicForm::PaintBox1Paint(QPainter& canvas) {
  if (paintSuppressed_ || Picture->Info == nullptr)
    return;
  const int pictureWidth = imagora::DibWidth(Picture.get());
  const int pictureHeight = imagora::DibHeight(Picture.get());
  const double zoom = Zoom();
  // At least a pixel, so that the box is still painted, and sized, at the next zoom.
  const int w = std::max(1, int(std::trunc(pictureWidth * zoom / 100)));
  const int h = std::max(1, int(std::trunc(pictureHeight * zoom / 100)));
  // One side at a time: each resize brings a paint of its own.
  if (w != PaintBox1->width()) {
    ++sizingPaints_;
    PaintBox1->resize(w, PaintBox1->height());
    return;
  }
  if (h != PaintBox1->height()) {
    ++sizingPaints_;
    PaintBox1->resize(PaintBox1->width(), h);
    return;
  }
  ++drawingPaints_;
  PainterDevice device(canvas);
  PaintDib(device, 0, 0, w, h, Picture.get(), 0, 0, pictureWidth, pictureHeight, true, SRCCOPY,
           false, nullptr, services_.messages);
}

void TViewPicForm::PaintBox1MouseDown(QPoint point) {
  dragging_ = true;
  grab_ = point;
  grabBoxPos_ = PaintBox1->pos();
  grabScrollX_ = ScrollBox1->horizontalScrollBar()->value();
  grabScrollY_ = ScrollBox1->verticalScrollBar()->value();
}

void TViewPicForm::PaintBox1MouseMove(QPoint point) {
  if (!dragging_)
    return;
  // The pointer where it would be on the box as it lay at the press: the box
  // moves under the pointer while it scrolls.
  const QPoint pointer = point + PaintBox1->pos() - grabBoxPos_;
  paintSuppressed_ = true;
  ScrollBox1->horizontalScrollBar()->setValue(grab_.x() - pointer.x() + grabScrollX_);
  ScrollBox1->verticalScrollBar()->setValue(grab_.y() - pointer.y() + grabScrollY_);
  paintSuppressed_ = false;
  PaintBox1->repaint();
}

void TViewPicForm::PaintBox1MouseUp() {
  dragging_ = false;
}

void TViewPicForm::PrintBrnClick() {
  TPrintForm form(Picture.get(), services_.settings, services_.printer, services_.printerDialogs,
                  services_.messages, this);
  if (services_.modal.run(form) == QDialog::Accepted)
    PrintPicture(services_.printer, Picture.get(), form.Options(), services_.messages);
}

void TViewPicForm::OpenBtnClick() {
  services_.shell.openDocument(FileName);
}

}  // namespace lumaret
