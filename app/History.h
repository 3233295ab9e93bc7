// Undo and redo of source-picture changes: each entry is a source picture with
// the control settings and recipe in force while it was the source. Widget-free.
#pragma once

#include "ImagePath.h"
#include "Recipe.h"

#include <QImage>
#include <QList>
#include <QString>

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

class History
{
public:
    // 512 MB of pixel data: about five 24-megapixel photos at 4 bytes a pixel,
    // or a hundred and twenty 1-megapixel pictures.
    static constexpr qint64 DefaultBudget = qint64(512) * 1024 * 1024;

    explicit History(qint64 budgetBytes = DefaultBudget) : m_budget(budgetBytes) {}

    // Forgets everything; `start` becomes the only entry.
    void reset(const EditorState &start);

    // Updates the current entry with the state being left (its settings may
    // have changed since it was pushed).
    void replaceCurrent(const EditorState &state);

    // Drops every redo entry, appends `state` as the current entry and then
    // drops the oldest entries while the pixel data is over the budget. The
    // current entry is always kept.
    void push(const EditorState &state);

    bool canUndo() const { return m_index > 0; }
    bool canRedo() const { return m_index + 1 < m_entries.size(); }

    // Step back or forward; return the entry that is now current. Only call
    // when canUndo() / canRedo().
    const EditorState &undo();
    const EditorState &redo();

    const EditorState &current() const { return m_entries.at(m_index); }
    qsizetype size() const { return m_entries.size(); }
    qsizetype index() const { return m_index; }
    qint64 budget() const { return m_budget; }
    // Pixel bytes held by all entries, each picture counted once.
    qint64 bytes() const;

private:
    void trim();

    qint64 m_budget;
    QList<EditorState> m_entries{EditorState{}};
    qsizetype m_index = 0;
};
