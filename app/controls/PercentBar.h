#pragma once

#include <QWidget>

namespace controls {

// The filled share of a bar for a value in percent: 0..1, a value above 100
// fills the bar and no more, a negative one leaves it empty.
double BarFill(double percent);

// A vertical bar graph of a value in percent of full scale with a caption
// beneath. The value is kept as given, also above 100, where the bar is full
// and its top turns red.
class PercentBar : public QWidget {
  Q_OBJECT

 public:
  explicit PercentBar(QWidget* parent = nullptr);

  double Value() const { return value_; }
  void Value(double percent);

  QString Caption() const { return caption_; }
  void Caption(const QString& caption);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  double value_ = 0.0;
  QString caption_;
};

}  // namespace controls
