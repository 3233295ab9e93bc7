// A scrolling view of one picture: fitted and centred (never enlarged) by
// default, or zoomed, panned by dragging or with its scroll bars. It paints
// one screen copy of the visible part, made once per picture, zoom or scroll.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>

class ImageView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit ImageView(QWidget *parent = nullptr);

    // The full-size picture last set; null when nothing is shown.
    QImage image() const { return m_image; }

    // Shows `image` (a null image clears the view). A picture of the size
    // already shown keeps the zoom and the scroll position (a new render);
    // any other is fitted.
    void setImage(const QImage &image);

    // The screen copy that paintEvent draws at displayOrigin(), in device
    // pixels (tintwell::screenCopy of the visible part: scaled, and converted
    // to sRGB from the picture's profile); null when nothing is shown. Made
    // when first asked for after the picture, the zoom or the scroll changed.
    QImage displayImage() const;
    // Where the screen copy's top-left corner lies in the viewport.
    QPoint displayOrigin() const;

    // Device pixels per picture pixel as shown now (1 is 100%).
    double scale() const;
    bool isFitted() const { return m_fit; }

    // Drawn in the middle of the view while it shows no picture.
    void setPlaceholderText(const QString &text);

    QSize sizeHint() const override;

    static constexpr double MaxScale = 32;

public slots:
    // The keys' zooms keep the point in the middle of the view in place.
    void zoomIn();
    void zoomOut();
    void zoomToActualSize();
    void fitToWindow();
    // Multiplies the scale by `factor` keeping `anchor` (viewport
    // coordinates) over the same picture point; down to the fitted scale,
    // where the view fits again, up to MaxScale.
    void zoomBy(double factor, QPointF anchor);

signals:
    // The scale or the fitting changed (also with a new picture, and with a
    // resize while fitted).
    void zoomChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    QSize fittedSize() const;
    double fittedScale() const;
    QSize contentSize() const;
    QPoint origin(QSize view) const;
    QPointF pictureAt(QPointF at) const;
    void placeAt(QPointF point, QPointF at);
    void setZoom(double scale, QPointF anchor);
    void layoutContent();
    void invalidate();

    QImage m_image;
    QString m_placeholder;
    bool m_fit = true;
    double m_scale = 1;           // when not fitted
    QPoint m_dragFrom;            // viewport point of the last drag position
    bool m_dragging = false;
    mutable QImage m_display;
    mutable QPoint m_displayOrigin;
    mutable bool m_stale = true;
};
