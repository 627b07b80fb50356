// The "Main" tab: title, version, About and Quit.
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "Logo.h"
#include "MainMenuForm.h"

QWidget* MainMenuForm::BuildMainTab() {
  auto* page = new QWidget;
  Picture1 = new QLabel(page);
  Picture1->setObjectName(QStringLiteral("Picture1"));
  Picture1->setPixmap(app::LogoPixmap({260, 140}));
  Label24 = new QLabel(QStringLiteral("QTS5460"), page);
  Label24->setObjectName(QStringLiteral("Label24"));
  QFont large = Label24->font();
  large.setPointSizeF(large.pointSizeF() * 4);
  large.setBold(true);
  Label24->setFont(large);
  Label25 = new QLabel(QStringLiteral("Evaluation Software"), page);
  Label25->setObjectName(QStringLiteral("Label25"));
  QFont medium = Label25->font();
  medium.setPointSizeF(medium.pointSizeF() * 2);
  Label25->setFont(medium);
  lblVersion = new QLabel(QStringLiteral("Version"), page);
  lblVersion->setObjectName(QStringLiteral("lblVersion"));
  Command7 = new QPushButton(QStringLiteral("About this software"), page);
  Command7->setObjectName(QStringLiteral("Command7"));
  Quit = new QPushButton(QStringLiteral("Quit"), page);
  Quit->setObjectName(QStringLiteral("Quit"));
  for (QPushButton* button : {Command7, Quit}) button->setMinimumSize(170, 36);

  auto* layout = new QGridLayout(page);
  layout->setRowStretch(0, 1);
  layout->addWidget(Picture1, 1, 0, 1, 2, Qt::AlignHCenter);
  layout->addWidget(Label24, 2, 0, 1, 2, Qt::AlignHCenter);
  layout->addWidget(Label25, 3, 0, 1, 2, Qt::AlignHCenter);
  layout->addWidget(lblVersion, 4, 0, 1, 2, Qt::AlignHCenter);
  layout->setRowMinimumHeight(5, 24);
  layout->addWidget(Command7, 6, 0, Qt::AlignRight);
  layout->addWidget(Quit, 6, 1, Qt::AlignLeft);
  layout->setRowStretch(7, 1);
  return page;
}
