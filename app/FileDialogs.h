// The modal file choosers the editor needs (open, save JPEG, export PNG),
// behind an interface so that tests can answer them without a real dialog.
#pragma once

#include <QString>

class FileDialogs
{
public:
    virtual ~FileDialogs() = default;

    // Asks for an existing picture file, starting in `startFolder` (empty: the
    // dialog's default); an empty string when cancelled.
    virtual QString openImagePath(const QString &startFolder) = 0;

    // Asks for the path to save a JPEG file to, proposing `proposedPath`; an
    // empty string when cancelled.
    virtual QString saveImagePath(const QString &proposedPath) = 0;

    // Asks for the path to export a PNG file to, proposing `proposedPath`; an
    // empty string when cancelled.
    virtual QString exportPngPath(const QString &proposedPath) = 0;
};
