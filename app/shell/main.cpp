// korva2017: the KORVA desktop program.
#include <QApplication>
#include <QHashFunctions>

#include "icon_set.h"
#include "main_form.h"
#include "view3d.h"

int main(int argc, char** argv) {
  // The 3D view draws with OpenGL 1.x: a compatibility context, chosen before the application.
  korva::results::PrepareOpenGLFormat();
  // A fixed hash seed: the calculation report's PDF writes its fonts in the same order as the
  // batch runner's, so that the same project gives the same bytes from both.
  QHashSeed::setDeterministicGlobalSeed();
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Valtor");
  QApplication::setApplicationName("KORVA");
  QApplication::setApplicationVersion(korva::TMainForm::kVersion);
  // Every window and dialog shows the program's icon.
  korva::SetApplicationIcon();
  korva::TMainForm form;
  form.resize(1100, 760);
  form.show();
  const QStringList args = QApplication::arguments();
  form.StartUp(args.size() > 1 ? args[1] : QString());
  return QApplication::exec();
}
