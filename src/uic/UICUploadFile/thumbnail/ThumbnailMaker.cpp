#include "uic/UICUploadFile/thumbnail/ThumbnailMaker.h"

#include <vips/vips.h>

#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <mutex>

namespace {

// Owns a vips image reference for the length of a scope.
class VipsRef {
public:
    VipsRef() = default;
    ~VipsRef() { Reset(nullptr); }
    VipsRef(const VipsRef&) = delete;
    VipsRef& operator=(const VipsRef&) = delete;

    VipsImage* Get() const { return m_image; }
    VipsImage** Out() {
        Reset(nullptr);
        return &m_image;
    }
    void Reset(VipsImage* image) {
        if (m_image) {
            g_object_unref(m_image);
        }
        m_image = image;
    }

private:
    VipsImage* m_image = nullptr;
};

bool StartVips() {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        started = VIPS_INIT("nimbra") == 0;
        // Each thumbnail is made once; cached operations would only hold files open.
        vips_cache_set_max(0);
    });
    return started;
}

// One step of the conversion to 8-bit three-band sRGB: replaces image by the step's result.
template <class Step>
bool Apply(VipsRef& image, Step step) {
    VipsImage* out = nullptr;
    if (step(image.Get(), &out) != 0) {
        return false;
    }
    image.Reset(out);
    return true;
}

bool VipsThumbnail(const std::string& source, const std::string& target, int side) {
    if (!StartVips()) {
        return false;
    }
    // A source object takes the name as it is: "[...]" in a file name is no load option.
    VipsSource* input = vips_source_new_from_file(source.c_str());
    if (!input) {
        vips_error_clear();
        return false;
    }
    VipsRef image;
    const int loaded = vips_thumbnail_source(input, image.Out(), side, "height", side, "crop",
                                             VIPS_INTERESTING_CENTRE, "size", VIPS_SIZE_BOTH, nullptr);
    g_object_unref(input);
    bool ok = loaded == 0;
    if (ok && vips_image_hasalpha(image.Get())) {
        ok = Apply(image, [](VipsImage* in, VipsImage** out) { return vips_flatten(in, out, nullptr); });
    }
    if (ok && (image.Get()->Type != VIPS_INTERPRETATION_sRGB || image.Get()->Bands != 3)) {
        ok = Apply(image, [](VipsImage* in, VipsImage** out) {
            return vips_colourspace(in, out, VIPS_INTERPRETATION_sRGB, nullptr);
        });
    }
    if (ok && image.Get()->BandFmt != VIPS_FORMAT_UCHAR) {
        ok = Apply(image, [](VipsImage* in, VipsImage** out) { return vips_cast_uchar(in, out, nullptr); });
    }
    ok = ok && vips_jpegsave(image.Get(), target.c_str(), "strip", TRUE, nullptr) == 0;
    if (!ok) {
        vips_error_clear();
    }
    return ok;
}

bool QtThumbnail(const std::string& source, const std::string& target, int side) {
    QImageReader reader(QString::fromUtf8(source));
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) {
        return false;
    }
    const int square = qMin(size.width(), size.height());
    reader.setClipRect(QRect((size.width() - square) / 2, (size.height() - square) / 2, square, square));
    reader.setScaledSize(QSize(side, side));
    const QImage picture = reader.read();
    if (picture.isNull()) {
        return false;
    }
    QImage thumbnail(side, side, QImage::Format_RGB888);
    thumbnail.fill(Qt::black);
    {
        QPainter painter(&thumbnail);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(0, 0, side, side), picture);
    }
    QImageWriter writer(QString::fromUtf8(target), "jpeg");
    return writer.write(thumbnail);
}

}  // namespace

ThumbnailDecoder DecoderFor(const std::string& mimeType) {
    // Measured by bench/thumbnail: Qt's JPEG reader scales while decoding and runs on one thread, libvips
    // decodes PNG faster, and only libvips reads TIFF here (only Qt reads BMP).
    return mimeType == "image/png" || mimeType == "image/tiff" ? ThumbnailDecoder::Vips
                                                               : ThumbnailDecoder::Qt;
}

bool MakeThumbnail(const std::string& sourceUtf8, const std::string& targetUtf8, int side,
                   ThumbnailDecoder decoder) {
    return decoder == ThumbnailDecoder::Vips ? VipsThumbnail(sourceUtf8, targetUtf8, side)
                                             : QtThumbnail(sourceUtf8, targetUtf8, side);
}
