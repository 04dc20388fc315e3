// Driving the main window's menus as the user does, for the program's window tests.
#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include "main_form.h"

namespace korva::testing_shell {

// Opens the Data menu and chooses the enabled command with this caption.
inline void DataCommand(TMainForm& f, const QString& caption) {
  for (QAction* top : f.menuBar()->actions()) {
    if (top->text() != "Da&ta") continue;
    emit top->menu()->aboutToShow();
    for (QAction* a : top->menu()->actions())
      if (a->text() == caption && a->isEnabled()) return a->trigger();
  }
  QFAIL(qPrintable("no command " + caption));
}

// The command with this caption in the top-level menu `menu` of the menu bar, as the user finds
// it on opening the menu; null when there is none.
inline QAction* MenuCommand(TMainForm& f, const QString& menu, const QString& caption) {
  for (QAction* top : f.menuBar()->actions()) {
    if (top->text() != menu || !top->menu()) continue;
    emit top->menu()->aboutToShow();
    for (QAction* a : top->menu()->actions())
      if (a->text() == caption) return a;
  }
  return nullptr;
}

}  // namespace korva::testing_shell
