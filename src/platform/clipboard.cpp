#include "platform/clipboard.h"

#include <algorithm>

#include "platform/utf.h"

namespace bivane {

namespace {

// The clipboard, open for the length of a scope.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) : open_(OpenClipboard(owner) != 0) {}
    ~OpenClipboardScope() {
        if (open_) CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    bool IsOpen() const { return open_; }

private:
    bool open_;
};

// Global memory for the clipboard, freed unless the clipboard took it.
class GlobalBlock {
public:
    explicit GlobalBlock(std::size_t bytes) : h_(GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
    ~GlobalBlock() {
        if (h_) GlobalFree(h_);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL get() const { return h_; }
    void release() { h_ = nullptr; }

private:
    HGLOBAL h_;
};

}  // namespace

bool PutTextOnClipboard(HWND owner, const std::u16string& text) {
    OpenClipboardScope clip(owner);
    if (!clip.IsOpen()) return false;
    GlobalBlock mem((text.size() + 1) * sizeof(char16_t));
    if (!mem.get()) return false;
    void* p = GlobalLock(mem.get());
    if (!p) return false;
    std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<char16_t*>(p));
    GlobalUnlock(mem.get());
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, mem.get())) return false;
    mem.release();
    return true;
}

std::string ClipboardText(HWND owner) {
    OpenClipboardScope clip(owner);
    if (!clip.IsOpen()) return std::string();
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return std::string();
    const auto* p = static_cast<const wchar_t*>(GlobalLock(data));
    if (!p) return std::string();
    std::string text = Narrow(p);
    GlobalUnlock(data);
    return text;
}

}  // namespace bivane
