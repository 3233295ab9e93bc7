// The editor window's title: the picture's name and size, then the program.
#pragma once

#include <QSize>
#include <QString>

// "photo.jpg (6000 × 4000) — Tintwell"; just "Tintwell" when `name` is empty.
QString windowTitleFor(const QString &name, const QSize &size);
