#pragma once

#include <QStringList>
#include <QWidget>

namespace controls {

// A rotary switch with a labelled position for each entry of Labels() and a
// heading caption. The user turns it by clicking or dragging towards a
// position or with the arrow keys; then ValueChanged reports the new
// position. Setting the value from code reports nothing.
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
  void UserTurned(int position);

  QStringList labels_;
  QString caption_;
  int value_ = 0;
};

}  // namespace controls
