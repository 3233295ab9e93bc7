// Where the file dialogs start, kept for the session in memory only: each kind
// of dialog starts where the last one of its kind ended, and Save proposes
// "<picture name>-tintwell.<suffix>".
#pragma once

#include <QString>

class DialogPlaces
{
public:
    // The folder the open dialog starts in: where the last open dialog ended,
    // else the folder of `picturePath` (the file behind the shown picture,
    // empty for none), else empty for the dialog's own default.
    QString openFolder(const QString &picturePath) const;

    // The path the save and export dialogs propose for the result of
    // `picturePath`: "<name>-tintwell.<suffix>" in the folder where the last
    // save or export ended, else in the picture's folder, else in the home
    // folder ("picture-tintwell.<suffix>" without a file).
    QString proposedSavePath(const QString &picturePath, const QString &suffix) const;

    // The file an open dialog ended with.
    void opened(const QString &path);
    // The file a save or export dialog ended with.
    void saved(const QString &path);

private:
    QString m_openFolder;
    QString m_saveFolder;
};
