#include "History.h"

#include <QSet>

void History::reset(const EditorState &start)
{
    m_entries = {start};
    m_index = 0;
}

void History::replaceCurrent(const EditorState &state)
{
    m_entries[m_index] = state;
}

void History::push(const EditorState &state)
{
    m_entries.resize(m_index + 1);
    m_entries.append(state);
    m_index = m_entries.size() - 1;
    trim();
}

const EditorState &History::undo()
{
    Q_ASSERT(canUndo());
    --m_index;
    return m_entries.at(m_index);
}

const EditorState &History::redo()
{
    Q_ASSERT(canRedo());
    ++m_index;
    return m_entries.at(m_index);
}

// Entries that share one picture's pixels (same cacheKey) count it once.
qint64 History::bytes() const
{
    QSet<qint64> seen;
    qint64 total = 0;
    for (const EditorState &entry : m_entries) {
        if (entry.source.isNull() || seen.contains(entry.source.cacheKey()))
            continue;
        seen.insert(entry.source.cacheKey());
        total += entry.source.sizeInBytes();
    }
    return total;
}

void History::trim()
{
    while (m_index > 0 && bytes() > m_budget) {
        m_entries.removeFirst();
        --m_index;
    }
}
