#include "AppController.h"

#include "FileDialogs.h"
#include "ImageView.h"
#include "MessageBoxes.h"
#include "ShareLink.h"

#include "PassContext.h"
#include "ImageLimits.h"
#include "ImagePath.h"

#include <QCheckBox>
#include <QClipboard>
#include <QColorSpace>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QSignalBlocker>
#include <QSlider>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

#if defined(Q_OS_LINUX)
#include <sys/mman.h>
#endif

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

#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
// A block of memory asked for as transparent huge pages, with its size.
struct HugeBlock {
    void *memory;
    std::size_t size;
};

// Blocks whose images are gone, kept for the next copy of the same size so
// that its pages are already in place. At most two are kept (the picture shown
// and the one being made), all of one size; any other block is freed. An image
// drops its block on whichever thread lets go of it last, hence the mutex. The
// pool lives as long as the process, so images released at exit still find it.
class HugeBlockPool
{
public:
    static HugeBlockPool &instance()
    {
        static HugeBlockPool *pool = new HugeBlockPool;
        return *pool;
    }

    HugeBlock *take(std::size_t size)
    {
        HugeBlock *dropped[keep] = {};
        std::size_t droppedCount = 0;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            for (std::size_t i = 0; i < m_count; ++i) {
                if (m_blocks[i]->size == size) {
                    HugeBlock *block = m_blocks[i];
                    m_blocks[i] = m_blocks[--m_count];
                    return block;
                }
            }
            // None fits: the kept blocks belong to a picture of another size,
            // so they go before a new block is allocated.
            for (std::size_t i = 0; i < m_count; ++i)
                dropped[droppedCount++] = m_blocks[i];
            m_count = 0;
        }
        freeBlocks(dropped, droppedCount);
        void *memory = std::aligned_alloc(hugePage, size);
        if (!memory)
            return nullptr;
        madvise(memory, size, MADV_HUGEPAGE);
        return new HugeBlock{memory, size};
    }

    void give(HugeBlock *block)
    {
        HugeBlock *dropped[keep + 1] = {};
        std::size_t droppedCount = 0;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            // Blocks of another size are no use to the next copy.
            std::size_t kept = 0;
            for (std::size_t i = 0; i < m_count; ++i) {
                if (m_blocks[i]->size == block->size)
                    m_blocks[kept++] = m_blocks[i];
                else
                    dropped[droppedCount++] = m_blocks[i];
            }
            m_count = kept;
            if (m_count < keep)
                m_blocks[m_count++] = block;
            else
                dropped[droppedCount++] = block;
        }
        freeBlocks(dropped, droppedCount);
    }

    static void freeBlocks(HugeBlock *const *blocks, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i) {
            std::free(blocks[i]->memory);
            delete blocks[i];
        }
    }

    static void release(void *info) { instance().give(static_cast<HugeBlock *>(info)); }

    static constexpr std::size_t hugePage = std::size_t(2) * 1024 * 1024;

private:
    static constexpr std::size_t keep = 2;
    std::mutex m_mutex;
    HugeBlock *m_blocks[keep] = {};
    std::size_t m_count = 0;
};
#endif

// Everything QImage::copy() keeps besides the pixels (offset, resolution,
// text, colour space, device pixel ratio), carried over to `copy`.
void copyMetadata(const QImage &image, QImage &copy)
{
    copy.setOffset(image.offset());
    copy.setDotsPerMeterX(image.dotsPerMeterX());
    copy.setDotsPerMeterY(image.dotsPerMeterY());
    const QStringList keys = image.textKeys();
    for (const QString &key : keys)
        copy.setText(key, image.text(key));
    copy.setColorSpace(image.colorSpace());
    copy.setDevicePixelRatio(image.devicePixelRatio());
}

// An image laid out like `image` (format, size, row stride, metadata) whose
// pixels are still to be written: the pass fills them from `image`. A large
// one goes into memory asked for as transparent huge pages: fresh memory in
// 4 KB pages takes one page fault per page on first touch, which for a
// 24-megapixel picture costs several times the pass itself. Without huge
// pages only speed suffers. The blocks of released images are reused
// (HugeBlockPool), so a render after the first writes into pages already in
// place.
QImage blankLike(const QImage &image)
{
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    constexpr qsizetype hugePage = qsizetype(HugeBlockPool::hugePage);
    const qsizetype bytes = image.sizeInBytes();
    if (bytes >= 4 * hugePage) {
        const qsizetype rounded = (bytes + hugePage - 1) / hugePage * hugePage;
        if (HugeBlock *block = HugeBlockPool::instance().take(std::size_t(rounded))) {
            QImage copy(static_cast<uchar *>(block->memory), image.width(), image.height(), image.bytesPerLine(),
                        image.format(), &HugeBlockPool::release, block);
            if (!copy.isNull()) {
                copyMetadata(image, copy);
                return copy;
            }
            HugeBlockPool::release(block);
        }
    }
#endif
    QImage copy(image.size(), image.format());
    if (!copy.isNull())
        copyMetadata(image, copy);
    return copy;
}

// A message of the image path ("cannot read X: why") as a sentence.
QString asSentence(const QString &message)
{
    if (message.isEmpty())
        return message;
    return message.front().toUpper() + message.mid(1);
}

// The first encoded picture `data` holds (image/png, image/jpeg, ...), or
// nothing.
QByteArray encodedPicture(const QMimeData *data)
{
    for (const QString &format : data->formats()) {
        if (!format.startsWith(QLatin1String("image/")))
            continue;
        const QByteArray bytes = data->data(format);
        if (!bytes.isEmpty())
            return bytes;
    }
    return {};
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
    m_history.reset(snapshot());
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
    QElapsedTimer timer;
    timer.start();
    const QImage result = applyFilter(value);
    if (result.isNull())
        return; // no working copy could be made: keep what is shown
    const qint64 msecs = timer.elapsed();
    m_rendered = true;
    showResult(result);
    slider_pos->setText(labelText(value));
    emit rendered(msecs);
}

QImage AppController::applyFilter(qint64 value)
{
    // current_image is kept in the working layout, so the pass reads it and
    // writes the result into a fresh image in one go, the only copy of the
    // pixels. A picture in another layout is converted into a buffer of its
    // own, which the pass rewrites in place. The result is returned as it is.
    QImage source = tintwell::toWorkingLayout(current_image);
    if (source.isNull())
        return {};
    const qint32 red = low32(slider_red->value());
    const qint32 green = low32(slider_green->value());
    const qint32 blue = low32(slider_blue->value());
    const bool negative = isTicked(check_box);
    const bool reverse = isTicked(reverse_box);
    if (source.isDetached()) {
        // Converted into a buffer of its own: the pass runs on it in place.
        QImage working = std::move(source);
        tintwell::runPass(working, value, red, green, blue, negative, reverse);
        return working;
    }
    QImage working = blankLike(source);
    if (working.isNull())
        return {};
    tintwell::runPassFrom(source, working, value, red, green, blue, negative, reverse);
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

void AppController::selectImage()
{
    const QString path = m_dialogs.openImagePath();
    if (path.isEmpty())
        return;
    openFile(path);
}

// A file that cannot be read leaves the source and the shown picture alone and
// says why.
bool AppController::openFile(const QString &path)
{
    const tintwell::LoadResult loaded = tintwell::loadImage(path);
    if (loaded.image.isNull()) {
        m_messages.showError(tr("Could not open the picture: %1").arg(loaded.error)); // names the path
        return false;
    }
    beginSourceChange();
    image_view->setImage(loaded.image);
    current_image = loaded.image;
    m_recipe = Recipe{QFileInfo(path).absoluteFilePath(), {}};
    m_name = QFileInfo(path).fileName();
    m_rendered = false;
    emit picturesChanged();
    changePosition();
    endSourceChange();
    return true;
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
    savePicture(path, QByteArrayLiteral("jpg"));
}

// Lossless, alpha kept: the same bytes tintwell-cli writes for a .png output.
void AppController::exportPng()
{
    if (current_image.isNull())
        return;
    const QString path = m_dialogs.exportPngPath();
    if (path.isEmpty())
        return;
    savePicture(path, QByteArrayLiteral("png"));
}

void AppController::savePicture(const QString &path, const QByteArray &format)
{
    const QImage shown = displayedImage();
    if (shown.isNull())
        return;
    const QString error = tintwell::saveImage(shown, path, format);
    if (!error.isEmpty())
        m_messages.showError(tr("Could not save the picture: %1").arg(error)); // names the path
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
    beginSourceChange();
    if (m_rendered)
        m_recipe.steps.append(currentSettings());
    current_image = shown;
    m_rendered = false;
    if (shown.isNull()) {
        m_recipe = Recipe{};
        m_name.clear();
    }
    endSourceChange();
}

void AppController::setPasteboardAsSource()
{
    takePicture(QGuiApplication::clipboard()->mimeData(), tr("Pasted picture"));
}

// Encoded bytes (what another program offers) are decoded here, under the
// same limits and checks as files; a picture already decoded in this process
// is only checked for size. A picture that is there but refused says why.
bool AppController::takePicture(const QMimeData *data, const QString &name)
{
    if (data == nullptr)
        return false;
    QImage picture;
    if (const QByteArray encoded = encodedPicture(data); !encoded.isEmpty()) {
        const tintwell::LoadResult loaded = tintwell::loadImageData(encoded, name.toLower());
        if (loaded.image.isNull()) {
            m_messages.showError(asSentence(loaded.error));
            return false;
        }
        picture = loaded.image;
    } else {
        if (!data->hasImage())
            return false;
        const QImage pasted = qvariant_cast<QImage>(data->imageData());
        if (pasted.isNull())
            return false;
        if (!tintwell::fitsWorkingLayout(pasted.width(), pasted.height())) {
            m_messages.showError(tr("Cannot take the %1: %2 x %3 pixels is too large")
                                     .arg(name.toLower())
                                     .arg(pasted.width())
                                     .arg(pasted.height()));
            return false;
        }
        picture = tintwell::toWorkingLayout(pasted);
        if (picture.isNull()) {
            m_messages.showError(tr("Cannot take the %1: out of memory").arg(name.toLower()));
            return false;
        }
    }
    beginSourceChange();
    current_image = picture;
    m_recipe = Recipe{};
    m_name = name;
    m_rendered = false;
    emit picturesChanged();
    changePosition();
    endSourceChange();
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
    tintwell::PassSettings s;
    s.filter = low32(filter_selector->currentIndex());
    s.value = slider->value();
    s.red = low32(slider_red->value());
    s.green = low32(slider_green->value());
    s.blue = low32(slider_blue->value());
    s.negative = isTicked(check_box);
    s.reverse = isTicked(reverse_box);
    return s;
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

// --- history ----------------------------------------------------------------

EditorState AppController::snapshot() const
{
    return EditorState{current_image, currentSettings(), m_rendered, m_recipe, m_name};
}

void AppController::beginSourceChange()
{
    showSource(false);
    m_history.replaceCurrent(snapshot());
}

void AppController::endSourceChange()
{
    m_history.push(snapshot());
    emit picturesChanged();
}

void AppController::undo()
{
    if (!m_history.canUndo())
        return;
    beginSourceChange();
    restore(m_history.undo());
}

void AppController::redo()
{
    if (!m_history.canRedo())
        return;
    beginSourceChange();
    restore(m_history.redo());
}

// Puts the controls back without a render per control, then shows what was
// shown: the source rendered with them, the source itself, or nothing.
void AppController::restore(const EditorState &state)
{
    {
        const QSignalBlocker blockers[] = {
            QSignalBlocker(filter_selector), QSignalBlocker(slider), QSignalBlocker(slider_red),
            QSignalBlocker(slider_green), QSignalBlocker(slider_blue), QSignalBlocker(check_box),
            QSignalBlocker(reverse_box)};
        const tintwell::PassSettings &s = state.settings;
        filter_selector->setCurrentIndex(s.filter);
        slider->setValue(static_cast<int>(s.value));
        slider_red->setValue(s.red);
        slider_green->setValue(s.green);
        slider_blue->setValue(s.blue);
        check_box->setChecked(s.negative);
        reverse_box->setChecked(s.reverse);
    }
    slider_pos->setText(labelText(slider->value()));
    slider_red_pos->setText(labelText(slider_red->value()));
    slider_green_pos->setText(labelText(slider_green->value()));
    slider_blue_pos->setText(labelText(slider_blue->value()));

    current_image = state.source;
    m_recipe = state.recipe;
    m_name = state.name;
    m_rendered = false;
    if (state.source.isNull() || !state.rendered)
        image_view->setImage(state.source);
    else
        changePosition();
    emit picturesChanged();
}
