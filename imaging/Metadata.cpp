// Placeholder: metadata is not read or written yet.
#include "Metadata.h"

namespace tintwell {

PictureMetadata readMetadata(QByteArrayView)
{
    return {};
}

PictureMetadata metadataForResult(const PictureMetadata &source, QSize)
{
    PictureMetadata result = source;
    result.orientation = 1;
    return result;
}

QByteArray embedMetadataInPng(const QByteArray &png, const PictureMetadata &)
{
    return png;
}

} // namespace tintwell
