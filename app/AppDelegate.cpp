#include "AppDelegate.h"

#include "AppController.h"
#include "QtFileDialogs.h"
#include "QtMessageBoxes.h"
#include "ui_MainWindow.h"

#include <QMainWindow>

AppDelegate::AppDelegate(std::unique_ptr<FileDialogs> dialogs,
                         std::unique_ptr<MessageBoxes> messages, QObject *parent)
    : QObject(parent), m_window(std::make_unique<QMainWindow>()),
      m_ui(std::make_unique<Ui::MainWindow>())
{
    m_ui->setupUi(m_window.get());
    m_dialogs = dialogs ? std::move(dialogs) : std::make_unique<QtFileDialogs>(m_window.get());
    m_messages = messages ? std::move(messages) : std::make_unique<QtMessageBoxes>(m_window.get());
    m_controller = std::make_unique<AppController>(*m_dialogs, *m_messages);

    connectOutlets();
    connectActions();
    m_controller->awakeFromNib();
    updateActions();
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
    connect(m_ui->filter_selector, &QComboBox::currentIndexChanged, c, &AppController::changeFilter);
    connect(m_ui->check_box, &QCheckBox::stateChanged, c, &AppController::changePosition);
    connect(m_ui->reverse_box, &QCheckBox::stateChanged, c, &AppController::changePosition);

    connect(m_ui->actionOpen, &QAction::triggered, c, &AppController::selectImage);
    connect(m_ui->actionSave, &QAction::triggered, c, &AppController::saveImage);
    connect(m_ui->actionCopy, &QAction::triggered, c, &AppController::copyToClipboard);
    connect(m_ui->actionPaste, &QAction::triggered, c, &AppController::setPasteboardAsSource);
    connect(m_ui->actionAdopt, &QAction::triggered, c, &AppController::setAsSource);
    connect(m_ui->actionShare, &QAction::triggered, c, &AppController::shareTintwell);
    connect(m_ui->actionQuit, &QAction::triggered, m_window.get(), &QWidget::close);

    connect(c, &AppController::picturesChanged, this, &AppDelegate::updateActions);
}

// Actions that would do nothing in the current state are disabled. Paste stays
// enabled: asking the clipboard's owner on every change could stall the window.
void AppDelegate::updateActions()
{
    const bool hasSource = !m_controller->current_image.isNull();
    const bool hasResult = !m_ui->image_view->image().isNull();
    m_ui->actionSave->setEnabled(hasSource && hasResult);
    m_ui->actionCopy->setEnabled(hasResult);
    m_ui->actionAdopt->setEnabled(hasResult);
}
