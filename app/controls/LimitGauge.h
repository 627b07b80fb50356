#pragma once

#include <QString>
#include <QWidget>
#include <array>

#include "controls/GaugeScale.h"

namespace controls {

// A vertical temperature scale with three pointers: pointer 0 is a band with
// a lower and an upper end, pointer 1 the low limit, pointer 2 the high
// limit. Pointers and caption slots are selected by index before they are
// read or written, as the windows expect.
//
// The user drags a pointer or the band with the left mouse button, or
// selects a pointer with Left/Right and moves it with Up/Down (1 degree) and
// Page Up/Page Down (10 degrees). After each such move the moved pointer
// becomes the selected one and PointerMoved reports its index. Values set
// from code report nothing. The gauge keeps no order between the pointers:
// limits and their separation are the program's business.
//
// Pointer values may lie beyond the scale (a limit register can hold up to
// 255 on a scale that ends at 127): such a pointer, and the band's end, is
// drawn at the end of the scale as a hollow marker, and it is grabbed where
// it is drawn. The accessible description tells the pointers' values.
class LimitGauge : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kBand = 0;
  static constexpr int kLow = 1;
  static constexpr int kHigh = 2;
  static constexpr int kCaptionSlots = 4;

  explicit LimitGauge(QWidget* parent = nullptr);

  double Min() const { return min_; }
  double Max() const { return max_; }
  void SetRange(double min, double max);

  int PointerIndex() const { return pointerIndex_; }
  void PointerIndex(int index);
  // The selected pointer's value; for the band, its lower end.
  double Value() const;
  // Sets the selected pointer; the band moves whole to the new lower end.
  void Value(double value);

  // Pointer `index` without selecting it.
  double PointerValue(int index) const;
  void PointerValue(int index, double value);

  double BandLower() const { return band_.first; }
  void BandLower(double value);
  double BandUpper() const { return band_.second; }
  void BandUpper(double value);

  // Slot 0 is shown on top, slot 1 at the bottom, slot 3 at the top right
  // and slot 2 at the bottom right.
  int CaptionIndex() const { return captionIndex_; }
  void CaptionIndex(int index);
  QString Caption() const;
  void Caption(const QString& text);

  // Index of the pointer the user moved last; -1 before any move.
  int MovedPointer() const { return movedPointer_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void PointerMoved(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  GaugeScale Scale() const;
  // The row a value is drawn and grabbed at: the scale's end for a value
  // beyond it.
  double Row(double value) const;
  int HitTest(QPointF at) const;
  void UserMoved(int index);
  void Changed();

  double min_ = 0.0;
  double max_ = 127.0;
  std::pair<double, double> band_{0.0, 127.0};
  double low_ = 0.0;
  double high_ = 127.0;
  int pointerIndex_ = kBand;
  int captionIndex_ = 0;
  std::array<QString, kCaptionSlots> captions_;
  int movedPointer_ = -1;

  int dragging_ = -1;
  double dragStartValue_ = 0.0;
  std::pair<double, double> dragStartBand_;
  bool dragMoved_ = false;
};

}  // namespace controls
