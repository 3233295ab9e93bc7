// Blank images for render results: laid out like their source, the large ones
// in pooled huge-page memory so that a render writes into pages already mapped.
#pragma once

#include <QImage>

namespace tintwell {

// An image laid out like `image` (format, size, row stride) with its colour
// profile and other attributes (copyPictureAttributes), whose pixels are still
// to be written. A large one goes into memory asked for as transparent huge
// pages: fresh memory in 4 KB pages takes one page fault per page on first
// touch, which for a 24-megapixel picture costs several times the pass itself.
// The blocks of released images are kept (at most two, of one size) for the
// next image of the same size. Null when memory runs out.
QImage blankLike(const QImage &image);

// A blank image of `size` and `format` with Qt's own row stride, from the same
// memory as blankLike: for decoders writing a large picture. Null when memory
// runs out.
QImage blankImage(QSize size, QImage::Format format);

// Asks for the whole huge pages inside `size` bytes at `memory` to be backed
// by transparent huge pages, where the system has them: for large buffers that
// are written once, front to back.
void adviseHugePages(void *memory, qsizetype size);

} // namespace tintwell
