#include "controls/Panel3D.h"

#include <QLabel>
#include <QVBoxLayout>

namespace controls {

Panel3D::Panel3D(const QString& caption, QWidget* parent)
    : QFrame(parent), caption_(new QLabel(caption, this)) {
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(2);
  setAutoFillBackground(true);
  caption_->setAlignment(Qt::AlignCenter);
  caption_->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 3, 4, 3);
  layout->addWidget(caption_);
  setAccessibleName(caption);
}

QString Panel3D::Caption() const { return caption_->text(); }

void Panel3D::Caption(const QString& caption) {
  if (caption == caption_->text()) return;
  caption_->setText(caption);
  setAccessibleName(caption);
}

void Panel3D::BackColor(const QColor& color) {
  if (color == BackColor()) return;
  QPalette p = palette();
  p.setColor(QPalette::Window, color);
  setPalette(p);
}

QColor Panel3D::BackColor() const { return palette().color(QPalette::Window); }

QWidget* Panel3D::Body() {
  if (body_ == nullptr) {
    QFont bold = caption_->font();
    bold.setBold(true);
    caption_->setFont(bold);
    caption_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    body_ = new QWidget(this);
    layout()->addWidget(body_);
  }
  return body_;
}

}  // namespace controls
