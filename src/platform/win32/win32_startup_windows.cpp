// The splash (a popup window painting one bitmap) and the preparing window (a caption
// window without title-bar buttons, a self-painted text and logo, a progress bar). The
// glass, blur and PNG functions are looked up at run time: older Windows lacks them, and
// the windows then simply go without.
#include "platform/win32/win32_startup_windows.h"

#include "platform/win32/windows_api.h"

#include <commctrl.h>
#include <dwmapi.h>
#include <uxtheme.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/win32/system_library.h"
#include "platform/win32/win32_text.h"

namespace velkor::platform::win32 {
namespace {

constexpr wchar_t kSplashClass[] = L"VelkorSetupSplash";
constexpr wchar_t kPreparingClass[] = L"VelkorSetupInit";

HINSTANCE Instance() {
  return GetModuleHandleW(nullptr);
}

WindowBounds BoundsOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

RECT RectOf(const WindowBounds& bounds) {
  return {bounds.left, bounds.top, bounds.left + bounds.width, bounds.top + bounds.height};
}

void RepaintNow(HWND window) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// The object behind a window: its procedure finds it through GWLP_USERDATA, set from the
// creation parameter.
class WindowObject {
 public:
  virtual ~WindowObject() = default;
  // True when the message was handled; `result` is then returned.
  virtual bool OnMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                         LRESULT& result) = 0;
};

LRESULT CALLBACK ObjectWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* object = reinterpret_cast<WindowObject*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  LRESULT result = 0;
  if (object != nullptr && object->OnMessage(window, message, wparam, lparam, result)) {
    return result;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void RegisterWindowClass(const wchar_t* name) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = ObjectWindowProc;
  window_class.hInstance = Instance();
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = name;
  RegisterClassExW(&window_class);  // a class registered before stays valid
}

// GDI+ through its flat functions; PNG pictures are decoded into memory so that no file
// stays locked while it is shown.
class GdiPlus {
 public:
  using Image = void;
  using Graphics = void;

  GdiPlus() : library_(L"gdiplus.dll") {
    startup_ = library_.Find<Startup>("GdiplusStartup");
    shutdown_ = library_.Find<Shutdown>("GdiplusShutdown");
    load_ = library_.Find<LoadFile>("GdipLoadImageFromFile");
    width_ = library_.Find<ImageSize>("GdipGetImageWidth");
    height_ = library_.Find<ImageSize>("GdipGetImageHeight");
    create_bitmap_ = library_.Find<CreateBitmap>("GdipCreateBitmapFromScan0");
    image_graphics_ = library_.Find<ImageGraphics>("GdipGetImageGraphicsContext");
    dc_graphics_ = library_.Find<DcGraphics>("GdipCreateFromHDC");
    draw_ = library_.Find<DrawImage>("GdipDrawImageRectI");
    delete_graphics_ = library_.Find<DeleteGraphics>("GdipDeleteGraphics");
    dispose_ = library_.Find<DisposeImage>("GdipDisposeImage");
    const bool complete = startup_ && shutdown_ && load_ && width_ && height_ && create_bitmap_ &&
                          image_graphics_ && dc_graphics_ && draw_ && delete_graphics_ && dispose_;
    StartupInput input{1, nullptr, FALSE, FALSE};
    started_ = complete && startup_(&token_, &input, nullptr) == 0;
  }
  ~GdiPlus() {
    if (started_) shutdown_(token_);
  }
  GdiPlus(const GdiPlus&) = delete;
  GdiPlus& operator=(const GdiPlus&) = delete;

  // A copy of the picture in memory, or nullptr.
  Image* Load(const std::wstring& path) {
    if (!started_) return nullptr;
    Image* file_image = nullptr;
    if (load_(path.c_str(), &file_image) != 0) return nullptr;
    UINT width = 0;
    UINT height = 0;
    width_(file_image, &width);
    height_(file_image, &height);
    Image* copy = nullptr;
    constexpr int kPixelFormat32bppPARGB = 0xE200B;
    if (width > 0 && height > 0 &&
        create_bitmap_(static_cast<INT>(width), static_cast<INT>(height), 0, kPixelFormat32bppPARGB,
                       nullptr, &copy) == 0) {
      Graphics* graphics = nullptr;
      if (image_graphics_(copy, &graphics) == 0) {
        draw_(graphics, file_image, 0, 0, static_cast<INT>(width), static_cast<INT>(height));
        delete_graphics_(graphics);
      }
    }
    dispose_(file_image);
    return copy;
  }

  void Draw(HDC dc, Image* image, const WindowBounds& at) {
    if (!started_ || image == nullptr) return;
    Graphics* graphics = nullptr;
    if (dc_graphics_(dc, &graphics) != 0) return;
    draw_(graphics, image, at.left, at.top, at.width, at.height);
    delete_graphics_(graphics);
  }

  void Dispose(Image* image) {
    if (started_ && image != nullptr) dispose_(image);
  }

 private:
  struct StartupInput {
    UINT32 version;
    void* debug_callback;
    BOOL suppress_background_thread;
    BOOL suppress_external_codecs;
  };
  using Startup = int(WINAPI*)(ULONG_PTR*, const StartupInput*, void*);
  using Shutdown = void(WINAPI*)(ULONG_PTR);
  using LoadFile = int(WINAPI*)(const WCHAR*, Image**);
  using ImageSize = int(WINAPI*)(Image*, UINT*);
  using CreateBitmap = int(WINAPI*)(INT, INT, INT, INT, BYTE*, Image**);
  using ImageGraphics = int(WINAPI*)(Image*, Graphics**);
  using DcGraphics = int(WINAPI*)(HDC, Graphics**);
  using DrawImage = int(WINAPI*)(Graphics*, Image*, INT, INT, INT, INT);
  using DeleteGraphics = int(WINAPI*)(Graphics*);
  using DisposeImage = int(WINAPI*)(Image*);

  SystemLibrary library_;
  Startup startup_ = nullptr;
  Shutdown shutdown_ = nullptr;
  LoadFile load_ = nullptr;
  ImageSize width_ = nullptr;
  ImageSize height_ = nullptr;
  CreateBitmap create_bitmap_ = nullptr;
  ImageGraphics image_graphics_ = nullptr;
  DcGraphics dc_graphics_ = nullptr;
  DrawImage draw_ = nullptr;
  DeleteGraphics delete_graphics_ = nullptr;
  DisposeImage dispose_ = nullptr;
  ULONG_PTR token_ = 0;
  bool started_ = false;
};

// Desktop composition (Vista and later) and the Windows 10 blur behind a window.
class Composition {
 public:
  Composition() : dwm_(L"dwmapi.dll"), user_(L"user32.dll") {
    is_enabled_ = dwm_.Find<IsEnabled>("DwmIsCompositionEnabled");
    extend_frame_ = dwm_.Find<ExtendFrame>("DwmExtendFrameIntoClientArea");
    set_attribute_ = user_.Find<SetAttribute>("SetWindowCompositionAttribute");
  }

  bool Enabled() const {
    BOOL enabled = FALSE;
    return is_enabled_ != nullptr && extend_frame_ != nullptr && SUCCEEDED(is_enabled_(&enabled)) &&
           enabled;
  }

  // The whole client area becomes glass.
  void SheetOfGlass(HWND window) const {
    const MARGINS margins{-1, -1, -1, -1};
    if (extend_frame_ != nullptr) extend_frame_(window, &margins);
  }

  void BlurBehind(HWND window, uint32_t flags, uint32_t colour) const {
    if (set_attribute_ == nullptr) return;
    struct AccentPolicy {
      uint32_t state;
      uint32_t flags;
      uint32_t colour;
      uint32_t animation;
    } policy{3, flags, colour, 0};
    struct Data {
      int attribute;
      void* data;
      ULONG size;
    } data{19, &policy, sizeof(policy)};
    set_attribute_(window, &data);
  }

 private:
  using IsEnabled = HRESULT(WINAPI*)(BOOL*);
  using ExtendFrame = HRESULT(WINAPI*)(HWND, const MARGINS*);
  using SetAttribute = BOOL(WINAPI*)(HWND, void*);

  SystemLibrary dwm_;
  SystemLibrary user_;
  IsEnabled is_enabled_ = nullptr;
  ExtendFrame extend_frame_ = nullptr;
  SetAttribute set_attribute_ = nullptr;
};

// Text with a glow, drawn into a buffer that keeps its alpha on glass.
class ThemeText {
 public:
  ThemeText() : library_(L"uxtheme.dll") {
    open_ = library_.Find<Open>("OpenThemeData");
    close_ = library_.Find<Close>("CloseThemeData");
    draw_ = library_.Find<Draw>("DrawThemeTextEx");
    begin_ = library_.Find<Begin>("BeginBufferedPaint");
    end_ = library_.Find<End>("EndBufferedPaint");
  }

  bool available() const { return open_ && close_ && draw_ && begin_ && end_; }

  // Paints the picture and the glowing text over a cleared (transparent) client area.
  template <typename PaintPicture>
  bool PaintOnGlass(HWND window, HDC dc, HFONT font, const std::wstring& text,
                    const WindowBounds& text_bounds, PaintPicture paint_picture) {
    if (!available()) return false;
    RECT client{};
    GetClientRect(window, &client);
    BP_PAINTPARAMS params{};
    params.cbSize = sizeof(params);
    params.dwFlags = BPPF_ERASE;
    HDC buffer_dc = nullptr;
    HANDLE buffer = begin_(dc, &client, BPBF_TOPDOWNDIB, &params, &buffer_dc);
    if (buffer == nullptr) return false;
    paint_picture(buffer_dc);
    HANDLE theme = open_(window, L"CompositedWindow::Window");
    if (theme != nullptr) {
      HGDIOBJ old_font = SelectObject(buffer_dc, font);
      DTTOPTS options{};
      options.dwSize = sizeof(options);
      options.dwFlags = DTT_COMPOSITED | DTT_GLOWSIZE | DTT_TEXTCOLOR;
      options.iGlowSize = 10;
      options.crText = RGB(0, 0, 0);
      RECT rect = RectOf(text_bounds);
      draw_(theme, buffer_dc, 0, 0, text.c_str(), -1, DT_LEFT | DT_TOP | DT_WORDBREAK, &rect,
            &options);
      SelectObject(buffer_dc, old_font);
      close_(theme);
    }
    end_(buffer, TRUE);
    return true;
  }

 private:
  using Open = HANDLE(WINAPI*)(HWND, LPCWSTR);
  using Close = HRESULT(WINAPI*)(HANDLE);
  using Draw = HRESULT(WINAPI*)(HANDLE, HDC, int, int, LPCWSTR, int, DWORD, LPRECT, const DTTOPTS*);
  using Begin = HANDLE(WINAPI*)(HDC, const RECT*, BP_BUFFERFORMAT, BP_PAINTPARAMS*, HDC*);
  using End = HRESULT(WINAPI*)(HANDLE, BOOL);

  SystemLibrary library_;
  Open open_ = nullptr;
  Close close_ = nullptr;
  Draw draw_ = nullptr;
  Begin begin_ = nullptr;
  End end_ = nullptr;
};

class Win32Splash final : public SplashWindow, private WindowObject {
 public:
  bool Create() {
    window_ = CreateWindowExW(0, kSplashClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              Instance(), static_cast<WindowObject*>(this));
    return window_ != nullptr;
  }
  ~Win32Splash() override {
    if (window_ != nullptr) DestroyWindow(window_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
  }

  bool LoadPicture(std::u16string_view bitmap_path) override {
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageW(nullptr, Wide(bitmap_path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (bitmap == nullptr) return false;
    BITMAP info{};
    GetObjectW(bitmap, sizeof(info), &info);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    bitmap_ = bitmap;
    SetWindowPos(window_, nullptr, 0, 0, info.bmWidth, std::abs(info.bmHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
  }
  WindowBounds Bounds() override { return BoundsOf(window_); }
  void MoveTo(int32_t left, int32_t top) override {
    SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void Show() override { ShowWindow(window_, SW_SHOW); }
  void Hide() override { ShowWindow(window_, SW_HIDE); }
  bool Visible() override { return IsWindowVisible(window_) != FALSE; }
  void Repaint() override { RepaintNow(window_); }

 private:
  bool OnMessage(HWND window, UINT message, WPARAM, LPARAM, LRESULT& result) override {
    if (message == WM_ERASEBKGND) {
      result = 1;  // the picture covers the whole window
      return true;
    }
    if (message != WM_PAINT) return false;
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    if (bitmap_ != nullptr) {
      HDC memory = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(memory, bitmap_);
      RECT client{};
      GetClientRect(window, &client);
      BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
      SelectObject(memory, old);
      DeleteDC(memory);
    }
    EndPaint(window, &paint);
    return true;
  }

  HWND window_ = nullptr;
  HBITMAP bitmap_ = nullptr;
};

class Win32PreparingWindow final : public PreparingWindow, private WindowObject {
 public:
  explicit Win32PreparingWindow(GdiPlus& gdi_plus) : gdi_plus_(gdi_plus) {}

  bool Create(const PreparingWindowDesign& design) {
    design_ = design;
    text_ = Wide(design.text);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
    const DWORD ex_style = design.alpha < 255 ? WS_EX_LAYERED : 0;
    RECT frame{0, 0, preparing_window::kClientWidth, preparing_window::kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, ex_style);
    window_ = CreateWindowExW(ex_style, kPreparingClass, Wide(design.caption).c_str(), style,
                              CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, Instance(),
                              static_cast<WindowObject*>(this));
    if (window_ == nullptr) return false;
    if (design.alpha < 255) SetLayeredWindowAttributes(window_, 0, design.alpha, LWA_ALPHA);

    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    font_ = CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");

    const WindowBounds& bar = preparing_window::kProgressBar;
    progress_ =
        CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, bar.left, bar.top,
                        bar.width, bar.height, window_, nullptr, Instance(), nullptr);
    if (design.logo_design) {
      logo_ = gdi_plus_.Load(Wide(design.logo_path));
    } else {
      icon_ = LoadIconW(nullptr, IDI_INFORMATION);
    }
    if (design.glass_sheet && composition_.Enabled()) {
      glass_ = true;
      composition_.SheetOfGlass(window_);
      if (design.blur_behind) {
        composition_.BlurBehind(window_, design.accent_flags, design.accent_colour);
      }
    }
    return true;
  }

  ~Win32PreparingWindow() override {
    if (window_ != nullptr) DestroyWindow(window_);
    if (font_ != nullptr) DeleteObject(font_);
    gdi_plus_.Dispose(logo_);
  }

  WindowHandle Handle() override { return reinterpret_cast<WindowHandle>(window_); }
  WindowBounds Bounds() override { return BoundsOf(window_); }
  void MoveTo(int32_t left, int32_t top) override {
    SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void Show() override { ShowWindow(window_, SW_SHOW); }
  void Hide() override { ShowWindow(window_, SW_HIDE); }
  void Repaint() override { RepaintNow(window_); }
  void SetProgressRange(int32_t minimum, int32_t maximum) override {
    SendMessageW(progress_, PBM_SETRANGE32, static_cast<WPARAM>(minimum),
                 static_cast<LPARAM>(maximum));
  }
  void SetProgressPosition(int32_t position) override {
    SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  }
  bool ShowsLogo() override { return design_.logo_design; }
  void ReloadLogo(std::u16string_view png_path) override {
    GdiPlus::Image* logo = gdi_plus_.Load(Wide(png_path));
    if (logo == nullptr) return;
    gdi_plus_.Dispose(logo_);
    logo_ = logo;
  }

 private:
  const WindowBounds& TextBounds() const {
    return design_.logo_design ? preparing_window::kGlowLabel : preparing_window::kPlainLabel;
  }

  void PaintPicture(HDC dc) {
    const WindowBounds& image = preparing_window::kImage;
    if (logo_ != nullptr) gdi_plus_.Draw(dc, logo_, image);
    if (icon_ != nullptr)
      DrawIconEx(dc, image.left, image.top, icon_, image.width, image.height, 0, nullptr,
                 DI_NORMAL);
  }

  void Paint(HWND window) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    const bool painted =
        glass_ && theme_text_.PaintOnGlass(window, dc, font_, text_, TextBounds(),
                                           [this](HDC buffer) { PaintPicture(buffer); });
    if (!painted) {
      RECT client{};
      GetClientRect(window, &client);
      FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
      PaintPicture(dc);
      HGDIOBJ old_font = SelectObject(dc, font_);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      RECT rect = RectOf(TextBounds());
      DrawTextW(dc, text_.c_str(), -1, &rect, DT_LEFT | DT_TOP | DT_WORDBREAK);
      SelectObject(dc, old_font);
    }
    EndPaint(window, &paint);
  }

  bool OnMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                 LRESULT& result) override {
    switch (message) {
      case WM_PAINT:
        Paint(window);
        return true;
      case WM_ERASEBKGND:
        result = 1;
        return true;
      case WM_CLOSE:  // the window goes when loading ends, not before
        return true;
      case WM_NCHITTEST:
        // A sheet of glass moves the window wherever it is dragged.
        result = DefWindowProcW(window, message, wparam, lparam);
        if (glass_ && result == HTCLIENT) result = HTCAPTION;
        return true;
      default:
        return false;
    }
  }

  GdiPlus& gdi_plus_;
  Composition composition_;
  ThemeText theme_text_;
  PreparingWindowDesign design_;
  std::wstring text_;
  HWND window_ = nullptr;
  HWND progress_ = nullptr;
  HFONT font_ = nullptr;
  HICON icon_ = nullptr;
  GdiPlus::Image* logo_ = nullptr;
  bool glass_ = false;
};

class Win32StartupWindows final : public StartupWindows {
 public:
  Win32StartupWindows() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    RegisterWindowClass(kSplashClass);
    RegisterWindowClass(kPreparingClass);
  }

  std::unique_ptr<SplashWindow> CreateSplash() override {
    auto splash = std::make_unique<Win32Splash>();
    if (!splash->Create()) return nullptr;
    return splash;
  }

  std::unique_ptr<PreparingWindow> CreatePreparingWindow(
      const PreparingWindowDesign& design) override {
    auto window = std::make_unique<Win32PreparingWindow>(gdi_plus_);
    if (!window->Create(design)) return nullptr;
    return window;
  }

 private:
  GdiPlus gdi_plus_;
};

}  // namespace

std::unique_ptr<StartupWindows> CreateWin32StartupWindows() {
  return std::make_unique<Win32StartupWindows>();
}

}  // namespace velkor::platform::win32
