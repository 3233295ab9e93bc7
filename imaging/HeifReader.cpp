// HEIF decoding through libheif; the decoded buffer becomes the picture's own
// without a copy.
#include "HeifReader.h"

#include "ImageLimits.h"
#include "Reasons.h"

#include <QColorSpace>

#include <libheif/heif.h>

#include <memory>

namespace tintwell {

namespace {

// libheif's own limit on each side, checked while it parses the file: far
// above any camera's, far below what would exhaust memory on its own.
constexpr int maxHeifSide = 1 << 17;

void ensureInitialised()
{
    // Reference counted by libheif; held for the life of the process.
    static const bool initialised = [] {
        heif_init(nullptr);
        return true;
    }();
    Q_UNUSED(initialised);
}

QString reasonOf(const heif_error &error)
{
    const QString message = QString::fromUtf8(error.message ? error.message : "");
    return message.isEmpty() ? Reasons::tr("HEIF decoding failed") : Reasons::tr("HEIF: %1").arg(message);
}

struct ContextDeleter {
    void operator()(heif_context *context) const { heif_context_free(context); }
};
struct HandleDeleter {
    void operator()(heif_image_handle *handle) const { heif_image_handle_release(handle); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options *options) const { heif_decoding_options_free(options); }
};

void releaseHeifImage(void *image)
{
    heif_image_release(static_cast<heif_image *>(image));
}

QColorSpace colourSpaceOf(const heif_image_handle *handle)
{
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC)
        return QColorSpace();
    QByteArray icc(qsizetype(heif_image_handle_get_raw_color_profile_size(handle)), Qt::Uninitialized);
    if (icc.isEmpty() || heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok)
        return QColorSpace();
    return QColorSpace::fromIccProfile(icc);
}

} // namespace

bool looksLikeHeif(QByteArrayView data)
{
    if (data.size() < 12)
        return false;
    const int length = int(std::min<qsizetype>(data.size(), 64));
    return heif_check_filetype(reinterpret_cast<const uint8_t *>(data.data()), length) != heif_filetype_no;
}

HeifDecodeResult decodeHeif(QByteArrayView data)
{
    ensureInitialised();
    const std::unique_ptr<heif_context, ContextDeleter> context(heif_context_alloc());
    if (!context)
        return {QImage(), Reasons::tr("out of memory")};
    heif_context_set_maximum_image_size_limit(context.get(), maxHeifSide);
    heif_error error =
        heif_context_read_from_memory_without_copy(context.get(), data.data(), size_t(data.size()), nullptr);
    if (error.code != heif_error_Ok)
        return {QImage(), reasonOf(error)};

    heif_image_handle *rawHandle = nullptr;
    error = heif_context_get_primary_image_handle(context.get(), &rawHandle);
    const std::unique_ptr<heif_image_handle, HandleDeleter> handle(rawHandle);
    if (error.code != heif_error_Ok)
        return {QImage(), reasonOf(error)};

    const int width = heif_image_handle_get_width(handle.get());
    const int height = heif_image_handle_get_height(handle.get());
    if (!fitsWorkingLayout(width, height)) {
        return {QImage(), Reasons::tr("picture of %1 x %2 pixels is too large (limit %3 bytes)")
                              .arg(width)
                              .arg(height)
                              .arg(maxWorkingBytes)};
    }

    // Four bytes a pixel either way: an opaque picture comes with its alpha
    // bytes at 255, which is the filler the working layout wants.
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get());
    const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
    heif_image *decoded = nullptr;
    error = heif_decode_image(handle.get(), &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGBA,
                              options.get());
    if (error.code != heif_error_Ok) {
        heif_image_release(decoded);
        return {QImage(), reasonOf(error)};
    }
    int stride = 0;
    uint8_t *pixels = heif_image_get_plane(decoded, heif_channel_interleaved, &stride);
    const int decodedWidth = heif_image_get_width(decoded, heif_channel_interleaved);
    const int decodedHeight = heif_image_get_height(decoded, heif_channel_interleaved);
    if (!pixels || stride < 4 * decodedWidth || stride % 4 != 0
        || !fitsWorkingLayout(decodedWidth, decodedHeight)) {
        heif_image_release(decoded);
        return {QImage(), Reasons::tr("HEIF decoder gave an unusable picture")};
    }

    QImage image(pixels, decodedWidth, decodedHeight, stride,
                 alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888, releaseHeifImage, decoded);
    if (image.isNull()) {
        heif_image_release(decoded);
        return {QImage(), Reasons::tr("out of memory for the picture")};
    }
    const QColorSpace space = colourSpaceOf(handle.get());
    if (space.isValid())
        image.setColorSpace(space);
    return {image, QString()};
}

} // namespace tintwell
