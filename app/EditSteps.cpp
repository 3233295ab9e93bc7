#include "EditSteps.h"

#include <QAction>
#include <QCoreApplication>
#include <QList>
#include <QSet>
#include <QUndoStack>

#include <utility>

namespace {

// The texts' translation context (a class, so that lupdate finds them).
struct EditSteps {
    Q_DECLARE_TR_FUNCTIONS(EditSteps)
};

// The step's text: the control's label in the window, or the action's name.
QString stepName(StepKind kind)
{
    switch (kind) {
    case StepKind::Filter: return EditSteps::tr("Filter");
    case StepKind::Amount: return EditSteps::tr("Amount");
    case StepKind::Red: return EditSteps::tr("Red");
    case StepKind::Green: return EditSteps::tr("Green");
    case StepKind::Blue: return EditSteps::tr("Blue");
    case StepKind::Negative: return EditSteps::tr("Negative");
    case StepKind::Reverse: return EditSteps::tr("Swap Red and Blue");
    case StepKind::Open: return EditSteps::tr("Open");
    case StepKind::Paste: return EditSteps::tr("Paste");
    case StepKind::Adopt: return EditSteps::tr("Use Result as Source");
    }
    return {};
}

} // namespace

StepKind changedControl(const tintwell::PassSettings &from, const tintwell::PassSettings &to)
{
    if (from.filter != to.filter)
        return StepKind::Filter;
    if (from.value != to.value)
        return StepKind::Amount;
    if (from.red != to.red)
        return StepKind::Red;
    if (from.green != to.green)
        return StepKind::Green;
    if (from.blue != to.blue)
        return StepKind::Blue;
    if (from.negative != to.negative)
        return StepKind::Negative;
    return StepKind::Reverse;
}

EditStep::EditStep(StepKind kind, EditorState before, EditorState after, int run, Restore restore)
    : QUndoCommand(stepName(kind)), m_kind(kind), m_before(std::move(before)), m_after(std::move(after)),
      m_run(run), m_restore(std::move(restore))
{
}

void EditStep::redo()
{
    if (std::exchange(m_skipRedo, false))
        return;
    m_restore(m_after);
}

// Only the sliders merge: each filter choice and each box is a step of its own.
int EditStep::id() const
{
    switch (m_kind) {
    case StepKind::Amount:
    case StepKind::Red:
    case StepKind::Green:
    case StepKind::Blue:
        return int(m_kind);
    default:
        return -1;
    }
}

// A drag that ends where it began changed nothing and leaves no step.
bool EditStep::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const EditStep *>(other);
    if (next->id() != id() || next->m_run != m_run)
        return false;
    m_after = next->m_after;
    setObsolete(m_before.settings == m_after.settings);
    return true;
}

EditStep *EditStep::replica() const
{
    auto *copy = new EditStep(m_kind, m_before, m_after, m_run, m_restore);
    copy->m_skipRedo = true;
    return copy;
}

// QUndoStack can only drop all of its steps, so the newest ones that fit are
// copied, the stack cleared and the copies pushed back without running them.
void trimSteps(QUndoStack &stack, qint64 budgetBytes)
{
    Q_ASSERT(stack.index() == stack.count());
    QSet<qint64> seen;
    qint64 held = 0;
    int first = 0; // the oldest step kept
    for (int i = stack.count() - 1; i >= 0 && first == 0; --i) {
        const auto *step = static_cast<const EditStep *>(stack.command(i));
        for (const QImage &picture : {step->before().source, step->after().source}) {
            if (picture.isNull() || seen.contains(picture.cacheKey()))
                continue;
            seen.insert(picture.cacheKey());
            held += picture.sizeInBytes();
        }
        if (held > budgetBytes)
            first = i + 1;
    }
    if (first == 0)
        return;
    QList<EditStep *> kept;
    for (int i = first; i < stack.count(); ++i)
        kept.append(static_cast<const EditStep *>(stack.command(i))->replica());
    stack.clear();
    for (EditStep *step : kept)
        stack.push(step);
}

void followSteps(const QUndoStack &stack, QAction *undo, QAction *redo)
{
    undo->setIconText(EditSteps::tr("Undo"));
    redo->setIconText(EditSteps::tr("Redo"));
    const auto update = [&stack, undo, redo] {
        undo->setEnabled(stack.canUndo());
        undo->setText(stack.canUndo() ? EditSteps::tr("&Undo %1").arg(stack.undoText()) : EditSteps::tr("&Undo"));
        undo->setToolTip(stack.canUndo() ? EditSteps::tr("Undo %1").arg(stack.undoText()) : EditSteps::tr("Nothing to undo"));
        undo->setStatusTip(undo->toolTip());
        redo->setEnabled(stack.canRedo());
        redo->setText(stack.canRedo() ? EditSteps::tr("&Redo %1").arg(stack.redoText()) : EditSteps::tr("&Redo"));
        redo->setToolTip(stack.canRedo() ? EditSteps::tr("Redo %1").arg(stack.redoText()) : EditSteps::tr("Nothing to redo"));
        redo->setStatusTip(redo->toolTip());
    };
    QObject::connect(&stack, &QUndoStack::indexChanged, undo, update);
    QObject::connect(&stack, &QUndoStack::undoTextChanged, undo, update);
    QObject::connect(&stack, &QUndoStack::redoTextChanged, undo, update);
    update();
}
