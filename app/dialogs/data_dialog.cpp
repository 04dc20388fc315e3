#include "data_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>

namespace korva::dialogs {

namespace {

QPointer<QWidget>& Subject() {
  static QPointer<QWidget> subject;
  return subject;
}

QMdiSubWindow* EnclosingSubWindow(QWidget* w) {
  for (; w; w = w->parentWidget())
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w)) return sub;
  return nullptr;
}

// Keeps an MDI child inside the visible part of its area: moved up and left as far as
// needed, never beyond the area's top-left corner (the area's scroll bars reach the rest of
// a child larger than the area).
void KeepInsideArea(QMdiSubWindow* sub) {
  QMdiArea* area = sub->mdiArea();
  if (!area) return;
  const QRect visible = area->viewport()->rect();
  QRect g = sub->geometry();
  g.moveRight(std::min(g.right(), visible.right()));
  g.moveBottom(std::min(g.bottom(), visible.bottom()));
  g.moveLeft(std::max(g.left(), visible.left()));
  g.moveTop(std::max(g.top(), visible.top()));
  if (g.topLeft() != sub->pos()) sub->move(g.topLeft());
}

}  // namespace

TMessageSubject::TMessageSubject(QWidget* about) : previous_(Subject()) { Subject() = about; }
TMessageSubject::~TMessageSubject() { Subject() = previous_; }
QWidget* TMessageSubject::Current() { return Subject(); }

int ShowMessageAbout(QWidget* about, const std::function<int(QWidget* parent)>& show) {
  QWidget* focus = QApplication::focusWidget();
  if (!about) about = TMessageSubject::Current();
  if (!about) about = focus ? focus : QApplication::activeWindow();
  QPointer<QWidget> window = about ? about->window() : nullptr;
  QPointer<QWidget> field = focus && window && (window == focus || window->isAncestorOf(focus))
                                ? focus
                                : (about ? about->focusWidget() : nullptr);
  QPointer<QMdiSubWindow> sub = EnclosingSubWindow(field);
  const int result = show(window);
  if (window && window->isVisible()) {
    window->raise();
    window->activateWindow();
    // A field in a child window that is no longer the active one stays where it is: that
    // child window's own rules decide whether it comes back.
    const bool childActive = !sub || !sub->mdiArea() || sub->mdiArea()->activeSubWindow() == sub;
    if (field && field->isVisible() && childActive) field->setFocus(Qt::OtherFocusReason);
  }
  return result;
}

void PlaceInWorkArea(QWidget* window, int scrollBarExtent) {
  if (!window) return;
  QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
  QScreen* screen = owner && owner->screen() ? owner->screen() : window->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  // The frame the window manager puts around the window: known once the window is shown,
  // else taken from the owner (the same decorations).
  QSize frame = window->frameGeometry().size() - window->geometry().size();
  if (frame.isEmpty() && owner) frame = owner->frameGeometry().size() - owner->geometry().size();
  frame = frame.expandedTo(QSize(0, 0));

  QSize size = window->size();
  const QSize room = area.size() - frame;
  const bool resizable = window->minimumSize() != window->maximumSize();
  if (resizable && (size.width() > room.width() || size.height() > room.height())) {
    const bool cutW = size.width() > room.width();
    const bool cutH = size.height() > room.height();
    if (cutH && !cutW) size.rwidth() += scrollBarExtent;
    if (cutW && !cutH) size.rheight() += scrollBarExtent;
    size = size.boundedTo(room).expandedTo(window->minimumSize());
    window->resize(size);
  }
  const QSize outer = size + frame;
  const QRect around = owner ? owner->frameGeometry() : area;
  QPoint at(around.center().x() - outer.width() / 2, around.center().y() - outer.height() / 2);
  at.setX(std::max(area.left(), std::min(at.x(), area.right() + 1 - outer.width())));
  at.setY(std::max(area.top(), std::min(at.y(), area.bottom() + 1 - outer.height())));
  window->move(at);
}

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
  KeepInsideArea(sub);
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
