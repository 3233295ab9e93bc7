// The messages the editor shows (errors, About), behind an interface so that
// tests can record them instead of blocking on a modal box.
#pragma once

#include <QString>

class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;

    // Tells the user that an action failed and why; returns once acknowledged.
    virtual void showError(const QString &text) = 0;

    // Shows the program's About box (rich text); returns once closed.
    virtual void showAbout(const QString &text) = 0;
};
