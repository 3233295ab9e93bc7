// The modal file choosers the editor needs (open, save JPEG, export PNG),
// behind an interface so that tests can answer them without a real dialog.
#pragma once

#include <QString>

class FileDialogs
{
public:
    virtual ~FileDialogs() = default;

    // Asks for an existing picture file; an empty string when cancelled.
    virtual QString openImagePath() = 0;

    // Asks for the path to save a JPEG file to; an empty string when cancelled.
    virtual QString saveImagePath() = 0;

    // Asks for the path to export a PNG file to; an empty string when cancelled.
    virtual QString exportPngPath() = 0;
};
