// A widget that shows one picture fitted, centred and never enlarged: it keeps
// the full-size picture and paints only a copy scaled once per picture or resize.
#pragma once

#include <QImage>
#include <QWidget>

class ImageView : public QWidget
{
    Q_OBJECT

public:
    explicit ImageView(QWidget *parent = nullptr);

    // The full-size picture last set; null when nothing is shown.
    QImage image() const { return m_image; }

    // Shows `image` (a null image clears the view) and scales it once for
    // painting.
    void setImage(const QImage &image);

    // The screen copy that paintEvent draws (tintwell::screenCopy: scaled, and
    // converted to sRGB from the picture's profile); null when nothing is
    // shown. It is the full-size picture itself (shared) only when that
    // already fits and needs no conversion.
    QImage displayImage() const { return m_display; }

    // Drawn in the middle of the view while it shows no picture.
    void setPlaceholderText(const QString &text);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateDisplay();

    QImage m_image;
    QImage m_display;
    QString m_placeholder;
};
