// Builds the editor: window, actions, controller and dialogs, everything wired
// to the controller, and the actions enabled by the editor's state.
#pragma once

#include "EditorActions.h"
#include "FileDialogs.h"
#include "MessageBoxes.h"

#include <QObject>

#include <memory>

class AppController;
class DropOpener;
class FilterGallery;
class HoldKey;
class QLabel;
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
    const EditorActions &actions() const { return m_actions; }
    FilterGallery *gallery() const { return m_gallery; }

    // The About box text: version, what the program does, the undo budget, the
    // licence.
    static QString aboutText();

public slots:
    void about();

private:
    void connectOutlets();
    void connectActions();
    void updateActions();
    void showRenderTime(qint64 msecs);
    void showZoom();

    std::unique_ptr<QMainWindow> m_window;
    std::unique_ptr<Ui::MainWindow> m_ui;
    std::unique_ptr<FileDialogs> m_dialogs;
    std::unique_ptr<MessageBoxes> m_messages;
    std::unique_ptr<AppController> m_controller;
    EditorActions m_actions;
    QLabel *m_renderTime = nullptr;
    QLabel *m_zoomLevel = nullptr;   // the view's scale, "Fitted: 25%"
    DropOpener *m_drops = nullptr;
    HoldKey *m_compareKey = nullptr;
    FilterGallery *m_gallery = nullptr;
};
