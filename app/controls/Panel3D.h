#pragma once

#include <QFrame>

class QLabel;

namespace controls {

// A raised 3-D panel with a caption. A panel used as a frame for other
// controls shows its caption as a title on top and holds them in Body();
// a caption panel shows the caption alone, centred. The caption is also the
// panel's accessible name, so a caption panel used as a light speaks its state.
class Panel3D : public QFrame {
  Q_OBJECT

 public:
  explicit Panel3D(const QString& caption = {}, QWidget* parent = nullptr);

  QString Caption() const;
  void Caption(const QString& caption);

  // The panel's background colour.
  void BackColor(const QColor& color);
  QColor BackColor() const;

  // The area below the caption for the controls the panel frames; the
  // caption moves to the top when it is first asked for.
  QWidget* Body();

 private:
  QLabel* caption_;
  QWidget* body_ = nullptr;
};

}  // namespace controls
