#include "ImageView.h"

#include "DisplayScaler.h"
#include "Preview.h"

#include <QGestureEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPinchGesture>
#include <QResizeEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// The steps of the zoom keys: 100%, its simple fractions and multiples.
constexpr double Steps[] = {1.0 / 32, 1.0 / 24, 1.0 / 16, 1.0 / 12, 1.0 / 8, 1.0 / 6, 1.0 / 4,
                            1.0 / 3,  1.0 / 2,  2.0 / 3,  1,        1.5,      2,        3,
                            4,        6,        8,        12,       16,       24,       32};

// Two scales closer than this are one step.
constexpr double Tolerance = 1.001;

} // namespace

ImageView::ImageView(QWidget *parent) : QAbstractScrollArea(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(120, 90);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::ClickFocus); // arrow keys scroll after a click; not a tab stop
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
    viewport()->grabGesture(Qt::PinchGesture);
}

void ImageView::setImage(const QImage &image)
{
    const bool rerender = !image.isNull() && image.size() == m_image.size();
    m_image = image;
    if (!rerender) {
        m_fit = true;
        layoutContent();
        emit zoomChanged();
    }
    invalidate();
}

QSize ImageView::sizeHint() const
{
    return {560, 420};
}

void ImageView::setPlaceholderText(const QString &text)
{
    m_placeholder = text;
    viewport()->update();
}

// The picture fitted into the viewport in device pixels, keeping its aspect
// ratio and never enlarged.
QSize ImageView::fittedSize() const
{
    const QSize room = (QSizeF(viewport()->size()) * devicePixelRatioF()).toSize();
    return tintwell::previewSize(m_image.size(), room.expandedTo(QSize(1, 1))).expandedTo(QSize(1, 1));
}

double ImageView::fittedScale() const
{
    return m_image.isNull() ? 1.0 : double(fittedSize().width()) / m_image.width();
}

double ImageView::scale() const
{
    return m_fit ? fittedScale() : m_scale;
}

// The whole picture at the current scale, in device pixels.
QSize ImageView::contentSize() const
{
    if (m_image.isNull())
        return {};
    if (m_fit)
        return fittedSize();
    return {int(std::lround(m_image.width() * m_scale)), int(std::lround(m_image.height() * m_scale))};
}

// Where the picture's top-left corner lies in a viewport of `view` (logical)
// pixels, in device pixels: centred along a side it does not fill, else
// scrolled.
QPoint ImageView::origin(QSize view) const
{
    const qreal ratio = devicePixelRatioF();
    const QSize content = contentSize();
    const QSize room = (QSizeF(view) * ratio).toSize();
    const auto along = [ratio](int content, int room, const QScrollBar *bar) {
        return content <= room ? (room - content) / 2 : -int(std::lround(bar->value() * ratio));
    };
    return {along(content.width(), room.width(), horizontalScrollBar()),
            along(content.height(), room.height(), verticalScrollBar())};
}

// The picture point (in picture pixels) under `at` (viewport coordinates).
// A fitted picture counts as centred, so the keys zoom about its centre
// exactly.
QPointF ImageView::pictureAt(QPointF at) const
{
    const qreal ratio = devicePixelRatioF();
    if (m_fit) {
        const QPointF centre = QRectF(viewport()->rect()).center();
        return QPointF(m_image.width() / 2.0, m_image.height() / 2.0) + (at - centre) * ratio / fittedScale();
    }
    return (at * ratio - QPointF(origin(viewport()->size()))) / m_scale;
}

// Scrolls so that `point` of the picture lies under `at` (viewport
// coordinates), as far as the scroll bars reach.
void ImageView::placeAt(QPointF point, QPointF at)
{
    const qreal ratio = devicePixelRatioF();
    const QPointF scrolled = (point * scale() - at * ratio) / ratio;
    horizontalScrollBar()->setValue(int(std::lround(scrolled.x())));
    verticalScrollBar()->setValue(int(std::lround(scrolled.y())));
}

// Scroll ranges and the hand cursor for the current scale and viewport.
void ImageView::layoutContent()
{
    const qreal ratio = devicePixelRatioF();
    const QSize content = contentSize();
    const QSize view = viewport()->size();
    const int width = int(std::ceil(content.width() / ratio));
    const int height = int(std::ceil(content.height() / ratio));
    horizontalScrollBar()->setRange(0, std::max(0, width - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setRange(0, std::max(0, height - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    if (!m_dragging && (horizontalScrollBar()->maximum() > 0 || verticalScrollBar()->maximum() > 0))
        viewport()->setCursor(Qt::OpenHandCursor);
    else if (!m_dragging)
        viewport()->unsetCursor();
    invalidate();
}

void ImageView::invalidate()
{
    m_stale = true;
    viewport()->update();
}

void ImageView::setZoom(double scale, QPointF anchor)
{
    if (m_image.isNull())
        return;
    const QPointF point = pictureAt(anchor);
    const bool fit = scale <= fittedScale() * Tolerance;
    const double clamped = std::min(scale, MaxScale);
    if (fit == m_fit && (fit || std::abs(clamped / m_scale - 1) < 1e-9))
        return;
    m_fit = fit;
    m_scale = clamped;
    layoutContent();
    if (!m_fit)
        placeAt(point, anchor);
    emit zoomChanged();
}

void ImageView::zoomBy(double factor, QPointF anchor)
{
    if (factor > 0 && std::isfinite(factor))
        setZoom(scale() * factor, anchor);
}

void ImageView::zoomIn()
{
    const double now = scale() * Tolerance;
    const auto next = std::find_if(std::begin(Steps), std::end(Steps), [now](double s) { return s > now; });
    setZoom(next == std::end(Steps) ? MaxScale : *next, QRectF(viewport()->rect()).center());
}

void ImageView::zoomOut()
{
    const double now = scale() / Tolerance;
    double lower = 0; // below the fitted scale: fit
    for (double s : Steps)
        if (s < now)
            lower = s;
    setZoom(lower, QRectF(viewport()->rect()).center());
}

void ImageView::zoomToActualSize()
{
    setZoom(1.0, QRectF(viewport()->rect()).center());
}

void ImageView::fitToWindow()
{
    if (m_fit || m_image.isNull())
        return;
    m_fit = true;
    layoutContent();
    emit zoomChanged();
}

// The visible picture pixels, scaled once: a picture column c starts at
// device x origin + round(c * scale), whichever part is on screen.
QImage ImageView::displayImage() const
{
    if (!m_stale)
        return m_display;
    m_stale = false;
    m_display = QImage();
    if (m_image.isNull())
        return m_display;
    const qreal ratio = devicePixelRatioF();
    const QPoint at = origin(viewport()->size());
    if (m_fit) {
        m_display = tintwell::screenCopy(m_image, fittedSize());
        m_displayOrigin = at;
    } else {
        const double s = m_scale;
        const QSize view = (QSizeF(viewport()->size()) * ratio).toSize();
        const auto first = [s](int from, int limit) { return std::clamp(int(std::floor(from / s)), 0, limit); };
        const auto end = [s](int to, int limit) { return std::clamp(int(std::ceil(to / s)), 0, limit); };
        const QPoint topLeft(first(-at.x(), m_image.width()), first(-at.y(), m_image.height()));
        const QPoint bottomRight(end(view.width() - at.x(), m_image.width()), end(view.height() - at.y(), m_image.height()));
        const auto edge = [s](int c) { return int(std::lround(c * s)); };
        const QSize size = QSize(edge(bottomRight.x()) - edge(topLeft.x()), edge(bottomRight.y()) - edge(topLeft.y()))
                               .expandedTo(QSize(1, 1));
        m_display = tintwell::screenCopy(m_image, QRect(topLeft, QSize(bottomRight.x() - topLeft.x(),
                                                                         bottomRight.y() - topLeft.y())), size);
        m_displayOrigin = at + QPoint(edge(topLeft.x()), edge(topLeft.y()));
    }
    m_display.setDevicePixelRatio(ratio);
    return m_display;
}

QPoint ImageView::displayOrigin() const
{
    displayImage();
    return m_displayOrigin;
}

void ImageView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const QImage shown = displayImage();
    if (shown.isNull()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(viewport()->rect(), Qt::AlignCenter | Qt::TextWordWrap, m_placeholder);
        return;
    }
    painter.drawImage(QPointF(m_displayOrigin) / devicePixelRatioF(), shown);
}

void ImageView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    layoutContent();
    if (m_fit && !m_image.isNull())
        emit zoomChanged(); // the fitted scale follows the view
}

void ImageView::scrollContentsBy(int, int)
{
    invalidate();
}

// Ctrl + wheel zooms about the mouse, a step of the square root of two per
// notch; the wheel alone scrolls.
void ImageView::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier) || m_image.isNull()) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0)
        zoomBy(std::pow(2.0, notches / 2), event->position());
    event->accept();
}

void ImageView::mousePressEvent(QMouseEvent *event)
{
    const bool pannable = horizontalScrollBar()->maximum() > 0 || verticalScrollBar()->maximum() > 0;
    if (event->button() != Qt::LeftButton || !pannable) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    m_dragging = true;
    m_dragFrom = event->position().toPoint();
    viewport()->setCursor(Qt::ClosedHandCursor);
    event->accept();
}

void ImageView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    const QPoint moved = at - m_dragFrom;
    m_dragFrom = at;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - moved.x());
    verticalScrollBar()->setValue(verticalScrollBar()->value() - moved.y());
    event->accept();
}

void ImageView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_dragging || event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    m_dragging = false;
    layoutContent(); // the open hand again
    event->accept();
}

// The viewport's own events: a resize keeps the picture point in the middle
// of the view in place (scroll bars coming and going too); pinches zoom.
bool ImageView::viewportEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Resize: {
        const auto *resize = static_cast<QResizeEvent *>(event);
        if (m_fit || m_image.isNull() || !resize->oldSize().isValid())
            break;
        const QPointF oldCentre = QPointF(resize->oldSize().width(), resize->oldSize().height()) / 2;
        const QPointF point = (oldCentre * devicePixelRatioF() - QPointF(origin(resize->oldSize()))) / m_scale;
        const bool handled = QAbstractScrollArea::viewportEvent(event);
        placeAt(point, QRectF(viewport()->rect()).center());
        return handled;
    }
    case QEvent::NativeGesture: {
        auto *gesture = static_cast<QNativeGestureEvent *>(event);
        if (gesture->gestureType() != Qt::ZoomNativeGesture)
            break;
        zoomBy(1 + gesture->value(), gesture->position());
        event->accept();
        return true;
    }
    case QEvent::Gesture: {
        auto *gestures = static_cast<QGestureEvent *>(event);
        auto *pinch = static_cast<QPinchGesture *>(gestures->gesture(Qt::PinchGesture));
        if (pinch == nullptr)
            break;
        if (pinch->changeFlags() & QPinchGesture::ScaleFactorChanged)
            zoomBy(pinch->scaleFactor(), viewport()->mapFromGlobal(pinch->centerPoint()));
        gestures->accept(pinch);
        return true;
    }
    default:
        break;
    }
    return QAbstractScrollArea::viewportEvent(event);
}
