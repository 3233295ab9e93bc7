// Lets pictures be dropped on the editor: a file goes through the open
// action's path, image data through the paste action's path.
#pragma once

#include <QObject>
#include <QString>

class AppController;
class QMimeData;
class QWidget;

class DropOpener : public QObject
{
    Q_OBJECT

public:
    explicit DropOpener(AppController &controller, QObject *parent = nullptr);

    // Makes `widget` accept drops and handles them.
    void watch(QWidget *widget);

    // The first local file among the dropped URLs; empty when there is none.
    static QString droppedFile(const QMimeData *data);
    // Whether a drop of `data` would be taken: a local file or image data.
    static bool accepts(const QMimeData *data);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    AppController &m_controller;
};
