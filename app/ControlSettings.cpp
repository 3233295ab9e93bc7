// Reading and writing the controls of a render.
#include "ControlSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSignalBlocker>
#include <QSlider>

namespace {

bool isTicked(const QCheckBox *box)
{
    return box->checkState() != Qt::Unchecked;
}

} // namespace

tintwell::PassSettings readControls(const Controls &c)
{
    tintwell::PassSettings s;
    s.filter = low32(c.filter->currentIndex());
    s.value = c.value->value();
    s.red = low32(c.red->value());
    s.green = low32(c.green->value());
    s.blue = low32(c.blue->value());
    s.negative = isTicked(c.negative);
    s.reverse = isTicked(c.reverse);
    return s;
}

void writeControls(const Controls &c, const tintwell::PassSettings &s)
{
    const QSignalBlocker blockers[] = {QSignalBlocker(c.filter), QSignalBlocker(c.value),
                                       QSignalBlocker(c.red),    QSignalBlocker(c.green),
                                       QSignalBlocker(c.blue),   QSignalBlocker(c.negative),
                                       QSignalBlocker(c.reverse)};
    c.filter->setCurrentIndex(s.filter);
    c.value->setValue(static_cast<int>(s.value));
    c.red->setValue(s.red);
    c.green->setValue(s.green);
    c.blue->setValue(s.blue);
    c.negative->setChecked(s.negative);
    c.reverse->setChecked(s.reverse);
}
