// The one controller behind the editor window: the render cycle that filters
// the source picture with the current controls, and the picture actions.
#pragma once

#include "DialogPlaces.h"
#include "ControlSettings.h"
#include "History.h"
#include "Recipe.h"

#include <QImage>
#include <QObject>

class FileDialogs;
class ImageView;
class MessageBoxes;
class QMimeData;
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

    // Filters a fresh working copy of current_image with the selected filter,
    // the control value and the colour sliders and boxes.
    QImage applyFilter(qint64 value);

    // The open action without its dialog: loads `path` as the new source and
    // renders it, or says why it cannot and changes nothing. Command-line and
    // dropped files come here too.
    bool openFile(const QString &path);

    // The paste action's path for any image data (clipboard or drop): the
    // first image in `data` becomes the source, named `name` in the title.
    // Encoded bytes are decoded under the limits files have; a picture that
    // is refused shows why and changes nothing.
    bool takePicture(const QMimeData *data, const QString &name);

    // The picture the view shows as the result (also while the source is
    // shown for comparison); null when nothing is shown.
    QImage displayedImage() const;

    // The settings of the controls as a render would read them.
    tintwell::PassSettings currentSettings() const;

    // The tintwell-cli command that reproduces the displayed picture from the
    // opened file; empty when there is no result or no file behind it.
    QString resultCommand() const;

    const Recipe &recipe() const { return m_recipe; }
    const History &history() const { return m_history; }
    // File name of the source, "Pasted picture"..., empty without a source.
    QString pictureName() const { return current_image.isNull() ? QString() : m_name; }
    bool isComparing() const { return m_comparing; }

    // Whether the shown result may differ from what was last saved: it was
    // made after the last open, paste or save (a control moved, an undo...).
    // An open or a paste alone leaves nothing unsaved, even when the controls
    // filter the new picture: the user has not changed anything yet, and the
    // file or the clipboard still holds the picture.
    bool hasUnsavedResult() const;

    // Before the shown result is dropped (closing, another picture): with an
    // unsaved result, asks `question` with Save / Discard / Cancel. Returns
    // whether to go on: nothing unsaved, Discard, or Save wrote the picture
    // through the save action's dialog.
    bool mayDropResult(const QString &question);

public slots:
    void changePosition();
    void changeSlider();
    void changeFilter();

    void selectImage();
    // Returns whether the picture was written.
    bool saveImage();
    void copyToClipboard();
    void setAsSource();
    void setPasteboardAsSource();
    void shareTintwell();

    void exportPng();
    void copyAsCommand();
    void undo();
    void redo();
    // While `held`, the view shows the source picture instead of the result.
    void showSource(bool held);

signals:
    // The source or the displayed picture was replaced (for enabling actions).
    void picturesChanged();
    // A render finished in `msecs` milliseconds.
    void rendered(qint64 msecs);

private:
    void showResult(const QImage &image);
    void writeColourLabels();
    Controls controls() const;
    bool savePicture(const QString &path, const QByteArray &dialogFormat);
    EditorState snapshot() const;
    void beginSourceChange();
    void endSourceChange();
    void restore(const EditorState &state);

    FileDialogs &m_dialogs;
    MessageBoxes &m_messages;
    History m_history;
    Recipe m_recipe;           // how the source came about
    DialogPlaces m_places;     // where the file dialogs start
    QString m_name;            // the source's name in the title
    tintwell::PictureMetadata m_metadata; // of the source's file, for every save
    bool m_rendered = false;   // the view shows the source rendered, not the source itself
    bool m_comparing = false;
    QImage m_heldResult;       // the result, while the source is shown
    qint64 m_settledKey = 0;   // cache key of the result shown at the last open, paste or save
};
