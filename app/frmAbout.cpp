#include "frmAbout.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "Logo.h"
#include "WindowPlacement.h"

frmAbout::frmAbout(QWidget* parent)
    : QWidget(parent, Qt::Window),
      lblTitle(new QLabel(QStringLiteral("Norvane QTS5460 Evaluation Software "), this)),
      lblDescription(new QLabel(QStringLiteral("This software can be used to read and write to the "
                                               "QTS5460 using either the parallel printer port or the "
                                               "SMBus. "),
                                this)),
      lblVersion(new QLabel(QStringLiteral("Version"), this)),
      Picture2(new QLabel(this)),
      cmdOK(new QPushButton(QStringLiteral("OK"), this)) {
  setObjectName(QStringLiteral("frmAbout"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("About the QTS5460 Evaluation Software."));

  QFont titleFont = lblTitle->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
  titleFont.setBold(true);
  lblTitle->setFont(titleFont);
  lblDescription->setWordWrap(true);
  lblDescription->setMinimumWidth(320);
  Picture2->setPixmap(app::LogoPixmap({150, 80}));
  cmdOK->setDefault(true);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(16, 16, 16, 16);
  layout->setHorizontalSpacing(16);
  layout->addWidget(Picture2, 0, 0, 3, 1, Qt::AlignTop);
  layout->addWidget(lblTitle, 0, 1);
  layout->addWidget(lblVersion, 1, 1);
  layout->addWidget(lblDescription, 2, 1);
  layout->addWidget(cmdOK, 3, 1, Qt::AlignRight);

  connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
  Form_Load();
}

void frmAbout::Form_Load() {
  lblVersion->setText(app::VersionCaption());
  app::CentreOnScreen(*this);
}

void frmAbout::cmdOK_Click() { close(); }
