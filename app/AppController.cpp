#include "AppController.h"

#include "FileDialogs.h"
#include "ImageView.h"
#include "MessageBoxes.h"
#include "ShareLink.h"

#include "PassContext.h"
#include "ImagePath.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QSlider>

namespace {

// Control values are 64-bit; the pass context and the labels take their low
// 32 bits as a signed integer.
qint32 low32(qint64 value)
{
    return static_cast<qint32>(static_cast<quint32>(static_cast<quint64>(value)));
}

QString labelText(qint64 value)
{
    return QString::asprintf("%d", low32(value));
}

// A partially checked box counts as ticked: only "unchecked" is off.
bool isTicked(const QCheckBox *box)
{
    return box->checkState() != Qt::Unchecked;
}

} // namespace

AppController::AppController(FileDialogs &dialogs, MessageBoxes &messages, QObject *parent)
    : QObject(parent), m_dialogs(dialogs), m_messages(messages)
{
}

void AppController::awakeFromNib()
{
    current_image = QImage();
    emit picturesChanged();
}

// The render cycle: nothing happens without a source picture. The main label
// is written after the picture so it always names the value that made it.
void AppController::changePosition()
{
    if (current_image.isNull())
        return;
    const qint64 value = slider->value();
    tintwell::current_filter = low32(filter_selector->currentIndex());
    const QImage result = applyFilter(value);
    if (result.isNull())
        return; // no working copy could be made: keep what is shown
    showResult(result);
    slider_pos->setText(labelText(value));
}

QImage AppController::applyFilter(qint64 value)
{
    // A copy of our own: the pass writes into it, never into current_image.
    QImage working = tintwell::toWorkingLayout(current_image);
    if (!working.isDetached())
        working = working.copy();
    if (working.isNull())
        return {};
    const qint32 red = low32(slider_red->value());
    const qint32 green = low32(slider_green->value());
    const qint32 blue = low32(slider_blue->value());
    const bool negative = isTicked(check_box);
    const bool reverse = isTicked(reverse_box);
    tintwell::runPass(working, value, red, green, blue, negative, reverse);
    return working;
}

void AppController::changeSlider()
{
    slider_red_pos->setText(labelText(slider_red->value()));
    slider_green_pos->setText(labelText(slider_green->value()));
    slider_blue_pos->setText(labelText(slider_blue->value()));
    changePosition();
}

void AppController::changeFilter()
{
    changePosition();
}

// A file that cannot be read leaves the source and the shown picture alone and
// says why.
void AppController::selectImage()
{
    const QString path = m_dialogs.openImagePath();
    if (path.isEmpty())
        return;
    const tintwell::LoadResult loaded = tintwell::loadImage(path);
    if (loaded.image.isNull()) {
        m_messages.showError(tr("Cannot open %1: %2").arg(QDir::toNativeSeparators(path), loaded.error));
        return;
    }
    image_view->setImage(loaded.image);
    current_image = loaded.image;
    emit picturesChanged();
    changePosition();
}

// Writes the shown (filtered) picture, not the source, as JPEG at quality 100.
// The write goes through a temporary file, so a failure keeps any old file.
void AppController::saveImage()
{
    if (current_image.isNull())
        return;
    const QString path = m_dialogs.saveImagePath();
    if (path.isEmpty())
        return;
    const QImage shown = image_view->image();
    if (shown.isNull())
        return;
    const QString error = tintwell::saveImage(shown, path, QByteArrayLiteral("jpg"));
    if (!error.isEmpty())
        m_messages.showError(tr("Cannot save %1: %2").arg(QDir::toNativeSeparators(path), error));
}

void AppController::copyToClipboard()
{
    const QImage shown = image_view->image();
    if (shown.isNull())
        return;
    QGuiApplication::clipboard()->setImage(shown);
}

// The shown picture becomes the source without a render, so the next change of
// a control filters the filtered picture again.
void AppController::setAsSource()
{
    current_image = image_view->image();
    emit picturesChanged();
}

void AppController::setPasteboardAsSource()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr || !data->hasImage())
        return;
    const QImage pasted = qvariant_cast<QImage>(data->imageData());
    if (pasted.isNull())
        return;
    current_image = tintwell::toWorkingLayout(pasted);
    emit picturesChanged();
    changePosition();
}

void AppController::shareTintwell()
{
    QDesktopServices::openUrl(shareUrl());
}

void AppController::showResult(const QImage &image)
{
    image_view->setImage(image);
    emit picturesChanged();
}
