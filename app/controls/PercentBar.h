#pragma once

#include <QWidget>

namespace controls {

// The filled share of a bar for a value in percent: 0..1, a value above 100
// fills the bar and no more, a negative one leaves it empty.
double BarFill(double percent);

// A vertical bar graph of a value in percent of full scale with a caption
// beneath. The value is kept as given, also above 100, where the bar is full
// and its top turns red. A screen reader hears the caption, or the title
// while the caption is blank, and the value as the description.
class PercentBar : public QWidget {
  Q_OBJECT

 public:
  explicit PercentBar(QWidget* parent = nullptr);

  // What the bar shows, for its accessible name while the caption is blank.
  QString Title() const { return title_; }
  void Title(const QString& title);

  double Value() const { return value_; }
  void Value(double percent);

  QString Caption() const { return caption_; }
  void Caption(const QString& caption);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Describe();

  double value_ = 0.0;
  QString caption_;
  QString title_;
};

}  // namespace controls
