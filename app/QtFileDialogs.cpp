#include "QtFileDialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QStringList>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("QtFileDialogs", text);
}

// "JPEG and PNG" first, then every other format the image reader knows, then
// any file: the reader decides by content, not by the suffix.
QStringList openFilters()
{
    QStringList patterns;
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    for (const QByteArray &format : formats)
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    return {tr("JPEG and PNG images (*.jpg *.png)"),
            tr("All supported images (%1)").arg(patterns.join(QLatin1Char(' '))),
            tr("All files (*)")};
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
