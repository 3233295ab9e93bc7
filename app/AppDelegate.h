// Builds the editor: the main window from its Designer form, the controller
// and the dialogs, with every control wired to the controller's actions.
#pragma once

#include "FileDialogs.h"
#include "MessageBoxes.h"

#include <QObject>

#include <memory>

class AppController;
class QMainWindow;

namespace Ui {
class MainWindow;
}

class AppDelegate : public QObject
{
    Q_OBJECT

public:
    // Null seams mean the real modal dialogs over the main window.
    explicit AppDelegate(std::unique_ptr<FileDialogs> dialogs = nullptr,
                         std::unique_ptr<MessageBoxes> messages = nullptr,
                         QObject *parent = nullptr);
    ~AppDelegate() override;

    QMainWindow *window() const { return m_window.get(); }
    AppController *controller() const { return m_controller.get(); }

private:
    void connectOutlets();
    void connectActions();
    void updateActions();

    std::unique_ptr<QMainWindow> m_window;
    std::unique_ptr<Ui::MainWindow> m_ui;
    std::unique_ptr<FileDialogs> m_dialogs;
    std::unique_ptr<MessageBoxes> m_messages;
    std::unique_ptr<AppController> m_controller;
};
