#include "plot_form.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QRubberBand>
#include <QSaveFile>
#include <QStyledItemDelegate>
#include <QTemporaryFile>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "data_edit.h"
#include "evaluator.h"

namespace korva::results {
namespace {

// The window's font height (Times New Roman, 14 pixels): the base of its layout.
constexpr int kWindowFontHeight = 14;
// The legend list's font height at creation, in pixels.
constexpr int kLegendPixelHeight = 15;
// Pictures above this many pixels are refused as "not enough memory" before allocation
// (1 GiB at 32 bits per pixel).
constexpr qint64 kMaxPicturePixels = qint64(1) << 28;

const QString kNoMemory = QStringLiteral("There is not enough memory to complete this task.");

QString ToQ(const std::string& s) { return QString::fromStdString(s); }

// A curve name as a menu entry caption: '&' is shown, not taken as a mnemonic.
QString MenuText(QString s) { return s.replace(QLatin1Char('&'), QStringLiteral("&&")); }

// Round half to even, clamped into the int range (negative and NaN give 0).
int RoundPixels(double v) {
  if (!(v > 0.0)) return 0;
  if (v > 2.0e9) return 2000000000;
  return static_cast<int>(std::nearbyint(v));
}

// Paints a legend entry: its text in its colour on white, 4 pixels from the left edge.
class TLegendDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* p, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    p->save();
    p->fillRect(option.rect, Qt::white);
    p->setFont(option.font);
    p->setPen(index.data(Qt::ForegroundRole).value<QBrush>().color());
    p->drawText(option.rect.adjusted(4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                index.data(Qt::DisplayRole).toString());
    p->restore();
  }
};

QPushButton* PlainButton(const QString& text, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setAutoDefault(false);
  return b;
}

}  // namespace

// ---- Graph Caption ----------------------------------------------------------------------------

TGraphCaptionDialog::TGraphCaptionDialog(const QString& caption, bool onTop, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(tr("Graph Caption"));
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(tr("Enter Graph Caption"), this);
  edit_ = new QLineEdit(caption, this);
  edit_->setObjectName(QStringLiteral("caption"));
  label->setBuddy(edit_);
  auto* group = new QGroupBox(tr("Caption Location"), this);
  auto* groupLayout = new QHBoxLayout(group);
  top_ = new QRadioButton(tr("Top"), group);
  top_->setObjectName(QStringLiteral("top"));
  bottom_ = new QRadioButton(tr("Bottom"), group);
  bottom_->setObjectName(QStringLiteral("bottom"));
  groupLayout->addWidget(top_);
  groupLayout->addWidget(bottom_);
  (onTop ? top_ : bottom_)->setChecked(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(label);
  layout->addWidget(edit_);
  layout->addWidget(group);
  layout->addWidget(buttons);
}

QString TGraphCaptionDialog::Caption() const { return edit_->text(); }
bool TGraphCaptionDialog::OnTop() const { return top_->isChecked(); }

// ---- Legend (curve names) ---------------------------------------------------------------------

TLineNamesDialog::TLineNamesDialog(const QStringList& names, QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Legend"));
  setSizeGripEnabled(true);
  setMinimumSize(195, 167);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(10, 10, 10, 10);
  auto* listLabel = new QLabel(tr("Select line to modify:"), this);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("lines"));
  list_->addItems(names);
  listLabel->setBuddy(list_);
  auto* editLabel = new QLabel(tr("Type new legend below:"), this);
  edit_ = new QLineEdit(this);
  edit_->setObjectName(QStringLiteral("name"));
  editLabel->setBuddy(edit_);
  auto* ok = PlainButton(tr("OK"), this);
  ok->setObjectName(QStringLiteral("ok"));
  auto* cancel = PlainButton(tr("Cancel"), this);
  cancel->setObjectName(QStringLiteral("cancel"));
  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(10, 0, 10, 0);
  buttons->addWidget(ok);
  buttons->addStretch(1);
  buttons->addWidget(cancel);
  layout->addWidget(listLabel);
  layout->addWidget(list_, 1);
  layout->addWidget(editLabel);
  layout->addWidget(edit_);
  layout->addLayout(buttons);

  information = [this](const QString& text) {
    QMessageBox::information(this, windowTitle(), text);
  };
  connect(ok, &QPushButton::clicked, this, &TLineNamesDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  // Changing the selection first keeps what was typed for the entry being left.
  connect(list_, &QListWidget::currentRowChanged, this, [this] {
    StoreEdit();
    LoadSelected();
  });
  connect(edit_, &QLineEdit::editingFinished, this, [this] { StoreEdit(); });
  if (list_->count() > 0) list_->setCurrentRow(0);
}

QStringList TLineNamesDialog::Names() const {
  QStringList names;
  for (int i = 0; i < list_->count(); ++i) names << list_->item(i)->text();
  return names;
}

void TLineNamesDialog::LoadSelected() {
  editRow_ = list_->currentRow();
  QListWidgetItem* item = list_->item(editRow_);
  edit_->setText(item ? item->text() : QString());
  edit_->setModified(false);
  QPalette pal = edit_->palette();
  pal.setColor(QPalette::Text, editRow_ >= 0 ? LineColor(editRow_) : QColor(Qt::black));
  edit_->setPalette(pal);
}

bool TLineNamesDialog::StoreEdit() {
  QListWidgetItem* item = list_->item(editRow_);
  if (!item || storing_) return true;
  if (edit_->text().isEmpty()) {
    // The old name goes back before the message, so that the focus change the message
    // causes finds a valid text.
    storing_ = true;
    edit_->setText(item->text());
    edit_->setModified(false);
    if (information) information(tr("The line must have a name!"));
    storing_ = false;
    return false;
  }
  item->setText(edit_->text());
  return true;
}

void TLineNamesDialog::accept() {
  if (!StoreEdit()) return;
  QDialog::accept();
}

// ---- Active Curves ------------------------------------------------------------------------------

TActiveLinesDialog::TActiveLinesDialog(const QStringList& names, const std::vector<bool>& active,
                                       QWidget* parent)
    : QDialog(parent), names_(names), active_(active) {
  active_.resize(static_cast<std::size_t>(names_.size()), true);
  setWindowTitle(tr("Active Curves"));
  setSizeGripEnabled(true);
  setMinimumSize(190, 234);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(tr("Select Curve to Active/Desactive"), this));
  auto* headings = new QHBoxLayout;
  headings->addWidget(new QLabel(tr("Active :"), this));
  headings->addWidget(new QLabel(tr("Curve"), this), 1);
  layout->addLayout(headings);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("curves"));
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // A fixed-pitch font keeps " yes : " and " no  : " in one column.
  list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  for (int i = 0; i < names_.size(); ++i)
    list_->addItem(RowText(active_[static_cast<std::size_t>(i)], names_[i]));
  layout->addWidget(list_, 1);

  auto* toggle = PlainButton(tr("Activate/Deactivate Selected"), this);
  toggle->setObjectName(QStringLiteral("toggleSelected"));
  auto* all = PlainButton(tr("Activate All"), this);
  all->setObjectName(QStringLiteral("activateAll"));
  auto* none = PlainButton(tr("Deactivate All"), this);
  none->setObjectName(QStringLiteral("deactivateAll"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(toggle);
  layout->addWidget(all);
  layout->addWidget(none);
  layout->addWidget(buttons);

  connect(toggle, &QPushButton::clicked, this, &TActiveLinesDialog::ToggleSelected);
  connect(all, &QPushButton::clicked, this, [this] { SetAll(true); });
  connect(none, &QPushButton::clicked, this, [this] { SetAll(false); });
  connect(list_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { ToggleRow(list_->row(item)); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  if (list_->count() > 0) list_->setCurrentRow(0);
}

QString TActiveLinesDialog::RowText(bool active, const QString& name) {
  return (active ? QStringLiteral(" yes : ") : QStringLiteral(" no  : ")) + QStringLiteral("   ") +
         name;
}

void TActiveLinesDialog::UpdateRow(int row) {
  if (QListWidgetItem* item = list_->item(row))
    item->setText(RowText(active_[static_cast<std::size_t>(row)], names_[row]));
}

void TActiveLinesDialog::ToggleRow(int row) {
  if (row < 0 || row >= static_cast<int>(active_.size())) return;
  active_[static_cast<std::size_t>(row)] = !active_[static_cast<std::size_t>(row)];
  UpdateRow(row);
}

void TActiveLinesDialog::ToggleSelected() {
  for (int row = 0; row < list_->count(); ++row)
    if (list_->item(row)->isSelected()) ToggleRow(row);
}

void TActiveLinesDialog::SetAll(bool active) {
  for (int row = 0; row < static_cast<int>(active_.size()); ++row) {
    active_[static_cast<std::size_t>(row)] = active;
    UpdateRow(row);
  }
}

// ---- Save Attributes ---------------------------------------------------------------------------

int TPictureSize::HeightPixels() const { return RoundPixels(PixelsPerInch * HeightInches); }
int TPictureSize::WidthPixels() const { return RoundPixels(PixelsPerInch * WidthInches); }

TSaveAttributesDialog::TSaveAttributesDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Save Attributes"));
  information = [this](const QString& text) {
    QMessageBox::information(this, windowTitle(), text, QMessageBox::Ok);
  };
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  const auto field = [this, form](const char* name, const QString& caption, double value,
                                  double minimum, double maximum, bool integer) {
    auto* edit = new controls::TDataEdit(this);
    edit->setObjectName(QLatin1String(name));
    edit->SetIntegerOnly(integer);
    edit->SetMinVal(minimum);
    edit->SetMaxVal(maximum);
    edit->SetNumber(value);
    edit->SetCaption(caption);
    edit->information = [this](const QString& text) {
      if (information) information(text);
    };
    form->addRow(edit->EditLabel(), edit);
    return edit;
  };
  height_ = field("height", tr("&Height (in)"), 4.0, 2.0, 100.0, false);
  width_ = field("width", tr("&Width (in)"), 6.0, 2.0, 100.0, false);
  ppi_ = field("pixelsPerInch", tr("&Pixels Per Inch"), 72, 10, 2400, true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void TSaveAttributesDialog::accept() {
  for (controls::TDataEdit* edit : {height_, width_, ppi_})
    if (!edit->CloseQuery()) return;  // the field showed its message and has the focus
  QDialog::accept();
}

TPictureSize TSaveAttributesDialog::Size() const {
  const auto value = [](const controls::TDataEdit* edit, double fallback) {
    double v = fallback;
    if (!edit->TryNumber(v) || !(v >= edit->MinVal() && v <= edit->MaxVal())) v = fallback;
    return v;
  };
  const TPictureSize defaults;
  return TPictureSize{value(height_, defaults.HeightInches), value(width_, defaults.WidthInches),
                      static_cast<int>(std::lround(value(ppi_, defaults.PixelsPerInch)))};
}

// ---- The graph window -------------------------------------------------------------------------

TPlotForm::TPlotForm(TGraphPlot& graph, QWidget* parent) : QWidget(parent), graph_(graph) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  // Focus (taken when the window is activated or clicked) makes Ctrl+Z reach the window.
  setFocusPolicy(Qt::StrongFocus);
  setFont(PlotFont(kWindowFontHeight, false));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
  setAutoFillBackground(true);
  setWindowTitle(ToQ(graph_.Caption));
  resize(800, 600);

  execDialog = [](QDialog& d) { return d.exec(); };
  chooseSaveName = [this](const QString& title, const QString& filter, const QString& suffix) {
    QFileDialog dlg(this, title);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setNameFilters(filter.split(QStringLiteral(";;")));
    dlg.setDefaultSuffix(suffix);
    // The default extension follows the chosen filter ("*.png" -> "png").
    connect(&dlg, &QFileDialog::filterSelected, &dlg, [&dlg](const QString& f) {
      const int star = f.indexOf(QStringLiteral("*."));
      if (star >= 0) dlg.setDefaultSuffix(f.mid(star + 2).section(QLatin1Char(')'), 0, 0));
    });
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return QString();
    return dlg.selectedFiles().constFirst();
  };
  printersInstalled = [] { return !QPrinterInfo::availablePrinters().isEmpty(); };
  printDialog = [this](QPrinter& printer) {
    QPrintDialog dlg(&printer, this);
    return dlg.exec() == QDialog::Accepted;
  };
  pageSetupDialog = [this](QPrinter& printer) {
    QPageSetupDialog dlg(&printer, this);
    return dlg.exec() == QDialog::Accepted;
  };
  information = [this](const QString& text) {
    QMessageBox::information(this, windowTitle(), text);
  };

  band_ = new QRubberBand(QRubberBand::Rectangle, this);

  legend_ = new QListWidget(this);
  legend_->setObjectName(QStringLiteral("legend"));
  legend_->setItemDelegate(new TLegendDelegate(legend_));
  legend_->setSelectionMode(QAbstractItemView::NoSelection);
  legend_->setFocusPolicy(Qt::NoFocus);
  legend_->setFrameShape(QFrame::Box);
  legend_->setLineWidth(1);
  legend_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  legend_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  legend_->setUniformItemSizes(true);
  legend_->setCursor(Qt::SizeAllCursor);
  QPalette lp = legend_->palette();
  lp.setColor(QPalette::Base, Qt::white);
  legend_->setPalette(lp);
  legend_->viewport()->installEventFilter(this);
  legend_->installEventFilter(this);
  legend_->hide();

  CreateMenu();
  Rebuild();
}

TPlotForm::~TPlotForm() = default;

void TPlotForm::Rebuild() {
  valid_ = ResetView(graph_);
  ActivateCurves(graph_);
  // The legend's font size in points: 11 for its 15-pixel font on a 96 dpi screen.
  const int dpi = logicalDpiY() > 0 ? logicalDpiY() : 96;
  graph_.LegendFont = std::max(1, static_cast<int>(std::lround(kLegendPixelHeight * 72.0 / dpi)));
  BuildLegend();
  ResizeLegend();
  legend_->setVisible(graph_.HasSomethingToDraw() && graph_.ShowLegend);
  RefreshMenuChecks();
  setWindowTitle(ToQ(graph_.Caption));
  Layout(true);
}

TPlotForm* TPlotForm::Find(QMdiArea* area, const TGraphPlot& graph) {
  if (!area) return nullptr;
  for (QMdiSubWindow* sub : area->subWindowList()) {
    auto* form = qobject_cast<TPlotForm*>(sub->widget());
    if (form && &form->graph_ == &graph) return form;
  }
  return nullptr;
}

TPlotForm* TPlotForm::Show(QMdiArea* area, TGraphPlot& graph) {
  if (!area) return nullptr;
  if (TPlotForm* form = Find(area, graph)) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget())) {
      if (sub->isMinimized()) sub->showNormal();
      sub->show();
      area->setActiveSubWindow(sub);
    }
    return form;
  }
  auto* form = new TPlotForm(graph);
  if (!form->IsValid()) {
    delete form;
    return nullptr;
  }
  QMdiSubWindow* sub = area->addSubWindow(form);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  sub->showMaximized();
  area->setActiveSubWindow(sub);
  return form;
}

QPoint TPlotForm::Ppi() const {
  return QPoint(logicalDpiX() > 0 ? logicalDpiX() : 96, logicalDpiY() > 0 ? logicalDpiY() : 96);
}

bool TPlotForm::CurveExists(int curve) const { return curve >= 0 && curve < graph_.LineCount(); }

// ---- Plot menu ----------------------------------------------------------------------------------

void TPlotForm::CreateMenu() {
  plotMenu_ = new QMenu(tr("&Plot"), this);
  plotMenu_->setObjectName(QStringLiteral("plotMenu"));

  showLegend_ = plotMenu_->addAction(tr("Show &Legend"), this, &TPlotForm::ToggleLegend);
  showLegend_->setCheckable(true);
  showLayers_ = plotMenu_->addAction(tr("Show &Soil Layer"), this, &TPlotForm::ToggleLayers);
  showLayers_->setCheckable(true);

  // A radio submenu whose entries carry their value; `apply` receives the chosen value.
  const auto choices = [this](const QString& title, const std::vector<std::pair<QString, int>>& items,
                              void (TPlotForm::*apply)(int)) {
    QMenu* menu = plotMenu_->addMenu(title);
    auto* group = new QActionGroup(menu);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const auto& [text, value] : items) {
      QAction* a = menu->addAction(text);
      a->setCheckable(true);
      a->setData(value);
      group->addAction(a);
      const int v = value;
      connect(a, &QAction::triggered, this, [this, apply, v] { (this->*apply)(v); });
    }
    return menu;
  };
  markersMenu_ = choices(tr("Show &Markers"),
                         {{tr("&Never"), 0},
                          {tr("Every &Increment"), 1},
                          {tr("Every &2 Increments"), 2},
                          {tr("Every &3 Incrments"), 3},
                          {tr("Every &5 Increments"), 5},
                          {tr("Every &10 Incements"), 10}},
                         &TPlotForm::SetMarkers);
  fontMenu_ = choices(tr("&Font Size"),
                      {{tr("&Default"), 10},
                       {tr("1.5 * Default"), 15},
                       {tr("2 * Default"), 20},
                       {tr("2.5 * Default"), 25},
                       {tr("3 * Default"), 30},
                       {tr("4 * Default"), 40}},
                      &TPlotForm::SetFontSize);
  widthMenu_ = choices(tr("&Line Width"),
                       {{tr("&Default"), 1},
                        {tr("2 * Default"), 2},
                        {tr("4 * Default"), 4},
                        {tr("6 * Default"), 6},
                        {tr("10 * Default"), 10}},
                       &TPlotForm::SetLineWidth);

  plotMenu_->addAction(tr("&Graph Title"), this, &TPlotForm::EditGraphTitle);
  plotMenu_->addAction(tr("&Edit Legend"), this, &TPlotForm::EditLegend);
  plotMenu_->addAction(tr("&Active Curves"), this, &TPlotForm::EditActiveCurves);
  plotMenu_->addSeparator();
  // Print and Page Setup stay enabled without an installed printer: printing then writes
  // a PDF file.
  plotMenu_->addAction(tr("&Print..."), this, &TPlotForm::Print);
  plotMenu_->addAction(tr("P&age Setup"), this, &TPlotForm::PageSetup);
  plotMenu_->addAction(tr("&Save To Disk..."), this, &TPlotForm::SaveToDisk);
  curveSeparator_ = plotMenu_->addSeparator();

  connect(plotMenu_, &QMenu::aboutToShow, this, &TPlotForm::RefreshMenuChecks);
  connect(markersMenu_, &QMenu::aboutToShow, this, &TPlotForm::RefreshMenuChecks);

  // Ctrl+Z opens the Plot menu at the graph's upper left corner.
  auto* popup = new QAction(this);
  popup->setObjectName(QStringLiteral("plotMenuShortcut"));
  popup->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  popup->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(popup, &QAction::triggered, this, [this] {
    plotMenu_->popup(mapToGlobal(QPoint(drawWindow_.GraphArea.Left, drawWindow_.GraphArea.Top)));
  });
  addAction(popup);
}

void TPlotForm::RefreshMenuChecks() {
  showLegend_->setVisible(graph_.HasSomethingToDraw());
  showLegend_->setChecked(graph_.ShowLegend);
  showLayers_->setVisible(graph_.LayerLineCount() > 0);
  showLayers_->setChecked(graph_.ShowLayers);
  fontMenu_->menuAction()->setVisible(graph_.ShowFontWidth);
  widthMenu_->menuAction()->setVisible(graph_.ShowFontWidth);
  const auto check = [](QMenu* menu, int value) {
    for (QAction* a : menu->actions()) a->setChecked(a->data().toInt() == value);
  };
  check(markersMenu_, graph_.Markers);
  check(fontMenu_, graph_.SizeFont);
  check(widthMenu_, graph_.WidthLine);
  for (std::size_t k = 0; k < curveActions_.size(); ++k) {
    const int curve = legendCurves_[k];
    curveActions_[k]->setChecked(CurveExists(curve) && graph_.Lines(curve).Visible);
  }
}

void TPlotForm::ToggleLegend() {
  graph_.ShowLegend = !graph_.ShowLegend;
  legend_->setVisible(graph_.ShowLegend && graph_.HasSomethingToDraw());
  RefreshMenuChecks();
}

void TPlotForm::ToggleLayers() {
  graph_.ShowLayers = !graph_.ShowLayers;
  RefreshMenuChecks();
  Layout(true);
}

void TPlotForm::SetMarkers(int every) {
  graph_.Markers = every;
  RefreshMenuChecks();
  update();
}

void TPlotForm::SetFontSize(int sizeFont) {
  graph_.SizeFont = sizeFont;
  ResizeLegend();
  RefreshMenuChecks();
  Layout(true);
}

void TPlotForm::SetLineWidth(int width) {
  graph_.WidthLine = width;
  RefreshMenuChecks();
  update();
}

// ---- Legend -------------------------------------------------------------------------------------

void TPlotForm::BuildLegend() {
  legendCurves_.clear();
  for (int i = 0; i < graph_.LineCount(); ++i)
    if (graph_.Lines(i).Active) legendCurves_.push_back(i);
  const int n = static_cast<int>(legendCurves_.size());

  // Entries are reused in place; missing ones appended, surplus ones removed from the end.
  while (legend_->count() > n) delete legend_->takeItem(legend_->count() - 1);
  while (legend_->count() < n) legend_->addItem(QString());
  while (static_cast<int>(curveActions_.size()) > n) {
    delete curveActions_.back();
    curveActions_.pop_back();
  }
  while (static_cast<int>(curveActions_.size()) < n) {
    QAction* a = plotMenu_->addAction(QString());
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, [this, a] {
      const auto it = std::find(curveActions_.begin(), curveActions_.end(), a);
      if (it != curveActions_.end()) ToggleCurve(static_cast<int>(it - curveActions_.begin()));
    });
    curveActions_.push_back(a);
  }
  for (int k = 0; k < n; ++k) UpdateLegendEntry(k);
}

void TPlotForm::UpdateLegendEntry(int entry) {
  if (entry < 0 || entry >= static_cast<int>(legendCurves_.size())) return;
  const int curve = legendCurves_[static_cast<std::size_t>(entry)];
  if (!CurveExists(curve)) return;
  const QString name = ToQ(graph_.LineName(curve));
  const bool visible = graph_.Lines(curve).Visible;
  if (QListWidgetItem* item = legend_->item(entry)) {
    item->setText(visible ? name + QStringLiteral(" *") : name);
    item->setForeground(LineColor(entry));
    item->setSizeHint(QSize(1, legendItemHeight_));
  }
  QAction* a = curveActions_[static_cast<std::size_t>(entry)];
  a->setText(MenuText(name));
  a->setData(curve);
  a->setChecked(visible);
}

void TPlotForm::ResizeLegend() {
  // Font size in points from the text size factor; item height one and a half times it,
  // and never below the font's line height so the entries stay readable.
  const int points = std::max(1, graph_.SizeFont * graph_.LegendFont / 10);
  QFont font(PlotFontFamily());
  font.setStyleHint(QFont::Serif);
  font.setPointSize(points);
  legend_->setFont(font);
  const QFontMetrics fm(font);
  legendItemHeight_ = std::max(3 * points / 2, fm.height());
  const int n = static_cast<int>(legendCurves_.size());
  int width = 21;
  for (int k = 0; k < n; ++k) {
    const int curve = legendCurves_[static_cast<std::size_t>(k)];
    if (!CurveExists(curve)) continue;
    const int need =
        fm.horizontalAdvance(ToQ(graph_.LineName(curve)) + QStringLiteral(" *")) + Ppi().x() / 4;
    width = std::max(width, need);
  }
  for (int k = 0; k < legend_->count(); ++k)
    legend_->item(k)->setSizeHint(QSize(1, legendItemHeight_));
  legend_->resize(width, n * legendItemHeight_ + 3);
}

std::optional<QPointF> TPlotForm::LegendPlace() const {
  if (!legendPos_) return std::nullopt;
  return LegendPlaceOf(drawWindow_, legend_->size(), *legendPos_);
}

void TPlotForm::PlaceLegend() {
  const QSize size = legend_->size();
  const QPoint at = legendPos_ ? *legendPos_
                               : LegendCorner(drawWindow_, size,
                                              FreeLegendPlace(drawWindow_, graph_, size));
  placedAt_ = at;
  legend_->move(at);
  KeepLegendInside();
}

void TPlotForm::KeepLegendInside() {
  int x = legend_->x(), y = legend_->y();
  if (x + legend_->width() > width()) x = width() - legend_->width();
  if (y + legend_->height() > height()) y = height() - legend_->height();
  placedAt_ = QPoint(std::max(0, x), std::max(0, y));
  legend_->move(placedAt_);
}

void TPlotForm::ToggleCurve(int entry) {
  if (entry < 0 || entry >= static_cast<int>(legendCurves_.size())) return;
  const int curve = legendCurves_[static_cast<std::size_t>(entry)];
  if (!CurveExists(curve)) return;
  TLine& line = graph_.Lines(curve);
  line.Visible = !line.Visible;
  UpdateLegendEntry(entry);
  legend_->viewport()->update();
  update();
}

// ---- Layout and painting ---------------------------------------------------------------------

void TPlotForm::Layout(bool anchorLegend) {
  drawWindow_ = LayoutWindow(width(), height(), Ppi(), kWindowFontHeight, graph_);
  // The user's place is kept apart from where a small window pushes the legend, so that
  // the size changes of the window (the MDI area restores a window it deactivates and
  // maximises it again when it comes back) never move it for good.
  if (anchorLegend) legendPos_.reset();
  PlaceLegend();
  drawWindow_.MessedUp = false;
  drawWindow_.PrintLegend = false;
  update();
}

void TPlotForm::paintEvent(QPaintEvent*) {
  QPainter p(this);
  DrawPlot(p, graph_, drawWindow_);
}

void TPlotForm::resizeEvent(QResizeEvent*) {
  Layout(false);
}

// ---- Mouse: read-out, rubber-band zoom, zoom out -----------------------------------------------

void TPlotForm::UpdateTitle(QPoint pointer) {
  const TFloatPoint v = ToValue(drawWindow_, graph_, ClampToGraphArea(drawWindow_, pointer));
  setWindowTitle(ToQ(graph_.Caption + " X: " + project::FormatGeneral(v.x, 5) +
                     " Y: " + project::FormatGeneral(v.y, 5)));
}

void TPlotForm::mousePressEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  const TPixelRect& ga = drawWindow_.GraphArea;
  if (ga.Width() <= 0 || ga.Height() <= 0 || !InGraphArea(drawWindow_, pos)) return;
  if (e->button() == Qt::LeftButton) {
    zooming_ = true;
    zoomOrigin_ = movePoint_ = pos;
    band_->setGeometry(QRect(pos, QSize(1, 1)));
    band_->show();
  } else if (e->button() == Qt::RightButton && !zooming_) {
    // Zoom out: the visible range doubles around the clicked value, within the full range.
    graph_.View.LogicBounds = ZoomOutAt(graph_.View.MaxLogicBounds, graph_.View.LogicBounds,
                                        ToValue(drawWindow_, graph_, pos));
    if (!legendPos_) PlaceLegend();  // a legend not placed by the user follows the curves
    update();
  }
}

void TPlotForm::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  UpdateTitle(pos);
  if (zooming_) {
    movePoint_ = ClampToGraphArea(drawWindow_, pos);
    band_->setGeometry(QRect(zoomOrigin_, movePoint_).normalized());
  }
}

void TPlotForm::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !zooming_) return;
  zooming_ = false;
  band_->hide();
  const QPoint pos = e->position().toPoint();
  // A click without a drag (or a drag along one line) does not zoom.
  if (pos.x() == zoomOrigin_.x() || pos.y() == zoomOrigin_.y()) return;
  const QPoint end = ClampToGraphArea(drawWindow_, pos);
  const TFloatPoint a = ToValue(drawWindow_, graph_, zoomOrigin_);
  const TFloatPoint b = ToValue(drawWindow_, graph_, end);
  graph_.View.LogicBounds = ZoomToBox(graph_.View.MaxLogicBounds, a, b);
  if (!legendPos_) PlaceLegend();
  update();
}

// The legend: a press starts dragging it (it follows the pointer and stays inside the
// window), a double-click shows or hides the entry's curve.
bool TPlotForm::eventFilter(QObject* watched, QEvent* e) {
  if (watched == legend_) {
    // A move the window did not make itself puts the legend where the user wants it.
    // (Moves of the hidden list arrive when it is shown; those are the window's own.)
    if (e->type() == QEvent::Move && legend_->pos() != placedAt_) legendPos_ = legend_->pos();
    return QWidget::eventFilter(watched, e);
  }
  if (watched != legend_->viewport()) return QWidget::eventFilter(watched, e);
  switch (e->type()) {
    case QEvent::MouseButtonPress: {
      auto* me = static_cast<QMouseEvent*>(e);
      dragLegend_ = true;
      dragPoint_ = legend_->viewport()->mapTo(legend_, me->position().toPoint());
      return true;
    }
    case QEvent::MouseMove: {
      if (!dragLegend_) return true;
      auto* me = static_cast<QMouseEvent*>(e);
      const QPoint to = mapFromGlobal(me->globalPosition().toPoint()) - dragPoint_;
      const int x = std::max(0, std::min(to.x(), width() - legend_->width()));
      const int y = std::max(0, std::min(to.y(), height() - legend_->height()));
      legend_->move(x, y);  // recorded as the user's place (Move, below)
      return true;
    }
    case QEvent::MouseButtonRelease:
      dragLegend_ = false;
      return true;
    case QEvent::MouseButtonDblClick: {
      auto* me = static_cast<QMouseEvent*>(e);
      const int row = legend_->indexAt(me->position().toPoint()).row();
      if (row >= 0) ToggleCurve(row);
      return true;
    }
    default:
      return QWidget::eventFilter(watched, e);
  }
}

// ---- Dialog commands ---------------------------------------------------------------------------

void TPlotForm::EditGraphTitle() {
  TGraphCaptionDialog dlg(ToQ(graph_.UserCaption), graph_.UserCaptionOnTop, this);
  execDialog(dlg);
  // Taken however the dialog was closed.
  graph_.UserCaption = dlg.Caption().toStdString();
  graph_.UserCaptionOnTop = dlg.OnTop();
  Layout(false);
}

void TPlotForm::EditLegend() {
  QStringList names;
  for (int i = 0; i < graph_.LineCount(); ++i) names << ToQ(graph_.LineName(i));
  TLineNamesDialog dlg(names, this);
  dlg.information = information;
  if (execDialog(dlg) != QDialog::Accepted) return;
  const QStringList result = dlg.Names();
  const int n = std::min(static_cast<int>(result.size()), graph_.LineCount());
  for (int i = 0; i < n; ++i) graph_.Lines(i).SetLineName(result[i].toStdString());
  for (int k = 0; k < static_cast<int>(legendCurves_.size()); ++k) UpdateLegendEntry(k);
  legend_->viewport()->update();
  update();
}

void TPlotForm::EditActiveCurves() {
  QStringList names;
  std::vector<bool> active;
  for (int i = 0; i < graph_.LineCount(); ++i) {
    names << ToQ(graph_.LineName(i));
    active.push_back(graph_.Lines(i).Active);
  }
  TActiveLinesDialog dlg(names, active, this);
  if (execDialog(dlg) != QDialog::Accepted) return;
  const std::vector<bool> result = dlg.Active();
  const int n = std::min(static_cast<int>(result.size()), graph_.LineCount());
  for (int i = 0; i < n; ++i) graph_.Lines(i).Active = result[static_cast<std::size_t>(i)];
  BuildLegend();
  ResizeLegend();
  PlaceLegend();
  legend_->viewport()->update();
  update();
}

// ---- Printing and saving -----------------------------------------------------------------------

QPrinter& TPlotForm::Printer() {
  if (!printer_) {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    // One inch margins on all four sides until the user changes them in Page Setup.
    printer_->setPageMargins(QMarginsF(1.0, 1.0, 1.0, 1.0), QPageLayout::Inch);
  }
  return *printer_;
}

void TPlotForm::PageSetup() {
  pageSetupDialog(Printer());
}

void TPlotForm::Print() {
  QPrinter& printer = Printer();
  if (!printersInstalled()) {
    // Without a printer the graph goes to a PDF file.
    QString name = chooseSaveName(tr("Print to PDF File"), tr("PDF document (*.pdf)"),
                                  QStringLiteral("pdf"));
    if (name.isEmpty()) return;
    if (QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".pdf");
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(name);
  } else if (!printDialog(printer)) {
    return;
  }
  PrintOn(printer);
}

bool TPlotForm::PrintOn(QPrinter& printer) {
  printer.setDocName(ToQ(graph_.Caption));
  printer.setCreator(QStringLiteral("KORVA"));

  // A PDF file is written under a temporary name and renamed when complete, so that an
  // existing file is never left half written.
  const QString target = printer.outputFormat() == QPrinter::PdfFormat
                             ? printer.outputFileName()
                             : QString();
  QString temp;
  if (!target.isEmpty()) {
    const QFileInfo fi(target);
    if (!fi.absoluteDir().exists()) {
      information(tr("The folder %1 does not exist.")
                      .arg(QDir::toNativeSeparators(fi.absolutePath())));
      return false;
    }
    QTemporaryFile tf(fi.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(fi.fileName())));
    tf.setAutoRemove(false);
    if (!tf.open()) {
      information(tr("The graph could not be printed to %1:\n%2")
                      .arg(QDir::toNativeSeparators(target), tf.errorString()));
      return false;
    }
    temp = tf.fileName();
    tf.close();
    printer.setOutputFileName(temp);
  }

  QPainter painter;
  bool ok = painter.begin(&printer);
  if (ok) {
    TDrawArea area = PageArea(printer, graph_);
    area.LegendPlace = LegendPlace();
    DrawPlot(painter, graph_, area);
    ok = painter.end();
  }

  if (!target.isEmpty()) {
    printer.setOutputFileName(target);
    if (ok) {
      std::error_code ec;
      std::filesystem::rename(temp.toStdString(), target.toStdString(), ec);
      ok = !ec;
    }
    if (!ok) QFile::remove(temp);
  }
  if (!ok) {
    information(target.isEmpty() ? tr("The graph could not be printed.")
                                 : tr("The graph could not be printed to %1.")
                                       .arg(QDir::toNativeSeparators(target)));
  }
  update();
  return ok;
}

void TPlotForm::SaveToDisk() {
  const QString name = chooseSaveName(tr("Save To Disk"),
                                      tr("Bitmap (*.bmp);;PNG image (*.png)"),
                                      QStringLiteral("bmp"));
  if (name.isEmpty()) return;
  TSaveAttributesDialog dlg(this);
  if (execDialog(dlg) != QDialog::Accepted) return;
  SavePicture(name, dlg.Size());
}

bool TPlotForm::SavePicture(const QString& fileName, const TPictureSize& size) {
  QString name = fileName;
  const QString suffix = QFileInfo(name).suffix().toLower();
  if (suffix != QLatin1String("bmp") && suffix != QLatin1String("png"))
    name += QStringLiteral(".bmp");
  const QFileInfo fi(name);
  if (!fi.absoluteDir().exists()) {
    information(tr("The folder %1 does not exist.")
                    .arg(QDir::toNativeSeparators(fi.absolutePath())));
    return false;
  }

  const int w = size.WidthPixels(), h = size.HeightPixels();
  QImage image;
  if (w > 0 && h > 0 && static_cast<qint64>(w) * h <= kMaxPicturePixels)
    image = QImage(w, h, QImage::Format_RGB32);
  if (image.isNull()) {
    information(kNoMemory);
    return false;
  }
  image.fill(Qt::white);

  {
    // Laid out like the window, with the window's resolution and the picture's own font.
    TDrawArea area = LayoutWindow(w, h, Ppi(), DeviceFontHeight(image), graph_);
    area.MessedUp = true;
    area.PrintLegend = true;
    area.LegendPlace = LegendPlace();
    QPainter painter(&image);
    DrawPlot(painter, graph_, area);
  }
  update();
  // The resolution recorded in the file is the one asked for.
  const int dpm = static_cast<int>(std::lround(size.PixelsPerInch / 0.0254));
  image.setDotsPerMeterX(dpm);
  image.setDotsPerMeterY(dpm);

  // QSaveFile writes to a temporary file and renames it over the target on commit.
  QSaveFile file(name);
  const char* format = fi.suffix().toLower() == QLatin1String("png") ? "PNG" : "BMP";
  if (!file.open(QIODevice::WriteOnly) || !image.save(&file, format) || !file.commit()) {
    const QString why = file.errorString();
    file.cancelWriting();
    information(tr("The picture could not be saved to %1.\n%2")
                    .arg(QDir::toNativeSeparators(name), why));
    return false;
  }
  return true;
}

}  // namespace korva::results
