#include "wmfrenderer.h"

#include "photoloader.h"

#include <QScopeGuard>
#include <QtEndian>

#include <libwmf/api.h>
#include <libwmf/gd.h>

namespace zk {

bool WmfRenderer::isMetafile(QByteArrayView data)
{
    if (data.size() < 18)
        return false;
    if (qFromLittleEndian<quint32>(data.data()) == 0x9AC6CDD7u) // placeable header
        return true;
    // METAHEADER: type 1 (memory) or 2 (disk), header size 9 words, version 1.0 or 3.0
    const quint16 type = qFromLittleEndian<quint16>(data.data());
    const quint16 headerWords = qFromLittleEndian<quint16>(data.data() + 2);
    const quint16 version = qFromLittleEndian<quint16>(data.data() + 4);
    return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

Picture WmfRenderer::render(QByteArrayView data, const QSize& size)
{
    const auto failed = [](const wmf_error_t error) {
        Picture picture;
        switch (error) {
        case wmf_E_InsMem:
            picture.error = QStringLiteral("メモリーが足りないため WMF ファイルを描けません.");
            break;
        case wmf_E_BadFormat:
        case wmf_E_EOF:
            picture.error = QStringLiteral("WMF ファイルが壊れているため読み込めません.");
            break;
        default:
            // Mostly missing fonts: libwmf needs the URW base 35 Type 1
            // fonts even for metafiles without text.
            picture.error = QStringLiteral("WMF ファイルを描けませんでした.");
            break;
        }
        return picture;
    };

    // Errors come back to the caller; libwmf is told not to print them.
    wmfAPI_Options options {};
    options.function = wmf_gd_function;
    const unsigned long flags
        = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    wmfAPI* api = nullptr;
    const wmf_error_t created = wmf_api_create(&api, flags, &options);
    if (created != wmf_E_None || !api) // libwmf has released everything then
        return failed(created);
    const auto destroy = qScopeGuard([api] { wmf_api_destroy(api); });

    // The gd device hands its image over as PNG through a sink. Its raw
    // image output (wmf_gd_image) would leave the image to the caller, who
    // has no way to free it: libwmf does not export gd's gdImageDestroy.
    QByteArray png;
    wmf_gd_t* device = WMF_GD_GetData(api);
    device->type = wmf_gd_png;
    device->flags |= WMF_GD_OUTPUT_MEMORY | WMF_GD_OWN_BUFFER;
    device->sink.context = &png;
    device->sink.function = [](void* context, char* buffer, int length) {
        static_cast<QByteArray*>(context)->append(buffer, length);
        return length;
    };
    // libwmf only reads the buffer.
    auto* bytes = reinterpret_cast<unsigned char*>(const_cast<char*>(data.data()));
    wmf_error_t error = wmf_mem_open(api, bytes, long(data.size()));
    if (error != wmf_E_None)
        return failed(error);

    // The scan finds the extent of the drawing; the gd device maps that box
    // onto width x height, stretching as the album does.
    wmfD_Rect box {};
    error = wmf_scan(api, 0, &box);
    if (error != wmf_E_None)
        return failed(error);
    if (!(box.BR.x > box.TL.x) || !(box.BR.y > box.TL.y))
        return failed(wmf_E_BadFormat);
    device->bbox = box;
    device->width = unsigned(size.width());
    device->height = unsigned(size.height());
    error = wmf_play(api, 0, &box);
    if (error != wmf_E_None)
        return failed(error);

    Picture picture;
    picture.image = QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
    if (picture.image.size() != size)
        return failed(wmf_E_DeviceError);
    return picture;
}

} // namespace zk
