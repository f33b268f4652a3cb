// The program's own pictures, drawn in code so that they scale cleanly and
// share one palette: the button glyphs, the tab icons, the side panels'
// pictures, the image buttons and the about window's picture.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QRectF>

class QPainter;

namespace lumaret::artwork {

inline const QColor kHeaderColor{0xF0, 0xCA, 0xA6};  // header strips and title boxes
inline const QColor kSideColor{0xC0, 0xDC, 0xC0};    // side panels
inline const QColor kTitleColor{0x80, 0x00, 0x00};   // the side panels' titles
inline const QColor kProgressColor{0x00, 0x00, 0x80};

// Small pictures that also grow into the big ones: each fits a square.
enum class Motif {
  Pictures,
  Find,
  Settings,
  Pdf,
  New,
  Open,
  SaveAs,
  Web,
  Info,
  Quit,
  Play,     // the show starts
  Delete,   // a picture struck out
  Earlier,  // a picture moving one place towards the start of the show
  Later,
  Film,  // a strip of film with the play mark: the show as a video file
};

void DrawMotif(QPainter& painter, Motif motif, const QRectF& square);

// A 16 × 16 icon of the motif, for buttons and tabs.
QIcon Glyph(Motif motif);

// The side panel's picture of a page (193 × 281), showing the page's motif.
QPixmap SidePicture(Motif page);

// An image button (101 × 30) with a motif and a word, raised or held down.
QPixmap ImageButtonPicture(Motif motif, const QString& word, bool pressed);

// The about window's picture (306 × 322).
QPixmap AboutPicture();

}  // namespace lumaret::artwork
