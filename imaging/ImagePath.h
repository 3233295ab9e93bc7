// The one path from a picture to a filtered picture, shared by the desktop app
// and the command-line tool so that both give identical bytes: decode, working
// copy, pass, encode. Qt Gui only (no widgets).
#pragma once

#include "PictureMetadata.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QtGlobal>

#include <mutex>

namespace tintwell {

// Every control of one render, as the app's controls or the CLI's options give
// them. `filter` goes to current_filter; the rest to the pass.
struct PassSettings {
    qint32 filter = 0;
    qint64 value = 0;
    qint32 red = 0;
    qint32 green = 0;
    qint32 blue = 0;
    bool negative = false;
    bool reverse = false;

    friend bool operator==(const PassSettings &, const PassSettings &) = default;
};

// A decoded picture, or a null image and a one-line reason.
struct LoadResult {
    QImage image;   // already the working layout (see toWorkingLayout), upright, with its colour profile
    QString error;  // "cannot read <file>: <reason>"; empty on success
    PictureMetadata metadata; // EXIF, XMP and IPTC of the file
};

// Reads a file through readFileBytes (regular files only, "-" for standard
// input, at most maxEncodedBytes) and decodes it: JPEG with libjpeg,
// HEIC/HEIF/AVIF with libheif, the rest with Qt's readers (formats in
// Formats.h); the picture is turned upright by its orientation and converted
// to the working layout in place. Refuses, with a reason, files that cannot be
// read, pictures too large to hold (from the header, before decoding), damaged
// JPEG data (any decoder warning) and progressive JPEG files with endless
// scans.
LoadResult loadImage(const QString &path);

// Decodes encoded image bytes the same way (clipboard, drops, fuzzing, files
// already read); `name` stands for the source in the reason.
LoadResult loadImageData(const QByteArray &data, const QString &name = QStringLiteral("image data"));

// The picture size the header of encoded bytes claims (after EXIF
// orientation), read without decoding pixels; invalid when unknown.
QSize imageSizeFromHeader(const QByteArray &data);

// The working layout: 8 bits a sample, 4 bytes a pixel in R,G,B,A byte order.
// Opaque pictures become Format_RGBX8888, others straight-alpha
// Format_RGBA8888; grey, palette, 16-bit and premultiplied pictures are
// converted. Returns the image itself (shared, no pixel copy) when it is
// already in the working layout.
QImage toWorkingLayout(const QImage &image);

// The same conversion done on `image` itself: in place, without a second
// full-size buffer, when Qt can (same depth, pixels not shared); through a
// copy otherwise. `image` becomes null when memory runs out.
void convertToWorkingLayout(QImage &image);

// Fills the pass context from the working copy in the fixed order
// (bytesPerSample, bytesPerRow, width, height, red, green, blue) and runs
// filterBitmap over it in place. current_filter must already be set.
// `working` must be in the working layout and detached.
void runPass(QImage &working, qint64 value, qint32 red, qint32 green, qint32 blue, bool negative,
             bool reverse);

// runPass over a copy of `source` made into `target`, an image of the same
// working-layout format, size and row stride whose pixels are not shared and
// whose bytes do not matter: the pass reads `source` and writes `target` in
// one trip through memory. Gives the bytes of copying `source` and calling
// runPass on the copy; a `target` of another layout is replaced by that copy.
void runPassFrom(const QImage &source, QImage &target, qint64 value, qint32 red, qint32 green, qint32 blue,
                 bool negative, bool reverse);

// The render the app and the command-line tool both run: sets
// current_filter and returns `source` filtered with `settings`, never writing
// pixels another image shares. A source whose pixels the caller gave up (moved
// in, or converted to the working layout here) is filtered in place; one that
// is shared is read by the pass, which writes a blank image from the buffer
// pool (blankLike) in the same trip. The result carries the source's colour
// profile. Null for a null source or when memory runs out. Safe from any
// thread: it holds renderMutex throughout.
QImage renderFrom(QImage source, const PassSettings &settings);

// Held by every renderFrom: renders share the process-wide pass context, so
// they run one at a time. A thread may hold it around a render to finish with
// the result before the next render starts. runPass and runPassFrom do not
// take it; they belong where no other render runs.
std::recursive_mutex &renderMutex();

// renderFrom for a source the caller keeps.
QImage renderImage(const QImage &source, const PassSettings &settings);

// renderFrom for a picture the caller gives up: `image` becomes the result.
void renderInPlace(QImage &image, const PassSettings &settings);

// Sets QImageReader's process-wide allocation limit to the one every decode
// of the image path uses (decodeAllocationLimitMB). Decodes call it
// themselves; call it early where Qt decodes pictures on its own too.
void applyDecodeAllocationLimit();

// Copies what a picture carries besides its pixels (colour profile,
// resolution, offset, text, device pixel ratio) from `from` to `to`.
void copyPictureAttributes(const QImage &from, QImage &to);

// Encodes `image` in memory: "jpg"/"jpeg" as JPEG at quality 100, "png" as
// lossless PNG (JPEG holds at most 65500 pixels a side), with the image's colour profile and the metadata of its source
// (`metadata` as read from the source file; metadataForResult adjusts it to
// this picture). Returns the file's bytes, or an empty array and a one-line
// reason in `error`.
QByteArray encodeImage(QImage &&image, const QByteArray &format, const PictureMetadata &metadata,
                       QString *error);

// Encodes `image` as encodeImage does and writes it to `path` atomically. A
// failed encode or write leaves any existing file intact. Returns an empty
// string on success, else a one-line reason.
QString saveImage(const QImage &image, const QString &path, const QByteArray &format,
                  const PictureMetadata &metadata = {});

// saveImage for a picture the caller gives up: the JPEG conversion (alpha
// dropped) reuses its buffer. Same bytes and messages as the other overload.
QString saveImage(QImage &&image, const QString &path, const QByteArray &format,
                  const PictureMetadata &metadata = {});

// The id of the writable format (Formats.h) a path's suffix names ("jpg" or
// "png"), or an empty array when it names none.
QByteArray formatForPath(const QString &path);

} // namespace tintwell
