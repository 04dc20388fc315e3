// TDataDialog: the common behaviour of the data-entry dialogs. Each dialog is a non-modal
// child window of the main window (an MDI child), exists at most once, loads its fields from
// the project when it becomes the active child and stores them when another window becomes
// active or it is closed.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "program_data.h"

class QMdiArea;
class QMdiSubWindow;

namespace korva::dialogs {

// What the dialogs need of the main window.
struct DialogHost {
  project::Project* project = nullptr;
  QMdiArea* mdi = nullptr;
  // Sets the project's changed flag.
  std::function<void()> setChanged;
  // Shows a message box with an OK button (tests replace it).
  std::function<void(const QString&)> information;
  // The main window's reaction after a dialog changed the design method, units or the
  // computation method (LRFD columns, menus).
  std::function<void()> settingsChanged;
};

class TDataDialog : public QWidget {
  Q_OBJECT

 public:
  explicit TDataDialog(DialogHost& host, QWidget* parent = nullptr);

  // Loads the fields from the model (activation, unit switch).
  virtual void LoadFromModel() = 0;
  // Validates the active field and stores every field into the model; false keeps the
  // dialog open (an invalid entry was reported).
  virtual bool StoreToModel() = 0;

  // Shows `dialog` as a child window of host.mdi (fixed size, close box only) and wires the
  // activation rules. The dialog deletes itself when closed.
  static QMdiSubWindow* ShowChild(TDataDialog* dialog);

  // Closes the dialog as its close box does: a child window closes with its frame; the
  // close handlers store the values (or keep the dialog open for an invalid entry).
  void CloseLikeCloseBox();

 protected:
  void closeEvent(QCloseEvent* e) override;
  // Escape closes the dialog like its close box.
  void keyPressEvent(QKeyEvent* e) override;
  DialogHost& host_;
  project::Project& project() { return *host_.project; }
};

}  // namespace korva::dialogs
