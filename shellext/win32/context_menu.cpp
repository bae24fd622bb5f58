#include "shellext/win32/context_menu.h"

#include <cwchar>
#include <new>
#include <string>
#include <string_view>

#include "common/notifier.h"
#include "shellext/hand_off.h"
#include "shellext/help_text.h"
#include "shellext/win32/module.h"
#include "shellext/win32/viewer_link.h"

namespace zorvo {

namespace {

// The invoke information of this size and more carries the wide texts.
constexpr DWORD kExtendedInfoSize = 104;
static_assert(sizeof(CMINVOKECOMMANDINFOEX) == kExtendedInfoSize);

std::string Narrow(std::wstring_view text) {
  if (text.empty()) return {};
  const int size =
      WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(size > 0 ? size : 0), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), out.data(), size, nullptr,
                        nullptr);
  }
  return out;
}

std::wstring Widen(const char* text) {
  if (text == nullptr || *text == '\0') return {};
  const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (size <= 1) return {};
  std::wstring out(size_t(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), size);
  out.resize(size_t(size - 1));
  return out;
}

}  // namespace

HRESULT CQdContextMenu::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (outer != nullptr && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
  auto* object = new (std::nothrow) CQdContextMenu(outer);
  if (object == nullptr) return E_OUTOFMEMORY;
  // The marshaler answers IMarshal for the controlling unknown, so that the
  // file manager may call the object from any thread.
  HRESULT result = CoCreateFreeThreadedMarshaler(object->outer_, &object->marshaler_);
  if (SUCCEEDED(result)) result = object->inner_.QueryInterface(iid, out);
  object->inner_.Release();  // the creation's reference: destroys a failed object
  return result;
}

CQdContextMenu::CQdContextMenu(IUnknown* outer)
    : inner_(*this), outer_(outer != nullptr ? outer : &inner_) {
  ModuleObjectCreated();
}

CQdContextMenu::~CQdContextMenu() {
  if (marshaler_ != nullptr) marshaler_->Release();
  ModuleObjectDestroyed();
}

// The interfaces, in the order they are looked up: the two of the file
// manager, then IMarshal from the aggregated free-threaded marshaler.
STDMETHODIMP CQdContextMenu::Inner::QueryInterface(REFIID iid, void** out) {
  struct Entry {
    const IID* iid;
    IUnknown* (*own)(CQdContextMenu&);  // null: the marshaler answers
  };
  static const Entry kInterfaces[] = {
      {&IID_IShellExtInit,
       [](CQdContextMenu& o) -> IUnknown* { return static_cast<IShellExtInit*>(&o); }},
      {&IID_IContextMenu,
       [](CQdContextMenu& o) -> IUnknown* { return static_cast<IContextMenu*>(&o); }},
      {&IID_IMarshal, nullptr},
  };
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(iid, IID_IUnknown)) {
    *out = this;
    AddRef();
    return S_OK;
  }
  for (const Entry& entry : kInterfaces) {
    if (!IsEqualIID(iid, *entry.iid)) continue;
    if (entry.own == nullptr) {
      return self_.marshaler_ != nullptr ? self_.marshaler_->QueryInterface(iid, out)
                                         : E_NOINTERFACE;
    }
    IUnknown* found = entry.own(self_);
    found->AddRef();
    *out = found;
    return S_OK;
  }
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CQdContextMenu::Inner::AddRef() {
  return InterlockedIncrement(&self_.references_);
}

STDMETHODIMP_(ULONG) CQdContextMenu::Inner::Release() {
  const LONG left = InterlockedDecrement(&self_.references_);
  if (left == 0) delete &self_;
  return left;
}

STDMETHODIMP CQdContextMenu::QueryInterface(REFIID iid, void** out) {
  return outer_->QueryInterface(iid, out);
}
STDMETHODIMP_(ULONG) CQdContextMenu::AddRef() { return outer_->AddRef(); }
STDMETHODIMP_(ULONG) CQdContextMenu::Release() { return outer_->Release(); }

STDMETHODIMP CQdContextMenu::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) {
  return GuardedCom([&] { return InitializeFrom(data); });
}

HRESULT CQdContextMenu::InitializeFrom(IDataObject* data) {
  if (data == nullptr) return E_INVALIDARG;
  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return E_FAIL;
  HRESULT result = E_FAIL;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
    const auto drop = static_cast<HDROP>(medium.hGlobal);
    // Only the first file is opened. A path longer than the viewer opens
    // (259 characters) is not offered, nor cut: a shortened path could name
    // another file.
    constexpr UINT kViewerPathChars = 259;
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    if (length > 0 && length <= kViewerPathChars &&
        DragQueryFileW(drop, 0, settings_.fileName, UINT(std::size(settings_.fileName))) ==
            length) {
      result = S_OK;
    }
  }
  ReleaseStgMedium(&medium);
  if (FAILED(result)) return result;
  ReadContextMenuSettings(settings_);
  return S_OK;
}

STDMETHODIMP CQdContextMenu::QueryContextMenu(HMENU menu, UINT position, UINT firstCommand, UINT,
                                              UINT) {
  return GuardedCom([&]() -> HRESULT {
    const wchar_t* text = settings_.menuText[0] != L'\0' ? settings_.menuText : kDefaultMenuText;
    InsertMenuW(menu, position, MF_BYPOSITION | MF_STRING, firstCommand, text);
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1);  // one command id used
  });
}

STDMETHODIMP CQdContextMenu::GetCommandString(UINT_PTR command, UINT type, UINT*, CHAR* buffer,
                                              UINT size) {
  return GuardedCom([&]() -> HRESULT {
    if (command != 0) return E_INVALIDARG;
    return WriteHelpText(type, buffer, size);
  });
}

HRESULT CQdContextMenu::WriteHelpText(UINT type, CHAR* buffer, UINT size) const {
  if (type != GCS_HELPTEXTW && type != GCS_HELPTEXTA) return S_OK;  // verbs, validation
  if (buffer == nullptr) return E_INVALIDARG;
  const std::wstring_view path = settings_.fileName;
  const size_t slash = path.rfind(L'\\');
  const std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
  const std::wstring_view text =
      settings_.helpText[0] != L'\0' ? settings_.helpText : kDefaultHelpText;
  if (type == GCS_HELPTEXTW) {
    SubstituteFileName<wchar_t>(text, name, reinterpret_cast<wchar_t*>(buffer), size);
  } else {
    // The system's ANSI code page; characters it lacks become its default.
    const std::string narrowText = Narrow(text);
    const std::string narrowName = Narrow(name);
    SubstituteFileName<char>(narrowText, narrowName, buffer, size);
  }
  return S_OK;
}

STDMETHODIMP CQdContextMenu::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  return GuardedCom([&]() -> HRESULT {
    if (info == nullptr || info->lpVerb != nullptr) return E_INVALIDARG;
    return HandOver(*info);
  });
}

HRESULT CQdContextMenu::HandOver(const CMINVOKECOMMANDINFO& info) {
  std::wstring folder;
  if (info.cbSize >= kExtendedInfoSize) {
    const auto& extended = reinterpret_cast<const CMINVOKECOMMANDINFOEX&>(info);
    if (extended.lpDirectoryW != nullptr) folder = extended.lpDirectoryW;
  } else {
    folder = Widen(info.lpDirectory);
  }
  Notifier& notifier = PlatformNotifier();
  if (settings_.fileName[0] == L'\0') {  // never initialised with a file
    notifier.Beep(kIconExclamation);
    return E_FAIL;
  }
  SystemViewerLink link(info.hwnd, settings_.fileName, settings_.viewerPath, std::move(folder),
                        info.nShow, notifier);
  return HandFileToViewer(link, notifier) ? S_OK : E_FAIL;
}

}  // namespace zorvo
