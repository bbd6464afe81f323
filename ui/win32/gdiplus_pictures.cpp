#include "ui/win32/gdiplus_pictures.h"

#include <vector>

namespace zov::ui::win32 {
namespace {

// The few flat GDI+ entry points used, as the DLL exports them.
struct StartupInput {
    UINT32 version = 1;
    void* debugCallback = nullptr;
    BOOL suppressBackgroundThread = FALSE;
    BOOL suppressExternalCodecs = FALSE;
};
struct PropertyItem {
    ULONG id;
    ULONG length;
    WORD type;
    void* value;
};
using Status = int;
using Image = void;
using Graphics = void;

struct Api {
    Status(WINAPI* Startup)(ULONG_PTR*, const StartupInput*, void*);
    void(WINAPI* Shutdown)(ULONG_PTR);
    Status(WINAPI* CreateBitmapFromStream)(IStream*, Image**);
    Status(WINAPI* DisposeImage)(Image*);
    Status(WINAPI* GetImageWidth)(Image*, UINT*);
    Status(WINAPI* GetImageHeight)(Image*, UINT*);
    Status(WINAPI* ImageGetFrameCount)(Image*, const GUID*, UINT*);
    Status(WINAPI* ImageSelectActiveFrame)(Image*, const GUID*, UINT);
    Status(WINAPI* GetPropertyItemSize)(Image*, ULONG, UINT*);
    Status(WINAPI* GetPropertyItem)(Image*, ULONG, UINT, PropertyItem*);
    Status(WINAPI* CreateFromHDC)(HDC, Graphics**);
    Status(WINAPI* DeleteGraphics)(Graphics*);
    Status(WINAPI* DrawImageRectI)(Graphics*, Image*, INT, INT, INT, INT);
};

constexpr GUID kFrameDimensionTime = {0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};
constexpr ULONG kPropertyTagFrameDelay = 0x5100;

Api api;
ULONG_PTR token = 0;
bool tried = false;

template <class F>
bool Resolve(HMODULE dll, const char* name, F& slot) {
    slot = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
    return slot != nullptr;
}

bool Ready() {
    if (tried) return token != 0;
    tried = true;
    char dir[MAX_PATH];
    const UINT len = GetSystemDirectoryA(dir, MAX_PATH);
    if (len == 0 || len >= MAX_PATH - 16) return false;
    HMODULE dll = LoadLibraryA((std::string(dir) + "\\gdiplus.dll").c_str());
    if (!dll) return false;
    const bool all = Resolve(dll, "GdiplusStartup", api.Startup) && Resolve(dll, "GdiplusShutdown", api.Shutdown) &&
                     Resolve(dll, "GdipCreateBitmapFromStream", api.CreateBitmapFromStream) &&
                     Resolve(dll, "GdipDisposeImage", api.DisposeImage) &&
                     Resolve(dll, "GdipGetImageWidth", api.GetImageWidth) &&
                     Resolve(dll, "GdipGetImageHeight", api.GetImageHeight) &&
                     Resolve(dll, "GdipImageGetFrameCount", api.ImageGetFrameCount) &&
                     Resolve(dll, "GdipImageSelectActiveFrame", api.ImageSelectActiveFrame) &&
                     Resolve(dll, "GdipGetPropertyItemSize", api.GetPropertyItemSize) &&
                     Resolve(dll, "GdipGetPropertyItem", api.GetPropertyItem) &&
                     Resolve(dll, "GdipCreateFromHDC", api.CreateFromHDC) &&
                     Resolve(dll, "GdipDeleteGraphics", api.DeleteGraphics) &&
                     Resolve(dll, "GdipDrawImageRectI", api.DrawImageRectI);
    if (!all) return false;
    StartupInput input;
    if (api.Startup(&token, &input, nullptr) != 0) token = 0;
    return token != 0;
}

// A GDI+ image with the stream it reads from, which must live as long as the image.
class TGdiplusPicture : public TPictureData {
public:
    TGdiplusPicture(IStream* stream, Image* image) : stream_(stream), image_(image) {
        UINT w = 0, h = 0, frames = 0;
        api.GetImageWidth(image_, &w);
        api.GetImageHeight(image_, &h);
        width_ = static_cast<int>(w);
        height_ = static_cast<int>(h);
        if (api.ImageGetFrameCount(image_, &kFrameDimensionTime, &frames) != 0 || frames == 0) frames = 1;
        delays_.assign(frames, 100);
        UINT size = 0;
        if (frames > 1 && api.GetPropertyItemSize(image_, kPropertyTagFrameDelay, &size) == 0 && size > 0) {
            std::vector<uint8_t> buffer(size);
            auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
            if (api.GetPropertyItem(image_, kPropertyTagFrameDelay, size, item) == 0) {
                const auto* hundredths = static_cast<const uint32_t*>(item->value);
                const size_t n = item->length / 4;
                for (size_t i = 0; i < n && i < delays_.size(); ++i) delays_[i] = hundredths[i] * 10;
            }
        }
    }
    ~TGdiplusPicture() override {
        api.DisposeImage(image_);
        stream_->Release();
    }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    int FrameCount() const override { return static_cast<int>(delays_.size()); }
    uint32_t FrameDelay(int frame) const override { return delays_[static_cast<size_t>(frame)]; }

    void Draw(HDC dc, int frame, const RECT& r) const {
        if (FrameCount() > 1) api.ImageSelectActiveFrame(image_, &kFrameDimensionTime, static_cast<UINT>(frame));
        Graphics* g = nullptr;
        if (api.CreateFromHDC(dc, &g) != 0) return;
        api.DrawImageRectI(g, image_, r.left, r.top, r.right - r.left, r.bottom - r.top);
        api.DeleteGraphics(g);
    }

private:
    IStream* stream_;
    Image* image_;
    int width_ = 0, height_ = 0;
    std::vector<uint32_t> delays_;
};

}  // namespace

std::unique_ptr<TPictureData> DecodeWithGdiplus(const std::string& bytes) {
    if (!Ready()) throw EInvalidGraphic("Pictures cannot be shown on this system");
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size() ? bytes.size() : 1);
    if (!memory) throw EInvalidGraphic("Out of memory for the picture");
    if (void* p = GlobalLock(memory)) {
        CopyMemory(p, bytes.data(), bytes.size());
        GlobalUnlock(memory);
    }
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(memory, TRUE, &stream) != S_OK) {
        GlobalFree(memory);
        throw EInvalidGraphic("Out of memory for the picture");
    }
    Image* image = nullptr;
    if (api.CreateBitmapFromStream(stream, &image) != 0 || !image) {
        stream->Release();
        throw EInvalidGraphic("Invalid picture format");
    }
    return std::make_unique<TGdiplusPicture>(stream, image);
}

void DrawGdiplusPicture(HDC dc, const TPictureData& picture, int frame, const RECT& dest) {
    static_cast<const TGdiplusPicture&>(picture).Draw(dc, frame, dest);
}

void ShutdownGdiplus() {
    if (token) api.Shutdown(token);
    token = 0;
}

}  // namespace zov::ui::win32
