#include "DialogPlaces.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString DialogPlaces::openFolder(const QString &picturePath) const
{
    if (!m_openFolder.isEmpty())
        return m_openFolder;
    return picturePath.isEmpty() ? QString() : QFileInfo(picturePath).absolutePath();
}

QString DialogPlaces::proposedSavePath(const QString &picturePath, const QString &suffix) const
{
    const QFileInfo picture(picturePath);
    QString folder = m_saveFolder;
    if (folder.isEmpty())
        folder = picturePath.isEmpty() ? QDir::homePath() : picture.absolutePath();
    const QString name =
        picturePath.isEmpty()
            ? QCoreApplication::translate("DialogPlaces", "picture", "file name of a picture without a file")
            : picture.completeBaseName();
    return QDir(folder).filePath(name + QStringLiteral("-tintwell.") + suffix);
}

void DialogPlaces::opened(const QString &path)
{
    m_openFolder = QFileInfo(path).absolutePath();
}

void DialogPlaces::saved(const QString &path)
{
    m_saveFolder = QFileInfo(path).absolutePath();
}
