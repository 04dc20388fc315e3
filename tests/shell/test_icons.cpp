// The program's icons: every bundled icon draws at the tool bar's sizes, every tool bar button
// (the 3D view's seven included) shows its own drawn icon, and the windows show the program's.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <map>

#include "icon_set.h"
#include "main_form.h"

using korva::TMainForm;

namespace {

QImage Render(const QIcon& icon, int size) {
  return icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The share of the image's pixels that are drawn, and the number of colours they use.
struct Ink {
  double share = 0;
  int colours = 0;
};
Ink InkOf(const QImage& image) {
  QSet<QRgb> colours;
  int drawn = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y);
      if (qAlpha(p) == 0) continue;
      ++drawn;
      colours.insert(p);
    }
  return {image.isNull() ? 0.0 : double(drawn) / (image.width() * image.height()), int(colours.size())};
}

}  // namespace

class IconTest : public QObject {
  Q_OBJECT

 private slots:
  // Every SVG beside the resource file is bundled, and each one draws at 16 and 32 px: not
  // blank, not a flat block, at its full size.
  void bundledIconsDraw() {
    korva::AppIcon();  // registers the resources
    const QStringList source =
        QDir(QString(KORVA_SOURCE_DIR) + "/app/shell/icons").entryList({"*.svg"}, QDir::Files, QDir::Name);
    const QStringList bundled = QDir(":/icons").entryList({"*.svg"}, QDir::Files, QDir::Name);
    QCOMPARE(bundled, source);
    QVERIFY(bundled.size() >= 24);
    for (const QString& file : bundled) {
      const QByteArray name = file.chopped(4).toLatin1();
      const QIcon icon = korva::ToolIcon(name.constData());
      QVERIFY2(!icon.isNull(), name.constData());
      for (int size : {16, 32}) {
        const QImage image = Render(icon, size);
        QCOMPARE(image.size(), QSize(size, size));
        const Ink ink = InkOf(image);
        QVERIFY2(ink.share > 0.15 && ink.colours >= 3,
                 qPrintable(QString("%1 at %2 px: %3 drawn, %4 colours").arg(file).arg(size).arg(ink.share).arg(ink.colours)));
      }
    }
    QVERIFY(korva::ToolIcon("no-such-icon").isNull());
    QVERIFY(korva::ToolIcon("").isNull());
    QVERIFY(korva::ToolIcon(nullptr).isNull());
  }

  // Each tool bar button, the 3D view's open, shows the drawn icon meant for it (the same
  // picture at 16 and 32 px), no two buttons alike; the hints are the buttons' own.
  void toolBarButtonsShowTheirIcons() {
    const std::map<QString, const char*> expected{
        {"New File", "document-new"},
        {"Open File", "document-open"},
        {"Save File", "document-save"},
        {"Title", "title"},
        {"Drilled Shaft Properties", "shaft"},
        {"Soil Layer Data", "soil-layers"},
        {"Factor of Safety (ASD)", "safety-factor"},
        {"Run Data File", "run"},
        {"View Output", "view-output"},
        {"View Soil Profile", "soil-profile"},
        {"3D View", "view-3d"},
        {"Combined Plot (Ultimate)", "graph-ultimate"},
        {"Combined Plot (LRFD/ASD)", "graph-factored"},
        {"Load vs. Settlement", "graph-load-settlement"},
        {"t-z curves", "graph-tz"},
        {"Q-w curves", "graph-qw"},
        {"Panning", "view3d-pan"},
        {"Zooming", "view3d-zoom"},
        {"Rotating", "view3d-rotate"},
        {"Zoom Window", "view3d-zoom-window"},
        {"Zoom In", "view3d-zoom-in"},
        {"Zoom Out", "view3d-zoom-out"},
        {"Restart View", "view3d-restart"},
    };
    QTemporaryDir dir;
    const QString project = dir.filePath("example.kv8d");
    QVERIFY(QFile::copy(QString(KORVA_SOURCE_DIR) + "/examples/clay-over-sand.kv8d", project));
    TMainForm f;
    f.askYesNoCancel = [](const QString&) { return int(QMessageBox::No); };
    f.information = [](const QString&) {};
    f.OpenFileName(project, 1);
    f.show();
    auto* toolbar = f.findChild<QToolBar*>("Tools");
    QVERIFY(toolbar);
    QAction* view3d = nullptr;
    for (QAction* a : toolbar->actions())
      if (a->toolTip() == "3D View") view3d = a;
    QVERIFY(view3d);
    view3d->trigger();

    QStringList hints;
    QSet<QByteArray> pictures;
    for (QAction* a : toolbar->actions()) {
      if (a->isSeparator()) continue;
      hints << a->toolTip();
      const auto it = expected.find(a->toolTip());
      QVERIFY2(it != expected.end(), qPrintable("no icon meant for " + a->toolTip()));
      QVERIFY2(!a->icon().isNull(), qPrintable(a->toolTip()));
      const QIcon drawn = korva::ToolIcon(it->second);
      for (int size : {16, 32})
        QVERIFY2(Render(a->icon(), size) == Render(drawn, size), qPrintable(a->toolTip()));
      const QImage image = Render(a->icon(), 32);
      pictures.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    QCOMPARE(hints.size(), int(expected.size()));
    QCOMPARE(pictures.size(), hints.size());
    // The 3D view's buttons come last, in their order.
    QCOMPARE(hints.mid(hints.size() - 7), (QStringList{"Panning", "Zooming", "Rotating", "Zoom Window", "Zoom In",
                                                       "Zoom Out", "Restart View"}));
  }

  // The program's icon is every window's icon; the desktop entry is named.
  void applicationIcon() {
    korva::SetApplicationIcon();
    QVERIFY(!QApplication::windowIcon().isNull());
    QCOMPARE(QGuiApplication::desktopFileName(), QString("korva2017"));
    TMainForm f;
    for (int size : {16, 32, 48}) QVERIFY(Render(f.windowIcon(), size) == Render(korva::AppIcon(), size));
    QVERIFY(InkOf(Render(f.windowIcon(), 16)).share > 0.8);
  }
};

QTEST_MAIN(IconTest)
#include "test_icons.moc"
