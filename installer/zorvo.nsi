; Zorvo-setup.exe: installs the viewer, its help page, the shell extension,
; the configuration tool and the DDE client into one folder under Program
; Files, registers the extension, writes where the viewer lives and adds the
; Start-menu entries and the entry in the system's list of programs. Its
; uninstaller removes exactly that again; the user's settings stay unless
; the user asks for them to go.
;
; makensis -DBIN_DIR=<folder of the built programs> -DHELP_FILE=<Zorvo.htm>
;          -DNAMES_INCLUDE=<the shared names as NSIS defines>
;          -DSETUP_INCLUDE=<the setup "Listing" as NSIS lines> -DVERSION=x.y.z
;          -DICON=<zorvo.ico> -DOUT_FILE=<Zorvo-setup.exe> zorvo.nsi

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
; The names the programs share (kViewerKey, kProfileKey, ...), made from
; their C++ header, and the setup "Listing" (SETUP_NAME, WRITE_SETUP).
!include "${NAMES_INCLUDE}"
!include "${SETUP_INCLUDE}"

!define PRODUCT "Zorvo"
!define PUBLISHER "Korrin"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zorvo"

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES64\Korrin\Zorvo"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
; The finish page starts nothing: a program started from here would run with
; the installer's administrator rights, and the context-menu entry of the
; user's file manager could not hand it files over DDE.

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; Only a file moved aside waits for a restart; the programs work now, so
; the restart is offered, not chosen for the user.
!define MUI_FINISHPAGE_REBOOTLATER_DEFAULT
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
; Shown so that the user learns when Windows must restart to finish.
!define MUI_FINISHPAGE_REBOOTLATER_DEFAULT
!insertmacro MUI_UNPAGE_FINISH
!insertmacro MUI_LANGUAGE "English"

; A silent run says that a restart is needed the way Windows' own
; installers do, with exit code 3010; the finish page offers it.
!macro REPORT_RESTART
  ${If} ${RebootFlag}
    DetailPrint "Windows must restart to finish: a file in use is removed then."
    GetErrorLevel $R6
    ${If} $R6 <= 0
      SetErrorLevel 3010
    ${EndIf}
  ${EndIf}
!macroend

; --- Programs and libraries in use ---------------------------------------
;
; A running program keeps its file: the viewer, Vantric or zorvo-dde of this
; installation are asked to be closed before anything is changed, so that
; the folder never holds old and new files mixed. The file manager keeps the
; context-menu extension loaded as long as it runs; closing Zorvo cannot free
; it. Such a Plimbus.dll is moved aside under a name of its own (a loaded
; library can be renamed, not replaced), and that name, never Plimbus.dll
; itself, is deleted when Windows restarts. A later installation then puts
; its Plimbus.dll back without it being lost at the restart.

; True when FILE exists and cannot be opened for writing: a program runs from
; it or has it loaded. Nothing is written to it.
!macro _ZorvoInUse _a _b _t _f
  StrCpy $R9 0
  IfFileExists `${_b}` 0 +7
    ClearErrors
    FileOpen $R5 `${_b}` a
    IfErrors 0 +3
      StrCpy $R9 1
      Goto +2
    FileClose $R5
  StrCmp $R9 1 `${_t}` `${_f}`
!macroend
!define InUse `"" ZorvoInUse`

; Waits until PROGRAM (a file in the installation folder) is not in use,
; asking the user to close it; Cancel (and a silent run) stops here.
!macro CLOSE_PROGRAM FILE NAME
  ${DoWhile} ${InUse} "$INSTDIR\${FILE}"
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "${NAME} is running from $INSTDIR. Close ${NAME}, then click Retry." /SD IDCANCEL IDRETRY +2
    Abort "${NAME} is running: $INSTDIR\${FILE} is in use."
  ${Loop}
!macroend

!macro CLOSE_PROGRAMS
  !insertmacro CLOSE_PROGRAM "${kViewerProgram}" "Zorvo"
  !insertmacro CLOSE_PROGRAM "Vantric.exe" "Vantric"
  !insertmacro CLOSE_PROGRAM "zorvo-dde.exe" "zorvo-dde"
!macroend

; Moves a Plimbus.dll in use out of the way: to the first free name
; Plimbus.dll.old, Plimbus.dll.old2, ..., deleted at the next restart. Sets
; the reboot flag when it did.
!macro MOVE_HELD_EXTENSION_ASIDE
  ; Those moved aside before and no longer in use.
  Delete "$INSTDIR\Plimbus.dll.old*"
  ${If} ${InUse} "$INSTDIR\Plimbus.dll"
    StrCpy $R8 "$INSTDIR\Plimbus.dll.old"
    StrCpy $R7 1
    ${DoWhile} ${FileExists} "$R8"
      IntOp $R7 $R7 + 1
      StrCpy $R8 "$INSTDIR\Plimbus.dll.old$R7"
    ${Loop}
    ClearErrors
    Rename "$INSTDIR\Plimbus.dll" "$R8"
    ${If} ${Errors}
      Abort "Plimbus.dll in $INSTDIR is in use and could not be moved aside."
    ${EndIf}
    DetailPrint "Plimbus.dll is in use by another program; the old one is removed when Windows restarts."
    Delete /REBOOTOK "$R8"
  ${EndIf}
!macroend

Section "Zorvo, its help and the context-menu entry" SecProgram
  SectionIn RO
  SetShellVarContext all
  !insertmacro CLOSE_PROGRAMS
  !insertmacro MOVE_HELD_EXTENSION_ASIDE
  SetOverwrite try
  SetOutPath "$INSTDIR"
  retry:
  ClearErrors
  File "/oname=${kViewerProgram}" "${BIN_DIR}\Zorvo.exe"
  File "/oname=Zorvo.htm" "${HELP_FILE}"
  File "/oname=Plimbus.dll" "${BIN_DIR}\Plimbus.dll"
  File "/oname=Vantric.exe" "${BIN_DIR}\Vantric.exe"
  File "/oname=zorvo-dde.exe" "${BIN_DIR}\zorvo-dde.exe"
  ${If} ${Errors}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "A file in $INSTDIR is in use. Close Zorvo and try again." /SD IDCANCEL IDRETRY retry
    Abort "A file in $INSTDIR is in use."
  ${EndIf}
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; Where the context-menu entry finds the viewer.
  WriteRegStr HKLM "${kViewerKey}" "${kViewerPathValue}" "$INSTDIR\${kViewerProgram}"

  ClearErrors
  RegDLL "$INSTDIR\Plimbus.dll"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONEXCLAMATION \
      "The context-menu entry could not be registered (Plimbus.dll)." /SD IDOK
    SetErrorLevel 2
  ${EndIf}

  CreateDirectory "$SMPROGRAMS\Zorvo"
  CreateShortcut "$SMPROGRAMS\Zorvo\Zorvo.lnk" "$INSTDIR\${kViewerProgram}"
  CreateShortcut "$SMPROGRAMS\Zorvo\Configure Zorvo Context Menu.lnk" "$INSTDIR\Vantric.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${kViewerProgram}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" 5120
  !insertmacro REPORT_RESTART
SectionEnd

; The setup "Listing" in the installing user's profile, for print files of
; line printers (Format > Load Setup, or the switch -vListing). A setup of
; that name that the user has already is left as it is.
Section "Example setup $\"${SETUP_NAME}$\" for print files" SecListing
  ReadRegStr $0 HKCU "${kProfileKey}\${kSetupPrefix}${SETUP_NAME}" "${kSetupKindsKey}"
  ${If} $0 != ""
    Return
  ${EndIf}
  !insertmacro WRITE_SETUP
  ; Listed once in "Setup List", in the first free place.
  StrCpy $1 1
  ${Do}
    ReadRegStr $0 HKCU "${kProfileKey}\${kSetupListSection}" "${kSetupListKey}$1"
    ${If} $0 == ""
      WriteRegStr HKCU "${kProfileKey}\${kSetupListSection}" "${kSetupListKey}$1" "${SETUP_NAME}"
      ${Break}
    ${EndIf}
    ${If} $0 == "${SETUP_NAME}"
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
SectionEnd

Section "un.Zorvo" SecUnProgram
  SectionIn RO
  SetShellVarContext all
  ; Before anything is removed: a viewer left running would keep Zorvo.exe
  ; in a folder whose uninstall entry is gone.
  !insertmacro CLOSE_PROGRAMS
  ClearErrors
  UnRegDLL "$INSTDIR\Plimbus.dll"
  ; The viewer's path, unless another installation has taken its place.
  ReadRegStr $0 HKLM "${kViewerKey}" "${kViewerPathValue}"
  ${If} $0 == "$INSTDIR\${kViewerProgram}"
    DeleteRegValue HKLM "${kViewerKey}" "${kViewerPathValue}"
  ${EndIf}
  DeleteRegKey /ifempty HKLM "${kViewerKey}"
  DeleteRegKey /ifempty HKLM "${kPublisherMachineKey}"

  Delete "$SMPROGRAMS\Zorvo\Zorvo.lnk"
  Delete "$SMPROGRAMS\Zorvo\Configure Zorvo Context Menu.lnk"
  RMDir "$SMPROGRAMS\Zorvo"

  ; These names only: a ZORVO.INI that the user put beside the program stays,
  ; and so does the folder then.
  Delete "$INSTDIR\${kViewerProgram}"
  Delete "$INSTDIR\Zorvo.htm"
  ; A file manager that still holds the extension keeps it until Windows
  ; restarts: it is moved aside and removed then.
  !insertmacro MOVE_HELD_EXTENSION_ASIDE
  Delete "$INSTDIR\Plimbus.dll"
  Delete "$INSTDIR\Vantric.exe"
  Delete "$INSTDIR\zorvo-dde.exe"
  Delete "$INSTDIR\Uninstall.exe"
  ; The folder goes now when it is empty; with libraries moved aside it
  ; goes at the restart after them, if nothing else is left in it then.
  ${If} ${FileExists} "$INSTDIR\Plimbus.dll.old*"
    RMDir /REBOOTOK "$INSTDIR"
  ${Else}
    RMDir "$INSTDIR"
  ${EndIf}
  RMDir "$PROGRAMFILES64\Korrin"  ; the publisher's folder, when nothing else is in it
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  !insertmacro REPORT_RESTART
SectionEnd

; Chosen only by the user: the viewer's settings (setups, recent files,
; colours) and the texts of the context-menu entry.
Section /o "un.My settings (options, setups, recent files, menu texts)" SecUnSettings
  DeleteRegKey HKCU "${kProfileKey}"
  DeleteRegKey HKCU "${kPlimbusKey}"
  DeleteRegKey /ifempty HKCU "${kPublisherKey}"
SectionEnd
