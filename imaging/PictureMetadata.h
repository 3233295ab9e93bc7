// What a picture carries besides its pixels and colour profile: the camera and
// editing metadata that travel from the opened file to every saved result.
// (The colour profile travels in the QImage itself, as its QColorSpace.)
#pragma once

#include <QByteArray>

namespace tintwell {

struct PictureMetadata {
    QByteArray exif; // EXIF as a TIFF structure ("II*\0" or "MM\0*" first), without the "Exif\0\0" prefix
    QByteArray xmp;  // the XMP packet, UTF-8 XML
    QByteArray iptc; // IPTC-NAA records (the payload of the 8BIM resource 0x0404)
    int orientation = 1; // EXIF orientation of the source file, 1 to 8; 1 when absent

    bool isEmpty() const { return exif.isEmpty() && xmp.isEmpty() && iptc.isEmpty(); }
};

} // namespace tintwell
