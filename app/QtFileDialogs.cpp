#include "QtFileDialogs.h"

#include "Formats.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeDatabase>
#include <QStringList>

namespace {

// Every format the readers handle, as the MIME database names its files: one
// filter for all of them first, then one a type, then any file (the readers
// decide by content, not by the suffix). The patterns come in lower and upper
// case, for dialogs that match names case-sensitively (photo.JPG). Built as
// name filters rather than with setMimeTypeFilters, which offers no filter
// for all supported pictures at once.
QStringList openFilters()
{
    const QMimeDatabase database;
    QStringList allPatterns;
    QStringList perType;
    for (const QString &name : tintwell::readableMimeTypes()) {
        const QMimeType type = database.mimeTypeForName(name);
        if (!type.isValid())
            continue;
        QStringList patterns;
        for (const QString &glob : type.globPatterns())
            patterns << glob << glob.toUpper();
        patterns.removeDuplicates();
        allPatterns << patterns;
        perType << QStringLiteral("%1 (%2)").arg(type.comment(), patterns.join(QLatin1Char(' ')));
    }
    allPatterns.removeDuplicates();
    const QString all = QtFileDialogs::tr("All supported pictures (%1)").arg(allPatterns.join(QLatin1Char(' ')));
    return QStringList{all} + perType + QStringList{QtFileDialogs::tr("All files (*)")};
}

QString runDialog(QFileDialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

// A save dialog that offers one file type, proposes `proposed` (folder and
// name) and adds the suffix to a bare name.
QString runSaveDialog(QWidget *parent, const QString &title, const QString &filter,
                      const QString &suffix, const QString &proposed)
{
    QFileDialog dialog(parent, title);
    const QFileInfo proposal(proposed);
    dialog.setDirectory(proposal.absolutePath());
    dialog.selectFile(proposal.fileName());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(suffix);
    return runDialog(dialog);
}

} // namespace

QString QtFileDialogs::openImagePath(const QString &startFolder)
{
    QFileDialog dialog(m_parent, tr("Open Picture"));
    if (!startFolder.isEmpty())
        dialog.setDirectory(startFolder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(openFilters());
    return runDialog(dialog);
}

QString QtFileDialogs::saveImagePath(const QString &proposedPath)
{
    return runSaveDialog(m_parent, tr("Save Picture as JPEG"), tr("JPEG images (*.jpg)"),
                         QStringLiteral("jpg"), proposedPath);
}

QString QtFileDialogs::exportPngPath(const QString &proposedPath)
{
    return runSaveDialog(m_parent, tr("Export Picture as PNG"), tr("PNG images (*.png)"),
                         QStringLiteral("png"), proposedPath);
}
