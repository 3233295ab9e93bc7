// The messages the editor shows (errors, About, the question before an unsaved
// result is dropped), behind an interface so that tests can answer them
// instead of blocking on a modal box.
#pragma once

#include <QString>

class MessageBoxes
{
public:
    enum class UnsavedChoice { Save, Discard, Cancel };

    virtual ~MessageBoxes() = default;

    // Tells the user that an action failed and why; returns once acknowledged.
    virtual void showError(const QString &text) = 0;

    // Shows the program's About box (rich text); returns once closed.
    virtual void showAbout(const QString &text) = 0;

    // Asks what to do with a result that was not saved before it is dropped;
    // `question` names what is about to happen ("... before closing?").
    virtual UnsavedChoice askToSave(const QString &question) = 0;
};
