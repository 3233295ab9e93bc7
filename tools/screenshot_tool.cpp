// Makes the README's screenshots with the real editor window on an X server
// (run it under xvfb-run), showing a picture this tool draws itself:
// screenshot.png (filtered), screenshot-compare.png (Compare held, the source
// in view) and screenshot-menu.png (the Edit menu open).
// With --gallery it draws the filter gallery instead: filter-NN.jpg, every
// filter on that picture made as the window's gallery makes its previews, and
// the README's table of them on standard output (no X server needed).
// Usage: tintwell_screenshot OUTPUT_DIR
//        tintwell_screenshot --gallery OUTPUT_DIR
#include "AppController.h"
#include "AppDelegate.h"
#include "EditorActions.h"
#include "PassContext.h"
#include "Preview.h"
#include "TestDoubles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLinearGradient>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QScreen>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QtMath>

#include <cstdio>

namespace {

// A small landscape: sky, sun, three rows of hills and a lake.
QImage drawLandscape(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height * 0.6);
    sky.setColorAt(0, QColor(38, 84, 160));
    sky.setColorAt(1, QColor(250, 190, 120));
    p.fillRect(image.rect(), sky);

    QRadialGradient sun(width * 0.7, height * 0.32, height * 0.16);
    sun.setColorAt(0, QColor(255, 245, 200));
    sun.setColorAt(0.6, QColor(255, 210, 90));
    sun.setColorAt(1, QColor(255, 170, 60, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sun);
    p.drawEllipse(QPointF(width * 0.7, height * 0.32), height * 0.16, height * 0.16);

    const QColor hills[] = {QColor(110, 120, 150), QColor(70, 110, 80), QColor(40, 80, 50)};
    for (int row = 0; row < 3; ++row) {
        QPainterPath path(QPointF(0, height));
        const double base = height * (0.5 + 0.08 * row);
        for (int x = 0; x <= width; x += 4)
            path.lineTo(x, base - height * 0.07 * qSin(x * (0.011 + 0.004 * row) + row * 1.7)
                               - height * 0.03 * qSin(x * 0.037 + row));
        path.lineTo(width, height);
        p.setBrush(hills[row]);
        p.drawPath(path);
    }
    QLinearGradient lake(0, height * 0.78, 0, height);
    lake.setColorAt(0, QColor(60, 120, 170));
    lake.setColorAt(1, QColor(20, 50, 90));
    p.setBrush(lake);
    p.drawRect(QRectF(0, height * 0.78, width, height * 0.22));
    return image;
}

// The window as the X server shows it, and with `extra` (a popup) united in.
bool grab(QWidget *window, const QString &path, QWidget *extra = nullptr)
{
    QTest::qWait(400); // let the window repaint before it is read back
    QRect area = window->frameGeometry();
    if (extra != nullptr)
        area = area.united(extra->frameGeometry());
    const QPixmap shot = window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    return shot.save(path);
}

// Settings of the gallery: a value at which every filter shows its character.
constexpr qint64 galleryValue = 7;
// The box each gallery picture fits in, and the folder the README names.
constexpr QSize galleryBox(160, 160);
const char *const galleryFolder = "docs/gallery";

// Writes filter-00.jpg ... filter-24.jpg into `out` and prints the README's
// table: five filters a row, each picture over its number and name as the
// window's filter list has it.
bool drawGallery(const QDir &out)
{
    if (!out.mkpath(QStringLiteral(".")))
        return false;
    AppDelegate delegate(std::make_unique<ScriptedFileDialogs>(), std::make_unique<RecordingMessages>());
    const QComboBox *names = delegate.controller()->filter_selector;
    const QImage landscape = tintwell::toWorkingLayout(drawLandscape(640, 420));
    constexpr int columns = 5;
    QString table = QStringLiteral("|") + QStringLiteral("   |").repeated(columns) + QStringLiteral("\n|") +
                    QStringLiteral("---|").repeated(columns) + QStringLiteral("\n");
    for (int k = 0; k < tintwell::filterCount; ++k) {
        tintwell::PassSettings settings;
        settings.filter = k;
        settings.value = galleryValue;
        const QString file = QStringLiteral("filter-%1.jpg").arg(k, 2, 10, QLatin1Char('0'));
        const QImage picture = tintwell::renderPreview(landscape, settings, galleryBox);
        if (!picture.save(out.filePath(file), "jpg", 85))
            return false;
        const QString name = names->itemText(k);
        table += QStringLiteral("| ![%1](%2/%3)<br>%4&nbsp;%1 ").arg(name, QLatin1String(galleryFolder), file)
                     .arg(k);
        if (k % columns == columns - 1 || k == tintwell::filterCount - 1)
            table += QStringLiteral("|\n");
    }
    std::fputs(table.toUtf8().constData(), stdout);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Tintwell"));
    if (argc == 3 && qstrcmp(argv[1], "--gallery") == 0)
        return drawGallery(QDir(QString::fromLocal8Bit(argv[2]))) ? 0 : 1;
    if (argc != 2) {
        qWarning("usage: tintwell_screenshot OUTPUT_DIR | --gallery OUTPUT_DIR");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("landscape.png"));
    if (!drawLandscape(640, 420).save(picture))
        return 1;

    auto dialogs = std::make_unique<ScriptedFileDialogs>();
    dialogs->openAnswers << picture;
    AppDelegate delegate(std::move(dialogs), std::make_unique<RecordingMessages>());
    AppController *c = delegate.controller();
    QMainWindow *window = delegate.window();
    window->resize(1000, 580);
    window->move(0, 0);
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        return 1;

    c->filter_selector->setCurrentIndex(18);
    c->slider->setValue(-40);
    c->slider_red->setValue(20);
    c->slider_green->setValue(-10);
    c->slider_blue->setValue(35);
    c->reverse_box->setChecked(true);
    c->selectImage();
    if (!QTest::qWaitFor([c] { return !c->jobs().isBusy(); }, 60000))
        return 1;
    if (!grab(window, out.filePath(QStringLiteral("screenshot.png"))))
        return 1;

    QAbstractButton *compare = delegate.actions().compareButton;
    compare->setDown(true);
    c->showSource(true);
    const bool compared = grab(window, out.filePath(QStringLiteral("screenshot-compare.png")));
    c->showSource(false);
    compare->setDown(false);
    if (!compared)
        return 1;

    QMenu *edit = window->findChild<QMenu *>(QStringLiteral("menuEdit"));
    QAction *editTitle = edit->menuAction();
    window->menuBar()->setActiveAction(editTitle);
    QTest::qWait(300);
    const bool menuShot = edit->isVisible()
                          && grab(window, out.filePath(QStringLiteral("screenshot-menu.png")), edit);
    edit->close();
    return menuShot ? 0 : 1;
}
