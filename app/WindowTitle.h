// The editor window's title: the picture's name and size, then the program;
// and a picture's name as a sentence writes it.
#pragma once

#include <QSize>
#include <QString>

// "photo.jpg (6000 × 4000) — Tintwell"; just "Tintwell" when `name` is empty.
QString windowTitleFor(const QString &name, const QSize &size);

// A name like "Pasted picture" as it stands inside a sentence ("cannot take
// the pasted picture"): lower case in English, as it is in languages whose
// translation says so (German keeps its capitals).
QString nameInSentence(const QString &name);
