// CQdContextMenu: the one entry this library adds to the file manager's
// context menu of every file, and the hand-over of the chosen file to the
// viewer.
#pragma once

#include <windows.h>
// After windows.h:
#include <shellapi.h>
#include <shlobj.h>

namespace zorvo {

// The texts of one context menu; each empty until Initialize fills it, and
// replaced by its default where it is used while still empty.
struct ContextMenuSettings {
  wchar_t fileName[262];    // the first selected file's full path
  wchar_t helpText[65];     // HelpText; "%s" stands for the file's name
  wchar_t viewerPath[262];  // ZorvoPath, else Path, else GrellCmdLine
  wchar_t menuText[17];     // MenuText
};

inline constexpr wchar_t kDefaultHelpText[] = L"View \"%s\" with Tessaro";
inline constexpr wchar_t kDefaultMenuText[] = L"&Zorvo";

// Reads the settings from the registry in their fixed order (the contract
// with the configuration tool and the viewer's installation).
void ReadContextMenuSettings(ContextMenuSettings& settings);

class CQdContextMenu final : public IShellExtInit, public IContextMenu {
 public:
  // The class factory's creation function: aggregated when `outer` is given.
  static HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** out);

  // IUnknown of both interfaces: the controlling unknown's.
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IShellExtInit
  STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY programKey) override;

  // IContextMenu
  STDMETHODIMP QueryContextMenu(HMENU menu, UINT position, UINT firstCommand, UINT lastCommand,
                                UINT flags) override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
  STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, CHAR* buffer,
                                UINT size) override;

 private:
  // The object's own IUnknown, which does not delegate: the one an
  // aggregating object holds and the one that owns the object's life.
  class Inner final : public IUnknown {
   public:
    explicit Inner(CQdContextMenu& self) : self_(self) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

   private:
    CQdContextMenu& self_;
  };

  explicit CQdContextMenu(IUnknown* outer);
  ~CQdContextMenu();
  CQdContextMenu(const CQdContextMenu&) = delete;
  CQdContextMenu& operator=(const CQdContextMenu&) = delete;

  HRESULT InitializeFrom(IDataObject* data);
  HRESULT WriteHelpText(UINT type, CHAR* buffer, UINT size) const;
  HRESULT HandOver(const CMINVOKECOMMANDINFO& info);

  LONG references_ = 1;
  Inner inner_;
  IUnknown* outer_;                // the aggregating object, or inner_
  IUnknown* marshaler_ = nullptr;  // the free-threaded marshaler, aggregated
  ContextMenuSettings settings_{};
};

}  // namespace zorvo
