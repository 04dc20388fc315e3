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

// The widget a message is about while a dialog reports one through its host: the host's
// message box is shown over that widget's window. Nested subjects restore the outer one.
class TMessageSubject {
 public:
  explicit TMessageSubject(QWidget* about);
  ~TMessageSubject();
  TMessageSubject(const TMessageSubject&) = delete;
  TMessageSubject& operator=(const TMessageSubject&) = delete;
  static QWidget* Current();

 private:
  QPointer<QWidget> previous_;
};

// Runs a message box (`show` gets the parent to use and returns the box's result) over the
// window the message is about: `about`, else the current TMessageSubject, else the widget
// with the focus or the active window. Afterwards that window is active again and the field
// that had the focus in it (or last had it) has it again, so typing goes on where it was.
int ShowMessageAbout(QWidget* about, const std::function<int(QWidget* parent)>& show);

// Places a top-level window inside the available area of its screen: centred over the
// window it belongs to (or the screen), moved in where it would stand out. A window that may
// be resized and is larger than the area is made as large as the area; `scrollBarExtent`
// (the width of a scroll bar) is added in one direction when the other one is cut.
void PlaceInWorkArea(QWidget* window, int scrollBarExtent = 0);

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
