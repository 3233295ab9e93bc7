#include "AppController.h"

#include "FileDialogs.h"
#include "ImageView.h"
#include "MessageBoxes.h"
#include "ShareLink.h"
#include "WindowTitle.h"

#include "ClipboardPicture.h"
#include "ControlSettings.h"
#include "ImagePath.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QSlider>

#include <utility>

namespace {

QString labelText(qint64 value)
{
    return QString::asprintf("%d", low32(value));
}

// A reason of the image path ("cannot read <file>: ...", which names the
// file) as a message box sentence.
QString sentence(const QString &reason)
{
    return reason.isEmpty() ? reason : reason.at(0).toUpper() + reason.mid(1);
}

} // namespace

AppController::AppController(FileDialogs &dialogs, MessageBoxes &messages, QObject *parent)
    : QObject(parent), m_dialogs(dialogs), m_messages(messages)
{
    // Before the first paste too: Qt decodes clipboard pictures on its own.
    tintwell::applyDecodeAllocationLimit();
}

void AppController::awakeFromNib()
{
    current_image = QImage();
    m_metadata = {};
    m_settings = currentSettings();
    m_steps.clear();
    emit picturesChanged();
}

// A control moved: with a source, the change becomes an undo step, which
// renders. Without one nothing is shown and there is nothing to undo.
void AppController::changePosition()
{
    const tintwell::PassSettings now = currentSettings();
    if (current_image.isNull() || now == m_settings) {
        m_settings = now;
        render();
        return;
    }
    EditorState after = snapshot();
    after.settings = now;
    after.rendered = true;
    m_steps.push(stepTo(changedControl(m_settings, now), after));
}

// The render cycle: nothing happens without a source picture. The main label
// is written after the picture so it always names the value that made it.
bool AppController::render()
{
    if (current_image.isNull())
        return false;
    const qint64 value = slider->value();
    QElapsedTimer timer;
    timer.start();
    const QImage result = applyFilter(value);
    if (result.isNull())
        return false; // no working copy could be made: keep what is shown
    const qint64 msecs = timer.elapsed();
    m_rendered = true;
    showResult(result);
    slider_pos->setText(labelText(value));
    emit rendered(msecs);
    return true;
}

QImage AppController::applyFilter(qint64 value)
{
    // current_image is never written: it shares its pixels with this call,
    // so the pass reads it and writes a fresh result in one go. The result
    // carries the source's colour profile. The render stores the selected
    // filter in current_filter itself, while no other pass runs.
    tintwell::PassSettings settings = currentSettings();
    settings.value = value;
    return tintwell::renderFrom(current_image, settings);
}

void AppController::changeSlider()
{
    writeColourLabels();
    changePosition();
}

void AppController::writeColourLabels()
{
    slider_red_pos->setText(labelText(slider_red->value()));
    slider_green_pos->setText(labelText(slider_green->value()));
    slider_blue_pos->setText(labelText(slider_blue->value()));
}

void AppController::changeFilter()
{
    changePosition();
}

void AppController::selectImage()
{
    const QString path = m_dialogs.openImagePath(m_places.openFolder(m_recipe.inputPath));
    if (path.isEmpty())
        return;
    m_places.opened(path);
    openInBackground(path);
}

bool AppController::openFile(const QString &path)
{
    return takeLoaded(path, tintwell::loadImage(path));
}

void AppController::openInBackground(const QString &path)
{
    m_jobs.open(path, [this, path](const tintwell::LoadResult &loaded) { return takeLoaded(path, loaded); });
}

// A file that cannot be read leaves the source and the shown picture alone and
// says why.
bool AppController::takeLoaded(const QString &path, const tintwell::LoadResult &loaded)
{
    if (loaded.image.isNull()) {
        m_messages.showError(sentence(loaded.error));
        return false;
    }
    if (!mayDropResult(tr("Save the filtered picture before opening %1?").arg(QFileInfo(path).fileName())))
        return false;
    pushSourceStep(StepKind::Open, EditorState{loaded.image, m_settings, true,
                                               Recipe{QFileInfo(path).absoluteFilePath(), {}},
                                               QFileInfo(path).fileName(), loaded.metadata});
    m_settledKey = displayedImage().cacheKey();
    return true;
}

// Writes the shown (filtered) picture, not the source, as JPEG at quality 100,
// with its colour profile and the source file's metadata.
// The write goes through a temporary file, so a failure keeps any old file.
bool AppController::saveImage()
{
    return savePicture(QByteArrayLiteral("jpg"));
}

// Lossless, alpha kept: the same bytes tintwell-cli writes for a .png output.
void AppController::exportPng()
{
    savePicture(QByteArrayLiteral("png"));
}

// Writes, in the background, the picture shown when asked (a finishing open
// may replace it while the dialog is up); it counts as saved if still shown
// when written. A name whose suffix names a format that can be written gets
// that format (photo.png typed into the JPEG save is a PNG file); any other
// name gets the dialog's own format.
bool AppController::savePicture(const QByteArray &dialogFormat)
{
    const QImage shown = displayedImage();
    const tintwell::PictureMetadata metadata = m_metadata;
    if (current_image.isNull() || shown.isNull())
        return false;
    const bool png = dialogFormat == "png";
    const QString proposal = m_places.proposedSavePath(m_recipe.inputPath, QString::fromLatin1(dialogFormat));
    const QString path = png ? m_dialogs.exportPngPath(proposal) : m_dialogs.saveImagePath(proposal);
    if (path.isEmpty())
        return false;
    m_places.saved(path);
    const QByteArray named = tintwell::formatForPath(path);
    m_jobs.write(png ? BackgroundJobs::Write::Export : BackgroundJobs::Write::Save, shown, path,
                 named.isEmpty() ? dialogFormat : named, metadata, [this, key = shown.cacheKey()](const QString &error) {
                     if (!error.isEmpty())
                         m_messages.showError(sentence(error));
                     else if (displayedImage().cacheKey() == key)
                         m_settledKey = key;
                 });
    return true;
}

bool AppController::hasUnsavedResult() const
{
    const QImage shown = displayedImage();
    return !shown.isNull() && shown.cacheKey() != m_settledKey;
}

bool AppController::mayDropResult(const QString &question)
{
    if (hasUnsavedResult() && m_jobs.isWriting())
        m_jobs.finishWrites();
    if (!hasUnsavedResult())
        return true;
    switch (m_messages.askToSave(question)) {
    case MessageBoxes::UnsavedChoice::Save:
        return saveImage() && (m_jobs.finishWrites(), !hasUnsavedResult());
    case MessageBoxes::UnsavedChoice::Discard:
        return true;
    case MessageBoxes::UnsavedChoice::Cancel:
        break;
    }
    return false;
}

void AppController::copyToClipboard()
{
    const QImage shown = displayedImage();
    if (shown.isNull())
        return;
    QGuiApplication::clipboard()->setImage(shown);
}

// The shown picture becomes the source without a render, so the next change of
// a control filters the filtered picture again. The pass that made it joins
// the recipe.
void AppController::setAsSource()
{
    const QImage shown = displayedImage();
    if (shown.isNull() && current_image.isNull())
        return; // nothing to adopt and nothing to drop
    if (!m_rendered && shown.cacheKey() == current_image.cacheKey())
        return; // already the source
    EditorState after = snapshot();
    if (m_rendered)
        after.recipe.steps.append(m_settings);
    after.source = shown;
    after.rendered = false;
    if (shown.isNull())
        after = EditorState{QImage(), m_settings, false, Recipe{}, QString(), {}};
    pushSourceStep(StepKind::Adopt, after);
}

void AppController::setPasteboardAsSource()
{
    takePicture(QGuiApplication::clipboard()->mimeData(), tr("Pasted picture"));
}

// A picture that is there but refused says why.
bool AppController::takePicture(const QMimeData *data, const QString &name)
{
    const tintwell::LoadResult taken = tintwell::pictureFromMimeData(data, nameInSentence(name));
    if (taken.image.isNull()) {
        if (!taken.error.isEmpty())
            m_messages.showError(sentence(taken.error));
        return false;
    }
    const QImage picture = taken.image;
    if (!mayDropResult(tr("Save the filtered picture before taking the new picture?")))
        return false;
    pushSourceStep(StepKind::Paste, EditorState{picture, m_settings, true, Recipe{}, name, {}});
    m_settledKey = displayedImage().cacheKey();
    return true;
}

void AppController::shareTintwell()
{
    QDesktopServices::openUrl(shareUrl());
}

// While the source is shown for comparison, a new result waits until the key
// or button is let go.
void AppController::showResult(const QImage &image)
{
    if (m_comparing)
        m_heldResult = image;
    else
        image_view->setImage(image);
    emit picturesChanged();
}

QImage AppController::displayedImage() const
{
    return m_comparing ? m_heldResult : image_view->image();
}

void AppController::showSource(bool held)
{
    if (held == m_comparing || (held && current_image.isNull()))
        return;
    if (held) {
        m_heldResult = image_view->image();
        m_comparing = true;
        image_view->setImage(current_image);
    } else {
        m_comparing = false;
        image_view->setImage(m_heldResult);
        m_heldResult = QImage();
    }
    emit picturesChanged();
}

tintwell::PassSettings AppController::currentSettings() const
{
    return readControls(controls());
}

Controls AppController::controls() const
{
    return {filter_selector, slider, slider_red, slider_green, slider_blue, check_box, reverse_box};
}

QString AppController::resultCommand() const
{
    if (!m_recipe.hasFile() || current_image.isNull() || displayedImage().isNull())
        return {};
    QList<tintwell::PassSettings> steps = m_recipe.steps;
    if (m_rendered || steps.isEmpty())
        steps.append(currentSettings());
    return commandLine(m_recipe.inputPath, steps);
}

void AppController::copyAsCommand()
{
    const QString command = resultCommand();
    if (!command.isEmpty())
        QGuiApplication::clipboard()->setText(command);
}

// --- undo steps -------------------------------------------------------------

EditorState AppController::snapshot() const
{
    return EditorState{current_image, m_settings, m_rendered, m_recipe, m_name, m_metadata};
}

// A step from the current state to `after`; pushing it runs it.
EditStep *AppController::stepTo(StepKind kind, const EditorState &after)
{
    return new EditStep(kind, snapshot(), after, m_run, [this](const EditorState &s) { restore(s); });
}

// Pushing runs the step: the new source is shown, rendered or as it is. The
// oldest steps go when their pictures are over the budget.
void AppController::pushSourceStep(StepKind kind, const EditorState &after)
{
    showSource(false);
    m_steps.push(stepTo(kind, after));
    trimSteps(m_steps, m_undoBudget);
}

// A new run after undo and redo: the next slider change is a step of its own.
void AppController::undo()
{
    if (!m_steps.canUndo())
        return;
    showSource(false);
    separateSteps();
    m_steps.undo();
}

void AppController::redo()
{
    if (!m_steps.canRedo())
        return;
    showSource(false);
    separateSteps();
    m_steps.redo();
}

// Puts the controls back without a render per control (and without recording
// a step), then shows what was shown: the source rendered with them, the
// source itself, or nothing.
void AppController::restore(const EditorState &state)
{
    m_settings = state.settings;
    writeControls(controls(), state.settings);
    slider_pos->setText(labelText(slider->value()));
    writeColourLabels();

    current_image = state.source;
    m_metadata = state.metadata;
    m_recipe = state.recipe;
    m_name = state.name;
    m_rendered = false;
    if (state.source.isNull() || !state.rendered || !render())
        image_view->setImage(state.source);
    emit picturesChanged();
}
