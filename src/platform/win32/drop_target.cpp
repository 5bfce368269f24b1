// Files dropped on a window. The window registers an OLE drop target of its own; where OLE is not
// initialised on the thread it falls back to the shell's WM_DROPFILES.
#include <windows.h>

#include <ole2.h>
#include <shellapi.h>

#include "encoding.h"
#include "win32_window.h"

namespace qv::win32 {
namespace {

std::vector<std::string> files_of(HDROP drop) {
    std::vector<std::string> files;
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        UINT n = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring name(static_cast<size_t>(n) + 1, L'\0');
        n = DragQueryFileW(drop, i, name.data(), n + 1);
        name.resize(n);
        files.push_back(narrow(name));
    }
    return files;
}

FORMATETC file_list_format() {
    return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

}  // namespace

class FileDropTarget : public IDropTarget {
public:
    FileDropTarget(HWND window, std::vector<std::vector<std::string>>* pending)
        : window_(window), pending_(pending) {}
    virtual ~FileDropTarget() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
            *out = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&refs_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        FORMATETC format = file_list_format();
        accepts_ = data != nullptr && data->QueryGetData(&format) == S_OK;
        *effect = accepts_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = accepts_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        accepts_ = false;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_NONE;
        FORMATETC format = file_list_format();
        STGMEDIUM medium{};
        if (data == nullptr || window_ == nullptr || data->GetData(&format, &medium) != S_OK)
            return S_OK;
        auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal));
        if (drop != nullptr) {
            pending_->push_back(files_of(drop));
            GlobalUnlock(medium.hGlobal);
            // The source waits inside this call: the handler (which may ask the user) runs later.
            PostMessageW(window_, kDropMessage, 0, 0);
            *effect = DROPEFFECT_COPY;
        }
        ReleaseStgMedium(&medium);
        return S_OK;
    }
    void detach() { window_ = nullptr; }

private:
    LONG refs_ = 1;
    HWND window_;
    std::vector<std::vector<std::string>>* pending_;
    bool accepts_ = false;
};

void Win32Window::set_drop_enabled(bool on) {
    drop_enabled_ = on;
    apply_drop_state();
}

void Win32Window::apply_drop_state() {
    if (!alive()) return;
    if (drop_enabled_ && !drop_registered_ && !drop_accepting_files_) {
        if (drop_target_ == nullptr) drop_target_ = new FileDropTarget(hwnd_, &pending_drops_);
        drop_registered_ = RegisterDragDrop(hwnd_, drop_target_) == S_OK;
        if (!drop_registered_) {
            DragAcceptFiles(hwnd_, TRUE);
            drop_accepting_files_ = true;
        }
    } else if (!drop_enabled_) {
        revoke_drop();
    }
}

void Win32Window::revoke_drop() {
    if (drop_registered_ && hwnd_ != nullptr) RevokeDragDrop(hwnd_);
    if (drop_accepting_files_ && hwnd_ != nullptr) DragAcceptFiles(hwnd_, FALSE);
    drop_registered_ = false;
    drop_accepting_files_ = false;
    if (drop_target_ != nullptr) {
        drop_target_->detach();
        drop_target_->Release();
        drop_target_ = nullptr;
    }
}

void Win32Window::on_drop_files(HDROP drop) {
    std::vector<std::string> files = files_of(drop);
    DragFinish(drop);
    deliver_drop(std::move(files));
}

void Win32Window::deliver_drop(std::vector<std::string> files) {
    if (!drop_enabled_ || files.empty()) return;
    int index = -1;
    for (size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].def->kind == ui::Kind::DropTarget && index < 0)
            index = static_cast<int>(i);
    ui::Event event;
    event.kind = ui::EventKind::Drop;
    event.role = index >= 0 ? controls_[static_cast<size_t>(index)].def->role : std::string();
    event.files = std::move(files);
    raise(event);
}

}  // namespace qv::win32
