#pragma once

#include <QStringList>
#include <QWidget>

namespace controls {

// A rotary switch with a labelled position for each entry of Labels() and a
// heading caption. The user turns it by clicking or dragging towards a
// position or with the arrow keys; then ValueChanged reports the new
// position. Setting the value from code reports nothing.
//
// A value set from code that is no position (a register that holds 0xFF
// where positions run 0..7) is kept as it is: the knob then points nowhere
// and shows the value in red, until the user turns it to a position. The
// accessible name is the caption, the description the chosen label.
class Selector : public QWidget {
  Q_OBJECT

 public:
  explicit Selector(QWidget* parent = nullptr);

  int Value() const { return value_; }
  void Value(int position);

  QString Caption() const { return caption_; }
  void Caption(const QString& caption);

  QStringList Labels() const { return labels_; }
  void Labels(const QStringList& labels);

  QSize sizeHint() const override;

 signals:
  void ValueChanged(int position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QPointF Centre() const;
  double Radius() const;
  bool AtPosition() const;
  void UserTurned(int position);
  void Changed();

  QStringList labels_;
  QString caption_;
  int value_ = 0;
};

}  // namespace controls
