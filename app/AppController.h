// The one controller behind the editor window: the render cycle that filters
// the source picture with the current controls, and the picture actions.
#pragma once

#include "BackgroundJobs.h"
#include "DialogPlaces.h"
#include "ControlSettings.h"
#include "EditSteps.h"
#include "Recipe.h"

#include <QImage>
#include <QObject>
#include <QUndoStack>

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
    // renders it, or says why it cannot and changes nothing; the picture is
    // decoded on the calling thread (tools that measure an open).
    bool openFile(const QString &path);
    // openFile with the file decoded in the background (jobs()), as the open
    // action, dropped files and the file named on the command line do; the
    // latest open started wins.
    void openInBackground(const QString &path);

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
    // The undo steps: every change of a control and of the source.
    const QUndoStack &steps() const { return m_steps; }
    // Pixel bytes the undo steps may keep (DefaultUndoBudget); takes effect
    // at the next change of the source.
    void setUndoBudget(qint64 bytes) { m_undoBudget = bytes; }
    // File name of the source, "Pasted picture"..., empty without a source.
    QString pictureName() const { return current_image.isNull() ? QString() : m_name; }
    bool isComparing() const { return m_comparing; }
    // Opens, saves and exports running off the GUI thread.
    BackgroundJobs &jobs() { return m_jobs; }

    // Whether the shown result may differ from what was last saved: it was
    // made after the last open, paste or save (a control moved, an undo...).
    // An open or a paste alone leaves nothing unsaved, even when the controls
    // filter the new picture: the user has not changed anything yet, and the
    // file or the clipboard still holds the picture.
    bool hasUnsavedResult() const;

    // Before the shown result is dropped (closing, another picture): with an
    // unsaved result, asks `question` with Save / Discard / Cancel. Returns
    // whether to go on: nothing unsaved, Discard, or Save wrote the picture
    // through the save action's dialog. A write still running, which may be
    // the one that saves the shown result, is waited for first.
    bool mayDropResult(const QString &question);

public slots:
    // A control changed: one undo step (merged with the steps of the same
    // slider drag) that renders.
    void changePosition();
    void changeSlider();
    void changeFilter();

    void selectImage();
    // Returns whether the picture is being written (in the background).
    bool saveImage();
    void copyToClipboard();
    void setAsSource();
    void setPasteboardAsSource();
    void shareTintwell();

    void exportPng();
    void copyAsCommand();
    void undo();
    void redo();
    // The next change of a control starts a new undo step (a slider was
    // pressed or let go): one drag is one step.
    void separateSteps() { ++m_run; }
    // While `held`, the view shows the source picture instead of the result.
    void showSource(bool held);

signals:
    // The source or the displayed picture was replaced (for enabling actions).
    void picturesChanged();
    // A render finished in `msecs` milliseconds.
    void rendered(qint64 msecs);

private:
    bool render();
    void showResult(const QImage &image);
    void writeColourLabels();
    Controls controls() const;
    bool savePicture(const QByteArray &dialogFormat);
    bool takeLoaded(const QString &path, const tintwell::LoadResult &loaded);
    EditorState snapshot() const;
    EditStep *stepTo(StepKind kind, const EditorState &after);
    void pushSourceStep(StepKind kind, const EditorState &after);
    void restore(const EditorState &state);

    FileDialogs &m_dialogs;
    MessageBoxes &m_messages;
    QUndoStack m_steps;
    qint64 m_undoBudget = DefaultUndoBudget;
    int m_run = 0;             // slider changes of one run merge into one step
    tintwell::PassSettings m_settings; // of the current step: the controls before a change
    Recipe m_recipe;           // how the source came about
    DialogPlaces m_places;     // where the file dialogs start
    QString m_name;            // the source's name in the title
    tintwell::PictureMetadata m_metadata; // of the source's file, for every save
    bool m_rendered = false;   // the view shows the source rendered, not the source itself
    bool m_comparing = false;
    QImage m_heldResult;       // the result, while the source is shown
    qint64 m_settledKey = 0;   // cache key of the result shown at the last open, paste or save
    BackgroundJobs m_jobs;     // last: ends (waiting for its writes) before the rest goes
};
