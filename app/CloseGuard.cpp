#include "CloseGuard.h"

#include "AppController.h"

#include <QCloseEvent>

CloseGuard::CloseGuard(AppController &controller, QObject *parent)
    : QObject(parent), m_controller(controller)
{
}

// A refused close is ignored, so the window stays and the program goes on.
bool CloseGuard::eventFilter(QObject *, QEvent *event)
{
    if (event->type() != QEvent::Close)
        return false;
    // A save still running ends first: its file is complete and its outcome
    // (an error, or the result now saved) known before anything is asked.
    m_controller.jobs().finishWrites();
    if (m_controller.mayDropResult(tr("Save the filtered picture before closing?")))
        return false;
    event->ignore();
    return true;
}
