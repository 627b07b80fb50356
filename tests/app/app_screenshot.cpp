// Shows the main window on a real (virtual) X display and saves each tab as
// a PNG in the folder given as the only argument; fails when a picture is
// blank. Run under xvfb-run.
#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTest>
#include <cmath>
#include <cstdio>

#include "MainMenuForm.h"
#include "support/WindowPicture.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  const QString folder = windowpicture::OutputFolder(argc, argv);
  if (folder.isEmpty()) return 2;
  const QDir out(folder);

  MainMenuForm form;
  // Some readings on the chart and the bars, as a running monitor shows them.
  double now = 12 * 3600.0;
  form.Strip1->SetTimeSource([&] { return now; });
  for (int i = 0; i < 12000; ++i) {
    now += 0.005;
    form.Strip1->AddSample(0, 65 + 35 * std::sin(i / 2000.0));
    form.Strip1->AddSample(1, 25 + 0.5 * std::sin(i / 300.0));
  }
  form.Percent1->Value(25.125 / 1.27);
  form.Percent1->Caption(QStringLiteral("Local T = 25.125C"));
  form.Percent2->Value(64 / 1.27);
  form.Percent2->Caption(QStringLiteral("Remote T = 64"));
  for (controls::LimitGauge* gauge : {form.LGauge1, form.LGauge2}) {
    gauge->BandLower(0);
    gauge->BandUpper(85);
    gauge->PointerIndex(controls::LimitGauge::kLow);
    gauge->Value(0);
    gauge->PointerIndex(controls::LimitGauge::kHigh);
    gauge->Value(85);
    gauge->CaptionIndex(3);
    gauge->Caption(QStringLiteral("85 C"));
    gauge->CaptionIndex(2);
    gauge->Caption(QStringLiteral("0 C"));
  }
  form.Selector1->Value(7);

  form.show();
  if (!QTest::qWaitForWindowExposed(&form)) {
    std::fprintf(stderr, "the main window was never shown\n");
    return 1;
  }
  const char* names[] = {"main", "readwrite", "controlcenter"};
  int failures = 0;
  for (int tab = 0; tab < form.MainTab->count(); ++tab) {
    form.MainTab->setCurrentIndex(tab);
    QTest::qWait(200);
    const QString path = out.filePath(QStringLiteral("MainMenuForm-%1.png").arg(QLatin1String(names[tab])));
    if (!windowpicture::Save(form, path)) ++failures;
  }
  return failures == 0 ? 0 : 1;
}
