#include "icon_set.h"

#include <QFile>
#include <QGuiApplication>

// The resources live in a static library: registered once, on first use, so that the linker
// keeps them.
static void RegisterIconResources() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(icons);
    return true;
  }();
  (void)registered;
}

namespace korva {

QString ToolIconPath(const char* name) {
  return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name ? name : ""));
}

QIcon ToolIcon(const char* name) {
  RegisterIconResources();
  const QString path = ToolIconPath(name);
  if (!name || !*name || !QFile::exists(path)) return {};
  return QIcon(path);
}

QIcon AppIcon() { return ToolIcon("korva2017"); }

void SetApplicationIcon() {
  QGuiApplication::setWindowIcon(AppIcon());
  QGuiApplication::setDesktopFileName(QStringLiteral("korva2017"));
}

}  // namespace korva
