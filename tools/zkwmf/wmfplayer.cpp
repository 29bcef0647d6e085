#include "wmfplayer.h"

#include <libwmf/api.h>
#include <libwmf/gd.h>

namespace zk {

namespace {

WmfPlayer::Status statusOf(wmf_error_t error)
{
    switch (error) {
    case wmf_E_None:
        return WmfPlayer::Drawn;
    case wmf_E_InsMem:
        return WmfPlayer::NoMemory;
    case wmf_E_BadFormat:
    case wmf_E_EOF:
        return WmfPlayer::BadInput;
    default:
        // Mostly missing fonts: libwmf needs the URW base 35 Type 1
        // fonts even for metafiles without text.
        return WmfPlayer::CannotDraw;
    }
}

// Releases the API however play() ends.
struct ApiGuard
{
    wmfAPI* api = nullptr;
    ~ApiGuard()
    {
        if (api)
            wmf_api_destroy(api);
    }
};

} // namespace

WmfPlayer::Status WmfPlayer::play(
    const std::string& metafile, int width, int height, std::string& png)
{
    // Errors come back as the status; libwmf is told not to print them.
    wmfAPI_Options options {};
    options.function = wmf_gd_function;
    const unsigned long flags
        = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    ApiGuard guard;
    const wmf_error_t created = wmf_api_create(&guard.api, flags, &options);
    if (created != wmf_E_None || !guard.api) // libwmf has released everything then
        return created == wmf_E_None ? CannotDraw : statusOf(created);
    wmfAPI* api = guard.api;

    // The gd device hands its image over as PNG through a sink. Its raw
    // image output (wmf_gd_image) would leave the image to the caller, who
    // has no way to free it: libwmf does not export gd's gdImageDestroy.
    wmf_gd_t* device = WMF_GD_GetData(api);
    device->type = wmf_gd_png;
    device->flags |= WMF_GD_OUTPUT_MEMORY | WMF_GD_OWN_BUFFER;
    device->sink.context = &png;
    device->sink.function = [](void* context, char* buffer, int length) {
        static_cast<std::string*>(context)->append(buffer, size_t(length));
        return length;
    };
    // libwmf only reads the buffer.
    auto* bytes = reinterpret_cast<unsigned char*>(const_cast<char*>(metafile.data()));
    wmf_error_t error = wmf_mem_open(api, bytes, long(metafile.size()));
    if (error != wmf_E_None)
        return statusOf(error);

    // The scan finds the extent of the drawing; the gd device maps that box
    // onto width x height, stretching as the album does.
    wmfD_Rect box {};
    error = wmf_scan(api, 0, &box);
    if (error != wmf_E_None)
        return statusOf(error);
    if (!(box.BR.x > box.TL.x) || !(box.BR.y > box.TL.y))
        return BadInput;
    device->bbox = box;
    device->width = unsigned(width);
    device->height = unsigned(height);
    error = wmf_play(api, 0, &box);
    if (error != wmf_E_None)
        return statusOf(error);
    return png.empty() ? CannotDraw : Drawn;
}

} // namespace zk
