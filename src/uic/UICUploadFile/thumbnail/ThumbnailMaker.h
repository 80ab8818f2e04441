#pragma once
// Makes one thumbnail: the centre square of a picture scaled to side x side pixels and written as a
// 24-bit RGB JPEG (transparent parts over black). Two decoders can do it; each picture type uses the one
// that is faster for it.

#include <string>

enum class ThumbnailDecoder { Vips, Qt };

// The decoder used for a picture of that MIME type.
ThumbnailDecoder DecoderFor(const std::string& mimeType);

// Paths are UTF-8. False when the source cannot be decoded or the JPEG cannot be written.
bool MakeThumbnail(const std::string& sourceUtf8, const std::string& targetUtf8, int side,
                   ThumbnailDecoder decoder);
