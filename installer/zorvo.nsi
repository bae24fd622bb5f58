; Zorvo-setup.exe: installs the viewer, its help page, the shell extension,
; the configuration tool and the DDE client into one folder under Program
; Files, registers the extension, writes where the viewer lives and adds the
; Start-menu entries and the entry in the system's list of programs. Its
; uninstaller removes exactly that again; the user's settings stay unless
; the user asks for them to go.
;
; makensis -DBIN_DIR=<folder of the built programs> -DHELP_FILE=<Zorvo.htm>
;          -DSETUP_INCLUDE=<the setup "Listing" as NSIS lines> -DVERSION=x.y.z
;          -DICON=<zorvo.ico> -DOUT_FILE=<Zorvo-setup.exe> zorvo.nsi

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh

!define PRODUCT "Zorvo"
!define PUBLISHER "Korrin"
!define VIEWER_KEY "SOFTWARE\Korrin\Zorvo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zorvo"
!define PROFILE_KEY "Software\Korrin\Zorvo"
!define PLIMBUS_KEY "Software\Korrin\Plimbus"

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
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Zorvo, its help and the context-menu entry" SecProgram
  SectionIn RO
  SetShellVarContext all
  ; A running viewer keeps its program file: ask to close it first.
  SetOverwrite try
  SetOutPath "$INSTDIR"
  retry:
  ClearErrors
  File "/oname=Zorvo.exe" "${BIN_DIR}\Zorvo.exe"
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
  WriteRegStr HKLM "${VIEWER_KEY}" "Path" "$INSTDIR\Zorvo.exe"

  ClearErrors
  RegDLL "$INSTDIR\Plimbus.dll"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONEXCLAMATION \
      "The context-menu entry could not be registered (Plimbus.dll)." /SD IDOK
    SetErrorLevel 2
  ${EndIf}

  CreateDirectory "$SMPROGRAMS\Zorvo"
  CreateShortcut "$SMPROGRAMS\Zorvo\Zorvo.lnk" "$INSTDIR\Zorvo.exe"
  CreateShortcut "$SMPROGRAMS\Zorvo\Configure Zorvo Context Menu.lnk" "$INSTDIR\Vantric.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Zorvo.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" 5120
SectionEnd

; The setup "Listing" in the installing user's profile, for print files of
; line printers (Format > Load Setup, or the switch -vListing). A setup of
; that name that the user has already is left as it is.
Section "Example setup $\"Listing$\" for print files" SecListing
  ReadRegStr $0 HKCU "${PROFILE_KEY}\Setup: Listing" "SaveOptions"
  ${If} $0 != ""
    Return
  ${EndIf}
  !include "${SETUP_INCLUDE}"
  ; Listed once in "Setup List", in the first free place.
  StrCpy $1 1
  ${Do}
    ReadRegStr $0 HKCU "${PROFILE_KEY}\Setup List" "Setup$1"
    ${If} $0 == ""
      WriteRegStr HKCU "${PROFILE_KEY}\Setup List" "Setup$1" "Listing"
      ${Break}
    ${EndIf}
    ${If} $0 == "Listing"
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
SectionEnd

Section "un.Zorvo" SecUnProgram
  SectionIn RO
  SetShellVarContext all
  ClearErrors
  UnRegDLL "$INSTDIR\Plimbus.dll"
  ; The viewer's path, unless another installation has taken its place.
  ReadRegStr $0 HKLM "${VIEWER_KEY}" "Path"
  ${If} $0 == "$INSTDIR\Zorvo.exe"
    DeleteRegValue HKLM "${VIEWER_KEY}" "Path"
  ${EndIf}
  DeleteRegKey /ifempty HKLM "${VIEWER_KEY}"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Korrin"

  Delete "$SMPROGRAMS\Zorvo\Zorvo.lnk"
  Delete "$SMPROGRAMS\Zorvo\Configure Zorvo Context Menu.lnk"
  RMDir "$SMPROGRAMS\Zorvo"

  ; These names only: a ZORVO.INI that the user put beside the program stays,
  ; and so does the folder then.
  Delete "$INSTDIR\Zorvo.exe"
  Delete "$INSTDIR\Zorvo.htm"
  ; A file manager that still holds the extension keeps it until Windows
  ; restarts.
  Delete /REBOOTOK "$INSTDIR\Plimbus.dll"
  Delete "$INSTDIR\Vantric.exe"
  Delete "$INSTDIR\zorvo-dde.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"
  RMDir "$PROGRAMFILES64\Korrin"  ; the publisher's folder, when nothing else is in it
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; Chosen only by the user: the viewer's settings (setups, recent files,
; colours) and the texts of the context-menu entry.
Section /o "un.My settings (options, setups, recent files, menu texts)" SecUnSettings
  DeleteRegKey HKCU "${PROFILE_KEY}"
  DeleteRegKey HKCU "${PLIMBUS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Korrin"
SectionEnd
