// The one controller behind the editor window: the render cycle that filters
// the source picture with the current controls, and the picture actions.
#pragma once

#include <QImage>
#include <QObject>

class FileDialogs;
class ImageView;
class MessageBoxes;
class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;

class AppController : public QObject
{
    Q_OBJECT

public:
    AppController(FileDialogs &dialogs, MessageBoxes &messages, QObject *parent = nullptr);

    // The window's controls, connected by AppDelegate before awakeFromNib.
    ImageView *image_view = nullptr;   // shows the displayed (filtered) picture
    QSlider *slider = nullptr;         // main slider: the control value
    QSlider *slider_red = nullptr;     // offset added to red
    QSlider *slider_green = nullptr;   // offset added to green
    QSlider *slider_blue = nullptr;    // offset added to blue
    QLabel *slider_pos = nullptr;      // value label of slider
    QLabel *slider_red_pos = nullptr;
    QLabel *slider_green_pos = nullptr;
    QLabel *slider_blue_pos = nullptr;
    QImage current_image;              // the source picture; null until one is opened or pasted
    QComboBox *filter_selector = nullptr; // item k selects filter k
    QCheckBox *check_box = nullptr;    // negative
    QCheckBox *reverse_box = nullptr;  // exchange red and blue

    // Start-up step, once every control is connected: no source picture. Sets
    // no control, label or image.
    void awakeFromNib();

    // Filters a fresh working copy of current_image with the control value and
    // the colour sliders and boxes; current_filter must already be set.
    QImage applyFilter(qint64 value);

public slots:
    void changePosition();
    void changeSlider();
    void changeFilter();

    void selectImage();
    void saveImage();
    void copyToClipboard();
    void setAsSource();
    void setPasteboardAsSource();
    void shareTintwell();

signals:
    // The source or the displayed picture was replaced (for enabling actions).
    void picturesChanged();

private:
    void showResult(const QImage &image);

    FileDialogs &m_dialogs;
    MessageBoxes &m_messages;
};
