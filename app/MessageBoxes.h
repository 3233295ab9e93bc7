// The error messages the editor shows, behind an interface so that tests can
// record them instead of blocking on a modal box.
#pragma once

#include <QString>

class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;

    // Tells the user that an action failed and why; returns once acknowledged.
    virtual void showError(const QString &text) = 0;
};
