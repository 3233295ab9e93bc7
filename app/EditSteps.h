// Undo steps of the editor: each step holds the editor's state before and
// after one change (a control, an open, a paste, "use result as source").
#pragma once

#include "ImagePath.h"
#include "Recipe.h"

#include <QImage>
#include <QString>
#include <QUndoCommand>

#include <functional>

class QAction;
class QUndoStack;

// Everything needed to put the editor back as it was: the source, the controls,
// and whether the view showed the source rendered with those controls or the
// source itself (right after "Use result as source").
struct EditorState {
    QImage source;                    // null: no source
    tintwell::PassSettings settings;
    bool rendered = false;
    Recipe recipe;
    QString name;                     // file name or "Pasted picture"; empty without source
    tintwell::PictureMetadata metadata; // of the source's file; empty for pasted pictures
};

// 512 MB of source pixels: about five 24-megapixel photos at 4 bytes a pixel,
// or a hundred and twenty 1-megapixel pictures.
constexpr qint64 DefaultUndoBudget = qint64(512) * 1024 * 1024;

// What a step changed; its name is the step's text ("Amount", "Open"...).
enum class StepKind { Filter, Amount, Red, Green, Blue, Negative, Reverse, Open, Paste, Adopt };

// The control whose setting differs between `from` and `to` (the first one,
// in the order of the window, when several do).
StepKind changedControl(const tintwell::PassSettings &from, const tintwell::PassSettings &to);

// One change, undone by putting `before` back and redone by putting `after`
// back through `restore`. Changes of the same slider merge into one step while
// they carry the same `run`: the caller starts a new run when a slider is
// pressed or let go, and on undo and redo, so one drag, or one series of key
// or wheel steps, is one step.
class EditStep : public QUndoCommand
{
public:
    using Restore = std::function<void(const EditorState &)>;

    EditStep(StepKind kind, EditorState before, EditorState after, int run, Restore restore);

    void undo() override { m_restore(m_before); }
    void redo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand *other) override;

    // The pictures this step keeps alive.
    const EditorState &before() const { return m_before; }
    const EditorState &after() const { return m_after; }
    // A copy whose first redo does nothing: the editor is already in its
    // `after` state.
    EditStep *replica() const;

private:
    StepKind m_kind;
    EditorState m_before;
    EditorState m_after;
    int m_run;
    Restore m_restore;
    bool m_skipRedo = false;
};

// Drops the oldest steps while the source pictures the steps keep (each
// picture counted once) take more than `budgetBytes`; all of them when even
// the newest step is over. Call right after a push: there is nothing to redo.
void trimSteps(QUndoStack &stack, qint64 budgetBytes);

// Keeps `undo` and `redo` enabled and their texts naming the step they would
// undo or redo ("&Undo Amount", "&Redo Open"); tool buttons keep the short
// "Undo" and "Redo".
void followSteps(const QUndoStack &stack, QAction *undo, QAction *redo);
