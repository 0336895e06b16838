#include "ui/utils/ole_drag.h"

#include "ui/utils/shell_utils.h"

#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <new>

namespace {

HGLOBAL CopyBlock(HGLOBAL block)
{
    const SIZE_T size = GlobalSize(block);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, size);
    if (copy == nullptr)
        return nullptr;
    const void* from = GlobalLock(block);
    void* to = GlobalLock(copy);
    if (from != nullptr && to != nullptr)
        std::memcpy(to, from, size);
    GlobalUnlock(copy);
    GlobalUnlock(block);
    return copy;
}

class DataObject : public IDataObject {
public:
    DataObject(CLIPFORMAT format, HGLOBAL block) : m_block(block)
    {
        m_format = {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    }
    virtual ~DataObject() { GlobalFree(m_block); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (out == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
            *out = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        if (format == nullptr || medium == nullptr)
            return E_INVALIDARG;
        const HRESULT match = QueryGetData(format);
        if (match != S_OK)
            return match;
        HGLOBAL copy = CopyBlock(m_block);
        if (copy == nullptr)
            return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override
    {
        if (format == nullptr)
            return E_INVALIDARG;
        if (format->cfFormat != m_format.cfFormat)
            return DV_E_FORMATETC;
        return (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_TYMED;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override
    {
        if (out != nullptr)
            out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override
    {
        if (out == nullptr)
            return E_INVALIDARG;
        *out = nullptr;
        if (direction != DATADIR_GET)
            return E_NOTIMPL;
        return SHCreateStdEnumFmtEtc(1, &m_format, out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override
    {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    std::atomic<ULONG> m_refs{1};
    FORMATETC m_format;
    HGLOBAL m_block;
};

class DropSource : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (out == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropSource)) {
            *out = static_cast<IDropSource*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the stack of the drag.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override
    {
        if (escape)
            return DRAGDROP_S_CANCEL;
        return (keys & (MK_LBUTTON | MK_RBUTTON)) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

int RunDrag(CLIPFORMAT format, HGLOBAL block)
{
    if (block == nullptr)
        return 0;
    const HRESULT init = OleInitialize(nullptr);
    IDataObject* data = CreateDragDataObject(format, block);
    int started = 0;
    if (data != nullptr) {
        DropSource source;
        DWORD effect = 0;
        const HRESULT result =
            DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
        started = SUCCEEDED(result) ? 1 : 0;
        data->Release();
    }
    if (SUCCEEDED(init))
        OleUninitialize();
    return started;
}

}  // namespace

HGLOBAL MakeDropFilesBlock(const char* path)
{
    if (path == nullptr || path[0] == 0)
        return nullptr;
    char full[MAX_PATH];
    const DWORD n = GetFullPathNameA(path, MAX_PATH, full, nullptr);
    if (n == 0 || n >= MAX_PATH || GetFileAttributesA(full) == INVALID_FILE_ATTRIBUTES)
        return nullptr;
    WCHAR wide[MAX_PATH];
    const int units = MultiByteToWideChar(CP_ACP, 0, full, -1, wide, MAX_PATH);
    if (units <= 0)
        return nullptr;
    // DROPFILES, the name with its NUL, and the NUL that ends the list.
    const size_t size = sizeof(DROPFILES) + (size_t(units) + 1) * sizeof(WCHAR);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, size);
    if (block == nullptr)
        return nullptr;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<BYTE*>(drop) + sizeof(DROPFILES), wide, size_t(units) * sizeof(WCHAR));
    GlobalUnlock(block);
    return block;
}

HGLOBAL MakeDragTextBlock(const char* text, int length, int mode, CLIPFORMAT* format)
{
    if (format != nullptr)
        *format = 0;
    if (text == nullptr || length == 0)
        return nullptr;
    if (length < 0)
        length = int(std::strlen(text));
    if (length == 0)
        return nullptr;
    if (mode == 0 || mode == 1) {
        length = int(strnlen(text, size_t(length)));
        if (length == 0)
            return nullptr;
    }
    HGLOBAL block = nullptr;
    if (mode == 1) {
        const int units = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
        if (units <= 0)
            return nullptr;
        block = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, (size_t(units) + 1) * sizeof(WCHAR));
        if (block != nullptr) {
            MultiByteToWideChar(CP_ACP, 0, text, length, static_cast<WCHAR*>(GlobalLock(block)), units);
            GlobalUnlock(block);
        }
    } else {
        block = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, size_t(length) + 1);
        if (block != nullptr) {
            std::memcpy(GlobalLock(block), text, size_t(length));
            GlobalUnlock(block);
        }
    }
    if (block != nullptr && format != nullptr)
        *format = CLIPFORMAT(mode == 0 ? CF_TEXT : mode == 1 ? CF_UNICODETEXT : mode);
    return block;
}

IDataObject* CreateDragDataObject(CLIPFORMAT format, HGLOBAL block)
{
    if (block == nullptr)
        return nullptr;
    IDataObject* data = new (std::nothrow) DataObject(format, block);
    if (data == nullptr)
        GlobalFree(block);
    return data;
}

int DragFile(const char* path)
{
    return RunDrag(CF_HDROP, MakeDropFilesBlock(path));
}

int DragText(const char* text, int length, int mode)
{
    CLIPFORMAT format = 0;
    HGLOBAL block = MakeDragTextBlock(text, length, mode, &format);
    return RunDrag(format, block);
}
