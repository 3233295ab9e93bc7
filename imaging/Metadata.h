// Reading picture metadata from encoded files and preparing it for a saved
// result, through exiv2.
#pragma once

#include "PictureMetadata.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSize>

namespace tintwell {

// The EXIF, XMP and IPTC of an encoded picture (any format exiv2 reads), with
// its EXIF orientation. Empty for data that holds none or cannot be parsed.
PictureMetadata readMetadata(QByteArrayView encoded);

// The metadata to write with a result of `size` pixels whose pixels are
// already upright: Orientation 1, no thumbnail of the unfiltered picture,
// pixel dimensions of the result.
PictureMetadata metadataForResult(const PictureMetadata &source, QSize size);

// `png` (a whole PNG file) with the metadata added in the chunks PNG carries;
// `png` itself when there is nothing to add or it cannot be added.
QByteArray embedMetadataInPng(const QByteArray &png, const PictureMetadata &metadata);

} // namespace tintwell
