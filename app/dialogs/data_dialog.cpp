#include "data_dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace korva::dialogs {

TDataDialog::TDataDialog(DialogHost& host, QWidget* parent) : QWidget(parent), host_(host) {
  setAttribute(Qt::WA_DeleteOnClose);
}

QMdiSubWindow* TDataDialog::ShowChild(TDataDialog* dialog) {
  QMdiArea* mdi = dialog->host_.mdi;
  QMdiSubWindow* sub = mdi->addSubWindow(dialog, Qt::SubWindow | Qt::WindowTitleHint |
                                                     Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                                     Qt::MSWindowsFixedSizeDialogHint);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  dialog->LoadFromModel();
  sub->adjustSize();
  sub->setFixedSize(sub->sizeHint());
  // Load when this child becomes active, store when another window takes over.
  QPointer<QMdiSubWindow> guard(sub);
  QObject::connect(mdi, &QMdiArea::subWindowActivated, dialog, [dialog, guard](QMdiSubWindow* w) {
    if (!guard) return;
    if (w == guard) {
      dialog->LoadFromModel();
    } else if (!dialog->StoreToModel()) {
      // An invalid entry keeps this dialog in front until it is corrected.
      guard->mdiArea()->setActiveSubWindow(guard);
    }
  });
  sub->show();
  mdi->setActiveSubWindow(sub);
  return sub;
}

void TDataDialog::CloseLikeCloseBox() {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
    sub->close();
  } else {
    close();
  }
}

void TDataDialog::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
    e->accept();
    CloseLikeCloseBox();
    return;
  }
  QWidget::keyPressEvent(e);
}

void TDataDialog::closeEvent(QCloseEvent* e) {
  if (!StoreToModel()) {
    e->ignore();
    return;
  }
  e->accept();
}

}  // namespace korva::dialogs
