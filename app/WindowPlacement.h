// The size of the editor window when it first shows: about two thirds of the
// screen, so that a picture is seen large from the start.
#pragma once

class QWidget;

// Resizes `window` to about two thirds of its screen's available area (never
// below what its layout needs, never beyond the area) and centres it there.
void placeFirstWindow(QWidget *window);
