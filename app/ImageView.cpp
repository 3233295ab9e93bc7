#include "ImageView.h"

#include "DisplayScaler.h"

#include <QPainter>
#include <QResizeEvent>

ImageView::ImageView(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(120, 90);
}

void ImageView::setImage(const QImage &image)
{
    m_image = image;
    updateDisplay();
}

QSize ImageView::sizeHint() const
{
    return {560, 420};
}

void ImageView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateDisplay();
}

void ImageView::setPlaceholderText(const QString &text)
{
    m_placeholder = text;
    update();
}

void ImageView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_display.isNull()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(contentsRect(), Qt::AlignCenter | Qt::TextWordWrap, m_placeholder);
        return;
    }
    const QSize shown = m_display.deviceIndependentSize().toSize();
    QRect target(QPoint(), shown);
    target.moveCenter(contentsRect().center());
    painter.drawImage(target, m_display);
}

// Fits the picture into the view in device pixels, keeping its aspect ratio and
// never enlarging it; a picture that already fits is drawn at its own size.
void ImageView::updateDisplay()
{
    if (m_image.isNull()) {
        m_display = QImage();
        update();
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize room = (QSizeF(contentsRect().size()) * ratio).toSize();
    QSize fitted = m_image.size();
    if (fitted.width() > room.width() || fitted.height() > room.height())
        fitted.scale(room.expandedTo(QSize(1, 1)), Qt::KeepAspectRatio);
    fitted = fitted.expandedTo(QSize(1, 1));
    m_display = tintwell::screenCopy(m_image, fitted);
    m_display.setDevicePixelRatio(ratio);
    update();
}
