// The editor's controls read and written as one set of pass settings.
#pragma once

#include "ImagePath.h"

class QCheckBox;
class QComboBox;
class QSlider;

// Control values are 64-bit; the pass context and the labels take their low
// 32 bits as a signed integer.
inline qint32 low32(qint64 value)
{
    return static_cast<qint32>(static_cast<quint32>(static_cast<quint64>(value)));
}

// The controls a render reads, in the order the settings list them.
struct Controls {
    QComboBox *filter;
    QSlider *value;
    QSlider *red;
    QSlider *green;
    QSlider *blue;
    QCheckBox *negative;
    QCheckBox *reverse;
};

// The settings a render would read from the controls now. A partially checked
// box counts as ticked: only "unchecked" is off.
tintwell::PassSettings readControls(const Controls &controls);

// Puts `settings` back into the controls without any of them signalling, so
// that restoring a step runs no render per control.
void writeControls(const Controls &controls, const tintwell::PassSettings &settings);
