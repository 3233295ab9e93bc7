#include "DropOpener.h"

#include "AppController.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

DropOpener::DropOpener(AppController &controller, QObject *parent)
    : QObject(parent), m_controller(controller)
{
}

void DropOpener::watch(QWidget *widget)
{
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
}

QString DropOpener::droppedFile(const QMimeData *data)
{
    if (data == nullptr || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls)
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

bool DropOpener::accepts(const QMimeData *data)
{
    return data != nullptr && (!droppedFile(data).isEmpty() || data->hasImage());
}

// A file wins over image data: browsers and file managers often offer both,
// and only the file gives a command that repeats the result.
bool DropOpener::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (accepts(drag->mimeData()))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QString file = droppedFile(drop->mimeData());
        // A file is decoded in the background: the drop is taken at once.
        bool taken = !file.isEmpty();
        if (taken)
            m_controller.openInBackground(file);
        else
            taken = m_controller.takePicture(drop->mimeData(), tr("Dropped picture"));
        if (taken)
            drop->acceptProposedAction();
        else
            drop->ignore();
        return true;
    }
    default:
        return false;
    }
}
