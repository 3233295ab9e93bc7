#include "AppDelegate.h"

#include "AppController.h"
#include "CloseGuard.h"
#include "DropOpener.h"
#include "EditSteps.h"
#include "FilterGallery.h"
#include "HoldKey.h"
#include "ImageView.h"
#include "QtFileDialogs.h"
#include "QtMessageBoxes.h"
#include "WindowPlacement.h"
#include "WindowTitle.h"
#include "ui_MainWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include <cmath>

AppDelegate::AppDelegate(std::unique_ptr<FileDialogs> dialogs,
                         std::unique_ptr<MessageBoxes> messages, QObject *parent)
    : QObject(parent), m_window(std::make_unique<QMainWindow>()),
      m_ui(std::make_unique<Ui::MainWindow>())
{
    m_ui->setupUi(m_window.get());
    m_ui->image_view->setPlaceholderText(tr("Open a picture or drop one here"));
    m_actions = createActions(m_window.get());
    QAction *showGallery = m_ui->gallery_dock->toggleViewAction();
    showGallery->setText(tr("Filter &Gallery"));
    showGallery->setStatusTip(tr("Show or hide the previews of every filter"));
    m_window->findChild<QMenu *>(QStringLiteral("menuView"))->addAction(showGallery); // made by createActions
    m_gallery = new FilterGallery(m_ui->filter_gallery, m_ui->filter_selector, this);
    m_renderTime = new QLabel(m_window.get());
    m_renderTime->setObjectName(QStringLiteral("renderTime"));
    m_window->statusBar()->addPermanentWidget(m_renderTime);
    m_zoomLevel = new QLabel(m_window.get());
    m_zoomLevel->setObjectName(QStringLiteral("zoomLevel"));
    m_window->statusBar()->addPermanentWidget(m_zoomLevel);

    m_dialogs = dialogs ? std::move(dialogs) : std::make_unique<QtFileDialogs>(m_window.get());
    m_messages = messages ? std::move(messages) : std::make_unique<QtMessageBoxes>(m_window.get());
    m_controller = std::make_unique<AppController>(*m_dialogs, *m_messages);

    connectOutlets();
    connectActions();
    m_controller->awakeFromNib();
    updateActions();
    placeFirstWindow(m_window.get());
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::connectOutlets()
{
    AppController &c = *m_controller;
    c.image_view = m_ui->image_view;
    c.slider = m_ui->slider;
    c.slider_red = m_ui->slider_red;
    c.slider_green = m_ui->slider_green;
    c.slider_blue = m_ui->slider_blue;
    c.slider_pos = m_ui->slider_pos;
    c.slider_red_pos = m_ui->slider_red_pos;
    c.slider_green_pos = m_ui->slider_green_pos;
    c.slider_blue_pos = m_ui->slider_blue_pos;
    c.filter_selector = m_ui->filter_selector;
    c.check_box = m_ui->check_box;
    c.reverse_box = m_ui->reverse_box;
}

// Every control and action is connected here, in one place.
void AppDelegate::connectActions()
{
    AppController *c = m_controller.get();
    connect(m_ui->slider, &QSlider::valueChanged, c, &AppController::changePosition);
    for (QSlider *colour : {m_ui->slider_red, m_ui->slider_green, m_ui->slider_blue})
        connect(colour, &QSlider::valueChanged, c, &AppController::changeSlider);
    for (QSlider *each : {m_ui->slider, m_ui->slider_red, m_ui->slider_green, m_ui->slider_blue}) {
        connect(each, &QSlider::sliderPressed, c, &AppController::separateSteps);
        connect(each, &QSlider::sliderReleased, c, &AppController::separateSteps);
    }
    connect(m_ui->filter_selector, &QComboBox::currentIndexChanged, c, &AppController::changeFilter);
    connect(m_ui->check_box, &QCheckBox::stateChanged, c, &AppController::changePosition);
    connect(m_ui->reverse_box, &QCheckBox::stateChanged, c, &AppController::changePosition);

    const EditorActions &a = m_actions;
    connect(a.open, &QAction::triggered, c, &AppController::selectImage);
    connect(a.save, &QAction::triggered, c, &AppController::saveImage);
    connect(a.exportPng, &QAction::triggered, c, &AppController::exportPng);
    connect(a.quit, &QAction::triggered, m_window.get(), &QWidget::close);
    connect(a.undo, &QAction::triggered, c, &AppController::undo);
    connect(a.redo, &QAction::triggered, c, &AppController::redo);
    followSteps(c->steps(), a.undo, a.redo);
    connect(a.copy, &QAction::triggered, c, &AppController::copyToClipboard);
    connect(a.copyCommand, &QAction::triggered, c, &AppController::copyAsCommand);
    connect(a.paste, &QAction::triggered, c, &AppController::setPasteboardAsSource);
    connect(a.adopt, &QAction::triggered, c, &AppController::setAsSource);
    ImageView *view = m_ui->image_view;
    connect(a.zoomIn, &QAction::triggered, view, &ImageView::zoomIn);
    connect(a.zoomOut, &QAction::triggered, view, &ImageView::zoomOut);
    connect(a.actualSize, &QAction::triggered, view, &ImageView::zoomToActualSize);
    connect(a.fitToWindow, &QAction::triggered, view, &ImageView::fitToWindow);
    connect(view, &ImageView::zoomChanged, this, &AppDelegate::showZoom);
    connect(a.share, &QAction::triggered, c, &AppController::shareTintwell);
    connect(a.about, &QAction::triggered, this, &AppDelegate::about);

    // Compare shows the source while the button or the \ key is held.
    if (a.compareButton != nullptr) {
        connect(a.compareButton, &QAbstractButton::pressed, c, [c] { c->showSource(true); });
        connect(a.compareButton, &QAbstractButton::released, c, [c] { c->showSource(false); });
    }
    m_compareKey = new HoldKey(Qt::Key_Backslash, m_window.get(), this);
    connect(m_compareKey, &HoldKey::held, c, &AppController::showSource);

    m_window->installEventFilter(new CloseGuard(*c, this));

    m_drops = new DropOpener(*c, this);
    m_drops->watch(m_window.get());
    m_drops->watch(m_ui->image_view);

    connect(c, &AppController::picturesChanged, this, &AppDelegate::updateActions);
    connect(c, &AppController::rendered, this, &AppDelegate::showRenderTime);
    connect(&c->jobs(), &BackgroundJobs::status, m_window->statusBar(), &QStatusBar::showMessage);
    connect(c, &AppController::picturesChanged, m_gallery,
            [this, c] { m_gallery->showPicture(c->current_image, c->currentSettings()); });
}

// Actions that would do nothing in the current state are disabled. Paste stays
// enabled: asking the clipboard's owner on every change could stall the window.
void AppDelegate::updateActions()
{
    const AppController &c = *m_controller;
    const bool hasSource = !c.current_image.isNull();
    const bool hasResult = !c.displayedImage().isNull();
    const EditorActions &a = m_actions;
    a.save->setEnabled(hasSource && hasResult);
    a.exportPng->setEnabled(hasSource && hasResult);
    a.copy->setEnabled(hasResult);
    a.adopt->setEnabled(hasResult);
    a.compare->setEnabled(hasSource);
    for (QAction *zoom : {a.zoomIn, a.zoomOut, a.actualSize, a.fitToWindow})
        zoom->setEnabled(hasResult);

    const bool commandReady = !c.resultCommand().isEmpty();
    a.copyCommand->setEnabled(commandReady);
    if (commandReady)
        a.copyCommand->setToolTip(tr("Copy the tintwell-cli command that makes this picture from the opened file"));
    else if (hasSource && !c.recipe().hasFile())
        a.copyCommand->setToolTip(tr("Not available: this picture came from the clipboard or a drop, "
                                     "so there is no file for the command to read"));
    else
        a.copyCommand->setToolTip(tr("Not available: open a picture file first"));
    a.copyCommand->setStatusTip(a.copyCommand->toolTip());

    m_window->setWindowTitle(windowTitleFor(c.pictureName(), c.current_image.size()));
    if (!hasSource)
        m_renderTime->clear();
}

void AppDelegate::showZoom()
{
    const ImageView *view = m_ui->image_view;
    const QString percent = QString::number(std::lround(view->scale() * 100));
    if (view->image().isNull())
        m_zoomLevel->clear();
    else if (view->isFitted())
        m_zoomLevel->setText(tr("Fitted: %1%").arg(percent));
    else
        m_zoomLevel->setText(tr("%1%").arg(percent));
}

void AppDelegate::showRenderTime(qint64 msecs)
{
    m_renderTime->setText(tr("Rendered in %1 ms").arg(msecs));
}

QString AppDelegate::aboutText()
{
    const qint64 budgetMb = DefaultUndoBudget / (1024 * 1024);
    return tr("<h3>Tintwell %1</h3>"
              "<p>Per-pixel colour filters for your pictures: twenty-five filter formulas, "
              "colour offsets, negative and red–blue swap, re-rendered on every change.</p>"
              "<p>Undo keeps up to %2 MB of source pictures; the oldest steps are "
              "dropped first when it is full.</p>"
              "<p>The same filters run from the command line with <code>tintwell-cli</code>.</p>"
              "<p>Copyright © The Tintwell developers. Tintwell is free software under the "
              "MIT licence: use, change and share it freely; it comes without any warranty.</p>")
        .arg(QStringLiteral(TINTWELL_VERSION), QString::number(budgetMb));
}

void AppDelegate::about()
{
    m_messages->showAbout(aboutText());
}
